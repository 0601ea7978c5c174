//===- DlgsPlus.h - File dialogs that centre over their window --*- C++ -*-===//
//
// TOpenDlgPlus and TSaveDlgPlus are the toolkit's file dialogs with one
// difference: each run stands centred over the window that was active when
// it was called (horizontally in the middle, vertically at one third of the
// free height) instead of where the toolkit puts it. They use Qt's widget
// dialog, because a native one cannot be placed.
//
// The module also places forms by a placement code (PlaceForm,
// ShowModalPlaced) and picks one of two texts (PickStr).
//
// A run goes to the screen unless answers are installed (controls/Modals.h):
// they then get the dialog's settings and answer it, and nothing is shown.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "controls/Modals.h"

#include <QFileDialog>
#include <QList>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

class QCheckBox;
class QDialog;

namespace qm {

/// Common part of the two dialogs: the toolkit-style settings, the run and the
/// centring. Use TOpenDlgPlus or TSaveDlgPlus.
class TFileDlgPlus : public QFileDialog {
    Q_OBJECT

public:
    /// Runs the dialog modally, centred over CenterForm(); true when the user
    /// confirmed a file name, which FileName() then returns (the default
    /// extension appended by the dialog's own rule). A cancelled run leaves
    /// FileName() and ReadOnlyChecked() as they were.
    bool Execute();

    /// The file name proposed at the next run, or chosen by the last one. A
    /// full path also opens its folder; a name with wildcards ("*.rc"), or
    /// none, proposes no name at all (not even the last run's), since the
    /// filter already shows such files.
    QString FileName() const { return FileNameValue; }
    void SetFileName(const QString& name) { FileNameValue = name; }

    /// The folder the next run starts in; empty leaves the choice to Qt.
    QString InitialDir() const { return InitialDirValue; }
    void SetInitialDir(const QString& dir) { InitialDirValue = dir; }

    /// A filter in the toolkit's form, description and patterns separated by
    /// "|": "Resource Files (*.rc)| *.rc|All Files (*.*)|*.*". Patterns are
    /// separated by ";" and blanks around them are dropped.
    QString Filter() const { return FilterValue; }
    void SetFilter(const QString& filter);

    /// Appended, after a ".", to a chosen name that has no extension.
    QString DefaultExt() const { return defaultSuffix(); }
    void SetDefaultExt(const QString& ext) { setDefaultSuffix(ext); }

    /// The "Open as read-only" check box: whether it is shown, and its state
    /// (set before a run, read after a confirmed one). Shown by default in
    /// the open dialog, hidden in the save dialog.
    bool ReadOnlyBoxShown() const { return ReadOnlyBoxShownValue; }
    void SetReadOnlyBoxShown(bool shown);
    bool ReadOnlyChecked() const { return ReadOnlyCheckedValue; }
    void SetReadOnlyChecked(bool checked) { ReadOnlyCheckedValue = checked; }

protected:
    TFileDlgPlus(QWidget* owner, AcceptMode mode);
    void showEvent(QShowEvent* event) override;

private:
    void ApplySettings();
    FileDialogRun Settings() const;
    bool RunAnswered(const DialogAnswer& answer);
    bool RunShown();

    QString FileNameValue;
    QString InitialDirValue;
    QString FilterValue;
    bool ReadOnlyBoxShownValue = true;
    bool ReadOnlyCheckedValue = false;
    bool Centring = false; // inside Execute's shown run
    QCheckBox* ReadOnlyBox = nullptr;
};

/// Qt's defaults otherwise: the file need not exist (FileMode AnyFile).
class TOpenDlgPlus : public TFileDlgPlus {
    Q_OBJECT
public:
    explicit TOpenDlgPlus(QWidget* owner = nullptr);
};

/// Qt's defaults otherwise: it asks before overwriting an existing file
/// (clear with setOption(DontConfirmOverwrite)).
class TSaveDlgPlus : public TFileDlgPlus {
    Q_OBJECT
public:
    explicit TSaveDlgPlus(QWidget* owner = nullptr);
};

/// The window the dialog now running (or last run) is centred over: at each
/// run the active window, else the dialog's owner when that is a window,
/// else none. A window destroyed since reads as none.
QWidget* CenterForm();

/// Top-left corner for a dialog of outer size `dialog` centred over a form
/// whose outer bounds are `form`: middle horizontally, one third of the free
/// height vertically, truncating toward zero. A dialog larger than the form
/// gets a negative share; nothing keeps it on the screen.
QPoint CentredOver(const QRect& form, const QSize& dialog);

/// Top-left corner for a form of outer size `size` placed by `code` (0..9)
/// within `reference`, plus the shifts. Returns nothing for a code outside
/// 0..9.
///   code:       0     1      2      3      4      5      6    7     8      9
///   across:   left  centre right centre centre centre  left right left  right
///   down:   middle  top  middle bottom middle third   top  top  bottom bottom
std::optional<QPoint> PlacementPosition(const QRect& reference, const QSize& size, int code,
                                        int shiftX = 0, int shiftY = 0);

/// Moves `form` (outer bounds) by PlacementPosition within the reference
/// form's outer bounds, or within the primary screen without one. A code
/// outside 0..9 leaves the form where it is.
void PlaceForm(QWidget* form, QWidget* reference, int code, int shiftX, int shiftY);

/// PlaceForm without shift, then runs `form` modally; returns its result
/// (1, QDialog::Accepted, is OK).
int ShowModalPlaced(QDialog* form, QWidget* reference, int code);

/// `first` when `flag` is true, `second` otherwise.
inline QString PickStr(bool flag, const QString& first, const QString& second) {
    return flag ? first : second;
}

/// Converts a toolkit filter ("Text|patterns|Text|patterns") into Qt name
/// filters ("Text (patterns)"); a description that already ends with its
/// patterns in parentheses is kept as it is.
QStringList NameFiltersFromFilter(const QString& filter);

} // namespace qm
