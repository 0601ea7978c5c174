//===- Tables.h - The fixed vocabulary of a version resource ------*- C++ -*-===//
//
// One table per constant set. The writer, the reader, the window's lists and
// the settings all read these, so a display string exists exactly once.
// Language and code-page rows carry their number in the display string
// itself; LanguageValue/CodePageValue read it back from there.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/support/Text.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

using TextList = std::vector<std::string>;

constexpr int StringKeyCount = 12;

/// The twelve string-table keys in the script's fixed order.
const std::array<std::string_view, StringKeyCount>& StringKeys();

/// The twelve keys by name, in the same order; Index() gives a key's place
/// in StringKeys() and in VersionRecord::StringValues.
enum class StringKey : int {
    FileVersion,
    FileDescription,
    LegalCopyright,
    Comments,
    CompanyName,
    LegalTrademarks,
    OriginalFilename,
    ProductVersion,
    ProductName,
    InternalName,
    PrivateBuild,
    SpecialBuild,
};
constexpr int Index(StringKey key) {
    return static_cast<int>(key);
}
/// The key spelled `name` exactly, if it is one of the twelve.
std::optional<StringKey> StringKeyNamed(std::string_view name);

const TextList& FileOSTable();   ///< 14 names, "VOS_UNKNOWN" first.
const TextList& FileTypeTable(); ///< 7 names, "VFT_UNKNOWN" first.
const TextList& LanguageTable(); ///< 45 display strings, " 401  Arabic" first.
const TextList& CodePageTable(); ///< 12 display strings, "   0  7-bit ASCII" first.

/// The subtype list of a file type, held as one comma-separated text:
/// "VFT_DRV" and "VFT_FONT" have their own lists (compared case-sensitively);
/// any other name, and the empty one, get "VFT2_UNKNOWN" alone.
std::string_view SubTypeListText(std::string_view fileType);
/// The same list split at each comma, blanks around each name dropped.
TextList SubTypeLists(std::string_view fileType);

/// The language ID in the first four characters of a LanguageTable row,
/// leading blanks skipped, read as hexadecimal.
int LanguageValue(std::string_view row);
/// The code page in the first four characters of a CodePageTable row,
/// leading blanks skipped, read as decimal.
int CodePageValue(std::string_view row);

/// A name of winver.h and the number it stands for.
struct NamedValue {
    std::string_view Name;
    std::uint32_t Value;
};
/// The FILEOS, FILETYPE and FILEFLAGS names with their numbers; FILEOS and
/// FILETYPE in the order of their tables.
const std::vector<NamedValue>& FileOSValues();
const std::vector<NamedValue>& FileTypeValues();
const std::vector<NamedValue>& FileFlagValues();
/// The number of any winver.h name a VERSIONINFO statement may use (the
/// lists above, the subtypes, VS_FFI_FILEFLAGSMASK, VS_VERSION_INFO, ...).
std::optional<std::uint32_t> WinverValue(std::string_view name);
/// FILEFLAGS as names joined by "|" ("VS_FF_DEBUG|VS_FF_PATCHED"), bits
/// without a name in hexadecimal after them, "0" for none.
std::string FlagNames(std::uint32_t flags);
/// The name with `value` in `list`, if one has it.
std::optional<std::string_view> NameWithValue(const std::vector<NamedValue>& list,
                                              std::uint32_t value);
/// The number of a subtype of `fileType`: its place in the type's list.
std::optional<std::uint32_t> SubTypeValue(std::string_view fileType, std::string_view name);

} // namespace qm
