//===- ReaderFuzzer.cpp - libFuzzer target for the script reader ----------===//
//
// The input is a script file's bytes. Beyond "no crash, no sanitizer report"
// the target demands:
//  - the reader never throws;
//  - a read stopped by a conversion error carries no reports;
//  - the record it gives is well formed (rows in range, a subtype of the
//    current type's list) and its lines are the file's lines;
//  - whatever it read, the writer can write when language and code page
//    are rows, and reading that script gives the record back, up to the
//    losses of RoundTripModel, with no report.
// Each input is also read with defaults that select no row, so that the
// reports about them are reached too.
//
//===----------------------------------------------------------------------===//
#include "fuzz/FuzzCheck.h"
#include "fuzz/RoundTripModel.h"

#include "versioninfo/script/ScriptReader.h"
#include "versioninfo/script/ScriptWriter.h"
#include "versioninfo/support/Unicode.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace qm::fuzz {
namespace {

bool IsRowOf(const TextList& list, const std::string& text) {
    return std::find(list.begin(), list.end(), text) != list.end();
}

void CheckWellFormed(const ReadResult& read, std::string_view bytes,
                     const std::string& defaultFileOS) {
    const VersionRecord& r = read.Record;
    FUZZ_CHECK(!read.ConversionError || read.Reports.empty());
    FUZZ_CHECK(r.LanguageID >= NoRow && r.LanguageID < static_cast<int>(LanguageTable().size()));
    FUZZ_CHECK(r.CodePage >= NoRow && r.CodePage < static_cast<int>(CodePageTable().size()));
    FUZZ_CHECK(IsRowOf(FileTypeTable(), r.FileType) ||
               r.FileType.find_first_of("\r\n") == std::string::npos);
    FUZZ_CHECK(IsRowOf(SubTypeLists(r.FileType), r.FileSubType) ||
               r.FileSubType.find_first_of("\r\n") == std::string::npos);
    // A number no row has is kept as written, on one line.
    FUZZ_CHECK(IsRowOf(FileOSTable(), r.FileOS) || r.FileOS == defaultFileOS ||
               r.FileOS.find_first_of("\r\n") == std::string::npos);
    // A damaged UTF-16 script is refused whole, with the cause; a sound one
    // is listed as its UTF-8 text.
    if (!Utf16ScriptFault(bytes).empty()) {
        FUZZ_CHECK(read.Refused && read.ImageLines.empty() && read.ConversionError);
        return;
    }
    const std::optional<std::string> utf8 = Utf8OfUtf16Script(bytes);
    FUZZ_CHECK(read.Utf16 == utf8.has_value());
    FUZZ_CHECK(read.ImageLines == ReferenceLines(utf8 ? std::string_view(*utf8) : bytes));
    FUZZ_CHECK(r.ComIncLines.size() <= read.ImageLines.size());
    FUZZ_CHECK(NumberedListing(read.ImageLines).size() == read.ImageLines.size());
}

void CheckRoundTrip(const VersionRecord& read, const NewDocumentDefaults& defaults) {
    Expected<Lines> lines = FormScript(read);
    if (read.LanguageID == NoRow || read.CodePage == NoRow) {
        FUZZ_CHECK(!lines.ok());
        return;
    }
    FUZZ_CHECK(lines.ok());
    const std::string script = JoinCrLf(*lines);

    const ReadResult again = ReadScriptText(script, defaults);
    FUZZ_CHECK(!again.ConversionError);
    FUZZ_CHECK(again.ImageLines == *lines);

    const ExpectedRead expected = ExpectedAfterRoundTrip(read);
    if (expected.WholeRecordKnown)
        FUZZ_CHECK(again.Record == expected.Record);
}

ReadResult ReadAndCheck(std::string_view bytes, const NewDocumentDefaults& defaults,
                        const std::string& defaultFileOS) {
    ReadResult read;
    try {
        read = ReadScriptText(bytes, defaults);
    } catch (...) {
        FUZZ_FAIL("ReadScriptText threw");
    }
    CheckWellFormed(read, bytes, defaultFileOS);
    return read;
}

} // namespace
} // namespace qm::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static const qm::NewDocumentDefaults BuiltIn{};
    static const qm::NewDocumentDefaults NoRows{"VOS_MARS", 0x7777, 850};
    static const std::string BuiltInFileOS = qm::NewDocument(BuiltIn).FileOS;
    static const std::string NoRowsFileOS = qm::NewDocument(NoRows).FileOS;

    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const qm::ReadResult read = qm::fuzz::ReadAndCheck(bytes, BuiltIn, BuiltInFileOS);
    qm::fuzz::CheckRoundTrip(read.Record, BuiltIn);
    // The round trip does not depend on the defaults (the written script
    // names every row), so the second read only has to be well formed.
    qm::fuzz::ReadAndCheck(bytes, NoRows, NoRowsFileOS);
    return 0;
}
