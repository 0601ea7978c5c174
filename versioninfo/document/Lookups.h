//===- Lookups.h - Mapping a text onto a row of a list ------------*- C++ -*-===//
//
// The lookups work on any list of display strings (a table, or e.g. the font
// names of the options dialog). A selection is a row index, or -1 for none;
// the Select* functions return the new selection.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/document/Tables.h"

#include <string>
#include <string_view>

namespace qm {

/// First row, from the top, whose display string contains `text`
/// (case-sensitive); -1 when none does or `text` is empty.
int FindContaining(const TextList& list, std::string_view text);

/// The longest row whose whole display string occurs in `text`; equally long
/// candidates go to the top-most; empty rows never count; -1 when none.
int FindLongestContained(const TextList& list, std::string_view text);

/// First row equal to `text` with ASCII letter case ignored, else `fallback`.
int SelectExact(const TextList& list, std::string_view text, int fallback);
/// FindContaining, else `fallback`.
int SelectContaining(const TextList& list, std::string_view text, int fallback);
/// FindLongestContained, else `fallback`.
int SelectLongestContained(const TextList& list, std::string_view text, int fallback);

/// The row of LanguageTable for a language ID, or -1. Rows are matched by
/// their number, never by text: 0 (neutral) is the last row, and must not
/// pick the first row whose text happens to hold a "0".
int LanguageRowOf(long long languageID);
/// The row of CodePageTable for a code page, or -1, matched by number.
int CodePageRowOf(long long codePage);
/// True when `text` begins with `prefix`; false for an empty prefix or text.
bool StartsWithText(std::string_view text, std::string_view prefix);

/// When `text` begins with `prefix`, replaces it by the rest, trimmed of
/// blanks at both ends, and returns true; otherwise leaves it alone.
bool StripPrefix(std::string& text, std::string_view prefix);
/// The same on a view, for scanning without copying.
bool StripPrefix(std::string_view& text, std::string_view prefix);

/// The row text at `index` of `list`, or "" when `index` is outside it.
std::string RowText(const TextList& list, int index);

} // namespace qm
