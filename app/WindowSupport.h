//===- WindowSupport.h - Small helpers of the main window's sources -*- C++ -*-===//
//
// Paths between the window's QString and the core's bytes, split by the
// core's text rules, and two scope guards.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "controls/FilePaths.h"
#include "versioninfo/script/ScriptLexer.h"
#include "versioninfo/support/PathParts.h"

#include <QApplication>
#include <QString>

#include <functional>
#include <string>

namespace qm {

// The window's paths split by the same text rules as the rest of the
// program.
inline QString PathFolder(const QString& path) {
    return PathText(FolderPart(PathBytes(path), NativePathStyle()));
}

inline QString PathName(const QString& path) {
    return PathText(NamePart(PathBytes(path), NativePathStyle()));
}

inline QString PathWithRcExtension(const QString& path) {
    return PathText(ReplaceExtension(PathBytes(path), ".rc", NativePathStyle()));
}

/// How the window reads the script at `path`: its own headers are read
/// from beside it, as a compiler reads them.
inline PreprocessOptions PreprocessFor(const QString& path) {
    PreprocessOptions options;
    options.ScriptPath = PathBytes(path);
    options.ReadIncludes = true;
    return options;
}

/// Runs its action when it goes out of scope, however the scope is left.
class OnExit {
public:
    explicit OnExit(std::function<void()> action) : Action(std::move(action)) {}
    ~OnExit() { Action(); }
    OnExit(const OnExit&) = delete;
    OnExit& operator=(const OnExit&) = delete;

private:
    std::function<void()> Action;
};

/// Shows a busy cursor for as long as it lives.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace qm
