//===- Commands.h - The document commands of quillmark-rc -----------------===//
//
// show, get, write, new and set: the commands that read a script (or a
// compiled file) as a document and write scripts. Each runs on
// already-parsed arguments and reports through the given streams; the
// return value is the process's exit code. VersionCommands.h and
// ResourceCommands.h declare the others; each is defined in its own file
// in cli/commands/, beside its options and help.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "Edits.h"
#include "ScriptOptions.h"

#include <iosfwd>
#include <string>

namespace qm {

enum ExitCode : int {
    ExitSuccess = 0, ///< done (a read may still have reports)
    ExitFailure = 1, ///< a conversion error stopped the read, or the write failed
    ExitUsage = 2,   ///< bad arguments, an unknown name, or an input that cannot be opened
};

struct CliStreams {
    std::istream& In;
    std::ostream& Out;
    std::ostream& Err;
};

/// Reads `path` as the window's Open does and prints the document as JSON;
/// fails when the JSON cannot be written out.
int ShowCommand(const std::string& path, const std::string& language, const ScriptOptions& options,
                CliStreams& io);

/// Prints one field of the version resource `path` holds or compiles to:
/// a fixed one by show's member name or keyword (with `parts`, a version's
/// numbers), else a string of the first table. Exit 1 when it is absent.
int GetCommand(const std::string& path, const std::string& field, bool parts,
               const ScriptOptions& options, CliStreams& io);

/// Writes the JSON document read from `jsonPath` ("-": standard input).
int WriteCommand(const std::string& outPath, const std::string& jsonPath, CliStreams& io);

/// Writes a new document, after `edits`.
int NewCommand(const std::string& outPath, const ScriptEdits& edits, CliStreams& io);

/// Reads `path`, applies `edits` where the fields stand and writes to
/// `outPath` (`path` when empty); the edits' Block names the string table
/// for the language, code page and string edits. Refuses, writing nothing,
/// a field spelled as a macro or expression (unless Force) and any edit
/// that would change another field. A file with no VERSIONINFO is written
/// as a new document only with Force.
int SetCommand(const std::string& path, const ScriptEdits& edits, const std::string& outPath,
               const ScriptOptions& options, CliStreams& io);

} // namespace qm
