//===- MainCompile.cpp - The Main window's Save & Compile and Options -----===//
//
// The window's side of a compile: it saves the document and hands the job
// to the runner (app/CompileRunner.h), then shows what the runner reports.
// Also the options dialog, made on first use, and the batch file's first
// line kept in step with its compiler folder.
//
//===----------------------------------------------------------------------===//

#include "app/Main.h"

#include "controls/FilePaths.h"

#include "app/CompileRunner.h"
#include "app/FileStamp.h"
#include "app/VersionReview.h"
#include "controls/ButtonPL.h"
#include "controls/DlgsPlus.h"
#include "controls/Modals.h"
#include "settings/AppSettings.h"
#include "settings/Options.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTabBar>
#include <QTextCursor>

namespace qm {

namespace {

constexpr int CompilerPage = 3;

} // namespace

void TFormMain::CreateRunner() {
    Runner = new CompileRunner(LogPath, BatchPath, Starter, this);
    connect(Runner, &CompileRunner::finished, this, [this](const QString& pageText) {
        cmmResult->setPlainText(pageText);
        // The verdict comes last: the page opens on it.
        cmmResult->moveCursor(QTextCursor::End);
        cmmResult->ensureCursorVisible();
        raise();
        activateWindow();
    });
    connect(Runner, &CompileRunner::failed, this, &TFormMain::ShowCompileBox);
}

bool TFormMain::CompilePending() const {
    return Runner && Runner->Pending();
}

void TFormMain::IdleCheck() {
    if (!CompilePending())
        return;
    if (noteMain->currentIndex() == CompilerPage)
        cmmResult->setFocus();
    Runner->CheckDone();
}

void TFormMain::ShowCompileBox(const QString& message) {
    Modals::ShowMessage(this, QStringLiteral("Compile"), message, MessageIcon::Critical);
}

void TFormMain::CompileClick() {
    if (const QString busy = Runner->Busy(); !busy.isEmpty()) {
        ShowCompileBox(busy);
        return;
    }
    // The button is disabled then; a call from code must not save a file
    // literally named "<New>".
    if (!Commands->Document().Named())
        return;
    if (!Commands->CheckVersions(true) || !Commands->WriteScript())
        return;
    cmmResult->clear();
    tabMain->setCurrentIndex(CompilerPage);
    Runner->Start({CurrentFile(), DocumentRecord(), cbtnCompile32->Down()}, TheAppSettings());
}

void TFormMain::UpdateBatchFile() {
    Lines batchLines;
    Status updated = qm::UpdateBatchFile(PathBytes(BatchPath),
                                         PathBytes(TheAppSettings().CompilerPath), batchLines);
    if (!updated)
        ShowErrorBox(MessageText(updated.message()));
}

TFormOpt* TFormMain::CreateFormOpt() {
    if (!FormOpt)
        FormOpt = new TFormOpt(this);
    return FormOpt;
}

void TFormMain::OptionsClick() {
    CreateFormOpt();
    FormOpt->SetSettings(TheAppSettings());
    if (ShowModalPlaced(FormOpt, this, 4) != QDialog::Accepted)
        return;
    TheAppSettings() = FormOpt->Settings();
    Commands->SetSettings(CommandSettings());
    // After OK, even when the store failed: the settings in force are then
    // the old ones, and applying them again changes nothing.
    ApplyPageFont();
    UpdateBatchFile();
}

} // namespace qm
