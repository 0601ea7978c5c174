//===- SettingsIni.h - The settings file as QSettings reads it ----*- C++ -*-===//
//
// The window keeps its settings through QSettings; quillmark-rc has no Qt
// and reads the same store with these rules, so both take the same values:
//   * "[Group]" sections; "[General]" is the top level; keys under a
//     section are "Group/Key"; "%XX" and "%UXXXX" escape characters and
//     "\" stands for "/";
//   * a ";" at a line's start begins a comment, elsewhere outside quotes
//     it ends the line; quotes may hold commas, ";" and line ends;
//   * values are trimmed of blanks outside quotes; "\" escapes as in C,
//     "\xHHHH" a UTF-16 unit, "\OOO" octal; an unquoted comma makes a
//     list;
//   * "@String(...)" is text, "@@..." text starting with "@"; "@Size(w h)"
//     and the other "@Type(...)" forms are values of other types;
//   * a key given twice takes the later value.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

/// One stored value: text, or a value of another type (a list, a size, a
/// byte array), which the settings can't take.
struct StoredValue {
    bool IsText = false;
    std::string Text; ///< UTF-8, when IsText

    bool operator==(const StoredValue& other) const {
        return IsText == other.IsText && Text == other.Text;
    }
};

/// What a stored string stands for: the "@" forms above decide.
StoredValue StoredValueOfString(std::string text);

/// A settings file (UTF-8 bytes), looked up as QSettings looks it up.
class SettingsIni {
public:
    /// `bytes` must outlive the object.
    explicit SettingsIni(std::string_view bytes);

    /// The value of `key` ("Group/Name"), or nothing when it isn't stored.
    /// Like QSettings, lookups parse the file a section at a time, so the
    /// answer can depend on earlier lookups: ask in the window's order.
    std::optional<StoredValue> value(const std::string& key);

private:
    void parseSectionOf(const std::string& key);
    void parseBody(const std::string& section, std::string_view body);

    std::map<std::string, std::vector<std::string_view>> Unparsed; ///< section key: bodies
    std::map<std::string, StoredValue> Parsed;
};

} // namespace qm
