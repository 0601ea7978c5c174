//===- Application.h - The application and its error box ----------*- C++ -*-===//
//
// An error that no command handles ends that command, not the program: it is
// shown in one error box that names the problem, and the event loop goes on.
// The window's own handlers already run guarded (TFormMain::RunGuarded);
// TApplication catches what escapes anywhere else.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <QApplication>

namespace qm {

class TApplication : public QApplication {
    Q_OBJECT

public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

/// The application-wide error box: caption "Quillmark", the error icon, the
/// message as plain text, over the active window.
void ShowApplicationError(const QString& message);

} // namespace qm
