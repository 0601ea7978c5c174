//===- Check.cpp - quillmark-rc check: its options, help and run ----------===//

#include "cli/CommandLine.h"
#include "cli/VersionCommands.h"

namespace qm {

namespace {

/// `check` of several files: each finding line under its file's path.
int CheckEach(const std::vector<std::string>& files, bool strict, const ScriptOptions& options,
              CliStreams& io) {
    int worst = ExitSuccess;
    for (const std::string& file : files) {
        const OneRun run = RunOnOwnStreams(
            [&](CliStreams& own) { return CheckCommand(file, strict, options, own); });
        worst = std::max(worst, run.ExitCode);
        std::istringstream lines(run.Out);
        for (std::string line; std::getline(lines, line);)
            io.Out << file << ": " << line << '\n';
        io.Err << run.Err;
    }
    return worst;
}

CLI::App* DeclareCheck(CLI::App& app, Arguments& args) {
    CLI::App* check = AddCommand(app, "check", "Print what a compiler would refuse or wrap.", R"(
With several FILEs each finding line begins with its file's path; the exit
status is the worst of them.
Findings: fixed versions that are not four numbers of 0 to 65535 (a dotted
1.2.3 is shown in its comma form), FileVersion/ProductVersion strings that
disagree with them, a code page that cannot hold the strings. A string that
shows only the leading parts ("4.0" for 4, 0, 1381, 318) is a note, which
fails the check only with --strict.)");
    check->add_option("FILE", args.Files, "Scripts, .res files or executables.")
        ->required()
        ->type_name("");
    check->add_flag("--strict", args.Strict, "A note fails the check too.");
    AddScriptOptions(*check, args.Preprocessor);
    return check;
}

int RunCheck(const CLI::App&, const Arguments& args, CliStreams& io) {
    return args.Files.size() == 1
               ? CheckCommand(args.Files.front(), args.Strict, args.Preprocessor, io)
               : CheckEach(args.Files, args.Strict, args.Preprocessor, io);
}

} // namespace

const CommandEntry CheckEntry{DeclareCheck, RunCheck};

} // namespace qm
