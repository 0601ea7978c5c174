//===- DesignFonts.cpp - Stand-ins for the fonts the windows were drawn in ===//

#include "app/DesignFonts.h"

#include <QFont>
#include <QFontDatabase>

namespace qm {

QList<FontStandIns> DesignFontStandIns() {
    // Liberation and Arimo share the metrics of the Windows faces; Nimbus
    // Sans and DejaVu Sans Mono are close and nearly always installed.
    const QStringList sans = {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                              QStringLiteral("Nimbus Sans")};
    const QStringList mono = {QStringLiteral("Liberation Mono"),
                              QStringLiteral("DejaVu Sans Mono")};
    return {{QStringLiteral("MS Sans Serif"), sans},
            {QStringLiteral("Arial"), sans},
            {QStringLiteral("Courier New"), mono},
            {QStringLiteral("FixedSys"), mono}};
}

void RegisterFontSubstitutions() {
    // The installed families themselves: hasFamily() would also accept a
    // name that fontconfig merely aliases to some other face.
    const QStringList installed = QFontDatabase::families();
    const auto isInstalled = [&installed](const QString& family) {
        return installed.contains(family, Qt::CaseInsensitive);
    };
    for (const FontStandIns& standIns : DesignFontStandIns()) {
        // A family the system really has needs no stand-in.
        if (isInstalled(standIns.Family))
            continue;
        for (const QString& candidate : standIns.Candidates) {
            if (isInstalled(candidate)) {
                QFont::insertSubstitution(standIns.Family, candidate);
                break;
            }
        }
    }
}

} // namespace qm
