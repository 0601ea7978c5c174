//===- ImportScript.cpp - A compiled version resource as a script ----------===//

#include "versioninfo/binary/ImportScript.h"

#include "versioninfo/binary/CompareCompiled.h"
#include "versioninfo/document/Tables.h"
#include "versioninfo/document/VersionCheck.h"
#include "versioninfo/script/ScriptEscapes.h"
#include "versioninfo/script/ScriptModel.h"

#include <algorithm>
#include <cstdio>

namespace qm {

namespace {

std::string Label(const char* keyword) {
    std::string label = std::string("  ") + keyword;
    label.resize(20, ' ');
    return label;
}

std::string HexNumber(std::uint32_t value) {
    return "0x" + HexText(value) + "L";
}

std::string NameOr(const std::vector<NamedValue>& list, std::uint32_t value) {
    std::optional<std::string_view> name = NameWithValue(list, value);
    return name ? std::string(*name) : HexNumber(value);
}

std::string SubTypeText(const FixedFileInfo& fixed) {
    std::optional<std::string_view> type = NameWithValue(FileTypeValues(), fixed.FileType);
    const TextList list = SubTypeLists(type ? *type : "");
    if (fixed.FileSubtype < list.size() && (!type || *type != "VFT_VXD" || fixed.FileSubtype == 0))
        return list[fixed.FileSubtype];
    return HexNumber(fixed.FileSubtype);
}

std::string VersionText(std::uint32_t ms, std::uint32_t ls) {
    return FixedVersionText({static_cast<std::uint16_t>(ms >> 16), static_cast<std::uint16_t>(ms),
                             static_cast<std::uint16_t>(ls >> 16), static_cast<std::uint16_t>(ls)});
}

void FixedPart(const FixedFileInfo& fixed, Lines& lines) {
    lines.push_back("VS_VERSION_INFO     VERSIONINFO");
    lines.push_back(Label("FILEVERSION") + VersionText(fixed.FileVersionMS, fixed.FileVersionLS));
    lines.push_back(Label("PRODUCTVERSION") +
                    VersionText(fixed.ProductVersionMS, fixed.ProductVersionLS));
    lines.push_back(Label("FILEFLAGSMASK") + (fixed.FileFlagsMask == 0x3F
                                                  ? std::string("VS_FFI_FILEFLAGSMASK")
                                                  : HexNumber(fixed.FileFlagsMask)));
    lines.push_back(Label("FILEFLAGS") + FlagNames(fixed.FileFlags));
    lines.push_back(Label("FILEOS") + NameOr(FileOSValues(), fixed.FileOS));
    lines.push_back(Label("FILETYPE") + NameOr(FileTypeValues(), fixed.FileType));
    lines.push_back(Label("FILESUBTYPE") + SubTypeText(fixed));
}

void StringTables(const CompiledVersionInfo& info, Lines& lines, std::vector<std::string>& notes) {
    lines.push_back("    BLOCK \"StringFileInfo\"");
    lines.push_back("    BEGIN");
    for (const CompiledStringTable& table : info.Tables) {
        lines.push_back("        BLOCK \"" + ScriptTextOfCompiled(table.Name) + "\"");
        lines.push_back("        BEGIN");
        for (const CompiledString& string : table.Strings) {
            if (!string.IsText) {
                notes.push_back("The string " + string.Key + " of table " + table.Name +
                                " holds a binary value and is left out");
                continue;
            }
            std::string key = "\"" + ScriptTextOfCompiled(string.Key) + "\",";
            key.resize(std::max<std::size_t>(key.size(), 20), ' ');
            lines.push_back("           VALUE " + key + "\"" + ScriptTextOfCompiled(string.Value) +
                            "\\0\"");
        }
        lines.push_back("        END");
    }
    lines.push_back("    END");
}

void Translations(const CompiledVersionInfo& info, Lines& lines) {
    lines.push_back("    BLOCK \"VarFileInfo\"");
    lines.push_back("    BEGIN");
    std::string pairs;
    for (const auto& [language, codePage] : info.Translations) {
        char text[32];
        std::snprintf(text, sizeof text, "0x%04X, %u", language, codePage);
        pairs += (pairs.empty() ? "" : ", ") + std::string(text);
    }
    lines.push_back("        VALUE \"Translation\", " + pairs);
    lines.push_back("    END");
}

// Binary values are left out on purpose; everything else must come back.
CompiledVersionInfo WithoutBinaryValues(CompiledVersionInfo info) {
    for (CompiledStringTable& table : info.Tables) {
        std::vector<CompiledString> kept;
        for (CompiledString& string : table.Strings)
            if (string.IsText)
                kept.push_back(std::move(string));
        table.Strings = std::move(kept);
    }
    return info;
}

} // namespace

Expected<ImportedScript> ScriptOfCompiled(const CompiledVersionInfo& info,
                                          const Lines& comIncLines) {
    ImportedScript imported;
    Lines lines = comIncLines;
    FixedPart(info.Fixed, lines);
    lines.push_back("BEGIN");
    if (!info.Tables.empty())
        StringTables(info, lines, imported.Notes);
    if (!info.Translations.empty())
        Translations(info, lines);
    lines.push_back("END");
    imported.Text = JoinCrLf(lines);

    Expected<VersionScript> model = ParseVersionScript(imported.Text);
    if (!model)
        return Status::Fail("The imported script would not compile: " + model.message());
    const Findings differences =
        CompareScriptWithCompiled(CompileScriptModel(*model), WithoutBinaryValues(info));
    if (!differences.empty()) {
        std::string fields;
        for (const Finding& finding : differences)
            fields += (fields.empty() ? "" : ", ") + finding.Field;
        return Status::Fail("The imported script would compile to something else (" + fields + ")");
    }
    return imported;
}

} // namespace qm
