//===- VersionCheck.cpp - Findings about a document's versions -------------===//

#include "versioninfo/document/VersionCheck.h"

#include "versioninfo/document/CodePages.h"
#include "versioninfo/support/Unicode.h"

#include <algorithm>
#include <cstdio>

namespace qm {

namespace {

constexpr int FileVersionKey = Index(StringKey::FileVersion);
constexpr int ProductVersionKey = Index(StringKey::ProductVersion);
constexpr std::uint64_t PartLimit = 0xFFFF;
// Large enough for any 16-bit part, small enough never to overflow.
constexpr std::uint64_t ReadLimit = 0xFFFFFFFFull;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

/// Decimal digits at `at`, saturating at ReadLimit + 1; false when none.
bool ReadDecimal(std::string_view text, std::size_t& at, std::uint64_t& value) {
    const std::size_t start = at;
    value = 0;
    while (at < text.size() && IsDigit(text[at])) {
        if (value <= ReadLimit)
            value = value * 10 + static_cast<std::uint64_t>(text[at] - '0');
        ++at;
    }
    return at > start;
}

Expected<std::uint64_t> ParseNumber(std::string_view part) {
    std::optional<std::uint64_t> value = ScriptNumberValue(Trim(part));
    if (!value)
        return Status::Fail("");
    return *value;
}

std::string CodePointName(char32_t c) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(c));
    return buffer;
}

bool HoldsSymbolOrOperator(std::string_view text) {
    for (char c : text) {
        if (c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
            std::string_view("()+-*/|&~<>").find(c) != std::string_view::npos)
            return true;
    }
    return false;
}

void CheckFixedVersion(std::string_view text, std::string_view field, Findings& findings) {
    const std::string_view code = Trim(CodeBeforeComment(text));
    // Macros from the include lines and expressions such as VER_MAJOR or
    // 1+1 are the compiler's to work out; only plain numbers are checked.
    if (!CommaFormOfDotted(code) && !ParseVersionNumbers(code) && HoldsSymbolOrOperator(code))
        return;
    Expected<VersionParts> parts = ParseFixedVersion(text, field);
    if (!parts)
        findings.push_back({std::string(field), parts.message()});
}

void CheckStringVersion(const VersionRecord& record, int key, std::string_view fixedText,
                        std::string_view fixedField, Findings& findings) {
    const std::string name(StringKeys()[key]);
    const std::optional<std::string> text = QuotedValueText(record.StringValues[key]);
    Expected<VersionParts> fixed = ParseFixedVersion(fixedText, fixedField);
    if (!text || !fixed)
        return;
    const std::vector<std::uint64_t> shown = LeadingVersionNumbers(*text);
    if (shown.empty()) {
        findings.push_back({name, "The string " + name + " " + Quote(*text) +
                                      " does not begin with a version number; " +
                                      std::string(fixedField) + " is " + FixedVersionText(*fixed)});
        return;
    }
    if (StringVersionAgrees(shown, *fixed))
        return;
    if (ShowsLeadingParts(shown, *fixed)) {
        // "4.00" for 4, 0, 1381, 318: a short form, as many products show it.
        findings.push_back({name,
                            "The string " + name + " " + Quote(*text) + " shows the first " +
                                std::to_string(shown.size()) + " parts of " +
                                std::string(fixedField) + " " + FixedVersionText(*fixed),
                            true});
        return;
    }
    findings.push_back({name, "The string " + name + " " + Quote(*text) + " disagrees with " +
                                  std::string(fixedField) + " " + FixedVersionText(*fixed)});
}

void CheckCodePage(const VersionRecord& record, Findings& findings) {
    if (record.CodePage < 0 || static_cast<std::size_t>(record.CodePage) >= CodePageTable().size())
        return;
    const int codePage = CodePageValue(CodePageTable()[record.CodePage]);
    for (int key = 0; key < StringKeyCount; ++key) {
        const std::optional<std::string> text = QuotedValueText(record.StringValues[key]);
        if (!text)
            continue;
        // Bytes that are not UTF-8 are in the script's own 8-bit code page,
        // whose characters can't be told apart here; only 7-bit ASCII can
        // be checked for them.
        const bool utf8 = IsWellFormedUtf8(*text);
        for (char32_t c : utf8 ? DecodeUtf8(*text) : DecodeWindows1252(*text)) {
            if (c < 0x80)
                continue;
            const CodePageFit fit =
                utf8 ? CodePageHolds(codePage, c)
                     : (codePage == 0 ? CodePageFit::Lacks : CodePageFit::Unknown);
            if (fit != CodePageFit::Lacks)
                continue;
            const std::string name(StringKeys()[key]);
            const std::string shown =
                utf8 ? Quote(EncodeUtf8(std::u32string(1, c))) + " (" + CodePointName(c) + ")"
                     : "a byte above 127";
            findings.push_back({"CodePage", "The string " + name + " holds " + shown +
                                                ", which code page " + std::to_string(codePage) +
                                                " cannot hold"});
            break;
        }
    }
}

} // namespace

std::optional<std::string> CommaFormOfDotted(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && (text[0] == 'v' || text[0] == 'V'))
        text.remove_prefix(1);
    const std::size_t suffix = text.find_first_of("-+");
    if (suffix != std::string_view::npos) {
        if (suffix + 1 >= text.size())
            return std::nullopt;
        text = text.substr(0, suffix);
    }
    std::vector<std::uint64_t> parts;
    std::size_t at = 0;
    for (;;) {
        std::uint64_t value;
        if (!ReadDecimal(text, at, value) || parts.size() == 4)
            return std::nullopt;
        parts.push_back(value);
        if (at == text.size())
            break;
        if (text[at] != '.')
            return std::nullopt;
        ++at;
    }
    if (parts.size() < 2)
        return std::nullopt;
    parts.resize(4, 0);
    std::string comma;
    for (std::size_t i = 0; i < parts.size(); ++i)
        comma += (i ? ", " : "") + std::to_string(parts[i]);
    return comma;
}

Expected<std::vector<std::uint64_t>> ParseVersionNumbers(std::string_view text) {
    std::vector<std::uint64_t> numbers;
    for (std::size_t start = 0, part = 1;; ++part) {
        const std::size_t comma = text.find(',', start);
        const std::string_view piece = text.substr(start, comma - start);
        Expected<std::uint64_t> number = ParseNumber(piece);
        if (!number)
            return Status::Fail("part " + std::to_string(part) + " " + Quote(Trim(piece)) +
                                " is not a number");
        numbers.push_back(*number);
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    return numbers;
}

std::string_view CodeBeforeComment(std::string_view text) {
    return text.substr(0, std::min(text.find("//"), text.find("/*")));
}

Expected<VersionParts> ParseFixedVersion(std::string_view text, std::string_view field) {
    const std::string name(field);
    const std::string_view trimmed = Trim(CodeBeforeComment(text));
    if (trimmed.empty())
        return Status::Fail(name + " is empty; it needs four numbers such as 1, 0, 0, 0");
    if (std::optional<std::string> comma = CommaFormOfDotted(trimmed))
        return Status::Fail(name + " " + Quote(trimmed) +
                            " is a dotted version; a resource compiler needs " + *comma);
    Expected<std::vector<std::uint64_t>> numbers = ParseVersionNumbers(trimmed);
    if (!numbers)
        return Status::Fail(name + " " + Quote(trimmed) + ": " + numbers.message());
    if (numbers->size() != 4)
        return Status::Fail(name + " " + Quote(trimmed) + " has " +
                            std::to_string(numbers->size()) +
                            (numbers->size() == 1 ? " part" : " parts") +
                            "; it needs four (major, minor, patch, build)");
    VersionParts parts{};
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint64_t value = (*numbers)[i];
        if (value > PartLimit)
            return Status::Fail(
                name + " part " + std::to_string(i + 1) + " is " +
                (value > ReadLimit ? std::string("above 4294967295") : std::to_string(value)) +
                ", which does not fit in 16 bits (0 to 65535)");
        parts[i] = static_cast<std::uint16_t>(value);
    }
    return parts;
}

std::string FixedVersionText(const VersionParts& parts) {
    return std::to_string(parts[0]) + ", " + std::to_string(parts[1]) + ", " +
           std::to_string(parts[2]) + ", " + std::to_string(parts[3]);
}

std::string DottedVersionText(const VersionParts& parts) {
    return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." +
           std::to_string(parts[2]) + "." + std::to_string(parts[3]);
}

std::vector<std::uint64_t> LeadingVersionNumbers(std::string_view text, std::size_t* end) {
    std::size_t at = 0;
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    if (at < text.size() && (text[at] == 'v' || text[at] == 'V'))
        ++at;
    std::vector<std::uint64_t> numbers;
    std::size_t numbersEnd = at;
    while (numbers.size() < 4) {
        std::uint64_t value;
        if (!ReadDecimal(text, at, value))
            break;
        numbers.push_back(value);
        numbersEnd = at;
        // A separator counts only when another number follows it.
        std::size_t next = at;
        if (next < text.size() && text[next] == '.') {
            ++next;
        } else {
            while (next < text.size() && text[next] == ' ')
                ++next;
            if (next >= text.size() || text[next] != ',')
                break;
            ++next;
            while (next < text.size() && text[next] == ' ')
                ++next;
        }
        if (next >= text.size() || !IsDigit(text[next]))
            break;
        at = next;
    }
    if (end)
        *end = numbers.empty() ? 0 : numbersEnd;
    return numbers;
}

bool ShowsLeadingParts(const std::vector<std::uint64_t>& shown, const VersionParts& fixed) {
    if (shown.empty() || shown.size() >= 4)
        return false;
    for (std::size_t i = 0; i < shown.size(); ++i)
        if (shown[i] != fixed[i])
            return false;
    return true;
}

bool StringVersionAgrees(const std::vector<std::uint64_t>& shown, const VersionParts& fixed) {
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint64_t part = i < shown.size() ? shown[i] : 0;
        if (part != fixed[i])
            return false;
    }
    return true;
}

std::optional<std::string> QuotedValueText(std::string_view value) {
    std::string_view text = TrimRight(value);
    if (text.empty() || text.substr(0, 2) == "\\#")
        return std::nullopt;
    if (text.substr(0, 2) == "\\0")
        text.remove_prefix(2);
    else if (text.substr(0, 2) == "\\\\")
        text.remove_prefix(1);
    return std::string(text);
}

Findings CheckDocument(const VersionRecord& record) {
    Findings findings;
    CheckFixedVersion(record.HFileVersion, "FILEVERSION", findings);
    CheckFixedVersion(record.HProductVersion, "PRODUCTVERSION", findings);
    CheckStringVersion(record, FileVersionKey, record.HFileVersion, "FILEVERSION", findings);
    CheckStringVersion(record, ProductVersionKey, record.HProductVersion, "PRODUCTVERSION",
                       findings);
    CheckCodePage(record, findings);
    return findings;
}

} // namespace qm
