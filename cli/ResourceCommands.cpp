//===- ResourceCommands.cpp - compile: a script to a .res file ------------===//

#include "ResourceCommands.h"

#include "CommandSupport.h"
#include "versioninfo/CoffObject.h"
#include "versioninfo/ResCompiler.h"
#include "versioninfo/SafeSave.h"

#include <cstdlib>

namespace qm {

namespace {

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

std::optional<ScriptCodePage> CodePageNamed(const std::string& text) {
    if (text.empty() || text == "0")
        return ScriptCodePage::AsciiOnly;
    if (text == "1252")
        return ScriptCodePage::Windows1252;
    if (text == "65001")
        return ScriptCodePage::Utf8;
    return std::nullopt;
}

std::optional<std::uint16_t> LanguageNamed(const std::string& text) {
    if (text.empty())
        return 0x0409;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 16);
    if (*end != '\0' || value > 0xFFFF)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
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
    const std::optional<CommandInput> input = LoadCommandInput(args.Script, true, io);
    if (!input)
        return ExitUsage;
    if (input->Compiled()) {
        io.Err << args.Script << " is a compiled file; compile takes a script\n";
        return ExitUsage;
    }
    Expected<std::string> res = CompileVersionResource(input->Bytes, options);
    if (!res) {
        io.Err << args.Script << ": " << res.message() << "; nothing written\n";
        return ExitFailure;
    }
    const bool coff = args.Coff || EndsWithIgnoringCase(args.Output, ".o") ||
                      EndsWithIgnoringCase(args.Output, ".obj");
    const std::string out =
        !args.Output.empty() ? args.Output : BesideScript(args.Script, coff ? ".o" : ".res");
    if (coff)
        res = CoffObjectOfRes(*res, *machine);
    if (Status saved = SaveFileSafely(out, *res); !saved) {
        io.Err << saved.message() << '\n';
        return ExitFailure;
    }
    return ExitSuccess;
}

} // namespace qm
