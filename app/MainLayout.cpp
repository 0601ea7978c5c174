//===- MainLayout.cpp - The main window's controls, placed by pixel -------===//
//
// The window is a fixed 592 x 373 client area with absolute positions, as
// designed; nothing is laid out by Qt's layout managers, so every control
// stays where automation and the user expect it whatever the font.
//
//===----------------------------------------------------------------------===//

#include "app/Main.h"

#include "controls/ButtonPL.h"
#include "controls/DlgsPlus.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTabBar>

#include <limits>

namespace qm {

namespace {

constexpr int FieldHeight = 20;
constexpr int ButtonTop = 340;
constexpr int ButtonHeight = 25;

// "MS Sans Serif" / "Arial" 8 point at the designed 96 dpi: 11 pixels high.
QFont DesignFont(const QString& family) {
    QFont font(family);
    font.setPixelSize(11);
    font.setBold(true);
    return font;
}

template <typename Control>
Control* Place(Control* control, const char* name, int left, int top, int width, int height) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(left, top, width, height);
    return control;
}

QLabel* AddLabel(QWidget* page, const QString& text, int left, int top) {
    auto* label = new QLabel(text, page);
    label->setObjectName(QStringLiteral("lab") +
                         QString(text).remove(QRegularExpression(QStringLiteral("[^A-Za-z]"))));
    label->setFont(DesignFont(QStringLiteral("Arial")));
    label->setTextFormat(Qt::PlainText);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QLineEdit* AddEdit(QWidget* page, const char* name, int left, int top, int width) {
    auto* edit = Place(new QLineEdit(page), name, left, top, width, FieldHeight);
    // Script values may be long; the default limit would cut them silently.
    edit->setMaxLength(std::numeric_limits<int>::max());
    return edit;
}

QComboBox* AddList(QWidget* page, const char* name, int left, int top, int width,
                   const TextList& rows) {
    auto* list = Place(new QComboBox(page), name, left, top, width, FieldHeight);
    for (const std::string& row : rows)
        list->addItem(QString::fromLatin1(row.data(), static_cast<qsizetype>(row.size())));
    list->setMaxVisibleItems(16);
    return list;
}

QPlainTextEdit* AddMemo(QWidget* page, const char* name, int left, int top, int width, int height,
                        bool readOnly) {
    auto* memo = Place(new QPlainTextEdit(page), name, left, top, width, height);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setTabChangesFocus(true);
    memo->setReadOnly(readOnly);
    return memo;
}

QPushButton* AddButton(QWidget* window, const char* name, const QString& caption, int left,
                       int width) {
    auto* button =
        Place(new QPushButton(caption, window), name, left, ButtonTop, width, ButtonHeight);
    button->setAutoDefault(false);
    return button;
}

} // namespace

void TFormMain::BuildLayout() {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(DesignFont(QStringLiteral("MS Sans Serif")));
    setFixedSize(592, 373);
    move(244, 103);

    panMain = Place(new QFrame(this), "panMain", 4, 4, 584, 325);
    panMain->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panMain->setLineWidth(1);

    // The bevel and the border take one pixel each; the notebook fills the
    // rest from the top and the tab strip sits on its bottom edge.
    noteMain = Place(new QStackedWidget(panMain), "noteMain", 2, 2, 580, 303);
    QFont pageFont(QStringLiteral("Courier New"));
    pageFont.setPointSize(9);
    pageFont.setBold(false);
    noteMain->setFont(pageFont);

    const char* pageNames[] = {"FixedInfo", "StringInfo", "FileImage", "Compiler"};
    for (const char* pageName : pageNames) {
        auto* page = new QWidget(noteMain);
        page->setObjectName(QString::fromLatin1(pageName));
        noteMain->addWidget(page);
    }
    BuildFixedInfoPage(noteMain->widget(0));
    BuildStringInfoPage(noteMain->widget(1));
    cmmImage = AddMemo(noteMain->widget(2), "cmmImage", 12, 12, 556, 277, true);
    cmmResult = AddMemo(noteMain->widget(3), "cmmResult", 12, 12, 556, 277, true);

    tabMain = Place(new QTabBar(panMain), "tabMain", 2, 302, 580, 21);
    tabMain->setFont(DesignFont(QStringLiteral("MS Sans Serif")));
    tabMain->setFocusPolicy(Qt::NoFocus);
    tabMain->setExpanding(false);
    tabMain->setDrawBase(false);
    for (const char* caption : {"FixedInfo", "StringInfo", "File Image", "Compiler"})
        tabMain->addTab(QString::fromLatin1(caption));
    tabMain->setCurrentIndex(0);
    noteMain->setCurrentIndex(0);
    tabMain->raise();

    BuildButtonRow();
    SetTabOrder();
}

void TFormMain::BuildFixedInfoPage(QWidget* page) {
    AddLabel(page, QStringLiteral("Comments & Includes"), 12, 8);
    cmmComInc = AddMemo(page, "cmmComInc", 12, 24, 556, 169, false);

    AddLabel(page, QStringLiteral("FILEVERSION"), 12, 208);
    cedHFileVersion = AddEdit(page, "cedHFileVersion", 120, 204, 167);
    AddLabel(page, QStringLiteral("PRODUCTVERSION"), 12, 228);
    cedHProductVersion = AddEdit(page, "cedHProductVersion", 120, 224, 167);
    AddLabel(page, QStringLiteral("FILEFLAGSMASK"), 12, 248);
    cedFileFlagsMask = AddEdit(page, "cedFileFlagsMask", 120, 244, 167);
    cedFileFlagsMask->setText(QStringLiteral("VS_FFI_FILEFLAGSMASK"));
    cedFileFlagsMask->setReadOnly(true);
    ShowMaskReadOnly();

    AddLabel(page, QStringLiteral("FILEFLAGS"), 12, 272);
    panFileFlags = Place(new QFrame(page), "panFileFlags", 120, 266, 450, 24);
    panFileFlags->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    cckFFDebug = Place(new QCheckBox(QStringLiteral("VS_FF_DEBUG"), panFileFlags), "cckFFDebug", 8,
                       4, 120, 16);
    cckFFPreRelease = Place(new QCheckBox(QStringLiteral("VS_FF_PRERELEASE"), panFileFlags),
                            "cckFFPreRelease", 136, 4, 150, 16);
    cckFFPatched = Place(new QCheckBox(QStringLiteral("VS_FF_PATCHED"), panFileFlags),
                         "cckFFPatched", 300, 4, 140, 16);

    AddLabel(page, QStringLiteral("FILEOS"), 305, 208);
    ccbFileOS = AddList(page, "ccbFileOS", 387, 204, 183, FileOSTable());
    AddLabel(page, QStringLiteral("FILETYPE"), 305, 228);
    ccbFileType = AddList(page, "ccbFileType", 387, 224, 183, FileTypeTable());
    AddLabel(page, QStringLiteral("FILESUBTYPE"), 305, 248);
    ccbFileSubType = AddList(page, "ccbFileSubType", 387, 244, 183, SubTypeLists("VFT_APP"));
    ccbFileSubType->setInsertPolicy(QComboBox::NoInsert);
}

void TFormMain::BuildStringInfoPage(QWidget* page) {
    struct Row {
        const char* Label;
        const char* Name;
    };
    // The asterisk marks the values a version resource usually carries; it
    // belongs to the label only.
    static const Row Rows[] = {
        {"LanguageID", "ccbLanguageID"},
        {"CodePage", "ccbCodePage"},
        {"FileVersion*", "cedFileVersion"},
        {"FileDescription*", "cedFileDescription"},
        {"LegalCopyright", "cedLegalCopyright"},
        {"Comments", "cedComments"},
        {"CompanyName*", "cedCompanyName"},
        {"LegalTrademarks", "cedLegalTrademarks"},
        {"OriginalFilename*", "cedOriginalFilename"},
        {"ProductVersion*", "cedProductVersion"},
        {"ProductName*", "cedProductName"},
        {"InternalName*", "cedInternalName"},
        {"PrivateBuild", "cedPrivateBuild"},
        {"SpecialBuild", "cedSpecialBuild"},
    };
    for (int k = 0; k < 14; ++k) {
        const int top = 8 + 20 * k;
        AddLabel(page, QString::fromLatin1(Rows[k].Label), 12, top + 4);
        if (k == 0)
            ccbLanguageID = AddList(page, Rows[k].Name, 120, top, 448, LanguageTable());
        else if (k == 1)
            ccbCodePage = AddList(page, Rows[k].Name, 120, top, 448, CodePageTable());
        else
            StringEdits[k - 2] = AddEdit(page, Rows[k].Name, 120, top, 448);
    }
}

// The box takes the colours of a button face, taken afresh from the palette
// in force, so that it reads as read-only in a dark palette too.
void TFormMain::ShowMaskReadOnly() {
    QPalette colours = palette();
    colours.setColor(QPalette::Base, colours.color(QPalette::Button));
    colours.setColor(QPalette::Text, colours.color(QPalette::ButtonText));
    cedFileFlagsMask->setPalette(colours);
}

void TFormMain::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    const bool paletteChanged =
        event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange;
    if (paletteChanged && cedFileFlagsMask)
        ShowMaskReadOnly();
}

void TFormMain::BuildButtonRow() {
    cbtnNew = AddButton(this, "cbtnNew", QStringLiteral("&New"), 5, 45);
    cbtnOpen = AddButton(this, "cbtnOpen", QStringLiteral("&Open..."), 60, 85);
    cbtnSaveAs = AddButton(this, "cbtnSaveAs", QStringLiteral("Save &As..."), 155, 85);
    cbtnCompile = AddButton(this, "cbtnCompile", QStringLiteral("Save && &Compile"), 257, 147);
    cbtnCompile->setEnabled(false);

    cbtnCompile32 = Place(new TSpeedBtnPlus(this), "cbtnCompile32", 405, ButtonTop, 25, 25);
    cbtnCompile32->SetCaption(QStringLiteral("32"));
    cbtnCompile32->setFont(DesignFont(QStringLiteral("MS Sans Serif")));
    // A group of one that may be released: each click toggles it.
    cbtnCompile32->SetGroupIndex(1);
    cbtnCompile32->SetAllowAllUp(true);
    cbtnCompile32->SetDown(true);
    cbtnCompile32->setEnabled(false);

    cbtnOptions = AddButton(this, "cbtnOptions", QStringLiteral("O&ptions..."), 447, 85);
    cbtnExit = AddButton(this, "cbtnExit", QStringLiteral("&Exit"), 542, 45);

    cbtnNew->setToolTip(QStringLiteral("Start a new document (Ctrl+N)"));
    cbtnOpen->setToolTip(QStringLiteral("Open a resource script (Ctrl+O)"));
    cbtnSaveAs->setToolTip(QStringLiteral("Save the document under a new name (Ctrl+Shift+S)"));
    cbtnCompile->setToolTip(QStringLiteral("Save the script and run the resource compiler on it"));
    cbtnCompile32->setToolTip(
        QStringLiteral("Down: compile with the 32-bit command; up: with the 16-bit one"));
    cbtnOptions->setToolTip(QStringLiteral("Fonts, new-document defaults and the compiler"));
    cbtnExit->setToolTip(QStringLiteral("Close Quillmark"));
}

// The file dialogs are made on first use: each costs start-up time, and Qt
// writes its dialogs' state to disk when they go, used or not.
const QString ScriptFilter = QStringLiteral("Resource Files (*.rc)| *.rc|All Files (*.*)|*.*");

TOpenDlgPlus* TFormMain::OpenDialog() {
    if (!dlgOpen) {
        dlgOpen = new TOpenDlgPlus(this);
        dlgOpen->setObjectName(QStringLiteral("dlgOpen"));
        dlgOpen->SetDefaultExt(QStringLiteral("rc"));
        dlgOpen->SetFilter(ScriptFilter);
        dlgOpen->SetReadOnlyBoxShown(true);
    }
    return dlgOpen;
}

TSaveDlgPlus* TFormMain::SaveDialog() {
    if (!dlgSave) {
        dlgSave = new TSaveDlgPlus(this);
        dlgSave->setObjectName(QStringLiteral("dlgSave"));
        dlgSave->SetDefaultExt(QStringLiteral("rc"));
        dlgSave->SetFilter(ScriptFilter);
        dlgSave->SetReadOnlyBoxShown(false);
    }
    return dlgSave;
}

void TFormMain::SetTabOrder() {
    QList<QWidget*> chain = {cmmComInc,   cedHFileVersion, cedHProductVersion, cedFileFlagsMask,
                             cckFFDebug,  cckFFPreRelease, cckFFPatched,       ccbFileOS,
                             ccbFileType, ccbFileSubType,  ccbLanguageID,      ccbCodePage};
    for (QLineEdit* edit : StringEdits)
        chain.append(edit);
    chain << cmmImage << cmmResult << cbtnNew << cbtnOpen << cbtnSaveAs << cbtnCompile
          << cbtnOptions << cbtnExit;
    for (int i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

} // namespace qm
