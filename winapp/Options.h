//===- Options.h - The Win32 options dialog -------------------------*- C++ -*-===//
//
// TFormOpt on Win32: the eleven settings, each in the control its row
// declares (settings/SettingRows.h), placed by pixel as designed (client
// area 464 x 324), with a live preview of the editor font in the dialog's
// own boxes. OK stores the entries in the registry key quillmark-rc reads,
// then takes them as the settings in force; Cancel and the close box store
// nothing.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "settings/SettingEntries.h"
#include "winapp/DlgsPlus.h"

#include <windows.h>

#include <string>
#include <vector>

namespace qm::win {

class TFormOpt {
public:
    static bool Register(HINSTANCE instance);

    /// Made once, hidden, owned by `owner`; the font list is filled now.
    bool Create(HWND owner);
    /// Shows the dialog modally, centred over `owner`, starting from
    /// `settings`. IDOK or IDCANCEL.
    int ShowModal(HWND owner, const SettingValues& settings);
    /// The settings in force after the last showing.
    const SettingValues& Settings() const { return Current; }
    HWND Handle() const { return Window; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void BuildControls();
    void BuildButtonsAndAbout();
    HWND Control(int id) const { return GetDlgItem(Window, id); }
    HWND ControlOf(const SettingRow& row) const;

    void SettingsToControls();
    EntryValue EntryOf(const SettingRow& row) const;
    /// Stores the entries row by row; the first failure is shown and ends it.
    bool StoreSettings(SettingValues& stored);
    void FontNameChange();
    void FontSizeChange();
    void FontListFocus(bool entered);
    void UseIniClick();
    void FindClick();
    void Close(int result);
    void SetPreviewFont(const std::string& face, int points);

    HWND Window = nullptr;
    std::vector<std::string> FontNames;
    SettingValues Current;
    HFONT LabelFont = nullptr;
    HFONT FixedFont = nullptr;
    HFONT PreviewFont = nullptr;
    HFONT ListFont = nullptr;
    std::string PreviewFace = "FixedSys";
    int PreviewPoints = 9;
    int Result = 0;
    bool Filling = false;
};

} // namespace qm::win
