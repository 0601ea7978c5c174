//===- DocumentText.h - Script bytes shown as window text ---------*- C++ -*-===//
//
// The record holds the script's bytes; the controls hold QString. On Windows
// the bytes are ANSI-code-page text. Elsewhere a file is shown as UTF-8 when
// every byte of it is valid UTF-8 (and it holds no character the comment memo
// would take for a line break), and as Latin-1 otherwise; the choice is kept
// per document so that saving writes the very bytes that were read.
//
// The only way a document changes its encoding on saving is when the user
// types a character that Latin-1 cannot hold into a Latin-1 document: the
// whole document is then written as UTF-8 rather than losing that character.
// An ANSI document never changes: Windows programs, this one and the
// resource compilers included, read a script without a marker as ANSI, so
// UTF-8 bytes would come back as other characters. Such a save is refused.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <QString>
#include <QStringList>

#include <string>
#include <string_view>

namespace qm {

enum class TextEncoding {
    Utf8,
    Latin1,
    Ansi, ///< the system code page; the only encoding used on Windows
};

/// True when `bytes` is well-formed UTF-8 (no overlong forms, no encoded
/// surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

/// The encoding under which a file of these bytes is shown.
TextEncoding EncodingForFile(std::string_view bytes);

/// The encoding of a document that has no file bytes yet.
TextEncoding EncodingForNewDocument();

/// True when every text of `texts` can be written in `encoding` unchanged.
bool CanEncode(const QStringList& texts, TextEncoding encoding);

/// The characters of `texts` that `encoding` can't hold, each once, in the
/// order they first appear; empty when CanEncode.
QString UnencodableCharacters(const QStringList& texts, TextEncoding encoding);

/// Whether a document in `encoding` that no longer fits may be saved as
/// UTF-8 instead: a Latin-1 one may, an ANSI one may not.
bool MayMoveToUtf8(TextEncoding encoding);

QString DecodeText(std::string_view bytes, TextEncoding encoding);
std::string EncodeText(const QString& text, TextEncoding encoding);

} // namespace qm
