//===- EditLock.h - One edit of a file at a time ------------------*- C++ -*-===//
//
// An edit reads a file, changes it and writes it back. Two runs doing that
// side by side (parallel build jobs bumping one script, say) would each
// write what they read plus their own change, and one change would be
// lost. Every such edit holds this advisory lock on its file from before
// the read until after the write, so runs of quillmark-rc and the window
// wait for one another. On POSIX it is flock(2) on the file itself; on
// Windows a named mutex of the file's full path.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/support/Status.h"

#include <cstdint>
#include <string>

namespace qm::platform {

class EditLock {
public:
    EditLock() = default;
    EditLock(EditLock&& other) noexcept : Handle(other.Handle) { other.Handle = None; }
    EditLock& operator=(EditLock&& other) noexcept;
    EditLock(const EditLock&) = delete;
    EditLock& operator=(const EditLock&) = delete;
    ~EditLock() { Release(); }

    /// Lets go of the lock; nothing when none is held.
    void Release();

private:
    friend Expected<EditLock> LockForEdit(const std::string& path);
    static constexpr std::intptr_t None = -1;
    std::intptr_t Handle = None;
};

/// Waits until no other edit holds the file at `path` (bytes, as the file
/// system takes them), then holds it until the lock is released or the
/// process ends. On POSIX a file that does not exist, or that can't be
/// opened to be read, gets no lock: there is nothing to lose, and the read
/// that follows names the problem. Fails (Io), with no lock held, only when
/// the wait itself failed.
Expected<EditLock> LockForEdit(const std::string& path);

} // namespace qm::platform
