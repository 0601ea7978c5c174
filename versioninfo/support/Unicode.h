//===- Unicode.h - UTF-8, UTF-16 and Windows-1252 conversions -----*- C++ -*-===//
//
// Compiled resources hold UTF-16; scripts hold bytes, normally UTF-8, else
// the bytes of an 8-bit code page. These conversions let the two be compared
// and let compiled text become script bytes. None of them fails: what cannot
// be decoded becomes U+FFFD.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

/// True when every byte of `bytes` belongs to a well-formed UTF-8 sequence.
bool IsWellFormedUtf8(std::string_view bytes);

/// The code points of UTF-8 `bytes`; an ill-formed byte gives U+FFFD.
std::u32string DecodeUtf8(std::string_view bytes);

/// Windows-1252 bytes as code points (the five unassigned bytes map to
/// the C1 control of the same number, as the system's converter does).
std::u32string DecodeWindows1252(std::string_view bytes);

/// Script bytes as code points: UTF-8 when they are valid UTF-8, else
/// Windows-1252, the two encodings a script is compiled from.
std::u32string DecodeScriptBytes(std::string_view bytes);

/// Code points as UTF-8; a surrogate or a value above U+10FFFF gives U+FFFD.
std::string EncodeUtf8(std::u32string_view text);

/// UTF-16 little-endian `bytes` (an odd last byte is ignored) as code
/// points; a lone surrogate gives U+FFFD.
std::u32string DecodeUtf16Le(std::string_view bytes);

/// `text` as UTF-16 units, with surrogate pairs above U+FFFF.
std::u16string EncodeUtf16(std::u32string_view text);

/// A script saved as UTF-16 (little-endian, with its byte-order mark, as
/// Visual Studio saves one with non-ASCII text) as UTF-8 without the mark.
/// Nothing when `bytes` lack the mark or any NUL byte (8-bit text that
/// begins "ÿþ"), or hold a lone surrogate or an odd byte, which would not
/// come back unchanged.
std::optional<std::string> Utf8OfUtf16Script(std::string_view bytes);
/// Why bytes that begin with the UTF-16 mark and hold NUL bytes, as a
/// UTF-16 script does, are no UTF-16 text: an odd number of bytes, or a
/// lone surrogate (naming its offset). Empty for anything else.
std::string Utf16ScriptFault(std::string_view bytes);
/// The reverse: the mark, then `utf8` as UTF-16 little-endian.
std::string Utf16ScriptOfUtf8(std::string_view utf8);

} // namespace qm
