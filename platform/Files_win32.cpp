//===- Files_win32.cpp - Paths and file creation on Windows ---------------===//

#include "platform/Files.h"
#include "platform/Win32Text.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace qm::platform {

std::filesystem::path NativePath(const std::string& bytes) {
    return std::filesystem::path(WidenAnsi(bytes));
}

std::string PathBytes(const std::filesystem::path& path) {
    return NarrowToAnsi(path.native());
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

bool RenameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    return MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

} // namespace qm::platform
