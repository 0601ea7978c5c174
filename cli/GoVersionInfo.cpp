//===- GoVersionInfo.cpp - goversioninfo's versioninfo.json ---------------===//

#include "GoVersionInfo.h"

#include "ByteText.h"
#include "versioninfo/support/Numbers.h"
#include "versioninfo/support/Unicode.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <optional>

namespace qm {

namespace {

using Json = nlohmann::ordered_json;

constexpr const char* Members[] = {"FixedFileInfo", "StringFileInfo", "VarFileInfo"};
constexpr const char* LinkedFiles[] = {"IconPath", "ManifestPath"};

Status Wrong(const std::string& member, const std::string& what) {
    return Status::Fail("versioninfo.json: \"" + member + "\" " + what);
}

/// Hexadecimal text ("040004", "0x3f") or a number, at most `max`.
Expected<std::uint32_t> HexMember(const Json& value, const std::string& member, std::uint32_t max) {
    std::uint64_t number = 0;
    if (value.is_number_unsigned()) {
        number = value.get<std::uint64_t>();
    } else if (value.is_string()) {
        const std::optional<std::uint64_t> parsed =
            ParseNumber(value.get<std::string>(), NumberBase::HexadecimalPrefix, 0xFFFFFFFFu);
        if (!parsed)
            return Wrong(member, "must be hexadecimal text such as \"04B0\", not \"" +
                                     value.get<std::string>() + "\"");
        number = *parsed;
    } else {
        return Wrong(member, "must be hexadecimal text");
    }
    if (number > max)
        return Wrong(member, "is more than " + std::to_string(max));
    return static_cast<std::uint32_t>(number);
}

/// {Major, Minor, Patch, Build} as the two halves of a fixed version.
Status ReadVersion(const Json& value, const std::string& member, std::uint32_t& ms,
                   std::uint32_t& ls) {
    if (!value.is_object())
        return Wrong(member, "must be an object of Major, Minor, Patch and Build");
    std::uint32_t parts[4] = {};
    const char* names[] = {"Major", "Minor", "Patch", "Build"};
    for (const auto& item : value.items()) {
        // (named, not bound: a lambda can't capture a structured binding in C++17)
        const std::string& key = item.key();
        const Json& part = item.value();
        const auto at = std::find_if(std::begin(names), std::end(names),
                                     [&](const char* name) { return key == name; });
        if (at == std::end(names))
            return Wrong(member + "." + key, "is not Major, Minor, Patch or Build");
        if (!part.is_number_unsigned() || part.get<std::uint64_t>() > 0xFFFF)
            return Wrong(member + "." + key, "must be a number from 0 to 65535");
        parts[at - std::begin(names)] = part.get<std::uint32_t>();
    }
    ms = parts[0] << 16 | parts[1];
    ls = parts[2] << 16 | parts[3];
    return Status::Ok();
}

Status ReadFixed(const Json& fixed, FixedFileInfo& info) {
    if (!fixed.is_object())
        return Wrong("FixedFileInfo", "must be an object");
    const struct {
        const char* Name;
        std::uint32_t* Field;
    } numbers[] = {{"FileFlagsMask", &info.FileFlagsMask},
                   {"FileFlags", &info.FileFlags},
                   {"FileFlags ", &info.FileFlags}, // as goversioninfo's own example spells it
                   {"FileOS", &info.FileOS},
                   {"FileType", &info.FileType},
                   {"FileSubType", &info.FileSubtype}};
    for (const auto& item : fixed.items()) {
        const std::string& key = item.key();
        const Json& value = item.value();
        const std::string member = "FixedFileInfo." + key;
        if (key == "FileVersion" || key == "ProductVersion") {
            const bool file = key == "FileVersion";
            Status read =
                ReadVersion(value, member, file ? info.FileVersionMS : info.ProductVersionMS,
                            file ? info.FileVersionLS : info.ProductVersionLS);
            if (!read)
                return read;
            continue;
        }
        const auto number = std::find_if(std::begin(numbers), std::end(numbers),
                                         [&](const auto& n) { return key == n.Name; });
        if (number == std::end(numbers))
            return Wrong(member, "is not a member of FixedFileInfo");
        Expected<std::uint32_t> read = HexMember(value, member, 0xFFFFFFFFu);
        if (!read)
            return Status::Fail(read.message());
        *number->Field = *read;
    }
    return Status::Ok();
}

Status ReadStrings(const Json& strings, CompiledStringTable& table) {
    if (!strings.is_object())
        return Wrong("StringFileInfo", "must be an object of keys and texts");
    for (const auto& [key, value] : strings.items()) {
        const std::string member = "StringFileInfo." + key;
        if (!value.is_string())
            return Wrong(member, "must be text");
        const std::string text = value.get<std::string>();
        if (!IsWellFormedUtf8(key) || !IsWellFormedUtf8(text))
            return Wrong(member, "holds a lone surrogate, which is no character");
        if (key.empty())
            return Wrong(member, "has no key");
        if (!text.empty())
            table.Strings.push_back({key, text, true});
    }
    return Status::Ok();
}

Status ReadTranslation(const Json& var, std::uint16_t& language, std::uint16_t& charset) {
    if (!var.is_object())
        return Wrong("VarFileInfo", "must be an object");
    for (const auto& [key, value] : var.items()) {
        if (key != "Translation")
            return Wrong("VarFileInfo." + key, "is not a member of VarFileInfo");
        if (!value.is_object())
            return Wrong("VarFileInfo.Translation", "must be an object of LangID and CharsetID");
        for (const auto& [part, id] : value.items()) {
            const std::string member = "VarFileInfo.Translation." + part;
            if (part != "LangID" && part != "CharsetID")
                return Wrong(member, "is not LangID or CharsetID");
            Expected<std::uint32_t> read = HexMember(id, member, 0xFFFF);
            if (!read)
                return Status::Fail(read.message());
            (part == "LangID" ? language : charset) = static_cast<std::uint16_t>(*read);
        }
    }
    return Status::Ok();
}

std::string TableName(std::uint16_t language, std::uint16_t charset) {
    char name[9];
    std::snprintf(name, sizeof name, "%04X%04X", language, charset);
    return name;
}

} // namespace

bool LooksLikeGoVersionInfo(std::string_view bytes) {
    const Json document = Json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (!document.is_object())
        return false;
    return std::any_of(std::begin(Members), std::end(Members),
                       [&](const char* member) { return document.contains(member); });
}

Expected<GoVersionInfo> GoVersionInfoFromJson(std::string_view json) {
    Expected<Json> document = ParseOrderedJsonBytes(json);
    if (!document)
        return Status::Fail(document.message());
    GoVersionInfo result;
    FixedFileInfo& fixed = result.Info.Fixed;
    // goversioninfo's defaults: a Windows NT application, every flag maskable.
    fixed.Signature = FixedInfoSignature;
    fixed.StrucVersion = 0x10000;
    fixed.FileFlagsMask = FileFlagsMaskValue;
    fixed.FileOS = 0x40004;
    fixed.FileType = 1;
    std::uint16_t language = 0x0409, charset = 0x04B0;
    CompiledStringTable table;
    for (const auto& [key, value] : document->items()) {
        Status read = Status::Ok();
        if (key == "FixedFileInfo")
            read = ReadFixed(value, fixed);
        else if (key == "StringFileInfo")
            read = ReadStrings(value, table);
        else if (key == "VarFileInfo")
            read = ReadTranslation(value, language, charset);
        else if (std::find(std::begin(LinkedFiles), std::end(LinkedFiles), key) ==
                 std::end(LinkedFiles))
            read = Wrong(key, "is not a member of versioninfo.json");
        else if (!value.is_string() || !value.get<std::string>().empty())
            result.Notes.push_back(key + " is left out: add that file to the program beside "
                                         "the version resource");
        if (!read)
            return read;
    }
    table.Name = TableName(language, charset);
    result.Info.Tables.push_back(std::move(table));
    result.Info.Translations.emplace_back(language, charset);
    return result;
}

Expected<ImportedScript> ScriptOfGoVersionInfo(std::string_view json, std::uint16_t* language) {
    Expected<GoVersionInfo> go = GoVersionInfoFromJson(json);
    if (!go)
        return Status::Fail(go.message());
    if (language)
        *language = go->Info.Translations.front().first;
    Expected<ImportedScript> script = ScriptOfCompiled(go->Info, {"#include <winver.h>"});
    if (script)
        script->Notes.insert(script->Notes.begin(), go->Notes.begin(), go->Notes.end());
    return script;
}

} // namespace qm
