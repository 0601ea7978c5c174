//===- Stamp.cpp - quillmark-rc stamp: its options, help and run ----------===//

#include "cli/CliDefaults.h"
#include "cli/CommandLine.h"
#include "cli/CommandSupport.h"
#include "cli/GoVersionInfo.h"
#include "cli/InPlace.h"
#include "cli/ResourceCommands.h"
#include "versioninfo/binary/PeResources.h"
#include "versioninfo/binary/PeStamp.h"
#include "versioninfo/script/ScriptWriter.h"
#include "versioninfo/support/SafeSave.h"
#include "versioninfo/support/Unicode.h"

#include <algorithm>

namespace qm {

namespace {

/// The RT_VERSION data of a .res file: the copy of `language`, else the first.
Expected<std::pair<std::string, std::uint16_t>>
VersionOfRes(std::string_view res, std::optional<std::uint16_t> language) {
    Expected<std::vector<ResourceEntry>> entries = ParseResFile(res);
    if (!entries)
        return Status::Fail(entries.message());
    const ResourceEntry* chosen = nullptr;
    for (const ResourceEntry& entry : *entries) {
        if (!entry.Type.IsNumber || entry.Type.Number != VersionResourceType)
            continue;
        if (!chosen || (language && entry.Language == *language && chosen->Language != *language))
            chosen = &entry;
    }
    if (!chosen)
        return Status::Fail("it holds no version resource");
    return std::make_pair(std::string(chosen->Data), chosen->Language);
}

/// The version data of `bytes`, read from --from: a .res file's, or a
/// script's (or a versioninfo.json's) compiled.
Expected<std::pair<std::string, std::uint16_t>> VersionFrom(const StampArguments& args,
                                                            const std::string* bytes,
                                                            std::optional<std::uint16_t> language,
                                                            CliStreams& io) {
    if (LooksLikeResFile(*bytes))
        return VersionOfRes(*bytes, language);
    ResCompileOptions options;
    options.CodePage = CodePageNamed(args.CodePage).value_or(ScriptCodePage::AsciiOnly);
    options.Preprocess = PreprocessFor(args.Preprocessor, args.From);
    std::string script = *bytes;
    if (LooksLikeGoVersionInfo(*bytes)) {
        Expected<ImportedScript> go = ScriptOfGoVersionInfo(*bytes, &options.Language);
        if (!go)
            return Status::Fail(go.message());
        for (const std::string& note : go->Notes)
            io.Err << args.From << ": " << note << '\n';
        script = std::move(go->Text);
        options.CodePage = ScriptCodePage::Utf8;
    }
    Expected<std::string> res = CompileVersionResource(script, options);
    if (!res)
        return Status::Fail(res.message());
    return VersionOfRes(*res, language);
}

/// The script of the version resource the file has, or of a new document.
Expected<std::string> BaseScript(const Expected<std::vector<CompiledResource>>& copies,
                                 std::size_t chosen) {
    if (copies) {
        Expected<ImportedScript> script =
            ScriptOfCompiled((*copies)[chosen].Info, {"#include <winver.h>"});
        if (!script)
            return Status::Fail(script.message());
        return script->Text;
    }
    Expected<Lines> lines = FormScript(NewDocument(CliNewDocumentDefaults()));
    if (!lines)
        return Status::Fail(lines.message());
    std::string text;
    for (const std::string& line : *lines)
        text += line + "\n";
    return text;
}

/// The version data `script` compiles to, in `language`.
Expected<std::string> VersionDataOf(const std::string& script, std::uint16_t language) {
    ResCompileOptions options;
    options.CodePage =
        IsWellFormedUtf8(script) ? ScriptCodePage::Utf8 : ScriptCodePage::Windows1252;
    options.Language = language;
    Expected<std::string> res = CompileVersionResource(script, options);
    if (!res)
        return Status::Fail(res.message());
    Expected<std::pair<std::string, std::uint16_t>> version = VersionOfRes(*res, language);
    if (!version)
        return Status::Fail(version.message());
    return version->first;
}

/// The version data after `edits`, compiled in the language of the copy;
/// with `followed`, the version strings follow (and are named there).
Expected<std::string> EditedVersion(const std::string& script, const ScriptEdits& edits,
                                    std::uint16_t language, std::vector<std::string>* followed) {
    Expected<VersionScript> model = ParseVersionScript(script);
    if (!model)
        return Status::Fail(model.message());
    ScriptEdits asked = edits;
    if (followed)
        FollowVersionStrings(*model, asked, *followed);
    if (Status unicode = ValuesAsUnicode(asked); !unicode)
        return unicode;
    Expected<std::string> edited = EditScript(script, *model, asked);
    if (!edited)
        return Status::Fail(edited.message());
    return VersionDataOf(*edited, language);
}

/// The version data of the copy of `language` in `pe`.
std::string_view VersionDataIn(std::string_view pe, std::uint16_t language) {
    if (Expected<std::vector<ResourceEntry>> entries = ParsePeResources(pe))
        for (const ResourceEntry& entry : *entries)
            if (entry.Type.IsNumber && entry.Type.Number == VersionResourceType &&
                entry.Language == language)
                return entry.Data;
    return {};
}

/// The lines of `from`'s outline that `to`'s lacks, but the root's (the
/// fixed information is carried word by word).
std::vector<std::string> OutlineLoss(const std::vector<std::string>& from,
                                     const std::vector<std::string>& to) {
    std::vector<std::string> lost;
    std::set_difference(from.begin(), from.end(), to.begin(), to.end(), std::back_inserter(lost));
    lost.erase(std::remove_if(lost.begin(), lost.end(),
                              [](const std::string& line) { return line.find('/') == line.npos; }),
               lost.end());
    return lost;
}

/// The copy in `pe` with the change the script's edit made, everything
/// else in it kept as bytes; refused, naming the line, if a change would
/// not reach it or anything else would go.
Expected<std::string> CarriedVersion(std::string_view original, const std::string& script,
                                     const std::string& after, std::uint16_t language) {
    Expected<std::string> before = VersionDataOf(script, language);
    if (!before)
        return before;
    Expected<std::string> carried = CarryVersionEdit(original, *before, after);
    if (!carried)
        return carried;
    const auto outline = [](std::string_view data) {
        Expected<std::vector<std::string>> lines = VersionInfoOutline(data);
        return lines ? *lines : std::vector<std::string>();
    };
    const auto o = outline(original), b = outline(*before), a = outline(after),
               c = outline(*carried);
    for (const std::string& line : OutlineLoss(a, b))
        if (!std::binary_search(c.begin(), c.end(), line))
            return Status::Fail("the edit would not reach the resource (" + line + ")");
    const std::vector<std::string> asked = OutlineLoss(b, a);
    for (const std::string& line : OutlineLoss(o, c))
        if (!std::binary_search(asked.begin(), asked.end(), line))
            return Status::Fail("the edit would also change what it was not asked to (" + line +
                                ")");
    return carried;
}

/// The exit code of arguments stamp refuses before it opens anything, and
/// the language copy asked for.
std::optional<int> RefusedStampArguments(const StampArguments& args, const ScriptEdits& edits,
                                         std::optional<std::uint16_t>& language, CliStreams& io) {
    if (!args.From.empty() && !edits.Empty()) {
        io.Err << "--from gives the whole resource; give edits or --from, not both\n";
        return ExitUsage;
    }
    if (!CodePageNamed(args.CodePage)) {
        io.Err << "--codepage takes 0, 1252 or 65001, as llvm-rc does, not " << args.CodePage
               << '\n';
        return ExitUsage;
    }
    if (!args.Language.empty()) {
        language = LanguageNamed(args.Language);
        if (!language) {
            io.Err << "--resource-language takes a hexadecimal language ID, not " << args.Language
                   << '\n';
            return ExitUsage;
        }
    }
    return std::nullopt;
}

/// The copy a stamp replaces: the one asked for, else the one Windows
/// shows; with --from, a language the file lacks is a new copy.
struct StampTarget {
    std::size_t Chosen = 0;
    bool Existing = false; ///< Chosen is one of the file's copies
    std::uint16_t Language = 0x0409;
};

std::optional<StampTarget> ChooseCopy(const StampArguments& args,
                                      const Expected<std::vector<CompiledResource>>& copies,
                                      std::optional<std::uint16_t> language, CliStreams& io) {
    StampTarget target;
    target.Chosen = copies ? PreferredVersion(*copies) : 0;
    if (copies && language) {
        const auto asked = std::find_if(copies->begin(), copies->end(), [&](const auto& copy) {
            return copy.Language == *language;
        });
        if (asked == copies->end() && args.From.empty()) {
            io.Err << args.File << " has no version resource in language " << args.Language << '\n';
            return std::nullopt;
        }
        target.Chosen = static_cast<std::size_t>(asked - copies->begin()); // size(): a new copy
    }
    target.Existing = copies && target.Chosen < copies->size();
    target.Language = language          ? *language
                      : target.Existing ? (*copies)[target.Chosen].Language
                                        : std::uint16_t(0x0409);
    return target;
}

/// The version data --from gives; a new copy takes its language.
Expected<std::string> DataFromFile(const StampArguments& args,
                                   std::optional<std::uint16_t> language, StampTarget& target,
                                   CliStreams& io) {
    const std::optional<std::string> bytes = LoadScriptInput(args.From, io);
    if (!bytes)
        return Status::Io(""); // named by the load
    Expected<std::pair<std::string, std::uint16_t>> from = VersionFrom(args, &*bytes, language, io);
    if (!from) {
        io.Err << args.From << ": " << from.message() << "; nothing written\n";
        return from.status();
    }
    if (!target.Existing && !language)
        target.Language = from->second;
    return std::move(from->first);
}

/// The version data after the edits: the copy's own (or a new document's)
/// with the fields asked for changed, the rest of the copy kept as bytes.
Expected<std::string> DataFromEdits(const StampArguments& args, const ScriptEdits& edits,
                                    std::string_view pe,
                                    const Expected<std::vector<CompiledResource>>& copies,
                                    const StampTarget& target, CliStreams& io) {
    Expected<std::string> script =
        BaseScript(target.Existing ? copies : Status::Fail(""), target.Chosen);
    if (!script)
        return script;
    std::vector<std::string> followed;
    Expected<std::string> data = EditedVersion(*script, edits, target.Language,
                                               args.Preprocessor.NoStrings ? nullptr : &followed);
    // What no script carries (binary values, blocks of their own, the
    // file date) stays: the edit is made on the resource's own tree.
    if (data && target.Existing)
        data = CarriedVersion(VersionDataIn(pe, target.Language), *script, *data, target.Language);
    if (data)
        for (const std::string& note : followed)
            io.Err << args.File << ": " << note << '\n';
    return data;
}

/// `pe` with `data` as its copy in `language`, saved to the output.
int WriteStamped(const StampArguments& args, std::string_view pe, const std::string& data,
                 std::uint16_t language, CliStreams& io) {
    StampRequest request;
    request.Language = language;
    request.VersionData = data;
    request.Force = args.Force;
    Expected<std::string> stamped = StampVersionResource(pe, request);
    if (!stamped) {
        io.Err << args.File << ": " << stamped.message() << "; nothing written\n";
        return ExitFailure;
    }
    if (Status saved = SaveFileSafely(args.Output.empty() ? args.File : args.Output, *stamped);
        !saved) {
        io.Err << saved.message() << '\n';
        return ExitFailure;
    }
    return ExitSuccess;
}

} // namespace

int StampCommand(const StampArguments& args, const ScriptEdits& edits, CliStreams& io) {
    std::optional<std::uint16_t> language;
    if (std::optional<int> refused = RefusedStampArguments(args, edits, language, io))
        return *refused;
    const std::optional<platform::EditLock> lock =
        LockTarget(args.Output.empty() ? args.File : args.Output, io);
    if (!lock)
        return ExitFailure;
    const LoadedFile pe = LoadFile(args.File, FileSource::RegularFile, MaxExecutableBytes);
    if (!pe) {
        io.Err << pe.message() << '\n';
        return ExitUsage;
    }
    if (!LooksLikePeFile(*pe)) {
        io.Err << args.File << " is not an executable (.exe or .dll)\n";
        return ExitUsage;
    }
    const Expected<std::vector<CompiledResource>> copies = ReadCompiledVersions(*pe);
    std::optional<StampTarget> target = ChooseCopy(args, copies, language, io);
    if (!target)
        return ExitUsage;
    if (!args.From.empty()) {
        // DataFromFile names its own failures.
        Expected<std::string> data = DataFromFile(args, language, *target, io);
        if (!data)
            return ExitFailure;
        return WriteStamped(args, *pe, *data, target->Language, io);
    }
    Expected<std::string> data = DataFromEdits(args, edits, *pe, copies, *target, io);
    if (!data) {
        io.Err << args.File << ": " << data.message() << "; nothing written\n";
        return ExitFailure;
    }
    return WriteStamped(args, *pe, *data, target->Language, io);
}

namespace {

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

int RunStamp(const CLI::App& command, const Arguments& args, CliStreams& io) {
    std::optional<ScriptEdits> edits = EditsOf(command, io);
    if (!edits)
        return ExitUsage;
    edits->Block = args.Stamp.Block;
    edits->Force = args.Stamp.Force;
    edits->NoFollow = args.Preprocessor.NoFollow;
    return StampCommand(args.Stamp, *edits, io);
}

} // namespace

const CommandEntry StampEntry{DeclareStamp, RunStamp};

} // namespace qm
