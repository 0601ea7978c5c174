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

#include <memory>

namespace qm {

/// The program's id: the name of its desktop entry, icon and metainfo.
inline const QString AppId = QStringLiteral("org.harrowgate.Quillmark");

class TApplication : public QApplication {
    Q_OBJECT

public:
    /// Sets the application name "Quillmark" and the program's icon.
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    /// Delivers the event; an exception escaping the receiver is shown in
    /// the error box and the event counts as not handled.
    bool notify(QObject* receiver, QEvent* event) override;

    /// The error box: caption "Quillmark", the error icon, the message.
    void ShowError(const QString& message);
};

} // namespace qm
