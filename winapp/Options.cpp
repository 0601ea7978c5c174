//===- Options.cpp - The Win32 options dialog -----------------------------===//

#include "winapp/Options.h"

#include "settings/SettingNumbers.h"
#include "versioninfo/document/Lookups.h"
#include "versioninfo/document/Tables.h"
#include "versioninfo/support/PathParts.h"
#include "winapp/ControlIds.h"
#include "winapp/WinControls.h"

#include <commctrl.h>

#include <exception>

#include <algorithm>

#ifndef QM_VERSION_TEXT
#define QM_VERSION_TEXT "1.0.0"
#endif

namespace qm::win {

namespace {

constexpr int ClientWidth = 464;
constexpr int ClientHeight = 324;
constexpr DWORD DialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr int PreviewIds[] = {IdOptFontSize,     IdOptFileOS,     IdOptLanguageID, IdOptCodePage,
                              IdOptCompilerPath, IdOptCompiler32, IdOptCompiler16};

TFormOpt* DialogOf(HWND window) {
    return reinterpret_cast<TFormOpt*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

int CALLBACK AddFontFamily(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM names) {
    auto* list = reinterpret_cast<std::vector<std::string>*>(names);
    if (font->lfFaceName[0] != '@') // the vertical forms of East Asian fonts
        list->push_back(font->lfFaceName);
    return 1;
}

/// The screen's font families, sorted by name, each once.
std::vector<std::string> ScreenFonts() {
    std::vector<std::string> names;
    LOGFONTA wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExA(screen, &wanted, &AddFontFamily, reinterpret_cast<LPARAM>(&names), 0);
    ReleaseDC(nullptr, screen);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return lstrcmpiA(a.c_str(), b.c_str()) < 0;
    });
    names.erase(std::unique(names.begin(), names.end(),
                            [](const std::string& a, const std::string& b) {
                                return lstrcmpiA(a.c_str(), b.c_str()) == 0;
                            }),
                names.end());
    return names;
}

} // namespace

bool TFormOpt::Register(HINSTANCE instance) {
    WNDCLASSA dialog{};
    dialog.lpfnWndProc = &TFormOpt::Proc;
    dialog.hInstance = instance;
    dialog.hCursor = LoadCursor(nullptr, IDC_ARROW);
    dialog.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    dialog.lpszClassName = OptionsWindowClass;
    return RegisterClassA(&dialog) != 0;
}

bool TFormOpt::Create(HWND owner) {
    RECT bounds{0, 0, ClientWidth, ClientHeight};
    AdjustWindowRectEx(&bounds, DialogStyle, FALSE, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT);
    Window =
        CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, OptionsWindowClass, "Options",
                        DialogStyle, 0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top,
                        owner, nullptr, GetModuleHandleA(nullptr), this);
    if (!Window)
        return false;
    FontNames = ScreenFonts();
    BuildControls();
    return true;
}

void TFormOpt::BuildControls() {
    LabelFont = MakeFont("MS Sans Serif", -11, true);
    FixedFont = MakeFont("FixedSys", 12, false);
    auto label = [this](const char* text, int id, int left, int top, int width) {
        return AddControl(Window, "STATIC", text, SS_LEFT, id, left, top, width, 14, LabelFont);
    };
    auto list = [this](int id, int left, int top, int width, const TextList& rows) {
        HWND made = AddControl(Window, "COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                               id, left, top, width, 320, FixedFont);
        FillList(made, rows);
        return made;
    };
    auto edit = [this](int id, int left, int top, int width) {
        return AddControl(Window, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, id, left, top, width, 20,
                          FixedFont, WS_EX_CLIENTEDGE);
    };
    auto check = [this](const SettingRow& row, int id, int left, int top, int width) {
        return AddControl(Window, "BUTTON", row.Label, WS_TABSTOP | BS_AUTOCHECKBOX, id, left, top,
                          width, 17, LabelFont);
    };
    const auto rowOf = [](SettingId id) -> const SettingRow& { return SettingRowOf(id); };

    label(rowOf(SettingId::FontName).Label, -1, 8, 8, 300);
    label(rowOf(SettingId::FontSize).Label, -1, 400, 8, 60);
    list(IdOptFontName, 8, 24, 373, FontNames);
    edit(IdOptFontSize, 400, 24, 33);
    HWND arrows = AddControl(Window, UPDOWN_CLASSA, "",
                             UDS_SETBUDDYINT | UDS_NOTHOUSANDS | UDS_ARROWKEYS | WS_TABSTOP,
                             IdOptFontSizeArrows, 433, 24, 12, 20, nullptr);
    SendMessageA(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Control(IdOptFontSize)), 0);
    SendMessageA(arrows, UDM_SETRANGE32, 4, 16);
    SendMessageA(arrows, UDM_SETPOS32, 0, 9);
    check(rowOf(SettingId::UseInitialRC), IdOptUseIni, 352, 67, 97);
    label(rowOf(SettingId::DefaultFILEOS).Label, IdOptLabFileOS, 8, 56, 175);
    list(IdOptFileOS, 8, 72, 175, FileOSTable());
    label(rowOf(SettingId::DefaultLanguageID).Label, IdOptLabLanguageID, 8, 104, 200);
    list(IdOptLanguageID, 8, 120, 448, LanguageTable());
    label(rowOf(SettingId::DefaultCodePage).Label, IdOptLabCodePage, 8, 152, 200);
    list(IdOptCodePage, 8, 168, 448, CodePageTable());
    label("Compiler Path && Command-line", -1, 8, 200, 200);
    check(rowOf(SettingId::MinimizeWindow), IdOptMinWin, 216, 199, 121);
    check(rowOf(SettingId::UseBatchFile), IdOptUseBat, 352, 199, 105);
    label(rowOf(SettingId::CompilerPath).Label, -1, 8, 220, 30);
    edit(IdOptCompilerPath, 40, 216, 373);
    label("32", -1, 8, 240, 30);
    edit(IdOptCompiler32, 40, 236, 189);
    label("16", -1, 240, 240, 26);
    edit(IdOptCompiler16, 268, 236, 189);
    BuildButtonsAndAbout();
}

void TFormOpt::BuildButtonsAndAbout() {
    AddControl(Window, "BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IdOptOK, 296, 286, 75, 25,
               LabelFont);
    AddControl(Window, "BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, IdOptCancel, 380, 286, 75,
               25, LabelFont);
    // A flat speed button, never a tab stop.
    AddControl(Window, "BUTTON", "Find...", BS_PUSHBUTTON | BS_FLAT, IdOptFind, 416, 216, 41, 20,
               LabelFont);
    // The about panel: the program's icon, name and version.
    HWND icon = AddControl(Window, "STATIC", "", SS_ICON | SS_SUNKEN, -1, 8, 280, 36, 36, nullptr);
    SendMessageA(
        icon, STM_SETICON,
        reinterpret_cast<WPARAM>(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1))), 0);
    AddControl(Window, "STATIC", "Quillmark", SS_LEFT, -1, 52, 284, 200, 14, LabelFont);
    AddControl(Window, "STATIC", "Version " QM_VERSION_TEXT, SS_LEFT, -1, 52, 300, 200, 14,
               LabelFont);
}

HWND TFormOpt::ControlOf(const SettingRow& row) const {
    return Control(ControlIdOf(OptionControls, row.ControlName));
}

int TFormOpt::ShowModal(HWND owner, const SettingValues& settings) {
    Current = settings;
    // FormShow: the settings, the preview and the enabled states, then the
    // focus in the font list.
    SettingsToControls();
    // Over the window's bounds, also before the window is first shown: the
    // first start's dialog comes up alone over where the window was designed.
    PlaceForm(Window, owner, 4);
    Result = 0;
    EnableWindow(owner, FALSE);
    ShowWindow(Window, SW_SHOW);
    SetFocus(Control(IdOptFontName));
    MSG message;
    while (!Result) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: the main loop must see the quit too.
            if (got == 0)
                PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (IsDialogMessageA(Window, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    EnableWindow(owner, TRUE);
    ShowWindow(Window, SW_HIDE);
    SetActiveWindow(owner);
    return Result ? Result : IDCANCEL;
}

void TFormOpt::SettingsToControls() {
    Filling = true;
    for (const SettingRow& row : SettingRows) {
        const EntryValue entry = EntryOfText(row, Current);
        HWND control = ControlOf(row);
        switch (row.Control) {
        case SettingControl::FontList:
            SelectListRow(control, SelectExact(FontNames, AnsiOfUtf8(entry.Text), NoRow));
            break;
        case SettingControl::FileOSList:
            SelectListRow(control, SelectExact(FileOSTable(), entry.Text, NoRow));
            break;
        case SettingControl::LanguageList:
        case SettingControl::CodePageList:
            SelectListRow(control, entry.Row);
            break;
        case SettingControl::Check:
            SetChecked(control, entry.Checked);
            break;
        case SettingControl::NumberBox:
        case SettingControl::Edit:
            SetWindowTextBytes(control, AnsiOfUtf8(entry.Text));
            break;
        }
    }
    Filling = false;
    FontNameChange();
    FontSizeChange();
    UseIniClick();
}

EntryValue TFormOpt::EntryOf(const SettingRow& row) const {
    EntryValue entry;
    HWND control = ControlOf(row);
    switch (row.Control) {
    case SettingControl::FontList:
    case SettingControl::FileOSList:
        entry.Text = Utf8OfAnsi(ListRowText(control));
        break;
    case SettingControl::LanguageList:
    case SettingControl::CodePageList:
        entry.Row = ListRow(control);
        break;
    case SettingControl::Check:
        entry.Checked = IsChecked(control);
        break;
    case SettingControl::NumberBox:
    case SettingControl::Edit:
        entry.Text = Utf8OfAnsi(WindowText(control));
        break;
    }
    return entry;
}

bool TFormOpt::StoreSettings(SettingValues& stored) {
    // Row by row, as the store has always gone: a failure leaves the rows
    // before it stored.
    stored = Current;
    for (const SettingRow& row : SettingRows) {
        Expected<std::string> text = StoredTextOfEntry(row, EntryOf(row));
        Status written = text ? StoreSettingInRegistry(row, *text) : text.status();
        if (!written) {
            ShowBox(Window, "Options", AnsiOfUtf8(written.message()), MB_OK | MB_ICONERROR);
            return false;
        }
        stored.Texts[static_cast<std::size_t>(row.Id)] = std::move(*text);
    }
    return true;
}

void TFormOpt::SetPreviewFont(const std::string& face, int points) {
    HFONT font = MakeFont(face.c_str(), PointsToHeight(points), false);
    for (int id : PreviewIds)
        SendMessageA(Control(id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (PreviewFont)
        DeleteObject(PreviewFont);
    PreviewFont = font;
    PreviewFace = face;
    PreviewPoints = points;
}

void TFormOpt::FontNameChange() {
    const std::string face = ListRowText(Control(IdOptFontName));
    // No font chosen: the preview keeps its font's name.
    if (!face.empty())
        SetPreviewFont(face, PreviewPoints);
}

// The list is drawn in "FixedSys" while it has the focus, and in the chosen
// font, at its own size, once it has lost it.
void TFormOpt::FontListFocus(bool entered) {
    HFONT font = entered ? FixedFont : MakeFont(PreviewFace.c_str(), 12, false);
    SendMessageA(Control(IdOptFontName), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (ListFont && ListFont != FixedFont)
        DeleteObject(ListFont);
    ListFont = font;
}

void TFormOpt::FontSizeChange() {
    const std::string text = WindowText(Control(IdOptFontSize));
    const std::optional<std::int32_t> size = ReadWholeNumber(text);
    if (!size) {
        if (!Filling && IsWindowVisible(Window))
            ShowBox(Window, "Options", "'" + text + "' is not a valid integer value",
                    MB_OK | MB_ICONERROR);
        return;
    }
    // A size that can't be drawn (zero or less) is still a valid entry; the
    // preview just keeps the size it has.
    if (*size > 0)
        SetPreviewFont(PreviewFace, *size);
}

void TFormOpt::UseIniClick() {
    const BOOL enabled = !IsChecked(Control(IdOptUseIni));
    for (int id : {IdOptFileOS, IdOptLanguageID, IdOptCodePage, IdOptLabFileOS, IdOptLabLanguageID,
                   IdOptLabCodePage})
        EnableWindow(Control(id), enabled);
}

void TFormOpt::FindClick() {
    TOpenDlgPlus dlgFindPath;
    dlgFindPath.Filter = "Resource Compiler (*.exe)|*.exe|All Files (*.*)|*.*";
    dlgFindPath.DefaultExt = "exe";
    dlgFindPath.FileName = "Brcc32.exe";
    dlgFindPath.Options = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!dlgFindPath.Execute(Window))
        return;
    SetWindowTextBytes(Control(IdOptCompilerPath),
                       ContainingFolder(dlgFindPath.FileName, PathStyle::Windows));
}

void TFormOpt::Close(int result) {
    Result = result;
}

LRESULT CALLBACK TFormOpt::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* dialog =
            static_cast<TFormOpt*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        dialog->Window = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(dialog));
    }
    TFormOpt* dialog = DialogOf(window);
    if (!dialog)
        return DefWindowProcA(window, message, wParam, lParam);
    // An error no handler catches is shown; it must never unwind through
    // the system's code.
    try {
        return dialog->OnMessage(message, wParam, lParam);
    } catch (const std::exception& error) {
        ShowBox(window, "Options", error.what(), MB_OK | MB_ICONERROR);
    }
    return 0;
}

LRESULT TFormOpt::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        // The close box cancels without the Cancel button's handler.
        Close(IDCANCEL);
        return 0;
    }
    if (message != WM_COMMAND)
        return DefWindowProcA(Window, message, wParam, lParam);
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    switch (id) {
    case IdOptOK: {
        // The result is OK from here on, whatever the store does.
        Close(IDOK);
        SettingValues stored;
        if (StoreSettings(stored))
            Current = std::move(stored);
        break;
    }
    case IdOptCancel:
        SettingsToControls();
        Close(IDCANCEL);
        break;
    case IdOptFind:
        FindClick();
        break;
    case IdOptFontName:
        if (code == CBN_SELCHANGE)
            FontNameChange();
        else if (code == CBN_SETFOCUS || code == CBN_KILLFOCUS)
            FontListFocus(code == CBN_SETFOCUS);
        break;
    case IdOptFontSize:
        if (code == EN_CHANGE && !Filling)
            FontSizeChange();
        break;
    case IdOptUseIni:
        if (code == BN_CLICKED)
            UseIniClick();
        break;
    }
    return 0;
}

} // namespace qm::win
