//===- ScriptReader.cpp - Resource script text to VersionRecord ------------===//
//
// One pass over the lines, in stages that follow the landmarks: leading
// comment/include lines, the fixed part, the search for the StringFileInfo
// block, its first block name, and the string values up to the first END.
// Each stage hands the index of the line it stopped at to the next, so the
// whole read is linear in the size of the file.
//
//===----------------------------------------------------------------------===//
#include "versioninfo/ScriptReader.h"

#include "versioninfo/Lookups.h"
#include "versioninfo/Status.h"

#include <exception>

namespace qm {

namespace {

enum class Phase { NothingFound, HeaderFound, BeginFound, StringBlockFound, EndFound };

const char* PhaseMessage(Phase phase) {
    switch (phase) {
    case Phase::NothingFound:
        return "Can't find VERSIONINFO";
    case Phase::HeaderFound:
        return "Can't find BEGIN";
    case Phase::BeginFound:
        return "Can't find \"StringFileInfo\"";
    case Phase::StringBlockFound:
        return "Can't find END";
    case Phase::EndFound:
        break;
    }
    return "";
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return c - 'a' + 10;
}

// A piece of the block name is read as "$" followed by the piece, i.e. as a
// hexadecimal integer: at least one digit and nothing but digits. The
// message names the whole text that failed, "$" included.
Expected<int> ConvertHexPiece(std::string_view piece) {
    bool valid = !piece.empty();
    for (char c : piece)
        valid = valid && IsHexDigit(c);
    if (!valid)
        return Status::Fail("'$" + std::string(piece) + "' is not a valid integer value");
    int value = 0;
    for (char c : piece)
        value = value * 16 + HexDigitValue(c);
    return value;
}

std::string_view Piece(std::string_view name, size_t start, size_t length) {
    return start < name.size() ? name.substr(start, length) : std::string_view();
}

class Reader {
public:
    Reader(const Lines& lines, const NewDocumentDefaults& defaults, ReadResult& result)
        : Lines_(lines), Defaults(defaults), Result(result), Record(result.Record) {}

    void Run() {
        size_t at = ReadLeadingLines();
        if (at < Lines_.size())
            at = ReadFixedPart(at);
        if (at < Lines_.size())
            at = FindStringBlock(at);
        if (at < Lines_.size()) {
            Expected<size_t> block = ReadBlockName(at);
            if (!block) {
                Result.ConversionError = block.message();
                return;
            }
            at = *block;
        }
        if (at < Lines_.size())
            ReadStringValues(at);
        Report();
    }

private:
    // Lines before the header go to ComIncLines exactly as they stand.
    size_t ReadLeadingLines() {
        for (size_t i = 0; i < Lines_.size(); ++i) {
            std::string_view trimmed = TrimLeft(Lines_[i]);
            if (!StartsWithText(trimmed, "//") &&
                trimmed.find("VERSIONINFO") != std::string_view::npos) {
                CurrentPhase = Phase::HeaderFound;
                return i;
            }
            Record.ComIncLines.push_back(Lines_[i]);
        }
        return Lines_.size();
    }

    // From the header line to the first BEGIN. The order of the tests
    // matters: FILEFLAGSMASK must be tried before its prefix FILEFLAGS.
    size_t ReadFixedPart(size_t from) {
        for (size_t i = from; i < Lines_.size(); ++i) {
            std::string_view line = TrimLeft(Lines_[i]);
            std::string_view rest = line;
            if (StripPrefix(rest, "FILEVERSION")) {
                Record.HFileVersion = std::string(rest);
            } else if (StripPrefix(rest, "PRODUCTVERSION")) {
                Record.HProductVersion = std::string(rest);
            } else if (StripPrefix(rest, "FILEFLAGSMASK")) {
                if (!StartsWithText(rest, "VS_FFI_FILEFLAGSMASK"))
                    MaskMismatch = true;
            } else if (StripPrefix(rest, "FILEFLAGS")) {
                Record.FFDebug = Contains(rest, "VS_FF_DEBUG");
                Record.FFPreRelease = Contains(rest, "VS_FF_PRERELEASE");
                Record.FFPatched = Contains(rest, "VS_FF_PATCHED");
            } else if (StripPrefix(rest, "FILEOS")) {
                Record.FileOS = LongestContainedRow(FileOSTable(), rest);
            } else if (StripPrefix(rest, "FILETYPE")) {
                // Picking a type rebuilds the subtype list and selects its
                // first row, exactly as the window's type list does.
                Record.FileType = LongestContainedRow(FileTypeTable(), rest);
                Record.FileSubType = SubTypeLists(Record.FileType).front();
            } else if (StripPrefix(rest, "FILESUBTYPE")) {
                Record.FileSubType = LongestContainedRow(SubTypeLists(Record.FileType), rest);
            } else if (StartsWithText(line, "BEGIN")) {
                CurrentPhase = Phase::BeginFound;
                return i;
            }
        }
        return Lines_.size();
    }

    // Skips everything (other blocks included) up to BLOCK "StringFileInfo";
    // returns the line after it.
    size_t FindStringBlock(size_t from) {
        for (size_t i = from; i < Lines_.size(); ++i) {
            std::string_view rest = TrimLeft(Lines_[i]);
            if (StripPrefix(rest, "BLOCK") && StartsWithText(rest, "\"StringFileInfo\"")) {
                CurrentPhase = Phase::StringBlockFound;
                return i + 1;
            }
        }
        return Lines_.size();
    }

    // The first BLOCK line names the language and code page: its first
    // character (normally the quote) is skipped, then four characters each.
    Expected<size_t> ReadBlockName(size_t from) {
        for (size_t i = from; i < Lines_.size(); ++i) {
            std::string_view name = TrimLeft(Lines_[i]);
            if (!StripPrefix(name, "BLOCK"))
                continue;
            Expected<int> language = ConvertHexPiece(Piece(name, 1, 4));
            if (!language)
                return Status::Fail(language.message());
            LanguageNumber = *language;
            Record.LanguageID = SelectContaining(LanguageTable(), HexText(*language), NoRow);

            Expected<int> codePage = ConvertHexPiece(Piece(name, 5, 4));
            if (!codePage)
                return Status::Fail(codePage.message());
            CodePageNumber = *codePage;
            Record.CodePage = SelectContaining(CodePageTable(), std::to_string(*codePage), NoRow);
            return i;
        }
        return Lines_.size();
    }

    void ReadStringValues(size_t from) {
        for (size_t i = from; i < Lines_.size(); ++i) {
            std::string_view rest = TrimLeft(Lines_[i]);
            if (StartsWithText(rest, "END")) {
                CurrentPhase = Phase::EndFound;
                return;
            }
            if (StripPrefix(rest, "VALUE"))
                ReadValueLine(rest);
        }
    }

    void ReadValueLine(std::string_view rest) {
        const auto& keys = StringKeys();
        for (int k = 0; k < StringKeyCount; ++k) {
            std::string_view text = TrimRight(rest);
            // The key is matched with its quotes, so "Comments" cannot be
            // taken for a longer key that begins with the same letters.
            const std::string quotedKey = "\"" + std::string(keys[k]) + "\"";
            if (!StripPrefix(text, quotedKey))
                continue;
            if (!StripPrefix(text, ","))
                return;
            Record.StringValues[k] = ValueFromScript(text);
            return;
        }
    }

    // Back to the marker form: a quoted text loses its quotes and its "\0"
    // terminator; anything else (a symbol, a number, a quoted text followed by
    // more) is kept bare behind "\#". No escape sequence is decoded.
    static std::string ValueFromScript(std::string_view text) {
        if (!text.empty() && text.front() == '"' && text.back() == '"') {
            std::string_view inner =
                text.size() >= 2 ? text.substr(1, text.size() - 2) : std::string_view();
            if (inner == "\\0")
                return "\\0";
            if (inner.size() >= 2 && inner.substr(inner.size() - 2) == "\\0")
                inner.remove_suffix(2);
            return std::string(inner);
        }
        return "\\#" + std::string(text);
    }

    void Report() {
        if (MaskMismatch)
            Result.Reports.push_back("FILEFLAGSMASK must be VS_FFI_FILEFLAGSMASK");
        // Without a block name there is no number read; the messages then
        // name the default that failed to select a row.
        if (Record.LanguageID == NoRow)
            Result.Reports.push_back("Unknown LanguageID " +
                                     HexText(LanguageNumber.value_or(Defaults.LanguageID)));
        if (Record.CodePage == NoRow)
            Result.Reports.push_back("Unknown CodePage " +
                                     std::to_string(CodePageNumber.value_or(Defaults.CodePage)));
        if (CurrentPhase != Phase::EndFound)
            Result.Reports.push_back(PhaseMessage(CurrentPhase));
    }

    static bool Contains(std::string_view text, std::string_view word) {
        return text.find(word) != std::string_view::npos;
    }

    // The first row stands in when nothing matches: a statement, once
    // present, always leaves its field on a row.
    static std::string LongestContainedRow(const TextList& list, std::string_view text) {
        return RowText(list, SelectLongestContained(list, text, 0));
    }

    const Lines& Lines_;
    const NewDocumentDefaults& Defaults;
    ReadResult& Result;
    VersionRecord& Record;
    Phase CurrentPhase = Phase::NothingFound;
    bool MaskMismatch = false;
    std::optional<long long> LanguageNumber;
    std::optional<long long> CodePageNumber;
};

} // namespace

ReadResult ReadScriptText(std::string_view bytes, const NewDocumentDefaults& defaults) {
    ReadResult result;
    try {
        result.Record = NewDocument(defaults);
        result.ImageLines = SplitLines(bytes);
        Reader(result.ImageLines, defaults, result).Run();
    } catch (const std::exception& error) {
        // Only running out of memory can get here; report it like any other
        // failure that stops the read.
        result.Reports.clear();
        result.ConversionError = std::string("Reading the script failed: ") + error.what();
    }
    return result;
}

} // namespace qm
