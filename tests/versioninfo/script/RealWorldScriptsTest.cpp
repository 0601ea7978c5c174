//===- RealWorldScriptsTest.cpp - Scripts in the styles people write ------===//
//
// tests/data/realworld holds one small script per style found in real
// projects (Visual Studio's, macros, generated, several languages, braces,
// escapes, UTF-16, ...). Each is compiled with llvm-rc (and windres where it
// takes the script); the model must agree with what they made, and an edit
// must change the compiled resource in the asked fields only.
//
//===----------------------------------------------------------------------===//
#include "CompilerSupport.h"

#include "versioninfo/binary/CompiledVersion.h"
#include "versioninfo/script/ScriptEdit.h"
#include "versioninfo/support/Unicode.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace qm {
namespace {

using test::RunCommand;
using test::TempFolder;

struct CorpusScript {
    std::string Name;
    std::string Text; ///< UTF-16 scripts as UTF-8
    bool Utf16 = false;
    int CodePage = 65001;
};

// Read as the command line reads a script on disk: its headers with it.
PreprocessOptions BesideTheCorpus(const CorpusScript& script) {
    PreprocessOptions options;
    options.ScriptPath = std::string(QM_REALWORLD_DIR) + "/" + script.Name;
    options.ReadIncludes = true;
    return options;
}

// The VERSIONINFO in U.S. English, which Windows shows there and the
// compiled file's reader picks, when a script holds copies in several.
Expected<VersionScript> CopyWindowsShows(const CorpusScript& script) {
    for (std::size_t copy = 0;; ++copy) {
        Expected<VersionScript> model =
            ParseVersionScript(script.Text, BesideTheCorpus(script), copy);
        if (!model || model->Language.value_or(0x409) == 0x409 || copy + 1 >= model->Resources)
            return model;
    }
}

std::vector<CorpusScript> Corpus() {
    std::vector<CorpusScript> scripts;
    for (const auto& entry : std::filesystem::directory_iterator(QM_REALWORLD_DIR)) {
        if (entry.path().extension() != ".rc")
            continue;
        Expected<std::string> bytes = LoadFile(entry.path().string());
        EXPECT_TRUE(bytes) << entry.path();
        CorpusScript script{entry.path().filename().string(), bytes ? *bytes : "", false, 65001};
        if (std::optional<std::string> utf8 = Utf8OfUtf16Script(script.Text)) {
            script.Text = *utf8;
            script.Utf16 = true;
        } else if (!IsWellFormedUtf8(script.Text)) {
            script.CodePage = 1252;
        }
        scripts.push_back(std::move(script));
    }
    std::sort(scripts.begin(), scripts.end(),
              [](const CorpusScript& a, const CorpusScript& b) { return a.Name < b.Name; });
    return scripts;
}

// The corpus folder copied whole, so that includes, icons and manifests
// are found beside the script as the compilers expect.
struct Workspace {
    Workspace() {
        for (const auto& entry : std::filesystem::directory_iterator(QM_REALWORLD_DIR))
            std::filesystem::copy(entry.path(), Dir / entry.path().filename().string());
    }
    TempFolder Dir;
};

// llvm-rc reads UTF-8 or an 8-bit code page, not UTF-16 (Windows' rc.exe
// does): such a script is compiled from its UTF-8 text.
std::optional<CompiledVersionInfo> Compile(const std::string& compiler, const std::string& text,
                                           int codePage, const Workspace& work) {
    const std::string script = work.Dir / "compiled.rc";
    std::ofstream(script, std::ios::binary) << text;
    const std::string res = work.Dir / "compiled.res";
    std::filesystem::remove(res);
    const std::string cd = "cd '" + work.Dir / "" + "' && ";
    const test::CommandRun run =
        compiler == "llvm-rc"
            ? RunCommand(cd + "'" + QM_LLVM_RC + "' /C " + std::to_string(codePage) + " /I " +
                         QM_WINVER_INCLUDE_DIR + " /FO compiled.res compiled.rc")
            : RunCommand(cd + "x86_64-w64-mingw32-windres -c " + std::to_string(codePage) +
                         " -O res -o compiled.res compiled.rc");
    if (run.ExitCode != 0) {
        if (compiler == "llvm-rc")
            ADD_FAILURE() << "code page " << codePage << ": " << run.Output;
        return std::nullopt;
    }
    Expected<std::string> bytes = LoadFile(res);
    if (!bytes)
        return std::nullopt;
    Expected<CompiledResource> compiled = ReadCompiledVersion(*bytes);
    EXPECT_TRUE(compiled) << compiled.message();
    return compiled ? std::optional<CompiledVersionInfo>(compiled->Info) : std::nullopt;
}

// Every field the script determines, compared with the compiled one.
void ExpectAgrees(const ScriptCompiled& model, const CompiledVersionInfo& compiled,
                  const std::string& label) {
    const FixedFileInfo& a = model.Info.Fixed;
    const FixedFileInfo& b = compiled.Fixed;
    auto field = [&](const char* name, bool same) {
        EXPECT_TRUE(same || model.IsUndetermined(name)) << label << ": " << name;
    };
    field("FILEVERSION", a.FileVersionMS == b.FileVersionMS && a.FileVersionLS == b.FileVersionLS);
    field("PRODUCTVERSION",
          a.ProductVersionMS == b.ProductVersionMS && a.ProductVersionLS == b.ProductVersionLS);
    field("FILEFLAGSMASK", a.FileFlagsMask == b.FileFlagsMask);
    field("FILEFLAGS", a.FileFlags == b.FileFlags);
    field("FILEOS", a.FileOS == b.FileOS);
    field("FILETYPE", a.FileType == b.FileType);
    field("FILESUBTYPE", a.FileSubtype == b.FileSubtype);
    field("Translation", model.Info.Translations == compiled.Translations);
    ASSERT_EQ(model.Info.Tables.size(), compiled.Tables.size()) << label;
    for (std::size_t t = 0; t < compiled.Tables.size(); ++t) {
        const CompiledStringTable& x = model.Info.Tables[t];
        const CompiledStringTable& y = compiled.Tables[t];
        EXPECT_EQ(x.Name, y.Name) << label;
        ASSERT_EQ(x.Strings.size(), y.Strings.size()) << label << ": " << x.Name;
        for (std::size_t s = 0; s < y.Strings.size(); ++s) {
            EXPECT_EQ(x.Strings[s].Key, y.Strings[s].Key) << label;
            EXPECT_TRUE(x.Strings[s].Value == y.Strings[s].Value ||
                        model.IsUndetermined(StringFieldName(x.Name, x.Strings[s].Key)))
                << label << ": " << x.Strings[s].Key << " is \"" << x.Strings[s].Value
                << "\" in the model, \"" << y.Strings[s].Value << "\" compiled";
        }
    }
}

TEST(RealWorldScripts, TheCorpusHoldsEveryStyle) {
    EXPECT_GE(Corpus().size(), 20u);
}

TEST(RealWorldScripts, LeadingLinesAloneAreThoseOfTheWholeRead) {
    for (const CorpusScript& script : Corpus()) {
        const Expected<Lines> leading = ScriptLeadingLines(script.Text);
        ASSERT_TRUE(leading) << script.Name;
        EXPECT_EQ(*leading, ReadScriptText(script.Text, {}).Record.ComIncLines) << script.Name;
    }
}

TEST(RealWorldScripts, TheModelAgreesWithTheCompilers) {
    const Workspace work;
    const bool windres = test::HaveProgram("x86_64-w64-mingw32-windres");
    for (const CorpusScript& script : Corpus()) {
        Expected<VersionScript> model = CopyWindowsShows(script);
        ASSERT_TRUE(model) << script.Name << ": " << model.message();
        const ScriptCompiled compiled = CompileScriptModel(*model);
        const auto byLlvm = Compile("llvm-rc", script.Text, script.CodePage, work);
        ASSERT_TRUE(byLlvm) << script.Name;
        ExpectAgrees(compiled, *byLlvm, script.Name + " (llvm-rc)");
        // windres refuses lower-case keywords and L"..." block names.
        if (windres)
            if (const auto byWindres = Compile("windres", script.Text, script.CodePage, work))
                ExpectAgrees(compiled, *byWindres, script.Name + " (windres)");
    }
}

// What an edit may change: the compiled resources before and after must
// agree everywhere else.
CompiledVersionInfo WithoutFileVersionAndCompany(CompiledVersionInfo info) {
    info.Fixed.FileVersionMS = info.Fixed.FileVersionLS = 0;
    if (!info.Tables.empty())
        for (CompiledString& s : info.Tables.front().Strings)
            if (s.Key == "CompanyName")
                s.Value.clear();
    return info;
}

bool SameInfo(const CompiledVersionInfo& a, const CompiledVersionInfo& b) {
    auto key = [](const CompiledVersionInfo& i) {
        std::string k(reinterpret_cast<const char*>(&i.Fixed), sizeof i.Fixed);
        for (const auto& t : i.Tables) {
            k += "|" + t.Name;
            for (const auto& s : t.Strings)
                k += "|" + s.Key + "=" + s.Value + (s.IsText ? "" : "#");
        }
        for (const auto& [l, c] : i.Translations)
            k += "|" + std::to_string(l) + "," + std::to_string(c);
        return k;
    };
    return key(a) == key(b);
}

TEST(RealWorldScripts, EditsChangeTheCompiledResourceInTheAskedFieldsOnly) {
    const Workspace work;
    ScriptEdits edits;
    edits.FileVersion = "9, 8, 7, 6";
    edits.Strings.push_back({"CompanyName", "Edited \\\\ Co.", {}});
    std::size_t edited = 0;
    std::vector<std::string> refused;
    for (const CorpusScript& script : Corpus()) {
        Expected<VersionScript> model = ParseVersionScript(script.Text, BesideTheCorpus(script));
        ASSERT_TRUE(model) << script.Name;
        Expected<std::string> text = EditScript(script.Text, *model, edits);
        const FixedStatement* version = model->FindFixed("FILEVERSION");
        const bool macro =
            !version->Numbers.front().Macro.empty() || !version->Numbers.front().Unknown.empty();
        if (macro) {
            // A version spelled with macros that PRODUCTVERSION shares, or
            // from a header not read here, is refused: its defines can't
            // change alone.
            EXPECT_FALSE(text) << script.Name;
            refused.push_back(script.Name);
            EXPECT_TRUE(text.message().find("PRODUCTVERSION") != std::string::npos ||
                        text.message().find("FILEVERSION") != std::string::npos)
                << text.message();
            continue;
        }
        ASSERT_TRUE(text) << script.Name << ": " << text.message();
        ++edited;
        const auto before = Compile("llvm-rc", script.Text, script.CodePage, work);
        const auto after = Compile("llvm-rc", *text, script.CodePage, work);
        ASSERT_TRUE(before && after) << script.Name << ":\n" << *text;
        EXPECT_EQ(after->Fixed.FileVersionMS, 0x00090008u) << script.Name;
        EXPECT_EQ(after->Fixed.FileVersionLS, 0x00070006u) << script.Name;
        std::string company;
        for (const CompiledString& s : after->Tables.front().Strings)
            if (s.Key == "CompanyName")
                company = s.Value;
        EXPECT_EQ(company, "Edited \\ Co.") << script.Name;
        EXPECT_TRUE(
            SameInfo(WithoutFileVersionAndCompany(*before), WithoutFileVersionAndCompany(*after)))
            << script.Name << ":\n"
            << *text;
        // Outside the edited tokens, not a byte moved.
        EXPECT_EQ(text->substr(0, model->FindFixed("FILEVERSION")->ValueSpan.Begin),
                  script.Text.substr(0, model->FindFixed("FILEVERSION")->ValueSpan.Begin))
            << script.Name;
    }
    EXPECT_EQ(refused, (std::vector<std::string>{"function_macros.rc", "header_macros.rc",
                                                 "included_version.rc", "macros.rc",
                                                 "memory_flags.rc", "two_languages.rc"}));
    EXPECT_EQ(edited + refused.size(), Corpus().size());
}

} // namespace
} // namespace qm
