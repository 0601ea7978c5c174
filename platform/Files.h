//===- Files.h - Paths, exclusive creation and replacement of files -*- C++ -*-===//
//
// The file operations whose form differs between systems. Paths are bytes
// as the file system takes them: on Windows in the ANSI code page (what
// QFile::encodeName gives there), elsewhere the bytes of the name. A
// failure is a Status in the system's words.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/support/Status.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace qm::platform {

/// `bytes` as a path of the standard library. On Windows the bytes are read
/// in the ANSI code page; the library itself would take them for UTF-8
/// (MinGW) and lose every name with a non-ASCII character.
std::filesystem::path NativePath(const std::string& bytes);

/// `path` as bytes again, the inverse of NativePath. A character the ANSI
/// code page can't hold comes out as '?' on Windows.
std::string PathBytes(const std::filesystem::path& path);

/// Opens the existing file at `path` for reading and writing without
/// creating or truncating anything.
Expected<std::FILE*> OpenExistingForUpdate(const std::string& path);

/// Creates the file at `path` and opens it for binary writing, refused
/// (ErrorKind::Refused) when any file of that name exists already,
/// atomically: two programs can't both create it, and an existing file is
/// never reused or truncated.
Expected<std::FILE*> CreateExclusive(const std::string& path);

/// Ok when the existing file at `path` can be opened for writing (it is
/// neither created nor changed), else the reason. On Windows a file that
/// another program holds open is waited for about two seconds first.
Status CheckWritable(const std::string& path);

/// Renames `from` over `to` in one step, replacing `to` (not named
/// ReplaceFile, which <windows.h> defines as a macro); else the reason. On Windows `from` is
/// flushed to the disk first, an existing `to` keeps its attributes, ACLs and streams
/// (ReplaceFileW), and while another program holds `to` open (a virus scanner, the search indexer,
/// a cloud sync) the replace is retried for about two seconds.
Status RenameOver(const std::filesystem::path& from, const std::filesystem::path& to);

/// True when `a` and `b` both name one existing file, compared as files
/// rather than names: a hard link, a symbolic link or another spelling of
/// the path all count. False when either is missing.
bool SameFile(const std::string& a, const std::string& b);

} // namespace qm::platform
