//===- Options.h - The options dialog -----------------------------*- C++ -*-===//
//
// TFormOpt edits all eleven settings: the page font (previewed live in the
// dialog's own boxes), the defaults of a new document and the "Use
// Initial.rc" switch, and how the resource compiler is run. One instance is
// created at start-up and shown modally again and again; every showing
// starts from AppSettings, so cancelled edits never come back. OK writes the
// store first and copies the entries into AppSettings only after a complete
// store; the dialog closes with OK either way.
//
// Error boxes go through a hook that tests (and the main window, to share its
// own boxes) can replace. The compiler-folder chooser runs through the file
// dialogs' test seam (DialogScript).
//
//===----------------------------------------------------------------------===//
#pragma once

#include "settings/AppSettings.h"

#include <QDialog>
#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace qm {

class TOpenDlgPlus;
class TUpDown;

class TFormOpt : public QDialog {
    Q_OBJECT

public:
    /// Runs FormCreate. The dialog shows and edits the settings given to
    /// SetSettings, never the process-wide ones: its owner passes them in
    /// and takes them back.
    explicit TFormOpt(QWidget* parent = nullptr);
    ~TFormOpt() override;

    // Controls, in tab order; cbtnFind takes no focus.
    QComboBox* ccbFontName = nullptr;
    QLineEdit* cedFontSize = nullptr;
    TUpDown* cudFontSize = nullptr;
    QCheckBox* cckUseIni = nullptr;
    QComboBox* ccbFileOS = nullptr;
    QComboBox* ccbLanguageID = nullptr;
    QComboBox* ccbCodePage = nullptr;
    QCheckBox* cckMinWin = nullptr;
    QCheckBox* cckUseBat = nullptr;
    QLineEdit* cedCompilerPath = nullptr;
    QLineEdit* cedCompiler32 = nullptr;
    QLineEdit* cedCompiler16 = nullptr;
    QPushButton* cbtnOK = nullptr;
    QPushButton* cbtnCancel = nullptr;
    QToolButton* cbtnFind = nullptr;
    QLabel* labFileOS = nullptr;
    QLabel* labLanguageID = nullptr;
    QLabel* labCodePage = nullptr;
    QFrame* panAbout = nullptr;
    /// The Find... dialog, made on first use.
    TOpenDlgPlus* FindDialog();

    /// The settings the next showing shows.
    void SetSettings(const AppSettings& settings) { InForce = settings; }
    /// The settings in force: those given, or after an OK whose store
    /// succeeded, the entries as stored.
    const AppSettings& Settings() const { return InForce; }

    /// Shows the settings in force in the controls.
    void SettingsToControls();
    /// Takes the controls' entries as the settings in force. Does nothing
    /// when an entry can't be converted (OKClick has reported that already).
    void ControlsToSettings();
    /// The controls' contents as StoreSettings takes them.
    OptionEntries Entries() const;

    /// The seven boxes that preview the chosen font.
    QList<QWidget*> PreviewControls() const;

public slots:
    void FontNameChange();
    void FontSizeChange();
    void UseIniClick();
    void FindClick();
    void OKClick();
    void CancelClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FontNameEnter();
    void FontNameExit();

    void BuildControls();
    void BuildLabels();
    void BuildAboutPanel();
    TOpenDlgPlus* dlgFindPath = nullptr;
    void SetTabOrder();
    void ConnectHandlers();
    void FitFontSizeHeight();
    void ShowError(const QString& message);
    /// The font list's row for `family`, or its stand-in's; NoRow for none.
    int FontRow(const QString& family) const;
    /// The binding: the control a setting declares, and its entry in and out.
    QWidget* ControlOf(const SettingRow& row) const;
    void ShowEntry(const SettingRow& row, const SettingEntry& entry);
    SettingEntry ShownEntry(const SettingRow& row) const;

    AppSettings InForce;
};

/// The screen's font families, sorted by name (letter case ignored), each
/// once.
QStringList ScreenFontNames();

} // namespace qm
