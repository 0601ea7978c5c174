//===- MainView.cpp - The Qt window as the view of its document commands --===//
//
// desk's DocumentCommands run New, Open, Save and Save As; the window shows
// what they ask for in its own toolkit: the caption, the boxes, the file
// dialogs and the busy cursor, and turns the script's bytes into the
// controls' text by the document's encoding. A script read from a file is
// saved where its fields stand; where that edit is refused, the box says
// why, lists what Quillmark's layout would lose and whether the result would
// compile, and No is the default.
//
//===----------------------------------------------------------------------===//

#include "app/Main.h"

#include "controls/ButtonPL.h"
#include "controls/DlgsPlus.h"
#include "controls/FilePaths.h"
#include "controls/Modals.h"

#include <QApplication>
#include <QPushButton>

namespace qm {

namespace {

QString Latin1Text(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void TFormMain::SaveAsClick() {
    Commands->SaveAs();
}

void TFormMain::ShowCaption(const std::string& caption, bool named) {
    const QString text = PathText(caption);
    if (windowTitle() != text)
        setWindowTitle(text);
    if (cbtnCompile->isEnabled() == named && cbtnCompile32->isEnabled() == named)
        return;
    cbtnCompile->setEnabled(named);
    cbtnCompile32->setEnabled(named);
    cbtnCompile->repaint();
    cbtnCompile32->repaint();
}

void TFormMain::ShowBox(const std::string& caption, const std::string& text, BoxKind kind) {
    Modals::ShowMessage(this, Latin1Text(caption), MessageText(text),
                        kind == BoxKind::Error ? MessageIcon::Critical : MessageIcon::Information);
}

bool TFormMain::AskToGoOn(const std::string& caption, const std::string& text) {
    return Modals::AskToGoOn(this, Latin1Text(caption), MessageText(text));
}

SaveChoice TFormMain::AskToSaveChanges(const std::string& text) {
    return Modals::AskToSaveChanges(this, Latin1Text(std::string(AppTitle)), MessageText(text));
}

std::string TFormMain::Shown(const std::string& bytes) {
    return DecodeBytes(bytes).toLocal8Bit().toStdString();
}

std::optional<OpenChoice> TFormMain::ChooseFileToOpen() {
    OpenDialog()->SetFileName(QStringLiteral("*.rc"));
    OpenDialog()->SetReadOnlyChecked(false);
    if (!OpenDialog()->Execute())
        return std::nullopt;
    return OpenChoice{PathBytes(OpenDialog()->FileName()), OpenDialog()->ReadOnlyChecked()};
}

std::optional<std::string> TFormMain::ChooseFileToSave(const std::string& folder,
                                                       const std::string& name) {
    SaveDialog()->SetInitialDir(PathText(folder));
    SaveDialog()->SetFileName(PathText(name));
    if (!SaveDialog()->Execute())
        return std::nullopt;
    return PathBytes(SaveDialog()->FileName());
}

void TFormMain::TakeTextOrigin(TextOrigin origin, const std::string* bytes) {
    switch (origin) {
    case TextOrigin::NewDocument:
        Encoding = EncodingForNewDocument();
        return;
    case TextOrigin::Script:
        Encoding = EncodingForFile(*bytes);
        break;
    case TextOrigin::Utf16Script:
        // A UTF-16 script is read as its UTF-8 text.
        Encoding = TextEncoding::Utf8;
        break;
    case TextOrigin::Compiled:
        // Compiled strings are Unicode, imported as UTF-8.
        Encoding = TextEncoding::Utf8;
        return;
    }
    SourceEncoding = Encoding;
}

bool TFormMain::PrepareToWrite(std::string& refusedInPlace) {
    if (!FitEncodingToDocument())
        return false;
    // A Latin-1 script whose form no longer fits moved to UTF-8: its own
    // bytes can't take the new characters.
    if (Encoding != SourceEncoding && Commands->Source())
        refusedInPlace =
            QStringLiteral("%1 can't be saved in place: it is written in Latin-1, which can't "
                           "hold the characters %2.")
                .arg(PathText(Commands->Source()->Path),
                     UnencodableCharacters(DocumentTexts(), SourceEncoding))
                .toLocal8Bit()
                .toStdString();
    return true;
}

void TFormMain::ShowBusy(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

} // namespace qm
