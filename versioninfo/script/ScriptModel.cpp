//===- ScriptModel.cpp - What a compiler makes of the model ---------------===//
//
// The model's values laid out as the compiled resource holds them, with
// each field that the script alone does not determine named.
//
//===----------------------------------------------------------------------===//
#include "versioninfo/script/ScriptModel.h"

#include "versioninfo/script/ScriptEscapes.h"
#include "versioninfo/support/Text.h"
#include "versioninfo/support/Unicode.h"

namespace qm {

namespace {

std::string DependsOn(const std::string& condition) {
    return "depends on the preprocessor (" + condition + ")";
}

// A name no file read defines; where a header was not found, it may be
// that header's.
std::string NeedsName(const std::string& name, const ScriptTokens& tokens) {
    std::string missing;
    for (const ScriptInclude& include : tokens.Includes)
        if (include.How == ScriptInclude::Outcome::Missing)
            missing += (missing.empty() ? "" : ", ") + Quote(include.Name);
    if (!missing.empty())
        return "needs " + name + ", which no file read defines (" + missing + " is not found)";
    return "needs " + name + ", which the script does not define";
}

} // namespace

bool ScriptCompiled::IsUndetermined(std::string_view field) const {
    for (const auto& entry : Undetermined) {
        if (entry.first == field)
            return true;
    }
    return false;
}

std::string StringFieldName(std::string_view table, std::string_view key) {
    return std::string(table) + "/" + std::string(key);
}

std::string_view StringInner(const ScriptToken& token) {
    std::string_view text = token.Text;
    if (!text.empty() && text.front() != '"')
        text.remove_prefix(1);
    return text.size() >= 2 ? text.substr(1, text.size() - 2) : std::string_view();
}

std::string ValueText(const VersionScript& script, const ValueStatement& value) {
    std::string text;
    for (std::size_t token : value.TextTokens) {
        text += UnescapeScriptText(StringInner(script.Tokens.Tokens[token]));
        const std::size_t nul = text.find('\0');
        if (nul != std::string::npos) {
            text.resize(nul);
            break;
        }
    }
    return text;
}

std::optional<std::uint32_t> NumberOfText(std::string_view text) {
    text = Trim(text);
    if (text.empty() || text.find_first_of("\r\n") != std::string_view::npos)
        return std::nullopt;
    const std::string prefix = "1 VERSIONINFO\nFILEOS ";
    const std::string script = prefix + std::string(text) + "\nBEGIN\nEND\n";
    const Expected<VersionScript> model = ParseVersionScript(script);
    const FixedStatement* statement = model ? model->FindFixed("FILEOS") : nullptr;
    if (!statement || model->Fixed.size() != 1 || statement->ValueSpan.Begin != prefix.size() ||
        statement->ValueSpan.End != prefix.size() + text.size())
        return std::nullopt;
    return statement->Numbers.front().Value;
}

namespace {

/// The numbers of one fixed statement; none when a number can't be known,
/// which is noted in `undetermined` as is a statement under a condition.
std::vector<std::uint32_t>
FixedNumbers(const VersionScript& script, const char* keyword,
             std::vector<std::pair<std::string, std::string>>& undetermined) {
    std::vector<std::uint32_t> values;
    const FixedStatement* statement = script.FindFixed(keyword);
    if (!statement)
        return values;
    if (!statement->Condition.empty())
        undetermined.emplace_back(keyword, DependsOn(statement->Condition));
    for (const ScriptNumber& number : statement->Numbers) {
        if (!number.Value) {
            undetermined.emplace_back(keyword, NeedsName(number.Unknown, script.Tokens));
            return {};
        }
        values.push_back(*number.Value);
    }
    return values;
}

void CompileFixed(const VersionScript& script, ScriptCompiled& out) {
    FixedFileInfo& fixed = out.Info.Fixed;
    fixed.Signature = FixedInfoSignature;
    fixed.StrucVersion = 0x10000;
    const auto versionOf = [&](const char* keyword, std::uint32_t& ms, std::uint32_t& ls) {
        std::vector<std::uint32_t> parts = FixedNumbers(script, keyword, out.Undetermined);
        parts.resize(4, 0);
        ms = (parts[0] << 16) | (parts[1] & 0xFFFF);
        ls = (parts[2] << 16) | (parts[3] & 0xFFFF);
    };
    const auto singleOf = [&](const char* keyword) -> std::uint32_t {
        std::vector<std::uint32_t> values = FixedNumbers(script, keyword, out.Undetermined);
        return values.empty() ? 0 : values.front();
    };
    versionOf("FILEVERSION", fixed.FileVersionMS, fixed.FileVersionLS);
    versionOf("PRODUCTVERSION", fixed.ProductVersionMS, fixed.ProductVersionLS);
    fixed.FileFlagsMask = singleOf("FILEFLAGSMASK");
    fixed.FileFlags = singleOf("FILEFLAGS");
    fixed.FileOS = singleOf("FILEOS");
    fixed.FileType = singleOf("FILETYPE");
    fixed.FileSubtype = singleOf("FILESUBTYPE");
}

void CompileTables(const VersionScript& script, ScriptCompiled& out) {
    for (const ScriptStringTable& table : script.Tables) {
        CompiledStringTable compiled;
        compiled.Name = table.Name;
        for (const ValueStatement& value : table.Values) {
            CompiledString string;
            string.Key = value.Key;
            string.IsText = value.IsText;
            string.Value = value.IsText ? ValueText(script, value) : std::string();
            if (!value.Resolved)
                out.Undetermined.emplace_back(StringFieldName(table.Name, value.Key),
                                              NeedsName(value.Unknown, script.Tokens));
            else if (!value.Condition.empty())
                out.Undetermined.emplace_back(StringFieldName(table.Name, value.Key),
                                              DependsOn(value.Condition));
            compiled.Strings.push_back(std::move(string));
        }
        out.Info.Tables.push_back(std::move(compiled));
    }
}

void CompileTranslation(const VersionScript& script, ScriptCompiled& out) {
    if (!script.Translation)
        return;
    // Numbers are words, or double words with an L suffix, laid end to
    // end; the pairs are read back from that sequence.
    std::vector<std::uint16_t> words;
    for (const ScriptNumber& number : script.Translation->Numbers) {
        const std::uint32_t value = number.Value.value_or(0);
        words.push_back(static_cast<std::uint16_t>(value));
        if (number.Long)
            words.push_back(static_cast<std::uint16_t>(value >> 16));
    }
    if (!script.Translation->Resolved)
        out.Undetermined.emplace_back("Translation",
                                      NeedsName(script.Translation->Unknown, script.Tokens));
    for (std::size_t i = 0; i + 1 < words.size(); i += 2)
        out.Info.Translations.emplace_back(words[i], words[i + 1]);
}

} // namespace

ScriptCompiled CompileScriptModel(const VersionScript& script) {
    ScriptCompiled out;
    CompileFixed(script, out);
    CompileTables(script, out);
    CompileTranslation(script, out);
    return out;
}

} // namespace qm
