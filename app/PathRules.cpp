//===- PathRules.cpp - Folder, name and extension of a document path ------===//

#include "app/PathRules.h"

#include "platform/System.h"

namespace qm {

bool IsPathSeparator(QChar c) {
    // Qt hands back "/" even on Windows, so it counts there as well.
    if (platform::RunsOnWindows())
        return c == u'\\' || c == u':' || c == u'/';
    return c == u'/';
}

static qsizetype NameStart(const QString& path) {
    for (qsizetype i = path.size(); i > 0; --i)
        if (IsPathSeparator(path[i - 1]))
            return i;
    return 0;
}

QString PathFolder(const QString& path) {
    return path.left(NameStart(path));
}

QString PathName(const QString& path) {
    return path.mid(NameStart(path));
}

QString PathWithRcExtension(const QString& path) {
    const qsizetype nameStart = NameStart(path);
    const qsizetype dot = path.lastIndexOf(u'.');
    const qsizetype stemEnd = dot >= nameStart ? dot : path.size();
    return path.left(stemEnd) + QStringLiteral(".rc");
}

} // namespace qm
