//===- SettingNumbersTest.cpp - Integer and flag reading rules -----------===//
#include "settings/SettingNumbers.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {
constexpr std::int32_t Fallback = -77;
std::int32_t Setting(const char* text) {
    return ReadIntegerSetting(QString::fromLatin1(text), Fallback);
}
} // namespace

TEST(SettingNumbers, HexadecimalForms) {
    EXPECT_EQ(Setting("0x411"), 1041);
    EXPECT_EQ(Setting("0X411"), 1041);
    EXPECT_EQ(Setting("$4B0"), 1200);
    EXPECT_EQ(Setting("$4b0"), 1200);
    EXPECT_EQ(Setting("0x7FFFFFFF"), 0x7FFFFFFF);
    EXPECT_EQ(Setting("$FFFFFFFF"), -1); // all 32 bits, as the core shows negatives
    EXPECT_EQ(Setting("0x"), Fallback);  // too short to be turned into "$"
    EXPECT_EQ(Setting("$"), Fallback);
    EXPECT_EQ(Setting(" 0x10"), Fallback); // only a leading "0x" is recognised
    EXPECT_EQ(Setting("$100000000"), Fallback);
    EXPECT_EQ(Setting("-$10"), Fallback);
    EXPECT_EQ(Setting("0x-5"), Fallback);
}

TEST(SettingNumbers, DecimalFormsAndSigns) {
    EXPECT_EQ(Setting(" 9"), 9);
    EXPECT_EQ(Setting("\t\n 9"), 9);
    EXPECT_EQ(Setting("+9"), 9);
    EXPECT_EQ(Setting("-9"), -9);
    EXPECT_EQ(Setting("007"), 7);
    EXPECT_EQ(Setting("2147483647"), 2147483647);
    EXPECT_EQ(Setting("-2147483648"), INT32_MIN);
    EXPECT_EQ(Setting("2147483648"), Fallback);
    EXPECT_EQ(Setting("-2147483649"), Fallback);
    EXPECT_EQ(Setting("99999999999999999999999"), Fallback);
}

TEST(SettingNumbers, NotANumberGivesTheFallback) {
    for (const char* text : {"", " ", "12abc", "9 ", "+", "- 9", "abc", "1.5", "1e3", "$G"})
        EXPECT_EQ(Setting(text), Fallback) << '"' << text << '"';
}

TEST(SettingNumbers, PlainRuleHasNoZeroXForm) {
    EXPECT_EQ(ReadWholeNumber(QStringLiteral("$10")), 16);
    EXPECT_EQ(ReadWholeNumber(QStringLiteral(" 12")), 12);
    EXPECT_FALSE(ReadWholeNumber(QStringLiteral("0x10")));
    EXPECT_FALSE(ReadWholeNumber(QString()));
}

TEST(SettingNumbers, FlagIsTheLowEightBits) {
    EXPECT_TRUE(FlagFromNumber(1));
    EXPECT_TRUE(FlagFromNumber(2));
    EXPECT_TRUE(FlagFromNumber(257));
    EXPECT_TRUE(FlagFromNumber(-1));
    EXPECT_FALSE(FlagFromNumber(0));
    EXPECT_FALSE(FlagFromNumber(256));
    EXPECT_FALSE(FlagFromNumber(-256));
}
