//===- VersionCheck.h - Findings about a document's versions ------*- C++ -*-===//
//
// What a resource compiler would take silently or refuse: fixed versions that
// are not four 16-bit numbers (llvm-rc stops with "does not fit in 16 bits",
// others wrap), a dotted text where commas belong, string versions that
// disagree with the fixed ones, and a code page too small for the strings.
// Pure functions of the record; nothing here changes it.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/document/VersionRecord.h"
#include "versioninfo/support/Status.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

/// One thing the check found: the field at fault, as the script names it
/// ("FILEVERSION", "FileVersion", "CodePage"), and what is wrong.
struct Finding {
    std::string Field;
    std::string Message;
    /// Worth saying but no fault: a version string that shows only the
    /// leading parts of its fixed version.
    bool Note = false;
    bool operator==(const Finding& other) const {
        return Field == other.Field && Message == other.Message;
    }
};

using Findings = std::vector<Finding>;

/// The four parts of a fixed version.
using VersionParts = std::array<std::uint16_t, 4>;

/// The comma form ("1, 2, 3, 0") of a dotted or SemVer-like version text
/// such as "1.2.3", "v1.2" or "1.2.3-beta+7": one to four decimal numbers
/// joined by dots, at least one dot, optionally a leading "v" and a suffix
/// after "-" or "+" (dropped). Missing parts are 0. Nothing for any other
/// text, including one that already uses commas.
std::optional<std::string> CommaFormOfDotted(std::string_view text);

/// The numbers of a FILEVERSION/PRODUCTVERSION text, split at commas:
/// decimal or 0x-hexadecimal, an L or U suffix allowed, blanks around
/// each. Fails, naming the part, when one is not such a number; any count
/// of parts is returned, each as read (it may exceed 16 bits).
Expected<std::vector<std::uint64_t>> ParseVersionNumbers(std::string_view text);

/// The text before a "//" or "/*" comment: the reader keeps a comment
/// that follows FILEVERSION in its text, and a compiler ignores it.
std::string_view CodeBeforeComment(std::string_view text);

/// The four parts of a fixed version text (a trailing comment ignored), or an error that says why
/// the text is not four 16-bit numbers. `field` names it in the message.
Expected<VersionParts> ParseFixedVersion(std::string_view text, std::string_view field);

/// "a, b, c, d".
std::string FixedVersionText(const VersionParts& parts);
/// "a.b.c.d".
std::string DottedVersionText(const VersionParts& parts);

/// The version numbers a string value begins with: blanks and a "v" skipped,
/// then decimal numbers joined by "." or "," (blanks around a comma
/// allowed); at most four. Empty when the text does not begin with one.
/// `end` receives where the numbers end.
std::vector<std::uint64_t> LeadingVersionNumbers(std::string_view text, std::size_t* end = nullptr);

/// Whether string version numbers are fewer than four and equal the leading
/// parts of a fixed version ("4.00" for 4, 0, 1381, 318).
bool ShowsLeadingParts(const std::vector<std::uint64_t>& shown, const VersionParts& fixed);
/// Whether string version numbers agree with a fixed version: parts the
/// string leaves out count as 0.
bool StringVersionAgrees(const std::vector<std::uint64_t>& shown, const VersionParts& fixed);

/// The text a quoted string value stands for (its marker removed, trailing
/// blanks dropped), or nothing for an empty value or a bare ("\#") one.
std::optional<std::string> QuotedValueText(std::string_view value);

/// Every finding for `record`, in field order: FILEVERSION, PRODUCTVERSION,
/// the FileVersion and ProductVersion strings, then the code page.
Findings CheckDocument(const VersionRecord& record);

} // namespace qm
