//===- BatchFile.cpp - The batch file's first line, its log, time stamps --===//

#include "app/BatchFile.h"

#include "platform/LogLock.h"
#include "platform/ShortPath.h"
#include "platform/System.h"
#include "versioninfo/SafeSave.h"

#include <QFile>
#include <QFileInfo>

namespace qm {

const char* BatchFileName() {
    return platform::RunsOnWindows() ? "QuillmarkEX.bat" : "QuillmarkEX.sh";
}

std::string ShortPath(const std::string& path) {
    return platform::ShortPath(path);
}

namespace {

/// Bytes the shell keeps literally in the value of an assignment. A "~" is
/// not among them: it is expanded at the start and after every ":".
bool IsLiteralShellChar(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    return std::string_view("/._+-,:@%=").find(static_cast<char>(c)) != std::string_view::npos;
}

std::string ShellLiteral(std::string_view text) {
    bool plain = true;
    for (char c : text)
        plain = plain && IsLiteralShellChar(static_cast<unsigned char>(c));
    if (plain)
        return std::string(text);
    // Inside single quotes nothing is special but the quote itself, which is
    // closed, escaped and reopened.
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    quoted += '\'';
    return quoted;
}

/// Characters that make cmd.exe split, redirect or expand a line. Brackets
/// are left out: outside a block they are plain, and "Program Files (x86)"
/// must stay usable.
bool IsCmdSpecial(char c) {
    return std::string_view("&|<>^%!\"\r\n", 10).find(c) != std::string_view::npos || c == '\0';
}

} // namespace

Expected<std::string> BatchFirstLine(std::string_view folder, PathStyle style) {
    if (style == PathStyle::Posix)
        return "path=" + ShellLiteral(folder);
    for (char c : folder)
        if (IsCmdSpecial(c))
            return Status::Fail("The compiler folder \"" + std::string(folder) +
                                "\" can't be written into the batch file: it holds a line break "
                                "or one of the characters & | < > ^ % ! \" that cmd.exe would "
                                "act on.");
    return "path=" + std::string(folder);
}

Status UpdateBatchFile(const std::string& batchPath, const std::string& compilerPath,
                       Lines& imageLines) {
    Expected<std::string> bytes = LoadFile(batchPath);
    if (!bytes)
        return Status::Fail(bytes.message());
    imageLines = SplitLines(*bytes);
    if (imageLines.empty())
        return Status::Fail("The batch file " + batchPath +
                            " is empty: its first line must hold the compiler folder.");

    Expected<std::string> firstLine = BatchFirstLine(ShortPath(compilerPath), NativePathStyle());
    if (!firstLine)
        return Status::Fail(firstLine.message());
    if (*firstLine == imageLines.front())
        return Status::Ok();

    std::size_t lineEnd = bytes->find_first_of(std::string_view("\r\n\0", 3));
    std::string rest = lineEnd == std::string::npos ? std::string() : bytes->substr(lineEnd);
    imageLines.front() = *firstLine;
    return SaveFileSafely(batchPath, *firstLine + rest);
}

std::optional<std::string> LoadFinishedLog(const std::string& logPath) {
    return platform::ReadReleasedLog(logPath);
}

QString FormatFileStamp(const QDateTime& when, const QLocale& locale) {
    QTime time = when.time();
    QTime stepped(time.hour(), time.minute(), time.second() & ~1);
    QString text = locale.toString(when.date(), QLocale::ShortFormat);
    if (stepped != QTime(0, 0))
        text += ' ' + locale.toString(stepped, QLocale::LongFormat);
    return text;
}

QString FileStampText(const std::string& path, const QLocale& locale) {
    QFileInfo info(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!info.exists() || !info.isFile())
        return QString::fromLatin1(NotFoundStamp);
    return FormatFileStamp(info.lastModified(), locale);
}

} // namespace qm
