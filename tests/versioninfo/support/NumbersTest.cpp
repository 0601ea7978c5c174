//===- NumbersTest.cpp - The one number parser ----------------------------===//
#include "versioninfo/support/Numbers.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(Numbers, WholeTextWithinTheBoundOrNothing) {
    const struct {
        const char* Text;
        NumberBase Base;
        std::uint64_t Max;
        std::optional<std::uint64_t> Expected;
    } cases[] = {
        {"409", NumberBase::HexadecimalPrefix, 0xFFFF, 0x409},
        {"0x409", NumberBase::HexadecimalPrefix, 0xFFFF, 0x409},
        {"0x409", NumberBase::Hexadecimal, 0xFFFF, std::nullopt},
        {"10000", NumberBase::Hexadecimal, 0xFFFF, std::nullopt},
        {"65535", NumberBase::Decimal, 0xFFFF, 65535},
        {"65536", NumberBase::Decimal, 0xFFFF, std::nullopt},
        {"99999999999999999999999", NumberBase::Decimal, UINT64_MAX, std::nullopt},
        {"18446744073709551615", NumberBase::Decimal, UINT64_MAX, UINT64_MAX},
        {"", NumberBase::Decimal, UINT64_MAX, std::nullopt},
        {"0x", NumberBase::HexadecimalPrefix, UINT64_MAX, std::nullopt},
        {"-1", NumberBase::Decimal, UINT64_MAX, std::nullopt},
        {" 1", NumberBase::Decimal, UINT64_MAX, std::nullopt},
        {"1 ", NumberBase::Decimal, UINT64_MAX, std::nullopt},
        {"017", NumberBase::Auto, UINT64_MAX, 15},
        {"018", NumberBase::Auto, UINT64_MAX, std::nullopt},
        {"0X1f", NumberBase::Auto, UINT64_MAX, 31},
        {"0", NumberBase::Auto, 0, 0},
        {"5", NumberBase::Decimal, 0, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseNumber(c.Text, c.Base, c.Max), c.Expected) << '"' << c.Text << '"';
}

} // namespace
} // namespace qm
