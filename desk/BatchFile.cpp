//===- BatchFile.cpp - The batch file's first line, its log, time stamps --===//

#include "desk/BatchFile.h"

#include "platform/LogLock.h"
#include "platform/ShortPath.h"
#include "platform/System.h"
#include "versioninfo/support/SafeSave.h"

#include <algorithm>

namespace qm {

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

bool HasLineBreak(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

Status LineBreakRefused(std::string_view folder) {
    return Status::Fail("The compiler folder \"" + std::string(folder) +
                        "\" can't be written into the batch file: it holds a line break or a "
                        "NUL byte, and the batch file's first line must stay one line.");
}

/// A "#" starts a comment where a word may start: at the line's start,
/// after a blank, or after an operator such as ";", "&" or "|".
bool StartsShellComment(std::string_view bytes, std::size_t i) {
    return i == 0 || std::string_view(" \t;&|()<>").find(bytes[i - 1]) != std::string_view::npos;
}

/// Where the first line of a shell script ends, as the shell reads it: a
/// line break inside quotes or after a backslash does not end it. A quote
/// left open ends it at the first line break, as a damaged line is replaced
/// rather than taken to the end of the file. `hereDocument` is set when the
/// line opens one ("<<" outside quotes and comments): its body follows on
/// the next lines, which a replaced first line would turn into commands.
std::size_t ShellLineEnd(std::string_view bytes, bool& hereDocument) {
    hereDocument = false;
    char quote = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quote == '\'') {
            if (c == '\'')
                quote = 0;
        } else if (c == '\\') {
            ++i;
        } else if (quote == '"') {
            if (c == '"')
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '<' && bytes.substr(i, 3) == "<<<") {
            i += 2; // a here-string stays on its line
        } else if (c == '<' && bytes.substr(i, 2) == "<<") {
            hereDocument = true;
            ++i;
        } else if (c == '#' && StartsShellComment(bytes, i)) {
            // A comment: quotes in it are text, and it ends at the line break.
            i = std::min(bytes.find_first_of(std::string_view("\n\0", 2), i), bytes.size()) - 1;
        } else if (c == '\n' || c == '\0') {
            return i > 0 && bytes[i - 1] == '\r' ? i - 1 : i;
        }
    }
    return quote ? bytes.find_first_of(std::string_view("\r\n\0", 3)) : std::string_view::npos;
}

/// Where the first line of a cmd.exe batch file ends: a caret before the
/// line break carries the line on.
std::size_t CmdLineEnd(std::string_view bytes) {
    std::size_t at = 0;
    for (;;) {
        const std::size_t end = bytes.find_first_of(std::string_view("\r\n\0", 3), at);
        if (end == std::string_view::npos || end == 0 || bytes[end - 1] != '^' ||
            bytes[end] == '\0')
            return end;
        at = bytes.find('\n', end);
        if (at == std::string_view::npos)
            return std::string_view::npos;
        ++at;
    }
}

} // namespace

Expected<std::string> BatchFirstLine(std::string_view folder, PathStyle style) {
    if (HasLineBreak(folder))
        return LineBreakRefused(folder);
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

    // Checked before the short form is taken: a folder that does not exist
    // has none, and would otherwise slip through as an empty one.
    if (HasLineBreak(compilerPath))
        return LineBreakRefused(compilerPath);
    const PathStyle style = NativePathStyle();
    Expected<std::string> firstLine = BatchFirstLine(ShortPath(compilerPath), style);
    if (!firstLine)
        return Status::Fail(firstLine.message());
    // cmd.exe reads the batch file in the console's (OEM) code page: a
    // folder written in the program's (ANSI) code page would point nowhere.
    const std::string shownLine = *firstLine;
    std::optional<std::string> batchText = platform::BatchFileText(*firstLine);
    if (!batchText)
        return Status::Fail("The compiler folder \"" + compilerPath +
                            "\" can't be written into the batch file: cmd.exe reads it in the "
                            "console's code page, which lacks some of its characters. Choose a "
                            "folder with a short (8.3) name or another path.");
    firstLine = std::move(*batchText);

    // The whole first line as the shell (or cmd.exe) reads it is replaced,
    // so a line that once spanned several lines is mended, not extended.
    bool hereDocument = false;
    const std::size_t lineEnd =
        style == PathStyle::Posix ? ShellLineEnd(*bytes, hereDocument) : CmdLineEnd(*bytes);
    const std::string current = bytes->substr(0, lineEnd);
    if (hereDocument)
        return Status::Fail("The first line of the batch file " + batchPath + ", \"" + current +
                            "\", opens a here-document: replacing it would turn the document's "
                            "lines into commands. Move the here-document to a later line.");
    if (*firstLine == current)
        return Status::Ok();
    std::string rest = lineEnd == std::string::npos ? std::string() : bytes->substr(lineEnd);
    imageLines.front() = shownLine;
    return SaveFileSafely(batchPath, *firstLine + rest);
}

std::optional<std::string> LoadFinishedLog(const std::string& logPath) {
    return platform::ReadReleasedLog(logPath);
}

} // namespace qm
