//===- SettingNumbers.h - How stored texts become numbers and flags -*- C++ -*-===//
//
// Whole numbers are read the way the settings have always been read: leading
// blanks, then an optional sign and decimal digits, or "$" and hexadecimal
// digits, and nothing after. A stored setting may also use "0x"/"0X" for the
// "$". The options dialog's font-size box uses the plain rule. Texts are
// UTF-8; no character outside ASCII is a blank or a digit.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qm {

/// `text` as a whole number, or nothing when it is not one (the empty text,
/// trailing characters, a value outside 32 bits). No "0x" form here.
std::optional<std::int32_t> ReadWholeNumber(std::string_view text);

/// A stored integer setting: as ReadWholeNumber, but a text longer than two
/// characters that begins with "0x" or "0X" is read as "$" and the rest.
/// Anything that is not a number gives `fallback`.
std::int32_t ReadIntegerSetting(std::string_view stored, std::int32_t fallback);

/// A flag is on when the low eight bits of its number are not all zero.
inline bool FlagFromNumber(std::int32_t number) {
    return (number & 0xFF) != 0;
}

} // namespace qm
