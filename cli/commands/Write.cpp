//===- Write.cpp - quillmark-rc write: its options, help and run ----------===//

#include "cli/CommandLine.h"
#include "cli/Commands.h"

namespace qm {

namespace {

CLI::App* DeclareWrite(CLI::App& app, Arguments& args) {
    CLI::App* write = AddCommand(
        app, "write", "Write a JSON document to OUT as a script.",
        "The document is show's JSON, or goversioninfo's versioninfo.json (known by its\n"
        "FixedFileInfo, StringFileInfo and VarFileInfo members).\n");
    AddFile(*write, "OUT", args.File, "The script to write.");
    write->add_option("--from", args.From, "The JSON document's file, or - for standard input.")
        ->type_name("JSON")
        ->required();
    return write;
}

int RunWrite(const CLI::App&, const Arguments& args, CliStreams& io) {
    return WriteCommand(args.File, args.From, io);
}

} // namespace

const CommandEntry WriteEntry{DeclareWrite, RunWrite};

} // namespace qm
