//===- Application.cpp - The application and its error box ----------------===//

#include "app/Application.h"

#include <QMessageBox>

#include <exception>

namespace qm {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Quillmark"));
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowApplicationError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowApplicationError(QStringLiteral("An unknown error ended the command."));
    }
    return false;
}

void ShowApplicationError(const QString& message) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Quillmark"), message, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace qm
