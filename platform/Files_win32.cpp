//===- Files_win32.cpp - Paths and file creation on Windows ---------------===//

#include "platform/Files.h"
#include "platform/Win32Text.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace qm::platform {

namespace {

const std::wstring LongPrefix = L"\\\\?\\";
const std::wstring LongUncPrefix = L"\\\\?\\UNC\\";

} // namespace

// Beyond MAX_PATH the system takes only the \\?\ form (with the
// longPathAware manifest, most calls take long paths too, but not all).
// That form skips the system's normalisation, so the path is made full,
// with backslashes, first.
std::filesystem::path NativePath(const std::string& bytes) {
    std::wstring wide = WidenAnsi(bytes);
    if (wide.size() < 248 || wide.rfind(LongPrefix, 0) == 0)
        return std::filesystem::path(wide);
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return std::filesystem::path(wide);
    std::wstring full(needed, L'\0');
    full.resize(GetFullPathNameW(wide.c_str(), needed, &full[0], nullptr));
    if (full.rfind(L"\\\\", 0) == 0)
        return std::filesystem::path(LongUncPrefix + full.substr(2));
    return std::filesystem::path(LongPrefix + full);
}

// Paths go back to the program without the prefix, as the user wrote them.
std::string PathBytes(const std::filesystem::path& path) {
    const std::wstring& wide = path.native();
    if (wide.rfind(LongUncPrefix, 0) == 0)
        return NarrowToAnsi(L"\\\\" + wide.substr(LongUncPrefix.size()));
    if (wide.rfind(LongPrefix, 0) == 0)
        return NarrowToAnsi(wide.substr(LongPrefix.size()));
    return NarrowToAnsi(wide);
}

std::FILE* OpenExistingForUpdate(const std::string& path) {
    return _wfopen(WidenAnsi(path).c_str(), L"r+b");
}

// _O_EXCL is the C runtime's form of CreateFileW(CREATE_NEW); fopen's "x"
// mode is not understood by every runtime a build may use (msvcrt.dll
// ignores it and would truncate a file of that name).
std::FILE* CreateExclusive(const std::string& path) {
    const int fd =
        _wopen(WidenAnsi(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
               _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return nullptr;
    std::FILE* file = _fdopen(fd, "wb");
    if (!file)
        _close(fd);
    return file;
}

namespace {

bool HeldByAnotherProgram(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED || error == ERROR_UNABLE_TO_REMOVE_REPLACED ||
           error == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
}

// The new content reaches the disk before it takes the old one's place.
void FlushToDisk(const std::filesystem::path& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    FlushFileBuffers(file);
    CloseHandle(file);
}

std::string InUse(DWORD error) {
    return "the file is in use by another program (" + SystemErrorText(error) +
           "); close it there, or wait a moment, and save again";
}

} // namespace

std::string CheckWritable(const std::string& path) {
    const std::wstring wide = WidenAnsi(path);
    DWORD error = 0;
    for (int attempt = 0; attempt < 20; ++attempt) {
        HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return std::string();
        }
        error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION)
            break;
        Sleep(100);
    }
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
        return InUse(error);
    return SystemErrorText(error);
}

/// `path` made whole, with backslashes: ReplaceFileW fails ("The directory
/// name is invalid") on a name relative to the current folder or one with
/// forward slashes on some systems.
std::wstring FullPath(const std::filesystem::path& path) {
    const std::wstring given = path.wstring();
    const DWORD needed = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return given;
    std::wstring full(needed, L'\0');
    full.resize(GetFullPathNameW(given.c_str(), needed, &full[0], nullptr));
    return full;
}

std::string RenameOver(const std::filesystem::path& fromPath, const std::filesystem::path& toPath) {
    const std::filesystem::path from = FullPath(fromPath);
    const std::filesystem::path to = FullPath(toPath);
    FlushToDisk(from);
    // ReplaceFileW keeps them too, but not every implementation does.
    const DWORD attributes = GetFileAttributesW(to.c_str());
    const bool replacing = attributes != INVALID_FILE_ATTRIBUTES;
    DWORD error = 0;
    for (int attempt = 0; attempt < 20; ++attempt) {
        const BOOL done = replacing
                              ? ReplaceFileW(to.c_str(), from.c_str(), nullptr,
                                             REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                              : MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH);
        if (done) {
            if (replacing)
                SetFileAttributesW(to.c_str(), attributes);
            return std::string();
        }
        error = GetLastError();
        if (!HeldByAnotherProgram(error))
            break;
        Sleep(100);
    }
    if (HeldByAnotherProgram(error))
        return InUse(error);
    return SystemErrorText(error);
}

} // namespace qm::platform
