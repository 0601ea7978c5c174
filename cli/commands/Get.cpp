//===- Get.cpp - quillmark-rc get: its options, help and run --------------===//
//
// `get FILE FIELD` prints one value and nothing else, so that a build
// script can write VERSION=$(quillmark-rc get app.exe FileVersion). A field
// the resource lacks is exit 1 with the reason on stderr, never an empty
// line that looks like a value.
//
//===----------------------------------------------------------------------===//
#include "cli/CommandLine.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"

#include "versioninfo/binary/CompiledVersion.h"
#include "versioninfo/script/ScriptModel.h"
#include "versioninfo/support/Unicode.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <ostream>

namespace qm {

namespace {

/// What the file compiles to, and the fields a script leaves open.
struct GotResource {
    CompiledVersionInfo Info;
    std::vector<std::pair<std::string, std::string>> Undetermined;
};

std::optional<GotResource> ResourceOf(const std::string& path, const CommandInput& input,
                                      const ScriptOptions& options, CliStreams& io) {
    if (input.Compiled()) {
        Expected<CompiledResource> compiled = PreferredVersionOf(input.Versions());
        if (!compiled) {
            io.Err << path << ": " << compiled.message() << '\n';
            return std::nullopt;
        }
        return GotResource{std::move(compiled->Info), {}};
    }
    const std::optional<std::string> utf8 = Utf8OfUtf16Script(input.Bytes);
    Expected<VersionScript> model =
        ParseCopyWindowsShows(utf8 ? *utf8 : input.Bytes, PreprocessFor(options, path));
    if (!model) {
        io.Err << path << ": " << model.message() << '\n';
        return std::nullopt;
    }
    ScriptCompiled compiled = CompileScriptModel(*model);
    return GotResource{std::move(compiled.Info), std::move(compiled.Undetermined)};
}

std::string VersionText(std::uint32_t ms, std::uint32_t ls, bool parts) {
    const std::uint32_t numbers[] = {ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF};
    std::string out;
    for (std::uint32_t number : numbers)
        out += (out.empty() ? "" : parts ? " " : ", ") + std::to_string(number);
    return out;
}

/// The fixed fields, by show's member name or the script's keyword.
std::optional<std::string> FixedField(const CompiledVersionInfo& info, std::string_view field,
                                      bool parts, std::string& keyword) {
    const FixedFileInfo& fixed = info.Fixed;
    const struct {
        const char* Member;
        const char* Keyword;
        std::uint32_t Value;
    } numbers[] = {{"fileFlagsMask", "FILEFLAGSMASK", fixed.FileFlagsMask},
                   {"fileFlags", "FILEFLAGS", fixed.FileFlags},
                   {"fileOS", "FILEOS", fixed.FileOS},
                   {"fileType", "FILETYPE", fixed.FileType},
                   {"fileSubType", "FILESUBTYPE", fixed.FileSubtype}};
    if (field == "fileVersion" || field == "FILEVERSION") {
        keyword = "FILEVERSION";
        return VersionText(fixed.FileVersionMS, fixed.FileVersionLS, parts);
    }
    if (field == "productVersion" || field == "PRODUCTVERSION") {
        keyword = "PRODUCTVERSION";
        return VersionText(fixed.ProductVersionMS, fixed.ProductVersionLS, parts);
    }
    for (const auto& number : numbers)
        if (field == number.Member || field == number.Keyword) {
            keyword = number.Keyword;
            char hex[11];
            std::snprintf(hex, sizeof hex, "0x%08X", number.Value);
            return std::string(hex);
        }
    return std::nullopt;
}

} // namespace

int GetCommand(const std::string& path, const std::string& field, bool parts,
               const ScriptOptions& options, CliStreams& io) {
    const std::optional<CommandInput> input = LoadCommandInput(path, true, io);
    if (!input)
        return ExitUsage;
    const std::optional<GotResource> resource = ResourceOf(path, *input, options, io);
    if (!resource)
        return ExitFailure;
    std::string keyword = field;
    std::optional<std::string> value = FixedField(resource->Info, field, parts, keyword);
    if (parts && keyword != "FILEVERSION" && keyword != "PRODUCTVERSION") {
        io.Err << "--parts is for fileVersion and productVersion\n";
        return ExitUsage;
    }
    // Otherwise a string of the first table, which is what Windows shows.
    if (!value && !resource->Info.Tables.empty())
        for (const CompiledString& string : resource->Info.Tables.front().Strings)
            if (string.Key == field && string.IsText) {
                keyword = StringFieldName(resource->Info.Tables.front().Name, string.Key);
                value = string.Value;
            }
    const auto open = std::find_if(resource->Undetermined.begin(), resource->Undetermined.end(),
                                   [&](const auto& entry) { return entry.first == keyword; });
    if (open != resource->Undetermined.end()) {
        io.Err << path << ": " << field << " " << open->second << '\n';
        return ExitFailure;
    }
    if (!value) {
        io.Err << path << ": the version resource has no " << field << '\n';
        return ExitFailure;
    }
    io.Out << *value << '\n';
    return ExitSuccess;
}

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
