//===- SettingRows.h - The eleven settings, declared once ---------*- C++ -*-===//
//
// Each setting's stored name, kind, built-in default, and the options
// dialog's control for it: its kind, its name and its caption. The window's
// store, the dialog's binding and quillmark-rc's reader all walk this one
// table, in this order: the order decides what a failed load or store leaves
// behind. Every value is stored as a string; numbers as decimal text, flags
// as "0" or "1", all in the group "Settings".
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

/// How the options dialog edits a setting, and so what its entry is.
enum class SettingControl {
    FontList,     ///< the screen's fonts; the entry is the family shown
    NumberBox,    ///< an edit with arrows; the entry is its text, a whole number
    Check,        ///< a check box captioned with the row's label
    FileOSList,   ///< FileOSTable(); the entry is the row's text
    LanguageList, ///< LanguageTable(); the entry is the selected row
    CodePageList, ///< CodePageTable(); the entry is the selected row
    Edit,         ///< the entry is the text exactly as typed
};

struct SettingRow {
    SettingId Id;
    const char* Name;
    SettingKind Kind;
    const char* TextDefault;    ///< Text rows
    std::int32_t NumberDefault; ///< Integer rows; Flag rows: 0 or 1
    SettingControl Control;
    const char* ControlName; ///< the dialog control's object name
    const char* Label;       ///< a check box's caption, or the label beside the control
};

// clang-format off
inline constexpr std::array<SettingRow, 11> SettingRows = {{
    {SettingId::FontName, "FontName", SettingKind::Text, "FixedSys", 0,
     SettingControl::FontList, "ccbFontName", "Font Name  (Fixed-Pitch recommended)"},
    {SettingId::FontSize, "FontSize", SettingKind::Integer, nullptr, 9,
     SettingControl::NumberBox, "cedFontSize", "Font Size"},
    {SettingId::UseInitialRC, "UseInitialRC", SettingKind::Flag, nullptr, 0,
     SettingControl::Check, "cckUseIni", "Use Initial.rc"},
    {SettingId::DefaultFILEOS, "DefaultFILEOS", SettingKind::Text, "VOS_DOS_WINDOWS32", 0,
     SettingControl::FileOSList, "ccbFileOS", "Default FILEOS"},
    {SettingId::DefaultLanguageID, "DefaultLanguageID", SettingKind::Integer, nullptr, 1041,
     SettingControl::LanguageList, "ccbLanguageID", "Default LanguageID"},
    {SettingId::DefaultCodePage, "DefaultCodePage", SettingKind::Integer, nullptr, 1200,
     SettingControl::CodePageList, "ccbCodePage", "Default CodePage"},
    {SettingId::MinimizeWindow, "MinimizeWindow", SettingKind::Flag, nullptr, 0,
     SettingControl::Check, "cckMinWin", "Minimize Window"},
    {SettingId::UseBatchFile, "UseBatchFile", SettingKind::Flag, nullptr, 1,
     SettingControl::Check, "cckUseBat", "Use Batch-File"},
    {SettingId::CompilerPath, "CompilerPath", SettingKind::Text,
     "C:\\Program Files\\Borland\\Delphi 2.0\\Bin", 0,
     SettingControl::Edit, "cedCompilerPath", "Path"},
    {SettingId::CompilerCmdLine32, "CompilerCmdLine32", SettingKind::Text, "Brcc32 -v -32", 0,
     SettingControl::Edit, "cedCompiler32", "32"},
    {SettingId::CompilerCmdLine16, "CompilerCmdLine16", SettingKind::Text, "Brcc32 -v -16", 0,
     SettingControl::Edit, "cedCompiler16", "16"},
}};
// clang-format on

constexpr const SettingRow& SettingRowOf(SettingId id) {
    return SettingRows[static_cast<std::size_t>(id)];
}

} // namespace qm
