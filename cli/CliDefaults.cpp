//===- CliDefaults.cpp - Where quillmark-rc takes new-document defaults ---===//
//
// The defaults are the user's stored settings, as the window uses them. A
// setting of the wrong type is reported on stderr and does not stop the
// command: the rows read before it keep their stored values, the rest fall
// back to the built-in defaults.
//
//===----------------------------------------------------------------------===//

#include "CliDefaults.h"

#include "settings/AppSettings.h"

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

} // namespace qm
