//===- Options.cpp - The options dialog -----------------------------------===//
//
// Layout, the live font preview, and moving the settings between
// AppSettings, the controls and the store. Controls sit at fixed positions
// in a fixed-size dialog; only the size box (and its arrows) changes height,
// following its font.
//
//===----------------------------------------------------------------------===//
#include "settings/Options.h"
#include "settings/OptionsUpDown.h"
#include "settings/SettingNumbers.h"

#include "controls/DlgsPlus.h"
#include "controls/FilePaths.h"
#include "controls/Modals.h"
#include "versioninfo/document/Lookups.h"
#include "versioninfo/document/Tables.h"
#include "versioninfo/support/PathParts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

#ifndef QM_VERSION_TEXT
#define QM_VERSION_TEXT "1.0.0"
#endif

namespace qm {

namespace {

constexpr int ClientWidth = 464;
constexpr int ClientHeight = 324;
constexpr int ListHeight = 22;
constexpr int EditHeight = 20;
constexpr int CheckHeight = 17;
constexpr int ButtonHeight = 25;
constexpr int FontSizeMin = 4;
constexpr int FontSizeMax = 16;

const char* const FindFilter = "Resource Compiler (*.exe)|*.exe|All Files (*.*)|*.*";
const char* const PosixFindFilter = "Programs (*)|*";

bool NativeStyleIsWindows() {
    return NativePathStyle() == PathStyle::Windows;
}

/// The font of every box and list as designed. Its weight is set outright:
/// a weight left unset would be taken from the dialog's bold caption font.
QFont BoxFont() {
    QFont font(QStringLiteral("FixedSys"));
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);
    return font;
}

/// The font of captions and labels.
QFont CaptionFont() {
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    font.setBold(true);
    return font;
}

/// The toolkit's plain open dialog, placed where the toolkit puts it: only
/// the main window's file dialogs centre themselves over their window. It
/// still runs through TOpenDlgPlus so that tests can answer it.
class FindPathDialog : public TOpenDlgPlus {
public:
    explicit FindPathDialog(QWidget* owner) : TOpenDlgPlus(owner) {}

protected:
    void showEvent(QShowEvent* event) override { QFileDialog::showEvent(event); }
};

TextList ToTextList(const QComboBox* list) {
    TextList rows;
    rows.reserve(static_cast<std::size_t>(list->count()));
    for (int i = 0; i < list->count(); ++i)
        rows.push_back(list->itemText(i).toStdString());
    return rows;
}

void FillList(QComboBox* list, const TextList& rows) {
    for (const std::string& row : rows)
        list->addItem(QString::fromStdString(row));
}

/// The list's text as shown; empty when nothing is selected.
QString ShownText(const QComboBox* list) {
    return list->currentIndex() < 0 ? QString() : list->currentText();
}

/// A check box's caption or a control's label, as the setting declares it.
QString LabelOf(SettingId id) {
    return QLatin1String(SettingRowOf(id).Label);
}

int ListRowOrNone(const QComboBox* list) {
    return list->currentIndex() < 0 ? NoRow : list->currentIndex();
}

void SetFontFamily(QWidget* widget, const QString& family) {
    QFont font = widget->font();
    font.setFamily(family);
    widget->setFont(font);
}

} // namespace

QStringList ScreenFontNames() {
    QStringList names;
    // A family that several foundries make is listed once per foundry
    // ("Nimbus Sans [URW ]", "Nimbus Sans [urw]"): once is enough.
    static const QRegularExpression Foundry(QStringLiteral("\\s*\\[[^\\]]*\\]$"));
    for (QString family : QFontDatabase::families())
        names << family.remove(Foundry);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

// --- creation ----------------------------------------------------------------

TFormOpt::TFormOpt(QWidget* parent) : QDialog(parent) {
    FormCreate();
}

TFormOpt::~TFormOpt() = default;

void TFormOpt::FormCreate() {
    setObjectName(QStringLiteral("FormOpt"));
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(CaptionFont());
    setFixedSize(ClientWidth, ClientHeight);

    BuildControls();
    BuildLabels();
    BuildAboutPanel();
    SetTabOrder();
    ConnectHandlers();

    // The screen's fonts are listed once; fonts installed later are not seen.
    // Filling the list selects its first row for a moment; the preview must
    // not take that font, so the change handler does not hear of it.
    {
        const QSignalBlocker quiet(ccbFontName);
        ccbFontName->addItems(ScreenFontNames());
        ccbFontName->setCurrentIndex(-1);
    }
    FitFontSizeHeight();
}

void TFormOpt::BuildControls() {
    const auto place = [this](QWidget* w, const char* name, int left, int top, int width,
                              int height) {
        w->setObjectName(QLatin1String(name));
        w->setGeometry(left, top, width, height);
    };
    const auto box = [&](QWidget* w, const char* name, int left, int top, int width, int height) {
        place(w, name, left, top, width, height);
        w->setFont(BoxFont());
    };

    ccbFontName = new QComboBox(this);
    box(ccbFontName, "ccbFontName", 8, 24, 373, ListHeight);
    cedFontSize = new QLineEdit(QStringLiteral("9"), this);
    box(cedFontSize, "cedFontSize", 400, 24, 33, EditHeight);
    cudFontSize = new TUpDown(this);
    place(cudFontSize, "cudFontSize", 433, 24, 12, EditHeight);
    cudFontSize->SetRange(FontSizeMin, FontSizeMax);
    cudFontSize->SetPosition(9);
    cudFontSize->SetBuddy(cedFontSize);

    cckUseIni = new QCheckBox(LabelOf(SettingId::UseInitialRC), this);
    place(cckUseIni, "cckUseIni", 352, 67, 97, CheckHeight);
    ccbFileOS = new QComboBox(this);
    box(ccbFileOS, "ccbFileOS", 8, 72, 175, ListHeight);
    FillList(ccbFileOS, FileOSTable());
    ccbLanguageID = new QComboBox(this);
    box(ccbLanguageID, "ccbLanguageID", 8, 120, 448, ListHeight);
    FillList(ccbLanguageID, LanguageTable());
    ccbCodePage = new QComboBox(this);
    box(ccbCodePage, "ccbCodePage", 8, 168, 448, ListHeight);
    FillList(ccbCodePage, CodePageTable());

    cckMinWin = new QCheckBox(LabelOf(SettingId::MinimizeWindow), this);
    place(cckMinWin, "cckMinWin", 216, 199, 121, CheckHeight);
    cckUseBat = new QCheckBox(LabelOf(SettingId::UseBatchFile), this);
    place(cckUseBat, "cckUseBat", 352, 199, 105, CheckHeight);
    cckUseBat->setChecked(true);

    cedCompilerPath = new QLineEdit(this);
    box(cedCompilerPath, "cedCompilerPath", 40, 216, 373, EditHeight);
    cedCompiler32 = new QLineEdit(this);
    box(cedCompiler32, "cedCompiler32", 40, 236, 189, EditHeight);
    cedCompiler16 = new QLineEdit(this);
    box(cedCompiler16, "cedCompiler16", 268, 236, 189, EditHeight);

    cbtnOK = new QPushButton(QStringLiteral("OK"), this);
    place(cbtnOK, "cbtnOK", 296, 286, 75, ButtonHeight);
    cbtnOK->setDefault(true);
    cbtnOK->setToolTip(QStringLiteral("Store the settings and use them"));
    cbtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    place(cbtnCancel, "cbtnCancel", 380, 286, 75, ButtonHeight);
    cbtnCancel->setToolTip(QStringLiteral("Close without storing anything"));

    cbtnFind = new QToolButton(this);
    place(cbtnFind, "cbtnFind", 416, 216, 41, EditHeight);
    cbtnFind->setText(QStringLiteral("Find..."));
    cbtnFind->setToolTip(QStringLiteral("Pick the compiler; its folder becomes the path"));
    cbtnFind->setAutoRaise(true);
    cbtnFind->setFocusPolicy(Qt::NoFocus);
}

void TFormOpt::BuildLabels() {
    const auto label = [this](const QString& text, const char* name, int left, int top) {
        auto* lab = new QLabel(text, this);
        if (name)
            lab->setObjectName(QLatin1String(name));
        lab->move(left, top);
        lab->adjustSize();
        return lab;
    };
    label(LabelOf(SettingId::FontName), nullptr, 8, 8);
    label(LabelOf(SettingId::FontSize), nullptr, 400, 8);
    labFileOS = label(LabelOf(SettingId::DefaultFILEOS), "labFileOS", 8, 56);
    labLanguageID = label(LabelOf(SettingId::DefaultLanguageID), "labLanguageID", 8, 104);
    labCodePage = label(LabelOf(SettingId::DefaultCodePage), "labCodePage", 8, 152);
    // A label without a buddy shows "&" as it is: one ampersand.
    label(QStringLiteral("Compiler Path & Command-line"), nullptr, 8, 200);
    label(LabelOf(SettingId::CompilerPath), nullptr, 8, 219);
    label(LabelOf(SettingId::CompilerCmdLine32), nullptr, 20, 239);
    label(LabelOf(SettingId::CompilerCmdLine16), nullptr, 248, 239);
}

void TFormOpt::BuildAboutPanel() {
    panAbout = new QFrame(this);
    panAbout->setObjectName(QStringLiteral("panAbout"));
    panAbout->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panAbout->setGeometry(8, 278, 40, 40);

    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_ComputerIcon);
    auto* picture = new QLabel(panAbout);
    picture->setObjectName(QStringLiteral("imgIcon"));
    picture->setPixmap(icon.pixmap(32, 32));
    picture->setGeometry(4, 4, 32, 32);

    auto* name = new QLabel(QStringLiteral("Quillmark"), this);
    name->setObjectName(QStringLiteral("labProgramName"));
    name->move(56, 282);
    name->adjustSize();
    auto* version = new QLabel(QStringLiteral("Version ") + QLatin1String(QM_VERSION_TEXT), this);
    version->setObjectName(QStringLiteral("labVersion"));
    version->move(56, 300);
    version->adjustSize();
}

// Made on first use: it costs start-up time, and Qt writes a file dialog's
// state to disk when it goes, used or not.
TOpenDlgPlus* TFormOpt::FindDialog() {
    if (dlgFindPath)
        return dlgFindPath;
    dlgFindPath = new FindPathDialog(this);
    dlgFindPath->setObjectName(QStringLiteral("dlgFindPath"));
    if (NativeStyleIsWindows()) {
        dlgFindPath->SetDefaultExt(QStringLiteral("exe"));
        dlgFindPath->SetFileName(QStringLiteral("Brcc32.exe"));
        dlgFindPath->SetFilter(QLatin1String(FindFilter));
    } else {
        dlgFindPath->SetFilter(QLatin1String(PosixFindFilter));
    }
    dlgFindPath->SetReadOnlyBoxShown(false);
    // An existing file implies an existing folder.
    dlgFindPath->setFileMode(QFileDialog::ExistingFile);
    return dlgFindPath;
}

void TFormOpt::SetTabOrder() {
    QWidget* const order[] = {ccbFontName,   cedFontSize,   cudFontSize, cckUseIni, ccbFileOS,
                              ccbLanguageID, ccbCodePage,   cckMinWin,   cckUseBat, cedCompilerPath,
                              cedCompiler32, cedCompiler16, cbtnOK,      cbtnCancel};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TFormOpt::ConnectHandlers() {
    connect(ccbFontName, &QComboBox::currentIndexChanged, this, &TFormOpt::FontNameChange);
    connect(cedFontSize, &QLineEdit::textChanged, this, &TFormOpt::FontSizeChange);
    // The whole of a path or command that its box shows only in part.
    for (QLineEdit* box : {cedCompilerPath, cedCompiler32, cedCompiler16})
        connect(box, &QLineEdit::textChanged, box, &QLineEdit::setToolTip);
    connect(cckUseIni, &QCheckBox::toggled, this, &TFormOpt::UseIniClick);
    connect(cbtnFind, &QToolButton::clicked, this, &TFormOpt::FindClick);
    connect(cbtnOK, &QPushButton::clicked, this, &TFormOpt::OKClick);
    connect(cbtnCancel, &QPushButton::clicked, this, &TFormOpt::CancelClick);
    ccbFontName->installEventFilter(this);
}

// --- showing -----------------------------------------------------------------

void TFormOpt::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormOpt::FormShow() {
    SettingsToControls();
    // Run even where nothing changed, so the preview and the enabled states
    // match what is shown.
    FontNameChange();
    FontSizeChange();
    UseIniClick();
    ccbFontName->setFocus(Qt::OtherFocusReason);
}

// --- binding: each declared setting to its control ---------------------------

QWidget* TFormOpt::ControlOf(const SettingRow& row) const {
    return findChild<QWidget*>(QLatin1String(row.ControlName), Qt::FindDirectChildrenOnly);
}

void TFormOpt::SettingsToControls() {
    const OptionEntries shown = EntriesShowing(InForce);
    for (const SettingRow& row : SettingRows)
        ShowEntry(row, EntryOf(shown, row.Id));
}

void TFormOpt::ShowEntry(const SettingRow& row, const SettingEntry& entry) {
    QWidget* control = ControlOf(row);
    switch (row.Control) {
    case SettingControl::FontList:
        static_cast<QComboBox*>(control)->setCurrentIndex(FontRow(entry.Text));
        break;
    case SettingControl::FileOSList: {
        auto* list = static_cast<QComboBox*>(control);
        list->setCurrentIndex(SelectExact(ToTextList(list), entry.Text.toStdString(), NoRow));
        break;
    }
    case SettingControl::LanguageList:
    case SettingControl::CodePageList:
        static_cast<QComboBox*>(control)->setCurrentIndex(entry.Row);
        break;
    case SettingControl::Check:
        static_cast<QCheckBox*>(control)->setChecked(entry.Checked);
        break;
    case SettingControl::NumberBox:
    case SettingControl::Edit: {
        auto* box = static_cast<QLineEdit*>(control);
        box->setText(entry.Text);
        // A command longer than its box shows its start, the program's name.
        box->setCursorPosition(0);
        break;
    }
    }
}

SettingEntry TFormOpt::ShownEntry(const SettingRow& row) const {
    const QWidget* control = ControlOf(row);
    SettingEntry entry;
    switch (row.Control) {
    case SettingControl::FontList:
    case SettingControl::FileOSList:
        entry.Text = ShownText(static_cast<const QComboBox*>(control));
        break;
    case SettingControl::LanguageList:
    case SettingControl::CodePageList:
        entry.Row = ListRowOrNone(static_cast<const QComboBox*>(control));
        break;
    case SettingControl::Check:
        entry.Checked = static_cast<const QCheckBox*>(control)->isChecked();
        break;
    case SettingControl::NumberBox:
    case SettingControl::Edit:
        entry.Text = static_cast<const QLineEdit*>(control)->text();
        break;
    }
    return entry;
}

int TFormOpt::FontRow(const QString& family) const {
    const TextList shown = ToTextList(ccbFontName);
    const int row = SelectExact(shown, family.toStdString(), NoRow);
    if (row != NoRow)
        return row;
    // A designed face this system lacks ("FixedSys") shows the stand-in the
    // program draws in instead.
    for (const QString& standIn : QFont::substitutes(family)) {
        const int standInRow = SelectExact(shown, standIn.toStdString(), NoRow);
        if (standInRow != NoRow)
            return standInRow;
    }
    return NoRow;
}

OptionEntries TFormOpt::Entries() const {
    OptionEntries entries;
    for (const SettingRow& row : SettingRows)
        SetEntry(entries, row.Id, ShownEntry(row));
    return entries;
}

void TFormOpt::ControlsToSettings() {
    Expected<AppSettings> converted = ConvertEntries(Entries());
    if (converted)
        InForce = *converted;
}

// --- font preview ------------------------------------------------------------

QList<QWidget*> TFormOpt::PreviewControls() const {
    return {cedFontSize,     ccbFileOS,     ccbLanguageID, ccbCodePage,
            cedCompilerPath, cedCompiler32, cedCompiler16};
}

void TFormOpt::FontNameChange() {
    const QString family = ShownText(ccbFontName);
    if (!family.isEmpty()) {
        for (QWidget* w : PreviewControls())
            SetFontFamily(w, family);
    }
    FitFontSizeHeight();
}

void TFormOpt::FontSizeChange() {
    const QString text = cedFontSize->text();
    const std::optional<std::int32_t> size = ReadWholeNumber(text.toStdString());
    if (!size) {
        ShowError(QStringLiteral("'%1' is not a valid integer value").arg(text));
        return;
    }
    // A size the toolkit cannot draw (zero or less) is still a valid entry;
    // the preview just keeps the size it has.
    if (*size > 0) {
        for (QWidget* w : PreviewControls()) {
            QFont font = w->font();
            font.setPointSize(*size);
            w->setFont(font);
        }
    }
    FitFontSizeHeight();
}

void TFormOpt::FitFontSizeHeight() {
    const QRect at = cedFontSize->geometry();
    cedFontSize->setGeometry(at.left(), at.top(), at.width(), cedFontSize->sizeHint().height());
    const QRect arrows = cudFontSize->geometry();
    cudFontSize->setGeometry(arrows.left(), arrows.top(), arrows.width(), cedFontSize->height());
}

void TFormOpt::FontNameEnter() {
    SetFontFamily(ccbFontName, QStringLiteral("FixedSys"));
}

void TFormOpt::FontNameExit() {
    SetFontFamily(ccbFontName, cedFontSize->font().family());
}

bool TFormOpt::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ccbFontName &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        // The list's own popup and a switch to another window take the focus
        // only for a while; the list has not been left.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            if (event->type() == QEvent::FocusIn)
                FontNameEnter();
            else
                FontNameExit();
        }
    }
    return QDialog::eventFilter(watched, event);
}

// --- the other handlers ------------------------------------------------------

void TFormOpt::UseIniClick() {
    // With the template in use its own values stand, so the defaults are
    // greyed; they keep their selections and are stored all the same.
    const bool enabled = !cckUseIni->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(ccbFileOS), static_cast<QWidget*>(ccbLanguageID),
                       static_cast<QWidget*>(ccbCodePage), static_cast<QWidget*>(labFileOS),
                       static_cast<QWidget*>(labLanguageID), static_cast<QWidget*>(labCodePage)})
        w->setEnabled(enabled);
}

void TFormOpt::FindClick() {
    TOpenDlgPlus* const dlgFindPath = FindDialog();
    if (!NativeStyleIsWindows()) {
        // Compilers here have no extension: offer what may be run, from the
        // configured folder, with the command's program proposed.
        dlgFindPath->setFilter(QDir::AllDirs | QDir::Files | QDir::Executable |
                               QDir::NoDotAndDotDot);
        dlgFindPath->SetInitialDir(cedCompilerPath->text().trimmed());
        dlgFindPath->SetFileName(cedCompiler32->text().trimmed().section(QLatin1Char(' '), 0, 0));
    }
    if (!dlgFindPath->Execute())
        return;
    const std::string file = PathBytes(QDir::toNativeSeparators(dlgFindPath->FileName()));
    cedCompilerPath->setText(PathText(ContainingFolder(file, NativePathStyle())));
}

void TFormOpt::OKClick() {
    // The result is OK from here on, whatever the store does.
    setResult(Accepted);
    const Status stored = StoreSettings(Entries());
    if (stored)
        ControlsToSettings();
    else
        ShowError(MessageText(stored.message()));
    accept();
}

void TFormOpt::CancelClick() {
    SettingsToControls();
    reject();
}

void TFormOpt::keyPressEvent(QKeyEvent* event) {
    // Esc is the Cancel button's key; closing by the window's close box
    // rejects without it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cbtnCancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

// --- error boxes -------------------------------------------------------------

void TFormOpt::ShowError(const QString& message) {
    Modals::ShowMessage(this, QStringLiteral("Quillmark"), message, MessageIcon::Critical);
}

} // namespace qm
