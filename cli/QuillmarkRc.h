//===- QuillmarkRc.h - Command-line entry of quillmark-rc -----------------===//
//
// Parses the arguments, refusing options the command does not take, and
// runs the command. Kept apart from main() so the whole tool is a library call.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "Commands.h"

#include <string>
#include <vector>

namespace qm {

/// Runs quillmark-rc on `args` (the program name excluded; each argument
/// as the bytes the system passed) and returns the exit code.
int RunQuillmarkRc(const std::vector<std::string>& args, CliStreams& io);

} // namespace qm
