//===- SaveChoice.h - The answer to "Save changes?" ----------------*- C++ -*-===//
//
// Shared by the document commands and every window's question box.
//
//===----------------------------------------------------------------------===//
#pragma once

namespace qm {

/// The answer to "Save changes?".
enum class SaveChoice { Save, Discard, Cancel };

} // namespace qm
