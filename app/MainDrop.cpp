//===- MainDrop.cpp - Files dropped on the Main window --------------------===//
//
// A script dropped on the window opens as Open... would open it; a .res file
// or an executable gives a new document holding its version resource, which
// proposes the dropped file's name with ".rc" as its own. Either way the
// document in hand is set aside first, with the question about unsaved
// edits.
//
//===----------------------------------------------------------------------===//

#include "app/Main.h"

#include "controls/FilePaths.h"

#include "controls/Modals.h"
#include "settings/AppSettings.h"
#include "settings/CompilerProbe.h"
#include "versioninfo/binary/CompiledRecord.h"
#include "versioninfo/binary/CompiledVersion.h"
#include "versioninfo/support/SafeSave.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QUrl>

namespace qm {

namespace {

/// The one local file a drag carries, or "".
QString DraggedFile(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1 ||
        !data->urls().front().isLocalFile())
        return QString();
    return data->urls().front().toLocalFile();
}

} // namespace

void TFormMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!DraggedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TFormMain::dropEvent(QDropEvent* event) {
    const QString file = DraggedFile(event->mimeData());
    if (file.isEmpty())
        return;
    event->acceptProposedAction();
    RunGuarded([this, &file] {
        if (!Commands->MaySetAside())
            return;
        const std::string path = PathBytes(file);
        // An executable is read in pages, so its size does not matter.
        if (auto executable = ReadExecutableFile(path)) {
            ImportCompiled(file, PreferredVersionOf(std::move(*executable)));
            return;
        }
        const LoadedFile bytes = LoadFile(path);
        if (bytes && LooksCompiled(*bytes))
            ImportCompiled(file, ReadCompiledVersion(*bytes));
        else
            Commands->ReadNamedFile(path);
    });
}

void TFormMain::ImportCompiled(const QString& file, const Expected<CompiledResource>& compiled) {
    if (!compiled) {
        Modals::ShowMessage(
            this, QStringLiteral("Open"),
            QStringLiteral("Can't import %1: %2").arg(file, MessageText(compiled.message())),
            MessageIcon::Information);
        return;
    }
    ImportedRecord imported =
        RecordFromCompiled(compiled->Info, NewDocumentDefaultsFrom(TheAppSettings()));
    // A compiled resource carries no include lines; the template's are taken
    // where the compiler needs winver.h, as for New.
    if (imported.Record.ComIncLines.empty() && CompilerNeedsWinverInclude(TheAppSettings())) {
        if (Expected<Lines> lines = TemplateComIncLines(PathBytes(TemplatePath)))
            imported.Record.ComIncLines = *lines;
    }
    const QFileInfo info(file);
    Commands->Import(imported.Record, PathBytes(info.absolutePath() + QLatin1Char('/')),
                     PathBytes(info.completeBaseName() + QStringLiteral(".rc")));
    for (const std::string& note : imported.Notes)
        Modals::ShowMessage(this, QStringLiteral("Import"), MessageText(note),
                            MessageIcon::Information);
}

} // namespace qm
