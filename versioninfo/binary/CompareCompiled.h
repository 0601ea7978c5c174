//===- CompareCompiled.h - A script's model against a compiled resource -*- C++ -*-===//
//
// `verify` as a compiler would see it: what the script compiles to (its
// model) against what a .res file or an executable holds, field by field,
// every string table and Translation pair included. Fields that the script
// leaves to the preprocessor or to a header's macros are not compared; the
// caller says which. The window's check compares its document the same
// way (CompareWithCompiled).
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/binary/VersionInfoBlock.h"
#include "versioninfo/document/VersionCheck.h"
#include "versioninfo/document/VersionRecord.h"
#include "versioninfo/script/ScriptModel.h"

namespace qm {

/// Every difference between `script` and `compiled`, in script order:
/// the fixed fields, then each string table (matched by name in any case)
/// and its strings, then the Translation pairs. Empty when they agree.
Findings CompareScriptWithCompiled(const ScriptCompiled& script,
                                   const CompiledVersionInfo& compiled);

/// Every way `info` differs from what `record` compiles to, in the order
/// of the script; empty when they agree. Texts a compiler alone can
/// resolve (a version or value written as a macro) are not compared.
/// Messages quote string values as compiled, in UTF-8.
Findings CompareWithCompiled(const VersionRecord& record, const CompiledVersionInfo& info);

} // namespace qm
