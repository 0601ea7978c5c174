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

#include "CommandLine.h"

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

} // namespace

const char* const MarkerForm =
    R"(String values (--string KEY=VALUE) are in marker form: empty for no entry,
\0TEXT for TEXT (\0 alone: an empty entry), \#TEXT for TEXT written bare
(e.g. a macro), \\TEXT for a TEXT that begins with "\". KEY is one of
FileVersion, FileDescription, LegalCopyright, Comments, CompanyName,
LegalTrademarks, OriginalFilename, ProductVersion, ProductName,
InternalName, PrivateBuild, SpecialBuild.)";

namespace {

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

/// Every command, in the order of the help.
const CommandEntry* const Commands[] = {
    &ShowEntry,   &WriteEntry, &NewEntry,  &SetEntry,     &CheckEntry, &ImportEntry,
    &VerifyEntry, &GetEntry,   &BumpEntry, &CompileEntry, &StampEntry,
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
    for (const CommandEntry* entry : Commands)
        declared.emplace_back(entry->Declare(app, args), entry);

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
