//===- Unicode.cpp - UTF-8, UTF-16 and Windows-1252 conversions ------------===//

#include "versioninfo/support/Unicode.h"

#include <cstdio>

namespace qm {

namespace {

constexpr char32_t Replacement = 0xFFFD;

/// Length and value of the well-formed UTF-8 sequence at `at`; length 0
/// when there is none (overlong forms and surrogates are not well-formed).
std::size_t Utf8At(std::string_view bytes, std::size_t at, char32_t& value) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80) {
        value = lead;
        return 1;
    }
    std::size_t length;
    char32_t min;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, min = 0x80, value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, min = 0x800, value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, min = 0x10000, value = lead & 0x07;
    } else {
        return 0;
    }
    if (bytes.size() - at < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[at + i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

bool IsWellFormedUtf8(std::string_view bytes) {
    char32_t value;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = Utf8At(bytes, at, value);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

std::u32string DecodeUtf8(std::string_view bytes) {
    std::u32string text;
    text.reserve(bytes.size());
    char32_t value;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = Utf8At(bytes, at, value);
        text += length ? value : Replacement;
        at += length ? length : 1;
    }
    return text;
}

std::u32string DecodeWindows1252(std::string_view bytes) {
    // 0x80..0x9F; zero marks the unassigned bytes.
    static const char16_t High[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    std::u32string text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte <= 0x9F && High[byte - 0x80] != 0)
            text += High[byte - 0x80];
        else
            text += byte;
    }
    return text;
}

std::u32string DecodeScriptBytes(std::string_view bytes) {
    return IsWellFormedUtf8(bytes) ? DecodeUtf8(bytes) : DecodeWindows1252(bytes);
}

std::string EncodeUtf8(std::u32string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (char32_t c : text) {
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            c = Replacement;
        if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else if (c < 0x800) {
            bytes += static_cast<char>(0xC0 | (c >> 6));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            bytes += static_cast<char>(0xE0 | (c >> 12));
            bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | (c >> 18));
            bytes += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return bytes;
}

std::u32string DecodeUtf16Le(std::string_view bytes) {
    std::u32string text;
    text.reserve(bytes.size() / 2);
    auto unit = [&](std::size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    };
    const std::size_t units = bytes.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        const char32_t first = unit(i);
        if (first >= 0xD800 && first <= 0xDBFF && i + 1 < units) {
            const char32_t second = unit(i + 1);
            if (second >= 0xDC00 && second <= 0xDFFF) {
                text += 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
                ++i;
                continue;
            }
        }
        text += (first >= 0xD800 && first <= 0xDFFF) ? Replacement : first;
    }
    return text;
}

std::optional<std::string> Utf8OfUtf16Script(std::string_view bytes) {
    // Text in UTF-16 has NUL bytes (every ASCII character has one), and an
    // 8-bit script ends at its first NUL; so an 8-bit comment line that
    // happens to begin with the bytes of the mark ("ÿþ" in Latin-1) is
    // never taken for UTF-16.
    if (bytes.size() < 2 || bytes.size() % 2 != 0 || bytes.substr(0, 2) != "\xFF\xFE" ||
        bytes.find('\0') == std::string_view::npos)
        return std::nullopt;
    const std::u32string text = DecodeUtf16Le(bytes.substr(2));
    std::string utf8 = EncodeUtf8(text);
    if (Utf16ScriptOfUtf8(utf8) != bytes)
        return std::nullopt; // a lone surrogate became U+FFFD
    return utf8;
}

std::string Utf16ScriptFault(std::string_view bytes) {
    if (bytes.size() < 2 || bytes.substr(0, 2) != "\xFF\xFE" ||
        bytes.find('\0') == std::string_view::npos)
        return {};
    if (bytes.size() % 2 != 0)
        return "it begins as a UTF-16 script does, but its " + std::to_string(bytes.size()) +
               " bytes are an odd number, so the last is half a character";
    auto unit = [&](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(bytes[at]) |
                                     (static_cast<unsigned char>(bytes[at + 1]) << 8));
    };
    for (std::size_t at = 2; at + 1 < bytes.size(); at += 2) {
        const unsigned first = unit(at);
        const bool high = first >= 0xD800 && first <= 0xDBFF;
        const bool low = first >= 0xDC00 && first <= 0xDFFF;
        if (high && at + 3 < bytes.size() && unit(at + 2) >= 0xDC00 && unit(at + 2) <= 0xDFFF) {
            at += 2;
            continue;
        }
        if (high || low) {
            char where[64];
            std::snprintf(where, sizeof where, "0x%04X at offset 0x%zX", first, at);
            return "it is a UTF-16 script, but holds the lone surrogate " + std::string(where) +
                   ", which stands for no character";
        }
    }
    return {};
}

std::string Utf16ScriptOfUtf8(std::string_view utf8) {
    std::string out = "\xFF\xFE";
    for (char32_t c : DecodeUtf8(utf8)) {
        auto unit = [&out](unsigned u) {
            out += static_cast<char>(u & 0xFF);
            out += static_cast<char>(u >> 8);
        };
        if (c >= 0x10000) {
            c -= 0x10000;
            unit(0xD800 + (c >> 10));
            unit(0xDC00 + (c & 0x3FF));
        } else {
            unit(c);
        }
    }
    return out;
}

std::u16string EncodeUtf16(std::u32string_view text) {
    std::u16string units;
    units.reserve(text.size());
    for (char32_t c : text) {
        if (c > 0xFFFF) {
            c -= 0x10000;
            units += static_cast<char16_t>(0xD800 + (c >> 10));
            units += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            units += static_cast<char16_t>(c);
        }
    }
    return units;
}

} // namespace qm
