//===- AppSettings.cpp - The user's settings: rows, load and store --------===//
//
// The eleven rows are one table: value name, kind, default, field. Loading,
// storing and converting the dialog's entries all walk it in order, so the
// order that decides what a failed store leaves written lives in one place.
//
//===----------------------------------------------------------------------===//
#include "settings/AppSettings.h"
#include "settings/SettingNumbers.h"
#include "settings/SettingsStore.h"

#include "versioninfo/Tables.h"

#include <QVariant>

#include <array>

namespace qm {
namespace {

enum class Kind { Text, Integer, Flag };

/// How one dialog entry becomes the text that is stored.
using EntryConversion = Expected<QString> (*)(const OptionEntries&);

struct Row {
    const char* Name;
    Kind RowKind;
    const char* TextDefault;
    std::int32_t NumberDefault;
    QString AppSettings::*TextField;
    std::int32_t AppSettings::*IntegerField;
    bool AppSettings::*FlagField;
    EntryConversion Convert;
};

QString FlagText(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

Status ConversionError(const QString& text, const char* rowName, const char* why = nullptr) {
    QString message =
        QStringLiteral("'%1' is not a valid integer value (%2").arg(text, QLatin1String(rowName));
    if (why)
        message += QStringLiteral(": ") + QLatin1String(why);
    return Status::Fail((message + QLatin1Char(')')).toStdString());
}

/// The row's display string, or nothing when `row` is outside the table.
const std::string* SelectedRow(const TextList& table, int row) {
    if (row < 0 || row >= static_cast<int>(table.size()))
        return nullptr;
    return &table[static_cast<std::size_t>(row)];
}

Expected<QString> ConvertFontSize(const OptionEntries& e) {
    const auto size = ReadWholeNumber(e.FontSize);
    if (!size)
        return ConversionError(e.FontSize, "FontSize");
    return QString::number(*size);
}

Expected<QString> ConvertLanguage(const OptionEntries& e) {
    const std::string* row = SelectedRow(LanguageTable(), e.LanguageRow);
    if (!row)
        return ConversionError(QString(), "DefaultLanguageID", "no language row is selected");
    return QString::number(LanguageValue(*row));
}

Expected<QString> ConvertCodePage(const OptionEntries& e) {
    const std::string* row = SelectedRow(CodePageTable(), e.CodePageRow);
    if (!row)
        return ConversionError(QString(), "DefaultCodePage", "no code page row is selected");
    return QString::number(CodePageValue(*row));
}

using S = AppSettings;

// clang-format off
const std::array<Row, 11> Rows = {{
    {"FontName", Kind::Text, "FixedSys", 0, &S::FontName, nullptr, nullptr,
     [](const OptionEntries& e) -> Expected<QString> { return e.FontName; }},
    {"FontSize", Kind::Integer, nullptr, 9, nullptr, &S::FontSize, nullptr, ConvertFontSize},
    {"UseInitialRC", Kind::Flag, nullptr, 0, nullptr, nullptr, &S::UseInitialRC,
     [](const OptionEntries& e) -> Expected<QString> { return FlagText(e.UseInitialRC); }},
    {"DefaultFILEOS", Kind::Text, "VOS_DOS_WINDOWS32", 0, &S::DefaultFILEOS, nullptr, nullptr,
     [](const OptionEntries& e) -> Expected<QString> { return e.DefaultFILEOS; }},
    {"DefaultLanguageID", Kind::Integer, nullptr, 1041, nullptr, &S::DefaultLanguageID, nullptr,
     ConvertLanguage},
    {"DefaultCodePage", Kind::Integer, nullptr, 1200, nullptr, &S::DefaultCodePage, nullptr,
     ConvertCodePage},
    {"MinimizeWindow", Kind::Flag, nullptr, 0, nullptr, nullptr, &S::MinimizeWindow,
     [](const OptionEntries& e) -> Expected<QString> { return FlagText(e.MinimizeWindow); }},
    {"UseBatchFile", Kind::Flag, nullptr, 1, nullptr, nullptr, &S::UseBatchFile,
     [](const OptionEntries& e) -> Expected<QString> { return FlagText(e.UseBatchFile); }},
    {"CompilerPath", Kind::Text, "C:\\Program Files\\Borland\\Delphi 2.0\\Bin", 0,
     &S::CompilerPath, nullptr, nullptr,
     [](const OptionEntries& e) -> Expected<QString> { return e.CompilerPath; }},
    {"CompilerCmdLine32", Kind::Text, "Brcc32 -v -32", 0, &S::CompilerCmdLine32, nullptr, nullptr,
     [](const OptionEntries& e) -> Expected<QString> { return e.CompilerCmdLine32; }},
    {"CompilerCmdLine16", Kind::Text, "Brcc32 -v -16", 0, &S::CompilerCmdLine16, nullptr, nullptr,
     [](const OptionEntries& e) -> Expected<QString> { return e.CompilerCmdLine16; }},
}};
// clang-format on

void ApplyDefault(const Row& row, AppSettings& settings) {
    switch (row.RowKind) {
    case Kind::Text:
        settings.*row.TextField = QString::fromLatin1(row.TextDefault);
        break;
    case Kind::Integer:
        settings.*row.IntegerField = row.NumberDefault;
        break;
    case Kind::Flag:
        settings.*row.FlagField = FlagFromNumber(row.NumberDefault);
        break;
    }
}

/// A stored text taken into its field: texts unchanged, numbers and flags by
/// the integer reading rule (a text that is not a number gives the default).
void ApplyStoredText(const Row& row, const QString& text, AppSettings& settings) {
    switch (row.RowKind) {
    case Kind::Text:
        settings.*row.TextField = text;
        break;
    case Kind::Integer:
        settings.*row.IntegerField = ReadIntegerSetting(text, row.NumberDefault);
        break;
    case Kind::Flag:
        settings.*row.FlagField = FlagFromNumber(ReadIntegerSetting(text, row.NumberDefault));
        break;
    }
}

Status WrongType(const Row& row) {
    return Status::Fail(QStringLiteral("Invalid data type for '%1' in '%2'")
                            .arg(QLatin1String(row.Name), SettingsStoreLocation())
                            .toStdString());
}

} // namespace

bool AppSettings::operator==(const AppSettings& o) const {
    return FontName == o.FontName && FontSize == o.FontSize && UseInitialRC == o.UseInitialRC &&
           DefaultFILEOS == o.DefaultFILEOS && DefaultLanguageID == o.DefaultLanguageID &&
           DefaultCodePage == o.DefaultCodePage && MinimizeWindow == o.MinimizeWindow &&
           UseBatchFile == o.UseBatchFile && CompilerPath == o.CompilerPath &&
           CompilerCmdLine32 == o.CompilerCmdLine32 && CompilerCmdLine16 == o.CompilerCmdLine16;
}

AppSettings BuiltInAppSettings() {
    AppSettings settings;
    for (const Row& row : Rows)
        ApplyDefault(row, settings);
    return settings;
}

AppSettings& TheAppSettings() {
    static AppSettings settings;
    return settings;
}

Status LoadSettings(AppSettings& into) {
    // Unreadable, the store would read as empty: every default applies, and
    // the caller says why once.
    if (Status readable = CheckSettingsReadable(); !readable) {
        into = BuiltInAppSettings();
        return Status::Fail(readable.message() + "; the built-in settings are used.");
    }
    const std::unique_ptr<QSettings> store = OpenSettingsForReading();
    store->beginGroup(SettingsGroup);
    for (const Row& row : Rows) {
        const QString name = QLatin1String(row.Name);
        if (!store->contains(name)) {
            ApplyDefault(row, into);
            continue;
        }
        const QVariant value = store->value(name);
        if (value.typeId() != QMetaType::QString)
            return WrongType(row);
        ApplyStoredText(row, value.toString(), into);
    }
    return Status::Ok();
}

Status LoadSettings() {
    return LoadSettings(TheAppSettings());
}

Status StoreSettings(const OptionEntries& entries) {
    // The file is written as a whole, so the rows converted before a failing
    // one are collected and written together before the error is returned.
    SettingTexts converted;
    Status conversion = Status::Ok();
    for (const Row& row : Rows) {
        Expected<QString> text = row.Convert(entries);
        if (!text) {
            conversion = Status::Fail(text.message());
            break;
        }
        converted.emplace_back(QLatin1String(row.Name), *text);
    }
    if (!converted.empty()) {
        Status written = WriteSettingTexts(converted);
        if (!written)
            return written;
    }
    return conversion;
}

Expected<AppSettings> ConvertEntries(const OptionEntries& entries) {
    AppSettings settings;
    for (const Row& row : Rows) {
        Expected<QString> text = row.Convert(entries);
        if (!text)
            return Status::Fail(text.message());
        ApplyStoredText(row, *text, settings);
    }
    return settings;
}

NewDocumentDefaults NewDocumentDefaultsFrom(const AppSettings& settings) {
    NewDocumentDefaults defaults;
    defaults.FileOSName = settings.DefaultFILEOS.toStdString();
    defaults.LanguageID = settings.DefaultLanguageID;
    defaults.CodePage = settings.DefaultCodePage;
    return defaults;
}

} // namespace qm
