//===- ScriptConditions.h - The integer expressions of #if and #elif -*- C++ -*-===//
//
// What the preprocessor computes for #if and #elif, once `defined` has been
// answered and the macros expanded: integers with C's operators and
// precedence, where a name left over counts as 0. Arithmetic wraps rather
// than overflowing, and expressions may nest at most MaxConditionNesting
// deep, which no script comes near.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/script/MacroExpander.h"
#include "versioninfo/support/Status.h"

#include <vector>

namespace qm {

inline constexpr int MaxConditionNesting = 256;

/// The value of the expression `tokens`; fails, quoting it, when it is no
/// expression, divides by zero or nests too deep.
Expected<long long> EvaluateCondition(const std::vector<PpToken>& tokens);

} // namespace qm
