//===- QuillmarkRc.cpp - Command-line entry of quillmark-rc ---------------===//

#include "QuillmarkRc.h"

#include "ByteText.h"
#include "DocumentFields.h"
#include "VersionCommands.h"

#include <QCommandLineParser>
#include <QStringList>

#include <iostream>

#ifndef QM_VERSION
#error "QM_VERSION must give the program version"
#endif

namespace qm {

namespace {

const char* const ProgramName = "quillmark-rc";

struct CommandShape {
    const char* Name;
    bool TakesEdits;
    bool TakesFrom;
    bool TakesOutput;
    int Files = 1;
    bool NeedsOutput = false;
    bool TakesPart = false;
};

const CommandShape Commands[] = {
    {"show", false, false, false},      {"write", false, true, false},
    {"new", true, false, false},        {"set", true, false, true},
    {"check", false, false, false},     {"import", false, false, true, 1, true},
    {"verify", false, false, false, 2}, {"bump", false, false, true, 1, false, true},
};

int UsageError(const std::string& message, CliStreams& io) {
    io.Err << ProgramName << ": " << message << '\n' << "Try '" << ProgramName << " --help'.\n";
    return ExitUsage;
}

/// Arguments arrive as bytes; the parser wants QStrings. The byte rule makes
/// the trip lossless, so paths and values reach the files unchanged.
QStringList ArgumentTexts(const std::vector<std::string>& args) {
    QStringList texts{QString::fromLatin1(ProgramName)};
    for (const std::string& arg : args)
        texts << BytesToText(arg);
    return texts;
}

std::string ArgumentBytes(const QString& text) {
    Expected<std::string> bytes = TextToBytes(text);
    return bytes ? *bytes : text.toStdString(); // cannot fail: the text came from bytes
}

Status CheckShape(const CommandShape& shape, const QCommandLineParser& parser) {
    const std::string command = shape.Name;
    const QStringList positional = parser.positionalArguments();
    const int files = shape.Files;
    if (positional.size() < 1 + files)
        return Status::Fail(command +
                            (files == 1 ? " needs a file name" : " needs two file names"));
    if (positional.size() > 1 + files)
        return Status::Fail(command +
                            (files == 1 ? " takes one file name" : " takes two file names") +
                            "; unexpected " + Quoted(ArgumentBytes(positional.at(1 + files))));
    const std::string edit = FirstEditGiven(parser);
    if (!shape.TakesEdits && !edit.empty())
        return Status::Fail(edit + " is not an option of " + command);
    if (!shape.TakesFrom && parser.isSet("from"))
        return Status::Fail("--from is not an option of " + command);
    if (shape.TakesFrom && !parser.isSet("from"))
        return Status::Fail(command + " needs --from JSON");
    if (!shape.TakesOutput && parser.isSet("output"))
        return Status::Fail("-o is not an option of " + command);
    if (shape.NeedsOutput && !parser.isSet("output"))
        return Status::Fail(command + " needs -o OUT");
    if (!shape.TakesPart && parser.isSet("part"))
        return Status::Fail("--part is not an option of " + command);
    if (command != "check" && parser.isSet("strict"))
        return Status::Fail("--strict is not an option of " + command);
    if (command != "show" && parser.isSet("resource-language"))
        return Status::Fail("--resource-language is not an option of " + command);
    if (command != "set" && parser.isSet("block"))
        return Status::Fail("--block is not an option of " + command);
    if (command != "set" && command != "bump" && parser.isSet("force"))
        return Status::Fail("--force is not an option of " + command);
    return Status::Ok();
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

int RunCommand(const CommandShape& shape, const QCommandLineParser& parser, CliStreams& io) {
    if (Status fits = CheckShape(shape, parser); !fits)
        return UsageError(fits.message(), io);
    const std::string command = shape.Name;
    const std::string path = ArgumentBytes(parser.positionalArguments().at(1));
    if (command == "show")
        return ShowCommand(path, ArgumentBytes(parser.value("resource-language")), io);
    if (command == "write")
        return WriteCommand(path, ArgumentBytes(parser.value("from")), io);
    if (command == "check")
        return CheckCommand(path, parser.isSet("strict"), io);
    if (command == "import")
        return ImportCommand(path, ArgumentBytes(parser.value("output")), io);
    if (command == "verify")
        return VerifyCommand(path, ArgumentBytes(parser.positionalArguments().at(2)), io);
    if (command == "bump")
        return BumpCommand(path, ArgumentBytes(parser.value("part")),
                           ArgumentBytes(parser.value("output")), parser.isSet("force"), io);
    Expected<Edits> edits = ParseEdits(parser);
    if (!edits) {
        io.Err << edits.message() << '\n';
        return ExitUsage;
    }
    if (command == "new")
        return NewCommand(path, *edits, io);
    return SetCommand(path, *edits, ArgumentBytes(parser.value("block")),
                      ArgumentBytes(parser.value("output")), parser.isSet("force"), io);
}

} // namespace

std::string QuillmarkRcHelp() {
    return R"(Usage: quillmark-rc COMMAND FILE [OPTIONS]

Reads and writes VERSIONINFO resource scripts (.rc) in Quillmark's layout,
so build scripts can stamp versions without opening the window, and reads
the version back from compiled .res files and executables (.exe, .dll).

Commands:
  show FILE [--resource-language HEX]
                               Print FILE's document as one JSON object.
                               The member "compiled" adds what a compiler
                               makes of a script (and which fields it
                               leaves to the preprocessor or a header), or
                               the raw resource of a .res file or an
                               executable: every string table and the
                               Translation pairs. Of several language
                               copies it shows the one Windows would
                               (neutral, else 409, else the first), or
                               HEX, and lists the others.
  write OUT --from JSON        Write the JSON document (- for standard input)
                               to OUT as a script.
  new OUT [EDITS]              Write a new document, after the edits, to OUT.
                               Its comment and include lines are those of
                               the template Initial.rc (see the README).
  set FILE [EDITS] [--block NAME] [-o OUT] [--force]
                               Change the fields asked for where they stand
                               in the script FILE and write it back (or to
                               OUT); every other byte is kept. A missing
                               string VALUE is added to its table. String
                               edits go to the first table (FileVersion and
                               ProductVersion: every table that agreed with
                               the old version), or to table NAME. Refuses,
                               naming line and field, a field written as a
                               macro, an expression or under #if/#else
                               (--force replaces just that field), and any
                               edit after which a compiler would read
                               another field differently. A file with no
                               VERSIONINFO is refused; --force writes a new
                               document.
  check FILE [--strict]        Print what a compiler would refuse or wrap:
                               fixed versions that are not four numbers of
                               0 to 65535 (a dotted 1.2.3 is shown in its
                               comma form), FileVersion/ProductVersion
                               strings that disagree with them, a code page
                               that cannot hold the strings. A string that
                               shows only the leading parts ("4.0" for
                               4, 0, 1381, 318) is a note, which fails the
                               check only with --strict. FILE is a script,
                               a .res file or an executable.
  import FILE -o OUT           Write the version resource of a .res file or
                               an executable to OUT as a script, every
                               string table and Translation pair included.
                               OUT may not be a .res file or an executable.
  verify SCRIPT COMPILED       Compare what a script compiles to with its
                               .res file (or an executable) and print every
                               difference. Fields the script leaves to the
                               preprocessor or a header's macros are named
                               on stderr and not compared.
  bump FILE [--part P] [-o OUT] [--force]
                               Add one to part P (major, minor, patch or
                               build; default build) of FILEVERSION and
                               PRODUCTVERSION; the parts after it restart
                               at 0. FileVersion and ProductVersion strings
                               that agreed with the old version get the new
                               one; the rest stays. Prints the new versions.
                               Edits in place and refuses as set does.

Edits:
  --file-version T             FILEVERSION text, written as given; a dotted
                               version (1.2.3, 1.2.3-beta) is written in its
                               comma form, 1, 2, 3, 0.
  --product-version T          PRODUCTVERSION text, the same way.
  --debug on|off               The VS_FF_DEBUG flag.
  --prerelease on|off          The VS_FF_PRERELEASE flag.
  --patched on|off             The VS_FF_PATCHED flag.
  --file-os NAME               FILEOS name, e.g. VOS__WINDOWS32.
  --file-type NAME             FILETYPE name; resets the subtype list, whose
                               first row, VFT2_UNKNOWN, is then selected.
  --file-subtype NAME          A FILESUBTYPE of the file type's list (any
                               text for VFT_VXD).
  --language HEX               Language ID, e.g. 409 or 0x409: the first row
                               of the language list that holds it.
  --code-page DEC              Code page, e.g. 1252: the first row of the
                               code page list that holds it.
  --string KEY=VALUE           A string value (repeatable). KEY is one of
                               FileVersion, FileDescription, LegalCopyright,
                               Comments, CompanyName, LegalTrademarks,
                               OriginalFilename, ProductVersion, ProductName,
                               InternalName, PrivateBuild, SpecialBuild.
                               VALUE in marker form: empty for no entry,
                               \0TEXT for TEXT (\0 alone: an empty entry),
                               \#TEXT for TEXT written bare (e.g. a macro),
                               \\TEXT for a TEXT that begins with "\".
  --com-inc-line TEXT          A comment or include line (repeatable); the
                               lines given replace all of them.

Other options:
  -o, --output OUT             set, bump: write to OUT instead of FILE;
                               import: the script to write.
  --part P                     bump: major, minor, patch or build.
  --force                      set, bump: replace a field written as a macro,
                               an expression or under #if/#else; set: write
                               a new document over a file with no
                               VERSIONINFO.
  --block NAME                 set: the string table to edit.
  --strict                     check: a note fails the check too.
  --resource-language HEX      show: the language copy of a compiled file.
  --from JSON                  write: the JSON document's file, or -.
  -h, --help                   Show this help.
  -v, --version                Show the program version.

The JSON document (show prints it, write reads it):
  comIncLines                  array of strings
  fileVersion, productVersion  strings
  debug, preRelease, patched   booleans
  fileOS, fileType, fileSubType  strings, "" when there is no row
  language, codePage           the row's text, e.g. " 409  U.S. English", or
                               null
  strings                      the twelve keys above, values in marker form
  reports                      the reader's "Parsing" reports (show only)
  error                        the conversion error, or null (show only)
write takes the new-document value for every member left out.

Bytes: scripts are bytes, JSON is UTF-8. Bytes that form valid UTF-8 stand
for those characters; every other byte 0xXX is written as the escape \udcXX
(a lone surrogate, U+DC80 to U+DCFF), and write turns each such escape back
into its byte. So show followed by write gives back every value byte for
byte, whatever the script's code page. Arguments are taken as the bytes given.

Exit codes:
  0  done; show: the read ran to its end, with or without reports
  1  a conversion error in the block name stopped the read (show still
     prints the JSON; set writes nothing), set refused to lose part of FILE,
     show could not write its output, or the script could not be written
     (no language or code page row, or a file error); the target is untouched
     check: there are findings; verify: there are differences, or the
     compiled file can't be read; import: the compiled file can't be read;
     bump: a fixed version is not four numbers or the part is at 65535
  2  wrong arguments, an unknown name or key, or an input that can't be opened
)";
}

int RunQuillmarkRc(const std::vector<std::string>& args, CliStreams& io) {
    QCommandLineParser parser;
    parser.addOption(QCommandLineOption({"h", "help"}, "Show this help."));
    parser.addOption(QCommandLineOption({"v", "version"}, "Show the program version."));
    parser.addOption(QCommandLineOption({"o", "output"}, "set: write to OUT.", "OUT"));
    parser.addOption(QCommandLineOption("from", "write: the JSON document.", "JSON"));
    parser.addOption(QCommandLineOption("part", "bump: the part to increment.", "PART"));
    parser.addOption(QCommandLineOption("force", "set, bump: write even what loses part of FILE."));
    parser.addOption(QCommandLineOption("block", "set: the string table to edit.", "NAME"));
    parser.addOption(QCommandLineOption("strict", "check: notes fail too."));
    parser.addOption(QCommandLineOption("resource-language",
                                        "show: the language copy of a compiled file.", "HEX"));
    AddEditOptions(parser);

    if (!parser.parse(ArgumentTexts(args)))
        return UsageError(ArgumentBytes(parser.errorText()), io);
    if (parser.isSet("help")) {
        io.Out << QuillmarkRcHelp();
        return ExitSuccess;
    }
    if (parser.isSet("version")) {
        io.Out << ProgramName << ' ' << QM_VERSION << '\n';
        return ExitSuccess;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return UsageError("missing command (show, write, new, set, check, import, verify or bump)",
                          io);
    for (const CommandShape& shape : Commands) {
        if (positional.front() == QLatin1String(shape.Name))
            return WithOutputChecked(RunCommand(shape, parser, io), io);
    }
    return UsageError("unknown command " + Quoted(ArgumentBytes(positional.front())), io);
}

} // namespace qm
