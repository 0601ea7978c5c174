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
#include "desk/DocumentState.h"
#include "desk/ScriptSource.h"
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

/// The file a document was read from, as it was read or last written, so
/// that a save can change it where its fields stand, and the encoding its
/// bytes were shown in.
struct DocumentSource {
    ScriptSource Script;
    TextEncoding Encoding;
};

/// What ReadScript did.
struct ScriptReadResult {
    /// False when the file could not be loaded; the box "Open" was shown and
    /// nothing in the window changed.
    bool Opened = false;
    /// The conversion error that stopped the read part-way. The window holds
    /// what was read up to there; the caller shows the error.
    Status Stop = Status::Ok();
};

class TFormMain : public QWidget {
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
    const Lines& FileImage() const { return ImageLines; }
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

    /// The new-document values in every control; empties File Image and
    /// Compiler. Leaves CurrentFile, the target and ImageLines alone.
    void ClearDocument();
    /// Reads the file at `path` into the controls, ImageLines and File
    /// Image, showing the reader's reports. Changes neither the document's
    /// file nor the caption.
    ScriptReadResult ReadScript(const QString& path);
    /// Writes the controls to CurrentFile and lists the script on File Image:
    /// in place over the script the document was read from where
    /// Quillmark's layout would lose part of it, else in that layout. A
    /// failure is shown in the error box and gives false.
    bool WriteScript();
    /// The bytes WriteScript writes for `record`, after any question; nothing
    /// when the user stopped or an error was shown.
    std::optional<EditedScript> BytesToSave(const VersionRecord& record);
    /// Why the script the document was read from can't take the form's
    /// changes in its own encoding; empty when it can.
    std::string EncodingRefusal() const;
    /// Asks whether to write Quillmark's layout as `plan` proposes. No is
    /// the default.
    bool ConfirmLayout(const SavePlan& plan);
    /// The version check before a save ("Check"): a save asks about what a
    /// compiler refuses, Save & Compile also about version strings at odds
    /// (`compiling`). The comma form of a dotted version goes into the form
    /// when the user goes on. False when the user stops.
    bool CheckVersions(bool compiling);
    /// Saves the document: in place when it has a file, else through Save
    /// As. False when it was not saved (cancelled, or an error shown).
    bool SaveDocument();
    /// Save As; false when cancelled or the write failed.
    bool SaveAs();
    /// True while the form differs from what was last loaded, started or
    /// saved; the caption then ends in " *".
    bool DocumentModified();
    /// Before the document is set aside (New, Open, a drop, closing): with
    /// changes, asks "Save changes to X?". False to stay as it is.
    bool MaySetDocumentAside();
    /// Lists ImageLines, numbered, on File Image; a line longer than 4096
    /// bytes is shown cut, with the number of bytes left out.
    void ShowFileImage();

    /// Puts `record` into the controls, the subtype list rebuilt for its type.
    void ApplyRecord(const VersionRecord& record);
    /// The notebook's font from the settings; an empty name keeps the
    /// designed one.
    void ApplyPageFont();
    /// The application-wide error box.
    void ShowErrorBox(const QString& message);

    void FormCreate(const QStringList& arguments);
    void FormShow();
    void ReadCommandLine(const QStringList& arguments);
    void ReadNamedFile(const QString& path);
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
    /// The form as it stands becomes the document's unchanged state.
    void MarkUnmodified();
    void UpdateCaption();
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
    DocumentState Doc; ///< the file, the proposed target, the form as last saved
    /// The document's file as the window shows it.
    QString CurrentFile() const;
    void SetTarget(const QString& folder, const QString& name);
    QString ProgramDir; ///< with its trailing separator
    QString LogPath;
    QString BatchPath;
    QString TemplatePath;
    Lines ImageLines; ///< the script text last read or written
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
    std::optional<DocumentSource> Source;    ///< the file the document was read from
    /// FILEOS, FILETYPE and FILESUBTYPE values that no row names, kept as
    /// the script wrote them while no row is picked.
    std::string KeptFileOS, KeptFileType, KeptFileSubType;
    int ShownTab = 0;
    bool FirstShowDone = false;
};

} // namespace qm
