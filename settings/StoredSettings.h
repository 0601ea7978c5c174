//===- StoredSettings.h - The user's stored settings, read without Qt -*- C++ -*-===//
//
// The store the window writes: the registry key
// HKEY_CURRENT_USER\Software\Harrowgate\Quillmark\Settings on Windows, the
// file $XDG_CONFIG_HOME/Harrowgate/Quillmark.conf elsewhere. Read by the
// same rules as the window's load (settings/AppSettings.h), so quillmark-rc
// and the window agree on every value.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "settings/SettingRows.h"
#include "versioninfo/document/VersionRecord.h"
#include "versioninfo/support/Status.h"

#include <array>
#include <optional>
#include <string>

namespace qm {

/// The rows' stored texts, in row order. A row with nothing stored is
/// empty. A value that is not a string ends the reading at its row, with
/// an error naming it; that row and the later ones are empty. A settings
/// file that exists but can't be read leaves every row empty, with an error
/// naming the file and the cause.
struct StoredSettings {
    std::array<std::optional<std::string>, SettingRows.size()> Texts;
    Status Problem = Status::Ok();
};

StoredSettings ReadStoredSettings();

/// Where the store lives: the file, or on Windows the registry key.
std::string StoredSettingsLocation();

/// The three new-document defaults as the window's load gives them: the
/// stored text where there is one, else the built-in default.
NewDocumentDefaults StoredNewDocumentDefaults(const StoredSettings& stored);

} // namespace qm
