//===- ScriptWriter.h - VersionRecord to resource script text -----*- C++ -*-===//
//
// The one place where the script layout is fixed: comment/include lines, the
// 20-column fixed part, the string table with values from column 38, the
// translation block. The writer never changes the record.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/document/VersionRecord.h"
#include "versioninfo/support/Status.h"

#include <string>
#include <string_view>

namespace qm {

/// The 20-character key field of string key `index` (quoted key, comma,
/// blanks), e.g. "\"Comments\",         ".
std::string_view StringKeyField(int index);

/// One string-table line for `keyField` and `value` (marker form).
std::string FormatValueLine(std::string_view keyField, std::string_view value);

/// The FILEFLAGS expression, e.g. "VS_FF_PRERELEASE|VS_FF_SPECIALBUILD", or "0".
std::string FlagsExpression(const VersionRecord& record);

/// The script lines of `record`. Fails, without forming anything, when the
/// record has no language row or no code page row.
Expected<Lines> FormScript(const VersionRecord& record);

/// Writes `lines` to `path` with CR LF line ends. The previous file is
/// replaced only after the whole new text is safely written.
Status SaveScriptLines(const Lines& lines, const std::string& path);

/// FormScript, then SaveScriptLines; nothing is written when forming fails.
Status WriteScript(const VersionRecord& record, const std::string& path);

/// The File Image listing: "%3d: %s" per line, numbered from 1.
Lines NumberedListing(const Lines& imageLines);

} // namespace qm
