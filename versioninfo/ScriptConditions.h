//===- ScriptConditions.h - The integer expressions of #if and #elif -*- C++ -*-===//
//
// What the preprocessor computes for #if and #elif: integers with the C
// operators, `defined NAME` and `defined(NAME)`. A name the script does not
// define counts as 0, as it does for the preprocessor; an object-like macro
// counts as the value of its body.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "Status.h"

#include <map>
#include <string>
#include <string_view>

namespace qm {

struct ScriptMacro {
    std::string Body;
    bool FunctionLike = false;
};

using ScriptMacros = std::map<std::string, ScriptMacro>;

/// The value of `text`; fails, quoting it, when it is no expression.
Expected<long long> EvaluateCondition(std::string_view text, const ScriptMacros& macros);

} // namespace qm
