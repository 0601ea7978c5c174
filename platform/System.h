//===- System.h - Which system the program was built for ----------*- C++ -*-===//
//
// The one question logic may ask about the system, answered at run time so
// that both answers are compiled everywhere: path style, the batch file's
// kind and the text encoding of scripts follow from it.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <optional>
#include <string>

namespace qm::platform {

/// True in a Windows build.
bool RunsOnWindows();

/// The program's bytes as the batch interpreter reads a batch file: on
/// Windows cmd.exe reads the OEM code page, so ANSI text is converted,
/// exactly or not at all (nothing when a character has no exact form);
/// elsewhere the bytes as they are.
std::optional<std::string> BatchFileText(const std::string& bytes);

} // namespace qm::platform
