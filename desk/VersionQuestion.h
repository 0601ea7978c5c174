//===- VersionQuestion.h - The version check before a save --------*- C++ -*-===//
//
// A save asks before writing versions a resource compiler would refuse or
// change; Save & Compile also asks about version strings at odds with the
// fixed versions. A fixed version written with dots, which no compiler
// reads as four parts, is offered in its comma form, and going on writes
// that. The question is formed here, so both windows ask the same.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/document/VersionRecord.h"

#include <functional>
#include <string>

namespace qm {

/// Which findings stop a save to ask.
enum class VersionFindings {
    Refused,       ///< what a resource compiler refuses or changes
    RefusedOrOdds, ///< those, and version strings at odds with the fixed versions
};

struct VersionReview {
    bool Ask = false;      ///< false: nothing to ask, write the record as it is
    std::string Question;  ///< the box's text, ending in the caller's question
    VersionRecord Written; ///< what going on writes
};

/// The review of `record` for `asked`; the findings quote the record's
/// bytes through `shown`, the window's display of them.
VersionReview ReviewVersions(const VersionRecord& record, VersionFindings asked,
                             const std::string& question,
                             const std::function<std::string(const std::string&)>& shown);

} // namespace qm
