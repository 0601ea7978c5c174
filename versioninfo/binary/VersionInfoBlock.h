//===- VersionInfoBlock.h - Decoding a compiled VS_VERSIONINFO ----*- C++ -*-===//
//
// A version resource is a tree of blocks, each a length, a value length, a
// type, a UTF-16 key and a value, padded to four bytes, then its children:
// VS_VERSION_INFO holds the fixed file information and the blocks
// StringFileInfo (string tables of key/value pairs) and VarFileInfo (the
// Translation pairs). The tree is fixed in depth, so the decoder walks it
// with loops; every length is checked against its parent's end.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/document/VersionInfo.h"
#include "versioninfo/support/Status.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm {

/// Decodes the data of a version resource. `fileOffset` is where `data`
/// starts in its file, so that messages name file offsets. Fails with a
/// message naming the block and its offset when a length runs past its
/// parent, a key has no end or the fixed information is missing. Blocks
/// it does not know are skipped. Never throws.
Expected<CompiledVersionInfo> DecodeVersionInfo(std::string_view data, std::size_t fileOffset = 0);

/// Everything a version resource holds, whatever its layout: one line per
/// block and value (its path of keys, its kind, its text up to the first
/// NUL or its bytes) and the fixed information's bytes, sorted. Two
/// resources with the same outline read the same through VerQueryValue.
Expected<std::vector<std::string>> VersionInfoOutline(std::string_view data);

/// `original` with the change that turned `before` into `after`, where
/// those are what one script compiles to before and after an edit and the
/// script was read from `original`. What the edit leaves alone keeps its
/// bytes, including what no script can carry (binary values, blocks of
/// their own, the file date): fixed information is changed word by word,
/// a changed string or Translation is taken whole from `after`, a string
/// the edit adds goes after its neighbour, and one it removes goes. Fails
/// when a resource can't be read as a tree or the result outgrows the
/// format's 16-bit lengths.
Expected<std::string> CarryVersionEdit(std::string_view original, std::string_view before,
                                       std::string_view after);

} // namespace qm
