//===- LossCheck.h - What writing a read script back would lose ---*- C++ -*-===//
//
// The window's Save (and `set --force` on a file with no VERSIONINFO)
// writes the whole script from the record, which holds only the version
// information: any other resource, a second language block, a comment
// inside the block, an extra VALUE key or the bytes after a NUL would
// silently be gone. This finds them before anything is written. Values the writer spells
// differently (a flags number, a string without its "\0") are not losses: the line is still
// written.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/script/ScriptReader.h"

#include <string>
#include <string_view>
#include <vector>

namespace qm {

/// What writing `read.Record` in place of the script `bytes` (that `read`
/// came from) would lose, one line of text each: the read's "Can't find"
/// reports, "line N: TEXT" for every non-blank line the written script
/// would not hold, and text after a NUL byte. Empty when nothing would be
/// lost.
std::vector<std::string> WhatWritingBackLoses(std::string_view bytes, const ReadResult& read);

} // namespace qm
