//===- Tables.cpp - The fixed vocabulary of a version resource -------------===//
//
// The display strings are matched by text (the reader and the settings pick
// rows by substring), so they are reproduced character for character.
//
//===----------------------------------------------------------------------===//
#include "versioninfo/document/Tables.h"

namespace qm {

const std::array<std::string_view, StringKeyCount>& StringKeys() {
    static const std::array<std::string_view, StringKeyCount> Keys = {
        "FileVersion", "FileDescription", "LegalCopyright",   "Comments",
        "CompanyName", "LegalTrademarks", "OriginalFilename", "ProductVersion",
        "ProductName", "InternalName",    "PrivateBuild",     "SpecialBuild"};
    return Keys;
}

std::optional<StringKey> StringKeyNamed(std::string_view name) {
    for (int k = 0; k < StringKeyCount; ++k)
        if (StringKeys()[k] == name)
            return static_cast<StringKey>(k);
    return std::nullopt;
}

const TextList& FileOSTable() {
    static const TextList Table = {"VOS_UNKNOWN",      "VOS_DOS_WINDOWS16", "VOS_DOS_WINDOWS32",
                                   "VOS_NT_WINDOWS32", "VOS_OS216_PM16",    "VOS_OS232_PM32",
                                   "VOS_DOS",          "VOS_OS216",         "VOS_OS232",
                                   "VOS_NT",           "VOS__WINDOWS16",    "VOS__WINDOWS32",
                                   "VOS__PM16",        "VOS__PM32"};
    return Table;
}

const TextList& FileTypeTable() {
    static const TextList Table = {"VFT_UNKNOWN", "VFT_APP", "VFT_DLL",       "VFT_DRV",
                                   "VFT_FONT",    "VFT_VXD", "VFT_STATIC_LIB"};
    return Table;
}

const TextList& LanguageTable() {
    static const TextList Table = {
        " 401  Arabic",
        " 402  Bulgarian",
        " 403  Catalan",
        " 404  Traditional Chinese",
        " 405  Czech",
        " 406  Danish",
        " 407  German",
        " 408  Greek",
        " 409  U.S. English",
        " 40A  Castilian Spanish",
        " 40B  Finnish",
        " 40C  French",
        " 40D  Hebrew",
        " 40E  Hungarian",
        " 40F  Icelandic",
        " 410  Italian",
        " 411  Japanese",
        " 412  Korean",
        " 413  Dutch",
        " 414  Norwegian - Bokml",
        " 415  Polish",
        " 416  Brazilian Portuguese",
        " 417  Rhaeto-Romanic",
        " 418  Romanian",
        " 419  Russian",
        " 41A  Croato-Serbian (Latin)",
        " 41B  Slovak",
        " 41C  Albanian",
        " 41D  Swedish",
        " 41E  Thai",
        " 41F  Turkish",
        " 420  Urdu",
        " 421  Bahasa",
        " 804  Simplified Chinese",
        " 807  Swiss German",
        " 809  U.K. English",
        " 80A  Mexican Spanish",
        " 80C  Belgian French",
        " 810  Swiss Italian",
        " 813  Belgian Dutch",
        " 814  Norwegian - Nynorsk",
        " 816  Portuguese",
        " 81A  Serbo-Croatian (Cyrillic)",
        " C0C  Canadian French",
        "100C  Swiss French",
        // Last, so that no row above moves: the language of a resource for
        // every language, the most common block name (0000) of all.
        "   0  Language Neutral",
    };
    return Table;
}

const TextList& CodePageTable() {
    static const TextList Table = {
        "   0  7-bit ASCII",
        " 932  Windows, Japan (Shift - JIS X-0208)",
        " 949  Windows, Korea (Shift - KSC 5601)",
        " 950  Windows, Taiwan (GB5)",
        "1200  Unicode",
        "1250  Windows, Latin-2 (Eastern European)",
        "1251  Windows, Cyrillic",
        "1252  Windows, Multilingual",
        "1253  Windows, Greek",
        "1254  Windows, Turkish",
        "1255  Windows, Hebrew",
        "1256  Windows, Arabic",
    };
    return Table;
}

std::string_view SubTypeListText(std::string_view fileType) {
    if (fileType == "VFT_DRV")
        return "VFT2_UNKNOWN, VFT2_DRV_PRINTER, VFT2_DRV_KEYBOARD, VFT2_DRV_LANGUAGE, "
               "VFT2_DRV_DISPLAY, VFT2_DRV_MOUSE, VFT2_DRV_NETWORK, VFT2_DRV_SYSTEM, "
               "VFT2_DRV_INSTALLABLE, VFT2_DRV_SOUND, VFT2_DRV_COMM, VFT2_DRV_INPUTMETHOD";
    if (fileType == "VFT_FONT")
        return "VFT2_UNKNOWN, VFT2_FONT_RASTER, VFT2_FONT_VECTOR, VFT2_FONT_TRUETYPE";
    return "VFT2_UNKNOWN";
}

TextList SubTypeLists(std::string_view fileType) {
    std::string_view text = SubTypeListText(fileType);
    TextList rows;
    for (;;) {
        size_t comma = text.find(',');
        rows.emplace_back(Trim(text.substr(0, comma)));
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    return rows;
}

namespace {

// Reads the number in the first four characters of a row; -1 when there is
// no digit there (a row that is not from the table).
int RowNumber(std::string_view row, int base) {
    std::string_view field = TrimLeft(row.substr(0, 4));
    int value = 0;
    bool any = false;
    for (char c : field) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            break;
        value = value * base + digit;
        any = true;
    }
    return any ? value : -1;
}

} // namespace

int LanguageValue(std::string_view row) {
    return RowNumber(row, 16);
}
int CodePageValue(std::string_view row) {
    return RowNumber(row, 10);
}

const std::vector<NamedValue>& FileOSValues() {
    static const std::vector<NamedValue> Values = {
        {"VOS_UNKNOWN", 0},
        {"VOS_DOS_WINDOWS16", 0x10001},
        {"VOS_DOS_WINDOWS32", 0x10004},
        {"VOS_NT_WINDOWS32", 0x40004},
        {"VOS_OS216_PM16", 0x20002},
        {"VOS_OS232_PM32", 0x30003},
        {"VOS_DOS", 0x10000},
        {"VOS_OS216", 0x20000},
        {"VOS_OS232", 0x30000},
        {"VOS_NT", 0x40000},
        {"VOS__WINDOWS16", 1},
        {"VOS__WINDOWS32", 4},
        {"VOS__PM16", 2},
        {"VOS__PM32", 3},
    };
    return Values;
}

const std::vector<NamedValue>& FileTypeValues() {
    static const std::vector<NamedValue> Values = {
        {"VFT_UNKNOWN", 0}, {"VFT_APP", 1}, {"VFT_DLL", 2},        {"VFT_DRV", 3},
        {"VFT_FONT", 4},    {"VFT_VXD", 5}, {"VFT_STATIC_LIB", 7},
    };
    return Values;
}

const std::vector<NamedValue>& FileFlagValues() {
    static const std::vector<NamedValue> Values = {
        {"VS_FF_DEBUG", 0x1},        {"VS_FF_PRERELEASE", 0x2},    {"VS_FF_PATCHED", 0x4},
        {"VS_FF_PRIVATEBUILD", 0x8}, {"VS_FF_INFOINFERRED", 0x10}, {"VS_FF_SPECIALBUILD", 0x20},
    };
    return Values;
}

std::optional<std::string_view> NameWithValue(const std::vector<NamedValue>& list,
                                              std::uint32_t value) {
    for (const NamedValue& row : list) {
        if (row.Value == value)
            return row.Name;
    }
    return std::nullopt;
}

std::optional<std::uint32_t> SubTypeValue(std::string_view fileType, std::string_view name) {
    const TextList list = SubTypeLists(fileType);
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] == name)
            return static_cast<std::uint32_t>(i);
    }
    return std::nullopt;
}

std::optional<std::uint32_t> WinverValue(std::string_view name) {
    static const std::vector<NamedValue> Others = {
        {"VS_FFI_FILEFLAGSMASK", 0x3F},     {"VS_FFI_SIGNATURE", 0xFEEF04BD},
        {"VS_FFI_STRUCVERSION", 0x10000},   {"VS_VERSION_INFO", 1},
        {"VS_USER_DEFINED", 100},           {"VOS_WINCE", 0x50000},
        {"VFT2_DRV_VERSIONED_PRINTER", 12},
    };
    for (const auto* list : {&FileOSValues(), &FileTypeValues(), &FileFlagValues(), &Others}) {
        for (const NamedValue& row : *list) {
            if (row.Name == name)
                return row.Value;
        }
    }
    for (std::string_view type : {"VFT_DRV", "VFT_FONT"}) {
        if (std::optional<std::uint32_t> value = SubTypeValue(type, name))
            return value;
    }
    return std::nullopt;
}

std::string FlagNames(std::uint32_t flags) {
    std::string names;
    for (const NamedValue& row : FileFlagValues()) {
        if (flags & row.Value)
            names += (names.empty() ? "" : "|") + std::string(row.Name);
        flags &= ~row.Value;
    }
    if (flags)
        names += (names.empty() ? "" : "|") + ("0x" + HexText(flags));
    return names.empty() ? "0" : names;
}

} // namespace qm
