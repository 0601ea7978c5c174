//===- ScriptEscapes.cpp - The escapes of a script's quoted strings -------===//

#include "versioninfo/ScriptEscapes.h"

#include "versioninfo/Unicode.h"

#include <cstdio>

namespace qm {

namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    return (c | 0x20) - 'a' + 10;
}

} // namespace

std::string ScriptTextOfCompiled(std::string_view utf8) {
    std::size_t keep = utf8.size();
    while (keep > 0 && static_cast<unsigned char>(utf8[keep - 1]) <= 32)
        --keep; // the writer drops trailing blanks, so they go as escapes
    std::string text;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c == '\\') {
            text += "\\\\";
        } else if (c == '"') {
            text += "\"\"";
        } else if (c == '\n') {
            text += "\\n";
        } else if (c == '\r') {
            text += "\\r";
        } else if (c == '\t' && i < keep) {
            text += "\\t";
        } else if (c < 32 || c == 0x7F || (c == ' ' && i >= keep)) {
            char octal[8];
            std::snprintf(octal, sizeof octal, "\\%03o", c);
            text += octal;
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

// Escapes are ASCII, so the text is walked byte by byte: in UTF-8 every
// other byte passes through as it is, in Windows-1252 it is converted.
// Nothing as large as the text is made but the result.
std::string UnescapeScriptText(std::string_view text) {
    const bool utf8 = IsWellFormedUtf8(text);
    std::string out;
    out.reserve(text.size());
    auto put = [&out](char32_t c) { out += EncodeUtf8(std::u32string_view(&c, 1)); };
    auto isAscii = [&text](std::size_t at) {
        return at < text.size() && static_cast<unsigned char>(text[at]) < 0x80;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!isAscii(i)) {
            if (utf8)
                out += c;
            else
                put(DecodeWindows1252(text.substr(i, 1))[0]);
            continue;
        }
        if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
            out += '"';
            ++i;
            continue;
        }
        if (c != '\\' || !isAscii(i + 1)) {
            out += c; // a backslash before a non-ASCII character stays
            continue;
        }
        const char e = text[++i];
        if (e == '\\') {
            out += '\\';
        } else if (e == 'n') {
            out += '\n';
        } else if (e == 'r') {
            out += '\r';
        } else if (e == 't' || e == 'T') {
            out += '\t';
        } else if (e == 'a' || e == 'A') {
            out += '\x08'; // what the compilers make of \a
        } else if (e == 'x' || e == 'X') {
            char32_t value = 0;
            std::size_t digits = 0;
            while (digits < 2 && isAscii(i + 1) && IsHexDigit(text[i + 1])) {
                value = value * 16 + static_cast<char32_t>(HexDigitValue(text[++i]));
                ++digits;
            }
            if (digits == 0)
                out += "\\x";
            else
                put(value);
        } else if (e >= '0' && e <= '7') {
            char32_t value = static_cast<char32_t>(e - '0');
            for (std::size_t digits = 1;
                 digits < 3 && isAscii(i + 1) && text[i + 1] >= '0' && text[i + 1] <= '7'; ++digits)
                value = value * 8 + static_cast<char32_t>(text[++i] - '0');
            put(value);
        } else {
            out += '\\';
            out += e;
        }
    }
    return out;
}

std::string CompiledOfScriptText(std::string_view scriptText) {
    std::string out = UnescapeScriptText(scriptText);
    const std::size_t nul = out.find('\0');
    if (nul != std::string::npos)
        out.resize(nul);
    return out;
}

} // namespace qm
