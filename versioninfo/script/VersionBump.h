//===- VersionBump.h - Incrementing one part of the versions ------*- C++ -*-===//
//
// For build scripts: one part of both fixed versions goes up by one and the
// parts after it restart at 0, as with SemVer (a new minor version starts
// with patch 0 and build 0; a build bump changes the build alone). The
// FileVersion and ProductVersion strings that agreed with the old fixed
// version are rewritten to the new one; everything else stays as it was.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/document/VersionCheck.h"
#include "versioninfo/document/VersionRecord.h"
#include "versioninfo/support/Status.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

enum class VersionPart { Major = 0, Minor = 1, Patch = 2, Build = 3 };

/// "major", "minor", "patch" or "build"; nothing for any other text.
std::optional<VersionPart> VersionPartNamed(std::string_view name);

struct BumpResult {
    VersionRecord Record;
    /// What was left alone and why (a string that did not agree with its
    /// fixed version, or a bare one), for the user to see.
    std::vector<std::string> Notes;
};

/// Bumps `part` of FILEVERSION and PRODUCTVERSION. Fails, changing
/// nothing, when either fixed version is not four 16-bit numbers (a dotted
/// text counts, being unambiguous) or the part is already 65535.
Expected<BumpResult> BumpVersion(const VersionRecord& record, VersionPart part);

/// A fixed version text read leniently: four numbers, or a dotted form.
Expected<VersionParts> ReadFixedVersion(std::string_view text, std::string_view field);

/// A FileVersion or ProductVersion string value (in the form's marker
/// form) moved from `before` to `after` in its own form: its count of
/// parts, its separator and the text around the numbers. Nothing when it
/// is bare or did not agree with `before`.
std::optional<std::string> FollowedVersionString(const std::string& value,
                                                 const VersionParts& before,
                                                 const VersionParts& after);

} // namespace qm
