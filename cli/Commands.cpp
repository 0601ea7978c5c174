//===- Commands.cpp - The four commands of quillmark-rc -------------------===//

#include "Commands.h"

#include "CliDefaults.h"
#include "RecordJson.h"
#include "VersionCommands.h"
#include "versioninfo/CompiledVersion.h"
#include "versioninfo/SafeSave.h"
#include "versioninfo/ScriptReader.h"
#include "versioninfo/ScriptWriter.h"

#include <iostream>
#include <iterator>

namespace qm {

namespace {

/// The file's bytes, or "Can't open PATH" on stderr, as the window's Open
/// reports it.
std::optional<std::string> LoadInput(const std::string& path, CliStreams& io) {
    Expected<std::string> bytes = LoadFile(path);
    if (!bytes) {
        io.Err << "Can't open " << path << '\n';
        return std::nullopt;
    }
    return std::move(*bytes);
}

int WriteDocument(const VersionRecord& record, const std::string& path, CliStreams& io) {
    Lines imageLines;
    if (Status written = WriteScript(record, path, imageLines); !written) {
        io.Err << written.message() << '\n';
        return ExitFailure;
    }
    return ExitSuccess;
}

} // namespace

int ShowCommand(const std::string& path, CliStreams& io) {
    const std::optional<std::string> bytes = LoadInput(path, io);
    if (!bytes)
        return ExitUsage;
    if (LooksCompiled(*bytes))
        return ShowCompiledCommand(*bytes, io);
    const ReadResult result = ReadScriptText(*bytes, CliNewDocumentDefaults());
    io.Out << ShowJson(result);
    io.Out.flush();
    if (result.ConversionError) {
        io.Err << *result.ConversionError << '\n';
        return ExitFailure;
    }
    return ExitSuccess;
}

int WriteCommand(const std::string& outPath, const std::string& jsonPath, CliStreams& io) {
    std::string json;
    if (jsonPath == "-") {
        json.assign(std::istreambuf_iterator<char>(io.In), std::istreambuf_iterator<char>());
    } else {
        std::optional<std::string> bytes = LoadInput(jsonPath, io);
        if (!bytes)
            return ExitUsage;
        json = std::move(*bytes);
    }
    Expected<VersionRecord> record = RecordFromJson(json, CliNewDocumentDefaults());
    if (!record) {
        io.Err << record.message() << '\n';
        return ExitUsage;
    }
    return WriteDocument(*record, outPath, io);
}

int NewCommand(const std::string& outPath, const Edits& edits, CliStreams& io) {
    VersionRecord record = NewDocument(CliNewDocumentDefaults());
    record.ComIncLines = CliTemplateComIncLines();
    if (Status applied = ApplyEdits(edits, record); !applied) {
        io.Err << applied.message() << '\n';
        return ExitUsage;
    }
    return WriteDocument(record, outPath, io);
}

int SetCommand(const std::string& path, const Edits& edits, const std::string& outPath,
               CliStreams& io) {
    const std::optional<std::string> bytes = LoadInput(path, io);
    if (!bytes)
        return ExitUsage;
    if (LooksCompiled(*bytes)) {
        // Read as a script it would hold nothing, and the write would
        // replace the executable or .res with that empty script.
        io.Err << path << " is a compiled file; set works on scripts (import it first)\n";
        return ExitUsage;
    }
    ReadResult read = ReadScriptText(*bytes, CliNewDocumentDefaults());
    if (read.ConversionError) {
        // The record holds only part of the script; writing it would lose the rest.
        io.Err << *read.ConversionError << '\n';
        return ExitFailure;
    }
    for (const std::string& report : read.Reports)
        io.Err << report << '\n';
    if (Status applied = ApplyEdits(edits, read.Record); !applied) {
        io.Err << applied.message() << '\n';
        return ExitUsage;
    }
    return WriteDocument(read.Record, outPath.empty() ? path : outPath, io);
}

} // namespace qm
