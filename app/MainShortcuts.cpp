//===- MainShortcuts.cpp - The Main window's keys -------------------------===//
//
// Page stepping and the usual document keys, bound to the window so they
// work from any control, and the About box behind F1.
//
//===----------------------------------------------------------------------===//

#include "app/Main.h"

#include "controls/Modals.h"

#include <QKeySequence>
#include <QShortcut>
#include <QTabBar>

#ifndef QM_VERSION_TEXT
#define QM_VERSION_TEXT "1.0.0"
#endif

namespace qm {

void TFormMain::BuildShortcuts() {
    const auto bind = [this](const QKeySequence& keys, void (TFormMain::*handler)()) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this,
                [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); });
    };
    bind(QKeySequence(Qt::CTRL | Qt::Key_Tab), &TFormMain::NextPage);
    bind(QKeySequence(Qt::CTRL | Qt::Key_PageDown), &TFormMain::NextPage);
    bind(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), &TFormMain::PreviousPage);
    bind(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), &TFormMain::PreviousPage);
    bind(QKeySequence(Qt::CTRL | Qt::Key_PageUp), &TFormMain::PreviousPage);
    bind(QKeySequence(Qt::CTRL | Qt::Key_N), &TFormMain::NewClick);
    bind(QKeySequence(Qt::CTRL | Qt::Key_O), &TFormMain::OpenClick);
    bind(QKeySequence(Qt::CTRL | Qt::Key_S), &TFormMain::SaveClick);
    bind(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), &TFormMain::SaveAsClick);
    bind(QKeySequence(Qt::Key_F1), &TFormMain::AboutClick);
}

void TFormMain::NextPage() {
    tabMain->setCurrentIndex((tabMain->currentIndex() + 1) % tabMain->count());
}

void TFormMain::PreviousPage() {
    tabMain->setCurrentIndex((tabMain->currentIndex() + tabMain->count() - 1) % tabMain->count());
}

void TFormMain::SaveClick() {
    Commands->Save();
}

void TFormMain::AboutClick() {
    Modals::ShowMessage(
        this, QStringLiteral("About Quillmark"),
        QStringLiteral("Quillmark %1\n\n"
                       "Edits the version information of a Windows program and saves it as a "
                       "VERSIONINFO resource script.\n\n"
                       "The README is in /usr/share/doc/quillmark/ for an installed copy, and "
                       "beside the program's sources otherwise. MIT licence.")
            .arg(QStringLiteral(QM_VERSION_TEXT)),
        MessageIcon::Information);
}

} // namespace qm
