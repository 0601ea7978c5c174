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
#include "platform/EditLock.h"
#include "platform/Files.h"
#include "settings/AppSettings.h"
#include "versioninfo/script/LossCheck.h"
#include "versioninfo/script/ScriptEdit.h"
#include "versioninfo/script/ScriptModel.h"
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
    const std::string* bytes = &edited->Text;
    // The File Image shows what was meant to be written, also after a
    // failed save.
    ImageLines = ListingOf(*bytes);
    Status written = Status::Ok();
    {
        BusyCursor busy;
        written = SaveHeld(*edited);
    }
    if (!written) {
        ShowErrorBox(MessageText(written.message()));
        return false;
    }
    // The file just written is the one the next save changes.
    Source = SourceOf(CurrentFile(), *bytes, record,
                      ReadScriptText(*bytes, NewDocumentDefaultsFrom(TheAppSettings()), true,
                                     PreprocessFor(CurrentFile())));
    Doc.MarkSaved(record);
    UpdateCaption();
    ShowFileImage();
    return true;
}

DocumentSource TFormMain::SourceOf(const QString& path, std::string bytes,
                                   const VersionRecord& record, const ReadResult& read) const {
    DocumentSource source{path, std::move(bytes), record, Encoding, {}, false};
    source.Losses = WhatWritingBackLoses(source.Bytes, read);
    if (read.Utf16)
        source.Losses.insert(source.Losses.begin(),
                             "its UTF-16 encoding: the script is saved as UTF-8");
    const Expected<Lines> layout = FormScript(record);
    source.OwnLayout = !read.Utf16 && layout && JoinCrLf(*layout) == source.Bytes;
    return source;
}

std::optional<EditedScript> TFormMain::BytesToSave(const VersionRecord& record) {
    Expected<Lines> lines = FormScript(record);
    const std::string layout = lines ? JoinCrLf(*lines) : std::string();
    if (Source && !Source->OwnLayout) {
        QString why;
        if (std::optional<EditedScript> edited = EditedSource(record, why))
            return edited;
        if (!lines) {
            ShowErrorBox(why + QStringLiteral("\n") + MessageText(lines.message()));
            return std::nullopt;
        }
        if (!ConfirmLayout(why, Source->Losses, layout))
            return std::nullopt;
        return EditedScript{layout, {}, {}};
    }
    if (!lines) {
        ShowErrorBox(MessageText(lines.message()));
        return std::nullopt;
    }
    if (!Source && !ConfirmReplacingFile(layout))
        return std::nullopt;
    return EditedScript{layout, {}, {}};
}

std::optional<EditedScript> TFormMain::EditedSource(const VersionRecord& record, QString& why) {
    const QString name = Source->Path;
    if (Encoding != Source->Encoding) {
        why = QStringLiteral("%1 can't be saved in place: it is written in Latin-1, which can't "
                             "hold the characters %2.")
                  .arg(name, UnencodableCharacters(DocumentTexts(), Source->Encoding));
        return std::nullopt;
    }
    ScriptEdits edits = EditsBetween(Source->Record, record);
    edits.ForceOption.clear();
    Expected<EditedScript> edited =
        EditScriptBytes(Source->Bytes, edits, PreprocessFor(Source->Path));
    if (!edited) {
        why = QStringLiteral("%1 can't be saved in place: %2")
                  .arg(name, MessageText(edited.message()));
        return std::nullopt;
    }
    return *edited;
}

bool TFormMain::ConfirmLayout(const QString& why, const std::vector<std::string>& losses,
                              const std::string& written) {
    constexpr std::size_t Shown = 12;
    QStringList text;
    if (!why.isEmpty())
        text << why << QString();
    if (losses.empty())
        text << QStringLiteral("Saving in Quillmark's layout rewrites the whole of ") +
                    CurrentFile() + QStringLiteral(" in the form's order and spelling.");
    else
        text << QStringLiteral("Saving writes only what the form shows. ") + CurrentFile() +
                    QStringLiteral(" holds more, which would be lost:")
             << QString();
    for (std::size_t i = 0; i < losses.size() && i < Shown; ++i)
        text << QStringLiteral("  ") + DecodeBytes(losses[i]);
    if (losses.size() > Shown)
        text << QStringLiteral("  ... and %1 more").arg(losses.size() - Shown);
    // The layout keeps the comment and include lines, which may open an #if
    // whose #endif stood after the block.
    if (Expected<VersionScript> model = ParseVersionScript(written); !model)
        text << QString()
             << QStringLiteral("The saved script would not compile: ") +
                    MessageText(model.message());
    text << QString() << QStringLiteral("Replace it all the same?");
    return Modals::AskToGoOn(this, QStringLiteral("Save"), text.join('\n'));
}

bool TFormMain::ConfirmReplacingFile(const std::string& written) {
    const LoadedFile bytes = LoadFile(Doc.File());
    if (!bytes)
        return true; // no file yet, or one the write itself will report
    const ReadResult read = ReadScriptText(*bytes, NewDocumentDefaultsFrom(TheAppSettings()), true,
                                           PreprocessFor(CurrentFile()));
    std::vector<std::string> losses = WhatWritingBackLoses(*bytes, read);
    if (read.Utf16)
        losses.insert(losses.begin(), "its UTF-16 encoding: the script is saved as UTF-8");
    return losses.empty() || ConfirmLayout(QString(), losses, written);
}

Status TFormMain::SaveHeld(const EditedScript& edited) {
    const std::string path = Doc.File();
    const Expected<platform::EditLock> lock = platform::LockForEdit(path);
    if (!lock)
        return Status::Io("Can't wait for the other edit of " + path + ": " + lock.message());
    // A change another program made since the read would be lost.
    if (Source && platform::SameFile(path, PathBytes(Source->Path)))
        if (const LoadedFile now = LoadFile(path); now && *now != Source->Bytes)
            return Status::Fail(path +
                                " was changed by another program after it was opened, so it "
                                "was not saved: saving would lose that change. Open it again, "
                                "or save the form under another name.");
    // Headers the edit reaches (where a version is #defined) are written
    // with it, or none of them.
    return SaveEditedScript(path, edited);
}

} // namespace qm
