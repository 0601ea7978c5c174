//===- Compile.cpp - quillmark-rc compile: its options, help and run ------===//

#include "cli/CommandLine.h"
#include "cli/ResourceCommands.h"

namespace qm {

namespace {

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

int RunCompile(const CLI::App&, const Arguments& args, CliStreams& io) {
    return CompileCommand(args.Compile, io);
}

} // namespace

const CommandEntry CompileEntry{DeclareCompile, RunCompile};

} // namespace qm
