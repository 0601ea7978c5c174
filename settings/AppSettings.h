//===- AppSettings.h - The user's settings and their store ---------*- C++ -*-===//
//
// Eleven settings live for the whole run in one process-wide AppSettings
// record. LoadSettings fills it once at start-up; StoreSettings writes the
// options dialog's entries back to the per-user store, row by row in the
// fixed order below. StoreSettings never touches AppSettings itself: the
// dialog copies its entries in only after a complete store.
//
// The store is QSettings (organisation "Harrowgate", application
// "Quillmark", native format, group "Settings"): the registry key
// HKEY_CURRENT_USER\Software\Harrowgate\Quillmark\Settings on Windows, the
// file $XDG_CONFIG_HOME/Harrowgate/Quillmark.conf elsewhere. Every value is
// a string; numbers are decimal text, flags "0" or "1".
//
//===----------------------------------------------------------------------===//
#pragma once

#include "settings/SettingRows.h"
#include "versioninfo/document/VersionRecord.h"
#include "versioninfo/support/Status.h"

#include <QString>

#include <cstdint>

namespace qm {

/// One field per setting, named as its stored value, in load/store order.
/// Before LoadSettings runs, texts are empty, integers 0 and flags off; the
/// keys and defaults are declared once, in SettingRows.h.
struct AppSettings {
    QString FontName;
    std::int32_t FontSize = 0;
    bool UseInitialRC = false;
    QString DefaultFILEOS;
    std::int32_t DefaultLanguageID = 0;
    std::int32_t DefaultCodePage = 0;
    bool MinimizeWindow = false;
    bool UseBatchFile = false;
    QString CompilerPath;
    QString CompilerCmdLine32;
    QString CompilerCmdLine16;

    bool operator==(const AppSettings& other) const;
    bool operator!=(const AppSettings& other) const { return !(*this == other); }
};

/// Every row at the default it takes when no value is stored. On Linux
/// with llvm-rc on PATH the compiler folder and 32-bit command name llvm-rc
/// (CompilerProbe.h); elsewhere the table's defaults hold.
AppSettings BuiltInAppSettings();

/// The process-wide record. Only LoadSettings() and the options dialog
/// write it.
AppSettings& TheAppSettings();

/// The options dialog's entries as plain values, so a store can run (and be
/// tested) without the dialog.
struct OptionEntries {
    QString FontName; ///< the font list's text; "" when nothing is selected
    QString FontSize; ///< the size box's text, read as a whole number
    bool UseInitialRC = false;
    QString DefaultFILEOS;   ///< the FILEOS list's text; "" when nothing is selected
    int LanguageRow = NoRow; ///< selected row of LanguageTable(), or NoRow
    int CodePageRow = NoRow; ///< selected row of CodePageTable(), or NoRow
    bool MinimizeWindow = false;
    bool UseBatchFile = false;
    QString CompilerPath;      ///< taken exactly as typed, blanks included
    QString CompilerCmdLine32; ///< likewise
    QString CompilerCmdLine16; ///< likewise
};

/// Fills every field of `into` from the store, or with the row's default
/// where the value is missing (an integer text that is not a number also
/// gives the default). A value that is not a string stops the load at its
/// row with an error naming the value; that row and the later ones keep
/// what `into` held. A settings file that exists but can't be read gives
/// every default and an error naming the file and the cause.
Status LoadSettings(AppSettings& into);
/// LoadSettings(TheAppSettings()).
Status LoadSettings();

/// Converts and writes the entries in row order, each just before it is
/// written. A conversion error (a size text that is not a whole number, no
/// language or code page row) names the offending text and ends the store at
/// that row: earlier rows stay written, later rows keep their stored values.
/// A write error names the settings file or key. A failed write never leaves
/// the settings file empty or cut short. AppSettings is never changed.
Status StoreSettings(const OptionEntries& entries);

/// The entries converted as StoreSettings converts them, or the first
/// conversion error (the same message StoreSettings gives). Lets the dialog
/// copy its entries into AppSettings after a complete store.
Expected<AppSettings> ConvertEntries(const OptionEntries& entries);

/// One setting's entry as its dialog control holds it; the row's control
/// (SettingRows.h) says which member counts.
struct SettingEntry {
    QString Text;         ///< lists of text, number boxes and edits
    bool Checked = false; ///< check boxes
    int Row = NoRow;      ///< the language and code page lists
};
SettingEntry EntryOf(const OptionEntries& entries, SettingId id);
void SetEntry(OptionEntries& entries, SettingId id, const SettingEntry& entry);

/// The entries that show `settings` in the dialog. Converting them gives
/// `settings` back wherever a control can show the value; a language or code
/// page outside the tables shows no row.
OptionEntries EntriesShowing(const AppSettings& settings);

/// The three new-document defaults a set of settings asks for. A default that
/// matches no table row is passed on as it is; NewDocument() then leaves that
/// field without a row.
NewDocumentDefaults NewDocumentDefaultsFrom(const AppSettings& settings);

/// Points the store at a settings file of its own (INI format, same group
/// and value names) instead of the per-user store; an empty path goes back
/// to the per-user store. For tests and tools; not thread-safe.
void SetSettingsStoreFile(const QString& path);

/// Where the store currently lives: a file path, or on Windows with the
/// per-user store the registry key. Used in error messages.
QString SettingsStoreLocation();

} // namespace qm
