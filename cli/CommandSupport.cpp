//===- CommandSupport.cpp - Input, output and loss checks shared by commands -===//

#include "CommandSupport.h"

#include "versioninfo/binary/CompiledVersion.h"
#include "versioninfo/script/LossCheck.h"
#include "versioninfo/script/ScriptModel.h"
#include "versioninfo/script/ScriptWriter.h"
#include "versioninfo/support/Numbers.h"
#include "versioninfo/support/SafeSave.h"
#include "versioninfo/support/Text.h"

#include <iostream>
#include <vector>

namespace qm {

std::optional<std::string> LoadInput(const std::string& path, CliStreams& io) {
    LoadedFile bytes = LoadFile(path, FileSource::FileOrStream);
    if (!bytes) {
        io.Err << bytes.message() << '\n'; // "Can't open PATH: why"
        return std::nullopt;
    }
    return std::move(*bytes);
}

std::optional<std::string> LoadScriptInput(const std::string& path, CliStreams& io) {
    std::optional<std::string> bytes = LoadInput(path, io);
    if (!bytes || LooksCompiled(*bytes))
        return bytes;
    if (Status lines = CheckScriptLines(*bytes); !lines) {
        io.Err << "Can't open " << path << ": " << lines.message() << '\n';
        return std::nullopt;
    }
    return bytes;
}

std::optional<CommandInput> LoadCommandInput(const std::string& path, bool scriptChecks,
                                             CliStreams& io) {
    CommandInput input;
    input.Executable = ReadExecutableFile(path);
    if (input.Executable)
        return input;
    std::optional<std::string> bytes =
        scriptChecks ? LoadScriptInput(path, io) : LoadInput(path, io);
    if (!bytes)
        return std::nullopt;
    input.Bytes = std::move(*bytes);
    return input;
}

std::optional<platform::EditLock> LockTarget(const std::string& target, CliStreams& io) {
    Expected<platform::EditLock> lock = platform::LockForEdit(target);
    if (!lock) {
        io.Err << "Can't wait for the other edit of " << target << ": " << lock.message() << '\n';
        return std::nullopt;
    }
    return std::move(*lock);
}

std::optional<ScriptToEdit> OpenScriptToEdit(const std::string& path, const std::string& outPath,
                                             const char* refusal, CliStreams& io, int& exit) {
    std::optional<platform::EditLock> lock = LockTarget(outPath.empty() ? path : outPath, io);
    if (!lock) {
        exit = ExitFailure;
        return std::nullopt;
    }
    std::optional<CommandInput> input = LoadCommandInput(path, true, io);
    exit = ExitUsage;
    if (!input)
        return std::nullopt;
    if (input->Compiled()) {
        io.Err << path << " is a compiled file; " << refusal << '\n';
        return std::nullopt;
    }
    return ScriptToEdit{std::move(*lock), std::move(*input)};
}

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

namespace {

// The form writes the twelve keys; the others are added to its script by
// the editor, as set would add them.
Status WriteWithOtherStrings(const VersionRecord& record, const std::string& path,
                             const std::vector<StringEdit>& otherStrings) {
    Expected<Lines> lines = FormScript(record);
    if (!lines)
        return Status::Fail(lines.message());
    const std::string text = JoinCrLf(*lines);
    Expected<VersionScript> model = ParseVersionScript(text);
    if (!model)
        return Status::Fail(model.message());
    ScriptEdits edits;
    edits.Strings = otherStrings;
    Expected<std::string> edited = EditScript(text, *model, edits);
    if (!edited)
        return Status::Fail(edited.message());
    return SaveFileSafely(path, *edited);
}

} // namespace

int WriteDocument(const VersionRecord& record, const std::string& path, CliStreams& io,
                  const std::vector<StringEdit>& otherStrings) {
    const Status written = otherStrings.empty() ? WriteScript(record, path)
                                                : WriteWithOtherStrings(record, path, otherStrings);
    if (!written) {
        io.Err << written.message() << '\n';
        return ExitFailure;
    }
    return ExitSuccess;
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

} // namespace qm
