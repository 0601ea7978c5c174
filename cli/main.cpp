//===- main.cpp - quillmark-rc, the command-line companion ----------------===//

#include "QuillmarkRc.h"

#include <iostream>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    qm::CliStreams io{std::cin, std::cout, std::cerr};
    return qm::RunQuillmarkRc(args, io);
}
