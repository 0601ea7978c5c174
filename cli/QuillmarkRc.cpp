//===- QuillmarkRc.cpp - Command-line entry of quillmark-rc ---------------===//
//
// One CLI11 subcommand per command, each declaring the files and options it
// takes: the parser refuses everything else, and the help is generated from
// these declarations. The table Commands lists each command once, with its
// declaration and its run. Arguments stay bytes from end to end, so paths and
// values reach the files unchanged.
//
//===----------------------------------------------------------------------===//

#include "QuillmarkRc.h"

#include "ByteText.h"
#include "ParsedOptions.h"
#include "ResourceCommands.h"
#include "VersionCommands.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <sstream>

#ifndef QM_VERSION
#error "QM_VERSION must give the program version"
#endif

namespace qm {

namespace {

const char* const ProgramName = "quillmark-rc";

const char* const Description =
    "Reads and writes VERSIONINFO resource scripts (.rc) in Quillmark's layout,\n"
    "so build scripts can stamp versions without opening the window, and reads\n"
    "the version back from compiled .res files and executables (.exe, .dll).\n"
    "'quillmark-rc COMMAND --help' shows all that a command does and takes.";

const char* const Footer = R"(The JSON document (show prints it, write reads it):
  comIncLines                  array of strings
  fileVersion, productVersion  strings
  debug, preRelease, patched   booleans
  fileOS, fileType, fileSubType  strings, "" when there is no row
  language, codePage           the row's text, e.g. " 409  U.S. English", or
                               null
  strings                      the twelve string keys, values in marker form
  reports                      the reader's "Parsing" reports (show only)
  error                        the conversion error, or null (show only)
write takes the new-document value for every member left out.

Bytes: scripts are bytes, JSON is UTF-8. Bytes that form valid UTF-8 stand
for those characters; every other byte 0xXX is written as the escape \udcXX
(a lone surrogate, U+DC80 to U+DCFF), and write turns each such escape back
into its byte. So show followed by write gives back every value byte for
byte, whatever the script's code page. Arguments are taken as the bytes given;
on Windows each must be exact in the system's ANSI code page, as scripts are.

Exit codes:
  0  done; show: the read ran to its end, with or without reports
  1  a conversion error in the block name stopped the read (show still
     prints the JSON; set writes nothing), set refused to lose part of FILE,
     show could not write its output, or the script could not be written
     (no language or code page row, or a file error); the target is untouched
     check: there are findings; verify: there are differences, or the
     compiled file can't be read; import: the compiled file can't be read;
     bump: a fixed version is not four numbers or the part is at 65535;
     compile: the built-in compiler can't compile the script as llvm-rc
     would (the reason is named); stamp: the file can't be stamped safely,
     is signed, or the edit would change what it was not asked to
  2  wrong arguments, an unknown name or key, or an input that can't be opened
)";

const char* const MarkerForm =
    R"(String values (--string KEY=VALUE) are in marker form: empty for no entry,
\0TEXT for TEXT (\0 alone: an empty entry), \#TEXT for TEXT written bare
(e.g. a macro), \\TEXT for a TEXT that begins with "\". KEY is one of
FileVersion, FileDescription, LegalCopyright, Comments, CompanyName,
LegalTrademarks, OriginalFilename, ProductVersion, ProductName,
InternalName, PrivateBuild, SpecialBuild.)";

/// What the parser fills in; each command reads its own part.
struct Arguments {
    std::string File;
    std::vector<std::string> Files; ///< show, check: one or more
    std::string Second;             ///< verify: the compiled file
    std::string Output;
    std::string From;
    std::string Part;
    std::string Block;
    std::string ResourceLanguage;
    bool Force = false;
    bool Strict = false;
    bool Parts = false; ///< get: a version's numbers, space-separated
    ScriptOptions Preprocessor;
    CompileArguments Compile;
    StampArguments Stamp;
};

CLI::App* AddCommand(CLI::App& app, const char* name, const char* summary, std::string details) {
    CLI::App* command = app.add_subcommand(name, summary);
    command->footer(std::move(details));
    command->option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    return command;
}

void AddFile(CLI::App& command, const char* name, std::string& into, const char* what) {
    command.add_option(name, into, what)->required()->type_name("");
}

void AddOutput(CLI::App& command, Arguments& args, const char* what) {
    command.add_option("-o,--output", args.Output, what)->type_name("OUT");
}

void AddForce(CLI::App& command, Arguments& args, const char* what) {
    command.add_flag("--force", args.Force, what);
}

/// Declares every command; returns them in order.
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

CLI::App* DeclareWrite(CLI::App& app, Arguments& args) {
    CLI::App* write = AddCommand(
        app, "write", "Write a JSON document to OUT as a script.",
        "The document is show's JSON, or goversioninfo's versioninfo.json (known by its\n"
        "FixedFileInfo, StringFileInfo and VarFileInfo members).\n");
    AddFile(*write, "OUT", args.File, "The script to write.");
    write->add_option("--from", args.From, "The JSON document's file, or - for standard input.")
        ->type_name("JSON")
        ->required();
    return write;
}

CLI::App* DeclareNew(CLI::App& app, Arguments& args) {
    CLI::App* created = AddCommand(app, "new", "Write a new document, after the edits, to OUT.",
                                   std::string("\nIts comment and include lines are those of the "
                                               "template Initial.rc (see the README).\n\n") +
                                       MarkerForm);
    AddFile(*created, "OUT", args.File, "The script to write.");
    AddEditOptions(*created);
    return created;
}

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

CLI::App* DeclareImport(CLI::App& app, Arguments& args) {
    CLI::App* import = AddCommand(
        app, "import", "Write the version resource of a .res file or an executable as a script.",
        "\nEvery string table and Translation pair is included. OUT may not be a .res file or "
        "an executable.");
    AddFile(*import, "FILE", args.File, "A .res file or an executable.");
    AddOutput(*import, args, "The script to write.");
    import->get_option("--output")->required();
    return import;
}

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

CLI::App* DeclareGet(CLI::App& app, Arguments& args) {
    CLI::App* get = AddCommand(
        app, "get", "Print one field of a script, .res file or executable, for shell scripts.", R"(
FIELD is a member of show's document (fileVersion, productVersion, fileOS,
fileType, fileSubType, fileFlags, fileFlagsMask; or the keyword, FILEVERSION)
or a string key of the first table (FileVersion, CompanyName, any other).
Prints the value as the compiler builds it, and nothing else; exits 1, with
the reason on stderr, when the resource lacks it or a script leaves it to
the preprocessor.)");
    AddFile(*get, "FILE", args.File, "A script, .res file or executable.");
    AddFile(*get, "FIELD", args.Second, "The field or string key.");
    get->add_flag("--parts", args.Parts, "A version's four numbers, separated by spaces.");
    AddScriptOptions(*get, args.Preprocessor);
    return get;
}

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

CLI::App* DeclareCompile(CLI::App& app, Arguments& args) {
    CLI::App* compile = AddCommand(
        app, "compile", "Compile a script's VERSIONINFO into a .res file, without llvm-rc.", R"(
The .res file is byte for byte what llvm-rc makes of the script with the same
code page and language. Headers are not read: the names of winver.h are
known, and a script that needs anything else from a header, holds other
resources or needs more of the preprocessor is refused, naming why; compile
such a script with llvm-rc. With --coff, or an OUT named .o or .obj, the
output is a COFF object holding the resource, which MinGW's ld and lld-link
take as it is (as windres -O coff makes). Without -o the output is the
script's name with .res (or .o).)");
    AddFile(*compile, "SCRIPT", args.Compile.Script, "The script.");
    compile->add_option("-o,--output", args.Compile.Output, "The .res file (or object) to write.")
        ->type_name("OUT");
    compile->add_flag("--coff", args.Compile.Coff, "Write a COFF object instead of a .res file.");
    compile
        ->add_option("--machine", args.Compile.Machine,
                     "The COFF object's machine: x64 (the default), x86 or arm64.")
        ->type_name("M");
    compile
        ->add_option("-c,--codepage", args.Compile.CodePage,
                     "How narrow strings are read: 0 (ASCII only, the default), 1252 or "
                     "65001 (UTF-8), as llvm-rc's /C.")
        ->type_name("CP");
    compile
        ->add_option("-l,--language", args.Compile.Language,
                     "The language of a resource no LANGUAGE statement sets (hexadecimal, "
                     "default 409), as llvm-rc's /L.")
        ->type_name("HEX");
    AddScriptOptions(*compile, args.Compile.Preprocessor);
    return compile;
}

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

int UsageError(const std::string& message, CliStreams& io) {
    io.Err << ProgramName << ": " << message << '\n' << "Try '" << ProgramName << " --help'.\n";
    return ExitUsage;
}

// Whatever a command printed must have reached its reader: a full disk or a
// closed pipe turns a success into a failure, for every command alike.
int WithOutputChecked(int exitCode, CliStreams& io) {
    io.Out.flush();
    if (io.Out || exitCode != ExitSuccess)
        return exitCode;
    io.Err << "Can't write to standard output\n";
    return ExitFailure;
}

/// Runs `command` on one file with output and errors of its own.
struct OneRun {
    int ExitCode = ExitSuccess;
    std::string Out;
    std::string Err;
};

template <typename Command> OneRun RunOnOwnStreams(Command command) {
    std::istringstream in;
    std::ostringstream out, err;
    CliStreams own{in, out, err};
    OneRun run;
    run.ExitCode = command(own);
    run.Out = out.str();
    run.Err = err.str();
    return run;
}

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

// The EDITS of `new`, `set` and `stamp`, checked before any file is touched.
std::optional<ScriptEdits> EditsOf(const CLI::App& command, CliStreams& io) {
    Expected<ScriptEdits> edits = ParseEdits(ParsedOptions(command));
    if (!edits) {
        io.Err << edits.message() << '\n';
        return std::nullopt;
    }
    return std::move(*edits);
}

int RunShow(const CLI::App&, const Arguments& args, CliStreams& io) {
    return args.Files.size() == 1
               ? ShowCommand(args.Files.front(), args.ResourceLanguage, args.Preprocessor, io)
               : ShowEach(args.Files, args.ResourceLanguage, args.Preprocessor, io);
}

int RunWrite(const CLI::App&, const Arguments& args, CliStreams& io) {
    return WriteCommand(args.File, args.From, io);
}

int RunNew(const CLI::App& command, const Arguments& args, CliStreams& io) {
    const std::optional<ScriptEdits> edits = EditsOf(command, io);
    return edits ? NewCommand(args.File, *edits, io) : ExitUsage;
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

int RunCheck(const CLI::App&, const Arguments& args, CliStreams& io) {
    return args.Files.size() == 1
               ? CheckCommand(args.Files.front(), args.Strict, args.Preprocessor, io)
               : CheckEach(args.Files, args.Strict, args.Preprocessor, io);
}

int RunImport(const CLI::App&, const Arguments& args, CliStreams& io) {
    return ImportCommand(args.File, args.Output, io);
}

int RunVerify(const CLI::App&, const Arguments& args, CliStreams& io) {
    return VerifyCommand(args.File, args.Second, args.Preprocessor, io);
}

int RunGet(const CLI::App&, const Arguments& args, CliStreams& io) {
    return GetCommand(args.File, args.Second, args.Parts, args.Preprocessor, io);
}

int RunBump(const CLI::App&, const Arguments& args, CliStreams& io) {
    return BumpCommand(args.File, args.Part, args.Output, args.Force, args.Preprocessor, io);
}

int RunCompile(const CLI::App&, const Arguments& args, CliStreams& io) {
    return CompileCommand(args.Compile, io);
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

/// Every command: how it is declared and how it runs, in the order of the help.
struct CommandEntry {
    CLI::App* (*Declare)(CLI::App& app, Arguments& args);
    int (*Run)(const CLI::App& command, const Arguments& args, CliStreams& io);
};

const CommandEntry Commands[] = {
    {DeclareShow, RunShow},       {DeclareWrite, RunWrite}, {DeclareNew, RunNew},
    {DeclareSet, RunSet},         {DeclareCheck, RunCheck}, {DeclareImport, RunImport},
    {DeclareVerify, RunVerify},   {DeclareGet, RunGet},     {DeclareBump, RunBump},
    {DeclareCompile, RunCompile}, {DeclareStamp, RunStamp},
};

} // namespace

int RunQuillmarkRc(const std::vector<std::string>& arguments, CliStreams& io) {
    CLI::App app(Description, ProgramName);
    app.footer(Footer);
    // CLI11 takes "/x" for an option on Windows, and so a path for one.
    app.allow_windows_style_options(false);
    app.set_version_flag("-v,--version", std::string(ProgramName) + ' ' + QM_VERSION);
    app.require_subcommand(1, 1);
    Arguments args;
    std::vector<std::pair<CLI::App*, const CommandEntry*>> declared;
    for (const CommandEntry& entry : Commands)
        declared.emplace_back(entry.Declare(app, args), &entry);

    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(std::move(reversed));
    } catch (const CLI::CallForHelp&) {
        io.Out << app.help();
        return ExitSuccess;
    } catch (const CLI::CallForVersion& version) {
        io.Out << version.what() << '\n';
        return ExitSuccess;
    } catch (const CLI::ParseError& error) {
        return UsageError(error.what(), io);
    }
    for (const auto& [command, entry] : declared) {
        if (command->parsed())
            return WithOutputChecked(entry->Run(*command, args, io), io);
    }
    return UsageError("missing command", io);
}

} // namespace qm
