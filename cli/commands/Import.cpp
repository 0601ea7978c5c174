//===- Import.cpp - quillmark-rc import: its options, help and run --------===//

#include "cli/CommandLine.h"
#include "cli/VersionCommands.h"

namespace qm {

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
