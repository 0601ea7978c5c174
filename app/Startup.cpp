//===- Startup.cpp - Program start-up, in its fixed order -----------------===//

#include "app/Startup.h"

#include "app/Application.h"
#include "app/Main.h"

namespace qm {

int RunQuillmark(int argc, char** argv) {
    TApplication application(argc, argv);

    FormMainSetup setup;
    setup.Arguments = QApplication::arguments().mid(1);
    TFormMain formMain(setup);

    // Hidden until the main window asks for it; it lives as long as the window.
    formMain.CreateFormOpt();

    formMain.show();
    return application.exec();
}

} // namespace qm
