//===- GoVersionInfo.h - goversioninfo's versioninfo.json ------*- C++ -*-===//
//
// Go programs get their version resource from goversioninfo's
// versioninfo.json, so `write --from` and `stamp --from` read it as it is:
//
//   FixedFileInfo    FileVersion and ProductVersion as {Major, Minor, Patch,
//                    Build}; FileFlagsMask, FileFlags, FileOS, FileType and
//                    FileSubType as hexadecimal text ("3f", "040004")
//   StringFileInfo   key and text; an empty text is left out, as
//                    goversioninfo leaves it out
//   VarFileInfo      Translation's LangID and CharsetID, hexadecimal text
//
// IconPath and ManifestPath name files to link beside the version, not
// version information: they are named as left out.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/binary/ImportScript.h"
#include "versioninfo/binary/VersionInfoBlock.h"
#include "versioninfo/support/Status.h"

#include <string>
#include <string_view>
#include <vector>

namespace qm {

/// True when `bytes` are a JSON object with goversioninfo's members (and
/// so not Quillmark's own document, whose members are in lower camel case).
bool LooksLikeGoVersionInfo(std::string_view bytes);

struct GoVersionInfo {
    CompiledVersionInfo Info;
    std::vector<std::string> Notes; ///< what is left out, one line each
};

/// The version resource a versioninfo.json describes. A member of the
/// wrong type, a number out of range or text that is not hexadecimal is
/// an error that names the member.
Expected<GoVersionInfo> GoVersionInfoFromJson(std::string_view json);

/// The script (UTF-8, after `#include <winver.h>`) for a versioninfo.json,
/// and what it leaves out; `language` receives its Translation's language.
Expected<ImportedScript> ScriptOfGoVersionInfo(std::string_view json,
                                               std::uint16_t* language = nullptr);

} // namespace qm
