//===- SettingNumbers.cpp - How stored texts become numbers and flags ----===//
//
// Hexadecimal numbers may use all 32 bits ("$FFFFFFFF" is -1), matching how
// the core shows a negative number in hexadecimal; decimal numbers must fit
// a signed 32-bit integer. Anything outside is not a number.
//
//===----------------------------------------------------------------------===//
#include "settings/SettingNumbers.h"

#include "versioninfo/support/Numbers.h"

#include <string>

namespace qm {
namespace {

bool IsBlankChar(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

} // namespace

std::optional<std::int32_t> ReadWholeNumber(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && IsBlankChar(text[pos]))
        ++pos;
    if (pos < text.size() && text[pos] == '$') {
        const auto value = ParseNumber(text.substr(pos + 1), NumberBase::Hexadecimal, 0xFFFFFFFFu);
        if (!value)
            return std::nullopt;
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(*value));
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::uint64_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
    const auto value = ParseNumber(text.substr(pos), NumberBase::Decimal, limit);
    if (!value)
        return std::nullopt;
    const std::int64_t signedValue =
        negative ? -static_cast<std::int64_t>(*value) : static_cast<std::int64_t>(*value);
    return static_cast<std::int32_t>(signedValue);
}

std::int32_t ReadIntegerSetting(std::string_view stored, std::int32_t fallback) {
    // Only a "0x" at the very start counts: a blank before it, or "0x" with
    // nothing after, leaves a text that is not a number.
    if (stored.size() > 2 && stored[0] == '0' && (stored[1] == 'x' || stored[1] == 'X'))
        return ReadWholeNumber("$" + std::string(stored.substr(2))).value_or(fallback);
    return ReadWholeNumber(stored).value_or(fallback);
}

} // namespace qm
