//===- FileStamp.cpp - A file's time stamp, as the Compiler page shows it -===//

#include "app/FileStamp.h"

#include "controls/FilePaths.h"

#include <QFileInfo>

namespace qm {

QString FormatFileStamp(const QDateTime& when, const QLocale& locale) {
    QTime time = when.time();
    QTime stepped(time.hour(), time.minute(), time.second() & ~1);
    QString text = locale.toString(when.date(), QLocale::ShortFormat);
    if (stepped != QTime(0, 0))
        text += ' ' + locale.toString(stepped, QLocale::LongFormat);
    return text;
}

QString FileStampText(const std::string& path, const QLocale& locale) {
    QFileInfo info(PathText(path));
    if (!info.exists() || !info.isFile())
        return QString::fromLatin1(NotFoundStamp);
    return FormatFileStamp(info.lastModified(), locale);
}

} // namespace qm
