//===- EditLock_win32.cpp - One edit of a file at a time, by a mutex ------===//
//
// A lock on the file itself would keep a save from replacing it, so the
// lock is a named mutex of the file's full path, in the lower case the
// file system compares names in. A mutex whose holder died is handed on
// (WAIT_ABANDONED), never left held.
//
//===----------------------------------------------------------------------===//
#include "platform/EditLock.h"

#include "platform/Files.h"
#include "platform/Win32Text.h"

#include <cwchar>
#include <windows.h>

namespace qm::platform {

namespace {

// Mutex names may not hold a backslash and are at most MAX_PATH long, so
// the path is named by a 64-bit FNV-1a hash of it.
std::wstring MutexName(const std::wstring& path, const wchar_t* space) {
    std::wstring lower = FullPathName(path);
    CharLowerBuffW(&lower[0], static_cast<DWORD>(lower.size()));
    std::uint64_t hash = 1469598103934665603ull;
    for (wchar_t c : lower) {
        hash ^= static_cast<std::uint16_t>(c);
        hash *= 1099511628211ull;
    }
    wchar_t name[64];
    std::swprintf(name, 64, L"%lsquillmark-edit-%016llx", space,
                  static_cast<unsigned long long>(hash));
    return name;
}

} // namespace

EditLock& EditLock::operator=(EditLock&& other) noexcept {
    if (this != &other) {
        Release();
        Handle = other.Handle;
        other.Handle = None;
    }
    return *this;
}

void EditLock::Release() {
    if (Handle == None)
        return;
    HANDLE mutex = reinterpret_cast<HANDLE>(Handle);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    Handle = None;
}

Expected<EditLock> LockForEdit(const std::string& path) {
    // Taken whether or not the file is there: while another run replaces
    // it, its name may be missing for a moment.
    const std::wstring wide = NativePath(path).native();
    // Global\ reaches runs in other sessions (a build service and the
    // desktop); where that namespace is closed, the session's own serves.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, MutexName(wide, L"Global\\").c_str());
    if (!mutex)
        mutex = CreateMutexW(nullptr, FALSE, MutexName(wide, L"Local\\").c_str());
    if (!mutex)
        return Status::Io(SystemErrorText(GetLastError()));
    const DWORD waited = WaitForSingleObject(mutex, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        const Status failed = Status::Io(SystemErrorText(GetLastError()));
        CloseHandle(mutex);
        return failed;
    }
    EditLock lock;
    lock.Handle = reinterpret_cast<std::intptr_t>(mutex);
    return lock;
}

} // namespace qm::platform
