//===- CliDefaults.cpp - Where quillmark-rc takes new-document defaults ---===//
//
// The defaults are the user's stored settings, as the window uses them. A
// setting of the wrong type is reported on stderr and does not stop the
// command: the rows read before it keep their stored values, the rest fall
// back to the built-in defaults.
//
//===----------------------------------------------------------------------===//

#include "CliDefaults.h"

#include "settings/AppFiles.h"
#include "settings/AppSettings.h"
#include "versioninfo/SafeSave.h"
#include "versioninfo/ScriptReader.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <iostream>

namespace qm {

NewDocumentDefaults CliNewDocumentDefaults() {
    AppSettings settings = BuiltInAppSettings();
    // The settings word their errors in UTF-8; the console takes the local
    // 8-bit encoding, as for every other message (the ANSI code page on
    // Windows).
    if (Status loaded = LoadSettings(settings); !loaded)
        std::cerr << "quillmark-rc: "
                  << QString::fromStdString(loaded.message()).toLocal8Bit().toStdString() << '\n';
    return NewDocumentDefaultsFrom(settings);
}

Expected<Lines> CliTemplateComIncLines() {
    if (!QCoreApplication::instance())
        return Lines{};
    QString problem;
    const AppFiles files = LocateAppFiles(QCoreApplication::applicationDirPath(), &problem);
    if (!problem.isEmpty())
        std::cerr << "quillmark-rc: " << problem.toStdString() << '\n';
    // Without a template a new document has no comment lines; a template
    // that is there but can't be read is an error, not an empty template.
    if (!QFileInfo::exists(files.TemplatePath) && !QFileInfo(files.TemplatePath).isSymLink())
        return Lines{};
    const std::string path = QFile::encodeName(files.TemplatePath).toStdString();
    const LoadedFile bytes = LoadFile(path);
    if (!bytes)
        return Status::Fail("new takes its first lines from the template Initial.rc. " +
                            bytes.message());
    // Only the lines ahead of the resource are taken, so neither the
    // defaults nor a stop of the reader part-way matter here.
    return ReadScriptText(*bytes, NewDocumentDefaults{}).Record.ComIncLines;
}

} // namespace qm
