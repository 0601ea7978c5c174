//===- WindowTest.cpp - quillmark.exe driven under wine, as a user would ---===//
//
// Each test starts the real program beside this one, with the settings in
// the registry as it sets them, and works it through its controls, boxes
// and file dialogs. With QM_SCREENSHOTS naming a folder, pictures of the
// four pages are saved there.
//
//===----------------------------------------------------------------------===//

#include "tests/winapp/WindowDriver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

using namespace qm::win::test;

namespace {

const char* const SettingsKey = "Software\\Harrowgate\\Quillmark\\Settings";

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

void StoreSetting(const char* name, const char* value) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                    nullptr);
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(lstrlenA(value) + 1));
    RegCloseKey(key);
}

std::string StoredSetting(const char* name) {
    char value[512] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, SettingsKey, name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return "<none>";
    return value;
}

/// Runs quillmark-rc.exe with `arguments`; its exit status.
int RunQuillmarkRc(const std::string& arguments) {
    std::string line = "\"" + ProgramFolder() + "quillmark-rc.exe\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process))
        return -1;
    WaitForSingleObject(process.hProcess, 60000);
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return static_cast<int>(status);
}

/// A script as a real project keeps it: its own header, a conditional, an
/// icon and comments inside the block, none of which the form shows.
const std::string RealScript = "// Microsoft Visual C++ style resource script\r\n"
                               "#include \"winver.h\"\r\n"
                               "#define IDI_APP 101\r\n"
                               "\r\n"
                               "IDI_APP ICON \"app.ico\"\r\n"
                               "\r\n"
                               "VS_VERSION_INFO VERSIONINFO\r\n"
                               " FILEVERSION 2,4,0,17\r\n"
                               " PRODUCTVERSION 2,4,0,0\r\n"
                               " FILEFLAGSMASK VS_FFI_FILEFLAGSMASK\r\n"
                               "#ifdef _DEBUG\r\n"
                               " FILEFLAGS VS_FF_DEBUG\r\n"
                               "#else\r\n"
                               " FILEFLAGS 0x0L\r\n"
                               "#endif\r\n"
                               " FILEOS VOS_NT_WINDOWS32\r\n"
                               " FILETYPE VFT_APP\r\n"
                               " FILESUBTYPE VFT2_UNKNOWN\r\n"
                               "BEGIN\r\n"
                               "    BLOCK \"StringFileInfo\"\r\n"
                               "    BEGIN\r\n"
                               "        BLOCK \"040904b0\"\r\n"
                               "        BEGIN\r\n"
                               "            VALUE \"CompanyName\", \"Harbour Tools\"\r\n"
                               "            VALUE \"FileDescription\", \"Harbour viewer\"\r\n"
                               "            VALUE \"FileVersion\", \"2.4.0.17\"  // set by CI\r\n"
                               "            VALUE \"ProductVersion\", \"2.4\"\r\n"
                               "        END\r\n"
                               "    END\r\n"
                               "    BLOCK \"VarFileInfo\"\r\n"
                               "    BEGIN\r\n"
                               "        VALUE \"Translation\", 0x409, 1200\r\n"
                               "    END\r\n"
                               "END\r\n";

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Harrowgate\\Quillmark");
        // A chosen font: the options don't come up at start.
        StoreSetting("FontName", "Courier New");
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        Folder = std::string(temp) + "qm-window-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
        std::error_code error;
        std::filesystem::remove_all(Folder, error); // what an earlier run left
        CreateDirectoryA(Folder.c_str(), nullptr);
    }

    bool StartWindow(const std::string& arguments = {}) {
        return App.Start(ProgramFolder() + "quillmark.exe", arguments);
    }

    /// Clicks `button` and waits for the file dialog `caption`, which must
    /// stand centred over the main window; then chooses `path` in it.
    void ChooseInDialog(const char* button, const char* caption, const std::string& path) {
        WindowDriver::Click(App.Control(button));
        HWND dialog = App.WaitForWindow(caption);
        ASSERT_TRUE(dialog) << caption;
        RECT form;
        RECT own;
        GetWindowRect(App.Main(), &form);
        ASSERT_TRUE(WaitFor([&] {
            GetWindowRect(dialog, &own);
            const LONG x = form.left + ((form.right - form.left) - (own.right - own.left)) / 2;
            const LONG y = form.top + ((form.bottom - form.top) - (own.bottom - own.top)) / 3;
            return own.left == x && own.top == y;
        })) << "the dialog stands at "
            << own.left << ", " << own.top;
        WindowDriver::ChooseFile(dialog, path);
    }

    std::string Caption() const { return WindowDriver::Text(App.Main()); }

    WindowDriver App;
    std::string Folder;
};

} // namespace

TEST_F(WindowTest, AFirstStartShowsTheOptionsAloneThenANewDocument) {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Harrowgate\\Quillmark");
    ASSERT_TRUE(StartWindow());
    HWND options = App.WaitForWindow("Options");
    ASSERT_TRUE(options) << App.VisibleWindows();
    EXPECT_FALSE(IsWindowVisible(App.Main()));
    // Over the window's designed bounds, where it stands before it is shown.
    RECT form;
    RECT own;
    GetWindowRect(App.Main(), &form);
    GetWindowRect(options, &own);
    EXPECT_EQ(form.left, 244);
    EXPECT_EQ(form.top, 103);
    EXPECT_EQ(own.left, form.left + ((form.right - form.left) - (own.right - own.left)) / 2);
    EXPECT_EQ(own.top, form.top + ((form.bottom - form.top) - (own.bottom - own.top)) / 2);
    WindowDriver::Click(App.OptionsControl("cbtnCancel"));
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(App.Main()) != FALSE; }));
    EXPECT_EQ(Caption(), "Quillmark - <New>");
    EXPECT_FALSE(IsWindowEnabled(App.Control("cbtnCompile")));
    EXPECT_FALSE(IsWindowEnabled(App.Control("cbtnCompile32")));
    EXPECT_EQ(StoredSetting("FontName"), "<none>"); // Cancel stores nothing

    RECT client;
    GetClientRect(App.Main(), &client);
    EXPECT_EQ(client.right, 592);
    EXPECT_EQ(client.bottom, 373);
    // Places are the designed pixels, relative to each control's parent.
    auto placeOf = [](HWND control) {
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    };
    const RECT version = placeOf(App.Control("cedHFileVersion"));
    EXPECT_EQ(version.left, 120);
    EXPECT_EQ(version.top, 204);
    EXPECT_EQ(version.right - version.left, 167);
    const RECT compile = placeOf(App.Control("cbtnCompile"));
    EXPECT_EQ(compile.left, 257);
    EXPECT_EQ(compile.top, 340);
    EXPECT_EQ(WindowDriver::Text(App.Control("cbtnCompile")), "Save && &Compile");
    EXPECT_EQ(WindowDriver::Text(App.Control("cedFileFlagsMask")), "VS_FFI_FILEFLAGSMASK");
    EXPECT_EQ(WindowDriver::Text(App.Control("cedHFileVersion")), "1, 0, 0, 1");
}

TEST_F(WindowTest, OptionsOkIsStoredWhereQuillmarkRcReadsIt) {
    ASSERT_TRUE(StartWindow());
    WindowDriver::Click(App.Control("cbtnOptions"));
    HWND options = App.WaitForWindow("Options");
    ASSERT_TRUE(options);
    RECT form;
    RECT own;
    GetWindowRect(App.Main(), &form);
    GetWindowRect(options, &own);
    EXPECT_EQ(own.left, form.left + ((form.right - form.left) - (own.right - own.left)) / 2);
    EXPECT_EQ(own.top, form.top + ((form.bottom - form.top) - (own.bottom - own.top)) / 2);

    HWND fileOS = App.OptionsControl("ccbFileOS");
    EXPECT_EQ(WindowDriver::RowText(fileOS), "VOS_DOS_WINDOWS32");
    EXPECT_EQ(WindowDriver::RowText(App.OptionsControl("ccbLanguageID")).find(" 411"), 0u);
    const int ntRow = static_cast<int>(
        SendMessageA(fileOS, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>("VOS_NT_WINDOWS32")));
    WindowDriver::SelectRow(fileOS, ntRow);
    WindowDriver::Click(App.OptionsControl("cbtnOK"));
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(options); }));
    EXPECT_EQ(StoredSetting("DefaultFILEOS"), "VOS_NT_WINDOWS32");
    EXPECT_EQ(StoredSetting("DefaultLanguageID"), "1041");

    // quillmark-rc reads the same key for a new document's defaults.
    const std::string script = Folder + "new.rc";
    ASSERT_EQ(RunQuillmarkRc("new \"" + script + "\""), 0);
    EXPECT_NE(ReadFile(script).find("VOS_NT_WINDOWS32"), std::string::npos);
    // And so does the window's next New.
    WindowDriver::Click(App.Control("cbtnNew"));
    EXPECT_TRUE(WaitFor(
        [&] { return WindowDriver::RowText(App.Control("ccbFileOS")) == "VOS_NT_WINDOWS32"; }));
}

TEST_F(WindowTest, AnOpenedRealScriptSavesWithOnlyTheEditedValueChanged) {
    const std::string original = Folder + "viewer.rc";
    const std::string copy = Folder + "viewer-copy.rc";
    WriteFile(original, RealScript);
    ASSERT_TRUE(StartWindow());
    ChooseInDialog("cbtnOpen", "Open", original);
    ASSERT_TRUE(WaitFor([&] { return Caption() == "Quillmark - " + original; })) << Caption();
    HWND description = App.Control("cedFileDescription");
    EXPECT_EQ(WindowDriver::Text(description), "Harbour viewer");
    EXPECT_EQ(WindowDriver::Text(App.Control("cedHFileVersion")), "2,4,0,17");
    EXPECT_TRUE(IsWindowEnabled(App.Control("cbtnCompile")));

    WindowDriver::SetText(description, "Harbour chart viewer");
    EXPECT_EQ(Caption(), "Quillmark - " + original + " *");
    ChooseInDialog("cbtnSaveAs", "Save As", copy);
    ASSERT_TRUE(WaitFor([&] { return Caption() == "Quillmark - " + copy; })) << Caption();
    std::string expected = RealScript;
    expected.replace(expected.find("Harbour viewer"), 14, "Harbour chart viewer");
    EXPECT_EQ(ReadFile(copy), expected);
    EXPECT_EQ(ReadFile(original), RealScript);
}

TEST_F(WindowTest, AUtf16ScriptKeepsItsEncodingAndWhatTheCodePageLacks) {
    // As Visual Studio saves a script: UTF-16LE with a byte-order mark, here
    // with an Omega, which the ANSI code page (1252) has no byte for.
    auto utf16 = [](const std::wstring& text) {
        std::string bytes("\xFF\xFE");
        for (wchar_t c : text) {
            bytes += static_cast<char>(c & 0xFF);
            bytes += static_cast<char>(c >> 8);
        }
        return bytes;
    };
    const std::wstring text = L"1 VERSIONINFO\r\nFILEVERSION 1,0,0,1\r\nBEGIN\r\n"
                              L" BLOCK \"StringFileInfo\"\r\n BEGIN\r\n  BLOCK \"040904b0\"\r\n"
                              L"  BEGIN\r\n   VALUE \"CompanyName\", \"\u03A9 Tools\"\r\n"
                              L"   VALUE \"ProductName\", \"Viewer\"\r\n  END\r\n END\r\nEND\r\n";
    const std::string script = Folder + "unicode.rc";
    WriteFile(script, utf16(text));
    ASSERT_TRUE(StartWindow("\"" + script + "\""));
    ASSERT_TRUE(WaitFor([&] { return Caption() == "Quillmark - " + script; })) << Caption();
    EXPECT_EQ(WindowDriver::WideText(App.Control("cedCompanyName")), L"\u03A9 Tools");
    WindowDriver::SetText(App.Control("cedProductName"), "Chart viewer");
    PostMessageA(App.Main(), WM_CLOSE, 0, 0);
    HWND box = App.WaitForWindow("Quillmark");
    ASSERT_TRUE(box);
    WindowDriver::Answer(box, IDYES);
    ASSERT_TRUE(App.WaitForExit());
    std::wstring expected = text;
    expected.replace(expected.find(L"Viewer"), 6, L"Chart viewer");
    EXPECT_EQ(ReadFile(script), utf16(expected));
}

TEST_F(WindowTest, SaveAndCompileShowsTheCompilersVerdict) {
    const std::string script = Folder + "tool.rc";
    ASSERT_TRUE(StartWindow());
    WindowDriver::SetText(App.Control("cedFileDescription"), "Tool");
    ChooseInDialog("cbtnSaveAs", "Save As", script);
    ASSERT_TRUE(WaitFor([&] { return Caption() == "Quillmark - " + script; }));

    HWND result = App.Control("cmmResult");
    WindowDriver::Click(App.Control("cbtnCompile"));
    ASSERT_TRUE(WaitFor(
        [&] {
            return WindowDriver::Text(result).find(
                       "The .res file holds exactly what the form holds.") != std::string::npos;
        },
        60))
        << WindowDriver::Text(result);
    EXPECT_NE(WindowDriver::Text(result).find(" : " + script), std::string::npos);
    EXPECT_TRUE(IsWindowVisible(App.Control("Compiler")));
    EXPECT_GT(ReadFile(Folder + "tool.res").size(), 32u);

    // The batch run's status line is taken, not shown.
    EXPECT_EQ(WindowDriver::Text(result).find("[quillmark exit status"), std::string::npos);
}

TEST_F(WindowTest, The32ToggleUpCompilesWithThe16BitCommand) {
    // Direct mode: the command line the failed start names is the one picked.
    StoreSetting("UseBatchFile", "0");
    const std::string script = Folder + "tool.rc";
    ASSERT_TRUE(StartWindow());
    ChooseInDialog("cbtnSaveAs", "Save As", script);
    ASSERT_TRUE(WaitFor([&] { return Caption() == "Quillmark - " + script; }));
    HWND toggle = App.Control("cbtnCompile32");
    ASSERT_EQ(SendMessageA(toggle, BM_GETCHECK, 0, 0), BST_CHECKED);
    WindowDriver::Click(toggle);
    ASSERT_TRUE(WaitFor([&] { return SendMessageA(toggle, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }));
    WindowDriver::Click(App.Control("cbtnCompile"));
    HWND box = App.WaitForWindow("Compile");
    ASSERT_TRUE(box) << App.VisibleWindows();
    EXPECT_NE(WindowDriver::BoxText(box).find("Brcc32 -v -16 " + script), std::string::npos)
        << WindowDriver::BoxText(box);
    WindowDriver::Answer(box, IDOK);
}

TEST_F(WindowTest, UnsavedEditsAreAskedAboutBeforeTheyAreSetAside) {
    ASSERT_TRUE(StartWindow());
    HWND company = App.Control("cedCompanyName");
    WindowDriver::SetText(company, "Harbour Tools");
    WindowDriver::Click(App.Control("cbtnNew"));
    HWND box = App.WaitForWindow("Quillmark");
    ASSERT_TRUE(box);
    EXPECT_EQ(WindowDriver::BoxText(box), "Save changes to <New>?");
    WindowDriver::Answer(box, IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    EXPECT_EQ(WindowDriver::Text(company), "Harbour Tools");

    PostMessageA(App.Main(), WM_CLOSE, 0, 0);
    box = App.WaitForWindow("Quillmark");
    ASSERT_TRUE(box);
    WindowDriver::Answer(box, IDNO);
    EXPECT_TRUE(App.WaitForExit());
}

TEST_F(WindowTest, ScreenshotsOfEachPage) {
    const char* folder = std::getenv("QM_SCREENSHOTS");
    if (!folder)
        GTEST_SKIP() << "set QM_SCREENSHOTS to a folder to take them";
    // The built-in compiler takes a version resource alone: no icon here.
    std::string versionOnly = RealScript;
    versionOnly.erase(versionOnly.find("IDI_APP ICON"), 24);
    const std::string script = Folder + "viewer.rc";
    WriteFile(script, versionOnly);
    ASSERT_TRUE(StartWindow("\"" + script + "\""));
    const char* names[] = {"fixedinfo", "stringinfo", "fileimage", "compiler"};
    const char* pages[] = {"FixedInfo", "StringInfo", "FileImage", "Compiler"};
    WindowDriver::Click(App.Control("cbtnCompile"));
    WaitFor([&] { return !WindowDriver::Text(App.Control("cmmResult")).empty(); }, 60);
    for (int page = 0; page < 4; ++page) {
        ASSERT_TRUE(App.ClickTab(App.Control(pages[page])));
        RedrawWindow(App.Main(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Sleep(300); // the X server draws after the window's own paint
        EXPECT_TRUE(WindowDriver::SaveScreenshot(App.Main(), std::string(folder) + "\\" +
                                                                 names[page] + ".bmp"));
    }
    WindowDriver::Click(App.Control("cbtnOptions"));
    HWND options = App.WaitForWindow("Options");
    ASSERT_TRUE(options);
    Sleep(300);
    EXPECT_TRUE(WindowDriver::SaveScreenshot(options, std::string(folder) + "\\options.bmp"));
}
