//===- RoundTripTest.cpp - Writer to reader over generated documents -------===//
//
// Generates many documents from a fixed seed, writes each and reads it back.
// The expected record models only the documented losses of a round trip:
// trailing blanks of string values, "\0" before text, a doubled leading
// backslash, and a typed subtype that is not a row of its list.
//
//===----------------------------------------------------------------------===//
#include "TestSupport.h"

#include "versioninfo/script/ScriptWriter.h"

#include <random>

namespace qm {
namespace {

class Generator {
public:
    explicit Generator(unsigned seed) : Random(seed) {}

    VersionRecord Document() {
        VersionRecord r;
        const int comments = Pick(4);
        for (int i = 0; i < comments; ++i)
            r.ComIncLines.push_back(ComIncLine());
        r.HFileVersion = std::string(Trim(Text(12)));
        r.HProductVersion = std::string(Trim(Text(12)));
        r.FFDebug = Pick(2);
        r.FFPreRelease = Pick(2);
        r.FFPatched = Pick(2);
        r.FileOS = FileOSTable()[Pick(FileOSTable().size())];
        r.FileType = FileTypeTable()[Pick(FileTypeTable().size())];
        const TextList subtypes = SubTypeLists(r.FileType);
        r.FileSubType =
            (r.FileType == "VFT_VXD" && Pick(2)) ? "0x" + Text(3) : subtypes[Pick(subtypes.size())];
        r.LanguageID = Pick(LanguageTable().size());
        r.CodePage = Pick(CodePageTable().size());
        for (std::string& value : r.StringValues)
            value = StringValue();
        return r;
    }

private:
    size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(Random); }

    // Any byte but the three that end a line or the text.
    char Byte() {
        static const std::string Common = "abcXYZ019 .,;:-_\"\\#()/*\t";
        if (Pick(4) != 0)
            return Common[Pick(Common.size())];
        char c;
        do
            c = static_cast<char>(Pick(256));
        while (c == '\0' || c == '\r' || c == '\n');
        return c;
    }

    std::string Text(size_t maxLength) {
        std::string text;
        for (size_t n = Pick(maxLength + 1); n > 0; --n)
            text += Byte();
        return text;
    }

    // A leading line that the reader cannot take for the header.
    std::string ComIncLine() {
        std::string line = Text(30);
        if (Pick(3) == 0)
            line = std::string(Pick(3), ' ') + "// VERSIONINFO " + line;
        else if (line.find("VERSIONINFO") != std::string::npos)
            line = "// " + line;
        return line;
    }

    // Values in every marker form. A bare value starts with a non-blank and
    // is never wrapped in quotes, since both would not survive the script.
    std::string StringValue() {
        switch (Pick(7)) {
        case 0:
            return "";
        case 1:
            return std::string(Pick(3), ' ');
        case 2:
            return "\\0" + Text(10);
        case 3: {
            std::string bare = std::string(Trim(Text(10)));
            if (!bare.empty() && bare.front() == '"')
                bare.front() = 'q';
            return "\\#" + bare;
        }
        case 4:
            return "\\\\" + Text(10);
        default: {
            // Marker forms are made above; keep this one a plain text.
            std::string text = Text(16);
            if (!text.empty() && text.front() == '\\')
                text.front() = 'x';
            return text + std::string(Pick(2), ' ');
        }
        }
    }

    std::mt19937 Random;
};

std::string ExpectedValue(std::string_view value) {
    std::string_view t = TrimRight(value);
    if (t.empty())
        return "";
    std::string_view marker = t.substr(0, 2);
    if (t == "\\0" || marker == "\\#")
        return std::string(t);
    // What the writer puts between the quotes; the reader gives it back,
    // with a marker of its own when it begins like one.
    std::string text(marker == "\\0" ? t.substr(2) : marker == "\\\\" ? t.substr(1) : t);
    const bool markerLike = text.size() >= 2 && text[0] == '\\' &&
                            (text[1] == '0' || text[1] == '#' || text[1] == '\\');
    return markerLike ? "\\" + text : text;
}

VersionRecord ExpectedRecord(VersionRecord r) {
    for (std::string& value : r.StringValues)
        value = ExpectedValue(value);
    const TextList subtypes = SubTypeLists(r.FileType);
    if (std::find(subtypes.begin(), subtypes.end(), r.FileSubType) == subtypes.end())
        r.FileSubType = subtypes.front();
    return r;
}

TEST(RoundTrip, GeneratedDocumentsReadBackToTheirValues) {
    Generator generate(20240611u);
    for (int i = 0; i < 3000; ++i) {
        const VersionRecord written = generate.Document();
        Expected<Lines> lines = FormScript(written);
        ASSERT_TRUE(lines.ok()) << lines.message();
        const std::string bytes = JoinCrLf(*lines);

        // Defaults that select no row must not leak into a read that names rows.
        ReadResult read = ReadScriptText(bytes, {"VOS_MARS", 0x7777, 850});
        ASSERT_FALSE(read.ConversionError) << "document " << i;
        ASSERT_TRUE(read.Reports.empty()) << "document " << i << ": " << read.Reports[0];
        ASSERT_EQ(read.ImageLines, *lines) << "document " << i;
        const VersionRecord expected = ExpectedRecord(written);
        for (int k = 0; k < StringKeyCount; ++k)
            ASSERT_EQ(read.Record.StringValues[k], expected.StringValues[k]) << "document " << i;
        ASSERT_EQ(read.Record, expected) << "document " << i << "\n" << bytes;
    }
}

TEST(RoundTrip, ComIncLineWithTheKeywordStaysAComIncLine) {
    VersionRecord r = NewDocument({});
    r.ComIncLines = {"// top", "#define VER VERSIONINFO", "// below"};
    ReadResult read = ReadScriptText(JoinCrLf(*FormScript(r)), {});
    EXPECT_EQ(read.Record.ComIncLines, r.ComIncLines);
    EXPECT_TRUE(read.Reports.empty());
}

TEST(RoundTrip, ReaderNeverThrowsOnMutatedScripts) {
    const std::string base = test::ReadExample("Example2.rc");
    std::mt19937 random(7u);
    for (int i = 0; i < 5000; ++i) {
        std::string bytes = base;
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits && !bytes.empty(); ++e) {
            const size_t at = random() % bytes.size();
            switch (random() % 3) {
            case 0:
                bytes[at] = static_cast<char>(random() % 256);
                break;
            case 1:
                bytes.erase(at, random() % 40);
                break;
            default:
                bytes.insert(at, 1, static_cast<char>(random() % 256));
            }
        }
        ReadResult r;
        ASSERT_NO_THROW(r = ReadScriptText(bytes, {})) << i;
        if (r.ConversionError) {
            ASSERT_TRUE(r.Reports.empty()) << i;
        }
    }
}

} // namespace
} // namespace qm
