//===- System.h - Which system the program was built for ----------*- C++ -*-===//
//
// The one question logic may ask about the system, answered at run time so
// that both answers are compiled everywhere: path style, the batch file's
// kind and the text encoding of scripts follow from it.
//
//===----------------------------------------------------------------------===//
#pragma once

namespace qm::platform {

/// True in a Windows build.
bool RunsOnWindows();

} // namespace qm::platform
