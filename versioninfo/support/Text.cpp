//===- Text.cpp - Byte-text helpers shared by the core ---------------------===//
//
// Trimming, line splitting and joining on raw bytes. Nothing here decodes or
// re-encodes text; bytes above 0x7F are ordinary characters.
//
//===----------------------------------------------------------------------===//
#include "versioninfo/support/Text.h"

#include <algorithm>

#include <cstdint>
#include <cstring>

namespace qm {

std::string_view TrimLeft(std::string_view text) {
    size_t start = 0;
    while (start < text.size() && IsBlank(text[start]))
        ++start;
    return text.substr(start);
}

std::string_view TrimRight(std::string_view text) {
    size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1]))
        --end;
    return text.substr(0, end);
}

std::string_view Trim(std::string_view text) {
    return TrimRight(TrimLeft(text));
}

Lines SplitLines(std::string_view bytes) {
    // A NUL ends the text: whatever follows it is never seen.
    if (const void* nul = std::memchr(bytes.data(), '\0', bytes.size()))
        bytes = bytes.substr(0, static_cast<const char*>(nul) - bytes.data());

    Lines lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            lines.emplace_back(bytes.substr(pos));
            break;
        }
        lines.emplace_back(bytes.substr(pos, end - pos));
        // CR LF is one break; a lone CR or a lone LF is one break too.
        pos = end + 1;
        if (bytes[end] == '\r' && pos < bytes.size() && bytes[pos] == '\n')
            ++pos;
    }
    return lines;
}

std::string JoinCrLf(const Lines& lines) {
    size_t total = 0;
    for (const std::string& line : lines)
        total += line.size() + 2;
    std::string text;
    text.reserve(total);
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string HexText(long long value) {
    unsigned long long bits =
        value < 0 ? static_cast<std::uint32_t>(value) : static_cast<unsigned long long>(value);
    static const char Digits[] = "0123456789ABCDEF";
    std::string reversed;
    do {
        reversed += Digits[bits & 0xF];
        bits >>= 4;
    } while (bits != 0);
    return std::string(reversed.rbegin(), reversed.rend());
}

std::optional<std::uint64_t> ScriptNumberValue(std::string_view token) {
    constexpr std::uint64_t TooLarge = 0x100000000ull;
    while (!token.empty() && std::string_view("lLuU").find(token.back()) != std::string_view::npos)
        token.remove_suffix(1);
    int base = 10;
    if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
        base = 16;
        token.remove_prefix(2);
    } else if (token.size() > 1 && token[0] == '0') {
        base = 8;
        token.remove_prefix(1);
    }
    if (token.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : token) {
        int digit = 99;
        if (IsAsciiDigit(c))
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit >= base)
            return std::nullopt;
        value = std::min(
            value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit), TooLarge);
    }
    return value;
}

std::string Quote(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string Hex(std::uint32_t value) {
    return "0x" + HexText(value);
}

std::string Hex4(unsigned value) {
    static const char Digits[] = "0123456789ABCDEF";
    std::string text(4, '0');
    for (int i = 3; i >= 0; --i, value >>= 4)
        text[static_cast<std::size_t>(i)] = Digits[value & 0xF];
    return text;
}

} // namespace qm
