//===- ByteTextTest.cpp - The byte rule and the JSON form of a document ---===//

#include "cli/ByteText.h"
#include "cli/CliDefaults.h"
#include "cli/QuillmarkRc.h"
#include "cli/RecordJson.h"
#include "versioninfo/support/SafeSave.h"

#include <QTemporaryDir>

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace qm {
namespace {

/// The bytes of the one string of a JSON array, or "<error: ...>".
std::string ParsedString(std::string_view json) {
    Expected<nlohmann::json> parsed = ParseJsonBytes(json);
    if (!parsed)
        return "<error: " + parsed.message() + ">";
    return parsed->at(0).get<std::string>();
}

std::string RoundTrip(const std::string& bytes) {
    return ParsedString("[" + JsonStringLiteral(bytes) + "]");
}

TEST(ByteText, WellFormedUtf8IsRecognisedExactly) {
    struct Case {
        std::string Bytes;
        std::size_t Length;
    };
    const Case cases[] = {
        {"A", 1},
        {"\xC2\x80", 2},
        {"\xDF\xBF", 2},
        {"\xE0\xA0\x80", 3},
        {"\xED\x9F\xBF", 3},
        {"\xF0\x90\x80\x80", 4},
        {"\xF4\x8F\xBF\xBF", 4},
        {"\xC0\x80", 0},         // overlong NUL
        {"\xE0\x80\x80", 0},     // overlong
        {"\xED\xA0\x80", 0},     // encoded surrogate
        {"\xF4\x90\x80\x80", 0}, // above U+10FFFF
        {"\xE2\x82", 0},         // cut short
        {"\x80", 0},
        {"\xFF", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8SequenceLength(c.Bytes, 0), c.Length) << c.Bytes;
}

TEST(ByteText, ValidUtf8PassesThroughAndOtherBytesBecomeLowSurrogates) {
    EXPECT_EQ(JsonStringLiteral("caf\xC3\xA9 \xF0\x9F\x98\x80"),
              "\"caf\xC3\xA9 \xF0\x9F\x98\x80\"");
    EXPECT_EQ(JsonStringLiteral("a\xE9\xED\xA0\x80\"\n"),
              "\"a\\udce9\\udced\\udca0\\udc80\\\"\\n\"");
}

TEST(ByteText, EveryByteStringSurvivesTheTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(RoundTrip(all), all);
    for (int a = 0x80; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            const std::string pair{static_cast<char>(a), static_cast<char>(b)};
            ASSERT_EQ(RoundTrip(pair), pair);
        }
    }
    std::mt19937 random(7);
    for (int i = 0; i < 2000; ++i) {
        std::string bytes(random() % 12, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random() % 256);
        ASSERT_EQ(RoundTrip(bytes), bytes);
    }
}

TEST(ByteText, OnlyLoneByteEscapesBecomeBytes) {
    EXPECT_EQ(ParsedString(R"(["\uDCFF\udc80"])"), "\xFF\x80");
    // A pair is a character, whatever its low half; U+FFFF, raw or escaped,
    // is a character too.
    EXPECT_EQ(ParsedString(R"(["\ud83d\udc80"])"), "\xF0\x9F\x92\x80");
    EXPECT_EQ(ParsedString("[\"\xEF\xBF\xBF\\u00e9\"]"), "\xEF\xBF\xBF\xC3\xA9");
    EXPECT_EQ(ParsedString(R"(["\uffff\uffff\udce9"])"), "\xEF\xBF\xBF\xEF\xBF\xBF\xE9");
    EXPECT_EQ(ParsedString(R"(["\\udce9"])"), "\\udce9");
    for (const char* noByte : {R"(["\ud800"])", R"(["\udc41"])", R"(["\udd00"])"})
        EXPECT_EQ(ParsedString(noByte).rfind("<error", 0), 0u) << noByte;
}

TEST(ByteText, ErrorsNameTheOffsetInTheDocumentAsWritten) {
    const std::string message = ParsedString(R"(["\udce9\udce9", x])");
    EXPECT_NE(message.find("offset 17"), std::string::npos) << message;
    // Numbers out of range are errors too, not exceptions.
    EXPECT_EQ(ParsedString("[9e999]").rfind("<error: Invalid JSON", 0), 0u);
}

TEST(RecordJson, RandomValuesSurviveShowJsonAndRecordFromJson) {
    std::mt19937 random(11);
    const auto randomLine = [&] {
        std::string bytes(random() % 10, '\0');
        for (char& c : bytes) {
            do
                c = static_cast<char>(random() % 256);
            while (c == '\r' || c == '\n' || c == '\0');
        }
        return bytes;
    };
    for (int i = 0; i < 300; ++i) {
        ReadResult read;
        read.Record = NewDocument(CliNewDocumentDefaults());
        read.Record.ComIncLines = {randomLine(), randomLine()};
        read.Record.HFileVersion = randomLine();
        read.Record.FFPatched = (i % 2) != 0;
        read.Record.LanguageID = i % 45;
        read.Record.CodePage = (i % 3 == 0) ? NoRow : i % 12;
        for (std::string& value : read.Record.StringValues)
            value = randomLine();
        read.Reports = {"Can't find END"};
        Expected<VersionRecord> back = RecordFromJson(ShowJson(read), CliNewDocumentDefaults());
        ASSERT_TRUE(back.ok()) << back.message();
        ASSERT_EQ(*back, read.Record) << ShowJson(read);
    }
}

TEST(RecordJson, MissingMembersTakeNewDocumentValues) {
    Expected<VersionRecord> record = RecordFromJson("{\"debug\": true}", CliNewDocumentDefaults());
    ASSERT_TRUE(record.ok());
    VersionRecord expected = NewDocument(CliNewDocumentDefaults());
    expected.FFDebug = true;
    EXPECT_EQ(*record, expected);
}

// Arguments are bytes: a value in a legacy code page reaches the file as is.
TEST(QuillmarkRc, ArgumentBytesReachTheFileUnchanged) {
    QTemporaryDir dir;
    const std::string out = dir.filePath("latin1.rc").toStdString();
    std::istringstream in;
    std::ostringstream stdoutText, stderrText;
    CliStreams io{in, stdoutText, stderrText};
    const int code = RunQuillmarkRc(
        {"new", out, "--string", "CompanyName=Caf\xE9 \xA9", "--com-inc-line", "// \xFF"}, io);
    ASSERT_EQ(code, 0) << stderrText.str();
    Expected<std::string> bytes = LoadFile(out);
    ASSERT_TRUE(bytes.ok());
    EXPECT_NE(bytes->find("\"Caf\xE9 \xA9\\0\""), std::string::npos);
    EXPECT_EQ(bytes->rfind("// \xFF\r\n", 0), 0u);
}

} // namespace
} // namespace qm
