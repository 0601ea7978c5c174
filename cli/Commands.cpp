//===- Commands.cpp - The four commands of quillmark-rc -------------------===//

#include "Commands.h"

#include "CliDefaults.h"
#include "CommandSupport.h"
#include "GoVersionInfo.h"
#include "InPlace.h"
#include "RecordJson.h"
#include "VersionCommands.h"
#include "versioninfo/binary/CompiledVersion.h"
#include "versioninfo/script/ScriptReader.h"
#include "versioninfo/script/ScriptWriter.h"
#include "versioninfo/support/SafeSave.h"
#include "versioninfo/support/Unicode.h"

#include <iostream>
#include <iterator>

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

} // namespace

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

int NewCommand(const std::string& outPath, const ScriptEdits& edits, CliStreams& io) {
    VersionRecord record = NewDocument(CliNewDocumentDefaults());
    Expected<Lines> templateLines = CliTemplateComIncLines();
    if (!templateLines) {
        // A script without the template's #include would not compile.
        io.Err << templateLines.message() << "; nothing written\n";
        return ExitFailure;
    }
    record.ComIncLines = std::move(*templateLines);
    if (Status applied = ApplyEdits(edits, record); !applied) {
        io.Err << applied.message() << '\n';
        return ExitUsage;
    }
    std::vector<StringEdit> others;
    for (const StringEdit& edit : edits.Strings)
        if (!StringKeyNamed(edit.Key))
            others.push_back(edit);
    return WriteDocument(record, outPath, io, others);
}

int SetCommand(const std::string& path, const ScriptEdits& edits, const std::string& outPath,
               const ScriptOptions& options, CliStreams& io) {
    // Held from the read to the write, so parallel edits queue up.
    const std::optional<platform::EditLock> lock = LockTarget(outPath.empty() ? path : outPath, io);
    if (!lock)
        return ExitFailure;
    const std::optional<CommandInput> input = LoadCommandInput(path, true, io);
    if (!input)
        return ExitUsage;
    const std::string* bytes = &input->Bytes;
    if (input->Compiled()) {
        // Read as a script it would hold nothing, and the write would
        // replace the executable or .res with that empty script.
        io.Err << path << " is a compiled file; set works on scripts (import it first)\n";
        return ExitUsage;
    }
    // Names that depend on the record (a subtype of the file type) are
    // checked before anything is touched.
    const PreprocessOptions preprocess = PreprocessFor(options, path);
    VersionRecord probe =
        ReadScriptText(*bytes, CliNewDocumentDefaults(), false, preprocess).Record;
    if (Status applied = ApplyEdits(edits, probe); !applied) {
        io.Err << applied.message() << '\n';
        return ExitUsage;
    }
    const std::optional<CopyChoice> copies = CopiesFor(options, outPath, io);
    if (!copies)
        return ExitUsage;
    if (std::optional<int> done =
            SetInPlace(path, *bytes, edits, *copies, preprocess, !options.NoStrings, io))
        return *done;
    // No VERSIONINFO a compiler would read: only a whole new document can
    // be written, and only when asked to.
    ReadResult read = ReadScriptText(*bytes, CliNewDocumentDefaults(), true, preprocess);
    if (read.ConversionError) {
        // The record holds only part of the script; writing it would lose the rest.
        io.Err << *read.ConversionError << '\n';
        return ExitFailure;
    }
    for (const std::string& report : read.Reports)
        io.Err << report << '\n';
    if (!edits.Force && RefuseLosses(path, *bytes, read, io))
        return ExitFailure;
    if (Status applied = ApplyEdits(edits, read.Record); !applied) {
        io.Err << applied.message() << '\n';
        return ExitUsage;
    }
    return WriteDocument(read.Record, outPath.empty() ? path : outPath, io);
}

} // namespace qm
