//===- DocumentText.cpp - Script bytes shown as window text ---------------===//

#include "app/DocumentText.h"

#include "platform/System.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace qm {

namespace {

// Length of the sequence a lead byte opens, or 0 for a byte that cannot lead.
int SequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The range the second byte must lie in; it narrows for the leads whose
// full range would allow overlong forms, surrogates or code points past
// U+10FFFF.
bool SecondByteFits(unsigned char lead, unsigned char second) {
    switch (lead) {
    case 0xE0:
        return second >= 0xA0 && second <= 0xBF;
    case 0xED:
        return second >= 0x80 && second <= 0x9F;
    case 0xF0:
        return second >= 0x90 && second <= 0xBF;
    case 0xF4:
        return second >= 0x80 && second <= 0x8F;
    default:
        return IsContinuation(second);
    }
}

} // namespace

bool IsValidUtf8(std::string_view bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = bytes.size();
    for (size_t i = 0; i < size;) {
        const int length = SequenceLength(data[i]);
        if (length == 0 || i + length > size)
            return false;
        if (length > 1 && !SecondByteFits(data[i], data[i + 1]))
            return false;
        for (int k = 2; k < length; ++k)
            if (!IsContinuation(data[i + k]))
                return false;
        i += length;
    }
    return true;
}

// The memo's text document takes U+2029 and the frame marks U+FDD0/U+FDD1 for
// line breaks, so a comment line holding one would come back split on saving.
// In valid UTF-8 these bytes can only be those characters.
static bool HoldsCharacterTheMemoBreaksAt(std::string_view bytes) {
    for (std::string_view mark : {"\xE2\x80\xA9", "\xEF\xB7\x90", "\xEF\xB7\x91"})
        if (bytes.find(mark) != std::string_view::npos)
            return true;
    return false;
}

TextEncoding EncodingForFile(std::string_view bytes) {
    if (platform::RunsOnWindows())
        return TextEncoding::Ansi;
    return IsValidUtf8(bytes) && !HoldsCharacterTheMemoBreaksAt(bytes) ? TextEncoding::Utf8
                                                                       : TextEncoding::Latin1;
}

TextEncoding EncodingForNewDocument() {
    return platform::RunsOnWindows() ? TextEncoding::Ansi : TextEncoding::Utf8;
}

namespace {

bool AnsiHolds(const QString& text) {
    QStringEncoder encoder(QStringEncoder::System);
    const QByteArray bytes = encoder.encode(text);
    return !encoder.hasError() &&
           DecodeText(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                      TextEncoding::Ansi) == text;
}

bool Holds(const QString& text, TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf8:
        return true;
    case TextEncoding::Latin1:
        for (QChar c : text)
            if (c.unicode() > 0xFF)
                return false;
        return true;
    case TextEncoding::Ansi:
        return AnsiHolds(text);
    }
    return false;
}

} // namespace

bool CanEncode(const QStringList& texts, TextEncoding encoding) {
    for (const QString& text : texts)
        if (!Holds(text, encoding))
            return false;
    return true;
}

QString UnencodableCharacters(const QStringList& texts, TextEncoding encoding) {
    QString found;
    for (const QString& text : texts) {
        if (Holds(text, encoding))
            continue;
        // Character by character only for a text that doesn't fit; a
        // surrogate pair is one character.
        for (qsizetype i = 0; i < text.size();) {
            const qsizetype length =
                text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()
                    ? 2
                    : 1;
            const QString character = text.mid(i, length);
            if (!Holds(character, encoding) && !found.contains(character))
                found += character;
            i += length;
        }
    }
    return found;
}

bool MayMoveToUtf8(TextEncoding encoding) {
    return encoding == TextEncoding::Latin1;
}

QString DecodeText(std::string_view bytes, TextEncoding encoding) {
    const auto size = static_cast<qsizetype>(bytes.size());
    switch (encoding) {
    case TextEncoding::Utf8:
        // Decoded without BOM handling, so a leading BOM stays a character
        // of the first line and is written back.
        return QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom)
            .decode(QByteArrayView(bytes.data(), size));
    case TextEncoding::Latin1:
        return QString::fromLatin1(bytes.data(), size);
    case TextEncoding::Ansi:
        return QString::fromLocal8Bit(bytes.data(), size);
    }
    return {};
}

std::string EncodeText(const QString& text, TextEncoding encoding) {
    QByteArray bytes;
    switch (encoding) {
    case TextEncoding::Utf8:
        bytes = text.toUtf8();
        break;
    case TextEncoding::Latin1:
        bytes = text.toLatin1();
        break;
    case TextEncoding::Ansi:
        bytes = text.toLocal8Bit();
        break;
    }
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

} // namespace qm
