//===- WindowDriver.cpp - Drives quillmark.exe from another process -------===//

#include "tests/winapp/WindowDriver.h"

#include "winapp/ControlIds.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace qm::win::test {

namespace {

struct Search {
    DWORD ProcessId;
    std::string Caption;
    const char* Class;
    HWND Found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    // The main window is found before it is shown; boxes once they are.
    if (process != search->ProcessId || (!search->Class && !IsWindowVisible(window)))
        return TRUE;
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (search->Class && lstrcmpA(className, search->Class) != 0)
        return TRUE;
    if (!search->Caption.empty() && WindowDriver::Text(window) != search->Caption)
        return TRUE;
    search->Found = window;
    return FALSE;
}

struct ChildSearch {
    int Id;
    HWND Found;
};

BOOL CALLBACK MatchChild(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<ChildSearch*>(data);
    if (GetDlgCtrlID(window) != search->Id)
        return TRUE;
    search->Found = window;
    return FALSE;
}

HWND ChildWithId(HWND parent, int id) {
    ChildSearch search{id, nullptr};
    if (id)
        EnumChildWindows(parent, &MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

} // namespace

bool WaitFor(const std::function<bool()>& done, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(static_cast<int>(seconds * 1000));
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

WindowDriver::~WindowDriver() {
    if (!Process.hProcess)
        return;
    if (WaitForSingleObject(Process.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(Process.hProcess, 1);
        WaitForSingleObject(Process.hProcess, 5000);
    }
    CloseHandle(Process.hProcess);
    CloseHandle(Process.hThread);
}

bool WindowDriver::Start(const std::string& program, const std::string& arguments) {
    std::string line = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &Process))
        return false;
    WaitForInputIdle(Process.hProcess, 20000);
    Search search{Process.dwProcessId, {}, MainWindowClass, nullptr};
    WaitFor([&] {
        EnumWindows(&MatchTopLevel, reinterpret_cast<LPARAM>(&search));
        return search.Found != nullptr;
    });
    MainWindow = search.Found;
    return MainWindow != nullptr;
}

bool WindowDriver::WaitForExit(double seconds) {
    return WaitFor([&] { return WaitForSingleObject(Process.hProcess, 0) == WAIT_OBJECT_0; },
                   seconds);
}

HWND WindowDriver::WaitForWindow(const std::string& caption, double seconds) const {
    Search search{Process.dwProcessId, caption, nullptr, nullptr};
    WaitFor(
        [&] {
            search.Found = nullptr;
            EnumWindows(&MatchTopLevel, reinterpret_cast<LPARAM>(&search));
            return search.Found != nullptr;
        },
        seconds);
    return search.Found;
}

HWND WindowDriver::Control(const char* name) const {
    return ChildWithId(MainWindow, ControlIdOf(MainControls, name));
}

HWND WindowDriver::OptionsControl(const char* name) const {
    Search search{Process.dwProcessId, {}, OptionsWindowClass, nullptr};
    EnumWindows(&MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.Found ? ChildWithId(search.Found, ControlIdOf(OptionControls, name)) : nullptr;
}

std::string WindowDriver::VisibleWindows() const {
    struct Listing {
        DWORD ProcessId;
        std::string Text;
    } listing{Process.dwProcessId, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* list = reinterpret_cast<Listing*>(data);
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process == list->ProcessId && IsWindowVisible(window))
                list->Text += "[" + Text(window) + ": " + BoxText(window) + "] ";
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&listing));
    return listing.Text;
}

std::string WindowDriver::Text(HWND window) {
    const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT copied =
        SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

std::wstring WindowDriver::WideText(HWND window) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1,
                      L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

std::string WindowDriver::BoxText(HWND box) {
    // A message box's text is its static control 0xFFFF.
    HWND text = GetDlgItem(box, 0xFFFF);
    return text ? Text(text) : std::string();
}

void WindowDriver::SetText(HWND control, const std::string& text) {
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void WindowDriver::Click(HWND button) {
    PostMessageA(button, BM_CLICK, 0, 0);
}

void WindowDriver::SelectRow(HWND list, int row) {
    SendMessageA(list, CB_SETCURSEL, row, 0);
    SendMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

int WindowDriver::SelectedRow(HWND list) {
    return static_cast<int>(SendMessageA(list, CB_GETCURSEL, 0, 0));
}

std::string WindowDriver::RowText(HWND list) {
    const int row = SelectedRow(list);
    if (row < 0)
        return {};
    // Read as UTF-16: wine hands another process's list text over in it.
    std::wstring wide(static_cast<std::size_t>(SendMessageW(list, CB_GETLBTEXTLEN, row, 0)) + 1,
                      L'\0');
    SendMessageW(list, CB_GETLBTEXT, row, reinterpret_cast<LPARAM>(wide.data()));
    wide.resize(wcslen(wide.c_str()));
    std::string text(wide.size() * 2 + 1, '\0');
    const int size =
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), text.data(),
                            static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(static_cast<std::size_t>(size > 0 ? size : 0));
    return text;
}

bool WindowDriver::ClickTab(HWND page) const {
    HWND tabs = Control("tabMain");
    RECT strip;
    GetClientRect(tabs, &strip);
    for (int x = 8; x < strip.right && !IsWindowVisible(page); x += 12) {
        const LPARAM at = MAKELPARAM(x, strip.bottom / 2);
        SendMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(tabs, WM_LBUTTONUP, 0, at);
    }
    return IsWindowVisible(page) != FALSE;
}

void WindowDriver::Answer(HWND box, int id) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

void WindowDriver::ChooseFile(HWND dialog, const std::string& path) {
    // The Explorer-style dialog's name box: the combo cmb13, else the edit edt1.
    HWND name = GetDlgItem(dialog, 0x47C);
    if (!name)
        name = GetDlgItem(dialog, 0x480);
    SetText(name, path);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

bool WindowDriver::SaveScreenshot(HWND window, const std::string& path) {
    RECT bounds;
    GetWindowRect(window, &bounds);
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, bounds.left, bounds.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<char> pixels(static_cast<std::size_t>(stride) * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&header, sizeof header, 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    return std::fclose(out) == 0;
}

} // namespace qm::win::test
