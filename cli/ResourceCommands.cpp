//===- ResourceCommands.cpp - compile: a script to a .res file ------------===//

#include "ResourceCommands.h"

#include "CliDefaults.h"
#include "CommandSupport.h"
#include "GoVersionInfo.h"
#include "InPlace.h"
#include "platform/Files.h"
#include "versioninfo/binary/CoffObject.h"
#include "versioninfo/binary/CompiledVersion.h"
#include "versioninfo/binary/ImportScript.h"
#include "versioninfo/binary/PeResources.h"
#include "versioninfo/binary/PeStamp.h"
#include "versioninfo/binary/ResCompiler.h"
#include "versioninfo/script/ScriptEdit.h"
#include "versioninfo/script/ScriptWriter.h"
#include "versioninfo/support/Numbers.h"
#include "versioninfo/support/SafeSave.h"
#include "versioninfo/support/Unicode.h"

#include <algorithm>
#include <cstdlib>

namespace qm {

namespace {

/// The output name that means standard output, for pipes.
const std::string StandardOutputName = "-";

bool EndsWithIgnoringCase(const std::string& text, const std::string& suffix) {
    if (text.size() < suffix.size())
        return false;
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        char c = text[text.size() - suffix.size() + i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i])
            return false;
    }
    return true;
}

/// The script's path with its extension replaced, as llvm-rc names its
/// output when none is given.
std::string BesideScript(const std::string& script, const char* extension) {
    const std::size_t slash = script.find_last_of("/\\");
    const std::size_t dot = script.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? script.substr(0, dot) : script) + extension;
}

std::optional<ScriptCodePage> CodePageNamed(const std::string& text) {
    if (text.empty() || text == "0")
        return ScriptCodePage::AsciiOnly;
    if (text == "1252")
        return ScriptCodePage::Windows1252;
    if (text == "65001")
        return ScriptCodePage::Utf8;
    return std::nullopt;
}

std::optional<std::uint16_t> LanguageNamed(const std::string& text) {
    if (text.empty())
        return 0x0409;
    const std::optional<std::uint64_t> value =
        ParseNumber(text, NumberBase::HexadecimalPrefix, 0xFFFF);
    if (!value)
        return std::nullopt;
    return static_cast<std::uint16_t>(*value);
}

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

} // namespace

namespace {

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

int CompileCommand(const CompileArguments& args, CliStreams& io) {
    ResCompileOptions options;
    const std::optional<ScriptCodePage> codePage = CodePageNamed(args.CodePage);
    if (!codePage) {
        io.Err << "--codepage takes 0, 1252 or 65001, as llvm-rc does, not " << args.CodePage
               << '\n';
        return ExitUsage;
    }
    const std::optional<std::uint16_t> language = LanguageNamed(args.Language);
    if (!language) {
        io.Err << "--language takes a hexadecimal language ID such as 409, not " << args.Language
               << '\n';
        return ExitUsage;
    }
    const std::optional<CoffMachine> machine =
        CoffMachineNamed(args.Machine.empty() ? "x64" : args.Machine);
    if (!machine) {
        io.Err << "--machine takes x64, x86 or arm64, not " << args.Machine << '\n';
        return ExitUsage;
    }
    options.CodePage = *codePage;
    options.Language = *language;
    options.Preprocess = PreprocessFor(args.Preprocessor, args.Script);
    const std::optional<CommandInput> input = LoadCommandInput(args.Script, true, io);
    if (!input)
        return ExitUsage;
    if (input->Compiled()) {
        io.Err << args.Script << " is a compiled file; compile takes a script\n";
        return ExitUsage;
    }
    const bool coff = args.Coff || EndsWithIgnoringCase(args.Output, ".o") ||
                      EndsWithIgnoringCase(args.Output, ".obj");
    const std::string out =
        !args.Output.empty() ? args.Output : BesideScript(args.Script, coff ? ".o" : ".res");
    // Whatever the spelling (./a.rc, a link to it), the script is never
    // replaced by what it compiles to.
    if (out != StandardOutputName && platform::SameFile(out, args.Script)) {
        io.Err << out << " is the script itself; compile never writes over its input (name "
               << "another file with -o)\n";
        return ExitUsage;
    }
    Expected<std::string> res = CompileVersionResource(input->Bytes, options);
    if (!res) {
        io.Err << args.Script << ": " << res.message() << "; nothing written\n";
        return ExitFailure;
    }
    if (coff)
        res = CoffObjectOfRes(*res, *machine);
    if (out == StandardOutputName) {
        io.Out.write(res->data(), static_cast<std::streamsize>(res->size()));
        return ExitSuccess; // a failed write to the stream is reported for every command
    }
    if (Status saved = SaveFileSafely(out, *res); !saved) {
        io.Err << saved.message() << '\n';
        return ExitFailure;
    }
    return ExitSuccess;
}

} // namespace qm
