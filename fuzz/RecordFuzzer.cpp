//===- RecordFuzzer.cpp - libFuzzer target for write-then-read ------------===//
//
// The input is decoded into a record whose texts hold any bytes (NUL aside,
// and CR/LF only in comment lines), values in every marker form, and file
// types and subtypes that may or may not be rows. The target demands that
// the writer writes it (or refuses exactly when a language or code page row
// is missing) and that reading the script gives RoundTripModel's record,
// with no report.
//
//===----------------------------------------------------------------------===//
#include "fuzz/FuzzCheck.h"
#include "fuzz/RoundTripModel.h"

#include "versioninfo/script/ScriptReader.h"
#include "versioninfo/script/ScriptWriter.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

namespace qm::fuzz {
namespace {

class RecordDecoder {
public:
    RecordDecoder(const std::uint8_t* data, size_t size) : Input(data, size) {}

    VersionRecord Record() {
        VersionRecord r;
        for (int n = Input.ConsumeIntegralInRange(0, 4); n > 0; --n)
            r.ComIncLines.push_back(Text(/*lineBreaks=*/true));
        r.HFileVersion = Text();
        r.HProductVersion = Text();
        r.FFDebug = Input.ConsumeBool();
        r.FFPreRelease = Input.ConsumeBool();
        r.FFPatched = Input.ConsumeBool();
        r.FileOS = RowOrText(FileOSTable());
        r.FileType = RowOrText(FileTypeTable());
        r.FileSubType = RowOrText(SubTypeLists(r.FileType));
        // One in 16 records lacks a row, which the writer must refuse.
        r.LanguageID = Input.ConsumeIntegralInRange<int>(-1, 15 * LanguageTable().size() - 1) /
                       static_cast<int>(15);
        r.CodePage = Input.ConsumeIntegralInRange<int>(-1, 15 * CodePageTable().size() - 1) /
                     static_cast<int>(15);
        if (r.LanguageID == 0 && Input.ConsumeBool())
            r.LanguageID = NoRow;
        for (std::string& value : r.StringValues)
            value = Value();
        return r;
    }

private:
    // Any bytes; NUL would end the text on reading, and CR or LF would split
    // a line, so they are swapped for ordinary bytes where not wanted.
    std::string Text(bool lineBreaks = false) {
        std::string text = Input.ConsumeRandomLengthString(64);
        for (char& c : text) {
            if (c == '\0' || (!lineBreaks && (c == '\r' || c == '\n')))
                c = '.';
        }
        return text;
    }

    std::string RowOrText(const TextList& list) {
        const int pick = Input.ConsumeIntegralInRange<int>(0, static_cast<int>(list.size()) + 1);
        if (pick < static_cast<int>(list.size()))
            return list[pick];
        return pick == static_cast<int>(list.size()) ? std::string() : Text();
    }

    std::string Value() {
        static const char* const Markers[] = {"", "", "\\0", "\\#", "\\\\"};
        return Input.PickValueInArray(Markers) + Text();
    }

    FuzzedDataProvider Input;
};

void WriteAndReadBack(const VersionRecord& written) {
    Expected<Lines> lines = FormScript(written);
    FUZZ_CHECK(lines.ok() == (written.LanguageID != NoRow && written.CodePage != NoRow));
    if (!lines)
        return;

    const ReadResult read = ReadScriptText(JoinCrLf(*lines), NewDocumentDefaults{});
    FUZZ_CHECK(!read.ConversionError);

    const ExpectedRead expected = ExpectedAfterRoundTrip(written);
    if (!expected.WholeRecordKnown) {
        if (expected.ComIncLinesKnown)
            FUZZ_CHECK(read.Record.ComIncLines == expected.Record.ComIncLines);
        return;
    }
    FUZZ_CHECK(read.Reports.empty());
    FUZZ_CHECK(read.Record == expected.Record);
}

} // namespace
} // namespace qm::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    qm::fuzz::RecordDecoder decoder(data, size);
    qm::fuzz::WriteAndReadBack(decoder.Record());
    return 0;
}
