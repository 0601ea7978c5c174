//===- ScriptEscapes.h - The escapes of a script's quoted strings -*- C++ -*-===//
//
// Between quotes a resource compiler reads "" as one quote and a few
// backslash escapes; everything else stands for itself. These are the two
// directions of that rule, shared by the model of a script, the import of
// a compiled resource and the comparison of the two.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/support/Status.h"

#include <string>
#include <string_view>

namespace qm {

/// A compiled string value as the text to write between a script's quotes
/// so that a compiler gives back that very value: backslashes doubled,
/// quotes doubled, control characters and trailing blanks as escapes.
std::string ScriptTextOfCompiled(std::string_view utf8);

/// What a compiler makes of script text between quotes (UTF-8 or
/// Windows-1252 bytes): "" is one quote; \\ \n \r \t \a, \x with up to two
/// hex digits and up to three octal digits are escapes; any other
/// backslash stays; a NUL ends the value. The result is UTF-8.
std::string CompiledOfScriptText(std::string_view scriptText);

/// The same, keeping everything after a NUL: a string's full content.
std::string UnescapeScriptText(std::string_view scriptText);

/// The code pages a resource compiler reads narrow strings in: the default
/// (0) takes ASCII only.
enum class ScriptCodePage { AsciiOnly = 0, Windows1252 = 1252, Utf8 = 65001 };

/// A string token (with its quotes, and an L prefix for a wide string) as
/// llvm-rc puts it into a resource: UTF-16 units, cut at the first NUL, no
/// terminator. The bytes are read in `codePage`; in a narrow string an
/// escape gives a byte of that code page (\x two hex digits, octal three),
/// in a wide one a UTF-16 unit (\x four, octal seven). Fails, naming the
/// character, where llvm-rc refuses the string.
Expected<std::u16string> CompileStringToken(std::string_view token, ScriptCodePage codePage);

} // namespace qm
