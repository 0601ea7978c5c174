//===- FileRead_win32.cpp - Read a whole file on Windows ------------------===//

#include "platform/FileRead.h"
#include "platform/Files.h"
#include "platform/Win32Text.h"

#include <windows.h>

#include <algorithm>

namespace qm::platform {

namespace {

class Handle {
public:
    explicit Handle(HANDLE handle) : Value(handle) {}
    ~Handle() {
        if (Value != INVALID_HANDLE_VALUE)
            CloseHandle(Value);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return Value; }
    void release() { Value = INVALID_HANDLE_VALUE; }

private:
    HANDLE Value;
};

} // namespace

Expected<std::string> ReadWholeFile(const std::string& path, std::uint64_t maxBytes,
                                    ReadSource source) {
    const std::wstring wide = NativePath(path).native();
    if (wide.empty())
        return Status::Io(SystemErrorText(ERROR_INVALID_NAME));
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Status::Io("it is a folder");
    // Sharing everything: another program may have the file open, as an
    // editor often has.
    Handle file(CreateFileW(wide.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
        return Status::Io(SystemErrorText(GetLastError()));

    const DWORD type = GetFileType(file.get());
    const bool regular = type == FILE_TYPE_DISK;
    const bool stream = type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR;
    if (!regular && (source == ReadSource::RegularFile || !stream))
        return Status::Refused("it is not a regular file");

    std::string bytes;
    if (regular) {
        LARGE_INTEGER size;
        if (!GetFileSizeEx(file.get(), &size))
            return Status::Io(SystemErrorText(GetLastError()));
        if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes)
            return Status::Limit("");
        bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    }
    char buffer[1 << 16];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
            const DWORD error = GetLastError();
            // A pipe whose writer has closed reports its end this way.
            if (error == ERROR_BROKEN_PIPE)
                break;
            return Status::Io(SystemErrorText(error));
        }
        if (got == 0)
            break;
        if (bytes.size() + got > maxBytes)
            return Status::Limit("");
        bytes.append(buffer, got);
    }
    return bytes;
}

std::unique_ptr<PositionedFile> PositionedFile::OpenRegular(const std::string& path) {
    const std::wstring wide = NativePath(path).native();
    if (wide.empty())
        return nullptr;
    Handle file(CreateFileW(wide.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (file.get() == INVALID_HANDLE_VALUE || GetFileType(file.get()) != FILE_TYPE_DISK ||
        !GetFileSizeEx(file.get(), &size))
        return nullptr;
    std::unique_ptr<PositionedFile> opened(new PositionedFile(
        reinterpret_cast<std::intptr_t>(file.get()), static_cast<std::uint64_t>(size.QuadPart)));
    file.release();
    return opened;
}

PositionedFile::~PositionedFile() {
    CloseHandle(reinterpret_cast<HANDLE>(Native));
}

bool PositionedFile::ReadAt(std::uint64_t offset, std::size_t length, char* into) {
    while (length > 0) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD asked = static_cast<DWORD>(std::min<std::size_t>(length, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(reinterpret_cast<HANDLE>(Native), into, asked, &got, &at)) {
            const DWORD error = GetLastError();
            if (error != ERROR_HANDLE_EOF) {
                Why = SystemErrorText(error);
                return false;
            }
        }
        if (got == 0) {
            Why = "the file ended early; was it changed?";
            return false;
        }
        into += got;
        offset += got;
        length -= got;
    }
    return true;
}

} // namespace qm::platform
