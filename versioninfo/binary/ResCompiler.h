//===- ResCompiler.h - A script's VERSIONINFO to a .res file -------*- C++ -*-===//
//
// The built-in resource compiler: it compiles the one resource a version
// script holds, byte for byte as llvm-rc does, so that Save & Compile and
// build scripts need no external compiler. It reads what the script reader
// understands, and the project's headers the script includes. The system
// headers are known by name (ScriptLexer.h). A script that needs what it
// can't read (a missing header, a condition on a name a compiler defines
// for its target), holds other resources, or uses a form llvm-rc refuses is
// refused with a message that names it.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/script/ScriptEscapes.h"
#include "versioninfo/script/ScriptLexer.h"
#include "versioninfo/support/Status.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct ResCompileOptions {
    /// How narrow strings are read, as llvm-rc's /C.
    ScriptCodePage CodePage = ScriptCodePage::AsciiOnly;
    /// The language of a resource no LANGUAGE statement sets, as /L.
    std::uint16_t Language = 0x0409;
    /// Where the script is, the folders of /I and the /D and /U names. The
    /// project's headers are always read; the system headers of a version
    /// script are known by name.
    PreprocessOptions Preprocess;
};

/// The 32-bit .res file of the VERSIONINFO resource in `script` (bytes).
Expected<std::string> CompileVersionResource(std::string_view script,
                                             const ResCompileOptions& options = {});

} // namespace qm
