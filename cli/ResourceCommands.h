//===- ResourceCommands.h - compile and stamp ------------------------*- C++ -*-===//
//
// The commands that make compiled files rather than scripts: compile (a
// script to a .res file or a COFF object) and stamp (a version resource
// into an executable, from edits or a whole resource). Each returns the
// exit code, and is defined in its file in cli/commands/.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "Commands.h"
#include "Edits.h"
#include "ScriptOptions.h"

#include <string>

namespace qm {

struct CompileArguments {
    std::string Script;
    std::string Output;         ///< empty: the script's name with .res (or .o)
    std::string CodePage;       ///< "0", "1252" or "65001", as llvm-rc's /C
    std::string Language;       ///< hexadecimal, as llvm-rc's /L
    bool Coff = false;          ///< a COFF object, as an output named .o or .obj asks too
    std::string Machine;        ///< the COFF object's: x64 (the default), x86 or arm64
    ScriptOptions Preprocessor; ///< -I, -D and -U
};

struct StampArguments {
    std::string File;
    std::string Output;   ///< empty: FILE itself
    std::string From;     ///< a script or .res file holding the whole resource
    std::string CodePage; ///< how --from's script is read
    std::string Language; ///< the copy to replace (hexadecimal); empty: the one Windows shows
    std::string Block;    ///< the string table the edits aim at
    bool Force = false;
    ScriptOptions Preprocessor; ///< how --from's script is read
};

/// Writes the version resource into an executable: the copy it has, with
/// `edits` made as set makes them (their Block and Force from `args`), or
/// the resource of --from. Every other resource and byte is kept; nothing
/// is written when it can't be done safely.
int StampCommand(const StampArguments& args, const ScriptEdits& edits, CliStreams& io);

/// Compiles the script's VERSIONINFO with the built-in compiler into a .res
/// file or a COFF object; a script it can't compile exactly as llvm-rc
/// would is refused, naming why, and nothing is written.
int CompileCommand(const CompileArguments& args, CliStreams& io);

} // namespace qm
