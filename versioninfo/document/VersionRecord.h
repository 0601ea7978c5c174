//===- VersionRecord.h - The document being edited ----------------*- C++ -*-===//
//
// One VersionRecord is the whole document: the comment/include lines, the
// fixed file information and one string table. It owns its texts.
//
// String values use markers in their first two characters:
//   ""/blanks  no entry (written as a commented-out line)
//   "\0..."    a quoted entry whose text is the rest ("\0" alone: empty text)
//   "\#..."    a bare entry: the rest stands unquoted and unterminated
//   "\\..."    a quoted entry beginning with one backslash
//   other      a quoted entry whose text is the value
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/document/Tables.h"
#include "versioninfo/support/Text.h"

#include <array>
#include <string>

namespace qm {

/// Row index meaning "no row selected".
constexpr int NoRow = -1;

struct VersionRecord {
    Lines ComIncLines;
    std::string HFileVersion = "1, 0, 0, 1";
    std::string HProductVersion = "1, 0, 0, 1";
    bool FFDebug = false;
    bool FFPreRelease = false;
    bool FFPatched = false;
    std::string FileOS;               ///< a FileOSTable name, or "" for no row
    std::string FileType = "VFT_APP"; ///< a FileTypeTable name, or ""
    std::string FileSubType =
        "VFT2_UNKNOWN";     ///< a row of SubTypeLists(FileType); any text for VFT_VXD
    int LanguageID = NoRow; ///< row of LanguageTable, or NoRow
    int CodePage = NoRow;   ///< row of CodePageTable, or NoRow
    std::array<std::string, StringKeyCount> StringValues; ///< in StringKeys order

    bool operator==(const VersionRecord& other) const;
    bool operator!=(const VersionRecord& other) const { return !(*this == other); }
};

/// The three new-document defaults that come from the settings.
struct NewDocumentDefaults {
    std::string FileOSName = "VOS_DOS_WINDOWS32";
    long long LanguageID = 1041; ///< selects by its uppercase hex text ("411")
    long long CodePage = 1200;   ///< selects by its decimal text ("1200")
};

/// Text forms used to pick the default rows.
std::string LanguageIDText(long long languageID); ///< uppercase hex, no leading zeros
std::string CodePageText(long long codePage);     ///< decimal

/// A new document: the fixed defaults plus the three given ones. A default
/// that matches no row leaves that field without a row; nothing is reported.
VersionRecord NewDocument(const NewDocumentDefaults& defaults);

} // namespace qm
