//===- SafeSave.h - Replace a file's contents without losing it ---*- C++ -*-===//
//
// Every file the program writes goes through here. The new contents go to a
// temporary file in the same folder, which is flushed and checked, and only
// then renamed over the target. A failure at any step leaves the old file
// byte-identical and removes the temporary file.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "Status.h"

#include <string>
#include <string_view>

namespace qm {

/// Replaces the contents of `path` by `bytes`. Refuses a target that exists
/// but is not writable (a read-only file is never replaced behind the user's
/// back). Keeps the permissions of an existing target. Error messages name
/// the file.
Status SaveFileSafely(const std::string& path, std::string_view bytes);

/// Reads a whole file. Fails, naming the file, when it cannot be opened or
/// read (a folder included).
Expected<std::string> LoadFile(const std::string& path);

} // namespace qm
