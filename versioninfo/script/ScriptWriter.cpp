//===- ScriptWriter.cpp - VersionRecord to resource script text ------------===//
//
// Forms the fixed script layout. Fixed-part labels are 20 columns wide and
// string lines have a 17-column lead-in plus a 20-column key field, so every
// value lines up and the reader can find each keyword at a line's start.
//
//===----------------------------------------------------------------------===//
#include "versioninfo/script/ScriptWriter.h"

#include "versioninfo/support/SafeSave.h"

#include <cstdio>

namespace qm {

namespace {

constexpr std::string_view LiveLeadIn = "           VALUE ";
constexpr std::string_view CommentedLeadIn = "//         VALUE ";
constexpr size_t FieldWidth = 20;

std::string PadTo(std::string text, size_t width) {
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

std::string Label(std::string_view keyword) {
    return PadTo("  " + std::string(keyword), FieldWidth);
}

std::string Hex4(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04X", static_cast<unsigned>(value) & 0xFFFFu);
    return buffer;
}

bool HasRow(const TextList& list, int row) {
    return row >= 0 && static_cast<size_t>(row) < list.size();
}

} // namespace

std::string_view StringKeyField(int index) {
    static const std::array<std::string, StringKeyCount> Fields = [] {
        std::array<std::string, StringKeyCount> fields;
        for (int i = 0; i < StringKeyCount; ++i)
            fields[i] = PadTo("\"" + std::string(StringKeys()[i]) + "\",", FieldWidth);
        return fields;
    }();
    if (index < 0 || index >= StringKeyCount)
        return {};
    return Fields[index];
}

std::string FormatValueLine(std::string_view keyField, std::string_view value) {
    // Trailing blanks never count; leading ones do.
    std::string_view text = TrimRight(value);
    std::string line;
    if (text.empty()) {
        line.append(CommentedLeadIn).append(keyField).append("\"\\0\"");
        return line;
    }
    line.append(LiveLeadIn).append(keyField);
    std::string_view marker = text.substr(0, 2);
    if (marker == "\\#") {
        line.append(text.substr(2));
        return line;
    }
    if (marker == "\\0")
        text.remove_prefix(2);
    else if (marker == "\\\\")
        text.remove_prefix(1);
    line.append("\"").append(text).append("\\0\"");
    return line;
}

std::string FlagsExpression(const VersionRecord& record) {
    // The two build flags follow the string values as they will be written:
    // a value of blanks only is commented out, so it sets no flag either.
    const bool privateBuild =
        !TrimRight(record.StringValues[Index(StringKey::PrivateBuild)]).empty();
    const bool specialBuild =
        !TrimRight(record.StringValues[Index(StringKey::SpecialBuild)]).empty();
    const std::pair<bool, const char*> flags[] = {
        {record.FFDebug, "VS_FF_DEBUG"},      {record.FFPreRelease, "VS_FF_PRERELEASE"},
        {record.FFPatched, "VS_FF_PATCHED"},  {privateBuild, "VS_FF_PRIVATEBUILD"},
        {specialBuild, "VS_FF_SPECIALBUILD"},
    };
    std::string expression;
    for (const auto& [set, name] : flags) {
        if (!set)
            continue;
        if (!expression.empty())
            expression += '|';
        expression += name;
    }
    return expression.empty() ? "0" : expression;
}

Expected<Lines> FormScript(const VersionRecord& record) {
    if (!HasRow(LanguageTable(), record.LanguageID))
        return Status::Fail("No LanguageID is selected: the language number is needed to "
                            "write the script");
    if (!HasRow(CodePageTable(), record.CodePage))
        return Status::Fail("No CodePage is selected: the code page number is needed to "
                            "write the script");
    const int language = LanguageValue(LanguageTable()[record.LanguageID]);
    const int codePage = CodePageValue(CodePageTable()[record.CodePage]);

    Lines lines;
    lines.reserve(record.ComIncLines.size() + 32);
    lines.insert(lines.end(), record.ComIncLines.begin(), record.ComIncLines.end());
    lines.push_back("VS_VERSION_INFO     VERSIONINFO");
    lines.push_back(Label("FILEVERSION") + record.HFileVersion);
    lines.push_back(Label("PRODUCTVERSION") + record.HProductVersion);
    lines.push_back(Label("FILEFLAGSMASK") + "VS_FFI_FILEFLAGSMASK");
    lines.push_back(Label("FILEFLAGS") + FlagsExpression(record));
    lines.push_back(Label("FILEOS") + record.FileOS);
    lines.push_back(Label("FILETYPE") + record.FileType);
    lines.push_back(Label("FILESUBTYPE") + record.FileSubType);
    lines.push_back("BEGIN");
    lines.push_back("    BLOCK \"StringFileInfo\"");
    lines.push_back("    BEGIN");
    // The block name carries the code page in hexadecimal; the translation
    // line below carries it in decimal.
    lines.push_back("        BLOCK \"" + Hex4(language) + Hex4(codePage) + "\"");
    lines.push_back("        BEGIN");
    for (int i = 0; i < StringKeyCount; ++i)
        lines.push_back(FormatValueLine(StringKeyField(i), record.StringValues[i]));
    lines.push_back("        END");
    lines.push_back("    END");
    lines.push_back("    BLOCK \"VarFileInfo\"");
    lines.push_back("    BEGIN");
    lines.push_back("        VALUE \"Translation\", 0x" + Hex4(language) + ", " +
                    std::to_string(codePage));
    lines.push_back("    END");
    lines.push_back("END");
    return lines;
}

Status SaveScriptLines(const Lines& lines, const std::string& path) {
    return SaveFileSafely(path, JoinCrLf(lines));
}

Status WriteScript(const VersionRecord& record, const std::string& path) {
    Expected<Lines> lines = FormScript(record);
    if (!lines)
        return Status::Fail(lines.message());
    return SaveScriptLines(*lines, path);
}

Lines NumberedListing(const Lines& imageLines) {
    Lines listing;
    listing.reserve(imageLines.size());
    char number[32];
    for (size_t i = 0; i < imageLines.size(); ++i) {
        std::snprintf(number, sizeof number, "%3zu: ", i + 1);
        listing.push_back(number + imageLines[i]);
    }
    return listing;
}

} // namespace qm
