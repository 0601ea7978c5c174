//===- Verify.cpp - quillmark-rc verify: its options, help and run --------===//

#include "cli/CommandLine.h"
#include "cli/VersionCommands.h"

namespace qm {

namespace {

CLI::App* DeclareVerify(CLI::App& app, Arguments& args) {
    CLI::App* verify = AddCommand(
        app, "verify", "Compare what a script compiles to with a .res file or executable.", R"(
Every difference is printed. Fields the script leaves to the preprocessor or
a header's macros are named on stderr and not compared.)");
    AddFile(*verify, "SCRIPT", args.File, "The script.");
    AddFile(*verify, "COMPILED", args.Second, "Its .res file or executable.");
    AddScriptOptions(*verify, args.Preprocessor);
    return verify;
}

int RunVerify(const CLI::App&, const Arguments& args, CliStreams& io) {
    return VerifyCommand(args.File, args.Second, args.Preprocessor, io);
}

} // namespace

const CommandEntry VerifyEntry{DeclareVerify, RunVerify};

} // namespace qm
