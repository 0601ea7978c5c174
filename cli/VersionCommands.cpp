//===- VersionCommands.cpp - check, import, verify, bump and show of compiled files -===//

#include "VersionCommands.h"

#include "ByteText.h"
#include "CliDefaults.h"
#include "CommandSupport.h"
#include "InPlace.h"
#include "RecordJson.h"
#include "versioninfo/binary/CompareCompiled.h"
#include "versioninfo/binary/CompiledRecord.h"
#include "versioninfo/binary/CompiledVersion.h"
#include "versioninfo/binary/ImportScript.h"
#include "versioninfo/script/ScriptReader.h"
#include "versioninfo/script/ScriptWriter.h"
#include "versioninfo/script/VersionBump.h"
#include "versioninfo/support/Numbers.h"
#include "versioninfo/support/SafeSave.h"
#include "versioninfo/support/Unicode.h"

#include <memory>

#include <iostream>

namespace qm {

namespace {

/// The document a file holds: read as a script, or from its compiled
/// version resource. Reports and notes go to standard error.
std::optional<VersionRecord> DocumentOf(const std::string& path, const CommandInput& input,
                                        const ScriptOptions& options, CliStreams& io,
                                        std::optional<std::string>* refusal = nullptr) {
    const std::string& bytes = input.Bytes;
    if (input.Compiled()) {
        Expected<CompiledResource> compiled = PreferredVersionOf(input.Versions());
        if (!compiled) {
            io.Err << path << ": " << compiled.message() << '\n';
            return std::nullopt;
        }
        return RecordFromCompiled(compiled->Info, CliNewDocumentDefaults()).Record;
    }
    ReadResult read = ReadScriptText(bytes, CliNewDocumentDefaults(), false,
                                     PreprocessFor(options, path), ScriptCopy::WindowsShows);
    if (read.ConversionError) {
        io.Err << path << ": " << *read.ConversionError << '\n';
        return std::nullopt;
    }
    for (const std::string& report : read.Reports)
        io.Err << path << ": " << report << '\n';
    if (refusal)
        *refusal = read.CompilerRefusal;
    return std::move(read.Record);
}

void PrintFindings(const Findings& findings, CliStreams& io) {
    for (const Finding& finding : findings)
        io.Out << finding.Field << ": " << finding.Message << '\n';
}

std::string LanguageList(const std::vector<std::uint16_t>& languages) {
    std::string out = "[";
    for (std::size_t i = 0; i < languages.size(); ++i)
        out += (i ? ", " : "") + std::to_string(languages[i]);
    return out + "]";
}

// The raw resource: the numbers, every string table and the Translation
// pairs. `head` holds the members that say where it came from.
std::string CompiledMember(const std::string& head, const CompiledVersionInfo& info,
                           const std::string& tail) {
    std::string out = "{\n    " + head;
    out += ",\n    \"fileFlagsMask\": " + std::to_string(info.Fixed.FileFlagsMask);
    out += ",\n    \"fileFlags\": " + std::to_string(info.Fixed.FileFlags);
    out += ",\n    \"fileOS\": " + std::to_string(info.Fixed.FileOS);
    out += ",\n    \"fileType\": " + std::to_string(info.Fixed.FileType);
    out += ",\n    \"fileSubType\": " + std::to_string(info.Fixed.FileSubtype);
    out += ",\n    \"stringTables\": [";
    for (std::size_t t = 0; t < info.Tables.size(); ++t) {
        const CompiledStringTable& table = info.Tables[t];
        out += t ? ",\n      {" : "\n      {";
        out += "\n        \"name\": " + JsonStringLiteral(table.Name) + ",";
        out += "\n        \"strings\": {";
        for (std::size_t s = 0; s < table.Strings.size(); ++s) {
            const CompiledString& string = table.Strings[s];
            out += s ? ",\n          " : "\n          ";
            out += JsonStringLiteral(string.Key) + ": " +
                   (string.IsText ? JsonStringLiteral(string.Value) : std::string("null"));
        }
        out += table.Strings.empty() ? "}" : "\n        }";
        out += "\n      }";
    }
    out += info.Tables.empty() ? "]" : "\n    ]";
    out += ",\n    \"translations\": [";
    for (std::size_t i = 0; i < info.Translations.size(); ++i)
        out += (i ? ", [" : "[") + std::to_string(info.Translations[i].first) + ", " +
               std::to_string(info.Translations[i].second) + "]";
    out += "]" + tail + "\n  }";
    return out;
}

// Which language copy of a compiled file's version resource to show.
std::optional<std::size_t> ChosenCopy(const std::vector<CompiledResource>& copies,
                                      const std::string& language, CliStreams& io) {
    if (language.empty())
        return PreferredVersion(copies);
    const std::optional<std::uint64_t> wanted =
        ParseNumber(language, NumberBase::HexadecimalPrefix, 0xFFFF);
    if (!wanted) {
        io.Err << "--resource-language takes a hexadecimal language ID, not \"" << language
               << "\"\n";
        return std::nullopt;
    }
    for (std::size_t i = 0; i < copies.size(); ++i)
        if (copies[i].Language == *wanted)
            return i;
    io.Err << "The file holds no version resource in language " << language << '\n';
    return std::nullopt;
}

} // namespace

std::string ScriptCompiledMember(const ScriptCompiled& compiled) {
    std::string undetermined = ",\n    \"undetermined\": {";
    for (std::size_t i = 0; i < compiled.Undetermined.size(); ++i)
        undetermined += std::string(i ? "," : "") + "\n      " +
                        JsonStringLiteral(compiled.Undetermined[i].first) + ": " +
                        JsonStringLiteral(compiled.Undetermined[i].second);
    undetermined += compiled.Undetermined.empty() ? "}" : "\n    }";
    return CompiledMember("\"format\": \"rc\"", compiled.Info, undetermined);
}

int CheckCommand(const std::string& path, bool strict, const ScriptOptions& options,
                 CliStreams& io) {
    const std::optional<CommandInput> input = LoadCommandInput(path, true, io);
    if (!input)
        return ExitUsage;
    std::optional<std::string> refusal;
    const std::optional<VersionRecord> record = DocumentOf(path, *input, options, io, &refusal);
    if (!record)
        return ExitFailure;
    bool failed = false;
    const Findings findings = CheckDocument(*record);
    // What a compiler refuses outright, unless the findings name it already.
    if (refusal && std::all_of(findings.begin(), findings.end(),
                               [](const Finding& finding) { return finding.Note; })) {
        io.Out << "script: a resource compiler would refuse it: " << *refusal << '\n';
        failed = true;
    }
    for (const Finding& finding : findings) {
        io.Out << finding.Field << ": " << (finding.Note ? "note: " : "") << finding.Message
               << '\n';
        failed = failed || strict || !finding.Note;
    }
    return failed ? ExitFailure : ExitSuccess;
}

int ShowCompiledCommand(const Expected<std::vector<CompiledResource>>& copies,
                        const std::string& language, CliStreams& io) {
    if (!copies) {
        io.Err << copies.message() << '\n';
        return ExitFailure;
    }
    const std::optional<std::size_t> chosen = ChosenCopy(*copies, language, io);
    if (!chosen)
        return ExitUsage;
    const CompiledResource* compiled = &(*copies)[*chosen];
    std::vector<std::uint16_t> others;
    for (const CompiledResource& copy : *copies)
        if (&copy != compiled)
            others.push_back(copy.Language);
    ImportedRecord imported = RecordFromCompiled(compiled->Info, CliNewDocumentDefaults());
    ReadResult result;
    result.Record = std::move(imported.Record);
    result.Reports = std::move(imported.Notes);
    // The script's document, then one member more before the closing brace.
    std::string json =
        ShowJson(result, &compiled->Info.Fixed,
                 compiled->Info.Tables.empty() ? nullptr : &compiled->Info.Tables.front());
    const std::string end = "\n}\n";
    if (json.size() >= end.size() && json.compare(json.size() - end.size(), end.size(), end) == 0)
        json.resize(json.size() - end.size());
    const std::string head = std::string("\"format\": ") +
                             (compiled->Format == CompiledFormat::Pe ? "\"pe\"" : "\"res\"") +
                             ",\n    \"resourceLanguage\": " + std::to_string(compiled->Language) +
                             ",\n    \"otherLanguages\": " + LanguageList(others);
    json += ",\n  \"compiled\": " + CompiledMember(head, compiled->Info, "") + end;
    io.Out << json;
    io.Out.flush();
    return ExitSuccess;
}

namespace {

bool NamedLikeCompiled(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return false;
    std::string extension = path.substr(dot + 1);
    for (char& c : extension)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    for (const char* compiled : {"res", "exe", "dll", "sys", "ocx", "cpl", "scr", "o", "obj"})
        if (extension == compiled)
            return true;
    return false;
}

// The script text of `bytes` (UTF-16 as UTF-8) and its model; both live
// together because the model points into the text.
struct ParsedScript {
    std::string Text;
    std::unique_ptr<VersionScript> Model;
};

std::optional<ParsedScript> ParseScriptFile(const std::string& path, const std::string& bytes,
                                            const ScriptOptions& options, CliStreams& io) {
    ParsedScript parsed;
    std::optional<std::string> utf8 = Utf8OfUtf16Script(bytes);
    parsed.Text = utf8 ? std::move(*utf8) : bytes;
    Expected<VersionScript> model = ParseVersionScript(parsed.Text, PreprocessFor(options, path));
    if (!model) {
        io.Err << path << ": " << model.message() << '\n';
        return std::nullopt;
    }
    parsed.Model = std::make_unique<VersionScript>(std::move(*model));
    return parsed;
}

// One VERSIONINFO of the script against a compiled copy; `label` names
// the language when the script holds several.
Findings CompareCopy(const VersionScript& model, const CompiledVersionInfo& compiled,
                     const std::string& label, const std::string& scriptPath, CliStreams& io) {
    const ScriptCompiled expected = CompileScriptModel(model);
    for (const auto& [field, reason] : expected.Undetermined)
        io.Err << scriptPath << ": " << label << field << " is not compared: it " << reason << '\n';
    Findings differences = CompareScriptWithCompiled(expected, compiled);
    for (Finding& finding : differences)
        finding.Field = label + finding.Field;
    return differences;
}

// Each VERSIONINFO of the script against the compiled copy in its language
// (U.S. English without a LANGUAGE statement, as the compilers default),
// and a compiled copy in a language the script lacks.
Expected<Findings> CompareEveryCopy(const std::string& text, const PreprocessOptions& preprocess,
                                    const std::vector<CompiledResource>& copies,
                                    const std::string& scriptPath, CliStreams& io) {
    Findings all;
    std::vector<bool> matched(copies.size(), false);
    for (std::size_t index = 0;; ++index) {
        Expected<VersionScript> model = ParseVersionScript(text, preprocess, index);
        if (!model)
            return Status::Fail(model.message());
        const std::uint16_t language = model->Language.value_or(0x409);
        const std::string label = "language " + Hex4(language) + ": ";
        const auto found =
            std::find_if(copies.begin(), copies.end(),
                         [&](const CompiledResource& copy) { return copy.Language == language; });
        if (found == copies.end()) {
            all.push_back(
                {label + "VERSIONINFO", "The script's VERSIONINFO at " +
                                            model->Tokens.Where(model->File, model->Span.Begin) +
                                            " is not in the compiled file"});
        } else {
            matched[static_cast<std::size_t>(found - copies.begin())] = true;
            for (Finding& finding : CompareCopy(*model, found->Info, label, scriptPath, io))
                all.push_back(std::move(finding));
        }
        if (index + 1 >= model->Resources)
            break;
    }
    for (std::size_t i = 0; i < copies.size(); ++i)
        if (!matched[i])
            all.push_back({"language " + Hex4(copies[i].Language) + ": VERSIONINFO",
                           "The compiled file holds a version resource the script lacks"});
    return all;
}

} // namespace

int ImportCommand(const std::string& path, const std::string& outPath, CliStreams& io) {
    const std::optional<CommandInput> input = LoadCommandInput(path, false, io);
    if (!input)
        return ExitUsage;
    if (!input->Compiled()) {
        io.Err << path << " is neither a .res file nor an executable\n";
        return ExitUsage;
    }
    // The output is a script: never the input, another .res or an executable.
    const LoadedFile existing = LoadFile(outPath);
    if (NamedLikeCompiled(outPath) || (existing && LooksCompiled(*existing))) {
        io.Err << outPath << " is a compiled file (or named like one); import writes a script\n";
        return ExitUsage;
    }
    Expected<CompiledResource> compiled = PreferredVersionOf(input->Versions());
    if (!compiled) {
        io.Err << path << ": " << compiled.message() << '\n';
        return ExitFailure;
    }
    // The symbolic names the script is written with come from winver.h.
    Expected<ImportedScript> script = ScriptOfCompiled(compiled->Info, {"#include <winver.h>"});
    if (!script) {
        io.Err << path << ": " << script.message() << "; nothing written\n";
        return ExitFailure;
    }
    for (const std::string& note : script->Notes)
        io.Err << path << ": " << note << '\n';
    if (Status saved = SaveFileSafely(outPath, script->Text); !saved) {
        io.Err << saved.message() << '\n';
        return ExitFailure;
    }
    return ExitSuccess;
}

int VerifyCommand(const std::string& scriptPath, const std::string& compiledPath,
                  const ScriptOptions& options, CliStreams& io) {
    const std::optional<std::string> script = LoadScriptInput(scriptPath, io);
    if (!script)
        return ExitUsage;
    if (LooksCompiled(*script)) {
        io.Err << scriptPath << " is a compiled file; verify takes the script first\n";
        return ExitUsage;
    }
    const std::optional<CommandInput> input = LoadCommandInput(compiledPath, false, io);
    if (!input)
        return ExitUsage;
    const std::optional<ParsedScript> parsed = ParseScriptFile(scriptPath, *script, options, io);
    if (!parsed)
        return ExitFailure;
    const Expected<std::vector<CompiledResource>> copies = input->Versions();
    Expected<CompiledResource> compiled = PreferredVersionOf(copies);
    if (!compiled) {
        io.Err << compiledPath << ": " << compiled.message() << '\n';
        return ExitFailure;
    }
    const VersionScript& first = *parsed->Model;
    if (first.Resources < 2) {
        const Findings differences = CompareCopy(first, compiled->Info, "", scriptPath, io);
        PrintFindings(differences, io);
        return differences.empty() ? ExitSuccess : ExitFailure;
    }
    Expected<Findings> differences =
        CompareEveryCopy(parsed->Text, PreprocessFor(options, scriptPath), *copies, scriptPath, io);
    if (!differences) {
        io.Err << scriptPath << ": " << differences.message() << '\n';
        return ExitFailure;
    }
    PrintFindings(*differences, io);
    return differences->empty() ? ExitSuccess : ExitFailure;
}

int BumpCommand(const std::string& path, const std::string& part, const std::string& outPath,
                bool force, const ScriptOptions& options, CliStreams& io) {
    const std::optional<VersionPart> which = VersionPartNamed(part.empty() ? "build" : part);
    if (!which) {
        io.Err << "--part takes major, minor, patch or build, not \"" << part << "\"\n";
        return ExitUsage;
    }
    const std::optional<platform::EditLock> lock = LockTarget(outPath.empty() ? path : outPath, io);
    if (!lock)
        return ExitFailure;
    const std::optional<CommandInput> input = LoadCommandInput(path, true, io);
    if (!input)
        return ExitUsage;
    const std::string* bytes = &input->Bytes;
    if (input->Compiled()) {
        io.Err << path << " is a compiled file; bump works on the script\n";
        return ExitUsage;
    }
    const PreprocessOptions preprocess = PreprocessFor(options, path);
    const std::optional<CopyChoice> copies = CopiesFor(options, outPath, io);
    if (!copies)
        return ExitUsage;
    if (std::optional<int> done =
            BumpInPlace(path, *bytes, *which, force, options.NoFollow, *copies, preprocess, io))
        return *done;
    const ReadResult read = ReadScriptText(*bytes, CliNewDocumentDefaults(), true, preprocess);
    if (read.ConversionError) {
        io.Err << path << ": " << *read.ConversionError << '\n';
        return ExitFailure;
    }
    for (const std::string& report : read.Reports)
        io.Err << path << ": " << report << '\n';
    // Bump rewrites the whole script, so it guards what the read left out
    // exactly as set does.
    if (!force && RefuseLosses(path, *bytes, read, io))
        return ExitFailure;
    Expected<BumpResult> bumped = BumpVersion(read.Record, *which);
    if (!bumped) {
        io.Err << bumped.message() << '\n';
        return ExitFailure;
    }
    for (const std::string& note : bumped->Notes)
        io.Err << note << '\n';
    const int written = WriteDocument(bumped->Record, outPath.empty() ? path : outPath, io);
    if (written == ExitSuccess)
        io.Out << "FILEVERSION " << bumped->Record.HFileVersion << "\nPRODUCTVERSION "
               << bumped->Record.HProductVersion << '\n';
    return written;
}

} // namespace qm
