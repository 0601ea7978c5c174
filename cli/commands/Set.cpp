//===- Set.cpp - quillmark-rc set: its options, help and run --------------===//

#include "cli/CliDefaults.h"
#include "cli/CommandLine.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/InPlace.h"
#include "versioninfo/script/ScriptReader.h"

namespace qm {

int SetCommand(const std::string& path, const ScriptEdits& edits, const std::string& outPath,
               const ScriptOptions& options, CliStreams& io) {
    int exit = ExitSuccess;
    const std::optional<ScriptToEdit> script =
        OpenScriptToEdit(path, outPath, "set works on scripts (import it first)", io, exit);
    if (!script)
        return exit;
    const std::string* bytes = &script->Input.Bytes;
    // Names that depend on the record (a subtype of the file type) are
    // checked before anything is touched.
    const PreprocessOptions preprocess = PreprocessFor(options, path);
    VersionRecord probe =
        ReadScriptText(*bytes, CliNewDocumentDefaults(), false, preprocess).Record;
    if (Status applied = ApplyEdits(edits, probe); !applied) {
        io.Err << applied.message() << '\n';
        return ExitUsage;
    }
    const std::optional<CopyChoice> copies = CopiesFor(options, outPath, io);
    if (!copies)
        return ExitUsage;
    if (std::optional<int> done =
            SetInPlace(path, *bytes, edits, *copies, preprocess, !options.NoStrings, io))
        return *done;
    // No VERSIONINFO a compiler would read: only a whole new document can
    // be written, and only when asked to.
    ReadResult read = ReadScriptText(*bytes, CliNewDocumentDefaults(), true, preprocess);
    if (read.ConversionError) {
        // The record holds only part of the script; writing it would lose the rest.
        io.Err << *read.ConversionError << '\n';
        return ExitFailure;
    }
    for (const std::string& report : read.Reports)
        io.Err << report << '\n';
    if (!edits.Force && RefuseLosses(path, *bytes, read, io))
        return ExitFailure;
    if (Status applied = ApplyEdits(edits, read.Record); !applied) {
        io.Err << applied.message() << '\n';
        return ExitUsage;
    }
    return WriteDocument(read.Record, outPath.empty() ? path : outPath, io);
}

namespace {

CLI::App* DeclareSet(CLI::App& app, Arguments& args) {
    CLI::App* set = AddCommand(app, "set", "Change the fields asked for where they stand in FILE.",
                               std::string(R"(
set FILE [EDITS] [--block NAME] [-o OUT] [--force] writes FILE back (or to
OUT) with every other byte kept. A missing string VALUE is added to its
table. String edits go to the first table (FileVersion and ProductVersion:
every table that agreed with the old version), or to table NAME. Refuses,
naming line and field, a field written as a macro, an expression or under
#if/#else (--force replaces just that field), and any edit after which a
compiler would read another field differently. A file with no VERSIONINFO
is refused; --force writes a new document.

)") + MarkerForm);
    AddFile(*set, "FILE", args.File, "The script to edit.");
    AddEditOptions(*set);
    set->add_option("--block", args.Block, "The string table to edit.")->type_name("NAME");
    AddOutput(*set, args, "Write to OUT instead of FILE.");
    AddForce(*set, args,
             "Replace a field written as a macro, an expression or under #if/#else; "
             "write a new document over a file with no VERSIONINFO.");
    AddScriptOptions(*set, args.Preprocessor, true);
    AddNoStringsOption(*set, args.Preprocessor);
    return set;
}

int RunSet(const CLI::App& command, const Arguments& args, CliStreams& io) {
    std::optional<ScriptEdits> edits = EditsOf(command, io);
    if (!edits)
        return ExitUsage;
    edits->Block = args.Block;
    edits->Force = args.Force;
    edits->NoFollow = args.Preprocessor.NoFollow;
    return SetCommand(args.File, *edits, args.Output, args.Preprocessor, io);
}

} // namespace

const CommandEntry SetEntry{DeclareSet, RunSet};

} // namespace qm
