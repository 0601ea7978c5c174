//===- Startup.cpp - Program start-up, in its fixed order -----------------===//

#include "app/Startup.h"

#include "app/Application.h"
#include "app/DesignFonts.h"
#include "app/Main.h"
#include "controls/Modals.h"

#include <QFileInfo>

#include <cstdio>

#ifndef QM_VERSION_TEXT
#define QM_VERSION_TEXT "1.0.0"
#endif

namespace qm {

namespace {

/// Boxes go to stderr and dialogs are cancelled: a self-check has no one to
/// answer them.
class ConsoleAnswers : public ModalAnswers {
public:
    void ShowMessage(QWidget*, const QString& caption, const QString& text, MessageIcon) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
        Shown = true;
    }
    bool AskToGoOn(QWidget* parent, const QString& caption, const QString& text) override {
        ShowMessage(parent, caption, text, MessageIcon::Warning);
        return false;
    }
    DialogAnswer RunFileDialog(const FileDialogRun&) override { return DialogAnswer::Cancel(); }
    bool Shown = false;
};

/// Runs the start-up without showing anything and reports where the
/// program's files are. Fails when a box came up or a file is missing.
int SelfCheck() {
    auto prompts = std::make_shared<ConsoleAnswers>();
    Modals::SetAnswers(prompts);
    TFormMain formMain{FormMainSetup()};
    formMain.CreateFormOpt();

    std::printf("Quillmark %s\n", QM_VERSION_TEXT);
    bool complete = !prompts->Shown;
    const auto report = [&complete](const char* what, const QString& path, bool needed) {
        const bool there = QFileInfo(path).isFile();
        const char* state = there ? "" : needed ? " (missing)" : " (not written yet)";
        std::printf("%s: %s%s\n", what, qPrintable(path), state);
        complete = complete && (there || !needed);
    };
    report("Template", formMain.TemplatePath, true);
    report("Batch script", formMain.BatchPath, true);
    report("Log", formMain.LogPath, false);
    if (QGuiApplication::windowIcon().isNull()) {
        std::printf("Icon: missing\n");
        complete = false;
    }
    return complete ? 0 : 1;
}

} // namespace

int RunQuillmark(int argc, char** argv) {
    TApplication application(argc, argv);
    RegisterFontSubstitutions();

    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments == QStringList{QStringLiteral("--self-check")})
        return SelfCheck();

    FormMainSetup setup;
    setup.Arguments = arguments;
    TFormMain formMain(setup);

    // Hidden until the main window asks for it; it lives as long as the window.
    formMain.CreateFormOpt();

    formMain.show();
    return application.exec();
}

} // namespace qm
