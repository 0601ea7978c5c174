//===- AppFiles.h - Where the log, the batch script and the template live -*- C++ -*-===//
//
// Besides its settings the program uses three files: the template a new
// document may start from ("Initial.rc"), the batch script that runs the
// resource compiler and the log that script leaves behind ("Quillmark.log").
//
// A copy that keeps its files in its own folder uses them there: one whose
// folder holds the shipped template or batch script, as a build tree's bin/
// and a copy unpacked into one folder do, and on Windows only when it may
// write there (a portable copy). An installed copy (/usr/bin, or
// C:\Program Files\Quillmark) can't write beside itself, so each user gets
// files of their own, each copied from the installed defaults the first
// time it is missing and the user's to edit from then on:
//   - Linux: template and batch script in $XDG_DATA_HOME/quillmark/
//     (~/.local/share/quillmark/) from <prefix>/share/quillmark/, the log
//     in $XDG_STATE_HOME/quillmark/ (~/.local/state/quillmark/);
//   - Windows: all three in %LOCALAPPDATA%\Quillmark\, the defaults being
//     those beside the program.
//
// Qt-free, so the window and quillmark-rc find the same files. Paths are
// the program's bytes (platform/Files.h); folders end in a separator.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/support/Status.h"
#include "versioninfo/support/Text.h"

#include <string>

namespace qm {

/// The template's and the log's file names.
inline constexpr const char* TemplateFileName = "Initial.rc";
inline constexpr const char* LogFileName = "Quillmark.log";

/// The full paths of the three files.
struct AppFiles {
    std::string LogPath;
    std::string BatchPath;
    std::string TemplatePath;

    bool operator==(const AppFiles& other) const {
        return LogPath == other.LogPath && BatchPath == other.BatchPath &&
               TemplatePath == other.TemplatePath;
    }
};

/// The batch script's file name: a cmd.exe batch file on Windows, a POSIX
/// shell script elsewhere.
const char* BatchScriptName();

/// The three files in `folder`, which ends in a separator.
AppFiles AppFilesIn(const std::string& folder);

/// True when the program in `programDir` keeps its files beside itself.
/// `windows` picks the rule of that system (the running one by default).
bool KeepsFilesBesideProgram(const std::string& programDir);
bool KeepsFilesBesideProgram(const std::string& programDir, bool windows);

/// Where an installed program in `programDir` finds the defaults it copies
/// for each user: <prefix>/share/quillmark/, ending in a separator.
std::string InstalledDefaultsDir(const std::string& programDir);

/// The user's own files. The data folder is created, and the template and
/// batch script are each copied from `defaultsDir` when the user has none
/// and a default exists (a missing default is not an error: its use will
/// report it). The log's folder is not created here. `problem` receives
/// one line for each failure, naming the file or folder; the paths are
/// given still.
AppFiles PrepareUserFiles(const std::string& defaultsDir, std::string* problem = nullptr);

/// The files of the program in `programDir`: beside it, or the user's own
/// (prepared as above).
AppFiles LocateAppFiles(const std::string& programDir, std::string* problem = nullptr);

/// The comment and include lines ahead of the resource in the template at
/// `templatePath`; none when there is no template. Fails, naming the file
/// and why, when a template is there but can't be read (a FIFO, a folder,
/// no permission).
Expected<Lines> TemplateComIncLines(const std::string& templatePath);

} // namespace qm
