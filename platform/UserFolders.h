//===- UserFolders.h - Where the program and the user's files are -*- C++ -*-===//
//
// Paths are the program's bytes (platform/Files.h), without a trailing
// separator. A folder that can't be worked out is "".
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/support/Status.h"

#include <optional>
#include <string>

namespace qm::platform {

/// The folder of the running program's file.
std::string ProgramFolder();

/// The user's configuration folder: $XDG_CONFIG_HOME, else ~/.config;
/// %APPDATA% on Windows.
std::string UserConfigFolder();

/// The user's data folder: $XDG_DATA_HOME, else ~/.local/share;
/// %LOCALAPPDATA% on Windows.
std::string UserDataFolder();

/// The user's state folder (logs and the like): $XDG_STATE_HOME, else
/// ~/.local/state; on Windows, which has none, the data folder.
std::string UserStateFolder();

/// A value of the current user's registry (HKEY_CURRENT_USER\`subKey`,
/// value `name`). Nothing when the key or value is missing, and always on
/// systems without a registry.
struct RegistryValue {
    bool IsText = false; ///< REG_SZ or REG_EXPAND_SZ
    std::string Text;    ///< the text in UTF-8, when IsText
};
std::optional<RegistryValue> ReadUserRegistryValue(const std::string& subKey,
                                                   const std::string& name);

/// Stores `utf8` as the text (REG_SZ) value `name` of the current user's
/// key HKEY_CURRENT_USER\`subKey`, creating the key. The error names the
/// key and value; systems without a registry always refuse.
Status WriteUserRegistryText(const std::string& subKey, const std::string& name,
                             const std::string& utf8);

} // namespace qm::platform
