//===- VersionReview.cpp - The version check before, and the read-back after, a compile -===//

#include "app/VersionReview.h"

#include "app/DocumentText.h"
#include "controls/Modals.h"
#include "platform/Files.h"
#include "versioninfo/document/Tables.h"
#include "versioninfo/document/VersionCheck.h"
#include "versioninfo/support/SafeSave.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace qm {

namespace {

// Each message names its field, so it stands alone on its line.
QString FindingLine(const Finding& finding, TextEncoding encoding) {
    return QStringLiteral("  ") + DecodeText(finding.Message, encoding);
}

/// A string that disagrees with its fixed version compiles as it is; what
/// a compiler refuses or changes is a fixed version or a character the
/// code page lacks.
bool IsStringVersionFinding(const Finding& finding) {
    const std::optional<StringKey> key = StringKeyNamed(finding.Field);
    return key == StringKey::FileVersion || key == StringKey::ProductVersion;
}

} // namespace

std::optional<VersionRecord> ConfirmVersionFindings(QWidget* parent, const VersionRecord& record,
                                                    TextEncoding encoding, VersionFindings asked,
                                                    const QString& question) {
    // A short form of the version ("4.0") is no reason to stop a save.
    Findings findings = CheckDocument(record);
    findings.erase(std::remove_if(findings.begin(), findings.end(),
                                  [asked](const Finding& finding) {
                                      return finding.Note || (asked == VersionFindings::Refused &&
                                                              IsStringVersionFinding(finding));
                                  }),
                   findings.end());
    if (findings.empty())
        return record;
    QStringList refused, disagreeing;
    for (const Finding& finding : findings)
        (IsStringVersionFinding(finding) ? disagreeing : refused) << FindingLine(finding, encoding);
    // What going on writes for a dotted version: the comma form it stands for.
    VersionRecord written = record;
    QStringList offered;
    for (auto [keyword, text] : {std::pair{"FILEVERSION", &written.HFileVersion},
                                 std::pair{"PRODUCTVERSION", &written.HProductVersion}})
        if (const std::optional<std::string> comma = CommaFormOfDotted(*text)) {
            *text = *comma;
            offered << QStringLiteral("  %1 %2").arg(keyword, DecodeText(*comma, encoding));
        }
    QStringList text;
    if (!refused.isEmpty())
        text << QStringLiteral("A resource compiler may refuse or change these values:") << refused
             << QString();
    if (!disagreeing.isEmpty())
        text << QStringLiteral("These version strings do not match the fixed versions:")
             << disagreeing << QString();
    if (!offered.isEmpty())
        text << QStringLiteral("Yes writes the dotted versions in their comma form:") << offered
             << QString();
    text << question;
    if (!Modals::AskToGoOn(parent, QStringLiteral("Check"), text.join('\n')))
        return std::nullopt;
    return written;
}

} // namespace qm
