//===- New.cpp - quillmark-rc new: its options, help and run --------------===//

#include "cli/CliDefaults.h"
#include "cli/CommandLine.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"

namespace qm {

int NewCommand(const std::string& outPath, const ScriptEdits& edits, CliStreams& io) {
    VersionRecord record = NewDocument(CliNewDocumentDefaults());
    Expected<Lines> templateLines = CliTemplateComIncLines();
    if (!templateLines) {
        // A script without the template's #include would not compile.
        io.Err << templateLines.message() << "; nothing written\n";
        return ExitFailure;
    }
    record.ComIncLines = std::move(*templateLines);
    if (Status applied = ApplyEdits(edits, record); !applied) {
        io.Err << applied.message() << '\n';
        return ExitUsage;
    }
    std::vector<StringEdit> others;
    for (const StringEdit& edit : edits.Strings)
        if (!StringKeyNamed(edit.Key))
            others.push_back(edit);
    return WriteDocument(record, outPath, io, others);
}

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
