//===- DesignFonts.h - Stand-ins for the fonts the windows were drawn in -*- C++ -*-===//
//
// Both windows name the fonts they were designed with: "MS Sans Serif" and
// "Arial" for captions and labels, "Courier New" and "FixedSys" for the
// boxes. Where those are missing the toolkit would pick whatever the system
// offers, often a wider face that clips the captions. Registering
// metric-compatible stand-ins keeps every caption inside its designed width.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <QString>
#include <QStringList>

namespace qm {

/// The stand-ins for one designed family, best first.
struct FontStandIns {
    QString Family;
    QStringList Candidates;
};

/// The designed families and their stand-ins.
QList<FontStandIns> DesignFontStandIns();

/// Makes each designed family resolve to the first of its stand-ins that is
/// installed; a family without an installed stand-in is left to the system.
/// Must run after the application object exists and before any widget does,
/// since a widget resolves its font when it is created.
void RegisterFontSubstitutions();

} // namespace qm
