//===- Numbers.h - Numbers in text, checked once ---------------------*- C++ -*-===//
//
// Every number the program reads from text (an option, a JSON member, a
// block name, a file name) goes through here: the whole text must be
// digits, and a value past the bound, however many digits it has, is no
// number rather than an overflow.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace qm {

enum class NumberBase {
    Decimal,
    Hexadecimal,       ///< digits alone
    HexadecimalPrefix, ///< digits, with or without 0x or 0X first
    Auto,              ///< as C writes them: 0x... hexadecimal, 0... octal, else decimal
};

/// The number `text` spells, when it is all digits of `base` (no sign, no
/// blank) and at most `max`; nothing otherwise.
std::optional<std::uint64_t>
ParseNumber(std::string_view text, NumberBase base,
            std::uint64_t max = std::numeric_limits<std::uint64_t>::max());

} // namespace qm
