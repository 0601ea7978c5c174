//===- main.cpp - quillmark-rc, the command-line companion ----------------===//

#include "QuillmarkRc.h"
#include "platform/Process.h"

#include <iostream>

int main(int argc, char** argv) {
    // A write past a file-size limit fails with an error, leaving the target
    // as it was, instead of killing the program half way.
    qm::platform::IgnoreFileSizeSignal();
    qm::platform::UseBinaryStandardStreams();
    const qm::platform::ProgramArgumentList args = qm::platform::ProgramArguments(argc, argv);
    if (!args.Error.empty()) {
        std::cerr << "quillmark-rc: " << args.Error << '\n';
        return 2;
    }
    qm::CliStreams io{std::cin, std::cout, std::cerr};
    return qm::RunQuillmarkRc(args.Arguments, io);
}
