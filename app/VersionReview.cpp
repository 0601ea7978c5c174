//===- VersionReview.cpp - The version check before a save, in a box -----===//

#include "app/VersionReview.h"

#include "app/DocumentText.h"
#include "controls/Modals.h"

namespace qm {

std::optional<VersionRecord> ConfirmVersionFindings(QWidget* parent, const VersionRecord& record,
                                                    TextEncoding encoding, VersionFindings asked,
                                                    const QString& question) {
    const auto shown = [encoding](const std::string& bytes) {
        return DecodeText(bytes, encoding).toLocal8Bit().toStdString();
    };
    const VersionReview review =
        ReviewVersions(record, asked, question.toLocal8Bit().toStdString(), shown);
    if (!review.Ask)
        return record;
    if (!Modals::AskToGoOn(parent, QStringLiteral("Check"), MessageText(review.Question)))
        return std::nullopt;
    return review.Written;
}

} // namespace qm
