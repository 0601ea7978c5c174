//===- AppSettings.cpp - The user's settings: rows, load and store --------===//
//
// The eleven rows (settings/SettingRows.h) each get their field here and the
// conversion of the dialog's entry. Loading, storing and converting all walk
// the rows in order, so the order that decides what a failed store leaves
// written lives in one place.
//
//===----------------------------------------------------------------------===//
#include "settings/AppSettings.h"
#include "settings/CompilerProbe.h"
#include "settings/SettingNumbers.h"
#include "settings/SettingRows.h"
#include "settings/SettingsStore.h"

#include "versioninfo/document/Tables.h"

#include <QVariant>

#include <array>

namespace qm {
namespace {

/// How one dialog entry becomes the text that is stored.
using EntryConversion = Expected<QString> (*)(const OptionEntries&);

struct Row {
    SettingId Id;
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
    return Status::Fail((message + QLatin1Char(')')).toLocal8Bit().toStdString());
}

/// The row's display string, or nothing when `row` is outside the table.
const std::string* SelectedRow(const TextList& table, int row) {
    if (row < 0 || row >= static_cast<int>(table.size()))
        return nullptr;
    return &table[static_cast<std::size_t>(row)];
}

Expected<QString> ConvertFontSize(const OptionEntries& e) {
    const auto size = ReadWholeNumber(e.FontSize.toStdString());
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
    {SettingId::FontName, &S::FontName, nullptr, nullptr,
     [](const OptionEntries& e) -> Expected<QString> { return e.FontName; }},
    {SettingId::FontSize, nullptr, &S::FontSize, nullptr, ConvertFontSize},
    {SettingId::UseInitialRC, nullptr, nullptr, &S::UseInitialRC,
     [](const OptionEntries& e) -> Expected<QString> { return FlagText(e.UseInitialRC); }},
    {SettingId::DefaultFILEOS, &S::DefaultFILEOS, nullptr, nullptr,
     [](const OptionEntries& e) -> Expected<QString> { return e.DefaultFILEOS; }},
    {SettingId::DefaultLanguageID, nullptr, &S::DefaultLanguageID, nullptr, ConvertLanguage},
    {SettingId::DefaultCodePage, nullptr, &S::DefaultCodePage, nullptr, ConvertCodePage},
    {SettingId::MinimizeWindow, nullptr, nullptr, &S::MinimizeWindow,
     [](const OptionEntries& e) -> Expected<QString> { return FlagText(e.MinimizeWindow); }},
    {SettingId::UseBatchFile, nullptr, nullptr, &S::UseBatchFile,
     [](const OptionEntries& e) -> Expected<QString> { return FlagText(e.UseBatchFile); }},
    {SettingId::CompilerPath, &S::CompilerPath, nullptr, nullptr,
     [](const OptionEntries& e) -> Expected<QString> { return e.CompilerPath; }},
    {SettingId::CompilerCmdLine32, &S::CompilerCmdLine32, nullptr, nullptr,
     [](const OptionEntries& e) -> Expected<QString> { return e.CompilerCmdLine32; }},
    {SettingId::CompilerCmdLine16, &S::CompilerCmdLine16, nullptr, nullptr,
     [](const OptionEntries& e) -> Expected<QString> { return e.CompilerCmdLine16; }},
}};
// clang-format on

const SettingRow& Declared(const Row& row) {
    return SettingRowOf(row.Id);
}

void ApplyTableDefault(const Row& row, AppSettings& settings) {
    const SettingRow& declared = Declared(row);
    switch (declared.Kind) {
    case SettingKind::Text:
        settings.*row.TextField = QString::fromLatin1(declared.TextDefault);
        break;
    case SettingKind::Integer:
        settings.*row.IntegerField = declared.NumberDefault;
        break;
    case SettingKind::Flag:
        settings.*row.FlagField = FlagFromNumber(declared.NumberDefault);
        break;
    }
}

/// The row's field as `defaults` hold it.
void ApplyDefault(const Row& row, const AppSettings& defaults, AppSettings& settings) {
    if (row.TextField)
        settings.*row.TextField = defaults.*row.TextField;
    else if (row.IntegerField)
        settings.*row.IntegerField = defaults.*row.IntegerField;
    else
        settings.*row.FlagField = defaults.*row.FlagField;
}

/// A stored text taken into its field: texts unchanged, numbers and flags by
/// the integer reading rule (a text that is not a number gives the default).
void ApplyStoredText(const Row& row, const QString& text, AppSettings& settings) {
    const SettingRow& declared = Declared(row);
    switch (declared.Kind) {
    case SettingKind::Text:
        settings.*row.TextField = text;
        break;
    case SettingKind::Integer:
        settings.*row.IntegerField = ReadIntegerSetting(text.toStdString(), declared.NumberDefault);
        break;
    case SettingKind::Flag:
        settings.*row.FlagField =
            FlagFromNumber(ReadIntegerSetting(text.toStdString(), declared.NumberDefault));
        break;
    }
}

Status WrongType(const Row& row) {
    return Status::Fail(QStringLiteral("Invalid data type for '%1' in '%2'")
                            .arg(QLatin1String(Declared(row).Name), SettingsStoreLocation())
                            .toLocal8Bit()
                            .toStdString());
}

} // namespace

bool AppSettings::operator==(const AppSettings& o) const {
    for (const Row& row : Rows) {
        const bool same = row.TextField      ? this->*row.TextField == o.*row.TextField
                          : row.IntegerField ? this->*row.IntegerField == o.*row.IntegerField
                                             : this->*row.FlagField == o.*row.FlagField;
        if (!same)
            return false;
    }
    return true;
}

AppSettings BuiltInAppSettings() {
    AppSettings settings;
    for (const Row& row : Rows)
        ApplyTableDefault(row, settings);
    ApplyCompilerProbe(CurrentCompilerProbe(), settings);
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
    const AppSettings defaults = BuiltInAppSettings();
    for (const Row& row : Rows) {
        const QString name = QLatin1String(Declared(row).Name);
        if (!store->contains(name)) {
            ApplyDefault(row, defaults, into);
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
        converted.emplace_back(QLatin1String(Declared(row).Name), *text);
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
