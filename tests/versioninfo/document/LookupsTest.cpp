//===- LookupsTest.cpp - Tables, lookups and new-document defaults ---------===//
#include "TestSupport.h"

#include "versioninfo/document/Lookups.h"
#include "versioninfo/document/VersionRecord.h"

namespace qm {
namespace {

using test::RowOf;

TEST(Tables, SubTypeListsFollowTheFileTypeCaseSensitively) {
    EXPECT_EQ(SubTypeLists("VFT_DRV").size(), 12u);
    EXPECT_EQ(SubTypeLists("VFT_DRV")[9], "VFT2_DRV_SOUND");
    EXPECT_EQ(SubTypeLists("VFT_DRV").back(), "VFT2_DRV_INPUTMETHOD");
    EXPECT_EQ(SubTypeLists("VFT_FONT"), (TextList{"VFT2_UNKNOWN", "VFT2_FONT_RASTER",
                                                  "VFT2_FONT_VECTOR", "VFT2_FONT_TRUETYPE"}));
    for (const char* single : {"VFT_VXD", "VFT_STATIC_LIB", "", "vft_drv", "VFT_APP"})
        EXPECT_EQ(SubTypeLists(single), TextList{"VFT2_UNKNOWN"}) << single;
}

TEST(Tables, RowValuesReadTheNumberColumn) {
    EXPECT_EQ(LanguageValue(" 409  U.S. English"), 0x0409);
    EXPECT_EQ(LanguageValue(" C0C  Canadian French"), 0x0C0C);
    EXPECT_EQ(LanguageValue("100C  Swiss French"), 0x100C);
    EXPECT_EQ(CodePageValue("   0  7-bit ASCII"), 0);
    EXPECT_EQ(CodePageValue(" 932  Windows, Japan (Shift - JIS X-0208)"), 932);
    EXPECT_EQ(CodePageValue("1256  Windows, Arabic"), 1256);
}

// Every row is found by its own number; by its text too, but for neutral
// (0), whose text "0" other rows hold before it.
TEST(Tables, EveryRowIsSelectedByItsOwnValue) {
    for (int row = 0; row < static_cast<int>(LanguageTable().size()); ++row) {
        const int value = LanguageValue(LanguageTable()[row]);
        EXPECT_EQ(LanguageRowOf(value), row);
        if (value != 0) {
            EXPECT_EQ(SelectContaining(LanguageTable(), LanguageIDText(value), -1), row);
        }
    }
    for (int row = 0; row < static_cast<int>(CodePageTable().size()); ++row) {
        EXPECT_EQ(CodePageRowOf(CodePageValue(CodePageTable()[row])), row);
        EXPECT_EQ(SelectContaining(CodePageTable(),
                                   CodePageText(CodePageValue(CodePageTable()[row])), -1),
                  row);
    }
}

TEST(Lookups, FindContainingMatchesAnywhereTopRowFirst) {
    EXPECT_EQ(FindContaining(CodePageTable(), "0"), 0);
    EXPECT_EQ(FindContaining(CodePageTable(), "950"), 3);
    EXPECT_EQ(FindContaining(CodePageTable(), ""), -1);
    EXPECT_EQ(FindContaining(CodePageTable(), "850"), -1);
    // The name part counts as much as the number: Danish before 40D Hebrew.
    EXPECT_EQ(FindContaining(LanguageTable(), "D"), 5);
    EXPECT_EQ(FindContaining(LanguageTable(), "danish"), -1);
}

TEST(Lookups, FindLongestContainedPrefersLongerThenHigherRows) {
    EXPECT_EQ(FindLongestContained(FileOSTable(), "VOS_DOS_WINDOWS32"), 2);
    EXPECT_EQ(FindLongestContained(FileOSTable(), "  VOS_NT_WINDOWS32 // x"), 3);
    EXPECT_EQ(FindLongestContained(FileOSTable(), "VOS__WINDOWS32"), 11);
    EXPECT_EQ(FindLongestContained(FileOSTable(), "0x40004L"), -1);
    EXPECT_EQ(FindLongestContained(FileOSTable(), ""), -1);
    EXPECT_EQ(SelectLongestContained(FileOSTable(), "0x40004L", 0), 0);
    EXPECT_EQ(SelectLongestContained(FileOSTable(), "0x40004L", -1), -1);
    // Equally long candidates: the top-most wins; empty rows never count.
    EXPECT_EQ(FindLongestContained({"AB", "", "BC"}, "ABC"), 0);
    EXPECT_EQ(FindLongestContained({"", "X"}, "ABC"), -1);
}

TEST(Lookups, SelectExactIgnoresCaseAndFallsBack) {
    EXPECT_EQ(SelectExact(FileOSTable(), "vos_nt", -1), 9);
    EXPECT_EQ(SelectExact(FileOSTable(), "VOS_NT ", -1), -1);
    EXPECT_EQ(SelectExact(FileOSTable(), "VOS_MARS", -1), -1);
    EXPECT_EQ(SelectExact(FileOSTable(), "VOS_MARS", 4), 4);
    EXPECT_EQ(SelectContaining(LanguageTable(), "ZZZ", 7), 7);
}

TEST(Lookups, StartsWithTextAndStripPrefix) {
    EXPECT_TRUE(StartsWithText("FILEVERSION 1", "FILEVERSION"));
    EXPECT_FALSE(StartsWithText("FILEVERSION", ""));
    EXPECT_FALSE(StartsWithText("", "X"));
    EXPECT_FALSE(StartsWithText("fileversion", "FILEVERSION"));

    std::string line = "FILEVERSION       1, 0, 0, 1 \t";
    EXPECT_TRUE(StripPrefix(line, "FILEVERSION"));
    EXPECT_EQ(line, "1, 0, 0, 1");
    std::string other = "PRODUCTVERSION 2";
    EXPECT_FALSE(StripPrefix(other, "FILEVERSION"));
    EXPECT_EQ(other, "PRODUCTVERSION 2");
    // Bytes above 0x7F are not blanks.
    std::string high = "VALUE\xA0x\xA0";
    EXPECT_TRUE(StripPrefix(high, "VALUE"));
    EXPECT_EQ(high, "\xA0x\xA0");
}

TEST(Text, SplitLinesHandlesEveryBreakAndStopsAtNul) {
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n"), Lines{"a"});
    EXPECT_EQ(SplitLines("\n\r\n\r"), (Lines{"", "", ""}));
    EXPECT_EQ(SplitLines("a\n\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines(std::string_view("a\nb\0c\nd", 7)), (Lines{"a", "b"}));
    EXPECT_EQ(JoinCrLf({"a", ""}), "a\r\n\r\n");
}

TEST(Text, HexAndTrim) {
    EXPECT_EQ(HexText(0), "0");
    EXPECT_EQ(HexText(1033), "409");
    EXPECT_EQ(HexText(0x100C), "100C");
    EXPECT_EQ(HexText(-1), "FFFFFFFF");
    EXPECT_EQ(Trim(" \t\x01 a b \x1f"), "a b");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a \x7f "), "  a \x7f");
}

TEST(Defaults, BuiltInDefaults) {
    VersionRecord r = NewDocument({});
    EXPECT_TRUE(r.ComIncLines.empty());
    EXPECT_EQ(r.HFileVersion, "1, 0, 0, 1");
    EXPECT_EQ(r.HProductVersion, "1, 0, 0, 1");
    EXPECT_FALSE(r.FFDebug || r.FFPreRelease || r.FFPatched);
    EXPECT_EQ(r.FileOS, "VOS_DOS_WINDOWS32");
    EXPECT_EQ(r.FileType, "VFT_APP");
    EXPECT_EQ(r.FileSubType, "VFT2_UNKNOWN");
    EXPECT_EQ(RowText(LanguageTable(), r.LanguageID), " 411  Japanese");
    EXPECT_EQ(RowText(CodePageTable(), r.CodePage), "1200  Unicode");
    for (const std::string& value : r.StringValues)
        EXPECT_EQ(value, "");
}

TEST(Defaults, SettingsDefaultsSelectRowsOrNone) {
    NewDocumentDefaults d;
    d.FileOSName = "vos_nt_windows32";
    d.LanguageID = 0x100C;
    d.CodePage = 0;
    VersionRecord r = NewDocument(d);
    EXPECT_EQ(r.FileOS, "VOS_NT_WINDOWS32");
    EXPECT_EQ(r.LanguageID, RowOf(LanguageTable(), "100C  Swiss French"));
    EXPECT_EQ(r.CodePage, 0);

    d.FileOSName = "VOS_MARS";
    d.LanguageID = 0x7777;
    d.CodePage = 850;
    r = NewDocument(d);
    EXPECT_EQ(r.FileOS, "");
    EXPECT_EQ(r.LanguageID, NoRow);
    EXPECT_EQ(r.CodePage, NoRow);
}

} // namespace
} // namespace qm
