//===- Check.cpp - quillmark-rc check: its options, help and run ----------===//

#include "cli/CliDefaults.h"
#include "cli/CommandLine.h"
#include "cli/CommandSupport.h"
#include "cli/VersionCommands.h"
#include "versioninfo/binary/CompiledRecord.h"
#include "versioninfo/document/VersionCheck.h"
#include "versioninfo/script/ScriptReader.h"

namespace qm {

namespace {

/// The document a file holds: read as a script, or from its compiled
/// version resource. Reports and notes go to standard error.
std::optional<VersionRecord> DocumentOf(const std::string& path, const CommandInput& input,
                                        const ScriptOptions& options, CliStreams& io,
                                        std::optional<std::string>* refusal = nullptr) {
    const std::string& bytes = input.Bytes;
    if (input.Compiled()) {
        Expected<CompiledResource> compiled = PreferredVersionOf(input.Versions());
        if (!compiled) {
            io.Err << path << ": " << compiled.message() << '\n';
            return std::nullopt;
        }
        return RecordFromCompiled(compiled->Info, CliNewDocumentDefaults()).Record;
    }
    ReadResult read = ReadScriptText(bytes, CliNewDocumentDefaults(), false,
                                     PreprocessFor(options, path), ScriptCopy::WindowsShows);
    if (read.ConversionError) {
        io.Err << path << ": " << *read.ConversionError << '\n';
        return std::nullopt;
    }
    for (const std::string& report : read.Reports)
        io.Err << path << ": " << report << '\n';
    if (refusal)
        *refusal = read.CompilerRefusal;
    return std::move(read.Record);
}

} // namespace

int CheckCommand(const std::string& path, bool strict, const ScriptOptions& options,
                 CliStreams& io) {
    const std::optional<CommandInput> input = LoadCommandInput(path, true, io);
    if (!input)
        return ExitUsage;
    std::optional<std::string> refusal;
    const std::optional<VersionRecord> record = DocumentOf(path, *input, options, io, &refusal);
    if (!record)
        return ExitFailure;
    bool failed = false;
    const Findings findings = CheckDocument(*record);
    // What a compiler refuses outright, unless the findings name it already.
    if (refusal && std::all_of(findings.begin(), findings.end(),
                               [](const Finding& finding) { return finding.Note; })) {
        io.Out << "script: a resource compiler would refuse it: " << *refusal << '\n';
        failed = true;
    }
    for (const Finding& finding : findings) {
        io.Out << finding.Field << ": " << (finding.Note ? "note: " : "") << finding.Message
               << '\n';
        failed = failed || strict || !finding.Note;
    }
    return failed ? ExitFailure : ExitSuccess;
}

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
