//===- ScriptReaderTest.cpp - Landmarks, keyword lines, reports ------------===//
#include "TestSupport.h"

#include "versioninfo/document/Lookups.h"
#include "versioninfo/script/ScriptWriter.h"

namespace qm {
namespace {

using test::ReadLines;
using test::RowOf;

// Example 1's lines: 0 header, 1-7 fixed part, 8 BEGIN, 9 StringFileInfo,
// 11 block name, 13 + k the line of string key k, 25 the END that stops.
constexpr int FixedLine = 1;
constexpr int BlockNameLine = 11;
constexpr int FirstValueLine = 13;
constexpr int CommentsKey = 3;

Lines Base() {
    return SplitLines(test::ReadExample("Example1.rc"));
}

Lines With(Lines lines, int index, std::string text) {
    lines.at(index) = std::move(text);
    return lines;
}

Lines WithBlockName(std::string_view nameLine) {
    return With(Base(), BlockNameLine, "        BLOCK " + std::string(nameLine));
}

// The script of Example 1 with extra fixed-part lines before its BEGIN.
ReadResult ReadFixed(const Lines& extra) {
    Lines lines = Base();
    lines.insert(lines.begin() + 8, extra.begin(), extra.end());
    return ReadLines(lines);
}

std::string ReadComments(const std::string& valueLine) {
    ReadResult r =
        ReadLines(With(Base(), FirstValueLine + CommentsKey, "           VALUE " + valueLine));
    EXPECT_TRUE(r.Reports.empty());
    return r.Record.StringValues[CommentsKey];
}

std::string LanguageRow(const ReadResult& r) {
    return RowText(LanguageTable(), r.Record.LanguageID);
}
std::string CodePageRow(const ReadResult& r) {
    return RowText(CodePageTable(), r.Record.CodePage);
}

TEST(ScriptReader, ExamplesReadBackWithoutReports) {
    ReadResult one = ReadScriptText(test::ReadExample("Example1.rc"), {});
    EXPECT_TRUE(one.Reports.empty());
    EXPECT_FALSE(one.ConversionError);
    EXPECT_EQ(one.Record, NewDocument({}));
    EXPECT_EQ(one.ImageLines, Base());
    EXPECT_EQ(LanguageRow(one), " 411  Japanese");
    EXPECT_EQ(CodePageRow(one), "1200  Unicode");

    // Read with other defaults, Example 1 still gives its own rows.
    NewDocumentDefaults other{"VOS_NT", 0x409, 1252};
    EXPECT_EQ(ReadScriptText(test::ReadExample("Example1.rc"), other).Record.LanguageID,
              RowOf(LanguageTable(), " 411  Japanese"));

    ReadResult two = ReadScriptText(test::ReadExample("Example2.rc"), {});
    EXPECT_TRUE(two.Reports.empty());
    VersionRecord expected = test::Example2Record();
    expected.StringValues[1] = "Sample library"; // trailing blanks are not written
    EXPECT_EQ(two.Record, expected);
    EXPECT_EQ(LanguageRow(two), " 409  U.S. English");
    EXPECT_EQ(CodePageRow(two), "1252  Windows, Multilingual");
}

TEST(ScriptReader, EmptyFileKeepsTheNewDocument) {
    ReadResult r = ReadScriptText("", {});
    EXPECT_EQ(r.Record, NewDocument({}));
    EXPECT_TRUE(r.ImageLines.empty());
    EXPECT_EQ(r.Reports, Lines{"Can't find VERSIONINFO"});
}

TEST(ScriptReader, LinesBeforeTheHeaderAreKeptAsTheyStand) {
    ReadResult none = ReadLines({"  ", "", "// VERSIONINFO in a comment", "\tx"});
    EXPECT_EQ(none.Record.ComIncLines, (Lines{"  ", "", "// VERSIONINFO in a comment", "\tx"}));
    EXPECT_EQ(none.Reports, Lines{"Can't find VERSIONINFO"});

    Lines lines = Base();
    lines.insert(lines.begin(), {"   // VERSIONINFO stays a comment", " \t", ""});
    ReadResult r = ReadLines(lines);
    EXPECT_EQ(r.Record.ComIncLines, (Lines{"   // VERSIONINFO stays a comment", " \t", ""}));
    EXPECT_TRUE(r.Reports.empty());
}

TEST(ScriptReader, AnyNonCommentLineWithTheWordIsTheHeader) {
    for (const char* header : {"1 VERSIONINFO", "VS_VERSION_INFO     VERSIONINFO",
                               "#define MY_VERSIONINFO 1", "  /* VERSIONINFO */"}) {
        ReadResult r = ReadLines(With(Base(), 0, header));
        EXPECT_TRUE(r.Reports.empty()) << header;
        EXPECT_TRUE(r.Record.ComIncLines.empty()) << header;
    }
}

TEST(ScriptReader, EachMissingLandmarkHasItsReport) {
    EXPECT_EQ(ReadLines({"1 VERSIONINFO", "FILEVERSION 2"}).Reports, Lines{"Can't find BEGIN"});
    // Compilers take keywords in any case and braces for BEGIN and END.
    for (const char* open : {"begin", "{"}) {
        const std::string close = open[0] == '{' ? "}" : "end";
        ReadResult r = ReadLines({"1 versioninfo", "fileversion 2", open,
                                  "block \"stringfileinfo\"", open, "block \"040904e4\"", open,
                                  "value \"Comments\", \"c\"", close, close, close});
        EXPECT_TRUE(r.Reports.empty()) << open;
        EXPECT_EQ(r.Record.StringValues[3], "c") << open;
        EXPECT_EQ(LanguageRow(r), " 409  U.S. English");
    }

    ReadResult noStrings = ReadLines({"1 VERSIONINFO", "BEGIN", "  BLOCK \"VarFileInfo\"", "END"});
    EXPECT_EQ(noStrings.Reports, Lines{"Can't find \"StringFileInfo\""});
    EXPECT_EQ(noStrings.Reports[0].size(), 27u);

    // The string block's own lines do not count as the language block.
    ReadResult noBlock = ReadLines({"1 VERSIONINFO", "BEGIN", "BLOCK \"StringFileInfo\"", "BEGIN"});
    EXPECT_EQ(noBlock.Reports, Lines{"Can't find END"});
    EXPECT_EQ(noBlock.Record.LanguageID, NewDocument({}).LanguageID);

    Lines noEnd = Base();
    noEnd.resize(FirstValueLine + 4);
    noEnd.push_back("           VALUE \"CompanyName\", \"Kept\\0\"");
    ReadResult r = ReadLines(noEnd);
    EXPECT_EQ(r.Reports, Lines{"Can't find END"});
    EXPECT_EQ(r.Record.StringValues[4], "Kept");
}

TEST(ScriptReader, VersionTextsAreTakenUnparsed) {
    ReadResult r = ReadFixed({"FILEVERSION 1,2,3,4", "  PRODUCTVERSION\t1, 0, 0, 1 // build  "});
    EXPECT_EQ(r.Record.HFileVersion, "1,2,3,4");
    EXPECT_EQ(r.Record.HProductVersion, "1, 0, 0, 1 // build");
    EXPECT_EQ(ReadFixed({"fileversion 9"}).Record.HFileVersion, "1, 0, 0, 1");
}

TEST(ScriptReader, FlagsMask) {
    ReadResult bad = ReadFixed({"FILEFLAGSMASK 0x3fL"});
    EXPECT_EQ(bad.Reports, Lines{"FILEFLAGSMASK must be VS_FFI_FILEFLAGSMASK"});
    EXPECT_EQ(bad.Record, NewDocument({}));
    EXPECT_TRUE(ReadFixed({"FILEFLAGSMASK VS_FFI_FILEFLAGSMASK // ok"}).Reports.empty());
}

TEST(ScriptReader, EveryFlagsLineSetsAllThreeFlags) {
    EXPECT_FALSE(ReadFixed({"FILEFLAGS VS_FF_DEBUG", "FILEFLAGS 0x1L"}).Record.FFDebug);
    VersionRecord r = ReadFixed({"FILEFLAGS VS_FF_DEBUG|VS_FF_PRIVATEBUILD"}).Record;
    EXPECT_TRUE(r.FFDebug);
    EXPECT_FALSE(r.FFPreRelease || r.FFPatched);
    r = ReadFixed({"FILEFLAGS VS_FF_PATCHED | VS_FF_PRERELEASE"}).Record;
    EXPECT_TRUE(r.FFPatched && r.FFPreRelease);
    EXPECT_FALSE(r.FFDebug);
}

TEST(ScriptReader, SymbolStatementsTakeTheLongestContainedRow) {
    EXPECT_EQ(ReadFixed({"FILEOS VOS_NT_WINDOWS32"}).Record.FileOS, "VOS_NT_WINDOWS32");
    EXPECT_EQ(ReadFixed({"FILEOS VOS__WINDOWS32"}).Record.FileOS, "VOS__WINDOWS32");
    EXPECT_EQ(ReadFixed({"FILEOS 0x40004L"}).Record.FileOS, "VOS_UNKNOWN");
    EXPECT_EQ(ReadFixed({"FILETYPE 0x2L"}).Record.FileType, "VFT_UNKNOWN");

    VersionRecord r = ReadFixed({"FILETYPE VFT_DRV", "FILESUBTYPE VFT2_DRV_SOUND"}).Record;
    EXPECT_EQ(r.FileType, "VFT_DRV");
    EXPECT_EQ(r.FileSubType, "VFT2_DRV_SOUND");
    // The type picks a fresh list and resets the subtype to its first row.
    r = ReadFixed({"FILESUBTYPE VFT2_DRV_SOUND", "FILETYPE VFT_DRV"}).Record;
    EXPECT_EQ(r.FileSubType, "VFT2_UNKNOWN");
    r = ReadFixed({"FILETYPE VFT_FONT", "FILESUBTYPE VFT2_FONT_TRUETYPE", "FILETYPE VFT_DLL"})
            .Record;
    EXPECT_EQ(r.FileSubType, "VFT2_UNKNOWN");
    // Before any FILETYPE the list is that of VFT_APP, whatever the defaults.
    EXPECT_EQ(ReadFixed({"FILESUBTYPE VFT2_DRV_SOUND"}).Record.FileSubType, "VFT2_UNKNOWN");
}

TEST(ScriptReader, BlockNamesSelectLanguageAndCodePage) {
    ReadResult r = ReadLines(WithBlockName("\"100C04E4\""));
    EXPECT_EQ(LanguageRow(r), "100C  Swiss French");
    EXPECT_EQ(CodePageRow(r), "1252  Windows, Multilingual");
    EXPECT_TRUE(r.Reports.empty());

    // Neutral is the table's last row, not the first row whose text holds
    // a 0; a language the table lacks is still reported.
    r = ReadLines(WithBlockName("\"000004E4\""));
    EXPECT_EQ(LanguageRow(r), "   0  Language Neutral");
    EXPECT_TRUE(r.Reports.empty());
    r = ReadLines(WithBlockName("\"047E04E4\""));
    EXPECT_EQ(r.Record.LanguageID, NoRow);
    EXPECT_EQ(r.Reports, Lines{"Unknown LanguageID 47E"});
    r = ReadLines(WithBlockName("\"04090000\""));
    EXPECT_EQ(CodePageRow(r), "   0  7-bit ASCII");
    r = ReadLines(WithBlockName("\"040904e4\""));
    EXPECT_EQ(CodePageRow(r), "1252  Windows, Multilingual");
}

TEST(ScriptReader, UnknownLanguageAndCodePageAreReportedWithTheirNumbers) {
    ReadResult r = ReadLines(WithBlockName("\"04090352\""));
    EXPECT_EQ(r.Reports, Lines{"Unknown CodePage 850"});
    EXPECT_EQ(r.Record.CodePage, NoRow);
    EXPECT_EQ(LanguageRow(r), " 409  U.S. English");

    // Without quotes every piece shifts by one character.
    r = ReadLines(WithBlockName("040904E4"));
    EXPECT_EQ(r.Reports, Lines{"Unknown LanguageID 4090"});
    EXPECT_EQ(CodePageRow(r), "1252  Windows, Multilingual");
}

TEST(ScriptReader, ReportsComeInTheirFixedOrder) {
    Lines lines = WithBlockName("\"77770352\"");
    lines.insert(lines.begin() + 8, "FILEFLAGSMASK 0");
    lines.resize(FirstValueLine + 3);
    EXPECT_EQ(ReadLines(lines).Reports,
              (Lines{"FILEFLAGSMASK must be VS_FFI_FILEFLAGSMASK", "Unknown LanguageID 7777",
                     "Unknown CodePage 850", "Can't find END"}));
}

TEST(ScriptReader, DefaultsWithoutRowsAreReportedWithTheDefaultNumbers) {
    NewDocumentDefaults d{"VOS_MARS", 0x7777, 850};
    ReadResult r = ReadScriptText("1 VERSIONINFO\r\nBEGIN\r\n", d);
    EXPECT_EQ(r.Reports, (Lines{"Unknown LanguageID 7777", "Unknown CodePage 850",
                                "Can't find \"StringFileInfo\""}));
    EXPECT_EQ(r.Record.FileOS, "");
    // A block name that does select rows silences them.
    EXPECT_TRUE(ReadScriptText(test::ReadExample("Example2.rc"), d).Reports.empty());
}

TEST(ScriptReader, ConversionFailureStopsTheReadAndKeepsWhatWasRead) {
    Lines lines = WithBlockName("\"04Z904E4\"");
    lines = With(lines, FixedLine, "FILEVERSION 7, 7");
    lines.insert(lines.begin() + 8, "FILEFLAGSMASK 0"); // would be reported
    ReadResult r = ReadLines(lines, {"VOS_NT", 0x409, 1252});
    ASSERT_TRUE(r.ConversionError);
    EXPECT_EQ(*r.ConversionError, "'$04Z9' is not a valid integer value");
    EXPECT_TRUE(r.Reports.empty());
    EXPECT_EQ(r.Record.HFileVersion, "7, 7");
    EXPECT_EQ(LanguageRow(r), " 409  U.S. English"); // the default, untouched
    EXPECT_EQ(r.ImageLines, lines);

    // A failing code page piece comes after the language was taken.
    r = ReadLines(WithBlockName("\"040C04G4\""));
    EXPECT_EQ(*r.ConversionError, "'$04G4' is not a valid integer value");
    EXPECT_EQ(LanguageRow(r), " 40C  French");
    EXPECT_EQ(CodePageRow(r), "1200  Unicode");

    // Short names: the closing quote, or nothing at all, fails to convert.
    EXPECT_EQ(*ReadLines(WithBlockName("\"0409\"")).ConversionError,
              "'$\"' is not a valid integer value");
    EXPECT_EQ(*ReadLines(WithBlockName("")).ConversionError, "'$' is not a valid integer value");
    EXPECT_EQ(*ReadLines(WithBlockName("\"04 904E4\"")).ConversionError,
              "'$04 9' is not a valid integer value");
}

TEST(ScriptReader, ValueLinesBackToMarkerForm) {
    EXPECT_EQ(ReadComments("\"Comments\", \"abc\\0\""), "abc");
    EXPECT_EQ(ReadComments("\"Comments\",\"abc\""), "abc");
    EXPECT_EQ(ReadComments("\"Comments\" ,  \"\\0\"  "), "\\0");
    EXPECT_EQ(ReadComments("\"Comments\", \"\""), "");
    EXPECT_EQ(ReadComments("\"Comments\", VER_STR"), "\\#VER_STR");
    EXPECT_EQ(ReadComments("\"Comments\", \"abc\" // note"), "abc"); // as compiled
    EXPECT_EQ(ReadComments("\"Comments\",         "), "\\#");
    // No unescaping: backslashes and doubled quotes stay as written.
    EXPECT_EQ(ReadComments("\"Comments\", \"a\\tb\"\"c\\0\""), "a\\tb\"\"c");
    // A text that begins like a marker keeps a marker of its own.
    EXPECT_EQ(ReadComments("\"Comments\", \"\\0abc\\0\""), "\\\\0abc");
    EXPECT_EQ(ReadComments("\"Comments\", \"\\\\server\\0\""), "\\\\\\server");
}

TEST(ScriptReader, ValueLinesThatSetNothing) {
    EXPECT_EQ(ReadComments("\"Comments\" \"abc\""), "");
    EXPECT_EQ(ReadComments("\"Commentsx\", \"abc\""), "");
    EXPECT_EQ(ReadComments("\"Remarks\", \"abc\""), "");
    EXPECT_EQ(ReadComments("Comments, \"abc\""), "");
    // A commented-out VALUE line is just a comment.
    Lines lines = Base();
    lines.insert(lines.begin() + FirstValueLine, "           VALUE \"Comments\", \"first\"");
    lines.insert(lines.begin() + FirstValueLine + 1, "           VALUE \"Comments\", \"last\"");
    EXPECT_EQ(ReadLines(lines).Record.StringValues[CommentsKey], "last");
}

TEST(ScriptReader, NothingAfterTheFirstEndIsRead) {
    Lines lines = Base();
    lines.insert(lines.end() - 1, {"BLOCK \"StringFileInfo\"", "BEGIN", "BLOCK \"040904E4\"",
                                   "BEGIN", "VALUE \"Comments\", \"late\"", "END"});
    lines.insert(lines.begin() + 26, "VALUE \"CompanyName\", \"after END\"");
    ReadResult r = ReadLines(lines);
    EXPECT_TRUE(r.Reports.empty());
    EXPECT_EQ(r.Record, NewDocument({}));
}

TEST(ScriptReader, BytesAreNeverReencoded) {
    ReadResult r = ReadScriptText("// caf\xE9\n1 VERSIONINFO\rFILEVERSION \xFF\xFE\n", {});
    EXPECT_EQ(r.Record.ComIncLines, Lines{"// caf\xE9"});
    EXPECT_EQ(r.Record.HFileVersion, "\xFF\xFE");
    EXPECT_EQ(r.ImageLines.size(), 3u);
}

} // namespace
} // namespace qm
