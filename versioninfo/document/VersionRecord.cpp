//===- VersionRecord.cpp - The document being edited -----------------------===//
//
// Comparison and the new-document defaults. The three defaults that come from
// the settings pick their rows the way the options dialog does, so a stored
// default that the tables lack simply leaves its field without a row.
//
//===----------------------------------------------------------------------===//
#include "versioninfo/document/VersionRecord.h"

#include "versioninfo/document/Lookups.h"

namespace qm {

bool VersionRecord::operator==(const VersionRecord& other) const {
    return ComIncLines == other.ComIncLines && HFileVersion == other.HFileVersion &&
           HProductVersion == other.HProductVersion && FFDebug == other.FFDebug &&
           FFPreRelease == other.FFPreRelease && FFPatched == other.FFPatched &&
           FileOS == other.FileOS && FileType == other.FileType &&
           FileSubType == other.FileSubType && LanguageID == other.LanguageID &&
           CodePage == other.CodePage && StringValues == other.StringValues;
}

std::string LanguageIDText(long long languageID) {
    return HexText(languageID);
}

std::string CodePageText(long long codePage) {
    return std::to_string(codePage);
}

VersionRecord NewDocument(const NewDocumentDefaults& defaults) {
    VersionRecord record;
    record.FileOS = RowText(FileOSTable(), SelectExact(FileOSTable(), defaults.FileOSName, NoRow));
    record.FileType = RowText(FileTypeTable(), SelectExact(FileTypeTable(), "VFT_APP", NoRow));
    record.FileSubType = RowText(SubTypeLists(record.FileType),
                                 SelectExact(SubTypeLists(record.FileType), "VFT2_UNKNOWN", NoRow));
    record.LanguageID = LanguageRowOf(defaults.LanguageID);
    record.CodePage = CodePageRowOf(defaults.CodePage);
    return record;
}

} // namespace qm
