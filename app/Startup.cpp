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

    // The options dialog is created here, hidden, once it exists; it then
    // lives as long as the main window.

    formMain.show();
    return application.exec();
}

} // namespace qm
