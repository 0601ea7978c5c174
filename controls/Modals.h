//===- Modals.h - Every message box and file dialog, through one seam -*- C++ -*-===//
//
// The program shows its boxes and runs its file dialogs through Modals. By
// default they go to the screen. A test (or the self-check, which has no
// one to answer) installs a ModalAnswers that answers them instead, in the
// manner of a "next answer": nothing is shown, and what was asked is the
// installer's to keep. Production code records nothing.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "desk/SaveChoice.h"

#include <QPointer>
#include <QString>

#include <memory>
#include <string_view>

class QWidget;

namespace qm {

enum class MessageIcon { Information, Warning, Critical };


/// A file dialog's settings as they stood when it was run.
struct FileDialogRun {
    QString DialogClass; ///< "TOpenDlgPlus" or "TSaveDlgPlus"
    QString ObjectName;
    QString Title;
    QString InitialDir;
    QString FileName; ///< as proposed, before the run
    QString Filter;   ///< in the toolkit's form, as set
    QString DefaultExt;
    bool ReadOnlyBoxShown = false;
    bool ReadOnlyChecked = false; ///< before the run
    bool OverwritePrompt = false;
    bool FileMustExist = false;
    QPointer<QWidget> Centre; ///< the window it would stand over
};

/// The answer to one run of a file dialog.
struct DialogAnswer {
    bool Accepted = false;
    QString FileName;
    bool ReadOnly = false; ///< the read-only box ticked

    static DialogAnswer Choose(const QString& fileName, bool readOnly = false) {
        return {true, fileName, readOnly};
    }
    static DialogAnswer Cancel() { return {}; }
};

/// Answers every modal in place of the user.
class ModalAnswers {
public:
    virtual ~ModalAnswers() = default;
    virtual void ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                             MessageIcon icon) = 0;
    /// A Yes/No question; true for Yes.
    virtual bool AskToGoOn(QWidget* parent, const QString& caption, const QString& text) = 0;
    virtual DialogAnswer RunFileDialog(const FileDialogRun& run) = 0;
    /// "Save changes to X?"; answerers that don't care throw the edits away,
    /// as the program did before it asked.
    virtual SaveChoice AskToSaveChanges(QWidget*, const QString&, const QString&) {
        return SaveChoice::Discard;
    }
};

/// A message of the program's core (versioninfo/Status.h) as text for a
/// box: in the program's own encoding, or as Latin-1 where it quotes bytes
/// that encoding can't read.
QString MessageText(std::string_view message);

namespace Modals {

/// A box with one OK button; returns when it is closed. Its text is plain,
/// never markup: texts come from files and settings.
void ShowMessage(QWidget* parent, const QString& caption, const QString& text, MessageIcon icon);

/// A warning that asks to go on (Yes) or stop (No, the default); true to go
/// on.
bool AskToGoOn(QWidget* parent, const QString& caption, const QString& text);

/// A question with Yes (save), No (go on without saving) and Cancel (the
/// default: stay).
SaveChoice AskToSaveChanges(QWidget* parent, const QString& caption, const QString& text);

/// Puts `answers` in place of the screen for every modal, until it is
/// replaced; null goes back to the screen.
void SetAnswers(std::shared_ptr<ModalAnswers> answers);

/// The installed answers; null while modals go to the screen.
ModalAnswers* Answers();

} // namespace Modals

} // namespace qm
