//===- ByteText.h - Script bytes in JSON, losslessly -----------------------===//
//
// Script files are bytes in whatever 8-bit code page they were written in;
// JSON is Unicode. The rule used everywhere at that border:
//
//   * every run of bytes that is valid UTF-8 stands for those characters;
//   * every other byte B (0x80..0xFF) stands for the lone surrogate
//     U+DC00 + B, i.e. U+DC80..U+DCFF, written "\udcXX" in JSON.
//
// Valid UTF-8 never encodes a surrogate, so the two cases cannot collide and
// bytes -> JSON -> bytes is the identity for every byte string.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/support/Status.h"

#include <nlohmann/json_fwd.hpp>

#include <cstddef>
#include <string>
#include <string_view>

namespace qm {

/// Length of the well-formed UTF-8 sequence that starts at `at` (1 to 4), or
/// 0 when the byte there does not begin one. Overlong forms, encoded
/// surrogates and code points above U+10FFFF are not well-formed.
std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t at);

/// `bytes` as a JSON string literal, quotes included, by the rule above.
std::string JsonStringLiteral(std::string_view bytes);

/// Parses a JSON document whose strings follow the rule above: every string
/// of the result holds the bytes it stands for. Fails with the parser's
/// message and the byte offset in `json`, and on a lone surrogate that
/// stands for no byte.
Expected<nlohmann::json> ParseJsonBytes(std::string_view json);
/// The same, keeping the members of each object in the document's order.
Expected<nlohmann::ordered_json> ParseOrderedJsonBytes(std::string_view json);

} // namespace qm
