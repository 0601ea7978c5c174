//===- DlgsPlus.cpp - File dialogs centred over their window, placement ---===//

#include "winapp/DlgsPlus.h"

#include <vector>

namespace qm::win {

namespace {

// The dialogs are modal, so one slot each serves every run.
LPOFNHOOKPROC ChainedHook = nullptr;
HWND CenterForm = nullptr;

void CentreDialog(HWND dialog) {
    RECT own;
    RECT form;
    if (!GetWindowRect(dialog, &own) || !GetWindowRect(CenterForm, &form))
        return;
    const POINT at = CentredOver(form, {own.right - own.left, own.bottom - own.top});
    SetWindowPos(dialog, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

/// Posted to the hook once the dialog is set up: some dialog code places
/// the frame again after CDN_INITDONE, and the move over the form must
/// come last.
constexpr UINT CentreAgain = WM_APP + 0x51;

HWND DialogFrame(HWND hook) {
    return reinterpret_cast<HWND>(GetWindowLongPtrA(hook, GWLP_HWNDPARENT));
}

// The Explorer-style hook window is a child of the visible dialog frame,
// which is set up once CDN_INITDONE arrives.
UINT_PTR CALLBACK ExplorerHook(HWND hook, UINT message, WPARAM wParam, LPARAM lParam) {
    const UINT_PTR result = ChainedHook ? ChainedHook(hook, message, wParam, lParam) : 0;
    if (!CenterForm)
        return result;
    if (message == WM_NOTIFY &&
        reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(CDN_INITDONE)) {
        CentreDialog(DialogFrame(hook));
        PostMessageA(hook, CentreAgain, 0, 0);
    } else if (message == CentreAgain) {
        CentreDialog(DialogFrame(hook));
    }
    return result;
}

UINT_PTR CALLBACK OldStyleHook(HWND hook, UINT message, WPARAM wParam, LPARAM lParam) {
    const UINT_PTR result = ChainedHook ? ChainedHook(hook, message, wParam, lParam) : 0;
    if (CenterForm && message == WM_INITDIALOG)
        CentreDialog(hook);
    return result;
}

/// "A|B|C|D" as the dialog takes it: NUL-separated, ending in two NULs.
std::string DialogFilter(const std::string& filter) {
    std::string pairs = filter;
    for (char& c : pairs)
        if (c == '|')
            c = '\0';
    pairs.append(2, '\0');
    return pairs;
}

} // namespace

POINT CentredOver(const RECT& form, SIZE size) {
    const LONG width = form.right - form.left;
    const LONG height = form.bottom - form.top;
    return {form.left + (width - size.cx) / 2, form.top + (height - size.cy) / 3};
}

POINT PlacedPosition(const RECT& reference, SIZE size, int code, int shiftX, int shiftY) {
    const LONG W = reference.right - reference.left;
    const LONG H = reference.bottom - reference.top;
    enum { Left, Centre, Right };
    enum { Top, Middle, Bottom, UpperThird };
    static const int Codes[10][2] = {
        {Left, Middle},       {Centre, Top}, {Right, Middle}, {Centre, Bottom}, {Centre, Middle},
        {Centre, UpperThird}, {Left, Top},   {Right, Top},    {Left, Bottom},   {Right, Bottom},
    };
    const int* share = Codes[code < 0 || code > 9 ? 4 : code];
    const LONG across = share[0] == Left ? 0 : share[0] == Centre ? (W - size.cx) / 2 : W - size.cx;
    LONG down = 0;
    switch (share[1]) {
    case Middle:
        down = (H - size.cy) / 2;
        break;
    case Bottom:
        down = H - size.cy;
        break;
    case UpperThird:
        down = (H - size.cy) / 3;
        break;
    }
    return {reference.left + across + shiftX, reference.top + down + shiftY};
}

void PlaceForm(HWND form, HWND reference, int code, int shiftX, int shiftY) {
    RECT bounds{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (reference)
        GetWindowRect(reference, &bounds);
    RECT own;
    GetWindowRect(form, &own);
    const POINT at =
        PlacedPosition(bounds, {own.right - own.left, own.bottom - own.top}, code, shiftX, shiftY);
    SetWindowPos(form, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TFileDialog::Run(BOOL(WINAPI* call)(LPOPENFILENAMEA), HWND owner) {
    // Long enough for a long path; the dialog writes the chosen name here.
    std::vector<char> name(32768, '\0');
    FileName.copy(name.data(), name.size() - 1);
    const std::string filter = DialogFilter(Filter);
    OPENFILENAMEA block{};
    block.lStructSize = sizeof block;
    block.hwndOwner = owner;
    block.lpstrFilter = filter.c_str();
    block.nFilterIndex = 1;
    block.lpstrFile = name.data();
    block.nMaxFile = static_cast<DWORD>(name.size());
    block.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
    block.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
    block.Flags =
        Options | OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING | (ReadOnly ? OFN_READONLY : 0);

    ChainedHook = block.lpfnHook;
    block.lpfnHook = (block.Flags & OFN_EXPLORER) ? &ExplorerHook : &OldStyleHook;
    HWND active = GetActiveWindow();
    CenterForm = active ? active : owner;

    const bool chosen = call(&block) != FALSE;
    if (chosen) {
        FileName = name.data();
        ReadOnly = (block.Flags & OFN_READONLY) != 0;
    }
    return chosen;
}

} // namespace qm::win
