//===- SettingNumbersTest.cpp - Integer and flag reading rules -----------===//
#include "settings/SettingNumbers.h"

#include <gtest/gtest.h>

using namespace qm;

TEST(SettingNumbers, StoredIntegerTexts) {
    constexpr std::int32_t Fallback = -77;
    const struct {
        const char* Text;
        std::int32_t Value;
    } cases[] = {
        // clang-format off
        {"0x411", 1041}, {"0X411", 1041}, {"$4B0", 1200}, {"$4b0", 1200},
        {" 9", 9}, {"\t 9", 9}, {"+9", 9}, {"-9", -9},
        {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
        {"$FFFFFFFF", -1}, // all 32 bits, as the core shows negatives
        // Not numbers: the fallback.
        {"0x", Fallback}, {" 0x10", Fallback}, {"$", Fallback}, {"-$10", Fallback},
        {"0x-5", Fallback}, {"2147483648", Fallback}, {"-2147483649", Fallback},
        {"$100000000", Fallback}, {"", Fallback}, {" ", Fallback}, {"12abc", Fallback},
        {"9 ", Fallback}, {"+", Fallback}, {"- 9", Fallback}, {"1.5", Fallback},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadIntegerSetting(c.Text, Fallback), c.Value) << '"' << c.Text << '"';
    // The font-size box has no "0x" form.
    EXPECT_EQ(ReadWholeNumber(" $10"), 16);
    EXPECT_FALSE(ReadWholeNumber("0x10"));
}

TEST(SettingNumbers, FlagIsTheLowEightBits) {
    for (std::int32_t on : {1, 2, 257, -1})
        EXPECT_TRUE(FlagFromNumber(on)) << on;
    for (std::int32_t off : {0, 256, -256})
        EXPECT_FALSE(FlagFromNumber(off)) << off;
}
