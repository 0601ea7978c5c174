//===- AppSettings.cpp - The user's settings: rows, load and store --------===//
//
// The eleven rows (settings/SettingRows.h) each get their field here and
// their entry in the dialog's; the entry converts as its control says. Loading, storing and
// converting all walk the rows in order, so the order that decides what a failed store leaves
// written lives in one place.
//
//===----------------------------------------------------------------------===//
#include "settings/AppSettings.h"
#include "settings/CompilerProbe.h"
#include "settings/SettingEntries.h"
#include "settings/SettingNumbers.h"
#include "settings/SettingRows.h"
#include "settings/SettingsStore.h"

#include "versioninfo/document/Lookups.h"
#include "versioninfo/document/Tables.h"

#include <QVariant>

#include <array>

namespace qm {
namespace {

/// Where one setting lives in AppSettings (one field of its kind) and in
/// OptionEntries (a text, a check or a table row, as its control says).
struct Row {
    SettingId Id;
    QString AppSettings::*TextField = nullptr;
    std::int32_t AppSettings::*IntegerField = nullptr;
    bool AppSettings::*FlagField = nullptr;
    QString OptionEntries::*EntryText = nullptr;
    bool OptionEntries::*EntryFlag = nullptr;
    int OptionEntries::*EntryRow = nullptr;
};

using S = AppSettings;
using E = OptionEntries;

constexpr Row TextRow(SettingId id, QString S::*field, QString E::*entry) {
    return {id, field, nullptr, nullptr, entry, nullptr, nullptr};
}
constexpr Row NumberRow(SettingId id, std::int32_t S::*field, QString E::*entry) {
    return {id, nullptr, field, nullptr, entry, nullptr, nullptr};
}
constexpr Row ListRow(SettingId id, std::int32_t S::*field, int E::*entry) {
    return {id, nullptr, field, nullptr, nullptr, nullptr, entry};
}
constexpr Row FlagRow(SettingId id, bool S::*field, bool E::*entry) {
    return {id, nullptr, nullptr, field, nullptr, entry, nullptr};
}

const std::array<Row, 11> Rows = {{
    TextRow(SettingId::FontName, &S::FontName, &E::FontName),
    NumberRow(SettingId::FontSize, &S::FontSize, &E::FontSize),
    FlagRow(SettingId::UseInitialRC, &S::UseInitialRC, &E::UseInitialRC),
    TextRow(SettingId::DefaultFILEOS, &S::DefaultFILEOS, &E::DefaultFILEOS),
    ListRow(SettingId::DefaultLanguageID, &S::DefaultLanguageID, &E::LanguageRow),
    ListRow(SettingId::DefaultCodePage, &S::DefaultCodePage, &E::CodePageRow),
    FlagRow(SettingId::MinimizeWindow, &S::MinimizeWindow, &E::MinimizeWindow),
    FlagRow(SettingId::UseBatchFile, &S::UseBatchFile, &E::UseBatchFile),
    TextRow(SettingId::CompilerPath, &S::CompilerPath, &E::CompilerPath),
    TextRow(SettingId::CompilerCmdLine32, &S::CompilerCmdLine32, &E::CompilerCmdLine32),
    TextRow(SettingId::CompilerCmdLine16, &S::CompilerCmdLine16, &E::CompilerCmdLine16),
}};

const Row& RowOf(SettingId id) {
    return Rows[static_cast<std::size_t>(id)];
}

/// The text the row's entry is stored as, read the way its control is.
Expected<QString> ConvertEntry(const Row& row, const OptionEntries& entries) {
    EntryValue entry;
    if (row.EntryText)
        entry.Text = (entries.*row.EntryText).toStdString();
    if (row.EntryFlag)
        entry.Checked = entries.*row.EntryFlag;
    if (row.EntryRow)
        entry.Row = entries.*row.EntryRow;
    Expected<std::string> stored = StoredTextOfEntry(SettingRowOf(row.Id), entry);
    if (!stored)
        return Status::Fail(stored.message());
    return QString::fromStdString(*stored);
}

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
        Expected<QString> text = ConvertEntry(row, entries);
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
        Expected<QString> text = ConvertEntry(row, entries);
        if (!text)
            return Status::Fail(text.message());
        ApplyStoredText(row, *text, settings);
    }
    return settings;
}

SettingEntry EntryOf(const OptionEntries& entries, SettingId id) {
    const Row& row = RowOf(id);
    SettingEntry entry;
    if (row.EntryText)
        entry.Text = entries.*row.EntryText;
    else if (row.EntryFlag)
        entry.Checked = entries.*row.EntryFlag;
    else
        entry.Row = entries.*row.EntryRow;
    return entry;
}

void SetEntry(OptionEntries& entries, SettingId id, const SettingEntry& entry) {
    const Row& row = RowOf(id);
    if (row.EntryText)
        entries.*row.EntryText = entry.Text;
    else if (row.EntryFlag)
        entries.*row.EntryFlag = entry.Checked;
    else
        entries.*row.EntryRow = entry.Row;
}

OptionEntries EntriesShowing(const AppSettings& settings) {
    OptionEntries entries;
    for (const Row& row : Rows) {
        switch (SettingRowOf(row.Id).Control) {
        case SettingControl::NumberBox:
            entries.*row.EntryText = QString::number(settings.*row.IntegerField);
            break;
        case SettingControl::LanguageList:
            entries.*row.EntryRow = LanguageRowOf(settings.*row.IntegerField);
            break;
        case SettingControl::CodePageList:
            entries.*row.EntryRow = CodePageRowOf(settings.*row.IntegerField);
            break;
        case SettingControl::Check:
            entries.*row.EntryFlag = settings.*row.FlagField;
            break;
        default:
            entries.*row.EntryText = settings.*row.TextField;
            break;
        }
    }
    return entries;
}

NewDocumentDefaults NewDocumentDefaultsFrom(const AppSettings& settings) {
    NewDocumentDefaults defaults;
    defaults.FileOSName = settings.DefaultFILEOS.toStdString();
    defaults.LanguageID = settings.DefaultLanguageID;
    defaults.CodePage = settings.DefaultCodePage;
    return defaults;
}

} // namespace qm
