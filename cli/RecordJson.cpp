//===- RecordJson.cpp - The JSON form of a document -----------------------===//
//
// The writer is hand-made because the schema promises a fixed member order
// (the twelve string keys in script order). The reader takes the document
// from ParseJsonBytes, so its strings are already the script's bytes.
//
//===----------------------------------------------------------------------===//

#include "RecordJson.h"

#include "ByteText.h"
#include "DocumentFields.h"
#include "versioninfo/document/Lookups.h"
#include "versioninfo/document/Tables.h"
#include "versioninfo/script/ScriptEscapes.h"
#include "versioninfo/script/ScriptModel.h"
#include "versioninfo/script/VersionBump.h"
#include "versioninfo/support/Numbers.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

namespace qm {

namespace {

// ---------------------------------------------------------------- writing

void AppendJsonString(std::string& out, std::string_view bytes) {
    out += JsonStringLiteral(bytes);
}

class JsonObjectWriter {
public:
    explicit JsonObjectWriter(std::string& out) : Out(out) { Out += "{"; }
    void finish() { Out += "\n}\n"; }

    void member(std::string_view name) {
        Out += First ? "\n  " : ",\n  ";
        First = false;
        AppendJsonString(Out, name);
        Out += ": ";
    }
    void text(std::string_view name, std::string_view value) {
        member(name);
        AppendJsonString(Out, value);
    }
    void flag(std::string_view name, bool value) {
        member(name);
        Out += value ? "true" : "false";
    }
    void textOrNull(std::string_view name, const std::string* value) {
        member(name);
        if (value)
            AppendJsonString(Out, *value);
        else
            Out += "null";
    }
    void textArray(std::string_view name, const std::vector<std::string>& values) {
        member(name);
        if (values.empty()) {
            Out += "[]";
            return;
        }
        Out += "[";
        for (std::size_t i = 0; i < values.size(); ++i) {
            Out += i == 0 ? "\n    " : ",\n    ";
            AppendJsonString(Out, values[i]);
        }
        Out += "\n  ]";
    }
    void partsOrNull(std::string_view name, const std::optional<VersionParts>& parts) {
        member(name);
        if (!parts) {
            Out += "null";
            return;
        }
        for (std::size_t i = 0; i < parts->size(); ++i)
            Out += (i ? ", " : "[") + std::to_string((*parts)[i]);
        Out += "]";
    }
    void otherStrings(const CompiledStringTable* table) {
        member("otherStrings");
        bool first = true;
        Out += "{";
        if (table)
            for (const CompiledString& string : table->Strings) {
                if (StringKeyNamed(string.Key) || !string.IsText)
                    continue;
                Out += first ? "\n    " : ",\n    ";
                first = false;
                AppendJsonString(Out, string.Key);
                Out += ": ";
                AppendJsonString(Out, AsMarkerValue(ScriptTextOfCompiled(string.Value)));
            }
        Out += first ? "}" : "\n  }";
    }
    // Script text that begins like a marker gets one of its own, as the
    // twelve strings do.
    static std::string AsMarkerValue(std::string text) {
        const bool markerLike = text.size() >= 2 && text[0] == '\\' &&
                                (text[1] == '0' || text[1] == '#' || text[1] == '\\');
        return markerLike ? "\\" + text : text;
    }
    void stringsObject(std::string_view name, const VersionRecord& record) {
        member(name);
        Out += "{";
        for (std::size_t i = 0; i < StringKeys().size(); ++i) {
            Out += i == 0 ? "\n    " : ",\n    ";
            AppendJsonString(Out, StringKeys()[i]);
            Out += ": ";
            AppendJsonString(Out, record.StringValues[i]);
        }
        Out += "\n  }";
    }

private:
    std::string& Out;
    bool First = true;
};

// ---------------------------------------------------------------- reading

// "compiled" is what `show` adds for a .res or an executable; like
// "reports" and "error", it is output only.
const std::array<const char*, 18> KnownMembers = {"fileVersionParts",
                                                  "productVersionParts",
                                                  "otherStrings",
                                                  "comIncLines",
                                                  "fileVersion",
                                                  "productVersion",
                                                  "debug",
                                                  "preRelease",
                                                  "patched",
                                                  "fileOS",
                                                  "fileType",
                                                  "fileSubType",
                                                  "language",
                                                  "codePage",
                                                  "strings",
                                                  "reports",
                                                  "error",
                                                  "compiled"};

using Json = nlohmann::json;

/// A JSON string as script bytes, checked to fit on one line.
Expected<std::string> LineText(const Json& value, const std::string& what) {
    if (!value.is_string())
        return Status::Fail(what + " must be a string");
    std::string bytes = value.get<std::string>();
    if (Status single = CheckSingleLine(bytes, what); !single)
        return single;
    return bytes;
}

class JsonRecordReader {
public:
    JsonRecordReader(const Json& object, VersionRecord& record) : Object(object), Record(record) {}

    Status read() {
        for (const auto& [name, value] : Object.items()) {
            bool known = false;
            for (const char* member : KnownMembers)
                known = known || name == member;
            if (!known)
                return Status::Fail("Unknown member " + Quoted(name));
        }
        Status status = comIncLines();
        for (auto [name, field] : {std::pair{"fileVersion", &Record.HFileVersion},
                                   std::pair{"productVersion", &Record.HProductVersion}}) {
            if (status)
                status = text(name, *field);
            // A dotted version, as --file-version takes it, in the comma
            // form a compiler needs.
            if (std::optional<std::string> comma = CommaFormOfDotted(*field))
                *field = std::move(*comma);
        }
        for (auto [name, field] :
             {std::pair{"debug", &Record.FFDebug}, std::pair{"preRelease", &Record.FFPreRelease},
              std::pair{"patched", &Record.FFPatched}}) {
            if (status)
                status = flag(name, *field);
        }
        if (status)
            status = rowName("fileOS", FileOSTable(), Record.FileOS);
        if (status)
            status = rowName("fileType", FileTypeTable(), Record.FileType);
        if (status)
            status = fileSubType();
        if (status)
            status = row("language", LanguageTable(), Record.LanguageID);
        if (status)
            status = row("codePage", CodePageTable(), Record.CodePage);
        if (status)
            status = strings();
        return status;
    }

private:
    Status comIncLines() {
        if (!Object.contains("comIncLines"))
            return Status::Ok();
        const Json& array = Object.at("comIncLines");
        if (!array.is_array())
            return Status::Fail("\"comIncLines\" must be an array of strings");
        Lines lines;
        for (std::size_t i = 0; i < array.size(); ++i) {
            Expected<std::string> line =
                LineText(array.at(i), "\"comIncLines\" item " + std::to_string(i + 1));
            if (!line)
                return Status::Fail(line.message());
            lines.push_back(std::move(*line));
        }
        Record.ComIncLines = std::move(lines);
        return Status::Ok();
    }

    Status text(const char* name, std::string& field) {
        if (!Object.contains(name))
            return Status::Ok();
        Expected<std::string> value = LineText(Object.at(name), Quoted(name));
        if (!value)
            return Status::Fail(value.message());
        field = std::move(*value);
        return Status::Ok();
    }

    Status flag(const char* name, bool& field) {
        if (!Object.contains(name))
            return Status::Ok();
        const Json& value = Object.at(name);
        if (!value.is_boolean())
            return Status::Fail(Quoted(name) + " must be true or false");
        field = value.get<bool>();
        return Status::Ok();
    }

    /// "" (no row), exactly one of the list's names, or a number no row
    /// names, kept as the script wrote it (as the reader keeps it, and
    /// show gives it).
    Status rowName(const char* name, const TextList& list, std::string& field) {
        std::string value = field;
        if (Status read = text(name, value); !read)
            return read;
        if (!value.empty() && std::find(list.begin(), list.end(), value) == list.end() &&
            !KeptAsWritten(name, value))
            return Status::Fail(Quoted(name) + " is neither a name of its list nor a number " +
                                "no name has: " + Quoted(value));
        field = std::move(value);
        return Status::Ok();
    }

    bool KeptAsWritten(std::string_view member, const std::string& value) const {
        const std::optional<std::uint32_t> number = NumberOfText(value);
        if (!number)
            return false;
        if (member == "fileOS")
            return !NameWithValue(FileOSValues(), *number);
        if (member == "fileType")
            return !NameWithValue(FileTypeValues(), *number);
        return *number >= SubTypeLists(Record.FileType).size();
    }

    /// A row of the subtype list of the file type; any text for VFT_VXD,
    /// whose subtype is a number the list cannot name.
    Status fileSubType() {
        if (Record.FileType == "VFT_VXD")
            return text("fileSubType", Record.FileSubType);
        return rowName("fileSubType", SubTypeLists(Record.FileType), Record.FileSubType);
    }

    /// null (no row), exactly a row's display string, or the number as
    /// --language and --code-page take it: a language ID in hexadecimal
    /// ("409"), a code page in decimal ("1252"), or either as a JSON number.
    Status row(const char* name, const TextList& table, int& field) {
        if (!Object.contains(name))
            return Status::Ok();
        const Json& value = Object.at(name);
        if (value.is_null()) {
            field = NoRow;
            return Status::Ok();
        }
        const bool language = std::string_view(name) == "language";
        std::optional<long long> number;
        if (value.is_number_unsigned())
            number = value.get<long long>();
        Expected<std::string> display =
            number ? Expected<std::string>(std::string()) : LineText(value, Quoted(name));
        if (!display)
            return Status::Fail(Quoted(name) + " must be null, a row of its table or a number");
        const auto found = std::find(table.begin(), table.end(), *display);
        if (!number && found != table.end()) {
            field = static_cast<int>(found - table.begin());
            return Status::Ok();
        }
        if (!number)
            number = NumberText(*display, language ? 16 : 10);
        const int row = !number    ? NoRow
                        : language ? LanguageRowOf(*number)
                                   : CodePageRowOf(*number);
        if (row == NoRow)
            return Status::Fail(
                Quoted(name) + " is not a row of its table: " +
                (display->empty() ? std::to_string(value.get<long long>()) : Quoted(*display)));
        field = row;
        return Status::Ok();
    }

    /// Digits alone in `base` (a language may carry 0x); nothing otherwise.
    static std::optional<long long> NumberText(const std::string& text, int base) {
        const std::optional<std::uint64_t> number = ParseNumber(
            text, base == 16 ? NumberBase::HexadecimalPrefix : NumberBase::Decimal, 0xFFFFFFFFu);
        if (!number)
            return std::nullopt;
        return static_cast<long long>(*number);
    }

    Status strings() {
        if (!Object.contains("strings"))
            return Status::Ok();
        const Json& strings = Object.at("strings");
        if (!strings.is_object())
            return Status::Fail("\"strings\" must be an object");
        for (const auto& [key, text] : strings.items()) {
            const int index = StringKeyIndex(key);
            if (index < 0)
                return Status::Fail("Unknown string key " + Quoted(key) + " (the keys are " +
                                    StringKeyNames() + ")");
            Expected<std::string> bytes = LineText(text, "\"strings\" " + Quoted(key));
            if (!bytes)
                return Status::Fail(bytes.message());
            Record.StringValues[static_cast<std::size_t>(index)] = std::move(*bytes);
        }
        return Status::Ok();
    }

    const Json& Object;
    VersionRecord& Record;
};

} // namespace

namespace {

std::optional<VersionParts> PartsOf(std::uint32_t ms, std::uint32_t ls) {
    return VersionParts{static_cast<std::uint16_t>(ms >> 16), static_cast<std::uint16_t>(ms),
                        static_cast<std::uint16_t>(ls >> 16), static_cast<std::uint16_t>(ls)};
}

std::optional<VersionParts> PartsOfText(const std::string& text) {
    Expected<VersionParts> parts = ReadFixedVersion(text, "");
    return parts ? std::optional<VersionParts>(*parts) : std::nullopt;
}

} // namespace

std::string ShowJson(const ReadResult& result, const FixedFileInfo* fixed,
                     const CompiledStringTable* firstTable) {
    const VersionRecord& record = result.Record;
    std::string out;
    JsonObjectWriter json(out);
    json.textArray("comIncLines", record.ComIncLines);
    json.text("fileVersion", record.HFileVersion);
    json.text("productVersion", record.HProductVersion);
    json.partsOrNull("fileVersionParts", fixed ? PartsOf(fixed->FileVersionMS, fixed->FileVersionLS)
                                               : PartsOfText(record.HFileVersion));
    json.partsOrNull("productVersionParts",
                     fixed ? PartsOf(fixed->ProductVersionMS, fixed->ProductVersionLS)
                           : PartsOfText(record.HProductVersion));
    json.flag("debug", record.FFDebug);
    json.flag("preRelease", record.FFPreRelease);
    json.flag("patched", record.FFPatched);
    json.text("fileOS", record.FileOS);
    json.text("fileType", record.FileType);
    json.text("fileSubType", record.FileSubType);
    const std::string language = RowText(LanguageTable(), record.LanguageID);
    const std::string codePage = RowText(CodePageTable(), record.CodePage);
    json.textOrNull("language", language.empty() ? nullptr : &language);
    json.textOrNull("codePage", codePage.empty() ? nullptr : &codePage);
    json.stringsObject("strings", record);
    json.otherStrings(firstTable);
    json.textArray("reports", result.Reports);
    json.textOrNull("error", result.ConversionError ? &*result.ConversionError : nullptr);
    json.finish();
    return out;
}

Expected<std::vector<StringEdit>> OtherStringsFromJson(std::string_view json) {
    // In the document's order, which is the order they are written in.
    Expected<nlohmann::ordered_json> document = ParseOrderedJsonBytes(json);
    if (!document)
        return Status::Fail(document.message());
    std::vector<StringEdit> others;
    if (!document->is_object() || !document->contains("otherStrings"))
        return others;
    const nlohmann::ordered_json& strings = document->at("otherStrings");
    if (!strings.is_object())
        return Status::Fail("\"otherStrings\" must be an object");
    for (const auto& [key, text] : strings.items()) {
        if (StringKeyNamed(key))
            return Status::Fail("\"otherStrings\" " + Quoted(key) + " is one of \"strings\"");
        if (Status named = CheckStringKey(key, "\"otherStrings\""); !named)
            return named;
        const std::string what = "\"otherStrings\" " + Quoted(key);
        if (!text.is_string())
            return Status::Fail(what + " must be a string");
        std::string bytes = text.get<std::string>();
        if (Status single = CheckSingleLine(bytes, what); !single)
            return single;
        others.push_back({key, std::move(bytes), {}});
    }
    return others;
}

Expected<VersionRecord> RecordFromJson(std::string_view json, const NewDocumentDefaults& defaults) {
    Expected<Json> document = ParseJsonBytes(json);
    if (!document)
        return Status::Fail(document.message());
    if (!document->is_object())
        return Status::Fail("The JSON document is not an object");
    VersionRecord record = NewDocument(defaults);
    if (Status status = JsonRecordReader(*document, record).read(); !status)
        return status;
    return record;
}

} // namespace qm
