//===- Bump.cpp - quillmark-rc bump: its options, help and run ------------===//

#include "cli/CliDefaults.h"
#include "cli/CommandLine.h"
#include "cli/CommandSupport.h"
#include "cli/InPlace.h"
#include "cli/VersionCommands.h"
#include "versioninfo/script/ScriptReader.h"
#include "versioninfo/script/VersionBump.h"

namespace qm {

int BumpCommand(const std::string& path, const std::string& part, const std::string& outPath,
                bool force, const ScriptOptions& options, CliStreams& io) {
    const std::optional<VersionPart> which = VersionPartNamed(part.empty() ? "build" : part);
    if (!which) {
        io.Err << "--part takes major, minor, patch or build, not \"" << part << "\"\n";
        return ExitUsage;
    }
    int exit = ExitSuccess;
    const std::optional<ScriptToEdit> script =
        OpenScriptToEdit(path, outPath, "bump works on the script", io, exit);
    if (!script)
        return exit;
    const std::string* bytes = &script->Input.Bytes;
    const PreprocessOptions preprocess = PreprocessFor(options, path);
    const std::optional<CopyChoice> copies = CopiesFor(options, outPath, io);
    if (!copies)
        return ExitUsage;
    if (std::optional<int> done =
            BumpInPlace(path, *bytes, *which, force, options.NoFollow, *copies, preprocess, io))
        return *done;
    const ReadResult read = ReadScriptText(*bytes, CliNewDocumentDefaults(), true, preprocess);
    if (read.ConversionError) {
        io.Err << path << ": " << *read.ConversionError << '\n';
        return ExitFailure;
    }
    for (const std::string& report : read.Reports)
        io.Err << path << ": " << report << '\n';
    // Bump rewrites the whole script, so it guards what the read left out
    // exactly as set does.
    if (!force && RefuseLosses(path, *bytes, read, io))
        return ExitFailure;
    Expected<BumpResult> bumped = BumpVersion(read.Record, *which);
    if (!bumped) {
        io.Err << bumped.message() << '\n';
        return ExitFailure;
    }
    for (const std::string& note : bumped->Notes)
        io.Err << note << '\n';
    const int written = WriteDocument(bumped->Record, outPath.empty() ? path : outPath, io);
    if (written == ExitSuccess)
        io.Out << "FILEVERSION " << bumped->Record.HFileVersion << "\nPRODUCTVERSION "
               << bumped->Record.HProductVersion << '\n';
    return written;
}

namespace {

CLI::App* DeclareBump(CLI::App& app, Arguments& args) {
    CLI::App* bump =
        AddCommand(app, "bump", "Add one to a part of FILEVERSION and PRODUCTVERSION.", R"(
The parts after it restart at 0. FileVersion and ProductVersion strings that
agreed with the old version get the new one; the rest stays. Prints the new
versions. Edits in place and refuses as set does.)");
    AddFile(*bump, "FILE", args.File, "The script to edit.");
    bump->add_option("--part", args.Part, "major, minor, patch or build (default build).")
        ->type_name("P");
    AddOutput(*bump, args, "Write to OUT instead of FILE.");
    AddForce(*bump, args, "Replace a field written as a macro, an expression or under #if/#else.");
    AddScriptOptions(*bump, args.Preprocessor, true);
    return bump;
}

int RunBump(const CLI::App&, const Arguments& args, CliStreams& io) {
    return BumpCommand(args.File, args.Part, args.Output, args.Force, args.Preprocessor, io);
}

} // namespace

const CommandEntry BumpEntry{DeclareBump, RunBump};

} // namespace qm
