//===- CompareCompiled.cpp - A script's model against a compiled resource --===//

#include "versioninfo/CompareCompiled.h"

#include "versioninfo/ScriptLexer.h"
#include "versioninfo/Tables.h"

namespace qm {

namespace {

std::string VersionOf(std::uint32_t ms, std::uint32_t ls) {
    return FixedVersionText({static_cast<std::uint16_t>(ms >> 16), static_cast<std::uint16_t>(ms),
                             static_cast<std::uint16_t>(ls >> 16), static_cast<std::uint16_t>(ls)});
}

std::string TranslationsOf(const CompiledVersionInfo& info) {
    std::string text;
    for (const auto& [language, codePage] : info.Translations)
        text += (text.empty() ? "" : "; ") + Hex(language) + ", " + std::to_string(codePage);
    return text.empty() ? "missing" : text;
}

class Comparison {
public:
    Comparison(const ScriptCompiled& script, const CompiledVersionInfo& compiled, Findings& out)
        : Script(script), Compiled(compiled), Out(out) {}

    void Run() {
        const FixedFileInfo& a = Script.Info.Fixed;
        const FixedFileInfo& b = Compiled.Fixed;
        Field("FILEVERSION", VersionOf(a.FileVersionMS, a.FileVersionLS),
              VersionOf(b.FileVersionMS, b.FileVersionLS));
        Field("PRODUCTVERSION", VersionOf(a.ProductVersionMS, a.ProductVersionLS),
              VersionOf(b.ProductVersionMS, b.ProductVersionLS));
        Field("FILEFLAGSMASK", Hex(a.FileFlagsMask), Hex(b.FileFlagsMask));
        Field("FILEFLAGS", FlagNames(a.FileFlags), FlagNames(b.FileFlags));
        Field("FILEOS", Hex(a.FileOS), Hex(b.FileOS));
        Field("FILETYPE", Hex(a.FileType), Hex(b.FileType));
        Field("FILESUBTYPE", Hex(a.FileSubtype), Hex(b.FileSubtype));
        Tables();
        Field("Translation", TranslationsOf(Script.Info), TranslationsOf(Compiled));
    }

private:
    void Field(const std::string& field, const std::string& inScript, const std::string& compiled) {
        if (inScript != compiled && !Script.IsUndetermined(field))
            Out.push_back({field, field + " is " + inScript + " in the script but " + compiled +
                                      " in the compiled resource"});
    }

    static const CompiledStringTable* Named(const CompiledVersionInfo& info,
                                            const std::string& name) {
        for (const CompiledStringTable& table : info.Tables)
            if (EqualsIgnoringCase(table.Name, name))
                return &table;
        return nullptr;
    }

    void Tables() {
        if (Compiled.Tables.empty() && !Script.Info.Tables.empty()) {
            Out.push_back({"StringFileInfo", "The compiled resource holds no string table"});
            return;
        }
        for (const CompiledStringTable& table : Script.Info.Tables) {
            if (const CompiledStringTable* compiled = Named(Compiled, table.Name))
                Strings(table, *compiled);
            else
                Out.push_back({"StringFileInfo", "The string table " + table.Name +
                                                     " is in the script but not in the compiled "
                                                     "resource"});
        }
        for (const CompiledStringTable& table : Compiled.Tables)
            if (!Named(Script.Info, table.Name))
                Out.push_back({"StringFileInfo", "The compiled resource holds the string table " +
                                                     table.Name + ", which the script lacks"});
    }

    static const CompiledString* Find(const CompiledStringTable& table, const std::string& key) {
        const CompiledString* found = nullptr;
        for (const CompiledString& string : table.Strings)
            if (string.Key == key)
                found = &string;
        return found;
    }

    static std::string Shown(const CompiledString& string) {
        return string.IsText ? Quote(string.Value) : std::string("a binary value");
    }

    // With one table the messages name the key alone; with more, the table too.
    void Strings(const CompiledStringTable& table, const CompiledStringTable& compiled) {
        const std::string where = Script.Info.Tables.size() > 1 ? " in table " + table.Name : "";
        for (const CompiledString& string : table.Strings) {
            if (Find(table, string.Key) != &string)
                continue; // a key given twice: the last one counts
            if (Script.IsUndetermined(StringFieldName(table.Name, string.Key)))
                continue;
            const CompiledString* other = Find(compiled, string.Key);
            if (!other)
                Out.push_back({string.Key, "The string " + string.Key + where +
                                               " is in the script but not in the compiled "
                                               "resource"});
            else if (other->IsText != string.IsText || other->Value != string.Value)
                Out.push_back({string.Key, "The string " + string.Key + where + " is " +
                                               Shown(string) + " in the script but " +
                                               Shown(*other) + " in the compiled resource"});
        }
        for (const CompiledString& string : compiled.Strings)
            if (!Find(table, string.Key))
                Out.push_back({string.Key, "The string " + string.Key + where + " is compiled as " +
                                               Shown(string) + " but the script leaves it out"});
    }

    const ScriptCompiled& Script;
    const CompiledVersionInfo& Compiled;
    Findings& Out;
};

} // namespace

Findings CompareScriptWithCompiled(const ScriptCompiled& script,
                                   const CompiledVersionInfo& compiled) {
    Findings findings;
    Comparison(script, compiled, findings).Run();
    return findings;
}

} // namespace qm
