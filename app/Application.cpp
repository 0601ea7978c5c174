//===- Application.cpp - The application and its error box ----------------===//

#include "app/Application.h"

#include "controls/Modals.h"

#include <QIcon>

#include <exception>

namespace qm {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Quillmark"));
    // The desktop entry and the icon share the program's id; the icon theme
    // may hold a newer icon than the one built in.
    setDesktopFileName(AppId);
    setWindowIcon(QIcon::fromTheme(
        AppId, QIcon(QStringLiteral(":/icons/") + AppId + QStringLiteral(".svg"))));
}

TApplication::~TApplication() = default;

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowError(QStringLiteral("An unknown error ended the command."));
    }
    return false;
}

void TApplication::ShowError(const QString& message) {
    Modals::ShowMessage(activeWindow(), QStringLiteral("Quillmark"), message,
                        MessageIcon::Critical);
}

} // namespace qm
