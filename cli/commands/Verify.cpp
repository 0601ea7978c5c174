//===- Verify.cpp - quillmark-rc verify: its options, help and run --------===//

#include "cli/CommandLine.h"
#include "cli/CommandSupport.h"
#include "cli/VersionCommands.h"
#include "versioninfo/binary/CompareCompiled.h"
#include "versioninfo/support/Unicode.h"
#include <memory>

namespace qm {

namespace {

void PrintFindings(const Findings& findings, CliStreams& io) {
    for (const Finding& finding : findings)
        io.Out << finding.Field << ": " << finding.Message << '\n';
}

// The script text of `bytes` (UTF-16 as UTF-8) and its model; both live
// together because the model points into the text.
struct ParsedScript {
    std::string Text;
    std::unique_ptr<VersionScript> Model;
};

std::optional<ParsedScript> ParseScriptFile(const std::string& path, const std::string& bytes,
                                            const ScriptOptions& options, CliStreams& io) {
    ParsedScript parsed;
    std::optional<std::string> utf8 = Utf8OfUtf16Script(bytes);
    parsed.Text = utf8 ? std::move(*utf8) : bytes;
    Expected<VersionScript> model = ParseVersionScript(parsed.Text, PreprocessFor(options, path));
    if (!model) {
        io.Err << path << ": " << model.message() << '\n';
        return std::nullopt;
    }
    parsed.Model = std::make_unique<VersionScript>(std::move(*model));
    return parsed;
}

// One VERSIONINFO of the script against a compiled copy; `label` names
// the language when the script holds several.
Findings CompareCopy(const VersionScript& model, const CompiledVersionInfo& compiled,
                     const std::string& label, const std::string& scriptPath, CliStreams& io) {
    const ScriptCompiled expected = CompileScriptModel(model);
    for (const auto& [field, reason] : expected.Undetermined)
        io.Err << scriptPath << ": " << label << field << " is not compared: it " << reason << '\n';
    Findings differences = CompareScriptWithCompiled(expected, compiled);
    for (Finding& finding : differences)
        finding.Field = label + finding.Field;
    return differences;
}

// Each VERSIONINFO of the script against the compiled copy in its language
// (U.S. English without a LANGUAGE statement, as the compilers default),
// and a compiled copy in a language the script lacks.
Expected<Findings> CompareEveryCopy(const std::string& text, const PreprocessOptions& preprocess,
                                    const std::vector<CompiledResource>& copies,
                                    const std::string& scriptPath, CliStreams& io) {
    Findings all;
    std::vector<bool> matched(copies.size(), false);
    for (std::size_t index = 0;; ++index) {
        Expected<VersionScript> model = ParseVersionScript(text, preprocess, index);
        if (!model)
            return Status::Fail(model.message());
        const std::uint16_t language = model->Language.value_or(0x409);
        const std::string label = "language " + Hex4(language) + ": ";
        const auto found =
            std::find_if(copies.begin(), copies.end(),
                         [&](const CompiledResource& copy) { return copy.Language == language; });
        if (found == copies.end()) {
            all.push_back(
                {label + "VERSIONINFO", "The script's VERSIONINFO at " +
                                            model->Tokens.Where(model->File, model->Span.Begin) +
                                            " is not in the compiled file"});
        } else {
            matched[static_cast<std::size_t>(found - copies.begin())] = true;
            for (Finding& finding : CompareCopy(*model, found->Info, label, scriptPath, io))
                all.push_back(std::move(finding));
        }
        if (index + 1 >= model->Resources)
            break;
    }
    for (std::size_t i = 0; i < copies.size(); ++i)
        if (!matched[i])
            all.push_back({"language " + Hex4(copies[i].Language) + ": VERSIONINFO",
                           "The compiled file holds a version resource the script lacks"});
    return all;
}

} // namespace

int VerifyCommand(const std::string& scriptPath, const std::string& compiledPath,
                  const ScriptOptions& options, CliStreams& io) {
    const std::optional<std::string> script = LoadScriptInput(scriptPath, io);
    if (!script)
        return ExitUsage;
    if (LooksCompiled(*script)) {
        io.Err << scriptPath << " is a compiled file; verify takes the script first\n";
        return ExitUsage;
    }
    const std::optional<CommandInput> input = LoadCommandInput(compiledPath, false, io);
    if (!input)
        return ExitUsage;
    const std::optional<ParsedScript> parsed = ParseScriptFile(scriptPath, *script, options, io);
    if (!parsed)
        return ExitFailure;
    const Expected<std::vector<CompiledResource>> copies = input->Versions();
    Expected<CompiledResource> compiled = PreferredVersionOf(copies);
    if (!compiled) {
        io.Err << compiledPath << ": " << compiled.message() << '\n';
        return ExitFailure;
    }
    const VersionScript& first = *parsed->Model;
    if (first.Resources < 2) {
        const Findings differences = CompareCopy(first, compiled->Info, "", scriptPath, io);
        PrintFindings(differences, io);
        return differences.empty() ? ExitSuccess : ExitFailure;
    }
    Expected<Findings> differences =
        CompareEveryCopy(parsed->Text, PreprocessFor(options, scriptPath), *copies, scriptPath, io);
    if (!differences) {
        io.Err << scriptPath << ": " << differences.message() << '\n';
        return ExitFailure;
    }
    PrintFindings(*differences, io);
    return differences->empty() ? ExitSuccess : ExitFailure;
}

namespace {

CLI::App* DeclareVerify(CLI::App& app, Arguments& args) {
    CLI::App* verify = AddCommand(
        app, "verify", "Compare what a script compiles to with a .res file or executable.", R"(
Every difference is printed. Fields the script leaves to the preprocessor or
a header's macros are named on stderr and not compared.)");
    AddFile(*verify, "SCRIPT", args.File, "The script.");
    AddFile(*verify, "COMPILED", args.Second, "Its .res file or executable.");
    AddScriptOptions(*verify, args.Preprocessor);
    return verify;
}

int RunVerify(const CLI::App&, const Arguments& args, CliStreams& io) {
    return VerifyCommand(args.File, args.Second, args.Preprocessor, io);
}

} // namespace

const CommandEntry VerifyEntry{DeclareVerify, RunVerify};

} // namespace qm
