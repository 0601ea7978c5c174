//===- Text.h - Byte-text helpers shared by the core --------------*- C++ -*-===//
//
// Script text is 8-bit and never re-encoded. A "blank" is any byte whose
// code is 32 or less; bytes 0x80..0xFF are ordinary characters, which is why
// every test here goes through unsigned char.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

using Lines = std::vector<std::string>;

inline bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}
inline bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

inline bool IsAsciiHexDigit(char c) {
    return IsAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
/// The value of a hexadecimal (or decimal) digit; -1 for any other byte.
inline int HexDigitValue(char c) {
    if (IsAsciiDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
/// A letter, digit or underscore: what C names (and resource names) are made of.
inline bool IsIdentifierChar(char c) {
    return IsAsciiDigit(c) || c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string_view TrimLeft(std::string_view text);
std::string_view TrimRight(std::string_view text);
std::string_view Trim(std::string_view text);

/// Splits file bytes into lines: a line ends at CR, LF or CR LF; a last line
/// without an end is a line; a NUL ends the text; an empty text has no lines.
Lines SplitLines(std::string_view bytes);

/// Joins lines, each followed by CR LF (the last one too).
std::string JoinCrLf(const Lines& lines);

/// A number token of a script as llvm-rc and windres read it: 0x
/// hexadecimal, a leading 0 octal, else decimal; L and U suffixes allowed.
/// Values above 32 bits come back as 0x100000000 (too large for any
/// field). Nothing when the token is no number.
std::optional<std::uint64_t> ScriptNumberValue(std::string_view token);

/// `text` between double quotes, as messages show a name or a value.
std::string Quote(std::string_view text);

/// Uppercase hexadecimal without leading zeros (at least one digit). A
/// negative number is shown as its 32-bit two's complement.
std::string HexText(long long value);
/// The same after "0x", as messages show a number: "0x40004".
std::string Hex(std::uint32_t value);
/// Four uppercase hexadecimal digits, as a block name holds a language or
/// a code page: "0409".
std::string Hex4(unsigned value);

} // namespace qm
