//===- ScriptWriterTest.cpp - Script layout, value lines and flags ---------===//
#include "TestSupport.h"

#include "versioninfo/script/ScriptWriter.h"

#include <cstdio>
#include <filesystem>

namespace qm {
namespace {

using test::ReadExample;
using test::RowOf;

std::string Formed(const VersionRecord& record) {
    Expected<Lines> lines = FormScript(record);
    EXPECT_TRUE(lines.ok()) << lines.message();
    return lines ? JoinCrLf(*lines) : std::string();
}

std::string CommentsLine(std::string_view value) {
    return FormatValueLine(StringKeyField(3), value);
}

using TempDir = test::TempFolderTest;

TEST(ScriptWriter, NewDocumentIsExample1ByteForByte) {
    const std::string text = Formed(NewDocument({}));
    EXPECT_EQ(text, ReadExample("Example1.rc"));
    EXPECT_EQ(FormScript(NewDocument({}))->size(), 32u);
}

TEST(ScriptWriter, FilledDocumentIsExample2ByteForByte) {
    EXPECT_EQ(Formed(test::Example2Record()), ReadExample("Example2.rc"));
}

TEST(ScriptWriter, FormatValueLineMarkers) {
    const std::string lead = "           VALUE \"Comments\",         ";
    EXPECT_EQ(CommentsLine(""), "//         VALUE \"Comments\",         \"\\0\"");
    EXPECT_EQ(CommentsLine(" \t \x01"), "//         VALUE \"Comments\",         \"\\0\"");
    EXPECT_EQ(CommentsLine("  abc  "), lead + "\"  abc\\0\"");
    EXPECT_EQ(CommentsLine("\\0"), lead + "\"\\0\"");
    EXPECT_EQ(CommentsLine("\\0abc"), lead + "\"abc\\0\"");
    EXPECT_EQ(CommentsLine("\\#VER_STR"), lead + "VER_STR");
    EXPECT_EQ(CommentsLine("\\\\#1"), lead + "\"\\#1\\0\"");
    EXPECT_EQ(CommentsLine("a \"b\" \\c"), lead + "\"a \"b\" \\c\\0\"");
    // A bare marker alone leaves the key field's blanks at the line's end.
    EXPECT_EQ(CommentsLine("\\#"), lead);
    // Only the first two characters are markers; bytes above 0x7F pass as is.
    EXPECT_EQ(CommentsLine("x\\0\xE9"), lead + "\"x\\0\xE9\\0\"");
}

TEST(ScriptWriter, FlagsExpression) {
    VersionRecord r = NewDocument({});
    EXPECT_EQ(FlagsExpression(r), "0");
    r.FFDebug = r.FFPreRelease = r.FFPatched = true;
    r.StringValues[10] = "p";
    r.StringValues[11] = "s";
    EXPECT_EQ(FlagsExpression(r),
              "VS_FF_DEBUG|VS_FF_PRERELEASE|VS_FF_PATCHED|VS_FF_PRIVATEBUILD|VS_FF_SPECIALBUILD");

    VersionRecord privateOnly = NewDocument({});
    privateOnly.StringValues[10] = "built by me";
    EXPECT_EQ(FlagsExpression(privateOnly), "VS_FF_PRIVATEBUILD");
    EXPECT_EQ(FormScript(privateOnly)->at(23),
              "           VALUE \"PrivateBuild\",     \"built by me\\0\"");
}

TEST(ScriptWriter, BlankBuildValuesSetNoFlagLikeTheirCommentedLine) {
    VersionRecord r = NewDocument({});
    r.StringValues[10] = "   ";
    r.StringValues[11] = "\t";
    EXPECT_EQ(FlagsExpression(r), "0");
    Lines lines = *FormScript(r);
    EXPECT_EQ(lines[23].substr(0, 2), "//");
    EXPECT_EQ(lines[24].substr(0, 2), "//");
}

TEST(ScriptWriter, BlockNameAndTranslation) {
    VersionRecord r = NewDocument({});
    r.LanguageID = RowOf(LanguageTable(), "100C  Swiss French");
    r.CodePage = RowOf(CodePageTable(), "1252  Windows, Multilingual");
    Lines lines = *FormScript(r);
    EXPECT_EQ(lines[11], "        BLOCK \"100C04E4\"");
    EXPECT_EQ(lines[29], "        VALUE \"Translation\", 0x100C, 1252");

    r.LanguageID = RowOf(LanguageTable(), " 409  U.S. English");
    r.CodePage = 0;
    lines = *FormScript(r);
    EXPECT_EQ(lines[11], "        BLOCK \"04090000\"");
    EXPECT_EQ(lines[29], "        VALUE \"Translation\", 0x0409, 0");
}

TEST(ScriptWriter, CommentLinesComeFirstAndEmptyFieldsKeepTheLabel) {
    VersionRecord r = NewDocument({});
    r.ComIncLines = {"  // indented", "", "#include <winver.h>"};
    r.FileOS = "";
    r.HFileVersion = "  odd , text ";
    Lines lines = *FormScript(r);
    ASSERT_EQ(lines.size(), 35u);
    EXPECT_EQ(lines[0], "  // indented");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[3], "VS_VERSION_INFO     VERSIONINFO");
    EXPECT_EQ(lines[4], "  FILEVERSION         odd , text ");
    EXPECT_EQ(lines[8], "  FILEOS            ");
}

TEST_F(TempDir, MissingRowFailsAndLeavesEverythingAlone) {
    const std::string path = Dir + "/out.rc";
    ASSERT_TRUE(SaveFileSafely(path, "old"));
    for (bool noLanguage : {true, false}) {
        VersionRecord r = NewDocument({});
        (noLanguage ? r.LanguageID : r.CodePage) = NoRow;
        Status status = WriteScript(r, path);
        EXPECT_FALSE(status.ok());
        EXPECT_NE(status.message().find(noLanguage ? "LanguageID" : "CodePage"), std::string::npos)
            << status.message();
        EXPECT_EQ(*LoadFile(path), "old");
    }
    VersionRecord outOfRange = NewDocument({});
    outOfRange.CodePage = 12;
    EXPECT_FALSE(FormScript(outOfRange).ok());
}

TEST_F(TempDir, WriteScriptWritesTheFileOrNamesIt) {
    const std::string path = Dir + "/out.rc";
    ASSERT_TRUE(WriteScript(test::Example2Record(), path));
    EXPECT_EQ(*LoadFile(path), ReadExample("Example2.rc"));

    Status status = WriteScript(NewDocument({}), Dir + "/no/such/out.rc");
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.message().find(Dir + "/no/such/out.rc"), std::string::npos);
}

TEST(ScriptWriter, NumberedListing) {
    Lines lines(1000, "x");
    lines[0] = "VS_VERSION_INFO     VERSIONINFO";
    Lines listing = NumberedListing(lines);
    EXPECT_EQ(listing[0], "  1: VS_VERSION_INFO     VERSIONINFO");
    EXPECT_EQ(listing[98], " 99: x");
    EXPECT_EQ(listing[998], "999: x");
    EXPECT_EQ(listing[999], "1000: x");
    EXPECT_TRUE(NumberedListing({}).empty());
}

} // namespace
} // namespace qm
