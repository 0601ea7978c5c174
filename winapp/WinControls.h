//===- WinControls.h - Small helpers over the Win32 controls ------*- C++ -*-===//
//
// Texts are the program's bytes in the ANSI code page, as the A functions
// take them; the window never converts a script's bytes. Stored settings
// are UTF-8 and are converted at the window's edge.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/document/Tables.h"
#include "versioninfo/support/Text.h"

#include <windows.h>

#include <string>

namespace qm::win {

/// A control's text as the program's bytes, or with `utf8` as UTF-8 (the
/// texts of a UTF-16 script, which the ANSI code page may not hold).
std::string WindowText(HWND window, bool utf8 = false);
void SetWindowTextBytes(HWND window, const std::string& text, bool utf8 = false);

/// A multi-line edit's lines (split at CR LF), and the edit filled with lines.
Lines MemoLines(HWND memo, bool utf8 = false);
void SetMemoLines(HWND memo, const Lines& lines, bool utf8 = false);

/// A font by face, pixel height (negative: character height) and weight.
HFONT MakeFont(const char* face, int height, bool bold);
/// The height a font of `points` points has at the screen's resolution.
int PointsToHeight(int points);

/// A child control at a place in pixels, with its ID and font.
HWND AddControl(HWND parent, const char* windowClass, const char* text, DWORD style, int id,
                int left, int top, int width, int height, HFONT font, DWORD exStyle = 0);

/// A drop-down list filled with `rows`.
void FillList(HWND list, const TextList& rows);
int ListRow(HWND list);
void SelectListRow(HWND list, int row);
/// The selected row's text; "" with none selected.
std::string ListRowText(HWND list);

bool IsChecked(HWND box);
void SetChecked(HWND box, bool checked);

/// A message box over `owner`; returns the button pressed.
int ShowBox(HWND owner, const std::string& caption, const std::string& text, UINT flags);

std::string AnsiOfUtf8(const std::string& utf8);
std::string Utf8OfAnsi(const std::string& ansi);

/// The folder of the running program, ending in a backslash.
std::string ProgramFolderWithSeparator();

} // namespace qm::win
