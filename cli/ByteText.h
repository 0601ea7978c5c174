//===- ByteText.h - Lossless bytes <-> Unicode text for the command line --===//
//
// Script files are bytes in whatever 8-bit code page they were written in;
// JSON and QString are Unicode. The rule used everywhere at that border:
//
//   * every run of bytes that is valid UTF-8 stands for those characters;
//   * every other byte B (0x80..0xFF) stands for the lone surrogate
//     U+DC00 + B, i.e. U+DC80..U+DCFF, written "\udcXX" in JSON.
//
// Valid UTF-8 never encodes a surrogate, so the two cases cannot collide and
// bytes -> text -> bytes is the identity for every byte string.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/Status.h"

#include <QString>

#include <cstddef>
#include <string>
#include <string_view>

namespace qm {

/// Length of the well-formed UTF-8 sequence that starts at `at` (1 to 4), or
/// 0 when the byte there does not begin one. Overlong forms, encoded
/// surrogates and code points above U+10FFFF are not well-formed.
std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t at);

/// Bytes to text by the rule above. Never fails.
QString BytesToText(std::string_view bytes);

/// Text to bytes by the rule above. Fails on a surrogate that stands for no
/// byte (an unpaired one outside U+DC80..U+DCFF).
Expected<std::string> TextToBytes(const QString& text);

} // namespace qm
