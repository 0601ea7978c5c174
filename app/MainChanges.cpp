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
    const auto changed = [this] {
        if (Commands)
            Commands->FormChanged();
    };
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

void TFormMain::closeEvent(QCloseEvent* event) {
    bool close = false;
    RunGuarded([&] { close = Commands->MaySetAside(); });
    if (close)
        event->accept();
    else
        event->ignore();
}

} // namespace qm
