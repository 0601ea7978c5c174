//===- Stamp.cpp - quillmark-rc stamp: its options, help and run ----------===//

#include "cli/CommandLine.h"
#include "cli/ResourceCommands.h"

namespace qm {

namespace {

CLI::App* DeclareStamp(CLI::App& app, Arguments& args) {
    CLI::App* stamp = AddCommand(
        app, "stamp", "Write the version resource into an executable (.exe, .dll).", std::string(R"(
stamp FILE [EDITS] [--block NAME] [-o OUT] changes the version resource FILE
has, as set changes a script's; --from SCRIPT|RES takes a whole resource
instead (a script is compiled by the built-in compiler). Of several language
copies it changes the one Windows shows, or HEX; a file without one gets
one. Every other resource, section and byte is kept: the resource section
is rebuilt, or added as a new last section, and the headers and checksum
follow. The file is written whole or not at all. A signed file is refused
(--force stamps it and drops the signature, which no longer holds), as is
one that can't be rewritten safely, naming why.

)") + MarkerForm);
    AddFile(*stamp, "FILE", args.Stamp.File, "The executable.");
    AddEditOptions(*stamp);
    stamp->add_option("--block", args.Stamp.Block, "The string table to edit.")->type_name("NAME");
    stamp
        ->add_option(
            "--from", args.Stamp.From,
            "A script, .res file or goversioninfo versioninfo.json with the whole resource.")
        ->type_name("SCRIPT|RES");
    stamp
        ->add_option("-c,--codepage", args.Stamp.CodePage,
                     "How --from's script reads narrow strings: 0, 1252 or 65001.")
        ->type_name("CP");
    stamp->add_option("--resource-language", args.Stamp.Language, "The language copy to change.")
        ->type_name("HEX");
    stamp->add_option("-o,--output", args.Stamp.Output, "Write to OUT instead of FILE.")
        ->type_name("OUT");
    stamp->add_flag("--force", args.Stamp.Force,
                    "Stamp a signed file (its signature is dropped); replace a field written as "
                    "a macro or an expression.");
    AddScriptOptions(*stamp, args.Stamp.Preprocessor);
    AddNoStringsOption(*stamp, args.Stamp.Preprocessor);
    return stamp;
}

int RunStamp(const CLI::App& command, const Arguments& args, CliStreams& io) {
    std::optional<ScriptEdits> edits = EditsOf(command, io);
    if (!edits)
        return ExitUsage;
    edits->Block = args.Stamp.Block;
    edits->Force = args.Stamp.Force;
    edits->NoFollow = args.Preprocessor.NoFollow;
    return StampCommand(args.Stamp, *edits, io);
}

} // namespace

const CommandEntry StampEntry{DeclareStamp, RunStamp};

} // namespace qm
