//===- main.cpp - quillmark.exe: the Win32 window's start-up --------------===//
//
// Registers the window classes and the common controls, creates the main
// window and the options dialog, then runs the message loop, checking a
// pending compile each time the queue runs empty.
//
//===----------------------------------------------------------------------===//

#include "winapp/Main.h"
#include "winapp/Options.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    if (!qm::win::TFormMain::Register(instance) || !qm::win::TFormOpt::Register(instance))
        return 1;
    // The C runtime splits the command line at blanks, a quoted stretch
    // holding blanks and losing its quotes.
    std::vector<std::string> arguments(__argv + (__argc > 0 ? 1 : 0), __argv + __argc);
    qm::win::TFormMain form;
    if (!form.Create(arguments))
        return 1;
    form.Show();
    MSG message;
    for (;;) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                return static_cast<int>(message.wParam);
            if (!form.PreTranslate(message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
        // Once after each burst of messages, not continuously.
        form.IdleCheck();
        WaitMessage();
    }
}
