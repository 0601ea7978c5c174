//===- Lookups.cpp - Mapping a text onto a row of a list -------------------===//
//
// All comparisons are on bytes; only SelectExact ignores (ASCII) letter case.
//
//===----------------------------------------------------------------------===//
#include "versioninfo/document/Lookups.h"

namespace qm {

namespace {

bool IsValidRow(const TextList& list, int index) {
    return index >= 0 && static_cast<size_t>(index) < list.size();
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

} // namespace

int FindContaining(const TextList& list, std::string_view text) {
    if (text.empty())
        return -1;
    for (size_t i = 0; i < list.size(); ++i)
        if (std::string_view(list[i]).find(text) != std::string_view::npos)
            return static_cast<int>(i);
    return -1;
}

int FindLongestContained(const TextList& list, std::string_view text) {
    int best = -1;
    size_t bestLength = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        const std::string& row = list[i];
        // Only a strictly longer candidate wins, so the top-most of equals stays.
        if (row.empty() || row.size() <= bestLength)
            continue;
        if (text.find(row) != std::string_view::npos) {
            best = static_cast<int>(i);
            bestLength = row.size();
        }
    }
    return best;
}

int SelectExact(const TextList& list, std::string_view text, int fallback) {
    for (size_t i = 0; i < list.size(); ++i)
        if (EqualIgnoringCase(list[i], text))
            return static_cast<int>(i);
    return fallback;
}

int SelectContaining(const TextList& list, std::string_view text, int fallback) {
    int found = FindContaining(list, text);
    return found >= 0 ? found : fallback;
}

int SelectLongestContained(const TextList& list, std::string_view text, int fallback) {
    int found = FindLongestContained(list, text);
    return found >= 0 ? found : fallback;
}

bool StartsWithText(std::string_view text, std::string_view prefix) {
    if (text.empty() || prefix.empty())
        return false;
    return text.substr(0, prefix.size()) == prefix;
}

bool StripPrefix(std::string_view& text, std::string_view prefix) {
    if (!StartsWithText(text, prefix))
        return false;
    text = Trim(text.substr(prefix.size()));
    return true;
}

bool StripPrefix(std::string& text, std::string_view prefix) {
    std::string_view rest = text;
    if (!StripPrefix(rest, prefix))
        return false;
    text = std::string(rest);
    return true;
}

std::string RowText(const TextList& list, int index) {
    return IsValidRow(list, index) ? list[index] : std::string();
}

int LanguageRowOf(long long languageID) {
    const TextList& table = LanguageTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (LanguageValue(table[i]) == languageID)
            return static_cast<int>(i);
    }
    return -1;
}

int CodePageRowOf(long long codePage) {
    const TextList& table = CodePageTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (CodePageValue(table[i]) == codePage)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace qm
