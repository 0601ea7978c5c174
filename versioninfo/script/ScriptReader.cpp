//===- ScriptReader.cpp - Resource script text to VersionRecord ------------===//
//
// One pass over the lines, in stages that follow the landmarks: leading
// comment/include lines, the fixed part, the search for the StringFileInfo
// block, its first block name, and the string values up to the first END.
// Each stage hands the index of the line it stopped at to the next, so the
// whole read is linear in the size of the file.
//
//===----------------------------------------------------------------------===//
#include "versioninfo/script/ScriptReader.h"

#include "versioninfo/document/Lookups.h"
#include "versioninfo/script/ScriptModel.h"
#include "versioninfo/support/Numbers.h"
#include "versioninfo/support/Status.h"
#include "versioninfo/support/Unicode.h"

#include <algorithm>
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

// A piece of the block name is read as "$" followed by the piece, i.e. as a
// hexadecimal integer: at least one digit and nothing but digits. The
// message names the whole text that failed, "$" included.
Expected<int> ConvertHexPiece(std::string_view piece) {
    const std::optional<std::uint64_t> value = ParseNumber(piece, NumberBase::Hexadecimal);
    if (!value)
        return Status::Fail("'$" + std::string(piece) + "' is not a valid integer value");
    return static_cast<int>(*value);
}

bool IsHexName(std::string_view name) {
    return name.size() == 8 && std::all_of(name.begin(), name.end(), IsAsciiHexDigit);
}

std::string_view Piece(std::string_view name, size_t start, size_t length) {
    return start < name.size() ? name.substr(start, length) : std::string_view();
}

/// The index of the VERSIONINFO header among `lines`, or lines.size(). The
/// parsed header line wins over the text search: a #define or a string that
/// mentions VERSIONINFO earlier is not the header.
size_t HeaderLineIndex(const Lines& lines, const VersionScript* model) {
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view trimmed = TrimLeft(lines[i]);
        const bool header = model ? i + 1 == model->HeaderLine
                                  : !StartsWithText(trimmed, "//") &&
                                        trimmed.find("VERSIONINFO") != std::string_view::npos;
        if (header)
            return i;
    }
    return lines.size();
}

class Reader {
public:
    Reader(const Lines& lines, const NewDocumentDefaults& defaults, ReadResult& result,
           const VersionScript* model)
        : Lines_(lines), Defaults(defaults), Result(result), Record(result.Record), Model(model) {}

    /// How many lines stand before the header (or all, without one).
    size_t LeadingLines = 0;

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
        if (Model)
            TakeModelValues(*Model);
        Report();
    }

private:
    // Lines before the header go to ComIncLines exactly as they stand (the
    // caller takes them from the image once the read is over).
    size_t ReadLeadingLines() {
        LeadingLines = HeaderLineIndex(Lines_, Model);
        if (LeadingLines < Lines_.size())
            CurrentPhase = Phase::HeaderFound;
        return LeadingLines;
    }

    // From the header line to the first BEGIN. The order of the tests
    // matters: FILEFLAGSMASK must be tried before its prefix FILEFLAGS.
    size_t ReadFixedPart(size_t from) {
        for (size_t i = from; i < Lines_.size(); ++i) {
            std::string_view line = TrimLeft(Lines_[i]);
            std::string_view rest = line;
            if (StripKeyword(rest, "FILEVERSION")) {
                Record.HFileVersion = std::string(rest);
            } else if (StripKeyword(rest, "PRODUCTVERSION")) {
                Record.HProductVersion = std::string(rest);
            } else if (StripKeyword(rest, "FILEFLAGSMASK")) {
                if (!StartsWithText(rest, "VS_FFI_FILEFLAGSMASK"))
                    MaskMismatch = true;
            } else if (StripKeyword(rest, "FILEFLAGS")) {
                Record.FFDebug = Contains(rest, "VS_FF_DEBUG");
                Record.FFPreRelease = Contains(rest, "VS_FF_PRERELEASE");
                Record.FFPatched = Contains(rest, "VS_FF_PATCHED");
            } else if (StripKeyword(rest, "FILEOS")) {
                Record.FileOS = LongestContainedRow(FileOSTable(), rest);
            } else if (StripKeyword(rest, "FILETYPE")) {
                // Picking a type rebuilds the subtype list and selects its
                // first row, exactly as the window's type list does.
                Record.FileType = LongestContainedRow(FileTypeTable(), rest);
                Record.FileSubType = SubTypeLists(Record.FileType).front();
            } else if (StripKeyword(rest, "FILESUBTYPE")) {
                Record.FileSubType = LongestContainedRow(SubTypeLists(Record.FileType), rest);
            } else if (StartsWithText(line, "BEGIN") || StartsWithText(line, "{") ||
                       (Model && StartsWithKeyword(line, "BEGIN"))) {
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
            if (StripKeyword(rest, "BLOCK") &&
                (StartsWithText(rest, "\"StringFileInfo\"") ||
                 (Model && EqualsIgnoringCase(rest.substr(0, 16), "\"StringFileInfo\"")))) {
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
            if (!StripKeyword(name, "BLOCK"))
                continue;
            // The parser's name is the compiler's, a macro's expansion
            // included; TakeTableName reads it.
            if (Model && !Model->Tables.empty() && IsHexName(Model->Tables.front().Name))
                return i;
            Expected<int> language = ConvertHexPiece(Piece(name, 1, 4));
            if (!language)
                return Status::Fail(language.message());
            LanguageNumber = *language;
            Record.LanguageID = LanguageRowOf(*language);

            Expected<int> codePage = ConvertHexPiece(Piece(name, 5, 4));
            if (!codePage)
                return Status::Fail(codePage.message());
            CodePageNumber = *codePage;
            Record.CodePage = CodePageRowOf(*codePage);
            return i;
        }
        return Lines_.size();
    }

    void ReadStringValues(size_t from) {
        for (size_t i = from; i < Lines_.size(); ++i) {
            std::string_view rest = TrimLeft(Lines_[i]);
            if (StartsWithText(rest, "END") || StartsWithText(rest, "}") ||
                (Model && StartsWithKeyword(rest, "END"))) {
                CurrentPhase = Phase::EndFound;
                return;
            }
            if (StripKeyword(rest, "VALUE"))
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
            return MarkerEscaped(inner);
        }
        return "\\#" + std::string(text);
    }

    // A text that begins like a marker gets a marker of its own, so that
    // "\\server" comes back with both backslashes.
    static std::string MarkerEscaped(std::string_view inner) {
        const bool markerLike = inner.size() >= 2 && inner[0] == '\\' &&
                                (inner[1] == '0' || inner[1] == '#' || inner[1] == '\\');
        return (markerLike ? "\\" : "") + std::string(inner);
    }

    // Keywords in any case count once the script is known to parse; a
    // script that does not parse keeps the scanner's strict rules.
    bool StartsWithKeyword(std::string_view line, std::string_view keyword) const {
        return EqualsIgnoringCase(line.substr(0, keyword.size()), keyword);
    }
    bool StripKeyword(std::string_view& text, std::string_view keyword) const {
        if (StripPrefix(text, keyword))
            return true;
        if (!Model || !StartsWithKeyword(text, keyword))
            return false;
        text = Trim(text.substr(keyword.size()));
        return true;
    }

    //===-- The parsed values -------------------------------------------===//

    void TakeModelValues(const VersionScript& model) {
        TakeMask(model.FindFixed("FILEFLAGSMASK"));
        TakeFlags(model.FindFixed("FILEFLAGS"));
        TakeVersionNotes(model.FindFixed("FILEVERSION"));
        TakeVersionNotes(model.FindFixed("PRODUCTVERSION"));
        if (const FixedStatement* os = model.FindFixed("FILEOS"))
            Record.FileOS = NamedOrWritten(*os, FileOSTable());
        if (const FixedStatement* type = model.FindFixed("FILETYPE")) {
            Record.FileType = NamedOrWritten(*type, FileTypeTable());
            Record.FileSubType = SubTypeLists(Record.FileType).front();
        }
        if (const FixedStatement* subType = model.FindFixed("FILESUBTYPE"))
            Record.FileSubType = SubTypeOrWritten(*subType);
        if (!model.Tables.empty())
            TakeTable(model.Tables.front());
        if (model.Tables.size() > 1)
            ModelReports.push_back("The script holds " + std::to_string(model.Tables.size()) +
                                   " string tables; the form shows the first, " +
                                   model.Tables.front().Name);
    }

    std::string Written(ScriptSpan span) const {
        std::string text(Model->Tokens.Text(Model->File, span));
        // A value spread over lines is one line in the form.
        for (char& c : text)
            if (c == '\r' || c == '\n')
                c = ' ';
        return text;
    }

    // A bare value on one line is the rest of its line, comment and all,
    // as the form showed it before: a save must not drop the user's text.
    std::string BareText(ScriptSpan span) const {
        const std::string_view source = Model->Tokens.FileText(Model->File);
        std::size_t end = span.End;
        while (end < source.size() && source[end] != '\r' && source[end] != '\n')
            ++end;
        if (Model->Tokens.LineOf(Model->File, span.Begin) ==
            Model->Tokens.LineOf(Model->File, span.End))
            span.End += TrimRight(source.substr(span.End, end - span.End)).size();
        return Written(span);
    }

    // A statement in one branch of an #if/#else is not what the form can
    // show: the form takes the branch compiled without definitions and
    // says so. Macros need no report: their text is kept as written (a
    // version text, or a bare value), which is how the form shows them.
    std::string Dependence(const std::string& field, const std::string& condition) {
        if (condition.empty())
            return "";
        return field + " depends on the preprocessor (" + condition +
               "): read as compiled without definitions";
    }

    void NoteDependence(const FixedStatement& statement) {
        std::string note = Dependence(statement.Keyword, statement.Condition);
        if (!note.empty())
            ModelReports.push_back(note);
    }

    void TakeMask(const FixedStatement* mask) {
        if (!mask)
            return;
        const std::optional<std::uint32_t> value = mask->Numbers.front().Value;
        MaskMismatch = value ? *value != 0x3F : MaskMismatch;
        NoteDependence(*mask);
    }

    void TakeFlags(const FixedStatement* flags) {
        if (!flags)
            return;
        NoteDependence(*flags);
        const std::optional<std::uint32_t> value = flags->Numbers.front().Value;
        if (!value)
            return; // the scanner's reading of the names stands
        Record.FFDebug = *value & 0x1;
        Record.FFPreRelease = *value & 0x2;
        Record.FFPatched = *value & 0x4;
    }

    void TakeVersionNotes(const FixedStatement* version) {
        if (version)
            NoteDependence(*version);
    }

    // The row whose number the statement has; a number no row has, or a
    // value that needs an unknown name, is kept as written and reported.
    std::string NamedOrWritten(const FixedStatement& statement, const TextList& table) {
        NoteDependence(statement);
        const ScriptNumber& number = statement.Numbers.front();
        const auto& values = &table == &FileOSTable() ? FileOSValues() : FileTypeValues();
        if (number.Value) {
            if (std::optional<std::string_view> name = NameWithValue(values, *number.Value))
                return std::string(*name);
            ModelReports.push_back(statement.Keyword + " " + HexText(*number.Value) +
                                   " has no name in the list; it is kept as written");
        }
        return Written(statement.ValueSpan);
    }

    std::string SubTypeOrWritten(const FixedStatement& statement) {
        NoteDependence(statement);
        const ScriptNumber& number = statement.Numbers.front();
        const TextList list = SubTypeLists(Record.FileType);
        if (number.Value && *number.Value < list.size() &&
            (Record.FileType != "VFT_VXD" || *number.Value == 0))
            return list[*number.Value];
        if (number.Value && Record.FileType != "VFT_VXD")
            ModelReports.push_back("FILESUBTYPE " + HexText(*number.Value) + " has no name for " +
                                   Record.FileType + "; it is kept as written");
        return Written(statement.ValueSpan);
    }

    void TakeTable(const ScriptStringTable& table) {
        TakeTableName(table.Name);
        const auto& keys = StringKeys();
        for (int k = 0; k < StringKeyCount; ++k) {
            const ValueStatement* found = nullptr;
            for (const ValueStatement& value : table.Values)
                if (value.Key == keys[k])
                    found = &value;
            Record.StringValues[k] = found ? MarkerValue(*found) : std::string();
        }
    }

    // Eight hexadecimal digits in any case; another name keeps what the
    // scanner made of it.
    void TakeTableName(const std::string& name) {
        if (!IsHexName(name))
            return;
        LanguageNumber = static_cast<long long>(
            *ParseNumber(std::string_view(name).substr(0, 4), NumberBase::Hexadecimal));
        CodePageNumber = static_cast<long long>(
            *ParseNumber(std::string_view(name).substr(4, 4), NumberBase::Hexadecimal));
        Record.LanguageID = LanguageRowOf(*LanguageNumber);
        Record.CodePage = CodePageRowOf(*CodePageNumber);
    }

    // A single quoted literal becomes the form's text; anything a compiler
    // has to assemble (macros, joined strings, numbers, a conditional) is
    // kept bare, exactly as written, and reported.
    std::string MarkerValue(const ValueStatement& value) {
        std::string note = Dependence(value.Key, value.Condition);
        if (!note.empty())
            ModelReports.push_back(note);
        if (!value.SingleLiteral || !note.empty())
            return "\\#" + BareText(value.ValueSpan);
        std::string_view inner = Model->Tokens.Text(Model->File, value.ValueSpan);
        if (inner.front() != '"')
            return "\\#" + BareText(value.ValueSpan); // L"...": the form writes narrow strings
        inner = inner.substr(1, inner.size() - 2);
        if (inner == "\\0")
            return "\\0";
        if (inner.size() >= 2 && inner.substr(inner.size() - 2) == "\\0")
            inner.remove_suffix(2);
        return MarkerEscaped(inner);
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
        for (std::string& report : ModelReports)
            Result.Reports.push_back(std::move(report));
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
    const VersionScript* Model;
    std::vector<std::string> ModelReports;
    bool MaskMismatch = false;
    std::optional<long long> LanguageNumber;
    std::optional<long long> CodePageNumber;
};

} // namespace

Status CheckScriptLines(std::string_view bytes) {
    constexpr std::size_t FreeLines = 1u << 16;
    constexpr std::size_t MinBytesPerLine = 12;
    bytes = bytes.substr(0, bytes.find('\0'));
    std::size_t lines = 0;
    for (char c : bytes)
        lines += c == '\n' || c == '\r';
    if (lines <= FreeLines || bytes.size() >= lines * MinBytesPerLine)
        return Status::Ok();
    return Status::Fail("it holds " + std::to_string(lines) + " lines in " +
                        std::to_string(bytes.size()) + " bytes, fewer than " +
                        std::to_string(MinBytesPerLine) +
                        " bytes a line on average, which no script has (every line costs "
                        "the reader memory of its own)");
}

namespace {

// What the lines alone can't tell: a script they read whole that a
// compiler would refuse.
void NoteCompilerRefusal(const Expected<VersionScript>& model, ReadResult& result) {
    const bool readWhole =
        std::none_of(result.Reports.begin(), result.Reports.end(),
                     [](const std::string& report) { return report.rfind("Can't find ", 0) == 0; });
    if (!model && readWhole && !result.ConversionError)
        result.CompilerRefusal = model.message();
}

} // namespace

Expected<Lines> ScriptLeadingLines(std::string_view bytes) {
    Status lines = CheckScriptLines(bytes);
    if (const std::string fault = Utf16ScriptFault(bytes); !fault.empty())
        lines = Status::Fail(fault);
    if (!lines)
        return lines;
    const std::optional<std::string> utf8 = Utf8OfUtf16Script(bytes);
    if (utf8)
        bytes = *utf8;
    try {
        Lines all = SplitLines(bytes);
        const Expected<VersionScript> model = ParseVersionScript(bytes);
        // A VERSIONINFO in an included file leaves all of the script's own
        // lines before it.
        if (!model || model->File == 0)
            all.resize(HeaderLineIndex(all, model ? &*model : nullptr));
        return all;
    } catch (const std::exception& error) {
        return Status::Limit(std::string("Reading the script failed: ") + error.what());
    }
}

ReadResult ReadScriptText(std::string_view bytes, const NewDocumentDefaults& defaults,
                          bool keepImageLines, const PreprocessOptions& options, ScriptCopy copy) {
    ReadResult result;
    Status lines = CheckScriptLines(bytes);
    if (const std::string fault = Utf16ScriptFault(bytes); !fault.empty())
        lines = Status::Fail(fault);
    if (!lines) {
        result.Record = NewDocument(defaults);
        result.Refused = true;
        result.ConversionError = "Not read: " + lines.message();
        return result;
    }
    try {
        result.Record = NewDocument(defaults);
        std::optional<std::string> utf8 = Utf8OfUtf16Script(bytes);
        if (utf8) {
            result.Utf16 = true;
            bytes = *utf8;
        }
        result.ImageLines = SplitLines(bytes);
        Expected<VersionScript> model = copy == ScriptCopy::WindowsShows
                                            ? ParseCopyWindowsShows(bytes, options)
                                            : ParseVersionScript(bytes, options);
        // A VERSIONINFO in an included file is read from that file's lines;
        // all of the script's own lines then stand before it.
        const bool included = model && model->File != 0;
        const Lines holderLines =
            included ? SplitLines(model->Tokens.FileText(model->File)) : Lines();
        Reader reader(included ? holderLines : result.ImageLines, defaults, result,
                      model ? &*model : nullptr);
        reader.Run();
        if (included)
            reader.LeadingLines = result.ImageLines.size();
        NoteCompilerRefusal(model, result);
        // Without a listing to keep, the leading lines move into the record
        // rather than being copied: a script of many lines is held once.
        Lines& image = result.ImageLines;
        const auto leading = image.begin() + static_cast<std::ptrdiff_t>(reader.LeadingLines);
        if (keepImageLines) {
            result.Record.ComIncLines.assign(image.begin(), leading);
        } else {
            result.Record.ComIncLines.assign(std::make_move_iterator(image.begin()),
                                             std::make_move_iterator(leading));
            Lines().swap(image);
        }
    } catch (const std::exception& error) {
        // Only running out of memory can get here; report it like any other
        // failure that stops the read.
        result.Reports.clear();
        result.ConversionError = std::string("Reading the script failed: ") + error.what();
    }
    return result;
}

} // namespace qm
