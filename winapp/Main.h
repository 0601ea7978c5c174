//===- Main.h - The Win32 main window -------------------------------*- C++ -*-===//
//
// TFormMain on Win32: the document in its controls, placed by pixel as
// designed (client area 592 x 373), four pages under a tab strip, and the
// button row. The document commands, Save in place and the compile run are
// desk's; this window is their view: it turns controls into a record and
// back, shows captions, pages and boxes, and runs the file dialogs.
//
// Every control's ID is its name's in winapp/ControlIds.h.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "desk/CompileRun.h"
#include "desk/DocumentCommands.h"
#include "settings/AppFiles.h"
#include "settings/SettingEntries.h"
#include "winapp/DlgsPlus.h"

#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace qm::win {

class TFormOpt;
class TSpeedBtnPlus;

/// Starts a compile with CreateProcess: a batch file through cmd.exe.
std::shared_ptr<ProcessStarter> MakeWin32Starter();

class TFormMain : public DocumentView {
public:
    static bool Register(HINSTANCE instance);
    TFormMain();
    ~TFormMain() override;

    /// FormCreate: settings, page font, files, a new document and the
    /// command line, in that order. The window is made hidden.
    bool Create(const std::vector<std::string>& arguments);
    /// FormShow (the options first while the font is "FixedSys"), then the
    /// window centred on the screen.
    void Show();
    /// Tab and access keys, Ctrl+S; true when the message was handled.
    bool PreTranslate(MSG& message);
    /// While a batch compile is pending: the Compiler page keeps the focus
    /// where it is shown, and the run is checked for its end.
    void IdleCheck();
    bool CompilePending() const { return Run && Run->Pending(); }
    HWND Handle() const { return Window; }

    // DocumentView
    VersionRecord FormRecord() override;
    void ShowRecord(const VersionRecord& record) override;
    void ShowListing(const Lines& listing) override;
    void ClearCompilerPage() override;
    void ShowCaption(const std::string& caption, bool named) override;
    void ShowBox(const std::string& caption, const std::string& text, BoxKind kind) override;
    bool AskToGoOn(const std::string& caption, const std::string& text) override;
    SaveChoice AskToSaveChanges(const std::string& text) override;
    std::optional<OpenChoice> ChooseFileToOpen() override;
    std::optional<std::string> ChooseFileToSave(const std::string& folder,
                                                const std::string& name) override;
    void TakeTextOrigin(TextOrigin origin, const std::string* bytes) override;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ForwardingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Command(int id, int code);
    LRESULT Notify(const NMHDR& header);

    void BuildLayout();
    void BuildFixedInfoPage(HWND page);
    void BuildStringInfoPage(HWND page);
    void BuildButtonRow();
    HWND AddPanel(HWND parent, int id, int left, int top, int width, int height, UINT edge);
    HWND AddLabel(HWND page, const char* text, int left, int top);
    HWND AddEdit(HWND page, int id, int left, int top, int width, DWORD style = 0);
    HWND AddList(HWND page, int id, int left, int top, int width, const TextList& rows,
                 bool editable = false);
    HWND AddMemo(HWND page, int id, int left, int top, int width, int height, bool readOnly);

    void LoadSettings();
    void ApplyPageFont();
    void FillSubTypeList(const std::string& fileType);
    void FileTypeClick();
    void SelectTab(int index);
    void ShowPage(int index);
    HWND FocusedOnPage(int page, HWND fallback) const;

    void CompileClick();
    void OptionsClick();
    void ExitClick();
    void UpdateBatchFile();
    void ShowRun(const FinishedRun& run);

    HWND Window = nullptr;
    std::unique_ptr<DocumentCommands> Commands;
    std::unique_ptr<CompileRun> Run;
    std::unique_ptr<TFormOpt> FormOpt;
    SettingValues Settings; ///< as stored: UTF-8
    AppFiles Files;
    std::string ProgramDir;
    TOpenDlgPlus dlgOpen;
    TSaveDlgPlus dlgSave;
    bool Filling = false; ///< controls set from code: no caption update per change
    /// The document's texts are UTF-8 (a UTF-16 script's), shown through the
    /// wide calls; else the script's ANSI bytes, through the A calls.
    bool TextsUtf8 = false;
    int ShownTab = 0;
    HWND FixedInfoFocus = nullptr;
    HWND StringInfoFocus = nullptr;
    /// FILEOS, FILETYPE and FILESUBTYPE values that no row names, kept as
    /// the script wrote them while no row is picked.
    std::string KeptFileOS, KeptFileType, KeptFileSubType;

    HFONT ButtonFont = nullptr;
    HFONT LabelFont = nullptr;
    HFONT PageFont = nullptr;

    HWND panMain = nullptr;
    HWND tabMain = nullptr;
    std::array<HWND, 4> Pages{};
    HWND cmmComInc = nullptr;
    HWND cedHFileVersion = nullptr;
    HWND cedHProductVersion = nullptr;
    HWND cedFileFlagsMask = nullptr;
    HWND panFileFlags = nullptr;
    HWND cckFFDebug = nullptr;
    HWND cckFFPreRelease = nullptr;
    HWND cckFFPatched = nullptr;
    HWND ccbFileOS = nullptr;
    HWND ccbFileType = nullptr;
    HWND ccbFileSubType = nullptr;
    HWND ccbLanguageID = nullptr;
    HWND ccbCodePage = nullptr;
    std::array<HWND, StringKeyCount> StringEdits{};
    HWND cmmImage = nullptr;
    HWND cmmResult = nullptr;
    HWND cbtnNew = nullptr;
    HWND cbtnOpen = nullptr;
    HWND cbtnSaveAs = nullptr;
    HWND cbtnCompile = nullptr;
    TSpeedBtnPlus* cbtnCompile32 = nullptr;
    HWND cbtnOptions = nullptr;
    HWND cbtnExit = nullptr;
};

} // namespace qm::win
