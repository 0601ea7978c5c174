//===- DlgsPlus.h - File dialogs centred over their window, placement -*- C++ -*-===//
//
// TOpenDlgPlus and TSaveDlgPlus run the system's open and save dialogs
// (GetOpenFileNameA, GetSaveFileNameA) with a hook that moves the dialog,
// once it is set up, over the window that was active when it was called:
// centred across, at one third of the free height down. PlaceForm and
// ShowModalPlaced place a window by one of ten codes relative to another.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <string>

namespace qm::win {

/// Where a window `size` goes over `reference` for a placement code 0..9,
/// with a shift; the reference's outer bounds in screen pixels.
POINT PlacedPosition(const RECT& reference, SIZE size, int code, int shiftX = 0, int shiftY = 0);

/// Moves `form` by PlacedPosition over `reference`, or over the screen when
/// `reference` is null.
void PlaceForm(HWND form, HWND reference, int code, int shiftX = 0, int shiftY = 0);

/// Where a dialog of `size` stands centred over `form` (outer bounds):
/// across in the middle, down at one third of the free height, both
/// divisions truncating towards zero.
POINT CentredOver(const RECT& form, SIZE size);

/// The first text when `flag` is set, else the second.
inline const std::string& PickStr(bool flag, const std::string& first, const std::string& second) {
    return flag ? first : second;
}

/// The common file dialog's parameters and result, as the window uses them.
class TFileDialog {
public:
    std::string Filter;     ///< "Resource Files (*.rc)| *.rc|All Files (*.*)|*.*"
    std::string DefaultExt; ///< without the dot
    std::string FileName;   ///< in: proposed; out: chosen
    std::string InitialDir;
    DWORD Options = 0;     ///< OFN_ flags besides those of the dialog's kind
    bool ReadOnly = false; ///< in and out: the read-only check box

protected:
    /// Runs `call` on the block filled from the fields, with the centring
    /// hook chained in front of any hook already there.
    bool Run(BOOL(WINAPI* call)(LPOPENFILENAMEA), HWND owner);
};

class TOpenDlgPlus : public TFileDialog {
public:
    bool Execute(HWND owner) { return Run(&GetOpenFileNameA, owner); }
};

class TSaveDlgPlus : public TFileDialog {
public:
    bool Execute(HWND owner) { return Run(&GetSaveFileNameA, owner); }
};

} // namespace qm::win
