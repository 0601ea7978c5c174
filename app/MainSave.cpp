//===- MainSave.cpp - Saving the document, in place or in Quillmark's layout -===//
//
// A script that Quillmark's layout holds whole, as the window's own, is
// written in that layout, byte for byte as it always was. A script that
// holds more (other resources, conditionals, comments in the block, more
// tables, a UTF-16 encoding, ...) is changed where its fields stand, by the
// editor quillmark-rc set uses: only what the form changed is written and
// every other byte stays. Where that edit is refused, the box says why,
// lists what the layout would lose and whether the result would compile,
// and No is the default.
//
//===----------------------------------------------------------------------===//

#include "app/Main.h"

#include "app/VersionReview.h"
#include "app/WindowSupport.h"
#include "controls/DlgsPlus.h"
#include "controls/Modals.h"
#include "platform/Files.h"
#include "settings/AppSettings.h"
#include "versioninfo/script/ScriptEdit.h"
#include "versioninfo/script/ScriptReader.h"
#include "versioninfo/script/ScriptWriter.h"
#include "versioninfo/support/PathParts.h"
#include "versioninfo/support/SafeSave.h"
#include "versioninfo/support/Unicode.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>

namespace qm {

namespace {

/// The lines File Image lists for a script's bytes (UTF-16 as its text).
Lines ListingOf(const std::string& bytes) {
    const std::optional<std::string> utf8 = Utf8OfUtf16Script(bytes);
    return SplitLines(utf8 ? *utf8 : bytes);
}

} // namespace

void TFormMain::SaveAsClick() {
    SaveAs();
}

bool TFormMain::SaveAs() {
    if (!CheckVersions(false))
        return false;
    const QString folder = PathFolder(CurrentFile());
    SaveDialog()->SetInitialDir(folder.isEmpty() ? TargetFolder() : folder);
    if (Doc.Named())
        SaveDialog()->SetFileName(CurrentFile());
    else if (!Doc.TargetName().empty())
        SaveDialog()->SetFileName(TargetFileName());
    else
        SaveDialog()->SetFileName(QStringLiteral("*.rc"));
    if (!SaveDialog()->Execute())
        return false;
    SetFileName(SaveDialog()->FileName());
    return WriteScript();
}

bool TFormMain::SaveDocument() {
    if (!Doc.Named())
        return SaveAs();
    return CheckVersions(false) && WriteScript();
}

bool TFormMain::CheckVersions(bool compiling) {
    const std::optional<VersionRecord> written = ConfirmVersionFindings(
        this, DocumentRecord(), Encoding,
        compiling ? VersionFindings::RefusedOrOdds : VersionFindings::Refused,
        compiling ? QStringLiteral("Save and compile anyway?") : QStringLiteral("Save anyway?"));
    if (!written)
        return false;
    const QString fileVersion = DecodeBytes(written->HFileVersion);
    const QString productVersion = DecodeBytes(written->HProductVersion);
    if (cedHFileVersion->text() != fileVersion)
        cedHFileVersion->setText(fileVersion);
    if (cedHProductVersion->text() != productVersion)
        cedHProductVersion->setText(productVersion);
    return true;
}

bool TFormMain::WriteScript() {
    if (!FitEncodingToDocument())
        return false;
    const VersionRecord record = DocumentRecord();
    const std::optional<EditedScript> edited = BytesToSave(record);
    if (!edited)
        return false;
    const std::string& bytes = edited->Text;
    // The File Image shows what was meant to be written, also after a
    // failed save.
    ImageLines = ListingOf(bytes);
    const std::string path = Doc.File();
    Status written = Status::Ok();
    {
        BusyCursor busy;
        written = SaveOverSource(path, Source ? &Source->Script : nullptr, *edited);
    }
    if (!written) {
        ShowErrorBox(MessageText(written.message()));
        return false;
    }
    // The file just written is the one the next save changes.
    const ReadResult read = ReadScriptText(bytes, NewDocumentDefaultsFrom(TheAppSettings()), true,
                                           PreprocessForScript(path));
    Source = DocumentSource{SourceOfScript(path, bytes, record, read), Encoding};
    Doc.MarkSaved(record);
    UpdateCaption();
    ShowFileImage();
    return true;
}

std::string TFormMain::EncodingRefusal() const {
    if (!Source || Source->Script.OwnLayout || Encoding == Source->Encoding)
        return {};
    return QStringLiteral("%1 can't be saved in place: it is written in Latin-1, which can't "
                          "hold the characters %2.")
        .arg(PathText(Source->Script.Path),
             UnencodableCharacters(DocumentTexts(), Source->Encoding))
        .toLocal8Bit()
        .toStdString();
}

std::optional<EditedScript> TFormMain::BytesToSave(const VersionRecord& record) {
    SavePlan plan = PlanSave(Doc.File(), Source ? &Source->Script : nullptr, record,
                             NewDocumentDefaultsFrom(TheAppSettings()), EncodingRefusal());
    if (!plan.Error) {
        ShowErrorBox(MessageText(plan.Error.message()));
        return std::nullopt;
    }
    if (plan.Ready)
        return std::move(plan.Ready);
    if (!ConfirmLayout(plan))
        return std::nullopt;
    return EditedScript{plan.Layout, {}, {}};
}

bool TFormMain::ConfirmLayout(const SavePlan& plan) {
    const auto shown = [this](const std::string& bytes) {
        return DecodeBytes(bytes).toLocal8Bit().toStdString();
    };
    return Modals::AskToGoOn(this, QStringLiteral("Save"),
                             MessageText(LayoutQuestion(plan, Doc.File(), shown)));
}

} // namespace qm
