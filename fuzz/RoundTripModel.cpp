//===- RoundTripModel.cpp - What a written record reads back as ------------===//
//
// The losses of a write followed by a read, and why each one is unavoidable:
//
//  1. String values lose their trailing blanks (any byte <= 32): the writer
//     drops them, so a value of blanks only becomes no entry at all.
//  2. "\0" followed by text comes back as the text alone: both are written
//     as the same quoted line. The text keeps its own first two characters,
//     so "\0\#x" comes back as the bare marker form "\#x".
//  3. A text that begins like a marker ("\\0", "\\#", "\\\\") comes back with
//     a marker of its own: "\\\\0x" is written "\\0x" and read back as it was.
//  4. A bare value ("\#" and text) loses the blanks at the start of its text:
//     the reader trims what follows the comma.
//  5. A bare value whose text begins and ends with a double quote reads back
//     as a quoted value: the script cannot tell the two apart.
//  6. FILEVERSION and PRODUCTVERSION texts lose blanks at both ends: the
//     reader trims what follows the keyword.
//  7. A FILEOS, FILETYPE or FILESUBTYPE text that is not a row of its list
//     is read as a compiler reads it (a number, an expression) when the
//     script parses, else as the longest row it contains: not modelled.
//  8. A comment line holding CR or LF comes back as several lines: both end
//     a line. A line ending in one of them gains an empty line after it.
//  9. A comment line that, left-trimmed, does not begin with "//" but holds
//     "VERSIONINFO" (in any case) may be taken for the header: it and everything after it
//     leave ComIncLines, and the fixed part is read from there.
//
// The script is also read as a compiler reads it, so texts that a compiler
// reads otherwise than the line scanner are not modelled: a quote inside a
// string value or at the start of a bare one, a bare value holding a brace,
// a block keyword or an open comment; and comment lines that a #define, a
// final backslash or an open /* make more than a line (then not even the
// comment lines are modelled).
//
// A NUL ends the text on reading, so records holding one are not modelled;
// nor are CR or LF outside the comment lines, which would break the layout.
//
//===----------------------------------------------------------------------===//
#include "fuzz/RoundTripModel.h"

#include "versioninfo/document/Lookups.h"

namespace qm::fuzz {
namespace {

// Blanks and trimming are restated here rather than borrowed from the
// program, so that a fault there (a signed comparison that takes bytes
// above 0x7F for blanks, say) cannot hide in the model as well.
bool IsBlankByte(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

std::string_view TrimLeftBytes(std::string_view text) {
    while (!text.empty() && IsBlankByte(text.front()))
        text.remove_prefix(1);
    return text;
}

std::string_view TrimRightBytes(std::string_view text) {
    while (!text.empty() && IsBlankByte(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view TrimBytes(std::string_view text) {
    return TrimRightBytes(TrimLeftBytes(text));
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// What a quoted entry written as "text\0" reads back as.
std::string QuotedEntry(std::string_view text) {
    return text.empty() ? "\\0" : std::string(text);
}

// What a bare entry reads back as (losses 4 and 5).
std::string BareEntry(std::string_view text) {
    std::string_view bare = TrimLeftBytes(text);
    if (bare.empty() || bare.front() != '"' || bare.back() != '"')
        return "\\#" + std::string(bare);
    std::string_view inner = bare.size() >= 2 ? bare.substr(1, bare.size() - 2) : "";
    if (inner != "\\0" && EndsWith(inner, "\\0"))
        inner.remove_suffix(2);
    return std::string(inner);
}

std::string ExpectedRow(const TextList& list, std::string_view text) {
    return RowText(list, SelectLongestContained(list, TrimBytes(text), 0));
}

// A compiler takes the keyword in any case.
bool IsHeaderLine(std::string_view line) {
    std::string upper(TrimLeftBytes(line));
    for (char& c : upper)
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    return !StartsWith(upper, "//") && upper.find("VERSIONINFO") != std::string::npos;
}

} // namespace

bool BeginsLikeMarker(std::string_view text) {
    return text.size() >= 2 && text[0] == '\\' &&
           (text[1] == '0' || text[1] == '#' || text[1] == '\\');
}

std::string ExpectedValue(std::string_view written) {
    std::string_view t = TrimRightBytes(written);
    if (t.empty())
        return "";
    if (StartsWith(t, "\\#"))
        return BareEntry(t.substr(2));
    std::string_view text = StartsWith(t, "\\0")    ? t.substr(2)
                            : StartsWith(t, "\\\\") ? t.substr(1)
                                                    : t;
    if (BeginsLikeMarker(text))
        return "\\" + std::string(text);
    return QuotedEntry(text);
}

namespace {

bool IsRow(const TextList& list, const std::string& text) {
    for (const std::string& row : list)
        if (row == text)
            return true;
    return false;
}

// True when a bare value holds what ends a statement or a block for a
// compiler: a brace, a block keyword in any case, or a comment left open.
bool EndsStatementsEarly(std::string_view bare) {
    if (bare.find_first_of("{}") != std::string_view::npos)
        return true;
    const std::size_t open = bare.rfind("/*");
    if (open != std::string_view::npos && bare.find("*/", open) == std::string_view::npos)
        return true;
    std::string word;
    auto isKeyword = [&word] {
        for (const char* k : {"BEGIN", "END", "BLOCK", "VALUE"})
            if (word == k)
                return true;
        return false;
    };
    for (char c : std::string(bare) + " ") {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '_') {
            word += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
            continue;
        }
        if (isKeyword())
            return true;
        word.clear();
    }
    return false;
}

// Texts a compiler reads otherwise than the line scanner (see above).
bool CompilerReadsOtherwise(const VersionRecord& r) {
    if (!IsRow(FileOSTable(), r.FileOS) || !IsRow(FileTypeTable(), r.FileType) ||
        !IsRow(SubTypeLists(r.FileType), r.FileSubType))
        return true;
    // A fixed version is written as typed: quotes, braces or block keywords
    // in it change where a compiler finds the resource.
    for (const std::string* fixed : {&r.HFileVersion, &r.HProductVersion}) {
        if (fixed->find('"') != std::string::npos || EndsStatementsEarly(*fixed))
            return true;
    }
    for (const std::string& value : r.StringValues) {
        std::string_view bare =
            StartsWith(value, "\\#") ? TrimLeftBytes(std::string_view(value).substr(2)) : "";
        if (value.find('"') != std::string::npos || StartsWith(bare, "\"") ||
            EndsStatementsEarly(bare))
            return true;
    }
    return false;
}

// Comment lines a compiler reads as more than a line: a #define, a line
// continued by a final backslash (a directive or a // comment swallows the
// next line), an open /* comment. Where they end, and so where the header
// is, depends on the compiler's reading.
bool ComIncLinesReadOtherwise(const VersionRecord& r) {
    for (const std::string& line : r.ComIncLines) {
        const std::size_t open = line.rfind("/*");
        const std::string_view code = TrimBytes(line);
        if ((code.substr(0, 1) == "#" && line.find("define") != std::string::npos) ||
            (!code.empty() && code.back() == '\\') ||
            (open != std::string::npos && line.find("*/", open) == std::string::npos))
            return true;
    }
    return false;
}

} // namespace

ExpectedRead ExpectedAfterRoundTrip(const VersionRecord& written) {
    ExpectedRead expected;
    VersionRecord& r = expected.Record;
    r = written;
    expected.WholeRecordKnown = !CompilerReadsOtherwise(written);
    if (ComIncLinesReadOtherwise(written)) {
        expected.WholeRecordKnown = false;
        expected.ComIncLinesKnown = false;
    }

    r.ComIncLines.clear();
    for (const std::string& line : written.ComIncLines) {
        for (std::string& piece : ReferenceLines(line + "\r\n")) {
            if (IsHeaderLine(piece)) {
                expected.WholeRecordKnown = false;
                expected.ComIncLinesKnown = false;
                return expected;
            }
            r.ComIncLines.push_back(std::move(piece));
        }
    }

    r.HFileVersion = std::string(TrimBytes(written.HFileVersion));
    r.HProductVersion = std::string(TrimBytes(written.HProductVersion));
    r.FileOS = ExpectedRow(FileOSTable(), written.FileOS);
    r.FileType = ExpectedRow(FileTypeTable(), written.FileType);
    r.FileSubType = ExpectedRow(SubTypeLists(r.FileType), written.FileSubType);
    for (std::string& value : r.StringValues)
        value = ExpectedValue(value);
    return expected;
}

Lines ReferenceLines(std::string_view bytes) {
    Lines lines;
    std::string current;
    bool open = false; // a line has begun and not yet ended
    for (size_t i = 0; i < bytes.size() && bytes[i] != '\0'; ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(current));
            current.clear();
            open = false;
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            current += c;
            open = true;
        }
    }
    if (open)
        lines.push_back(std::move(current));
    return lines;
}

} // namespace qm::fuzz
