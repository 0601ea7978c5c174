//===- Files_win32.cpp - Paths and file creation on Windows ---------------===//

#include "platform/Files.h"
#include "platform/Win32Text.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <optional>
#include <sys/stat.h>
#include <utility>
#include <windows.h>

namespace qm::platform {

namespace {

const std::wstring LongPrefix = L"\\\\?\\";
const std::wstring LongUncPrefix = L"\\\\?\\UNC\\";

} // namespace

namespace {

// CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9 name devices in every
// folder and with any extension ("nul.rc" is the NUL device), unless the
// path is given in the \\?\ form.
bool IsDosDeviceName(std::wstring name) {
    name = name.substr(0, name.find(L'.'));
    while (!name.empty() && (name.back() == L' ' || name.back() == L':'))
        name.pop_back();
    for (wchar_t& c : name)
        c = static_cast<wchar_t>(c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c);
    if (name == L"CON" || name == L"PRN" || name == L"AUX" || name == L"NUL")
        return true;
    return name.size() == 4 &&
           (name.compare(0, 3, L"COM") == 0 || name.compare(0, 3, L"LPT") == 0) &&
           name[3] >= L'1' && name[3] <= L'9';
}

} // namespace

// Beyond MAX_PATH the system takes only the \\?\ form (with the
// longPathAware manifest, most calls take long paths too, but not all).
// That form skips the system's normalisation, so the path is made full,
// with backslashes, first. A file whose name is a device's is reached in
// that form too, so that it reads as the file it is, as it does elsewhere.
std::filesystem::path NativePath(const std::string& bytes) {
    std::wstring wide = WidenAnsi(bytes);
    const std::size_t nameAt = wide.find_last_of(L"\\/:") + 1;
    const bool device = IsDosDeviceName(wide.substr(nameAt));
    if ((wide.size() < 248 && !device) || wide.rfind(LongPrefix, 0) == 0)
        return std::filesystem::path(wide);
    // The full name of a device's name is the device, so only its folder
    // is made full.
    std::wstring full =
        device ? FullPathName(nameAt ? wide.substr(0, nameAt) : L".\\") : FullPathName(wide);
    if (device) {
        if (!full.empty() && full.back() != L'\\')
            full += L'\\';
        full += wide.substr(nameAt);
    }
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

Expected<std::FILE*> OpenExistingForUpdate(const std::string& path) {
    if (std::FILE* file = _wfopen(NativePath(path).c_str(), L"r+b"))
        return file;
    return Status::Io(std::strerror(errno));
}

// _O_EXCL is the C runtime's form of CreateFileW(CREATE_NEW); fopen's "x"
// mode is not understood by every runtime a build may use (msvcrt.dll
// ignores it and would truncate a file of that name).
Expected<std::FILE*> CreateExclusive(const std::string& path) {
    const int fd =
        _wopen(NativePath(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
               _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return errno == EEXIST ? Status::Refused(std::strerror(errno))
                               : Status::Io(std::strerror(errno));
    std::FILE* file = _fdopen(fd, "wb");
    if (!file) {
        const int error = errno;
        _close(fd);
        return Status::Io(std::strerror(error));
    }
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

Status CheckWritable(const std::string& path) {
    const std::wstring wide = NativePath(path).native();
    DWORD error = 0;
    for (int attempt = 0; attempt < 20; ++attempt) {
        HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return Status::Ok();
        }
        error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION)
            break;
        Sleep(100);
    }
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
        return Status::Io(InUse(error));
    return Status::Io(SystemErrorText(error));
}

/// `path` made whole, with backslashes: ReplaceFileW fails ("The directory
/// name is invalid") on a name relative to the current folder or one with
/// forward slashes on some systems.
std::wstring FullPath(const std::filesystem::path& path) {
    return FullPathName(path.wstring());
}

Status RenameOver(const std::filesystem::path& fromPath, const std::filesystem::path& toPath) {
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
            return Status::Ok();
        }
        error = GetLastError();
        if (!HeldByAnotherProgram(error))
            break;
        Sleep(100);
    }
    if (HeldByAnotherProgram(error))
        return Status::Io(InUse(error));
    return Status::Io(SystemErrorText(error));
}

namespace {

// The volume and index that tell a file apart, whatever name it is
// reached by; nothing when it can't be opened.
std::optional<std::pair<DWORD, ULONGLONG>> FileIdentity(const std::string& path) {
    HANDLE file = CreateFileW(NativePath(path).c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL read = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    if (!read)
        return std::nullopt;
    return std::make_pair(info.dwVolumeSerialNumber,
                          (ULONGLONG(info.nFileIndexHigh) << 32) | info.nFileIndexLow);
}

} // namespace

bool SameFile(const std::string& a, const std::string& b) {
    const auto first = FileIdentity(a);
    return first && first == FileIdentity(b);
}

} // namespace qm::platform
