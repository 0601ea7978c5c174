//===- Write.cpp - quillmark-rc write: its options, help and run ----------===//

#include "cli/CliDefaults.h"
#include "cli/CommandLine.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/GoVersionInfo.h"
#include "cli/RecordJson.h"
#include "versioninfo/support/SafeSave.h"

#include <istream>

namespace qm {

namespace {

/// Standard input whole, up to the cap on a script's size.
std::optional<std::string> ReadCapped(std::istream& in) {
    std::string text;
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        if (text.size() + static_cast<std::uint64_t>(in.gcount()) > MaxScriptBytes)
            return std::nullopt;
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    return text;
}

/// goversioninfo's versioninfo.json, written as the script it stands for.
int WriteGoVersionInfo(std::string_view json, const std::string& outPath, CliStreams& io) {
    Expected<ImportedScript> script = ScriptOfGoVersionInfo(json);
    if (!script) {
        io.Err << script.message() << '\n';
        return ExitUsage;
    }
    for (const std::string& note : script->Notes)
        io.Err << outPath << ": " << note << '\n';
    if (Status saved = SaveFileSafely(outPath, script->Text); !saved) {
        io.Err << saved.message() << '\n';
        return ExitFailure;
    }
    return ExitSuccess;
}

} // namespace

int WriteCommand(const std::string& outPath, const std::string& jsonPath, CliStreams& io) {
    std::string json;
    if (jsonPath == "-") {
        std::optional<std::string> text = ReadCapped(io.In);
        if (!text) {
            io.Err << "Can't read standard input: it holds more than " << (MaxScriptBytes >> 20)
                   << " MB, too large for a document\n";
            return ExitUsage;
        }
        json = std::move(*text);
    } else {
        std::optional<std::string> bytes = LoadInput(jsonPath, io);
        if (!bytes)
            return ExitUsage;
        json = std::move(*bytes);
    }
    if (LooksLikeGoVersionInfo(json))
        return WriteGoVersionInfo(json, outPath, io);
    Expected<VersionRecord> record = RecordFromJson(json, CliNewDocumentDefaults());
    if (!record) {
        io.Err << record.message() << '\n';
        return ExitUsage;
    }
    Expected<std::vector<StringEdit>> others = OtherStringsFromJson(json);
    if (!others) {
        io.Err << others.message() << '\n';
        return ExitUsage;
    }
    return WriteDocument(*record, outPath, io, *others);
}

namespace {

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

int RunWrite(const CLI::App&, const Arguments& args, CliStreams& io) {
    return WriteCommand(args.File, args.From, io);
}

} // namespace

const CommandEntry WriteEntry{DeclareWrite, RunWrite};

} // namespace qm
