//===- CliDefaults.cpp - Where quillmark-rc takes new-document defaults ---===//
//
// The defaults are the user's stored settings, as the window uses them. A
// setting of the wrong type is reported on stderr and does not stop the
// command: the rows read before it keep their stored values, the rest fall
// back to the built-in defaults.
//
//===----------------------------------------------------------------------===//

#include "CliDefaults.h"

#include "platform/UserFolders.h"
#include "settings/AppFiles.h"
#include "settings/StoredSettings.h"

#include <iostream>

namespace qm {

NewDocumentDefaults CliNewDocumentDefaults() {
    const StoredSettings stored = ReadStoredSettings();
    if (!stored.Problem)
        std::cerr << "quillmark-rc: " << stored.Problem.message() << '\n';
    return StoredNewDocumentDefaults(stored);
}

Expected<Lines> CliTemplateComIncLines() {
    const std::string programDir = platform::ProgramFolder();
    if (programDir.empty())
        return Lines{};
    std::string problem;
    const AppFiles files = LocateAppFiles(programDir, &problem);
    if (!problem.empty())
        std::cerr << "quillmark-rc: " << problem << '\n';
    return TemplateComIncLines(files.TemplatePath);
}

} // namespace qm
