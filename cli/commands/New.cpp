//===- New.cpp - quillmark-rc new: its options, help and run --------------===//

#include "cli/CommandLine.h"
#include "cli/Commands.h"

namespace qm {

namespace {

CLI::App* DeclareNew(CLI::App& app, Arguments& args) {
    CLI::App* created = AddCommand(app, "new", "Write a new document, after the edits, to OUT.",
                                   std::string("\nIts comment and include lines are those of the "
                                               "template Initial.rc (see the README).\n\n") +
                                       MarkerForm);
    AddFile(*created, "OUT", args.File, "The script to write.");
    AddEditOptions(*created);
    return created;
}

int RunNew(const CLI::App& command, const Arguments& args, CliStreams& io) {
    const std::optional<ScriptEdits> edits = EditsOf(command, io);
    return edits ? NewCommand(args.File, *edits, io) : ExitUsage;
}

} // namespace

const CommandEntry NewEntry{DeclareNew, RunNew};

} // namespace qm
