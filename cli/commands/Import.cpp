//===- Import.cpp - quillmark-rc import: its options, help and run --------===//

#include "cli/CliDefaults.h"
#include "cli/CommandLine.h"
#include "cli/CommandSupport.h"
#include "cli/VersionCommands.h"
#include "versioninfo/binary/ImportScript.h"
#include "versioninfo/support/SafeSave.h"

namespace qm {

namespace {

bool NamedLikeCompiled(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return false;
    std::string extension = path.substr(dot + 1);
    for (char& c : extension)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    for (const char* compiled : {"res", "exe", "dll", "sys", "ocx", "cpl", "scr", "o", "obj"})
        if (extension == compiled)
            return true;
    return false;
}

} // namespace

int ImportCommand(const std::string& path, const std::string& outPath, CliStreams& io) {
    const std::optional<CommandInput> input = LoadCommandInput(path, false, io);
    if (!input)
        return ExitUsage;
    if (!input->Compiled()) {
        io.Err << path << " is neither a .res file nor an executable\n";
        return ExitUsage;
    }
    // The output is a script: never the input, another .res or an executable.
    const LoadedFile existing = LoadFile(outPath);
    if (NamedLikeCompiled(outPath) || (existing && LooksCompiled(*existing))) {
        io.Err << outPath << " is a compiled file (or named like one); import writes a script\n";
        return ExitUsage;
    }
    Expected<CompiledResource> compiled = PreferredVersionOf(input->Versions());
    if (!compiled) {
        io.Err << path << ": " << compiled.message() << '\n';
        return ExitFailure;
    }
    // The symbolic names the script is written with come from winver.h.
    Expected<ImportedScript> script = ScriptOfCompiled(compiled->Info, {"#include <winver.h>"});
    if (!script) {
        io.Err << path << ": " << script.message() << "; nothing written\n";
        return ExitFailure;
    }
    for (const std::string& note : script->Notes)
        io.Err << path << ": " << note << '\n';
    if (Status saved = SaveFileSafely(outPath, script->Text); !saved) {
        io.Err << saved.message() << '\n';
        return ExitFailure;
    }
    return ExitSuccess;
}

namespace {

CLI::App* DeclareImport(CLI::App& app, Arguments& args) {
    CLI::App* import = AddCommand(
        app, "import", "Write the version resource of a .res file or an executable as a script.",
        "\nEvery string table and Translation pair is included. OUT may not be a .res file or "
        "an executable.");
    AddFile(*import, "FILE", args.File, "A .res file or an executable.");
    AddOutput(*import, args, "The script to write.");
    import->get_option("--output")->required();
    return import;
}

int RunImport(const CLI::App&, const Arguments& args, CliStreams& io) {
    return ImportCommand(args.File, args.Output, io);
}

} // namespace

const CommandEntry ImportEntry{DeclareImport, RunImport};

} // namespace qm
