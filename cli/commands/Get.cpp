//===- Get.cpp - quillmark-rc get: its options, help and run --------------===//

#include "cli/CommandLine.h"
#include "cli/Commands.h"

namespace qm {

namespace {

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

int RunGet(const CLI::App&, const Arguments& args, CliStreams& io) {
    return GetCommand(args.File, args.Second, args.Parts, args.Preprocessor, io);
}

} // namespace

const CommandEntry GetEntry{DeclareGet, RunGet};

} // namespace qm
