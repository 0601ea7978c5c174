//===- AppFiles.cpp - Where the log, the batch script and the template live ===//

#include "settings/AppFiles.h"

#include "platform/Files.h"
#include "platform/System.h"
#include "platform/UserFolders.h"
#include "versioninfo/script/ScriptReader.h"
#include "versioninfo/support/SafeSave.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

namespace qm {

namespace {

namespace fs = std::filesystem;

const char* const UserFolderName = "quillmark";

std::string WithSeparator(const std::string& folder) {
    const char last = folder.empty() ? '\0' : folder.back();
    if (last == '/' || (platform::RunsOnWindows() && last == '\\'))
        return folder;
    return folder + (platform::RunsOnWindows() ? '\\' : '/');
}

// %LOCALAPPDATA%\Quillmark\ on Windows; $XDG_DATA_HOME/quillmark/ elsewhere.
std::string UserDataDir() {
    return WithSeparator(WithSeparator(platform::UserDataFolder()) +
                         (platform::RunsOnWindows() ? "Quillmark" : UserFolderName));
}

// The XDG state folder holds what a program leaves behind between runs that
// is neither configuration nor data worth keeping: logs among them. Windows
// has none, so the log lives with the rest there.
std::string UserStateDir() {
    if (platform::RunsOnWindows())
        return UserDataDir();
    return WithSeparator(WithSeparator(platform::UserStateFolder()) + UserFolderName);
}

bool Exists(const std::string& path) {
    std::error_code error;
    return fs::exists(platform::NativePath(path), error);
}

bool IsFile(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(platform::NativePath(path), error);
}

/// Adds one line to the problems reported, keeping those before it.
void Report(std::string* problem, const std::string& line) {
    if (problem)
        *problem += (problem->empty() ? "" : "\n") + line;
}

/// Copies `from` to `to` unless something is at `to` already or there is
/// nothing to copy. The copy is the user's, so it is writable by them.
void CopyDefault(const std::string& from, const std::string& to, std::string* problem) {
    if (Exists(to) || !IsFile(from))
        return;
    std::error_code error;
    const fs::path target = platform::NativePath(to);
    if (!fs::copy_file(platform::NativePath(from), target, error)) {
        Report(problem, "Can't copy " + from + " to " + to);
        return;
    }
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add,
                    error);
}

/// True when a new file can be made in `folder`: made and removed again.
bool CanCreateFileIn(const std::string& folder) {
    std::random_device random;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::string probe =
            folder + "quillmark-write-test-" + std::to_string(random() % 1000000000u);
        Expected<std::FILE*> file = platform::CreateExclusive(probe);
        if (file) {
            std::fclose(*file);
            std::error_code error;
            fs::remove(platform::NativePath(probe), error);
            return true;
        }
        if (file.kind() != ErrorKind::Refused) // anything but a name already taken
            return false;
    }
    return false;
}

} // namespace

const char* BatchScriptName() {
    return platform::RunsOnWindows() ? "QuillmarkEX.bat" : "QuillmarkEX.sh";
}

AppFiles AppFilesIn(const std::string& folder) {
    return {folder + LogFileName, folder + BatchScriptName(), folder + TemplateFileName};
}

bool KeepsFilesBesideProgram(const std::string& programDir) {
    return KeepsFilesBesideProgram(programDir, platform::RunsOnWindows());
}

// Windows installs the shipped files beside the program, so holding them
// says nothing there: only a folder the user may write in is a portable
// copy's.
bool KeepsFilesBesideProgram(const std::string& programDir, bool windows) {
    const AppFiles beside = AppFilesIn(WithSeparator(programDir));
    const bool holdsFiles = Exists(beside.TemplatePath) || Exists(beside.BatchPath);
    if (!windows || !holdsFiles)
        return holdsFiles;
    return CanCreateFileIn(WithSeparator(programDir));
}

std::string InstalledDefaultsDir(const std::string& programDir) {
    if (platform::RunsOnWindows())
        return WithSeparator(programDir);
    const fs::path share = (platform::NativePath(programDir) / ".." / "share" / "quillmark");
    return WithSeparator(platform::PathBytes(share.lexically_normal()));
}

AppFiles PrepareUserFiles(const std::string& defaultsDir, std::string* problem) {
    const std::string dataDir = UserDataDir();
    AppFiles files = AppFilesIn(dataDir);
    files.LogPath = UserStateDir() + LogFileName;
    std::error_code error;
    fs::create_directories(platform::NativePath(dataDir), error);
    if (error || !fs::is_directory(platform::NativePath(dataDir), error)) {
        Report(problem, "Can't create the folder " + dataDir);
        return files;
    }
    const AppFiles defaults = AppFilesIn(WithSeparator(defaultsDir));
    CopyDefault(defaults.TemplatePath, files.TemplatePath, problem);
    CopyDefault(defaults.BatchPath, files.BatchPath, problem);
    return files;
}

Expected<Lines> TemplateComIncLines(const std::string& templatePath) {
    // Without a template a new document has no comment lines; a template
    // that is there but can't be read is an error, not an empty template.
    std::error_code error;
    if (!fs::exists(fs::symlink_status(platform::NativePath(templatePath), error)))
        return Lines{};
    const LoadedFile bytes = LoadFile(templatePath);
    if (!bytes)
        return Status::Fail("New documents take their first lines from the template "
                            "Initial.rc. " +
                            bytes.message());
    // Only the lines ahead of the resource are taken. A template the reader
    // refuses gives none, as a refused read leaves a new document's.
    Expected<Lines> leading = ScriptLeadingLines(*bytes);
    return leading ? std::move(*leading) : Lines{};
}

AppFiles LocateAppFiles(const std::string& programDir, std::string* problem) {
    if (KeepsFilesBesideProgram(programDir))
        return AppFilesIn(WithSeparator(programDir));
    return PrepareUserFiles(InstalledDefaultsDir(programDir), problem);
}

} // namespace qm
