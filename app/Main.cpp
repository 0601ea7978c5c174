//===- Main.cpp - The main window's state and document commands -----------===//

#include "app/Main.h"

#include "app/FileStamp.h"
#include "app/CompileRunner.h"
#include "app/VersionReview.h"
#include "app/WindowSupport.h"
#include "controls/ButtonPL.h"
#include "controls/DlgsPlus.h"
#include "controls/Modals.h"
#include "settings/AppSettings.h"
#include "settings/CompilerProbe.h"
#include "settings/Options.h"
#include "versioninfo/document/Lookups.h"
#include "versioninfo/script/LossCheck.h"
#include "versioninfo/script/ScriptReader.h"
#include "versioninfo/script/ScriptWriter.h"
#include "versioninfo/support/PathParts.h"
#include "versioninfo/support/SafeSave.h"

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
    MarkUnmodified(); // the designed controls: nothing to ask about yet
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
    ImageLines.clear();
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
    RunGuarded([this] { NewClick(); });
    RunGuarded([this, &arguments] { ReadCommandLine(arguments); });
}

// The first argument gives the folder (and, alone, the name) of the script;
// a second one gives its name. The name takes the extension ".rc", unless
// the first argument alone names an existing file (App.RC, as Windows
// projects often spell it). The folder is made absolute at once: a relative
// one must go on naming the same folder, whatever the current one becomes.
void TFormMain::ReadCommandLine(const QStringList& arguments) {
    if (arguments.isEmpty() || arguments.first().isEmpty())
        return;
    const QString first = QFileInfo(arguments.first()).absoluteFilePath();
    if (arguments.size() == 1 && QFileInfo(first).isFile()) {
        SetTarget(PathFolder(first), PathName(first));
        ReadNamedFile(first);
        return;
    }
    const QString nameSource =
        arguments.size() > 1 && !arguments.at(1).isEmpty() ? arguments.at(1) : first;
    SetTarget(PathFolder(first), PathWithRcExtension(PathName(nameSource)));
    const QString entry = TargetFolder() + TargetFileName();
    if (QFileInfo::exists(entry))
        ReadNamedFile(entry);
    else
        SetFileName(CurrentFile());
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
    return PathText(Doc.File());
}

QString TFormMain::TargetFolder() const {
    return PathText(Doc.TargetFolder());
}

QString TFormMain::TargetFileName() const {
    return PathText(Doc.TargetName());
}

void TFormMain::SetTarget(const QString& folder, const QString& name) {
    Doc.SetTarget(PathBytes(folder), PathBytes(name));
}

void TFormMain::SetFileName(const QString& name) {
    Doc.SetFile(PathBytes(name));
    UpdateCaption();
    const bool named = Doc.Named();
    cbtnCompile->setEnabled(named);
    cbtnCompile32->setEnabled(named);
    cbtnCompile->repaint();
    cbtnCompile32->repaint();
}

void TFormMain::ClearDocument() {
    Source.reset();
    ApplyRecord(NewDocument(NewDocumentDefaultsFrom(TheAppSettings())));
    Encoding = EncodingForNewDocument();
    cmmImage->clear();
    cmmResult->clear();
}

void TFormMain::NewClick() {
    if (!MaySetDocumentAside())
        return;
    ClearDocument();
    Status stopped = Status::Ok();
    if (TheAppSettings().UseInitialRC && QFileInfo(TemplatePath).isFile()) {
        // Never left naming the template, even when the read throws: Save &
        // Compile would then write the new document over it.
        const OnExit unname([this] { SetFileName(NewDocumentName); });
        SetFileName(TemplatePath);
        stopped = ReadScript(TemplatePath).Stop;
    } else if (CompilerNeedsWinverInclude(TheAppSettings()) && QFileInfo(TemplatePath).isFile()) {
        // llvm-rc and windres know no VS_, VOS_ or VFT_ name without
        // winver.h: a new document takes the template's include lines, so
        // that its first compile works.
        Expected<Lines> lines = TemplateComIncLines(PathBytes(TemplatePath));
        if (lines)
            SetMemoLines(cmmComInc, *lines);
        else
            stopped = Status::Fail(lines.message());
    }
    // The template only lends its values: never its listing, target, name
    // or text.
    Source.reset();
    cmmImage->clear();
    Doc.SetTarget({}, {});
    SetFileName(NewDocumentName);
    MarkUnmodified();
    if (!stopped)
        ShowErrorBox(MessageText(stopped.message()));
}

void TFormMain::OpenClick() {
    if (!MaySetDocumentAside())
        return;
    OpenDialog()->SetFileName(QStringLiteral("*.rc"));
    OpenDialog()->SetReadOnlyChecked(false);
    if (!OpenDialog()->Execute())
        return;
    const QString chosen = OpenDialog()->FileName();
    if (!OpenDialog()->ReadOnlyChecked()) {
        ReadNamedFile(chosen);
        return;
    }
    // Read-only: the file becomes the template of a new document that
    // proposes the file itself as its target. A file that can't be loaded
    // leaves the window as it was, its name and target included.
    const std::string previousFile = Doc.File();
    const std::string previousFolder = Doc.TargetFolder();
    const std::string previousName = Doc.TargetName();
    ScriptReadResult read;
    {
        const OnExit settle([&] {
            if (read.Opened)
                return;
            Doc.SetTarget(previousFolder, previousName);
            SetFileName(PathText(previousFile));
        });
        SetTarget(PathFolder(chosen), PathName(chosen));
        SetFileName(NewDocumentName);
        read = ReadScript(chosen);
    }
    if (!read.Stop)
        ShowErrorBox(MessageText(read.Stop.message()));
}

// A file that cannot be loaded leaves the window exactly as it was, name
// included: otherwise Save & Compile would write the previous document's
// values over the file that failed to load. That holds for an exception
// (say, memory running out) as much as for a reported failure.
void TFormMain::ReadNamedFile(const QString& path) {
    const QString previous = CurrentFile();
    ScriptReadResult read;
    {
        const OnExit restore([this, &read, &previous] {
            if (!read.Opened)
                SetFileName(previous);
        });
        SetFileName(path);
        read = ReadScript(path);
    }
    if (!read.Stop)
        ShowErrorBox(MessageText(read.Stop.message()));
}

void TFormMain::ExitClick() {
    close();
}

ScriptReadResult TFormMain::ReadScript(const QString& path) {
    ScriptReadResult result;
    // The file is loaded and read whole before anything in the window
    // changes, so a failure on the way leaves the document as it was.
    ReadResult read;
    TextEncoding encoding = Encoding;
    std::string loaded;
    {
        BusyCursor busy;
        LoadedFile bytes = LoadFile(PathBytes(path));
        if (!bytes) {
            // A file turned away for its kind or size says why; for any
            // other failure the name is enough.
            const QString text =
                bytes.Refused ? MessageText(bytes.message()) : QStringLiteral("Can't open ") + path;
            Modals::ShowMessage(this, QStringLiteral("Open"), text, MessageIcon::Information);
            return result;
        }
        read = ReadScriptText(*bytes, NewDocumentDefaultsFrom(TheAppSettings()), true,
                              PreprocessFor(path));
        if (read.Refused) {
            Modals::ShowMessage(this, QStringLiteral("Open"),
                                QStringLiteral("Can't open ") + path + ": " +
                                    MessageText(read.ConversionError->substr(10)),
                                MessageIcon::Information);
            return result;
        }
        // A UTF-16 script is read as its UTF-8 text.
        encoding = read.Utf16 ? TextEncoding::Utf8 : EncodingForFile(*bytes);
        loaded = std::move(*bytes);
    }
    result.Opened = true;

    std::vector<std::string> losses = LossesOfLayout(loaded, read);
    ClearDocument();
    Encoding = encoding;
    ImageLines = std::move(read.ImageLines);
    ApplyRecord(read.Record);
    MarkUnmodified();
    Source = DocumentSource{
        ScriptSource{PathBytes(path), std::move(loaded), Doc.Saved(), std::move(losses), false},
        Encoding};
    if (read.ConversionError) {
        result.Stop = Status::Fail(*read.ConversionError);
        return result;
    }
    for (const std::string& report : read.Reports)
        Modals::ShowMessage(this, QStringLiteral("Parsing"), MessageText(report),
                            MessageIcon::Information);
    ShowFileImage();
    return result;
}

void TFormMain::ShowFileImage() {
    // The page is a listing to read, not to edit: a line of megabytes would
    // only cost seconds of layout and a great deal of memory, so it is cut.
    constexpr std::size_t ShownLineBytes = 4096;
    QStringList listing;
    for (const std::string& line : NumberedListing(ImageLines)) {
        if (line.size() <= ShownLineBytes) {
            listing.append(DecodeBytes(line));
            continue;
        }
        listing.append(
            DecodeBytes(std::string_view(line).substr(0, ShownLineBytes)) +
            QStringLiteral(" ... (%1 more bytes not shown)").arg(line.size() - ShownLineBytes));
    }
    // One update for the whole listing, not one per line.
    cmmImage->setUpdatesEnabled(false);
    cmmImage->setPlainText(listing.join(QLatin1Char('\n')));
    cmmImage->setUpdatesEnabled(true);
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
