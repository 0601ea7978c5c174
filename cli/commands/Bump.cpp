//===- Bump.cpp - quillmark-rc bump: its options, help and run ------------===//

#include "cli/CommandLine.h"
#include "cli/VersionCommands.h"

namespace qm {

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
