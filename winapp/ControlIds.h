//===- ControlIds.h - The Win32 window's controls, by name and ID -*- C++ -*-===//
//
// Every control of the Win32 main window and options dialog has the ID
// given here, and the name it has in the Qt window's objectName. Tools and
// the tests find a control by its name through this table, then by its ID
// (GetDlgItem on the window that holds it). Header-only and toolkit-free,
// so a test driver can include it alone.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <cstring>

namespace qm::win {

/// The main window's and the options dialog's window classes.
inline constexpr const char* MainWindowClass = "TFormMain";
inline constexpr const char* OptionsWindowClass = "TFormOpt";

enum ControlId : int {
    // The main window. The pages hold their own controls; the panel holds
    // the pages and the tab strip; the buttons sit on the window itself.
    IdPanMain = 1000,
    IdTabMain,
    IdPageFixedInfo,
    IdPageStringInfo,
    IdPageFileImage,
    IdPageCompiler,
    IdCmmComInc,
    IdCedHFileVersion,
    IdCedHProductVersion,
    IdCedFileFlagsMask,
    IdPanFileFlags,
    IdCckFFDebug,
    IdCckFFPreRelease,
    IdCckFFPatched,
    IdCcbFileOS,
    IdCcbFileType,
    IdCcbFileSubType,
    IdCcbLanguageID,
    IdCcbCodePage,
    IdCmmImage,
    IdCmmResult,
    IdCbtnNew,
    IdCbtnOpen,
    IdCbtnSaveAs,
    IdCbtnCompile,
    IdCbtnCompile32,
    IdCbtnOptions,
    IdCbtnExit,
    /// cedFileVersion ... cedSpecialBuild, in the order of the string keys.
    IdFirstStringEdit = 1100,

    // The options dialog. OK and Cancel are the dialog's IDOK and IDCANCEL,
    // so Enter and Esc work as in any dialog.
    IdOptOK = 1,
    IdOptCancel = 2,
    IdOptFontName = 1200,
    IdOptFontSize,
    IdOptFontSizeArrows,
    IdOptUseIni,
    IdOptFileOS,
    IdOptLanguageID,
    IdOptCodePage,
    IdOptMinWin,
    IdOptUseBat,
    IdOptCompilerPath,
    IdOptCompiler32,
    IdOptCompiler16,
    IdOptFind,
    IdOptLabFileOS,
    IdOptLabLanguageID,
    IdOptLabCodePage,
};

struct NamedControl {
    const char* Name;
    int Id;
};

inline constexpr NamedControl MainControls[] = {
    {"panMain", IdPanMain},
    {"tabMain", IdTabMain},
    {"FixedInfo", IdPageFixedInfo},
    {"StringInfo", IdPageStringInfo},
    {"FileImage", IdPageFileImage},
    {"Compiler", IdPageCompiler},
    {"cmmComInc", IdCmmComInc},
    {"cedHFileVersion", IdCedHFileVersion},
    {"cedHProductVersion", IdCedHProductVersion},
    {"cedFileFlagsMask", IdCedFileFlagsMask},
    {"panFileFlags", IdPanFileFlags},
    {"cckFFDebug", IdCckFFDebug},
    {"cckFFPreRelease", IdCckFFPreRelease},
    {"cckFFPatched", IdCckFFPatched},
    {"ccbFileOS", IdCcbFileOS},
    {"ccbFileType", IdCcbFileType},
    {"ccbFileSubType", IdCcbFileSubType},
    {"ccbLanguageID", IdCcbLanguageID},
    {"ccbCodePage", IdCcbCodePage},
    {"cedFileVersion", IdFirstStringEdit + 0},
    {"cedFileDescription", IdFirstStringEdit + 1},
    {"cedLegalCopyright", IdFirstStringEdit + 2},
    {"cedComments", IdFirstStringEdit + 3},
    {"cedCompanyName", IdFirstStringEdit + 4},
    {"cedLegalTrademarks", IdFirstStringEdit + 5},
    {"cedOriginalFilename", IdFirstStringEdit + 6},
    {"cedProductVersion", IdFirstStringEdit + 7},
    {"cedProductName", IdFirstStringEdit + 8},
    {"cedInternalName", IdFirstStringEdit + 9},
    {"cedPrivateBuild", IdFirstStringEdit + 10},
    {"cedSpecialBuild", IdFirstStringEdit + 11},
    {"cmmImage", IdCmmImage},
    {"cmmResult", IdCmmResult},
    {"cbtnNew", IdCbtnNew},
    {"cbtnOpen", IdCbtnOpen},
    {"cbtnSaveAs", IdCbtnSaveAs},
    {"cbtnCompile", IdCbtnCompile},
    {"cbtnCompile32", IdCbtnCompile32},
    {"cbtnOptions", IdCbtnOptions},
    {"cbtnExit", IdCbtnExit},
};

inline constexpr NamedControl OptionControls[] = {
    {"ccbFontName", IdOptFontName},
    {"cedFontSize", IdOptFontSize},
    {"cudFontSize", IdOptFontSizeArrows},
    {"cckUseIni", IdOptUseIni},
    {"ccbFileOS", IdOptFileOS},
    {"ccbLanguageID", IdOptLanguageID},
    {"ccbCodePage", IdOptCodePage},
    {"cckMinWin", IdOptMinWin},
    {"cckUseBat", IdOptUseBat},
    {"cedCompilerPath", IdOptCompilerPath},
    {"cedCompiler32", IdOptCompiler32},
    {"cedCompiler16", IdOptCompiler16},
    {"cbtnOK", IdOptOK},
    {"cbtnCancel", IdOptCancel},
    {"cbtnFind", IdOptFind},
    {"labFileOS", IdOptLabFileOS},
    {"labLanguageID", IdOptLabLanguageID},
    {"labCodePage", IdOptLabCodePage},
};

/// The ID of the control `name` in `table`; 0 when there is none.
template <std::size_t N> int ControlIdOf(const NamedControl (&table)[N], const char* name) {
    for (const NamedControl& control : table)
        if (std::strcmp(control.Name, name) == 0)
            return control.Id;
    return 0;
}

} // namespace qm::win
