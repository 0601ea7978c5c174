//===- CommandSupport.h - Input, output and loss checks shared by commands -===//
//
// Every command of quillmark-rc loads its input, and those that rewrite a
// script check first what the rewrite would lose; they report the same way.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "Commands.h"
#include "platform/EditLock.h"
#include "versioninfo/binary/CompiledVersion.h"
#include "versioninfo/binary/ResCompiler.h"
#include "versioninfo/document/VersionRecord.h"
#include "versioninfo/script/ScriptEdit.h"
#include "versioninfo/script/ScriptReader.h"

#include <optional>
#include <string>
#include <string_view>

namespace qm {

/// The file's bytes, or "Can't open PATH: REASON" on stderr (a missing
/// file, a folder, no permission, a kind or size turned away). A pipe such
/// as the shell's <(...) is read too, up to the same cap.
std::optional<std::string> LoadInput(const std::string& path, CliStreams& io);

/// LoadInput for a file that may be a script: a script is also refused
/// (CheckScriptLines) when reading it would take many times its size.
std::optional<std::string> LoadScriptInput(const std::string& path, CliStreams& io);
/// A command's input: the bytes of a script or a .res file, or an
/// executable on disk, which is read in pages, never loaded whole, so its
/// size neither costs memory nor meets the cap.
struct CommandInput {
    std::string Bytes; ///< empty for an executable read in pages
    /// An executable's version resources, or why they can't be read.
    std::optional<Expected<std::vector<CompiledResource>>> Executable;

    bool Compiled() const { return Executable || LooksCompiled(Bytes); }
    /// The version resources of a compiled input; for a script, the error
    /// that it is neither kind of compiled file.
    Expected<std::vector<CompiledResource>> Versions() const {
        return Executable ? *Executable : ReadCompiledVersions(Bytes);
    }
};

/// The input at `path`: an executable in pages, else as LoadScriptInput
/// (`scriptChecks`) or LoadInput reads it; nothing, with the reason on
/// stderr, when it can't be read.
std::optional<CommandInput> LoadCommandInput(const std::string& path, bool scriptChecks,
                                             CliStreams& io);

/// Holds `target`, the file a command is about to read, change and write
/// back, until the lock goes (platform/EditLock.h); nothing, with the
/// reason on stderr, when the wait for another run failed.
std::optional<platform::EditLock> LockTarget(const std::string& target, CliStreams& io);

/// The script an editing command changes, held (LockTarget) from the read
/// to the write so that parallel edits queue up.
struct ScriptToEdit {
    platform::EditLock Lock;
    CommandInput Input;
};
/// Locks the target (`outPath`, or `path` when empty) and loads `path`.
/// Nothing, after saying why, when either fails (`exit` then holds the exit
/// code) or `path` is a compiled file: read as a script it would hold
/// nothing, and the write would replace it with that empty script.
/// `refusal` ends the message for a compiled file ("set works on ...").
std::optional<ScriptToEdit> OpenScriptToEdit(const std::string& path, const std::string& outPath,
                                             const char* refusal, CliStreams& io, int& exit);

/// True, after naming on stderr what would be lost, when writing `read`'s
/// record in place of the script `bytes` would drop part of it.
bool RefuseLosses(const std::string& path, std::string_view bytes, const ReadResult& read,
                  CliStreams& io);

/// Writes `record` to `path` as a script; ExitFailure with the writer's
/// message on stderr when that fails.
/// `otherStrings`: keys outside the twelve, added to the first table in
/// the order given (values in the --string form).
int WriteDocument(const VersionRecord& record, const std::string& path, CliStreams& io,
                  const std::vector<StringEdit>& otherStrings = {});

/// The code page a -c option names ("" or "0", "1252", "65001"); nothing
/// for any other.
std::optional<ScriptCodePage> CodePageNamed(const std::string& text);
/// The language a -l option names in hexadecimal ("" for 409); nothing for
/// a text that is not one.
std::optional<std::uint16_t> LanguageNamed(const std::string& text);

} // namespace qm
