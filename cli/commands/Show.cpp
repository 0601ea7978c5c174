//===- Show.cpp - quillmark-rc show: its options, help and run ------------===//

#include "cli/ByteText.h"
#include "cli/CliDefaults.h"
#include "cli/CommandLine.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/RecordJson.h"
#include "cli/VersionCommands.h"
#include "versioninfo/binary/CompiledRecord.h"
#include "versioninfo/binary/CompiledVersion.h"
#include "versioninfo/script/ScriptModel.h"
#include "versioninfo/script/ScriptReader.h"
#include "versioninfo/support/Numbers.h"
#include "versioninfo/support/Unicode.h"

namespace qm {

namespace {

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

int ShowCommand(const std::string& path, const std::string& language, const ScriptOptions& options,
                CliStreams& io) {
    const std::optional<CommandInput> input = LoadCommandInput(path, true, io);
    if (!input)
        return ExitUsage;
    if (input->Compiled())
        return ShowCompiledCommand(input->Versions(), language, io);
    const std::string* bytes = &input->Bytes;
    if (!language.empty()) {
        io.Err << "--resource-language is for compiled files; " << path << " is a script\n";
        return ExitUsage;
    }
    // What a compiler makes of the script, where it parses, as one member
    // more; the document is written around it rather than copied into a
    // bigger string (a script may be tens of megabytes).
    std::string compiled;
    std::optional<FixedFileInfo> fixed;
    std::optional<CompiledStringTable> firstTable;
    {
        const std::optional<std::string> utf8 = Utf8OfUtf16Script(*bytes);
        Expected<VersionScript> model =
            ParseCopyWindowsShows(utf8 ? *utf8 : *bytes, PreprocessFor(options, path));
        if (model) {
            const ScriptCompiled built = CompileScriptModel(*model);
            compiled = ",\n  \"compiled\": " + ScriptCompiledMember(built);
            if (!built.IsUndetermined("FILEVERSION") && !built.IsUndetermined("PRODUCTVERSION"))
                fixed = built.Info.Fixed;
            if (!built.Info.Tables.empty())
                firstTable = built.Info.Tables.front();
        }
    }
    ReadResult result = ReadScriptText(*bytes, CliNewDocumentDefaults(), false,
                                       PreprocessFor(options, path), ScriptCopy::WindowsShows);
    // A script whose lines read whole but that a compiler refuses says so.
    if (result.CompilerRefusal)
        result.Reports.push_back("A resource compiler would refuse the script: " +
                                 *result.CompilerRefusal);
    const std::string json =
        ShowJson(result, fixed ? &*fixed : nullptr, firstTable ? &*firstTable : nullptr);
    const std::size_t end = json.size() >= 3 ? json.size() - 3 : 0; // before "\n}\n"
    io.Out.write(json.data(), static_cast<std::streamsize>(end));
    io.Out << compiled;
    io.Out.write(json.data() + end, static_cast<std::streamsize>(json.size() - end));
    io.Out.flush();
    if (!io.Out) {
        // A full disk or a closed pipe: the caller must not take a cut-short
        // document for the whole one.
        io.Err << "Can't write the document of " << path << " to standard output\n";
        return ExitFailure;
    }
    if (result.ConversionError) {
        io.Err << *result.ConversionError << '\n';
        return ExitFailure;
    }
    return ExitSuccess;
}

namespace {

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

int RunShow(const CLI::App&, const Arguments& args, CliStreams& io) {
    return args.Files.size() == 1
               ? ShowCommand(args.Files.front(), args.ResourceLanguage, args.Preprocessor, io)
               : ShowEach(args.Files, args.ResourceLanguage, args.Preprocessor, io);
}

} // namespace

const CommandEntry ShowEntry{DeclareShow, RunShow};

} // namespace qm
