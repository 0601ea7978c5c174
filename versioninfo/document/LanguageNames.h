//===- LanguageNames.h - winnt.h's LANG_ and SUBLANG_ names --------*- C++ -*-===//
//
// A LANGUAGE statement names its language with winnt.h's macros, as in
// LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US. The compiler reads no headers,
// so it knows their values from this table.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qm {

/// The value of a LANG_ or SUBLANG_ macro of winnt.h, or nothing.
std::optional<std::uint32_t> LanguageMacroValue(std::string_view name);

} // namespace qm
