//===- CompileCommand.h - The compiler's command line, formed as data -*- C++ -*-===//
//
// Save & Compile starts either the batch file or the compiler itself. This
// unit forms what is started, without starting anything: the command line as
// the user reads it (its parts joined exactly as they stand) and the argument
// vector that is actually handed to the platform, so that a file name with
// blanks, quotes or shell characters reaches the compiler as one argument and
// runs nothing else.
//
// Plain standard C++: the Windows quoting is formed and tested on every system.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/support/PathParts.h"
#include "versioninfo/support/Status.h"

#include <string>
#include <string_view>
#include <vector>

namespace qm {

/// The words of a command text from the settings, split at blanks.
std::vector<std::string> SplitCommandWords(std::string_view commandText);

/// What a compile is made of; all texts are bytes, as the settings hold them.
struct CompileInputs {
    /// The folder the batch file leaves its log in, ending in a separator:
    /// the program's folder, or an installed copy's per-user log folder.
    std::string ProgramDir;
    std::string BatchPath;    ///< The batch file (shell script on POSIX).
    std::string CompilerPath; ///< The compiler folder, without a trailing separator.
    std::string CommandText;  ///< The command words chosen by the "32" toggle.
    std::string ScriptPath;   ///< The saved script, full path.
};

/// A command ready to start.
struct CompileCommand {
    /// The command line as the user reads it: parts joined as they stand,
    /// without quotes, e.g. "C:\Tools\QuillmarkEX.bat C:\Tools\ Brcc32 -v -32 App.rc".
    std::string Text;
    /// The program to start and its arguments, each handed over whole.
    std::string Program;
    std::vector<std::string> Arguments;
    /// The folder the command is started in.
    std::string WorkingDir;
};

/// Batch mode: the batch file with the program folder, the command words and
/// the script's bare name, started in the script's folder. On POSIX the
/// script is handed to /bin/sh, since its first line is the folder
/// assignment and leaves no room for a "#!" line. Fails when the command
/// text holds no word.
Expected<CompileCommand> FormBatchCommand(const CompileInputs& inputs, PathStyle style);

/// Direct mode: the compiler folder, a separator and the command words, with
/// the script's full path last. Fails when the command text holds no word.
Expected<CompileCommand> FormDirectCommand(const CompileInputs& inputs, PathStyle style);

/// The longest command line cmd.exe accepts.
constexpr std::size_t WindowsCommandLineLimit = 8191;

/// A Windows command line that CommandLineToArgvW splits back into exactly
/// `argv` and that cmd.exe, when it runs a batch file, takes as plain words.
/// Any argument holding more than letters, digits and #$*+-./:?@\_ is put in
/// double quotes. Refuses, naming the argument, any argument that holds
/// %, !, ", CR, LF or NUL (cmd.exe expands or splits at them even inside
/// quotes) or that ends in a dot or a blank (Windows drops those from file
/// names); refuses a line longer than WindowsCommandLineLimit.
Expected<std::string> FormWindowsCommandLine(const std::vector<std::string>& argv);

} // namespace qm
