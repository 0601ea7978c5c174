//===- SettingsStore.h - Where the settings are kept ---------------*- C++ -*-===//
//
// The one place that knows where the settings live and how they reach the
// disk (or the registry). AppSettings.cpp decides what is read and written;
// this layer only moves named string values in and out of the "Settings"
// group.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "settings/SettingRows.h"
#include "versioninfo/support/Status.h"

#include <QSettings>
#include <QString>

#include <memory>
#include <utility>
#include <vector>

namespace qm {

/// The group that holds every setting.
inline const QString SettingsGroup = QLatin1String(SettingsGroupName);

/// Value names and their texts, in the order they are to be written.
using SettingTexts = std::vector<std::pair<QString, QString>>;

/// Fails, naming the file and the cause, when the settings file exists but
/// is no regular file or can't be read; a missing file is no error.
Status CheckSettingsReadable();

/// The store opened for reading, at its root. Opening never creates anything;
/// a missing store reads as empty.
std::unique_ptr<QSettings> OpenSettingsForReading();

/// Writes `values` into the "Settings" group, keeping every other value of
/// the store. All or nothing for a file store: on any failure the previous
/// file stays as it was. The error names the file or registry key.
Status WriteSettingTexts(const SettingTexts& values);

} // namespace qm
