//===- ShortPath.h - The short form of a folder's path -------------*- C++ -*-===//
#pragma once

#include <string>

namespace qm::platform {

/// The short (8.3) form of `path` on Windows, obtained with a buffer of 255
/// characters, so at most 254 of them: a longer form counts as not available
/// rather than being cut. Elsewhere `path` itself when that folder exists.
/// Empty when the system can't give it (for instance, no such folder).
std::string ShortPath(const std::string& path);

} // namespace qm::platform
