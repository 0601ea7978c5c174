//===- Win32Text.h - Text conversions of the Windows sources -----*- C++ -*-===//
//
// Used by the *_win32.cpp files only. The program's bytes are in the ANSI
// code page on Windows; the system's wide calls take UTF-16.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <optional>
#include <string>

namespace qm::platform {

/// ANSI code page bytes as UTF-16.
std::wstring WidenAnsi(const std::string& bytes);

/// UTF-16 as ANSI code page bytes; a character the code page lacks becomes
/// the code page's default character ('?').
std::string NarrowToAnsi(const std::wstring& text);
/// The same without "best fit": nothing when a character has no exact
/// form in the code page (U+FF02 must not become '"', U+2215 not '/').
std::optional<std::string> NarrowToAnsiExactly(const std::wstring& text);
/// The same for any code page (CP_OEMCP, the console's, for batch files).
std::optional<std::string> NarrowExactly(const std::wstring& text, unsigned codePage);

/// `text` in UTF-8.
std::string NarrowToUtf8(const std::wstring& text);

/// `path` made whole (GetFullPathNameW), or as it is when that fails.
std::wstring FullPathName(const std::wstring& path);

/// The system's words for the error code `error`, in the ANSI code page,
/// without the closing period and line end.
std::string SystemErrorText(unsigned long error);

} // namespace qm::platform
