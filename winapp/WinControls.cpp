//===- WinControls.cpp - Small helpers over the Win32 controls ------------===//

#include "winapp/WinControls.h"

#include "platform/UserFolders.h"

#include <vector>

namespace qm::win {

namespace {

std::wstring Widen(const std::string& bytes, UINT codePage) {
    const int size =
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
                        size);
    return wide;
}

std::string Narrow(const std::wstring& wide, UINT codePage) {
    const int size = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), size,
                        nullptr, nullptr);
    return bytes;
}

} // namespace

std::string WindowText(HWND window, bool utf8) {
    if (utf8) {
        const int length = GetWindowTextLengthW(window);
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        const int copied = GetWindowTextW(window, text.data(), length + 1);
        text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
        return Narrow(text, CP_UTF8);
    }
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

void SetWindowTextBytes(HWND window, const std::string& text, bool utf8) {
    if (WindowText(window, utf8) == text)
        return;
    if (utf8)
        SetWindowTextW(window, Widen(text, CP_UTF8).c_str());
    else
        SetWindowTextA(window, text.c_str());
}

Lines MemoLines(HWND memo, bool utf8) {
    const std::string text = WindowText(memo, utf8);
    Lines lines;
    if (text.empty())
        return lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(
            text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 2;
    }
    return lines;
}

void SetMemoLines(HWND memo, const Lines& lines, bool utf8) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i)
            text += "\r\n";
        text += lines[i];
    }
    SetWindowTextBytes(memo, text, utf8);
}

HFONT MakeFont(const char* face, int height, bool bold) {
    return CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
}

int PointsToHeight(int points) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return -MulDiv(points, dpi, 72);
}

HWND AddControl(HWND parent, const char* windowClass, const char* text, DWORD style, int id,
                int left, int top, int width, int height, HFONT font, DWORD exStyle) {
    HWND control = CreateWindowExA(
        exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, left, top, width, height, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    if (control && font)
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void FillList(HWND list, const TextList& rows) {
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    for (const std::string& row : rows)
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
}

int ListRow(HWND list) {
    return static_cast<int>(SendMessageA(list, CB_GETCURSEL, 0, 0));
}

void SelectListRow(HWND list, int row) {
    const int count = static_cast<int>(SendMessageA(list, CB_GETCOUNT, 0, 0));
    SendMessageA(list, CB_SETCURSEL, row >= 0 && row < count ? row : -1, 0);
}

std::string ListRowText(HWND list) {
    const int row = ListRow(list);
    if (row < 0)
        return {};
    const LRESULT length = SendMessageA(list, CB_GETLBTEXTLEN, row, 0);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(list, CB_GETLBTEXT, row, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

bool IsChecked(HWND box) {
    return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetChecked(HWND box, bool checked) {
    SendMessageA(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int ShowBox(HWND owner, const std::string& caption, const std::string& text, UINT flags) {
    return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

std::string AnsiOfUtf8(const std::string& utf8) {
    return Narrow(Widen(utf8, CP_UTF8), CP_ACP);
}

std::string Utf8OfAnsi(const std::string& ansi) {
    return Narrow(Widen(ansi, CP_ACP), CP_UTF8);
}

std::string ProgramFolderWithSeparator() {
    std::string folder = platform::ProgramFolder();
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    return folder;
}

} // namespace qm::win
