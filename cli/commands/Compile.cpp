//===- Compile.cpp - quillmark-rc compile: its options, help and run ------===//

#include "cli/CommandLine.h"
#include "cli/CommandSupport.h"
#include "cli/ResourceCommands.h"
#include "platform/Files.h"
#include "versioninfo/binary/CoffObject.h"
#include "versioninfo/binary/ResCompiler.h"
#include "versioninfo/support/SafeSave.h"

namespace qm {

namespace {

/// The output name that means standard output, for pipes.
const std::string StandardOutputName = "-";

bool EndsWithIgnoringCase(const std::string& text, const std::string& suffix) {
    if (text.size() < suffix.size())
        return false;
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        char c = text[text.size() - suffix.size() + i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i])
            return false;
    }
    return true;
}

/// The script's path with its extension replaced, as llvm-rc names its
/// output when none is given.
std::string BesideScript(const std::string& script, const char* extension) {
    const std::size_t slash = script.find_last_of("/\\");
    const std::size_t dot = script.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? script.substr(0, dot) : script) + extension;
}

} // namespace

int CompileCommand(const CompileArguments& args, CliStreams& io) {
    ResCompileOptions options;
    const std::optional<ScriptCodePage> codePage = CodePageNamed(args.CodePage);
    if (!codePage) {
        io.Err << "--codepage takes 0, 1252 or 65001, as llvm-rc does, not " << args.CodePage
               << '\n';
        return ExitUsage;
    }
    const std::optional<std::uint16_t> language = LanguageNamed(args.Language);
    if (!language) {
        io.Err << "--language takes a hexadecimal language ID such as 409, not " << args.Language
               << '\n';
        return ExitUsage;
    }
    const std::optional<CoffMachine> machine =
        CoffMachineNamed(args.Machine.empty() ? "x64" : args.Machine);
    if (!machine) {
        io.Err << "--machine takes x64, x86 or arm64, not " << args.Machine << '\n';
        return ExitUsage;
    }
    options.CodePage = *codePage;
    options.Language = *language;
    options.Preprocess = PreprocessFor(args.Preprocessor, args.Script);
    const std::optional<CommandInput> input = LoadCommandInput(args.Script, true, io);
    if (!input)
        return ExitUsage;
    if (input->Compiled()) {
        io.Err << args.Script << " is a compiled file; compile takes a script\n";
        return ExitUsage;
    }
    const bool coff = args.Coff || EndsWithIgnoringCase(args.Output, ".o") ||
                      EndsWithIgnoringCase(args.Output, ".obj");
    const std::string out =
        !args.Output.empty() ? args.Output : BesideScript(args.Script, coff ? ".o" : ".res");
    // Whatever the spelling (./a.rc, a link to it), the script is never
    // replaced by what it compiles to.
    if (out != StandardOutputName && platform::SameFile(out, args.Script)) {
        io.Err << out << " is the script itself; compile never writes over its input (name "
               << "another file with -o)\n";
        return ExitUsage;
    }
    Expected<std::string> res = CompileVersionResource(input->Bytes, options);
    if (!res) {
        io.Err << args.Script << ": " << res.message() << "; nothing written\n";
        return ExitFailure;
    }
    if (coff)
        res = CoffObjectOfRes(*res, *machine);
    if (out == StandardOutputName) {
        io.Out.write(res->data(), static_cast<std::streamsize>(res->size()));
        return ExitSuccess; // a failed write to the stream is reported for every command
    }
    if (Status saved = SaveFileSafely(out, *res); !saved) {
        io.Err << saved.message() << '\n';
        return ExitFailure;
    }
    return ExitSuccess;
}

namespace {

CLI::App* DeclareCompile(CLI::App& app, Arguments& args) {
    CLI::App* compile = AddCommand(
        app, "compile", "Compile a script's VERSIONINFO into a .res file, without llvm-rc.", R"(
The .res file is byte for byte what llvm-rc makes of the script with the same
code page and language. Headers are not read: the names of winver.h are
known, and a script that needs anything else from a header, holds other
resources or needs more of the preprocessor is refused, naming why; compile
such a script with llvm-rc. With --coff, or an OUT named .o or .obj, the
output is a COFF object holding the resource, which MinGW's ld and lld-link
take as it is (as windres -O coff makes). Without -o the output is the
script's name with .res (or .o).)");
    AddFile(*compile, "SCRIPT", args.Compile.Script, "The script.");
    compile->add_option("-o,--output", args.Compile.Output, "The .res file (or object) to write.")
        ->type_name("OUT");
    compile->add_flag("--coff", args.Compile.Coff, "Write a COFF object instead of a .res file.");
    compile
        ->add_option("--machine", args.Compile.Machine,
                     "The COFF object's machine: x64 (the default), x86 or arm64.")
        ->type_name("M");
    compile
        ->add_option("-c,--codepage", args.Compile.CodePage,
                     "How narrow strings are read: 0 (ASCII only, the default), 1252 or "
                     "65001 (UTF-8), as llvm-rc's /C.")
        ->type_name("CP");
    compile
        ->add_option("-l,--language", args.Compile.Language,
                     "The language of a resource no LANGUAGE statement sets (hexadecimal, "
                     "default 409), as llvm-rc's /L.")
        ->type_name("HEX");
    AddScriptOptions(*compile, args.Compile.Preprocessor);
    return compile;
}

int RunCompile(const CLI::App&, const Arguments& args, CliStreams& io) {
    return CompileCommand(args.Compile, io);
}

} // namespace

const CommandEntry CompileEntry{DeclareCompile, RunCompile};

} // namespace qm
