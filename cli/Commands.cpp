//===- Commands.cpp - The four commands of quillmark-rc -------------------===//

#include "Commands.h"

#include "CliDefaults.h"
#include "LossCheck.h"
#include "RecordJson.h"
#include "versioninfo/SafeSave.h"
#include "versioninfo/ScriptReader.h"
#include "versioninfo/ScriptWriter.h"

#include <iostream>
#include <iterator>

namespace qm {

namespace {

/// The file's bytes, or "Can't open PATH" on stderr, as the window's Open
/// reports it (with the reason for a file turned away for its size or
/// kind). A pipe such as the shell's <(...) is read too, up to the same cap.
std::optional<std::string> LoadInput(const std::string& path, CliStreams& io) {
    LoadedFile bytes = LoadFile(path, FileSource::FileOrStream);
    if (!bytes) {
        if (bytes.Refused)
            io.Err << bytes.message() << '\n';
        else
            io.Err << "Can't open " << path << '\n';
        return std::nullopt;
    }
    return std::move(*bytes);
}

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

/// True, after naming what would be lost, when writing the record back
/// would drop part of the script.
bool RefuseLosses(const std::string& path, std::string_view bytes, const ReadResult& read,
                  CliStreams& io) {
    const std::vector<std::string> losses = WhatWritingBackLoses(bytes, read);
    if (losses.empty())
        return false;
    constexpr std::size_t Shown = 10;
    io.Err << "Nothing written: the script written from " << path
           << " would lose what the read could not take:\n";
    for (std::size_t i = 0; i < losses.size() && i < Shown; ++i)
        io.Err << "  " << losses[i] << '\n';
    if (losses.size() > Shown)
        io.Err << "  ... and " << losses.size() - Shown << " more\n";
    io.Err << "Use --force to write it all the same.\n";
    return true;
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
    const ReadResult result = ReadScriptText(*bytes, CliNewDocumentDefaults());
    io.Out << ShowJson(result);
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
    Expected<VersionRecord> record = RecordFromJson(json, CliNewDocumentDefaults());
    if (!record) {
        io.Err << record.message() << '\n';
        return ExitUsage;
    }
    return WriteDocument(*record, outPath, io);
}

int NewCommand(const std::string& outPath, const Edits& edits, CliStreams& io) {
    VersionRecord record = NewDocument(CliNewDocumentDefaults());
    if (Status applied = ApplyEdits(edits, record); !applied) {
        io.Err << applied.message() << '\n';
        return ExitUsage;
    }
    return WriteDocument(record, outPath, io);
}

int SetCommand(const std::string& path, const Edits& edits, const std::string& outPath, bool force,
               CliStreams& io) {
    const std::optional<std::string> bytes = LoadInput(path, io);
    if (!bytes)
        return ExitUsage;
    ReadResult read = ReadScriptText(*bytes, CliNewDocumentDefaults());
    if (read.ConversionError) {
        // The record holds only part of the script; writing it would lose the rest.
        io.Err << *read.ConversionError << '\n';
        return ExitFailure;
    }
    for (const std::string& report : read.Reports)
        io.Err << report << '\n';
    if (!force && RefuseLosses(path, *bytes, read, io))
        return ExitFailure;
    if (Status applied = ApplyEdits(edits, read.Record); !applied) {
        io.Err << applied.message() << '\n';
        return ExitUsage;
    }
    return WriteDocument(read.Record, outPath.empty() ? path : outPath, io);
}

} // namespace qm
