//===- Startup.h - Program start-up, in its fixed order -----------*- C++ -*-===//
//
// The toolkit and the application (title "Quillmark"), then the main window,
// whose creation loads the settings and starts a document, then the options
// dialog, hidden, then the event loop, which shows the main window.
//
//===----------------------------------------------------------------------===//
#pragma once

namespace qm {

/// Runs the program; returns the exit code of the event loop. With the one
/// argument "--self-check" it starts up without showing a window, prints
/// the version and the paths of the template, the batch script and the log,
/// and returns 0 when the files it needs were found and no error came up.
int RunQuillmark(int argc, char** argv);

} // namespace qm
