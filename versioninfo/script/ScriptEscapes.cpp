//===- ScriptEscapes.cpp - The escapes of a script's quoted strings -------===//

#include "versioninfo/script/ScriptEscapes.h"

#include "versioninfo/support/Text.h"
#include "versioninfo/support/Unicode.h"

#include <cstdio>

namespace qm {

namespace {} // namespace

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
            while (digits < 2 && isAscii(i + 1) && IsAsciiHexDigit(text[i + 1])) {
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

namespace {

/// The whole token's text between its quotes as UTF-16, read in the code
/// page, before escapes are looked at (escapes are ASCII in every one).
Expected<std::u16string> DecodeInCodePage(std::string_view bytes, ScriptCodePage codePage) {
    std::u32string characters;
    if (codePage == ScriptCodePage::Utf8) {
        if (!IsWellFormedUtf8(bytes))
            return Status::Fail("the string is not valid UTF-8");
        characters = DecodeUtf8(bytes);
    } else if (codePage == ScriptCodePage::Windows1252) {
        characters = DecodeWindows1252(bytes);
    } else {
        for (char c : bytes) {
            if (static_cast<unsigned char>(c) > 0x7F)
                return Status::Fail(
                    "byte " + std::to_string(static_cast<unsigned char>(c)) +
                    " is not ASCII, and no code page is given (-c 1252 or -c 65001)");
            characters += static_cast<char32_t>(static_cast<unsigned char>(c));
        }
    }
    return EncodeUtf16(characters);
}

/// An escape's value in a narrow string is a byte of the code page.
Expected<char16_t> NarrowEscape(unsigned value, ScriptCodePage codePage) {
    if (value > 0xFF)
        return Status::Fail("the escape gives " + std::to_string(value) +
                            ", more than a byte, in a narrow string");
    if (value < 0x80)
        return static_cast<char16_t>(value);
    if (codePage == ScriptCodePage::Windows1252)
        return static_cast<char16_t>(DecodeWindows1252(std::string(1, char(value)))[0]);
    return Status::Fail("the escape gives byte " + std::to_string(value) +
                        (codePage == ScriptCodePage::Utf8
                             ? ", which is no UTF-8 character"
                             : ", and no code page is given (-c 1252 or -c 65001)"));
}

bool IsOctalDigit(char16_t c) {
    return c >= '0' && c <= '7';
}

/// A numeric escape (\x.. or octal) whose first letter `kind` was just read
/// at in[i - 1]: at most 2 digits narrow, 4 hex or 6 octal wide.
Status AppendNumericEscape(const std::u16string& in, std::size_t& i, char16_t kind, bool wide,
                           ScriptCodePage codePage, std::u16string& out) {
    const bool hex = !IsOctalDigit(kind);
    unsigned value = hex ? 0 : unsigned(kind - '0');
    std::size_t digits = hex ? (wide ? 4 : 2) : (wide ? 6 : 2);
    for (; digits > 0 && i < in.size(); --digits, ++i) {
        const char16_t d = in[i];
        if (hex ? !(d < 0x80 && IsAsciiHexDigit(char(d))) : !IsOctalDigit(d))
            break;
        value = value * (hex ? 16 : 8) + unsigned(hex ? HexDigitValue(char(d)) : d - '0');
    }
    if (wide) {
        out += static_cast<char16_t>(value);
        return Status::Ok();
    }
    Expected<char16_t> unit = NarrowEscape(value, codePage);
    if (!unit)
        return Status::Fail(unit.message());
    out += *unit;
    return Status::Ok();
}

/// A letter escape whose letter `kind` was just read at in[i - 1].
Status AppendLetterEscape(const std::u16string& in, std::size_t& i, char16_t kind, bool wide,
                          std::u16string& out) {
    switch (kind) {
    case 'a':
    case 'A':
        out += u'\b'; // as Windows' rc: \a is a backspace
        break;
    case 'n':
        out += u'\n';
        break;
    case 'r':
        out += u'\r';
        break;
    case 't':
    case 'T':
        out += u'\t';
        break;
    case '\\':
        out += u'\\';
        break;
    case '"':
        if (i == in.size() || in[i] != '"')
            return Status::Fail("\\\" is not followed by a quote");
        ++i;
        out += u'"';
        break;
    default:
        // An unknown escape stays in a narrow string; a wide one drops it.
        if (!wide) {
            out += u'\\';
            out += kind;
        }
        break;
    }
    return Status::Ok();
}

/// The string's text, its doubled quotes and escapes resolved.
Expected<std::u16string> ResolveEscapes(const std::u16string& in, bool wide,
                                        ScriptCodePage codePage) {
    std::u16string out;
    for (std::size_t i = 0; i < in.size();) {
        const char16_t c = in[i++];
        if (c == '"') {
            ++i; // the lexer only ends a string at a lone quote: this is ""
            out += u'"';
            continue;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i == in.size())
            return Status::Fail("the string ends in a backslash");
        const char16_t kind = in[i++];
        const bool numeric = kind == 'x' || kind == 'X' || IsOctalDigit(kind);
        Status appended = numeric ? AppendNumericEscape(in, i, kind, wide, codePage, out)
                                  : AppendLetterEscape(in, i, kind, wide, out);
        if (!appended)
            return appended;
    }
    return out;
}

} // namespace

Expected<std::u16string> CompileStringToken(std::string_view token, ScriptCodePage codePage) {
    const bool wide = !token.empty() && (token.front() == 'L' || token.front() == 'l');
    if (wide)
        token.remove_prefix(1);
    if (token.size() < 2 || token.front() != '"' || token.back() != '"')
        return Status::Fail("not a quoted string");
    Expected<std::u16string> decoded =
        DecodeInCodePage(token.substr(1, token.size() - 2), codePage);
    if (!decoded)
        return decoded;
    Expected<std::u16string> out = ResolveEscapes(*decoded, wide, codePage);
    if (!out)
        return out;
    // The compiler ends the text at its first NUL.
    const std::size_t nul = out->find(u'\0');
    if (nul != std::u16string::npos)
        out->resize(nul);
    return out;
}

} // namespace qm
