//===- Yardstick.cpp - A plain Qt window to time start-up against ---------===//
//
// The least a form of this size costs: 60 labelled fields on three tabs,
// no settings, no files. It shows, then quits at the first idle moment of
// the event loop, as quillmark does with QUILLMARK_QUIT_AT_IDLE set, so that
// bench/startup_ratio.py can time the two the same way.
//
//===----------------------------------------------------------------------===//
#include <QApplication>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QTabWidget window;
    for (int tab = 0; tab < 3; ++tab) {
        auto* page = new QWidget;
        auto* form = new QFormLayout(page);
        for (int field = 0; field < 20; ++field)
            form->addRow(new QLabel(QStringLiteral("Field %1").arg(tab * 20 + field)),
                         new QLineEdit);
        window.addTab(page, QStringLiteral("Page %1").arg(tab + 1));
    }
    window.show();
    QTimer::singleShot(0, &application, &QCoreApplication::quit);
    return application.exec();
}
