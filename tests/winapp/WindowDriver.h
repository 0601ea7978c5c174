//===- WindowDriver.h - Drives quillmark.exe from another process -*- C++ -*-===//
//
// Starts the program, finds its windows and controls by the names of
// winapp/ControlIds.h, types, clicks and reads back, and answers its boxes
// and file dialogs, all through window messages, as a user's tools would.
// Waits poll with a deadline; nothing sleeps for a fixed time.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace qm::win::test {

/// Polls `done` until it holds or `seconds` pass.
bool WaitFor(const std::function<bool()>& done, double seconds = 20);

class WindowDriver {
public:
    ~WindowDriver();

    /// Starts `program` with `arguments` and waits for its main window.
    bool Start(const std::string& program, const std::string& arguments);
    /// Waits for the process to end; false when it does not.
    bool WaitForExit(double seconds = 20);

    HWND Main() const { return MainWindow; }
    /// A top-level window of the program with `caption` (a box or dialog);
    /// null when none comes up in time.
    HWND WaitForWindow(const std::string& caption, double seconds = 20) const;
    /// The main window's or the options dialog's control `name`.
    HWND Control(const char* name) const;
    HWND OptionsControl(const char* name) const;

    static std::string Text(HWND window);
    static std::wstring WideText(HWND window);
    /// The program's visible windows, their captions and box texts, for a
    /// failure's message.
    std::string VisibleWindows() const;
    /// The text a message box shows.
    static std::string BoxText(HWND box);
    static void SetText(HWND control, const std::string& text);
    /// Clicks without waiting: a modal box or dialog may come up.
    static void Click(HWND button);
    /// Selects `row` of a drop-down list as a user does, its parent told.
    static void SelectRow(HWND list, int row);
    static int SelectedRow(HWND list);
    static std::string RowText(HWND list);
    /// Clicks along the tab strip until `page` is shown, as a user finds
    /// the tab; false when no click shows it.
    bool ClickTab(HWND page) const;
    /// Presses the box's button `id` (IDYES, IDNO, IDOK, ...).
    static void Answer(HWND box, int id);
    /// Types `path` into a file dialog and confirms it.
    static void ChooseFile(HWND dialog, const std::string& path);
    /// Saves a picture of `window` as a BMP file.
    static bool SaveScreenshot(HWND window, const std::string& path);

private:
    PROCESS_INFORMATION Process{};
    HWND MainWindow = nullptr;
};

} // namespace qm::win::test
