//===- Edits.cpp - The EDITS options of `new` and `set` -------------------===//

#include "Edits.h"

#include "DocumentFields.h"
#include "versioninfo/document/Lookups.h"
#include "versioninfo/document/Tables.h"
#include "versioninfo/document/VersionCheck.h"
#include "versioninfo/support/Numbers.h"

#include <array>
#include <cctype>
#include <regex>

namespace qm {

namespace {

struct EditOption {
    const char* Name;
    const char* ValueName;
    const char* Description;
    bool Repeatable = false;
};

const std::array<EditOption, 12> EditOptions = {{
    {"file-version", "T",
     "FILEVERSION: 1.2.3, v1.2.3, 1.2.3.4 or 1.2.3-beta (written in the comma form "
     "1, 2, 3, 0), or the comma form itself; at most four parts of 0 to 65535."},
    {"product-version", "T", "PRODUCTVERSION text, the same way."},
    {"debug", "on|off", "The VS_FF_DEBUG flag."},
    {"prerelease", "on|off", "The VS_FF_PRERELEASE flag."},
    {"patched", "on|off", "The VS_FF_PATCHED flag."},
    {"file-os", "NAME", "FILEOS name, e.g. VOS__WINDOWS32."},
    {"file-type", "NAME",
     "FILETYPE name; resets the subtype list, whose first row, "
     "VFT2_UNKNOWN, is then selected."},
    {"file-subtype", "NAME", "FILESUBTYPE name of the file type's list (any text for VFT_VXD)."},
    {"language", "HEX",
     "Language ID, e.g. 409 or 0x409: the first row of the language list "
     "that holds it."},
    {"code-page", "DEC",
     "Code page, e.g. 1252: the first row of the code page list that "
     "holds it."},
    {"string", "KEY=VALUE", "A string value in marker form (repeatable; see below).", true},
    {"com-inc-line", "TEXT",
     "A comment or include line (repeatable); the lines given replace "
     "all of them.",
     true},
}};

std::string Option(const char* name) {
    return std::string("--") + name;
}

/// The value of a single-valued option (the last one given wins).
Expected<std::optional<std::string>> OptionalText(const ParsedOptions& options, const char* name) {
    if (!options.isSet(name))
        return std::optional<std::string>();
    std::string bytes = options.value(name);
    if (Status single = CheckSingleLine(bytes, Option(name)); !single)
        return single;
    return std::optional<std::string>(std::move(bytes));
}

constexpr const char* VersionForms = "1.2.3, v1.2.3, 1.2.3.4, 1.2.3-beta or 1, 2, 3, 4";

// git describe's "v2.4.1-3-gabc1234": a tag, the commits since and the
// commit. Taking the tag alone would lose the count without a word.
bool IsGitDescribe(std::string_view text) {
    static const std::regex described(R"([vV]?\d+(\.\d+)*-\d+-g[0-9a-fA-F]+(-dirty)?)");
    return std::regex_match(text.begin(), text.end(), described);
}

/// The parts of a text of numbers, dots and commas; nothing for another
/// text (a macro's name, which is written as given).
std::optional<std::vector<std::string_view>> VersionPieces(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789., ") != std::string_view::npos)
        return std::nullopt;
    const char separator = text.find(',') != std::string_view::npos ? ',' : '.';
    std::vector<std::string_view> pieces;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(separator, start);
        pieces.push_back(Trim(text.substr(start, end - start)));
        if (end == std::string_view::npos)
            return pieces;
        start = end + 1;
    }
}

/// A version argument: a dotted one such as 1.2.3 (what build scripts and
/// tags carry) becomes the comma form a resource compiler needs; one that
/// can't be a version resource's is refused with the forms it may take.
Expected<std::string> VersionArgument(const std::string& text, const std::string& option) {
    const std::string_view trimmed = Trim(text);
    const std::string forms = std::string(" (") + option + " takes " + VersionForms + ")";
    if (IsGitDescribe(trimmed) || trimmed.find('+') != std::string_view::npos)
        return Status::Fail(option + " " + Quoted(text) +
                            " carries a commit count or build metadata a version resource "
                            "has no place for" +
                            forms);
    const std::optional<std::string> comma = CommaFormOfDotted(trimmed);
    const std::string_view numbers = comma ? std::string_view(*comma) : trimmed;
    const std::optional<std::vector<std::string_view>> pieces = VersionPieces(numbers);
    if (!pieces)
        return text;
    if (pieces->size() > 4)
        return Status::Fail(option + " " + Quoted(text) + " has " + std::to_string(pieces->size()) +
                            " parts; a version has at most four" + forms);
    for (std::size_t i = 0; i < pieces->size(); ++i) {
        const std::string_view piece = (*pieces)[i];
        if (!ParseNumber(piece, NumberBase::Decimal, 0xFFFF))
            return Status::Fail(option + " part " + std::to_string(i + 1) + " " +
                                Quoted(std::string(piece)) + " is not a number of 0 to 65535" +
                                forms);
    }
    return comma ? *comma : text;
}

Expected<std::optional<std::string>> OptionalVersion(const ParsedOptions& options,
                                                     const char* name) {
    Expected<std::optional<std::string>> text = OptionalText(options, name);
    if (!text || !*text)
        return text;
    Expected<std::string> version = VersionArgument(**text, Option(name));
    if (!version)
        return Status::Fail(version.message());
    return std::optional<std::string>(std::move(*version));
}

Expected<std::optional<bool>> OptionalSwitch(const ParsedOptions& options, const char* name) {
    if (!options.isSet(name))
        return std::optional<bool>();
    const std::string value = options.value(name);
    if (value == "on")
        return std::optional<bool>(true);
    if (value == "off")
        return std::optional<bool>(false);
    return Status::Fail(Option(name) + " takes on or off, not " + Quoted(value));
}

/// A name of `table`, letter case ignored as the window's lists ignore it;
/// the table's own spelling is kept.
Expected<std::optional<std::string>> OptionalTableName(const ParsedOptions& options,
                                                       const char* name, const TextList& table,
                                                       const char* what) {
    Expected<std::optional<std::string>> text = OptionalText(options, name);
    if (!text || !*text)
        return text;
    const int row = SelectExact(table, **text, NoRow);
    if (row == NoRow)
        return Status::Fail("Unknown " + std::string(what) + " name " + Quoted(**text));
    return std::optional<std::string>(RowText(table, row));
}

/// --language: hexadecimal, with or without 0x, of a language a row of the
/// table holds.
Expected<std::optional<int>> OptionalLanguage(const ParsedOptions& options) {
    Expected<std::optional<std::string>> text = OptionalText(options, "language");
    if (!text || !*text)
        return std::optional<int>();
    const std::optional<std::uint64_t> number =
        ParseNumber(**text, NumberBase::HexadecimalPrefix, 0xFFFFFFFFu);
    if (!number)
        return Status::Fail("--language takes a hexadecimal language ID, not " + Quoted(**text));
    const long long id = static_cast<long long>(*number);
    const int row = LanguageRowOf(id);
    if (row == NoRow)
        return Status::Fail("Unknown language " + Quoted(**text) + ": no row of the language " +
                            "table holds " + LanguageIDText(id));
    return std::optional<int>(LanguageValue(LanguageTable()[row]));
}

/// --code-page: decimal, of a code page a row of the table holds.
Expected<std::optional<int>> OptionalCodePage(const ParsedOptions& options) {
    Expected<std::optional<std::string>> text = OptionalText(options, "code-page");
    if (!text || !*text)
        return std::optional<int>();
    const std::optional<std::uint64_t> number = ParseNumber(**text, NumberBase::Decimal, 999999999);
    if (!number)
        return Status::Fail("--code-page takes a decimal code page, not " + Quoted(**text));
    const long long codePage = static_cast<long long>(*number);
    const int row = CodePageRowOf(codePage);
    if (row == NoRow)
        return Status::Fail("Unknown code page " + Quoted(**text) +
                            ": no row of the code page table holds " + CodePageText(codePage));
    return std::optional<int>(CodePageValue(CodePageTable()[row]));
}

Status ParseStrings(const ParsedOptions& options, ScriptEdits& edits) {
    for (const std::string& given : options.values("string")) {
        const std::size_t equals = given.find('=');
        if (equals == std::string::npos)
            return Status::Fail("--string takes KEY=VALUE, not " + Quoted(given));
        const std::string key = given.substr(0, equals);
        if (Status named = CheckStringKey(key, "--string"); !named)
            return named;
        std::string value = given.substr(equals + 1);
        if (Status checked = CheckStringValue(value, "--string " + key); !checked)
            return checked;
        edits.Strings.push_back({key, std::move(value), {}});
    }
    return Status::Ok();
}

Status ParseComIncLines(const ParsedOptions& options, ScriptEdits& edits) {
    if (!options.isSet("com-inc-line"))
        return Status::Ok();
    Lines lines;
    for (const std::string& line : options.values("com-inc-line")) {
        if (Status single = CheckSingleLine(line, "--com-inc-line"); !single)
            return single;
        lines.push_back(line);
    }
    edits.ComIncLines = std::move(lines);
    return Status::Ok();
}

/// Moves a parsed option into its field, or keeps the first failure.
template <typename T> void Take(Expected<T> parsed, T& field, Status& status) {
    if (!status)
        return;
    if (parsed)
        field = std::move(*parsed);
    else
        status = Status::Fail(parsed.message());
}

} // namespace

void AddEditOptions(CLI::App& command) {
    for (const EditOption& option : EditOptions) {
        CLI::Option* added = command.add_option(Option(option.Name), option.Description)
                                 ->type_name(option.ValueName)
                                 ->group("Edits");
        if (option.Repeatable)
            added->take_all()->allow_extra_args(false);
    }
}

Expected<ScriptEdits> ParseEdits(const ParsedOptions& options) {
    ScriptEdits edits;
    Status status = Status::Ok();
    Take(OptionalVersion(options, "file-version"), edits.FileVersion, status);
    Take(OptionalVersion(options, "product-version"), edits.ProductVersion, status);
    Take(OptionalSwitch(options, "debug"), edits.Debug, status);
    Take(OptionalSwitch(options, "prerelease"), edits.PreRelease, status);
    Take(OptionalSwitch(options, "patched"), edits.Patched, status);
    Take(OptionalTableName(options, "file-os", FileOSTable(), "FILEOS"), edits.FileOS, status);
    Take(OptionalTableName(options, "file-type", FileTypeTable(), "FILETYPE"), edits.FileType,
         status);
    Take(OptionalText(options, "file-subtype"), edits.FileSubType, status);
    Take(OptionalLanguage(options), edits.Language, status);
    Take(OptionalCodePage(options), edits.CodePage, status);
    if (status)
        status = ParseStrings(options, edits);
    if (status)
        status = ParseComIncLines(options, edits);
    if (!status)
        return status;
    return edits;
}

} // namespace qm
