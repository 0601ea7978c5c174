//===- SettingRows.h - The eleven settings, declared once ---------*- C++ -*-===//
//
// Each setting's stored name, kind and built-in default. The window's store,
// its options dialog and quillmark-rc's reader all walk this one table, in
// this order: the order decides what a failed load or store leaves behind.
// Every value is stored as a string; numbers as decimal text, flags as "0"
// or "1", all in the group "Settings".
//
//===----------------------------------------------------------------------===//
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qm {

/// The group of the store that holds every setting.
inline constexpr const char* SettingsGroupName = "Settings";

enum class SettingKind { Text, Integer, Flag };

enum class SettingId {
    FontName,
    FontSize,
    UseInitialRC,
    DefaultFILEOS,
    DefaultLanguageID,
    DefaultCodePage,
    MinimizeWindow,
    UseBatchFile,
    CompilerPath,
    CompilerCmdLine32,
    CompilerCmdLine16,
};

struct SettingRow {
    SettingId Id;
    const char* Name;
    SettingKind Kind;
    const char* TextDefault;    ///< Text rows
    std::int32_t NumberDefault; ///< Integer rows; Flag rows: 0 or 1
};

// clang-format off
inline constexpr std::array<SettingRow, 11> SettingRows = {{
    {SettingId::FontName, "FontName", SettingKind::Text, "FixedSys", 0},
    {SettingId::FontSize, "FontSize", SettingKind::Integer, nullptr, 9},
    {SettingId::UseInitialRC, "UseInitialRC", SettingKind::Flag, nullptr, 0},
    {SettingId::DefaultFILEOS, "DefaultFILEOS", SettingKind::Text, "VOS_DOS_WINDOWS32", 0},
    {SettingId::DefaultLanguageID, "DefaultLanguageID", SettingKind::Integer, nullptr, 1041},
    {SettingId::DefaultCodePage, "DefaultCodePage", SettingKind::Integer, nullptr, 1200},
    {SettingId::MinimizeWindow, "MinimizeWindow", SettingKind::Flag, nullptr, 0},
    {SettingId::UseBatchFile, "UseBatchFile", SettingKind::Flag, nullptr, 1},
    {SettingId::CompilerPath, "CompilerPath", SettingKind::Text,
     "C:\\Program Files\\Borland\\Delphi 2.0\\Bin", 0},
    {SettingId::CompilerCmdLine32, "CompilerCmdLine32", SettingKind::Text, "Brcc32 -v -32", 0},
    {SettingId::CompilerCmdLine16, "CompilerCmdLine16", SettingKind::Text, "Brcc32 -v -16", 0},
}};
// clang-format on

constexpr const SettingRow& SettingRowOf(SettingId id) {
    return SettingRows[static_cast<std::size_t>(id)];
}

} // namespace qm
