//===- CliDefaults.cpp - Where quillmark-rc takes new-document defaults ---===//
//
// The defaults are the user's stored settings, as the window uses them. A
// setting of the wrong type is reported on stderr and does not stop the
// command: the rows read before it keep their stored values, the rest fall
// back to the built-in defaults.
//
//===----------------------------------------------------------------------===//

#include "CliDefaults.h"

#include "platform/Files.h"
#include "platform/UserFolders.h"
#include "settings/AppFiles.h"
#include "settings/StoredSettings.h"
#include "versioninfo/SafeSave.h"
#include "versioninfo/ScriptReader.h"

#include <filesystem>
#include <iostream>
#include <system_error>

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
    // Without a template a new document has no comment lines; a template
    // that is there but can't be read is an error, not an empty template.
    std::error_code error;
    if (!std::filesystem::exists(
            std::filesystem::symlink_status(platform::NativePath(files.TemplatePath), error)))
        return Lines{};
    const LoadedFile bytes = LoadFile(files.TemplatePath);
    if (!bytes)
        return Status::Fail("new takes its first lines from the template Initial.rc. " +
                            bytes.message());
    // Only the lines ahead of the resource are taken, so neither the
    // defaults nor a stop of the reader part-way matter here.
    return ReadScriptText(*bytes, NewDocumentDefaults{}).Record.ComIncLines;
}

} // namespace qm
