//===- SpeedButton.h - The latching speed button, painted by itself -*- C++ -*-===//
//
// TSpeedBtnPlus: a small button that takes no keyboard focus, latches down
// as a member of a group and paints its own faces: up, pressed, latched and
// disabled. A latched button keeps its sunken face while disabled; one that
// may be released (AllowAllUp) shows the pressed face while the mouse is
// held on it; the latched background is the highlight colour, or a
// checkerboard of face colour and white when the highlight is white; a
// disabled caption is embossed in the highlight and shadow colours.
//
// A click sends the parent WM_COMMAND with BN_CLICKED, as a push button does.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <windows.h>

#include <string>

namespace qm::win {

class TSpeedBtnPlus {
public:
    /// The window class; registered once per process.
    static constexpr const char* WindowClass = "TSpeedBtnPlus";
    static bool Register(HINSTANCE instance);

    /// A button at a place in pixels (25 x 25 by default).
    static TSpeedBtnPlus* Create(HWND parent, int id, const std::string& caption, int left, int top,
                                 int width = 25, int height = 25);

    HWND Handle() const { return Window; }
    bool Down() const { return IsDown; }
    /// Latches or releases. A button in no group never stays down; a latched
    /// one is released only when AllowAllUp is set. Latching releases the
    /// other latched buttons of the group.
    void SetDown(bool down);
    void SetGroupIndex(int group) { GroupIndex = group; }
    void SetAllowAllUp(bool allow) { AllowAllUp = allow; }
    void SetFont(HFONT font);

private:
    enum class DrawState { Up, Disabled, Pressed, Latched };

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Mouse(UINT message, LPARAM lParam);
    void Paint(HDC dc);
    void PaintFace(HDC dc, RECT rect, DrawState state);
    void Click();
    void ReleaseOthersInGroup();
    DrawState StateToDraw() const;

    HWND Window = nullptr;
    HFONT Font = nullptr;
    std::string Caption;
    int GroupIndex = 0;
    bool AllowAllUp = false;
    bool IsDown = false;
    bool Dragging = false;
    bool MouseInside = false;
};

} // namespace qm::win
