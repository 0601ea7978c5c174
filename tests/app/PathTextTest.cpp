//===- PathTextTest.cpp - The bytes<->text rule of paths and messages ----===//

#include "app/DocumentText.h"

#include <QTest>

using namespace qm;

class PathTextTest : public QObject {
    Q_OBJECT

private slots:
    void tellsValidUtf8_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("valid");
        QTest::newRow("ascii") << QByteArray("VALUE") << true;
        QTest::newRow("two-byte") << QByteArray("caf\xC3\xA9") << true;
        QTest::newRow("bom") << QByteArray("\xEF\xBB\xBFx") << true;
        QTest::newRow("four-byte") << QByteArray("\xF0\x9F\x98\x80") << true;
        QTest::newRow("latin-1 e acute") << QByteArray("caf\xE9") << false;
        QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << false;
        QTest::newRow("overlong three") << QByteArray("\xE0\x80\xAF") << false;
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false;
        QTest::newRow("past U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << false;
        QTest::newRow("cut short") << QByteArray("\xE2\x82") << false;
        QTest::newRow("lone continuation") << QByteArray("\x80") << false;
    }
    void tellsValidUtf8() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, valid);
        QCOMPARE(IsValidUtf8(std::string_view(bytes.constData(), bytes.size())), valid);
    }

    // Whatever encoding a file is shown in, its bytes come back unchanged.
    void decodedTextEncodesToTheSameBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("utf-8 with bom") << QByteArray("\xEF\xBB\xBF// caf\xC3\xA9");
        QTest::newRow("latin-1 with nbsp") << QByteArray("caf\xE9\xA0\x80\xFF\t end");
        QTest::newRow("control bytes") << QByteArray("a\x01\x1F\x7F");
    }
    void decodedTextEncodesToTheSameBytes() {
        QFETCH(QByteArray, bytes);
        const std::string_view view(bytes.constData(), bytes.size());
        const TextEncoding encoding = EncodingForFile(view);
        QCOMPARE(EncodeText(DecodeText(view, encoding), encoding), std::string(view));
    }

    void showsInvalidUtf8AsLatin1() {
        QCOMPARE(EncodingForFile("caf\xE9"), TextEncoding::Latin1);
        QCOMPARE(DecodeText("caf\xE9", TextEncoding::Latin1), QStringLiteral("caf\u00E9"));
        QCOMPARE(EncodingForFile("caf\xC3\xA9"), TextEncoding::Utf8);
        QCOMPARE(DecodeText("caf\xC3\xA9", TextEncoding::Utf8), QStringLiteral("caf\u00E9"));
    }

    void latin1HoldsOnlyItsOwnCharacters() {
        QVERIFY(CanEncode({QStringLiteral("caf\u00E9"), QStringLiteral("\u00FF")},
                          TextEncoding::Latin1));
        QVERIFY(!CanEncode({QStringLiteral("ok"), QStringLiteral("\u20AC")}, TextEncoding::Latin1));
        QVERIFY(CanEncode({QStringLiteral("\u20AC")}, TextEncoding::Utf8));
    }

    // What a refused save names, and which documents may move to UTF-8.
    void namesTheCharactersAnEncodingCantHold() {
        const QStringList texts{QStringLiteral("caf\u00E9 \u20AC"), QStringLiteral("ok"),
                                QStringLiteral("\u20AC\U0001F600\u0151")};
        QCOMPARE(UnencodableCharacters(texts, TextEncoding::Latin1),
                 QStringLiteral("\u20AC\U0001F600\u0151"));
        QCOMPARE(UnencodableCharacters(texts, TextEncoding::Utf8), QString());
        QVERIFY(MayMoveToUtf8(TextEncoding::Latin1));
        QVERIFY(!MayMoveToUtf8(TextEncoding::Ansi));
        QVERIFY(!MayMoveToUtf8(TextEncoding::Utf8));
    }
};

QTEST_APPLESS_MAIN(PathTextTest)
#include "PathTextTest.moc"
