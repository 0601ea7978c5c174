//===- DocumentState.cpp - The document beside the form's values ----------===//

#include "desk/DocumentState.h"

namespace qm {

void DocumentState::SetTarget(std::string folder, std::string name) {
    TargetFolder_ = std::move(folder);
    TargetName_ = std::move(name);
}

std::string DocumentState::Caption(bool modified) const {
    std::string caption = std::string(AppTitle) + " - " + File_;
    if (!Named() && !TargetFolder_.empty())
        caption += " (" + TargetFolder_ + TargetName_ + ")";
    if (modified)
        caption += " *";
    return caption;
}

std::string DocumentState::NameToAskAbout(PathStyle style) const {
    if (!Named() && !TargetName_.empty())
        return TargetName_;
    return NamePart(File_, style);
}

} // namespace qm
