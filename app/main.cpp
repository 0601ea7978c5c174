//===- main.cpp - The Quillmark program -----------------------------------===//

#include "app/Startup.h"
#include "platform/Process.h"

int main(int argc, char** argv) {
    // A save past a file-size limit must fail and be reported, not end the
    // program with the user's edits.
    qm::platform::IgnoreFileSizeSignal();
    return qm::RunQuillmark(argc, argv);
}
