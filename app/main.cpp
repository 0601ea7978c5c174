//===- main.cpp - The Quillmark program -----------------------------------===//

#include "app/Startup.h"

int main(int argc, char** argv) {
    return qm::RunQuillmark(argc, argv);
}
