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
#include <vector>

namespace qm::platform {

/// True in a Windows build.
bool RunsOnWindows();

/// The program's bytes as the batch interpreter reads a batch file: on
/// Windows cmd.exe reads the OEM code page, so ANSI text is converted,
/// exactly or not at all (nothing when a character has no exact form);
/// elsewhere the bytes as they are.
std::optional<std::string> BatchFileText(const std::string& bytes);

/// The log a batch run leaves, for showing: on Windows cmd.exe's own lines
/// and console programs' output are in the OEM code page, so the log comes
/// back as UTF-8 (true in `utf8`); elsewhere the bytes as they are (false).
std::string BatchLogText(const std::string& bytes, bool& utf8);

/// Text in the program's own encoding (its arguments' and paths') as
/// UTF-8: on Windows the ANSI code page is converted; elsewhere the
/// program's text is UTF-8 already, and the bytes come back as they are
/// (the caller tells whether they are well-formed).
std::string Utf8OfProgramText(const std::string& bytes);

/// The folders a resource compiler of the system looks in for headers
/// besides those it is given: on Windows the INCLUDE variable's, as rc.exe
/// takes them; none elsewhere.
std::vector<std::string> CompilerIncludeFolders();

} // namespace qm::platform
