//===- ScriptedModals.h - Answers for every modal, and what was asked -*- C++ -*-===//
//
// Installed for a test's duration: file dialogs take the queued answers (a
// cancel once the queue is empty) and every run and box is recorded.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "controls/Modals.h"

#include <QList>
#include <QStringList>

#include <memory>

namespace qm::test {

class ScriptedModals final : public ModalAnswers {
public:
    void ShowMessage(QWidget*, const QString&, const QString& text, MessageIcon) override {
        Messages << text;
    }
    bool AskToGoOn(QWidget*, const QString&, const QString& text) override {
        Messages << text;
        return Replies.isEmpty() || Replies.takeFirst();
    }
    DialogAnswer RunFileDialog(const FileDialogRun& run) override {
        Runs << run;
        return Answers.isEmpty() ? DialogAnswer::Cancel() : Answers.takeFirst();
    }

    QList<DialogAnswer> Answers;
    QList<bool> Replies; ///< to AskToGoOn; Yes once empty
    QList<FileDialogRun> Runs;
    QStringList Messages;
};

/// Installs fresh ScriptedModals for as long as it lives.
class ScriptedModalsInstalled {
public:
    ScriptedModalsInstalled() { Modals::SetAnswers(Modals_); }
    ~ScriptedModalsInstalled() { Modals::SetAnswers(nullptr); }
    ScriptedModals* operator->() const { return Modals_.get(); }

private:
    std::shared_ptr<ScriptedModals> Modals_ = std::make_shared<ScriptedModals>();
};

} // namespace qm::test
