//===- SettingsIni.cpp - The settings file as QSettings reads it ----------===//

#include "settings/SettingsIni.h"

#include "versioninfo/support/Text.h"
#include "versioninfo/support/Unicode.h"

#include <cstddef>
#include <vector>

namespace qm {

namespace {

bool IsSpaceOrTab(char c) {
    return c == ' ' || c == '\t';
}

bool IsLineSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

/// UTF-16 as UTF-8; a lone surrogate becomes U+FFFD, as in a QString's.
std::string Utf8OfUnits(std::u16string_view units) {
    std::u32string text;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char32_t u = units[i];
        const bool high = u >= 0xD800 && u <= 0xDBFF;
        if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            text += 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else {
            text += u >= 0xD800 && u <= 0xDFFF ? 0xFFFD : u;
        }
    }
    return EncodeUtf8(text);
}

/// A value built as QSettings builds its QString: UTF-16 units from the
/// escapes, raw runs decoded from UTF-8; trailing blanks are chopped by
/// unit positions. Taken as UTF-8 at the end.
class Utf16Builder {
public:
    void unit(char16_t u) { Units.push_back(u); }
    void bytes(std::string_view utf8) {
        for (char32_t c : DecodeUtf8(utf8)) {
            if (c >= 0x10000) {
                Units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
                Units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
            } else {
                Units.push_back(static_cast<char16_t>(c));
            }
        }
    }
    void chopBlanks(std::size_t limit) {
        while (Units.size() > limit && (Units.back() == u' ' || Units.back() == u'\t'))
            Units.pop_back();
    }
    std::size_t size() const { return Units.size(); }
    std::string take() const { return Utf8OfUnits(Units); }

private:
    std::u16string Units;
};

/// One logical line: a key's text and the value's text, still escaped.
struct IniLine {
    std::string_view Text;
    std::size_t Equals = std::string_view::npos; ///< offset in Text
};

/// The next line from `at`, or false at the end. Comment lines are skipped.
bool NextLine(std::string_view data, std::size_t& at, IniLine& line) {
    bool inQuotes = false;
    std::size_t equals = std::string_view::npos;
    std::size_t start = at;
    while (start < data.size() && IsLineSpace(data[start]))
        ++start;
    std::size_t i = start;
    while (i < data.size()) {
        const char c = data[i++];
        if (c == '=') {
            if (!inQuotes && equals == std::string_view::npos)
                equals = i - 1 - start;
        } else if (c == '\n' || c == '\r') {
            if (i == start + 1) {
                ++start;
            } else if (!inQuotes) {
                --i;
                break;
            }
        } else if (c == '\\') {
            if (i < data.size()) {
                const char next = data[i++];
                if (i < data.size() &&
                    ((next == '\n' && data[i] == '\r') || (next == '\r' && data[i] == '\n')))
                    ++i;
            }
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == ';') {
            if (i == start + 1) {
                while (i < data.size() && data[i] != '\n' && data[i] != '\r')
                    ++i;
                while (i < data.size() && IsLineSpace(data[i]))
                    ++i;
                start = i;
            } else if (!inQuotes) {
                --i;
                break;
            }
        }
    }
    at = i;
    line.Text = data.substr(start, i - start);
    line.Equals = equals;
    return !line.Text.empty();
}

/// A key with its %-escapes undone and "\" read as "/".
std::string UnescapedKey(std::string_view key) {
    Utf16Builder out;
    for (std::size_t i = 0; i < key.size();) {
        const char c = key[i];
        if (c == '%' && i + 1 < key.size()) {
            const bool wide = key[i + 1] == 'U';
            const std::size_t digits = wide ? 4 : 2;
            const std::size_t from = i + (wide ? 2 : 1);
            unsigned value = 0;
            bool valid = from + digits <= key.size();
            for (std::size_t d = 0; valid && d < digits; ++d) {
                const int v = HexDigitValue(key[from + d]);
                valid = v >= 0;
                value = value * 16 + static_cast<unsigned>(v);
            }
            if (valid) {
                out.unit(static_cast<char16_t>(value));
                i = from + digits;
                continue;
            }
        }
        const std::size_t run = key.find('%', i + 1);
        out.bytes(key.substr(i, run == std::string_view::npos ? run : run - i));
        i = run == std::string_view::npos ? key.size() : run;
    }
    std::string text = out.take();
    for (char& c : text)
        c = c == '\\' ? '/' : c;
    return text;
}

/// The escape whose letter stands at `i` (just past its backslash) into
/// `out`; `i` ends past the escape. True for a one-letter escape, which
/// (as Qt reads it) may still be chopped as a trailing blank.
bool ReadEscape(std::string_view text, std::size_t& i, Utf16Builder& out) {
    const char e = text[i++];
    // Each pair: the letter after the backslash, then what it stands for.
    const char* const plain = "a\ab\bf\fn\nr\rt\tv\v\"\"?"
                              "?''\\\\";
    for (const char* p = plain; *p; p += 2) {
        if (e == p[0]) {
            out.bytes(std::string_view(p + 1, 1));
            return true;
        }
    }
    if (e == 'x' && i < text.size() && HexDigitValue(text[i]) >= 0) {
        char16_t unit = 0;
        while (i < text.size() && HexDigitValue(text[i]) >= 0)
            unit = static_cast<char16_t>(unit * 16 + HexDigitValue(text[i++]));
        out.unit(unit);
    } else if (e >= '0' && e <= '7') {
        char16_t unit = static_cast<char16_t>(e - '0');
        while (i < text.size() && text[i] >= '0' && text[i] <= '7')
            unit = static_cast<char16_t>(unit * 8 + (text[i++] - '0'));
        out.unit(unit);
    } else if (e == '\n' || e == '\r') {
        if (i < text.size() && (text[i] == '\n' || text[i] == '\r') && text[i] != e)
            ++i;
    }
    return false;
}

/// The value's text, or nothing when an unquoted comma makes it a list.
bool UnescapeValue(std::string_view text, std::string& value) {
    Utf16Builder out;
    bool isList = false;
    bool inQuotes = false;
    bool quoted = false;
    std::size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < text.size() && IsSpaceOrTab(text[i]))
            ++i;
    };
    skipBlanks();
    std::size_t chopLimit = out.size();
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\\') {
            ++i;
            if (i >= text.size())
                break;
            if (!ReadEscape(text, i, out))
                chopLimit = out.size();
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes) {
                skipBlanks();
                chopLimit = out.size();
            }
        } else if (c == ',' && !inQuotes) {
            // A list: the value is not text, whatever its items hold.
            isList = true;
            ++i;
            quoted = false;
            skipBlanks();
            chopLimit = out.size();
        } else {
            std::size_t j = i + 1;
            while (j < text.size() && text[j] != '\\' && text[j] != '"' && text[j] != ',')
                ++j;
            out.bytes(text.substr(i, j - i));
            i = j;
        }
    }
    if (!quoted)
        out.chopBlanks(chopLimit);
    value = out.take();
    return !isList;
}

/// The key of the section a "[name]" line opens: "" for the top level,
/// else the name and a slash.
std::string SectionKey(std::string_view header) {
    const std::size_t close = header.find(']');
    std::string_view name =
        header.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
    while (!name.empty() && IsLineSpace(name.front()))
        name.remove_prefix(1);
    while (!name.empty() && IsLineSpace(name.back()))
        name.remove_suffix(1);
    std::string lower(name);
    for (char& c : lower)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lower == "general")
        return "";
    if (lower == "%general")
        return std::string(name.substr(1)) + '/';
    return UnescapedKey(name) + '/';
}

/// The number of arguments QSettings finds in "@Type(args)", given what
/// follows the "(": each blank and each ")" ends one, so a ")" part way
/// along adds one more ("1 2)x)" is three).
std::size_t ArgumentCount(std::string_view args) {
    std::size_t count = 0;
    for (char c : args)
        count += c == ' ' || c == ')';
    return count;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

} // namespace

StoredValue StoredValueOfString(std::string text) {
    if (!text.empty() && text.front() == '@') {
        if (text.back() == ')') {
            const std::string_view view = text;
            if (StartsWith(view, "@String("))
                return {true, text.substr(8, text.size() - 9)};
            if (StartsWith(view, "@ByteArray(") || StartsWith(view, "@Variant(") ||
                StartsWith(view, "@DateTime(") || view == "@Invalid()")
                return {false, {}};
            for (auto [type, count] :
                 {std::pair{"@Rect(", 4}, std::pair{"@Size(", 2}, std::pair{"@Point(", 2}}) {
                const std::string_view prefix = type;
                if (StartsWith(view, prefix) &&
                    ArgumentCount(view.substr(prefix.size())) == static_cast<std::size_t>(count))
                    return {false, {}};
            }
        }
        if (StartsWith(text, "@@"))
            return {true, text.substr(1)};
    }
    return {true, std::move(text)};
}

SettingsIni::SettingsIni(std::string_view bytes) {
    std::string section;
    std::size_t at = 0;
    std::size_t bodyStart = 0;
    IniLine line;
    const auto endSection = [&](std::size_t end) {
        Unparsed[section].push_back(bytes.substr(bodyStart, end - bodyStart));
    };
    while (NextLine(bytes, at, line)) {
        if (line.Text.front() != '[')
            continue;
        endSection(static_cast<std::size_t>(line.Text.data() - bytes.data()));
        section = SectionKey(line.Text);
        bodyStart = at;
    }
    endSection(bytes.size());
}

std::optional<StoredValue> SettingsIni::value(const std::string& key) {
    parseSectionOf(key);
    const auto found = Parsed.find(key);
    if (found == Parsed.end())
        return std::nullopt;
    return found->second;
}

// QSettings parses one section per lookup: for a key with a slash, the last
// section (in key order) at or before the key, and only when the key starts
// with its name; for a key without one, the top level. So "Group/Key" in
// [General] is never found, nor [Group] behind a [Group/Deeper] that sorts
// between them, and what an earlier lookup parsed stays found.
void SettingsIni::parseSectionOf(const std::string& key) {
    auto section = Unparsed.end();
    if (key.find('/') != std::string::npos) {
        section = Unparsed.upper_bound(key);
        if (section == Unparsed.begin())
            return;
        --section;
        if (section->first.empty() || key.compare(0, section->first.size(), section->first) != 0)
            return;
    } else {
        section = Unparsed.begin();
        if (section == Unparsed.end() || !section->first.empty())
            return;
    }
    for (std::string_view body : section->second)
        parseBody(section->first, body);
    Unparsed.erase(section);
}

void SettingsIni::parseBody(const std::string& section, std::string_view body) {
    std::size_t at = 0;
    IniLine line;
    while (NextLine(body, at, line)) {
        if (line.Text.front() == '[' || line.Equals == std::string_view::npos)
            continue;
        std::size_t keyEnd = line.Equals;
        while (keyEnd > 0 && IsSpaceOrTab(line.Text[keyEnd - 1]))
            --keyEnd;
        const std::string key = section + UnescapedKey(line.Text.substr(0, keyEnd));
        std::string text;
        if (UnescapeValue(line.Text.substr(line.Equals + 1), text))
            Parsed[key] = StoredValueOfString(std::move(text));
        else
            Parsed[key] = StoredValue{};
    }
}

} // namespace qm
