//===- PathParts.h - Folder, name and extension of a path, by text -*- C++ -*-===//
//
// Paths are split by their text, never by asking the file system, so that a
// path that does not exist yet (a proposed target, a compiler still to be
// installed) splits like one that does. The style says which characters
// separate: "/" on POSIX; "\", "/" and the drive colon on Windows (Qt hands
// out "/" there too). Separators are ASCII, so the rules hold for the
// program's bytes and for UTF-8 alike.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <string>
#include <string_view>

namespace qm {

enum class PathStyle { Windows, Posix };

/// The style of the system the program was built for.
PathStyle NativePathStyle();

/// The separator put between a folder and a name.
char FolderSeparator(PathStyle style);

bool IsPathSeparator(char c, PathStyle style);

/// Everything up to and including the last separator; empty when there is
/// none. FolderPart + NamePart gives the path back.
std::string FolderPart(std::string_view path, PathStyle style);

/// Everything after the last separator.
std::string NamePart(std::string_view path, PathStyle style);

/// The folder that holds the file `path`, as a folder's own name: the
/// folder part without its last separator, except where that would change
/// the folder named: a root ("/", "C:\"), a drive's current folder ("C:")
/// and a folder part that ends in a second separator keep it.
std::string ContainingFolder(std::string_view path, PathStyle style);

/// `path` with its extension (from the last "." of the name part) replaced
/// by `extension`; a name without one gets `extension` appended. "a.b.c"
/// with ".rc" gives "a.b.rc".
std::string ReplaceExtension(std::string_view path, std::string_view extension, PathStyle style);

} // namespace qm
