//===- SpeedButton.cpp - The latching speed button, painted by itself -----===//

#include "winapp/SpeedButton.h"

#include <windowsx.h>

namespace qm::win {

namespace {

/// The 8 x 8 checkerboard of the latched face when the highlight is white:
/// face colour, with white where row and column are both even or both odd.
HBRUSH CheckerBrush() {
    static HBRUSH brush = [] {
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bitmap);
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                SetPixel(dc, x, y, (x % 2) == (y % 2) ? RGB(255, 255, 255) : face);
        SelectObject(dc, old);
        DeleteDC(dc);
        HBRUSH made = CreatePatternBrush(bitmap);
        DeleteObject(bitmap);
        return made;
    }();
    return brush;
}

TSpeedBtnPlus* ButtonOf(HWND window) {
    return reinterpret_cast<TSpeedBtnPlus*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

} // namespace

bool TSpeedBtnPlus::Register(HINSTANCE instance) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &TSpeedBtnPlus::Proc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = WindowClass;
    return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

TSpeedBtnPlus* TSpeedBtnPlus::Create(HWND parent, int id, const std::string& caption, int left,
                                     int top, int width, int height) {
    auto* button = new TSpeedBtnPlus;
    button->Caption = caption;
    // No WS_TABSTOP: the button never takes the focus. It is freed with its
    // window (WM_NCDESTROY).
    button->Window = CreateWindowExA(
        0, WindowClass, caption.c_str(), WS_CHILD | WS_VISIBLE, left, top, width, height, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), button);
    return button;
}

void TSpeedBtnPlus::SetFont(HFONT font) {
    Font = font;
    InvalidateRect(Window, nullptr, TRUE);
}

void TSpeedBtnPlus::SetDown(bool down) {
    if (GroupIndex == 0)
        down = false;
    if (down == IsDown)
        return;
    // A refused release keeps the latched look.
    if (IsDown && !AllowAllUp)
        return;
    IsDown = down;
    InvalidateRect(Window, nullptr, TRUE);
    UpdateWindow(Window);
    if (down)
        ReleaseOthersInGroup();
}

void TSpeedBtnPlus::ReleaseOthersInGroup() {
    HWND parent = GetParent(Window);
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = {};
        GetClassNameA(child, name, sizeof name);
        if (child == Window || lstrcmpA(name, WindowClass) != 0)
            continue;
        TSpeedBtnPlus* other = ButtonOf(child);
        if (other && other->GroupIndex == GroupIndex) {
            other->AllowAllUp = AllowAllUp;
            if (other->IsDown) {
                other->IsDown = false;
                InvalidateRect(child, nullptr, TRUE);
            }
        }
    }
}

void TSpeedBtnPlus::Click() {
    if (GroupIndex != 0)
        SetDown(!IsDown);
    SendMessageA(GetParent(Window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Window), BN_CLICKED),
                 reinterpret_cast<LPARAM>(Window));
}

TSpeedBtnPlus::DrawState TSpeedBtnPlus::StateToDraw() const {
    const bool held = Dragging && MouseInside;
    if (!IsWindowEnabled(Window))
        return IsDown ? DrawState::Latched : DrawState::Disabled;
    if (IsDown)
        return held && AllowAllUp ? DrawState::Pressed : DrawState::Latched;
    return held ? DrawState::Pressed : DrawState::Up;
}

void TSpeedBtnPlus::PaintFace(HDC dc, RECT rect, DrawState state) {
    const bool sunken = state == DrawState::Pressed || state == DrawState::Latched;
    FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &rect, sunken ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    if (state == DrawState::Latched) {
        const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
        HBRUSH solid = nullptr;
        if (highlight != RGB(255, 255, 255))
            solid = CreateSolidBrush(highlight);
        FillRect(dc, &rect, solid ? solid : CheckerBrush());
        if (solid)
            DeleteObject(solid);
    }
    RECT text = rect;
    if (sunken)
        OffsetRect(&text, 1, 1);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, Font ? Font : GetStockObject(DEFAULT_GUI_FONT));
    const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    if (!IsWindowEnabled(Window)) {
        // Embossed: the highlight one pixel down and right, the shadow on top.
        RECT shifted = text;
        OffsetRect(&shifted, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextA(dc, Caption.c_str(), -1, &shifted, format);
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    } else {
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    }
    DrawTextA(dc, Caption.c_str(), -1, &text, format);
    SelectObject(dc, oldFont);
}

void TSpeedBtnPlus::Paint(HDC dc) {
    RECT rect;
    GetClientRect(Window, &rect);
    PaintFace(dc, rect, StateToDraw());
}

LRESULT CALLBACK TSpeedBtnPlus::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* button = static_cast<TSpeedBtnPlus*>(create->lpCreateParams);
        button->Window = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(button));
    }
    TSpeedBtnPlus* button = ButtonOf(window);
    if (!button)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        delete button;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return button->OnMessage(message, wParam, lParam);
}

// Pressed while the mouse is held on the button; released over it, a click.
void TSpeedBtnPlus::Mouse(UINT message, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
        Dragging = true;
        MouseInside = true;
        SetCapture(Window);
        InvalidateRect(Window, nullptr, TRUE);
    } else if (message == WM_MOUSEMOVE && Dragging) {
        RECT rect;
        GetClientRect(Window, &rect);
        const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const bool inside = PtInRect(&rect, at) != FALSE;
        if (inside != MouseInside) {
            MouseInside = inside;
            InvalidateRect(Window, nullptr, TRUE);
        }
    } else if (message == WM_LBUTTONUP) {
        const bool clicked = Dragging && MouseInside;
        Dragging = false;
        ReleaseCapture();
        InvalidateRect(Window, nullptr, TRUE);
        if (clicked)
            Click();
    }
}

LRESULT TSpeedBtnPlus::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(Window, &paint);
        Paint(dc);
        EndPaint(Window, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_ENABLE:
        if (!wParam)
            Dragging = false;
        InvalidateRect(Window, nullptr, TRUE);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        Mouse(message, lParam);
        return 0;
    case WM_CAPTURECHANGED:
        if (Dragging) {
            Dragging = false;
            InvalidateRect(Window, nullptr, TRUE);
        }
        return 0;
    case BM_CLICK:
        if (IsWindowEnabled(Window))
            Click();
        return 0;
    case BM_GETCHECK:
        return IsDown ? BST_CHECKED : BST_UNCHECKED;
    case WM_SETTEXT:
        Caption = reinterpret_cast<const char*>(lParam);
        InvalidateRect(Window, nullptr, TRUE);
        break;
    }
    return DefWindowProcA(Window, message, wParam, lParam);
}

} // namespace qm::win
