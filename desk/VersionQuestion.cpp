//===- VersionQuestion.cpp - The version check before a save --------------===//

#include "desk/VersionQuestion.h"

#include "versioninfo/document/Tables.h"
#include "versioninfo/document/VersionCheck.h"

#include <algorithm>

namespace qm {

namespace {

/// A string that disagrees with its fixed version compiles as it is; what
/// a compiler refuses or changes is a fixed version or a character the
/// code page lacks.
bool IsStringVersionFinding(const Finding& finding) {
    const std::optional<StringKey> key = StringKeyNamed(finding.Field);
    return key == StringKey::FileVersion || key == StringKey::ProductVersion;
}

void AddSection(std::string& text, const char* heading, const std::string& lines) {
    if (!lines.empty())
        text += std::string(heading) + "\n" + lines + "\n";
}

} // namespace

VersionReview ReviewVersions(const VersionRecord& record, VersionFindings asked,
                             const std::string& question,
                             const std::function<std::string(const std::string&)>& shown) {
    VersionReview review;
    review.Written = record;
    // A short form of the version ("4.0") is no reason to stop a save.
    Findings findings = CheckDocument(record);
    findings.erase(std::remove_if(findings.begin(), findings.end(),
                                  [asked](const Finding& finding) {
                                      return finding.Note || (asked == VersionFindings::Refused &&
                                                              IsStringVersionFinding(finding));
                                  }),
                   findings.end());
    if (findings.empty())
        return review;
    // Each message names its field, so it stands alone on its line.
    std::string refused, disagreeing;
    for (const Finding& finding : findings)
        (IsStringVersionFinding(finding) ? disagreeing : refused) +=
            "  " + shown(finding.Message) + "\n";
    // What going on writes for a dotted version: the comma form it stands for.
    std::string offered;
    for (auto [keyword, text] : {std::pair{"FILEVERSION", &review.Written.HFileVersion},
                                 std::pair{"PRODUCTVERSION", &review.Written.HProductVersion}})
        if (const std::optional<std::string> comma = CommaFormOfDotted(*text)) {
            *text = *comma;
            offered += std::string("  ") + keyword + " " + shown(*comma) + "\n";
        }
    AddSection(review.Question, "A resource compiler may refuse or change these values:", refused);
    AddSection(review.Question,
               "These version strings do not match the fixed versions:", disagreeing);
    AddSection(review.Question, "Yes writes the dotted versions in their comma form:", offered);
    review.Question += question;
    review.Ask = true;
    return review;
}

} // namespace qm
