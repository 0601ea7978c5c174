//===- VersionCheckTest.cpp - Findings and bumps of fixed and string versions -===//

#include "TestSupport.h"

#include "versioninfo/document/VersionCheck.h"
#include "versioninfo/script/VersionBump.h"

namespace qm {
namespace {

using test::Example2Record;

std::string FieldsOf(const Findings& findings) {
    std::string fields;
    for (const Finding& f : findings)
        fields += (fields.empty() ? "" : " ") + f.Field;
    return fields;
}

TEST(VersionCheck, DottedAndSemVerTextsGetTheirCommaForm) {
    const std::pair<const char*, const char*> cases[] = {
        {"1.2.3", "1, 2, 3, 0"}, {"1.2.3-beta", "1, 2, 3, 0"},
        {"v1.2", "1, 2, 0, 0"},  {" 1.2.3.4+7 ", "1, 2, 3, 4"},
        {"1, 2, 3, 4", nullptr}, {"1", nullptr},
        {"1.2.3.4.5", nullptr},  {"1.2-", nullptr},
        {"1..2", nullptr},       {"VER_MAJOR.2", nullptr},
    };
    for (const auto& [text, comma] : cases) {
        const std::optional<std::string> got = CommaFormOfDotted(text);
        EXPECT_EQ(got.has_value(), comma != nullptr) << text;
        if (got && comma) {
            EXPECT_EQ(*got, comma) << text;
        }
    }
}

TEST(VersionCheck, FixedVersionsMustBeFourSixteenBitNumbers) {
    const std::pair<const char*, const char*> cases[] = {
        {"1.2.3-beta", "a resource compiler needs 1, 2, 3, 0"},
        {"1, 2, 70000, 0", "part 3 is 70000, which does not fit in 16 bits"},
        {"1, 2, 3", "has 3 parts; it needs four"},
        {"1, 2.5, 3, 4", "part 2 \"2.5\" is not a number"},
        {"", "is empty"},
    };
    for (const auto& [text, message] : cases) {
        VersionRecord r = Example2Record();
        r.HProductVersion = text;
        const Findings findings = CheckDocument(r);
        ASSERT_EQ(findings.size(), 1u) << text;
        EXPECT_EQ(findings[0].Field, "PRODUCTVERSION");
        EXPECT_NE(findings[0].Message.find(message), std::string::npos) << findings[0].Message;
    }
    VersionRecord fine = Example2Record();
    fine.HProductVersion = "0x2, 1L, 0, 65535";
    EXPECT_TRUE(CheckDocument(fine).empty());
    // A leading 0 is octal to llvm-rc and windres: 0200000 is 65536.
    Expected<std::vector<std::uint64_t>> octal = ParseVersionNumbers("010, 0x10, 0200000");
    ASSERT_TRUE(octal);
    EXPECT_EQ(*octal, (std::vector<std::uint64_t>{8, 16, 65536}));
    // Macros, expressions and comments are the compiler's to work out.
    for (const char* text : {"VER_PRODUCTVERSION", "VER_MAJOR, VER_MINOR, 0, 0", "1+1, 0, 0, 0",
                             "2, 1, 0, 0 // beta"}) {
        fine.HProductVersion = text;
        EXPECT_TRUE(CheckDocument(fine).empty()) << text;
    }
}

TEST(VersionCheck, StringVersionsMustAgreeWithTheFixedOnes) {
    VersionRecord r = Example2Record(); // FileVersion "2.1.0.15", FILEVERSION 2, 1, 0, 15
    EXPECT_TRUE(CheckDocument(r).empty());
    const std::pair<const char*, bool> cases[] = {
        {"2.1.0.15 (beta)", true}, {"v2.1.0.15", true},  {"2, 1, 0, 15", true},
        {"2.1.0.14", false},       {"2.1", false},       {"Version two", false},
        {"\\02.1.0.15", true},     {"\\#VER_STR", true}, {"", true},
    };
    for (const auto& [value, agrees] : cases) {
        r.StringValues[0] = value;
        EXPECT_EQ(FieldsOf(CheckDocument(r)), agrees ? "" : "FileVersion") << value;
    }
    r = Example2Record();
    r.HProductVersion = "2, 1, 0, 0";
    r.StringValues[7] = "2.1"; // missing parts count as 0
    EXPECT_TRUE(CheckDocument(r).empty());
    r.StringValues[7] = "2.2";
    const Findings findings = CheckDocument(r);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].Message,
              "The string ProductVersion \"2.2\" disagrees with PRODUCTVERSION 2, 1, 0, 0");
}

TEST(VersionCheck, CodePageMustHoldTheStrings) {
    VersionRecord r = Example2Record();                // code page 1252
    r.StringValues[4] = "Ex\xC3\xA4mple \xE2\x82\xAC"; // "Exämple €" in UTF-8
    EXPECT_TRUE(CheckDocument(r).empty());
    r.CodePage = test::RowOf(CodePageTable(), "1251  Windows, Cyrillic");
    Findings findings = CheckDocument(r);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].Field, "CodePage");
    EXPECT_NE(findings[0].Message.find("U+00E4"), std::string::npos) << findings[0].Message;
    r.CodePage = test::RowOf(CodePageTable(), "1200  Unicode");
    EXPECT_TRUE(CheckDocument(r).empty());
    r.CodePage = test::RowOf(CodePageTable(), "   0  7-bit ASCII");
    r.StringValues[4] = "Ex\xE4mple"; // a Latin-1 script's byte
    EXPECT_EQ(FieldsOf(CheckDocument(r)), "CodePage");
    r.StringValues[4] = "\\#MACRO_\xE4"; // bare: the compiler's business
    EXPECT_TRUE(CheckDocument(r).empty());
}

TEST(VersionBump, EachPartRestartsTheLowerOnesAndRewritesAgreeingStrings) {
    const VersionRecord before = Example2Record(); // 2, 1, 0, 15 and 2, 1, 0, 0
    struct Case {
        VersionPart Part;
        const char* File;
        const char* Product;
        const char* FileString;
    };
    const Case cases[] = {
        {VersionPart::Build, "2, 1, 0, 16", "2, 1, 0, 1", "2.1.0.16"},
        {VersionPart::Patch, "2, 1, 1, 0", "2, 1, 1, 0", "2.1.1.0"},
        {VersionPart::Minor, "2, 2, 0, 0", "2, 2, 0, 0", "2.2.0.0"},
        {VersionPart::Major, "3, 0, 0, 0", "3, 0, 0, 0", "3.0.0.0"},
    };
    for (const Case& c : cases) {
        Expected<BumpResult> bumped = BumpVersion(before, c.Part);
        ASSERT_TRUE(bumped) << bumped.message();
        VersionRecord expected = before;
        expected.HFileVersion = c.File;
        expected.HProductVersion = c.Product;
        expected.StringValues[0] = c.FileString;
        EXPECT_EQ(bumped->Record, expected) << c.File;
        ASSERT_EQ(bumped->Notes.size(), 1u); // ProductVersion is a macro
        EXPECT_NE(bumped->Notes[0].find("ProductVersion is written bare"), std::string::npos);
    }
}

TEST(VersionBump, KeepsTheAuthorsFormAndRefusesWhatItCannotRead) {
    VersionRecord r = Example2Record();
    r.HFileVersion = "1,2,3,4";
    r.HProductVersion = "1.2.0"; // dotted: unambiguous, written back in comma form
    r.StringValues[0] = "v1.2.3.4-beta";
    r.StringValues[7] = "1.2"; // shows two parts; the bumped patch needs a third
    Expected<BumpResult> bumped = BumpVersion(r, VersionPart::Patch);
    ASSERT_TRUE(bumped) << bumped.message();
    EXPECT_EQ(bumped->Record.HFileVersion, "1,2,4,0");
    EXPECT_EQ(bumped->Record.HProductVersion, "1, 2, 1, 0");
    EXPECT_EQ(bumped->Record.StringValues[0], "v1.2.4.0-beta");
    EXPECT_EQ(bumped->Record.StringValues[7], "1.2.1");
    EXPECT_TRUE(bumped->Notes.empty());

    r.StringValues[0] = "9.9"; // disagrees before the bump: left alone, noted
    bumped = BumpVersion(r, VersionPart::Build);
    ASSERT_TRUE(bumped);
    EXPECT_EQ(bumped->Record.StringValues[0], "9.9");
    ASSERT_EQ(bumped->Notes.size(), 1u);

    r.HFileVersion = "1, 2, 3, 4 // nightly";
    bumped = BumpVersion(r, VersionPart::Build);
    ASSERT_TRUE(bumped) << bumped.message();
    EXPECT_EQ(bumped->Record.HFileVersion, "1, 2, 3, 5 // nightly");

    r.HFileVersion = "1, 2, 3, 65535";
    bumped = BumpVersion(r, VersionPart::Build);
    ASSERT_FALSE(bumped);
    EXPECT_NE(bumped.message().find("already 65535"), std::string::npos);
    r.HFileVersion = "VER_FILEVERSION";
    EXPECT_FALSE(BumpVersion(r, VersionPart::Build));
}

} // namespace
} // namespace qm
