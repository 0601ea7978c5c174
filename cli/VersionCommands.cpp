//===- VersionCommands.cpp - check, import, verify, bump and show of compiled files -===//

#include "VersionCommands.h"

#include "CliDefaults.h"
#include "CommandSupport.h"
#include "InPlace.h"
#include "RecordJson.h"
#include "versioninfo/CompiledVersion.h"
#include "versioninfo/SafeSave.h"
#include "versioninfo/ScriptReader.h"
#include "versioninfo/ScriptWriter.h"
#include "versioninfo/VersionBump.h"

#include <iostream>

namespace qm {

namespace {

/// The document a file holds: read as a script, or from its compiled
/// version resource. Reports and notes go to standard error.
std::optional<VersionRecord> DocumentOf(const std::string& path, const std::string& bytes,
                                        CliStreams& io) {
    if (LooksCompiled(bytes)) {
        Expected<CompiledResource> compiled = ReadCompiledVersion(bytes);
        if (!compiled) {
            io.Err << path << ": " << compiled.message() << '\n';
            return std::nullopt;
        }
        return RecordFromCompiled(compiled->Info, CliNewDocumentDefaults()).Record;
    }
    ReadResult read = ReadScriptText(bytes, CliNewDocumentDefaults());
    if (read.ConversionError) {
        io.Err << path << ": " << *read.ConversionError << '\n';
        return std::nullopt;
    }
    for (const std::string& report : read.Reports)
        io.Err << path << ": " << report << '\n';
    return std::move(read.Record);
}

void PrintFindings(const Findings& findings, CliStreams& io) {
    for (const Finding& finding : findings)
        io.Out << finding.Field << ": " << finding.Message << '\n';
}

std::string CompiledMember(const CompiledResource& resource) {
    const CompiledVersionInfo& info = resource.Info;
    std::string out = "{\n    \"format\": ";
    out += resource.Format == CompiledFormat::Pe ? "\"pe\"" : "\"res\"";
    out += ",\n    \"resourceLanguage\": " + std::to_string(resource.Language);
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
    out += "]\n  }";
    return out;
}

} // namespace

int CheckCommand(const std::string& path, CliStreams& io) {
    const std::optional<std::string> bytes = LoadInput(path, io);
    if (!bytes)
        return ExitUsage;
    const std::optional<VersionRecord> record = DocumentOf(path, *bytes, io);
    if (!record)
        return ExitFailure;
    const Findings findings = CheckDocument(*record);
    PrintFindings(findings, io);
    return findings.empty() ? ExitSuccess : ExitFailure;
}

int ShowCompiledCommand(const std::string& bytes, CliStreams& io) {
    Expected<CompiledResource> compiled = ReadCompiledVersion(bytes);
    if (!compiled) {
        io.Err << compiled.message() << '\n';
        return ExitFailure;
    }
    ImportedRecord imported = RecordFromCompiled(compiled->Info, CliNewDocumentDefaults());
    ReadResult result;
    result.Record = std::move(imported.Record);
    result.Reports = std::move(imported.Notes);
    // The script's document, then one member more before the closing brace.
    std::string json = ShowJson(result);
    const std::string end = "\n}\n";
    if (json.size() >= end.size() && json.compare(json.size() - end.size(), end.size(), end) == 0)
        json.resize(json.size() - end.size());
    json += ",\n  \"compiled\": " + CompiledMember(*compiled) + end;
    io.Out << json;
    io.Out.flush();
    return ExitSuccess;
}

int ImportCommand(const std::string& path, const std::string& outPath, CliStreams& io) {
    const std::optional<std::string> bytes = LoadInput(path, io);
    if (!bytes)
        return ExitUsage;
    if (!LooksCompiled(*bytes)) {
        io.Err << path << " is neither a .res file nor an executable\n";
        return ExitUsage;
    }
    Expected<CompiledResource> compiled = ReadCompiledVersion(*bytes);
    if (!compiled) {
        io.Err << path << ": " << compiled.message() << '\n';
        return ExitFailure;
    }
    ImportedRecord imported = RecordFromCompiled(compiled->Info, CliNewDocumentDefaults());
    for (const std::string& note : imported.Notes)
        io.Err << path << ": " << note << '\n';
    // The symbolic names the script is written with come from winver.h.
    imported.Record.ComIncLines = {"#include <winver.h>"};
    return WriteDocument(imported.Record, outPath, io);
}

int VerifyCommand(const std::string& scriptPath, const std::string& compiledPath, CliStreams& io) {
    const std::optional<std::string> script = LoadInput(scriptPath, io);
    if (!script)
        return ExitUsage;
    const std::optional<std::string> bytes = LoadInput(compiledPath, io);
    if (!bytes)
        return ExitUsage;
    const ReadResult read = ReadScriptText(*script, CliNewDocumentDefaults());
    if (read.ConversionError) {
        io.Err << scriptPath << ": " << *read.ConversionError << '\n';
        return ExitFailure;
    }
    Expected<CompiledResource> compiled = ReadCompiledVersion(*bytes);
    if (!compiled) {
        io.Err << compiledPath << ": " << compiled.message() << '\n';
        return ExitFailure;
    }
    const Findings differences = CompareWithCompiled(read.Record, compiled->Info);
    PrintFindings(differences, io);
    return differences.empty() ? ExitSuccess : ExitFailure;
}

int BumpCommand(const std::string& path, const std::string& part, const std::string& outPath,
                bool force, CliStreams& io) {
    const std::optional<VersionPart> which = VersionPartNamed(part.empty() ? "build" : part);
    if (!which) {
        io.Err << "--part takes major, minor, patch or build, not \"" << part << "\"\n";
        return ExitUsage;
    }
    const std::optional<std::string> bytes = LoadInput(path, io);
    if (!bytes)
        return ExitUsage;
    if (LooksCompiled(*bytes)) {
        io.Err << path << " is a compiled file; bump works on the script\n";
        return ExitUsage;
    }
    if (std::optional<int> done = BumpInPlace(path, *bytes, *which, outPath, force, io))
        return *done;
    const ReadResult read = ReadScriptText(*bytes, CliNewDocumentDefaults());
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
