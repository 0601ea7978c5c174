//===- RulesFuzzer.cpp - libFuzzer target for the number and path rules ---===//
//
// The first input byte picks the rule; the rest is its text. Each rule is
// compared with a plain reference written here from the rule's words, in a
// different way from the program's (whole-text matching and string
// comparison instead of a digit-by-digit scan):
//  - the integer rule of a stored setting, on 8-bit and on UTF-16 texts;
//  - the folder part, name part and ".rc" extension of a path.
//
//===----------------------------------------------------------------------===//
#include "fuzz/FuzzCheck.h"

#include "settings/SettingNumbers.h"
#ifdef QM_FUZZ_PATH_RULES
#include "app/PathRules.h"
#endif

#include <QString>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

namespace qm::fuzz {
namespace {

// --- Integer rule -----------------------------------------------------------

bool IsDecimal(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool IsHex(char16_t c) {
    return IsDecimal(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

template <typename Pred> bool AllOf(std::u16string_view text, Pred pred) {
    for (char16_t c : text)
        if (!pred(c))
            return false;
    return true;
}

std::u16string_view WithoutLeadingZeros(std::u16string_view digits) {
    while (digits.size() > 1 && digits.front() == u'0')
        digits.remove_prefix(1);
    return digits;
}

// Digits that fit in 64 bits (at most 16 hex or 18 decimal ones).
std::uint64_t DigitsValue(std::u16string_view digits, int base) {
    std::uint64_t value = 0;
    for (char16_t c : digits) {
        const int digit = IsDecimal(c) ? c - u'0' : (c | 0x20) - u'a' + 10;
        value = value * base + digit;
    }
    return value;
}

// Leading blanks, then "$" and hexadecimal digits (all 32 bits usable), or an
// optional sign and decimal digits within signed 32 bits; nothing after.
std::optional<std::int32_t> ReferenceWholeNumber(std::u16string_view text) {
    while (!text.empty() && text.front() <= 32)
        text.remove_prefix(1);
    if (!text.empty() && text.front() == u'$') {
        std::u16string_view digits = text.substr(1);
        if (digits.empty() || !AllOf(digits, IsHex))
            return std::nullopt;
        digits = WithoutLeadingZeros(digits);
        if (digits.size() > 8)
            return std::nullopt;
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(DigitsValue(digits, 16)));
    }
    bool negative = false;
    if (!text.empty() && (text.front() == u'+' || text.front() == u'-')) {
        negative = text.front() == u'-';
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

std::int32_t ReferenceIntegerSetting(std::u16string text, std::int32_t fallback) {
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X'))
        text = u"$" + text.substr(2);
    return ReferenceWholeNumber(text).value_or(fallback);
}

void CheckIntegerRule(const QString& text) {
    const std::u16string utf16 = text.toStdU16String();
    constexpr std::int32_t Fallback = -424242;
    FUZZ_CHECK(ReadWholeNumber(text.toStdString()) == ReferenceWholeNumber(utf16));
    FUZZ_CHECK(ReadIntegerSetting(text.toStdString(), Fallback) == ReferenceIntegerSetting(utf16, Fallback));
}

// --- Path rules -------------------------------------------------------------

#ifdef QM_FUZZ_PATH_RULES
void CheckPathRules(const QString& path) {
    qsizetype lastSeparator = -1;
    for (qsizetype i = 0; i < path.size(); ++i)
        if (IsPathSeparator(path[i]))
            lastSeparator = i;
    const QString folder = path.left(lastSeparator + 1);
    const QString name = path.mid(lastSeparator + 1);
    FUZZ_CHECK(PathFolder(path) == folder);
    FUZZ_CHECK(PathName(path) == name);

    const qsizetype dot = name.lastIndexOf(u'.');
    const QString stem = dot < 0 ? name : name.left(dot);
    const QString withRc = PathWithRcExtension(path);
    FUZZ_CHECK(withRc == folder + stem + QStringLiteral(".rc"));
    // Replacing the extension is stable and never touches the folder part.
    FUZZ_CHECK(PathWithRcExtension(withRc) == withRc);
    FUZZ_CHECK(PathFolder(withRc) == folder);
}
#endif

} // namespace
} // namespace qm::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const char* text = reinterpret_cast<const char*>(data + 1);
    const qsizetype length = static_cast<qsizetype>(size - 1);
    switch (data[0] % 4) {
    case 0:
        qm::fuzz::CheckIntegerRule(QString::fromLatin1(text, length));
        break;
    case 1: {
        // Copied rather than cast: the input need not be aligned for char16_t.
        std::u16string utf16(static_cast<size_t>(length / 2), u'\0');
        std::memcpy(utf16.data(), text, utf16.size() * sizeof(char16_t));
        qm::fuzz::CheckIntegerRule(QString::fromStdU16String(utf16));
        break;
    }
#ifdef QM_FUZZ_PATH_RULES
    case 2:
        qm::fuzz::CheckPathRules(QString::fromUtf8(text, length));
        break;
    case 3:
        qm::fuzz::CheckPathRules(QString::fromLatin1(text, length));
        break;
#endif
    default:
        break;
    }
    return 0;
}
