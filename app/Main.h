//===- Main.h - The main window and its document commands ---------*- C++ -*-===//
//
// TFormMain holds the document in its controls, one control per value of the
// VersionRecord; the record itself exists only while a script is read into
// the controls or written from them. The window names the document's file in
// its caption, switches its pages, keeps the FILESUBTYPE list in step with
// the FILETYPE and runs New, Open..., Save As... and Exit. Scripts are read
// and written through the core; the window never parses script text itself.
//
// Every control's objectName is its field name, so tests and automation can
// find it. Message boxes and file dialogs go through controls/Modals.h, so
// that tests can answer them.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "app/DocumentText.h"
#include "desk/DocumentCommands.h"
#include "settings/AppFiles.h"
#include "versioninfo/binary/CompiledVersion.h"
#include "versioninfo/document/Tables.h"
#include "versioninfo/document/VersionRecord.h"
#include "versioninfo/script/ScriptEdit.h"
#include "versioninfo/script/ScriptReader.h"
#include "versioninfo/support/Status.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTabBar;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;

namespace qm {

class CompileRunner;
class ProcessStarter;
class TSpeedBtnPlus;
class TFormOpt;
class TOpenDlgPlus;
class TSaveDlgPlus;

/// The file name of a document without a file, as the window shows it.
inline const QString NewDocumentName =
    QString::fromLatin1(NewDocumentFile.data(), NewDocumentFile.size());

/// What the window is created with. The defaults are those of a real run.
struct FormMainSetup {
    /// Folder of the program, ending in a separator; empty: the executable's.
    QString ProgramDir;
    /// The log, batch script and template. Unset: for the executable's own
    /// folder, where LocateAppFiles finds them; for a folder given above,
    /// beside it.
    std::optional<AppFiles> Files;
    /// The command-line arguments, without the program's own name.
    QStringList Arguments;
    /// What starts the compiler; null: the real, detached start.
    std::shared_ptr<ProcessStarter> Starter;
};

/// The Qt window: the view of desk's document commands, which run New,
/// Open, the command line's file, Save and Save As over it.
class TFormMain : public QWidget, public DocumentView {
    Q_OBJECT

public:
    /// Runs FormCreate: settings, page font, paths, idle hook, a new
    /// document and the command line, in that order.
    explicit TFormMain(FormMainSetup setup = {}, QWidget* parent = nullptr);
    ~TFormMain() override;

    /// The options dialog, created hidden as a child of the window on first
    /// use (Options..., or the first start's showing).
    TFormOpt* CreateFormOpt();

    /// CurrentFile := `name`; the caption names it (and the target of a new
    /// document); Save & Compile and "32" are usable only for a named file.
    void SetFileName(const QString& name);
    /// The document as the controls hold it, in the document's encoding.
    VersionRecord DocumentRecord();
    /// The encoding the document's bytes are shown in.
    TextEncoding DocumentEncoding() const { return Encoding; }
    /// The document's file; NewDocumentName for a document without one.
    QString FileName() const { return CurrentFile(); }
    /// Where Save As proposes a new document: folder (with its separator)
    /// and file name.
    QString TargetFolder() const;
    QString TargetFileName() const;
    /// The script text last read or written, as File Image lists it.
    const Lines& FileImage() const { return Commands->ImageLines(); }
    /// The program's files: the batch script Save & Compile runs, its log,
    /// and the template of new documents.
    const QString& BatchFile() const { return BatchPath; }
    const QString& LogFile() const { return LogPath; }
    const QString& TemplateFile() const { return TemplatePath; }

    /// True while a batch compile runs and its log is not yet shown.
    bool CompilePending() const;

    /// Sets the batch file's first line for the compiler folder of the
    /// settings (after the options dialog's OK); failures go to the error box.
    void UpdateBatchFile();
    /// Runs `handler`; an exception escaping it is shown in the error box.
    void RunGuarded(const std::function<void()>& handler);

    // DocumentView
    VersionRecord FormRecord() override { return DocumentRecord(); }
    void ShowRecord(const VersionRecord& record) override { ApplyRecord(record); }
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
    bool PrepareToWrite(std::string& refusedInPlace) override;
    void ScriptWritten() override { SourceEncoding = Encoding; }
    void ShowBusy(bool busy) override;
    std::string Shown(const std::string& bytes) override;

public slots:
    void NewClick();
    void OpenClick();
    /// Ctrl+S: writes the named document in place; a new one goes to Save As.
    void SaveClick();
    void SaveAsClick();
    void CompileClick();
    void OptionsClick();
    void ExitClick();
    /// F1: the version and where the README is.
    void AboutClick();
    /// Ctrl+Tab and Ctrl+PgDown, Ctrl+Shift+Tab and Ctrl+PgUp, round the pages.
    void NextPage();
    void PreviousPage();
    void FileTypeClick();
    /// While a batch compile is pending: the Compiler page keeps the focus
    /// where it is shown, and the run is checked for its end.
    void IdleCheck();

protected:
    void setVisible(bool visible) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    /// The file dialogs, made on first use.
    TOpenDlgPlus* OpenDialog();
    TSaveDlgPlus* SaveDialog();

    /// The document commands' settings, from the settings in force.
    DocumentSettings CommandSettings() const;

    /// Puts `record` into the controls, the subtype list rebuilt for its type.
    void ApplyRecord(const VersionRecord& record);
    /// The notebook's font from the settings; an empty name keeps the
    /// designed one.
    void ApplyPageFont();
    /// The application-wide error box.
    void ShowErrorBox(const QString& message);

    void FormCreate(const QStringList& arguments);
    void FormShow();
    /// A new document from the version resource of a .res file or an
    /// executable; a file without one is reported and changes nothing.
    void ImportCompiled(const QString& file, const Expected<CompiledResource>& compiled);
    void BuildLayout();
    void BuildFixedInfoPage(QWidget* page);
    void BuildStringInfoPage(QWidget* page);
    void BuildButtonRow();
    void ShowMaskReadOnly();
    void SetTabOrder();
    void ConnectHandlers();
    void BuildShortcuts();
    void ConnectChangeSignals();
    void CentreOnScreen();
    void CreateRunner();
    void ShowCompileBox(const QString& message);

    void FillSubTypeList(const QString& fileType);
    void TabMainChange(int newIndex);
    void TabMainClick();
    void NoteMainPageChanged(int page);
    QWidget* FocusedControlOnPage(int page, QWidget* fallback) const;

    QString DecodeBytes(std::string_view bytes) const { return DecodeText(bytes, Encoding); }
    /// Every text of the document that is written as the document's bytes.
    QStringList DocumentTexts() const;
    /// Moves a Latin-1 document that no longer fits to UTF-8. False, with
    /// the error shown, when an ANSI document holds characters its code
    /// page can't.
    bool FitEncodingToDocument();
    void SetMemoLines(QPlainTextEdit* memo, const Lines& lines);
    QStringList MemoLines(QPlainTextEdit* memo) const;

    // Window state.
    /// New, Open, Save and the rest; the document's file, target, source
    /// and listing are theirs. Made once the program's files are known.
    std::unique_ptr<DocumentCommands> Commands;
    /// The document's file as the window shows it.
    QString CurrentFile() const;
    QString ProgramDir; ///< with its trailing separator
    QString LogPath;
    QString BatchPath;
    QString TemplatePath;
    QPointer<QWidget> FixedInfoFocus;
    QPointer<QWidget> StringInfoFocus;

    // Controls.
    QFrame* panMain = nullptr;
    QStackedWidget* noteMain = nullptr;
    QTabBar* tabMain = nullptr;
    QPlainTextEdit* cmmComInc = nullptr;
    QLineEdit* cedHFileVersion = nullptr;
    QLineEdit* cedHProductVersion = nullptr;
    QLineEdit* cedFileFlagsMask = nullptr;
    QFrame* panFileFlags = nullptr;
    QCheckBox* cckFFDebug = nullptr;
    QCheckBox* cckFFPreRelease = nullptr;
    QCheckBox* cckFFPatched = nullptr;
    QComboBox* ccbFileOS = nullptr;
    QComboBox* ccbFileType = nullptr;
    QComboBox* ccbFileSubType = nullptr;
    QComboBox* ccbLanguageID = nullptr;
    QComboBox* ccbCodePage = nullptr;
    /// cedFileVersion ... cedSpecialBuild, in StringKeys order.
    std::array<QLineEdit*, StringKeyCount> StringEdits{};
    QPlainTextEdit* cmmImage = nullptr;
    QPlainTextEdit* cmmResult = nullptr;
    QPushButton* cbtnNew = nullptr;
    QPushButton* cbtnOpen = nullptr;
    QPushButton* cbtnSaveAs = nullptr;
    QPushButton* cbtnCompile = nullptr;
    TSpeedBtnPlus* cbtnCompile32 = nullptr;
    QPushButton* cbtnOptions = nullptr;
    QPushButton* cbtnExit = nullptr;
    /// The options dialog; none until CreateFormOpt() has run.
    QPointer<TFormOpt> FormOpt;

    TOpenDlgPlus* dlgOpen = nullptr;
    TSaveDlgPlus* dlgSave = nullptr;
    std::optional<AppFiles> GivenFiles; ///< unset: LocateAppFiles at creation
    TextEncoding Encoding = EncodingForNewDocument();
    CompileRunner* Runner = nullptr;         ///< Save & Compile; a child of the window
    std::shared_ptr<ProcessStarter> Starter; ///< the runner's, until it is made
    /// The encoding of the script the document was read from or last saved
    /// to; a save in place keeps its bytes only in it.
    TextEncoding SourceEncoding = EncodingForNewDocument();
    /// FILEOS, FILETYPE and FILESUBTYPE values that no row names, kept as
    /// the script wrote them while no row is picked.
    std::string KeptFileOS, KeptFileType, KeptFileSubType;
    int ShownTab = 0;
    bool FirstShowDone = false;
};

} // namespace qm
