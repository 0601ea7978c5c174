//===- Show.cpp - quillmark-rc show: its options, help and run ------------===//

#include "cli/ByteText.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"

namespace qm {

namespace {

/// `show` of several files: a JSON array of their documents, each with its
/// "file"; a file that can't be read is an entry of its own.
int ShowEach(const std::vector<std::string>& files, const std::string& language,
             const ScriptOptions& options, CliStreams& io) {
    int worst = ExitSuccess;
    io.Out << '[';
    for (std::size_t i = 0; i < files.size(); ++i) {
        const OneRun run = RunOnOwnStreams(
            [&](CliStreams& own) { return ShowCommand(files[i], language, options, own); });
        worst = std::max(worst, run.ExitCode);
        io.Err << run.Err;
        io.Out << (i == 0 ? "\n" : ",\n");
        const std::string file = "\"file\": " + JsonStringLiteral(files[i]);
        if (run.Out.empty()) {
            std::string why = run.Err;
            while (!why.empty() && why.back() == '\n')
                why.pop_back();
            io.Out << "{" << file << ", \"failure\": " << JsonStringLiteral(why) << "}";
            continue;
        }
        std::string document = run.Out;
        while (!document.empty() && document.back() == '\n')
            document.pop_back();
        io.Out << "{\n  " << file << "," << document.substr(1);
    }
    io.Out << "\n]\n";
    return worst;
}

CLI::App* DeclareShow(CLI::App& app, Arguments& args) {
    CLI::App* show = AddCommand(app, "show", "Print each FILE's document as JSON.", R"(
One FILE gives one JSON object. Several give a JSON array of them in the
order given, each with the member "file" (the path as given); a file that
can't be read has "file" and "failure" (why) alone, the others still print,
and the exit status is the worst of them. The member "compiled" adds what a compiler makes of a script (and which
fields it leaves to the preprocessor or a header), or the raw resource of a
.res file or an executable: every string table and the Translation pairs. Of
several language copies it shows the one Windows would (neutral, else 409,
else the first), or HEX, and lists the others.)");
    show->add_option("FILE", args.Files, "Scripts, .res files or executables.")
        ->required()
        ->type_name("");
    show->add_option("--resource-language", args.ResourceLanguage,
                     "The language copy of a compiled file to show.")
        ->type_name("HEX");

    AddScriptOptions(*show, args.Preprocessor);
    return show;
}

int RunShow(const CLI::App&, const Arguments& args, CliStreams& io) {
    return args.Files.size() == 1
               ? ShowCommand(args.Files.front(), args.ResourceLanguage, args.Preprocessor, io)
               : ShowEach(args.Files, args.ResourceLanguage, args.Preprocessor, io);
}

} // namespace

const CommandEntry ShowEntry{DeclareShow, RunShow};

} // namespace qm
