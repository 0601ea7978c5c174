//===- Numbers.cpp - Numbers in text, checked once ------------------------===//

#include "versioninfo/support/Numbers.h"
#include "versioninfo/support/Text.h"

namespace qm {

namespace {

bool HasHexPrefix(std::string_view text) {
    return text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

} // namespace

std::optional<std::uint64_t> ParseNumber(std::string_view text, NumberBase base,
                                         std::uint64_t max) {
    unsigned radix = base == NumberBase::Decimal ? 10 : 16;
    if ((base == NumberBase::HexadecimalPrefix || base == NumberBase::Auto) && HasHexPrefix(text)) {
        text.remove_prefix(2);
        radix = 16;
    } else if (base == NumberBase::Auto) {
        radix = text.size() > 1 && text[0] == '0' ? 8 : 10;
    }
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        const int digitValue = HexDigitValue(c);
        const unsigned digit = digitValue < 0 ? radix : static_cast<unsigned>(digitValue);
        if (digit >= radix || digit > max || value > (max - digit) / radix)
            return std::nullopt;
        value = value * radix + digit;
    }
    return value;
}

} // namespace qm
