//===- Main.cpp - The Win32 main window: its controls, placed by pixel ----===//

#include "winapp/Main.h"

#include "winapp/ControlIds.h"
#include "winapp/Options.h"
#include "winapp/SpeedButton.h"
#include "winapp/WinControls.h"

#include <commctrl.h>

#include <exception>

namespace qm::win {

namespace {

constexpr const char* PanelClass = "TQmPanel";
constexpr int FieldHeight = 20;
constexpr int ListDropHeight = 320;
constexpr int ButtonTop = 340;
constexpr int ButtonHeight = 25;
constexpr int ClientWidth = 592;
constexpr int ClientHeight = 373;
constexpr DWORD MainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

TFormMain* FormOf(HWND window) {
    return reinterpret_cast<TFormMain*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

} // namespace

bool TFormMain::Register(HINSTANCE instance) {
    WNDCLASSA main{};
    main.lpfnWndProc = &TFormMain::Proc;
    main.hInstance = instance;
    main.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    main.hCursor = LoadCursor(nullptr, IDC_ARROW);
    main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    main.lpszClassName = MainWindowClass;
    // The panels and pages hand their children's notices to the window.
    WNDCLASSA panel{};
    panel.lpfnWndProc = &TFormMain::ForwardingProc;
    panel.hInstance = instance;
    panel.hCursor = LoadCursor(nullptr, IDC_ARROW);
    panel.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    panel.lpszClassName = PanelClass;
    return RegisterClassA(&main) && RegisterClassA(&panel) && TSpeedBtnPlus::Register(instance);
}

TFormMain::TFormMain() = default;
TFormMain::~TFormMain() = default;

bool TFormMain::Create(const std::vector<std::string>& arguments) {
    RECT bounds{0, 0, ClientWidth, ClientHeight};
    AdjustWindowRectEx(&bounds, MainStyle, FALSE, WS_EX_CONTROLPARENT);
    // Designed at left 244, top 103; centred once shown.
    Window = CreateWindowExA(WS_EX_CONTROLPARENT, MainWindowClass, "Quillmark", MainStyle, 244, 103,
                             bounds.right - bounds.left, bounds.bottom - bounds.top, nullptr,
                             nullptr, GetModuleHandleA(nullptr), this);
    if (!Window)
        return false;
    LoadSettings();
    ProgramDir = ProgramFolderWithSeparator();
    std::string problem;
    Files = LocateAppFiles(ProgramDir, &problem);
    BuildLayout();
    ApplyPageFont();
    FixedInfoFocus = cmmComInc;
    StringInfoFocus = StringEdits[0];
    Commands = std::make_unique<DocumentCommands>(*this, Files.TemplatePath, PathStyle::Windows);
    Commands->SetSettings({Settings.NewDocument(), Settings.Flag(SettingId::UseInitialRC)});
    Run = std::make_unique<CompileRun>(CompileFiles{Files.LogPath, Files.BatchPath},
                                       MakeWin32Starter());
    FormOpt = std::make_unique<TFormOpt>();
    FormOpt->Create(Window);
    if (!problem.empty())
        ShowBox("Quillmark", problem, BoxKind::Error);
    Commands->StartNew();
    Commands->ReadCommandLine(arguments);
    return true;
}

void TFormMain::Show() {
    // The show hook runs before the window appears: the options dialog of a
    // first start comes up alone, and the window is centred afterwards.
    if (Settings.Text(SettingId::FontName) == "FixedSys")
        OptionsClick();
    ShowWindow(Window, SW_SHOW);
    PlaceForm(Window, nullptr, 4);
    UpdateWindow(Window);
    SetFocus(cmmComInc);
}

HWND TFormMain::AddPanel(HWND parent, int id, int left, int top, int width, int height, UINT edge) {
    HWND panel = AddControl(parent, PanelClass, "", WS_CLIPSIBLINGS, id, left, top, width, height,
                            nullptr, WS_EX_CONTROLPARENT);
    SetWindowLongPtrA(panel, GWLP_USERDATA, static_cast<LONG_PTR>(edge));
    return panel;
}

HWND TFormMain::AddLabel(HWND page, const char* text, int left, int top) {
    HDC dc = GetDC(page);
    HGDIOBJ old = SelectObject(dc, LabelFont);
    SIZE size{};
    // "&&" shows one "&": measure the text as shown.
    std::string shown;
    for (const char* c = text; *c; ++c) {
        if (*c == '&' && c[1] == '&')
            ++c;
        shown += *c;
    }
    GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(page, dc);
    return AddControl(page, "STATIC", text, SS_LEFT, -1, left, top, size.cx + 2, size.cy,
                      LabelFont);
}

HWND TFormMain::AddEdit(HWND page, int id, int left, int top, int width, DWORD style) {
    HWND edit = AddControl(page, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL | style, id, left, top,
                           width, FieldHeight, PageFont, WS_EX_CLIENTEDGE);
    // Script values may be long; the default limit would cut them silently.
    SendMessageA(edit, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    return edit;
}

HWND TFormMain::AddList(HWND page, int id, int left, int top, int width, const TextList& rows,
                        bool editable) {
    const DWORD kind = editable ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST;
    HWND list = AddControl(page, "COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | kind, id, left, top,
                           width, ListDropHeight, PageFont);
    FillList(list, rows);
    return list;
}

HWND TFormMain::AddMemo(HWND page, int id, int left, int top, int width, int height,
                        bool readOnly) {
    const DWORD style = WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL |
                        WS_HSCROLL | ES_WANTRETURN | (readOnly ? ES_READONLY : 0);
    HWND memo = AddControl(page, "EDIT", "", style, id, left, top, width, height, PageFont,
                           WS_EX_CLIENTEDGE);
    SendMessageA(memo, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    return memo;
}

void TFormMain::BuildLayout() {
    ButtonFont = MakeFont("MS Sans Serif", -11, true);
    LabelFont = MakeFont("Arial", -11, true);
    SendMessageA(Window, WM_SETFONT, reinterpret_cast<WPARAM>(ButtonFont), FALSE);

    panMain = AddPanel(Window, IdPanMain, 4, 4, 584, 325, BDR_SUNKENOUTER);
    // The bevel and the border take one pixel each; the notebook fills the
    // rest from the top and the tab strip sits on its bottom edge.
    const int pageIds[] = {IdPageFixedInfo, IdPageStringInfo, IdPageFileImage, IdPageCompiler};
    for (int i = 0; i < 4; ++i) {
        Pages[i] = AddPanel(panMain, pageIds[i], 2, 2, 580, 303, 0);
        if (i)
            ShowWindow(Pages[i], SW_HIDE);
    }
    BuildFixedInfoPage(Pages[0]);
    BuildStringInfoPage(Pages[1]);
    cmmImage = AddMemo(Pages[2], IdCmmImage, 12, 12, 556, 277, true);
    cmmResult = AddMemo(Pages[3], IdCmmResult, 12, 12, 556, 277, true);

    tabMain = AddControl(panMain, WC_TABCONTROLA, "", WS_CLIPSIBLINGS | TCS_BOTTOM | TCS_FOCUSNEVER,
                         IdTabMain, 2, 302, 580, 21, ButtonFont);
    const char* captions[] = {"FixedInfo", "StringInfo", "File Image", "Compiler"};
    for (int i = 0; i < 4; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(captions[i]);
        SendMessageA(tabMain, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    BuildButtonRow();
}

void TFormMain::BuildFixedInfoPage(HWND page) {
    AddLabel(page, "Comments && Includes", 12, 8);
    cmmComInc = AddMemo(page, IdCmmComInc, 12, 24, 556, 169, false);
    AddLabel(page, "FILEVERSION", 12, 208);
    cedHFileVersion = AddEdit(page, IdCedHFileVersion, 120, 204, 167);
    AddLabel(page, "PRODUCTVERSION", 12, 228);
    cedHProductVersion = AddEdit(page, IdCedHProductVersion, 120, 224, 167);
    AddLabel(page, "FILEFLAGSMASK", 12, 248);
    cedFileFlagsMask = AddEdit(page, IdCedFileFlagsMask, 120, 244, 167, ES_READONLY);
    SetWindowTextA(cedFileFlagsMask, "VS_FFI_FILEFLAGSMASK");
    AddLabel(page, "FILEFLAGS", 12, 272);
    panFileFlags =
        AddPanel(page, IdPanFileFlags, 120, 266, 450, 24, BDR_SUNKENOUTER | BDR_RAISEDINNER);
    const DWORD check = WS_TABSTOP | BS_AUTOCHECKBOX;
    cckFFDebug = AddControl(panFileFlags, "BUTTON", "VS_FF_DEBUG", check, IdCckFFDebug, 8, 4, 120,
                            17, PageFont);
    cckFFPreRelease = AddControl(panFileFlags, "BUTTON", "VS_FF_PRERELEASE", check,
                                 IdCckFFPreRelease, 136, 4, 150, 17, PageFont);
    cckFFPatched = AddControl(panFileFlags, "BUTTON", "VS_FF_PATCHED", check, IdCckFFPatched, 300,
                              4, 140, 17, PageFont);
    AddLabel(page, "FILEOS", 305, 208);
    ccbFileOS = AddList(page, IdCcbFileOS, 387, 204, 183, FileOSTable());
    AddLabel(page, "FILETYPE", 305, 228);
    ccbFileType = AddList(page, IdCcbFileType, 387, 224, 183, FileTypeTable());
    AddLabel(page, "FILESUBTYPE", 305, 248);
    ccbFileSubType = AddList(page, IdCcbFileSubType, 387, 244, 183, {"VFT2_UNKNOWN"});
}

void TFormMain::BuildStringInfoPage(HWND page) {
    const char* labels[] = {
        "LanguageID",   "CodePage",      "FileVersion*",    "FileDescription*",  "LegalCopyright",
        "Comments",     "CompanyName*",  "LegalTrademarks", "OriginalFilename*", "ProductVersion*",
        "ProductName*", "InternalName*", "PrivateBuild",    "SpecialBuild"};
    for (int k = 0; k < 14; ++k)
        AddLabel(page, labels[k], 12, 12 + 20 * k);
    ccbLanguageID = AddList(page, IdCcbLanguageID, 120, 8, 448, LanguageTable());
    ccbCodePage = AddList(page, IdCcbCodePage, 120, 28, 448, CodePageTable());
    for (int k = 0; k < StringKeyCount; ++k)
        StringEdits[k] = AddEdit(page, IdFirstStringEdit + k, 120, 48 + 20 * k, 448);
}

void TFormMain::BuildButtonRow() {
    auto button = [this](int id, const char* caption, int left, int width) {
        return AddControl(Window, "BUTTON", caption, WS_TABSTOP | BS_PUSHBUTTON, id, left,
                          ButtonTop, width, ButtonHeight, ButtonFont);
    };
    cbtnNew = button(IdCbtnNew, "&New", 5, 45);
    cbtnOpen = button(IdCbtnOpen, "&Open...", 60, 85);
    cbtnSaveAs = button(IdCbtnSaveAs, "Save &As...", 155, 85);
    cbtnCompile = button(IdCbtnCompile, "Save && &Compile", 257, 147);
    EnableWindow(cbtnCompile, FALSE);
    cbtnCompile32 = TSpeedBtnPlus::Create(Window, IdCbtnCompile32, "32", 405, ButtonTop);
    cbtnCompile32->SetFont(ButtonFont);
    cbtnCompile32->SetGroupIndex(1);
    cbtnCompile32->SetAllowAllUp(true);
    cbtnCompile32->SetDown(true);
    EnableWindow(cbtnCompile32->Handle(), FALSE);
    cbtnOptions = button(IdCbtnOptions, "O&ptions...", 447, 85);
    cbtnExit = button(IdCbtnExit, "&Exit", 542, 45);
}

void TFormMain::ApplyPageFont() {
    const std::string name = AnsiOfUtf8(Settings.Text(SettingId::FontName));
    // An empty name keeps the designed "Courier New".
    const std::string face = name.empty() ? "Courier New" : name;
    HFONT font =
        MakeFont(face.c_str(), PointsToHeight(Settings.Number(SettingId::FontSize)), false);
    HWND controls[] = {cmmComInc,   cedHFileVersion, cedHProductVersion, cedFileFlagsMask,
                       cckFFDebug,  cckFFPreRelease, cckFFPatched,       ccbFileOS,
                       ccbFileType, ccbFileSubType,  ccbLanguageID,      ccbCodePage,
                       cmmImage,    cmmResult};
    for (HWND control : controls)
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    for (HWND edit : StringEdits)
        SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (PageFont)
        DeleteObject(PageFont);
    PageFont = font;
}

LRESULT CALLBACK TFormMain::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form =
            static_cast<TFormMain*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        form->Window = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    TFormMain* form = FormOf(window);
    if (!form)
        return DefWindowProcA(window, message, wParam, lParam);
    // An error no command handles is shown, and the window carries on: it
    // must never unwind through the system's code.
    try {
        return form->OnMessage(message, wParam, lParam);
    } catch (const std::exception& error) {
        form->ShowBox("Quillmark", error.what(), BoxKind::Error);
    } catch (...) {
        form->ShowBox("Quillmark", "An unknown error occurred.", BoxKind::Error);
    }
    return 0;
}

LRESULT CALLBACK TFormMain::ForwardingProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
        return SendMessageA(GetAncestor(window, GA_ROOT), message, wParam, lParam);
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        const UINT edge = static_cast<UINT>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (edge) {
            RECT rect;
            GetClientRect(window, &rect);
            DrawEdge(dc, &rect, edge, BF_RECT);
        }
        EndPaint(window, &paint);
        return 0;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT TFormMain::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        Command(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY:
        return Notify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_CTLCOLORSTATIC: {
        // The listings are read-only but stay white; the fixed mask keeps
        // the button face of a read-only edit.
        HWND control = reinterpret_cast<HWND>(lParam);
        if (control == cmmImage || control == cmmResult) {
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        break;
    }
    case WM_TIMER:
        IdleCheck();
        return 0;
    case WM_CLOSE:
        if (Commands && !Commands->MaySetAside())
            return 0;
        DestroyWindow(Window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(Window, message, wParam, lParam);
}

void TFormMain::Command(int id, int code) {
    switch (id) {
    case IdCbtnNew:
        Commands->New();
        return;
    case IdCbtnOpen:
        Commands->Open();
        return;
    case IdCbtnSaveAs:
        Commands->SaveAs();
        return;
    case IdCbtnCompile:
        CompileClick();
        return;
    case IdCbtnOptions:
        OptionsClick();
        return;
    case IdCbtnExit:
        ExitClick();
        return;
    case IdCbtnCompile32:
        return;
    }
    if (id == IdCcbFileType && code == CBN_SELCHANGE)
        FileTypeClick();
    const bool edited =
        code == EN_CHANGE || code == CBN_SELCHANGE || code == CBN_EDITCHANGE || code == BN_CLICKED;
    if (edited && !Filling && Commands)
        Commands->FormChanged();
}

LRESULT TFormMain::Notify(const NMHDR& header) {
    if (header.hwndFrom != tabMain)
        return 0;
    if (header.code == static_cast<UINT>(TCN_SELCHANGING)) {
        // Remembers where the focus was on the page being left.
        if (ShownTab == 0)
            FixedInfoFocus = FocusedOnPage(0, cmmComInc);
        else if (ShownTab == 1)
            StringInfoFocus = FocusedOnPage(1, StringEdits[0]);
        return FALSE;
    }
    if (header.code == static_cast<UINT>(TCN_SELCHANGE))
        ShowPage(static_cast<int>(SendMessageA(tabMain, TCM_GETCURSEL, 0, 0)));
    return 0;
}

HWND TFormMain::FocusedOnPage(int page, HWND fallback) const {
    HWND focus = GetFocus();
    return focus && IsChild(Pages[page], focus) ? focus : fallback;
}

void TFormMain::SelectTab(int index) {
    if (index == ShownTab)
        return;
    NMHDR changing{tabMain, static_cast<UINT_PTR>(IdTabMain), static_cast<UINT>(TCN_SELCHANGING)};
    Notify(changing);
    SendMessageA(tabMain, TCM_SETCURSEL, index, 0);
    ShowPage(index);
}

void TFormMain::ShowPage(int index) {
    if (index < 0 || index > 3 || index == ShownTab)
        return;
    const bool focusInside = IsChild(Pages[ShownTab], GetFocus()) != FALSE;
    ShowWindow(Pages[index], SW_SHOW);
    ShowWindow(Pages[ShownTab], SW_HIDE);
    ShownTab = index;
    if (index == 0)
        SetFocus(FixedInfoFocus);
    else if (index == 1)
        SetFocus(StringInfoFocus);
    else if (focusInside)
        SetFocus(index == 2 ? cmmImage : cmmResult);
}

bool TFormMain::PreTranslate(MSG& message) {
    if (message.message == WM_KEYDOWN && message.wParam == 'S' && GetKeyState(VK_CONTROL) < 0 &&
        GetAncestor(message.hwnd, GA_ROOT) == Window) {
        Commands->Save();
        return true;
    }
    return IsDialogMessageA(Window, &message) != FALSE;
}

void TFormMain::ExitClick() {
    SendMessageA(Window, WM_CLOSE, 0, 0);
}

} // namespace qm::win
