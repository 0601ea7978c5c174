//===- PathRules.h - Folder, name and extension of a document path -*- C++ -*-===//
//
// The window splits paths by plain text rules rather than by asking the file
// system, so that a path which does not exist yet (a proposed target) splits
// the same way as one that does. The folder part keeps its trailing
// separator, so folder + name gives the path back.
//
// Separators: "/" everywhere; on Windows also "\" and the drive colon. Paths
// are QString (UTF-16), so there are no double-byte characters to step over.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <QString>

namespace qm {

/// True when `c` ends the folder part of a path on this system.
bool IsPathSeparator(QChar c);

/// Everything up to and including the last separator; empty when there is none.
QString PathFolder(const QString& path);

/// Everything after the last separator.
QString PathName(const QString& path);

/// `path` with the extension of its name part (from the last "." after the
/// last separator) replaced by ".rc"; a name without a "." gets ".rc"
/// appended. "a.b.c" gives "a.b.rc".
QString PathWithRcExtension(const QString& path);

} // namespace qm
