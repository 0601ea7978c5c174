//===- MainChanges.cpp - Edits not yet saved -------------------------------===//
//
// The document counts as changed while the form differs from what was last
// loaded, started or saved. The caption then ends in " *", and New, Open, a
// drop, Exit and closing the window ask "Save changes to X?" first. A
// document that has not changed goes as it always did, without a word.
//
//===----------------------------------------------------------------------===//

#include "app/Main.h"

#include "controls/FilePaths.h"
#include "controls/Modals.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace qm {

void TFormMain::ConnectChangeSignals() {
    const auto changed = [this] { UpdateCaption(); };
    connect(cmmComInc, &QPlainTextEdit::textChanged, this, changed);
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        if (edit->parentWidget() && !edit->parentWidget()->inherits("QFileDialog"))
            connect(edit, &QLineEdit::textChanged, this, changed);
    }
    for (QCheckBox* box : {cckFFDebug, cckFFPreRelease, cckFFPatched})
        connect(box, &QCheckBox::toggled, this, changed);
    for (QComboBox* list : {ccbFileOS, ccbFileType, ccbFileSubType, ccbLanguageID, ccbCodePage})
        connect(list, &QComboBox::currentIndexChanged, this, changed);
}

void TFormMain::MarkUnmodified() {
    Doc.MarkSaved(DocumentRecord());
    UpdateCaption();
}

bool TFormMain::DocumentModified() {
    return Doc.Modified(DocumentRecord());
}

void TFormMain::UpdateCaption() {
    const QString caption = PathText(Doc.Caption(DocumentModified()));
    if (windowTitle() != caption)
        setWindowTitle(caption);
}

bool TFormMain::MaySetDocumentAside() {
    if (!DocumentModified())
        return true;
    const QString name = PathText(Doc.NameToAskAbout(NativePathStyle()));
    switch (Modals::AskToSaveChanges(this, QStringLiteral("Quillmark"),
                                     QStringLiteral("Save changes to %1?").arg(name))) {
    case SaveChoice::Save:
        return SaveDocument();
    case SaveChoice::Discard:
        return true;
    case SaveChoice::Cancel:
        return false;
    }
    return false;
}

void TFormMain::closeEvent(QCloseEvent* event) {
    bool close = false;
    RunGuarded([&] { close = MaySetDocumentAside(); });
    if (close)
        event->accept();
    else
        event->ignore();
}

} // namespace qm
