//===- ByteText.cpp - Script bytes in JSON, losslessly ---------------------===//
//
// The parser (nlohmann::json) refuses lone surrogates, so the "\udcXX"
// escapes are swapped before it runs for a two-character form it accepts
// and swapped back in every string it returns. The form is U+FFFF followed
// by U+0080..U+00FF (the byte); a U+FFFF of the input itself is doubled, so
// the swap is lossless whatever the document holds.
//
//===----------------------------------------------------------------------===//

#include "ByteText.h"

#include "versioninfo/support/Text.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace qm {

namespace {

constexpr unsigned EscapeBase = 0xDC00;
/// U+FFFF in UTF-8: the marker of the swapped form.
constexpr std::string_view Marker = "\xEF\xBF\xBF";

bool IsContinuation(unsigned char b, unsigned char low = 0x80, unsigned char high = 0xBF) {
    return b >= low && b <= high;
}

void AppendEscape(std::string& out, const char* format, unsigned value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, format, value);
    out += buffer;
}

/// The UTF-16 unit of the "\uXXXX" escape at `at`, if one is there.
std::optional<unsigned> EscapedUnit(std::string_view json, std::size_t at) {
    if (json.size() - at < 6 || json[at] != '\\' || json[at + 1] != 'u')
        return std::nullopt;
    unsigned unit = 0;
    for (std::size_t i = at + 2; i < at + 6; ++i) {
        const char c = json[i];
        unsigned digit = 0;
        if (IsAsciiDigit(c))
            digit = static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return std::nullopt;
        unit = unit * 16 + digit;
    }
    return unit;
}

/// Where each swap moved the text: the offset after it in the swapped text,
/// and the same place in the original.
using OffsetMap = std::vector<std::pair<std::size_t, std::size_t>>;

/// The document with every byte escape and every U+FFFF swapped for the
/// parser (see the banner). Only string contents change.
std::string SwapByteEscapes(std::string_view json, OffsetMap& offsets) {
    std::string out;
    out.reserve(json.size());
    bool inString = false;
    for (std::size_t at = 0; at < json.size(); ++at) {
        const char c = json[at];
        if (!inString || c == '"') {
            inString = inString ? false : c == '"';
            out += c;
            continue;
        }
        if (c == '\\') {
            const std::optional<unsigned> unit = EscapedUnit(json, at);
            const std::optional<unsigned> next = unit ? EscapedUnit(json, at + 6) : std::nullopt;
            if (unit && *unit >= 0xD800 && *unit <= 0xDBFF && next && *next >= 0xDC00 &&
                *next <= 0xDFFF) {
                out.append(json.substr(at, 12)); // a pair is a character, not a byte
                at += 11;
            } else if (unit && *unit >= EscapeBase + 0x80 && *unit <= EscapeBase + 0xFF) {
                AppendEscape(out, "\\uffff\\u%04x", *unit - EscapeBase);
                at += 5;
                offsets.emplace_back(out.size(), at + 1);
            } else if (unit && *unit == 0xFFFF) {
                out += "\\uffff\\uffff";
                at += 5;
                offsets.emplace_back(out.size(), at + 1);
            } else if (at + 1 < json.size()) {
                out += c;
                out += json[++at];
            } else {
                out += c;
            }
            continue;
        }
        if (json.substr(at, Marker.size()) == Marker) {
            out += "\\uffff\\uffff";
            at += Marker.size() - 1;
            offsets.emplace_back(out.size(), at + 1);
            continue;
        }
        out += c;
    }
    return out;
}

std::size_t OriginalOffset(const OffsetMap& offsets, std::size_t swapped) {
    auto after = std::upper_bound(offsets.begin(), offsets.end(),
                                  std::make_pair(swapped, std::numeric_limits<std::size_t>::max()));
    if (after == offsets.begin())
        return swapped;
    --after;
    return swapped - after->first + after->second;
}

/// A parsed string back to the bytes it stands for.
std::string UnswapString(const std::string& text) {
    if (text.find(Marker) == std::string::npos)
        return text;
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text.compare(at, Marker.size(), Marker) != 0) {
            bytes += text[at];
            continue;
        }
        at += Marker.size();
        if (text.compare(at, Marker.size(), Marker) == 0) {
            bytes += Marker;
            at += Marker.size() - 1;
        } else {
            // U+0080..U+00FF: C2 80..C3 BF, whose value is the byte.
            const auto lead = static_cast<unsigned char>(text[at]);
            const auto trail = static_cast<unsigned char>(text[at + 1]);
            bytes += static_cast<char>(((lead & 0x03u) << 6) | (trail & 0x3Fu));
            ++at;
        }
    }
    return bytes;
}

/// Every string of `document`, member names included, back to its bytes.
/// Iterative: a hostile document may nest deeper than the stack reaches.
template <class JsonT> void UnswapStrings(JsonT& document) {
    std::vector<JsonT*> pending{&document};
    while (!pending.empty()) {
        JsonT& value = *pending.back();
        pending.pop_back();
        if (value.is_string()) {
            value = UnswapString(value.template get_ref<const std::string&>());
        } else if (value.is_array()) {
            for (JsonT& item : value)
                pending.push_back(&item);
        } else if (value.is_object()) {
            // Names are keys of the object's map, so a changed one means a
            // new member; the values move over untouched.
            std::vector<std::pair<std::string, std::string>> renamed;
            for (auto& [name, member] : value.items()) {
                std::string bytes = UnswapString(name);
                if (bytes != name)
                    renamed.emplace_back(name, std::move(bytes));
            }
            for (auto& [name, bytes] : renamed) {
                JsonT member = std::move(value[name]);
                value.erase(name);
                value[bytes] = std::move(member);
            }
            for (auto& [name, member] : value.items())
                pending.push_back(&member);
        }
    }
}

/// nlohmann's message without its id and the line and column, which count
/// in the swapped text.
std::string WithoutPosition(std::string what) {
    if (const std::size_t colon = what.find(": "); colon != std::string::npos)
        return what.substr(colon + 2);
    if (const std::size_t bracket = what.find("] "); bracket != std::string::npos)
        return what.substr(bracket + 2);
    return what;
}

} // namespace

std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // overlong
        if (lead == 0xED)
            high = 0x9F; // U+D800..U+DFFF
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90; // overlong
        if (lead == 0xF4)
            high = 0x8F; // above U+10FFFF
    } else {
        return 0;
    }
    if (bytes.size() - at < length || !IsContinuation(byte(1), low, high))
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (!IsContinuation(byte(i)))
            return 0;
    }
    return length;
}

std::string JsonStringLiteral(std::string_view bytes) {
    std::string out = "\"";
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t length = Utf8SequenceLength(bytes, at);
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (length == 0) {
            AppendEscape(out, "\\udc%02x", byte);
            ++at;
            continue;
        }
        if (length > 1) {
            out.append(bytes.substr(at, length));
        } else if (byte == '"' || byte == '\\') {
            out += '\\';
            out += static_cast<char>(byte);
        } else if (byte == '\n') {
            out += "\\n";
        } else if (byte == '\r') {
            out += "\\r";
        } else if (byte == '\t') {
            out += "\\t";
        } else if (byte < 0x20) {
            AppendEscape(out, "\\u%04x", byte);
        } else {
            out += static_cast<char>(byte);
        }
        at += length;
    }
    return out + '"';
}

namespace {

template <class JsonT> Expected<JsonT> ParseJsonBytesAs(std::string_view json) {
    OffsetMap offsets;
    const std::string swapped = SwapByteEscapes(json, offsets);
    try {
        JsonT document = JsonT::parse(swapped);
        UnswapStrings(document);
        return document;
    } catch (const nlohmann::json::parse_error& error) {
        // nlohmann counts from 1, to the byte it stopped at.
        const std::size_t at = OriginalOffset(offsets, error.byte > 0 ? error.byte - 1 : 0);
        return Status::Fail("Invalid JSON at offset " + std::to_string(at) + ": " +
                            WithoutPosition(error.what()));
    } catch (const nlohmann::json::exception& error) {
        // A number too large for a double, and the like.
        return Status::Fail(std::string("Invalid JSON: ") + WithoutPosition(error.what()));
    }
}

} // namespace

Expected<nlohmann::json> ParseJsonBytes(std::string_view json) {
    return ParseJsonBytesAs<nlohmann::json>(json);
}

Expected<nlohmann::ordered_json> ParseOrderedJsonBytes(std::string_view json) {
    return ParseJsonBytesAs<nlohmann::ordered_json>(json);
}

} // namespace qm
