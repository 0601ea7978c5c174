//===- CompilerProbe.h - A resource compiler that works here, by default -*- C++ -*-===//
//
// The stored defaults name Borland's compiler in a Windows folder. On Linux
// that can never run, so when nothing is stored the compiler folder and the
// 32-bit command name llvm-rc instead, if it is on PATH, with the Windows
// headers of mingw-w64 on its include path (a script includes <winver.h>).
// Where neither llvm-rc nor windres is found, the command is quillmark-rc's
// built-in compiler, so that Save & Compile works on a machine with no
// compiler at all. On Windows the probe finds nothing and the defaults stay
// as they are.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <QString>

#include <functional>

namespace qm {

struct AppSettings;

/// What the machine offers for compiling with llvm-rc.
struct CompilerProbe {
    QString LlvmRc;       ///< llvm-rc found on PATH (full path); empty: none
    QString WinverFolder; ///< a folder holding winver.h; empty: none found
    bool Windres = false; ///< a windres (mingw-w64's or the native one) is on PATH
    QString BuiltIn;      ///< quillmark-rc, beside the program or on PATH; empty: none
};

/// Looks for llvm-rc on PATH and for winver.h among the mingw-w64 headers.
/// Finds nothing on Windows.
CompilerProbe ProbeThisMachine();

/// The probe the defaults use: ProbeThisMachine unless replaced.
CompilerProbe CurrentCompilerProbe();

/// Replaces the probe (for tests); an empty function restores the real one.
void SetCompilerProbe(std::function<CompilerProbe()> probe);

/// With llvm-rc found: the compiler folder becomes llvm-rc's folder and the
/// 32-bit command "llvm-rc /C 65001 /I <winver.h folder> --" (without the
/// /I part when no headers were found). With neither llvm-rc nor windres
/// but quillmark-rc: its folder and "quillmark-rc compile --codepage 65001
/// --". Otherwise `settings` stay as they are. The 16-bit command is left
/// alone: neither has a 16-bit mode.
void ApplyCompilerProbe(const CompilerProbe& probe, AppSettings& settings);

/// True when the 32-bit command runs llvm-rc or windres, which know none of
/// winver.h's names unless the script includes it (Windows' rc.exe and
/// Borland's compilers do).
bool CompilerNeedsWinverInclude(const AppSettings& settings);

} // namespace qm
