//===- FileStamp.h - A file's time stamp, as the Compiler page shows it -*- C++ -*-===//
//
// The lines under a batch run's log give the script's and the .res file's
// modification times in the locale's own date and time forms.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "desk/BatchFile.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <string>

namespace qm {

/// `when` in file-date steps (seconds rounded down to even, no fraction) as
/// the locale's short date, a blank and its long time; the blank and the
/// time are left out at exactly midnight.
QString FormatFileStamp(const QDateTime& when, const QLocale& locale);

/// The local modification time of the file at `path` as FormatFileStamp
/// gives it, or NotFoundStamp when there is no such file.
QString FileStampText(const std::string& path, const QLocale& locale = QLocale());

} // namespace qm
