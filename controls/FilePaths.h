//===- FilePaths.h - Paths between the windows' text and the core --*- C++ -*-===//
//
// The core takes a path as the program's bytes, exactly as the file system
// names it; the windows show it as a QString. These two are the only
// crossing between the two, so a name the locale can't spell still comes
// back as the same bytes.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <string>

namespace qm {

/// A path as the file system and the core take it.
inline std::string PathBytes(const QString& path) {
    const QByteArray encoded = QFile::encodeName(path);
    return std::string(encoded.constData(), static_cast<std::size_t>(encoded.size()));
}

/// The path that `bytes` name, as a window shows it.
inline QString PathText(const std::string& bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

} // namespace qm
