//===- RulesFuzzer.cpp - libFuzzer target for the number and path rules ---===//
//
// The first input byte picks the rule; the rest is its text. Each rule is
// compared with a plain reference written here from the rule's words, in a
// different way from the program's (whole-text matching and string
// comparison instead of a digit-by-digit scan):
//  - the integer rule of a stored setting;
//  - the folder part, name part, containing folder and extension of a path,
//    in both styles.
//
//===----------------------------------------------------------------------===//
#include "fuzz/FuzzCheck.h"

#include "settings/SettingNumbers.h"
#include "versioninfo/support/PathParts.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

namespace qm::fuzz {
namespace {

// --- Integer rule -----------------------------------------------------------

bool IsDecimal(char c) {
    return c >= '0' && c <= '9';
}

bool IsHex(char c) {
    return IsDecimal(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

template <typename Pred> bool AllOf(std::string_view text, Pred pred) {
    for (char c : text)
        if (!pred(c))
            return false;
    return true;
}

std::string_view WithoutLeadingZeros(std::string_view digits) {
    while (digits.size() > 1 && digits.front() == '0')
        digits.remove_prefix(1);
    return digits;
}

// Digits that fit in 64 bits (at most 16 hex or 18 decimal ones).
std::uint64_t DigitsValue(std::string_view digits, int base) {
    std::uint64_t value = 0;
    for (char c : digits) {
        const int digit = IsDecimal(c) ? c - '0' : (c | 0x20) - 'a' + 10;
        value = value * base + digit;
    }
    return value;
}

// Leading blanks, then "$" and hexadecimal digits (all 32 bits usable), or an
// optional sign and decimal digits within signed 32 bits; nothing after.
std::optional<std::int32_t> ReferenceWholeNumber(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32)
        text.remove_prefix(1);
    if (!text.empty() && text.front() == '$') {
        std::string_view digits = text.substr(1);
        if (digits.empty() || !AllOf(digits, IsHex))
            return std::nullopt;
        digits = WithoutLeadingZeros(digits);
        if (digits.size() > 8)
            return std::nullopt;
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(DigitsValue(digits, 16)));
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !AllOf(text, IsDecimal))
        return std::nullopt;
    text = WithoutLeadingZeros(text);
    if (text.size() > 10)
        return std::nullopt;
    const std::int64_t magnitude = static_cast<std::int64_t>(DigitsValue(text, 10));
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t ReferenceIntegerSetting(std::string text, std::int32_t fallback) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text = "$" + text.substr(2);
    return ReferenceWholeNumber(text).value_or(fallback);
}

void CheckIntegerRule(const std::string& text) {
    constexpr std::int32_t Fallback = -424242;
    FUZZ_CHECK(ReadWholeNumber(text) == ReferenceWholeNumber(text));
    FUZZ_CHECK(ReadIntegerSetting(text, Fallback) == ReferenceIntegerSetting(text, Fallback));
}

// --- Path rules -------------------------------------------------------------

void CheckPathRules(const std::string& path, PathStyle style) {
    std::size_t nameStart = 0;
    for (std::size_t i = 0; i < path.size(); ++i)
        if (path[i] == '/' || (style == PathStyle::Windows && (path[i] == '\\' || path[i] == ':')))
            nameStart = i + 1;
    const std::string folder = path.substr(0, nameStart);
    const std::string name = path.substr(nameStart);
    FUZZ_CHECK(FolderPart(path, style) == folder);
    FUZZ_CHECK(NamePart(path, style) == name);

    const std::size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string withRc = ReplaceExtension(path, ".rc", style);
    FUZZ_CHECK(withRc == folder + stem + ".rc");
    // Replacing the extension is stable and never touches the folder part.
    FUZZ_CHECK(ReplaceExtension(withRc, ".rc", style) == withRc);
    FUZZ_CHECK(FolderPart(withRc, style) == folder);

    // The containing folder is the folder part, less a last separator that
    // does not help name it.
    const std::string container = ContainingFolder(path, style);
    FUZZ_CHECK(container == folder || container + folder.back() == folder);
    if (container != folder)
        FUZZ_CHECK(!container.empty() && !IsPathSeparator(container.back(), style));
}

} // namespace
} // namespace qm::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 4) {
    case 0:
        qm::fuzz::CheckIntegerRule(text);
        break;
    case 1:
        qm::fuzz::CheckIntegerRule("0x" + text); // the stored hexadecimal form
        break;
    case 2:
        qm::fuzz::CheckPathRules(text, qm::PathStyle::Posix);
        break;
    case 3:
        qm::fuzz::CheckPathRules(text, qm::PathStyle::Windows);
        break;
    default:
        break;
    }
    return 0;
}
