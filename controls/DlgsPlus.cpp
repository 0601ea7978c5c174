//===- DlgsPlus.cpp - File dialogs that centre over their window ----------===//
//
// The run of the two file dialogs, their centring, the placement of forms by
// code; installed answers (controls/Modals.h) take the place of a shown run.
//
//===----------------------------------------------------------------------===//
#include "controls/DlgsPlus.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QScreen>
#include <QShowEvent>

namespace qm {

namespace {

// One slot for the whole process: the dialogs are modal, so at most one of
// them runs at a time. A guarded pointer, so a window destroyed since reads
// as none instead of dangling.
QPointer<QWidget> CenterFormSlot;

bool HasWildcards(const QString& name) {
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

QStringList SplitPatterns(const QString& text, const QString& separators) {
    QStringList patterns;
    QString current;
    for (const QChar ch : text) {
        if (separators.contains(ch)) {
            if (!current.trimmed().isEmpty())
                patterns << current.trimmed();
            current.clear();
        } else {
            current += ch;
        }
    }
    if (!current.trimmed().isEmpty())
        patterns << current.trimmed();
    return patterns;
}

// The window the next run centres over: the active window, else the owner
// when that is a window itself.
QWidget* ChooseCenterForm(QWidget* dialog) {
    QWidget* active = QApplication::activeWindow();
    if (active && active != dialog)
        return active;
    QWidget* owner = dialog->parentWidget();
    if (owner && owner->isWindow())
        return owner;
    return nullptr;
}

// Qt's own rule for the default suffix, applied to scripted answers as well
// so that a test sees what a user typing the same name would get.
QString WithDefaultSuffix(const QString& name, const QString& suffix) {
    if (suffix.isEmpty() || name.isEmpty())
        return name;
    const QFileInfo info(name);
    if (info.isDir() || info.fileName().contains(QLatin1Char('.')))
        return name;
    return name + QLatin1Char('.') + suffix;
}

} // namespace

// --- the dialogs -------------------------------------------------------------

TFileDlgPlus::TFileDlgPlus(QWidget* owner, AcceptMode mode) : QFileDialog(owner) {
    setOption(QFileDialog::DontUseNativeDialog, true);
    setAcceptMode(mode);
    setFileMode(QFileDialog::AnyFile);
    ReadOnlyBox = new QCheckBox(tr("Open as &read-only"), this);
    ReadOnlyBox->setObjectName(QStringLiteral("ReadOnlyBox"));
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(ReadOnlyBox, grid->rowCount(), 1);
    SetReadOnlyBoxShown(mode == AcceptOpen);
}

TOpenDlgPlus::TOpenDlgPlus(QWidget* owner) : TFileDlgPlus(owner, AcceptOpen) {}

TSaveDlgPlus::TSaveDlgPlus(QWidget* owner) : TFileDlgPlus(owner, AcceptSave) {}

void TFileDlgPlus::SetFilter(const QString& filter) {
    FilterValue = filter;
    setNameFilters(NameFiltersFromFilter(filter));
}

void TFileDlgPlus::SetReadOnlyBoxShown(bool shown) {
    ReadOnlyBoxShownValue = shown;
    ReadOnlyBox->setVisible(shown);
}

bool TFileDlgPlus::Execute() {
    CenterFormSlot = ChooseCenterForm(this);
    if (ModalAnswers* answers = Modals::Answers())
        return RunAnswered(answers->RunFileDialog(Settings()));
    return RunShown();
}

FileDialogRun TFileDlgPlus::Settings() const {
    FileDialogRun run;
    run.DialogClass =
        QString::fromLatin1(metaObject()->className()).section(QLatin1String("::"), -1);
    run.ObjectName = objectName();
    run.Title = windowTitle();
    run.InitialDir = InitialDirValue;
    run.FileName = FileNameValue;
    run.Filter = FilterValue;
    run.DefaultExt = defaultSuffix();
    run.ReadOnlyBoxShown = ReadOnlyBoxShownValue;
    run.ReadOnlyChecked = ReadOnlyCheckedValue;
    run.OverwritePrompt =
        acceptMode() == AcceptSave && !testOption(QFileDialog::DontConfirmOverwrite);
    run.FileMustExist = fileMode() == ExistingFile || fileMode() == ExistingFiles;
    run.Centre = CenterFormSlot;
    return run;
}

bool TFileDlgPlus::RunAnswered(const DialogAnswer& answer) {
    if (!answer.Accepted) {
        setResult(Rejected);
        return false;
    }
    FileNameValue = WithDefaultSuffix(answer.FileName, defaultSuffix());
    ReadOnlyCheckedValue = ReadOnlyBoxShownValue && answer.ReadOnly;
    setResult(Accepted);
    return true;
}

void TFileDlgPlus::ApplySettings() {
    if (!InitialDirValue.isEmpty())
        setDirectory(InitialDirValue);
    if (!FileNameValue.isEmpty() && !HasWildcards(FileNameValue)) {
        selectFile(FileNameValue);
    } else {
        // The dialog object is reused: without this, the file typed or chosen
        // in the last run would be proposed again, in the name box and as
        // the list's selection (which accepting the dialog would open).
        for (auto* view : findChildren<QAbstractItemView*>())
            if (view->selectionModel())
                view->selectionModel()->clearSelection();
        if (auto* nameEdit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            nameEdit->clear();
    }
    ReadOnlyBox->setChecked(ReadOnlyCheckedValue);
    ReadOnlyBox->setVisible(ReadOnlyBoxShownValue);
}

bool TFileDlgPlus::RunShown() {
    ApplySettings();
    Centring = true;
    const int result = exec();
    Centring = false;
    if (result != Accepted)
        return false;
    FileNameValue = selectedFiles().value(0);
    ReadOnlyCheckedValue = ReadOnlyBoxShownValue && ReadOnlyBox->isChecked();
    return true;
}

void TFileDlgPlus::showEvent(QShowEvent* event) {
    QFileDialog::showEvent(event); // Qt's own placement first, so the move stands
    QWidget* form = CenterFormSlot;
    if (!Centring || event->spontaneous() || !form)
        return;
    move(CentredOver(form->frameGeometry(), frameGeometry().size()));
    // Not a position the user chose: the next run is placed afresh.
    setAttribute(Qt::WA_Moved, false);
}

// --- placement ---------------------------------------------------------------

QWidget* CenterForm() {
    return CenterFormSlot;
}

QPoint CentredOver(const QRect& form, const QSize& dialog) {
    return QPoint(form.left() + (form.width() - dialog.width()) / 2,
                  form.top() + (form.height() - dialog.height()) / 3);
}

std::optional<QPoint> PlacementPosition(const QRect& reference, const QSize& size, int code,
                                        int shiftX, int shiftY) {
    enum Across { Left, Centre, Right };
    enum Down { Top, Middle, Bottom, Third };
    static const Across across[10] = {Left,   Centre, Right, Centre, Centre,
                                      Centre, Left,   Right, Left,   Right};
    static const Down down[10] = {Middle, Top, Middle, Bottom, Middle,
                                  Third,  Top, Top,    Bottom, Bottom};
    if (code < 0 || code > 9)
        return std::nullopt;

    const int freeW = reference.width() - size.width();
    const int freeH = reference.height() - size.height();
    int x = 0, y = 0;
    switch (across[code]) {
    case Left:
        x = 0;
        break;
    case Centre:
        x = freeW / 2;
        break;
    case Right:
        x = freeW;
        break;
    }
    switch (down[code]) {
    case Top:
        y = 0;
        break;
    case Middle:
        y = freeH / 2;
        break;
    case Bottom:
        y = freeH;
        break;
    case Third:
        y = freeH / 3;
        break;
    }
    return QPoint(reference.left() + x + shiftX, reference.top() + y + shiftY);
}

void PlaceForm(QWidget* form, QWidget* reference, int code, int shiftX, int shiftY) {
    if (!form)
        return;
    // A window not shown yet takes its size at the show; take it now, as the
    // show would, so the placement uses the size the window will have.
    if (!form->testAttribute(Qt::WA_Resized)) {
        form->adjustSize();
        form->setAttribute(Qt::WA_Resized, false);
    }
    QRect bounds;
    if (reference) {
        bounds = reference->frameGeometry();
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        bounds = QRect(QPoint(0, 0), screen->geometry().size());
    }
    const std::optional<QPoint> at =
        PlacementPosition(bounds, form->frameGeometry().size(), code, shiftX, shiftY);
    if (at)
        form->move(*at);
}

int ShowModalPlaced(QDialog* form, QWidget* reference, int code) {
    if (!form)
        return QDialog::Rejected;
    PlaceForm(form, reference, code, 0, 0);
    return form->exec();
}

QStringList NameFiltersFromFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QStringList patterns = SplitPatterns(parts[i + 1], QStringLiteral(";"));
        if (patterns.isEmpty())
            continue;
        const int open = description.lastIndexOf(QLatin1Char('('));
        if (description.endsWith(QLatin1Char(')')) && open >= 0) {
            const QString shown = description.mid(open + 1, description.size() - open - 2);
            if (SplitPatterns(shown, QStringLiteral("; ")) == patterns) {
                result << description;
                continue;
            }
        }
        result << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                      QLatin1Char(')');
    }
    return result;
}

// --- test seam ---------------------------------------------------------------

} // namespace qm
