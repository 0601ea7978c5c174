//===- MainView.cpp - The Win32 window as the document's view -------------===//
//
// The controls turned into a record and back, the caption, the pages, the
// boxes and the file dialogs, as desk's document commands ask for them.
//
//===----------------------------------------------------------------------===//

#include "winapp/Main.h"

#include "settings/StoredSettings.h"
#include "versioninfo/document/Lookups.h"
#include "winapp/ControlIds.h"
#include "winapp/SpeedButton.h"
#include "winapp/WinControls.h"

namespace qm::win {

namespace {

/// The row of `list` named in `table`, or what was kept while none is.
std::string ChosenName(const TextList& table, HWND list, const std::string& kept) {
    const int row = ListRow(list);
    return row == NoRow ? kept : RowText(table, row);
}

bool IsEditable(HWND list) {
    return (GetWindowLongA(list, GWL_STYLE) & 3) == CBS_DROPDOWN;
}

} // namespace

void TFormMain::LoadSettings() {
    const StoredSettings stored = ReadStoredSettings();
    Settings = SettingValuesFrom(stored.Texts);
    UseBuiltInCompilerWhenNoneStored(Settings, stored.Texts, ProgramFolderWithSeparator());
    if (!stored.Problem)
        ShowBox("Quillmark", AnsiOfUtf8(stored.Problem.message()), BoxKind::Error);
}

VersionRecord TFormMain::FormRecord() {
    VersionRecord record;
    record.ComIncLines = MemoLines(cmmComInc, TextsUtf8);
    record.HFileVersion = WindowText(cedHFileVersion, TextsUtf8);
    record.HProductVersion = WindowText(cedHProductVersion, TextsUtf8);
    record.FFDebug = IsChecked(cckFFDebug);
    record.FFPreRelease = IsChecked(cckFFPreRelease);
    record.FFPatched = IsChecked(cckFFPatched);
    // A value no row names stays as the script wrote it until a row is picked.
    record.FileOS = ChosenName(FileOSTable(), ccbFileOS, KeptFileOS);
    record.FileType = ChosenName(FileTypeTable(), ccbFileType, KeptFileType);
    record.FileSubType = ListRow(ccbFileSubType) == NoRow && !IsEditable(ccbFileSubType)
                             ? KeptFileSubType
                             : WindowText(ccbFileSubType, TextsUtf8);
    record.LanguageID = ListRow(ccbLanguageID);
    record.CodePage = ListRow(ccbCodePage);
    for (int k = 0; k < StringKeyCount; ++k)
        record.StringValues[k] = WindowText(StringEdits[k], TextsUtf8);
    return record;
}

void TFormMain::ShowRecord(const VersionRecord& record) {
    Filling = true;
    SetMemoLines(cmmComInc, record.ComIncLines, TextsUtf8);
    SetWindowTextBytes(cedHFileVersion, record.HFileVersion, TextsUtf8);
    SetWindowTextBytes(cedHProductVersion, record.HProductVersion, TextsUtf8);
    SetChecked(cckFFDebug, record.FFDebug);
    SetChecked(cckFFPreRelease, record.FFPreRelease);
    SetChecked(cckFFPatched, record.FFPatched);
    const int osRow = SelectExact(FileOSTable(), record.FileOS, NoRow);
    const int typeRow = SelectExact(FileTypeTable(), record.FileType, NoRow);
    KeptFileOS = osRow == NoRow ? record.FileOS : std::string();
    KeptFileType = typeRow == NoRow ? record.FileType : std::string();
    SelectListRow(ccbFileOS, osRow);
    SelectListRow(ccbFileType, typeRow);
    FillSubTypeList(ListRowText(ccbFileType));
    const int subTypeRow = SelectExact(SubTypeLists(record.FileType), record.FileSubType, NoRow);
    KeptFileSubType = subTypeRow == NoRow ? record.FileSubType : std::string();
    if (subTypeRow == NoRow && IsEditable(ccbFileSubType))
        SetWindowTextBytes(ccbFileSubType, record.FileSubType, TextsUtf8);
    else
        SelectListRow(ccbFileSubType, subTypeRow);
    SelectListRow(ccbLanguageID, record.LanguageID);
    SelectListRow(ccbCodePage, record.CodePage);
    for (int k = 0; k < StringKeyCount; ++k)
        SetWindowTextBytes(StringEdits[k], record.StringValues[k], TextsUtf8);
    Filling = false;
}

void TFormMain::FileTypeClick() {
    FillSubTypeList(ListRowText(ccbFileType));
}

// Only a VxD takes a typed subtype (a device identifier); every other type
// offers its fixed list. A list's style is fixed at its creation, so the
// list is made again, in the same place of the tab order.
void TFormMain::FillSubTypeList(const std::string& fileType) {
    const bool typed = fileType == "VFT_VXD";
    if (typed != IsEditable(ccbFileSubType)) {
        HWND page = GetParent(ccbFileSubType);
        HWND replaced = ccbFileSubType;
        ccbFileSubType = AddList(page, IdCcbFileSubType, 387, 244, 183, {}, typed);
        SendMessageA(ccbFileSubType, WM_SETFONT, reinterpret_cast<WPARAM>(PageFont), FALSE);
        SetWindowPos(ccbFileSubType, replaced, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if (GetFocus() == replaced)
            SetFocus(ccbFileSubType);
        DestroyWindow(replaced);
    }
    const bool filling = Filling;
    Filling = true;
    FillList(ccbFileSubType, SubTypeLists(fileType));
    SelectListRow(ccbFileSubType, 0);
    Filling = filling;
}

void TFormMain::ShowListing(const Lines& listing) {
    SetMemoLines(cmmImage, listing, TextsUtf8);
}

void TFormMain::TakeTextOrigin(TextOrigin origin, const std::string*) {
    // The controls take the script's ANSI bytes as they are; UTF-8 texts
    // go through the wide calls.
    TextsUtf8 = origin == TextOrigin::Utf16Script || origin == TextOrigin::Compiled;
}

void TFormMain::ClearCompilerPage() {
    SetWindowTextBytes(cmmResult, {});
}

void TFormMain::ShowCaption(const std::string& caption, bool named) {
    SetWindowTextBytes(Window, caption);
    EnableWindow(cbtnCompile, named);
    EnableWindow(cbtnCompile32->Handle(), named);
    UpdateWindow(cbtnCompile);
    UpdateWindow(cbtnCompile32->Handle());
}

void TFormMain::ShowBox(const std::string& caption, const std::string& text, BoxKind kind) {
    win::ShowBox(Window, caption, text,
                 MB_OK | (kind == BoxKind::Error ? MB_ICONERROR : MB_ICONINFORMATION));
}

bool TFormMain::AskToGoOn(const std::string& caption, const std::string& text) {
    return win::ShowBox(Window, caption, text, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

SaveChoice TFormMain::AskToSaveChanges(const std::string& text) {
    switch (win::ShowBox(Window, "Quillmark", text, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
        return SaveChoice::Save;
    case IDNO:
        return SaveChoice::Discard;
    default:
        return SaveChoice::Cancel;
    }
}

std::optional<OpenChoice> TFormMain::ChooseFileToOpen() {
    dlgOpen.Filter = "Resource Files (*.rc)| *.rc|All Files (*.*)|*.*";
    dlgOpen.DefaultExt = "rc";
    dlgOpen.FileName = "*.rc";
    dlgOpen.InitialDir.clear();
    dlgOpen.ReadOnly = false;
    if (!dlgOpen.Execute(Window))
        return std::nullopt;
    return OpenChoice{dlgOpen.FileName, dlgOpen.ReadOnly};
}

std::optional<std::string> TFormMain::ChooseFileToSave(const std::string& folder,
                                                       const std::string& name) {
    dlgSave.Filter = "Resource Files (*.rc)| *.rc|All Files (*.*)|*.*";
    dlgSave.DefaultExt = "rc";
    dlgSave.Options = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    dlgSave.InitialDir = folder;
    dlgSave.FileName = name;
    if (!dlgSave.Execute(Window))
        return std::nullopt;
    return dlgSave.FileName;
}

} // namespace qm::win
