//===- SettingEntries.h - The options dialog's entries as stored texts -*- C++ -*-===//
//
// Each setting is edited by one control of the options dialog, whose kind
// the rows declare (settings/SettingRows.h). This converts a control's
// entry into the text the store keeps, and back, the same for every
// window: the Qt dialog and the Win32 one bind through it.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "settings/SettingRows.h"
#include "versioninfo/document/VersionRecord.h"
#include "versioninfo/support/Status.h"

#include <array>
#include <cstdint>
#include <string>

namespace qm {

/// What a control holds, as its kind gives it: a list's or an edit's text,
/// a check box's state, or the selected row of the language or code page
/// table.
struct EntryValue {
    std::string Text;
    bool Checked = false;
    int Row = NoRow;
};

/// The text `row`'s entry is stored as: a number box's text as a decimal
/// whole number, a check as "0" or "1", a table row as its value in decimal,
/// any other text exactly as entered. Fails as the store does:
/// "'12x' is not a valid integer value (FontSize)".
Expected<std::string> StoredTextOfEntry(const SettingRow& row, const EntryValue& entry);

/// The eleven settings as stored texts, in row order, each as a load gives
/// it: the stored text where there is one, else the row's default, numbers
/// and flags read by the store's rules and written back in decimal.
struct SettingValues {
    std::array<std::string, SettingRows.size()> Texts;

    const std::string& Text(SettingId id) const { return Texts[static_cast<std::size_t>(id)]; }
    std::int32_t Number(SettingId id) const;
    bool Flag(SettingId id) const;
    /// The three new-document defaults.
    NewDocumentDefaults NewDocument() const;
};

/// The built-in defaults, then each stored text over its row's.
SettingValues
SettingValuesFrom(const std::array<std::optional<std::string>, SettingRows.size()>& stored);

/// What `texts` shows in `row`'s control: the text, the check, or the
/// first table row that holds the value (uppercase hexadecimal language,
/// decimal code page); NoRow when none does.
EntryValue EntryOfText(const SettingRow& row, const SettingValues& texts);

/// On a machine without the default compiler (Brcc32.exe in the default
/// folder) and with nothing stored for the compiler folder or the 32-bit
/// command, Save & Compile uses quillmark-rc's own compiler beside the
/// program in `programDir` (ending in a separator), when it is there.
void UseBuiltInCompilerWhenNoneStored(
    SettingValues& values, const std::array<std::optional<std::string>, SettingRows.size()>& stored,
    const std::string& programDir);

/// Stores `text` (UTF-8) as `row`'s value in the registry key quillmark-rc
/// reads. The error names the key and the value.
Status StoreSettingInRegistry(const SettingRow& row, const std::string& text);

} // namespace qm
