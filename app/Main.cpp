//===- Main.cpp - The main window's start-up, its controls and pages ------===//

#include "app/Main.h"

#include "app/CompileRunner.h"
#include "controls/ButtonPL.h"
#include "controls/DlgsPlus.h"
#include "controls/FilePaths.h"
#include "controls/Modals.h"
#include "settings/AppSettings.h"
#include "settings/CompilerProbe.h"
#include "settings/Options.h"
#include "versioninfo/document/Lookups.h"
#include "versioninfo/script/ScriptWriter.h"
#include "versioninfo/support/PathParts.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTabBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <limits>

namespace qm {

namespace {

const QString AppTitleText = QString::fromLatin1(AppTitle.data(), AppTitle.size());

QString TableText(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TFormMain::TFormMain(FormMainSetup setup, QWidget* parent) : QWidget(parent) {
    BuildLayout();
    ConnectHandlers();
    BuildShortcuts();
    ConnectChangeSignals();
    setAcceptDrops(true);
    Starter = setup.Starter;
    ProgramDir = setup.ProgramDir.isEmpty()
                     ? QCoreApplication::applicationDirPath() + QLatin1Char('/')
                     : setup.ProgramDir;
    GivenFiles = setup.Files;
    if (!GivenFiles && !setup.ProgramDir.isEmpty())
        GivenFiles = AppFilesIn(PathBytes(ProgramDir));
    FormCreate(setup.Arguments);
}

TFormMain::~TFormMain() = default;

void TFormMain::ConnectHandlers() {
    auto guarded = [this](void (TFormMain::*handler)()) {
        return [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); };
    };
    connect(cbtnNew, &QPushButton::clicked, this, guarded(&TFormMain::NewClick));
    connect(cbtnOpen, &QPushButton::clicked, this, guarded(&TFormMain::OpenClick));
    connect(cbtnSaveAs, &QPushButton::clicked, this, guarded(&TFormMain::SaveAsClick));
    connect(cbtnCompile, &QPushButton::clicked, this, guarded(&TFormMain::CompileClick));
    connect(cbtnOptions, &QPushButton::clicked, this, guarded(&TFormMain::OptionsClick));
    connect(cbtnExit, &QPushButton::clicked, this, guarded(&TFormMain::ExitClick));
    // Only a pick by the user rebuilds the subtype list; selecting from code
    // does not.
    connect(ccbFileType, &QComboBox::activated, this, guarded(&TFormMain::FileTypeClick));
    connect(tabMain, &QTabBar::currentChanged, this, [this](int index) {
        RunGuarded([this, index] {
            TabMainChange(index);
            TabMainClick();
        });
    });
    connect(noteMain, &QStackedWidget::currentChanged, this,
            [this](int page) { RunGuarded([this, page] { NoteMainPageChanged(page); }); });
}

// Every step runs even when an earlier one failed: the window must come up
// with its paths, its remembered focus, its idle hook and a new document.
void TFormMain::FormCreate(const QStringList& arguments) {
    const Status loaded = LoadSettings();
    if (!loaded)
        ShowErrorBox(MessageText(loaded.message()));
    ApplyPageFont();
    FixedInfoFocus = cmmComInc;
    StringInfoFocus = StringEdits[0];
    std::string problem;
    const AppFiles files =
        GivenFiles ? *GivenFiles : LocateAppFiles(PathBytes(ProgramDir), &problem);
    QString filesProblem = PathText(problem);
    LogPath = PathText(files.LogPath);
    BatchPath = PathText(files.BatchPath);
    TemplatePath = PathText(files.TemplatePath);
    // The batch script writes the log but does not make its folder.
    const QString logFolder = QFileInfo(LogPath).absolutePath();
    if (!QDir().mkpath(logFolder))
        filesProblem += (filesProblem.isEmpty() ? QString() : QStringLiteral("\n")) +
                        QStringLiteral("Can't create the folder %1").arg(logFolder);
    if (!filesProblem.isEmpty())
        ShowErrorBox(filesProblem);
    CreateRunner();
    if (auto* dispatcher = QAbstractEventDispatcher::instance(thread()))
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TFormMain::IdleCheck);
    Commands =
        std::make_unique<DocumentCommands>(*this, PathBytes(TemplatePath), NativePathStyle());
    Commands->SetSettings(CommandSettings());
    RunGuarded([this] { Commands->StartNew(); });
    // The first argument gives the folder (and, alone, the name) of the
    // script; a second one gives its name.
    std::vector<std::string> argumentBytes;
    for (const QString& argument : arguments)
        argumentBytes.push_back(PathBytes(argument));
    RunGuarded([this, &argumentBytes] { Commands->ReadCommandLine(argumentBytes); });
}

void TFormMain::setVisible(bool visible) {
    // The show hook runs before the window appears, so a dialog it opens
    // comes up alone; the window is centred afterwards.
    if (visible && !FirstShowDone) {
        FirstShowDone = true;
        RunGuarded([this] { FormShow(); });
        CentreOnScreen();
    }
    QWidget::setVisible(visible);
}

void TFormMain::FormShow() {
    // Still the default font: the user has not been through the options yet.
    if (TheAppSettings().FontName == QLatin1String("FixedSys"))
        OptionsClick();
}

void TFormMain::CentreOnScreen() {
    const QScreen* shownOn = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!shownOn)
        return;
    const QRect area = shownOn->geometry();
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
}

void TFormMain::ApplyPageFont() {
    const AppSettings& settings = TheAppSettings();
    QFont font = noteMain->font();
    if (!settings.FontName.isEmpty())
        font.setFamily(settings.FontName);
    if (settings.FontSize > 0)
        font.setPointSize(settings.FontSize);
    noteMain->setFont(font);
}

QString TFormMain::CurrentFile() const {
    return PathText(Commands->Document().File());
}

QString TFormMain::TargetFolder() const {
    return PathText(Commands->Document().TargetFolder());
}

QString TFormMain::TargetFileName() const {
    return PathText(Commands->Document().TargetName());
}

void TFormMain::SetFileName(const QString& name) {
    Commands->SetFileName(PathBytes(name));
}

DocumentSettings TFormMain::CommandSettings() const {
    const AppSettings& settings = TheAppSettings();
    return {NewDocumentDefaultsFrom(settings), settings.UseInitialRC,
            CompilerNeedsWinverInclude(settings)};
}

void TFormMain::NewClick() {
    Commands->New();
}

void TFormMain::OpenClick() {
    Commands->Open();
}

void TFormMain::ExitClick() {
    close();
}

void TFormMain::ShowListing(const Lines& listing) {
    QStringList lines;
    for (const std::string& line : listing)
        lines.append(DecodeBytes(line));
    // One update for the whole listing, not one per line.
    cmmImage->setUpdatesEnabled(false);
    cmmImage->setPlainText(lines.join(QLatin1Char('\n')));
    cmmImage->setUpdatesEnabled(true);
}

void TFormMain::ClearCompilerPage() {
    cmmResult->clear();
}

// A memo holds its lines each followed by a line break, as the file does;
// reading back, one final line break closes the last line rather than
// opening an empty one. So an empty line of its own survives the round trip.
void TFormMain::SetMemoLines(QPlainTextEdit* memo, const Lines& lines) {
    QString text;
    for (const std::string& line : lines) {
        text += DecodeBytes(line);
        text += QLatin1Char('\n');
    }
    memo->setPlainText(text);
}

QStringList TFormMain::MemoLines(QPlainTextEdit* memo) const {
    QStringList lines;
    for (QTextBlock block = memo->document()->begin(); block.isValid(); block = block.next())
        lines.append(block.text());
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void TFormMain::ApplyRecord(const VersionRecord& record) {
    SetMemoLines(cmmComInc, record.ComIncLines);
    cedHFileVersion->setText(DecodeBytes(record.HFileVersion));
    cedHProductVersion->setText(DecodeBytes(record.HProductVersion));
    cckFFDebug->setChecked(record.FFDebug);
    cckFFPreRelease->setChecked(record.FFPreRelease);
    cckFFPatched->setChecked(record.FFPatched);
    const int osRow = SelectExact(FileOSTable(), record.FileOS, NoRow);
    const int typeRow = SelectExact(FileTypeTable(), record.FileType, NoRow);
    KeptFileOS = osRow == NoRow ? record.FileOS : std::string();
    KeptFileType = typeRow == NoRow ? record.FileType : std::string();
    ccbFileOS->setCurrentIndex(osRow);
    ccbFileType->setCurrentIndex(typeRow);
    FillSubTypeList(ccbFileType->currentText());
    const int subTypeRow = SelectExact(SubTypeLists(record.FileType), record.FileSubType, NoRow);
    KeptFileSubType = subTypeRow == NoRow ? record.FileSubType : std::string();
    if (subTypeRow == NoRow && ccbFileSubType->isEditable())
        ccbFileSubType->setEditText(DecodeBytes(record.FileSubType));
    else
        ccbFileSubType->setCurrentIndex(subTypeRow);
    auto selectRow = [](QComboBox* list, int row) {
        list->setCurrentIndex(row >= 0 && row < list->count() ? row : NoRow);
    };
    selectRow(ccbLanguageID, record.LanguageID);
    selectRow(ccbCodePage, record.CodePage);
    for (int k = 0; k < StringKeyCount; ++k)
        StringEdits[k]->setText(DecodeBytes(record.StringValues[k]));
}

QStringList TFormMain::DocumentTexts() const {
    QStringList texts = MemoLines(cmmComInc);
    texts << cedHFileVersion->text() << cedHProductVersion->text() << ccbFileSubType->currentText();
    for (QLineEdit* edit : StringEdits)
        texts << edit->text();
    return texts;
}

// A character the document's encoding cannot hold is never written as
// something else: the document moves to UTF-8, or the save is refused.
bool TFormMain::FitEncodingToDocument() {
    const QString unencodable = UnencodableCharacters(DocumentTexts(), Encoding);
    if (unencodable.isEmpty())
        return true;
    if (MayMoveToUtf8(Encoding)) {
        Encoding = TextEncoding::Utf8;
        return true;
    }
    ShowErrorBox(QStringLiteral("%1 was not saved: the system's ANSI code page can't hold the "
                                "characters %2. Replace them and save again.")
                     .arg(CurrentFile(), unencodable));
    return false;
}

VersionRecord TFormMain::DocumentRecord() {
    const QStringList comIncLines = MemoLines(cmmComInc);
    auto bytes = [this](const QString& text) { return EncodeText(text, Encoding); };
    VersionRecord record;
    record.ComIncLines.clear();
    for (const QString& line : comIncLines)
        record.ComIncLines.push_back(bytes(line));
    record.HFileVersion = bytes(cedHFileVersion->text());
    record.HProductVersion = bytes(cedHProductVersion->text());
    record.FFDebug = cckFFDebug->isChecked();
    record.FFPreRelease = cckFFPreRelease->isChecked();
    record.FFPatched = cckFFPatched->isChecked();
    // A value no row names stays as the script wrote it until a row is picked.
    auto named = [](const TextList& table, const QComboBox* list, const std::string& kept) {
        return list->currentIndex() == NoRow ? kept : RowText(table, list->currentIndex());
    };
    record.FileOS = named(FileOSTable(), ccbFileOS, KeptFileOS);
    record.FileType = named(FileTypeTable(), ccbFileType, KeptFileType);
    record.FileSubType = ccbFileSubType->currentIndex() == NoRow && !ccbFileSubType->isEditable()
                             ? KeptFileSubType
                             : bytes(ccbFileSubType->currentText());
    record.LanguageID = ccbLanguageID->currentIndex();
    record.CodePage = ccbCodePage->currentIndex();
    for (int k = 0; k < StringKeyCount; ++k)
        record.StringValues[k] = bytes(StringEdits[k]->text());
    return record;
}

void TFormMain::FileTypeClick() {
    FillSubTypeList(ccbFileType->currentText());
}

// Only a VxD takes a typed subtype (a device identifier); every other type
// offers its fixed list. The previous subtype choice is always dropped.
void TFormMain::FillSubTypeList(const QString& fileType) {
    const bool typed = fileType == QLatin1String("VFT_VXD");
    ccbFileSubType->setEditable(typed);
    if (typed)
        ccbFileSubType->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
    ccbFileSubType->clear();
    for (const std::string& row : SubTypeLists(fileType.toStdString()))
        ccbFileSubType->addItem(TableText(row));
    ccbFileSubType->setCurrentIndex(0);
}

// Remembers where the focus was on the page being left. The tab strip never
// takes the focus, so the focused control is still the one on that page.
void TFormMain::TabMainChange(int newIndex) {
    if (ShownTab == 0)
        FixedInfoFocus = FocusedControlOnPage(0, cmmComInc);
    else if (ShownTab == 1)
        StringInfoFocus = FocusedControlOnPage(1, StringEdits[0]);
    ShownTab = newIndex;
}

void TFormMain::TabMainClick() {
    noteMain->setCurrentIndex(tabMain->currentIndex());
}

void TFormMain::NoteMainPageChanged(int page) {
    QWidget* target = nullptr;
    if (page == 0)
        target = FixedInfoFocus ? FixedInfoFocus.data() : cmmComInc;
    else if (page == 1)
        target = StringInfoFocus ? StringInfoFocus.data() : StringEdits[0];
    if (target)
        target->setFocus(Qt::OtherFocusReason);
}

// The control that holds the focus, when it sits on `page`: a combo box's
// inner line edit counts as the combo box, so the remembered control
// survives the list being rebuilt.
QWidget* TFormMain::FocusedControlOnPage(int page, QWidget* fallback) const {
    QWidget* pageWidget = noteMain->widget(page);
    QWidget* focused = focusWidget();
    if (!focused || !pageWidget->isAncestorOf(focused))
        return fallback;
    while (focused->parentWidget() != pageWidget && focused->parentWidget() != panFileFlags)
        focused = focused->parentWidget();
    return focused;
}

void TFormMain::ShowErrorBox(const QString& message) {
    Modals::ShowMessage(this, AppTitleText, message, MessageIcon::Critical);
}

void TFormMain::RunGuarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowErrorBox(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowErrorBox(QStringLiteral("An unknown error ended the command."));
    }
}

} // namespace qm
