//===- Startup.cpp - Program start-up, in its fixed order -----------------===//

#include "app/Startup.h"

#include "app/Application.h"
#include "app/DesignFonts.h"
#include "app/Main.h"
#include "controls/Modals.h"
#include "settings/AppSettings.h"

#include <QFileInfo>
#include <QTimer>

#include <cstdio>
#include <cstring>

#ifndef QM_VERSION_TEXT
#define QM_VERSION_TEXT "1.0.0"
#endif

namespace qm {

namespace {

const char* const UsageText =
    "Usage: quillmark [OPTIONS] [SCRIPT [NAME]]\n"
    "\n"
    "Edits the version information of a Windows program in a form and saves it\n"
    "as a VERSIONINFO resource script (.rc).\n"
    "\n"
    "SCRIPT opens that script; when it does not exist, a new document proposes\n"
    "it (with the extension .rc) as its file. NAME, when given, is the file name\n"
    "proposed in SCRIPT's folder.\n"
    "\n"
    "Options:\n"
    "  -h, --help      Show this help and exit.\n"
    "  -v, --version   Show the version and exit.\n"
    "  --self-check    Start without showing a window, print where the program's\n"
    "                  files are, and exit with 0 when all were found.\n"
    "  --              End the options: a file named like an option follows.\n"
    "\n"
    "quillmark-rc does the same from the command line. See the README in\n"
    "/usr/share/doc/quillmark/ (or beside the program).\n";

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
    report("Template", formMain.TemplateFile(), true);
    report("Batch script", formMain.BatchFile(), true);
    report("Log", formMain.LogFile(), false);
    // Which compiler Save & Compile runs; with none installed, the built-in one.
    const AppSettings& settings = TheAppSettings();
    const bool builtIn = settings.CompilerCmdLine32.startsWith(QStringLiteral("quillmark-rc "));
    std::printf("Compiler: %s (in %s)%s\n", qPrintable(settings.CompilerCmdLine32),
                qPrintable(settings.CompilerPath),
                builtIn ? ", the built-in compiler: no llvm-rc or windres is installed" : "");
    if (QGuiApplication::windowIcon().isNull()) {
        std::printf("Icon: missing\n");
        complete = false;
    }
    return complete ? 0 : 1;
}

// Without a display the toolkit would end the process with an abort; on
// Windows and under a chosen Qt platform (offscreen, say) there is always
// somewhere to draw.
bool NoDisplayToShowOn() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
           qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return false;
#endif
}

} // namespace

int RunQuillmark(int argc, char** argv) {
    // Answered before the toolkit starts, so they need no display.
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::fputs(UsageText, stdout);
            return 0;
        }
        if (!std::strcmp(argv[i], "--version") || !std::strcmp(argv[i], "-v")) {
            std::printf("Quillmark %s\n", QM_VERSION_TEXT);
            return 0;
        }
    }
    const bool selfCheck = argc == 2 && !std::strcmp(argv[1], "--self-check");
    // A self-check shows no window, so it needs no display: it runs on
    // Qt's offscreen platform unless another is asked for.
    if (selfCheck && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!selfCheck && NoDisplayToShowOn()) {
        std::fputs("quillmark: there is no display to show the window on (DISPLAY and "
                   "WAYLAND_DISPLAY are not set); run it under xvfb-run, or use quillmark-rc\n",
                   stderr);
        return 1;
    }
    TApplication application(argc, argv);
    RegisterFontSubstitutions();

    QStringList arguments = QApplication::arguments().mid(1);
    if (selfCheck)
        return SelfCheck();
    const qsizetype optionsEnd = arguments.indexOf(QStringLiteral("--"));
    for (qsizetype i = 0; i < (optionsEnd < 0 ? arguments.size() : optionsEnd); ++i) {
        if (arguments[i].startsWith(QLatin1Char('-')) && arguments[i].size() > 1) {
            std::fprintf(stderr, "quillmark: unknown option %s\nTry 'quillmark --help'.\n",
                         qPrintable(arguments[i]));
            return 2;
        }
    }
    if (optionsEnd >= 0)
        arguments.removeAt(optionsEnd);

    FormMainSetup setup;
    setup.Arguments = arguments;
    TFormMain formMain(setup);

    formMain.show();
    // For start-up timing (bench/startup_ratio.py): leave at the first idle
    // moment, the way the yardstick window does.
    if (!qEnvironmentVariableIsEmpty("QUILLMARK_QUIT_AT_IDLE"))
        QTimer::singleShot(0, &application, &QCoreApplication::quit);
    return application.exec();
}

} // namespace qm
