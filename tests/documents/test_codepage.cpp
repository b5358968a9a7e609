#include "common/codepage.h"

#include <QTest>

class TestCodepage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("ascii") << QByteArray("ab,1") << u"ab,1"_qs;
        QTest::newRow("second byte 0x5C") << QByteArray("\x95\x5C\x83\x5C") << u"表ソ"_qs;
        QTest::newRow("second byte 0x40") << QByteArray("\x81\x40\x83\x41") << u"\u3000ア"_qs;
        QTest::newRow("half-width kana") << QByteArray("\xB1\xDD") << u"ｱﾝ"_qs;
        QTest::newRow("unassigned pair") << QByteArray("a\x85\x40" "b") << u"a\uFFFDb"_qs;
        QTest::newRow("lone lead at end") << QByteArray("a\x81") << u"a\uFFFD"_qs;
        QTest::newRow("empty") << QByteArray() << QString();
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(DecodeCp932(bytes), text);
    }

    void exactEncodingMapsLookAlikesAndFindsWhatIsLost_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("unencodableAt");
        QTest::newRow("wave dash") << u"1〜2"_qs << QByteArray("1\x81\x60" "2") << -1;
        QTest::newRow("minus sign") << u"−"_qs << QByteArray("\x81\x7C") << -1;
        QTest::newRow("cent, pound, not") << u"¢£¬"_qs << QByteArray("\x81\x91\x81\x92\x81\xCA") << -1;
        QTest::newRow("broken bar") << u"¦"_qs << QByteArray("\xFA\x55") << -1;
        QTest::newRow("double vertical line") << u"‖"_qs << QByteArray("\x81\x61") << -1;
        QTest::newRow("em dash") << u"—"_qs << QByteArray("\x81\x5C") << -1;
        QTest::newRow("question mark is kept") << u"a?b"_qs << QByteArray("a?b") << -1;
        QTest::newRow("accent") << u"café"_qs << QByteArray("caf?") << 3;
        QTest::newRow("euro after a question mark") << u"?€"_qs << QByteArray("??") << 1;
        QTest::newRow("outside the BMP") << u"x😀"_qs << QByteArray("x?") << 1;
    }
    void exactEncodingMapsLookAlikesAndFindsWhatIsLost()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(int, unencodableAt);
        const Cp932Encoding encoded = EncodeCp932Exact(text);
        QCOMPARE(encoded.bytes, bytes);
        QCOMPARE(encoded.unencodableAt, unencodableAt);
    }

    void encode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("japanese") << u"表示ソフト"_qs << QByteArray("\x95\x5C\x8E\xA6\x83\x5C\x83\x74\x83\x67");
        QTest::newRow("euro unmappable") << u"a€b"_qs << QByteArray("a?b");
        QTest::newRow("accent unmappable") << u"é"_qs << QByteArray("?");
        QTest::newRow("outside the BMP") << u"x\U0001F600"_qs << QByteArray("x?");
    }
    void encode()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(EncodeCp932(text), bytes);
    }

    void decodesCleanly_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("clean");
        QTest::newRow("ascii") << QByteArray("abc") << true;
        QTest::newRow("double-byte") << QByteArray("\x95\x5C") << true;
        QTest::newRow("unassigned") << QByteArray("\x85\x40") << false;
        QTest::newRow("lone lead") << QByteArray("\x81") << false;
        // NEC-selected IBM extension: decodes, but encodes to the IBM code 0xFA5C.
        QTest::newRow("duplicate code") << QByteArray("\xED\x40") << false;
    }
    void decodesCleanly()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, clean);
        QCOMPARE(DecodesCleanly(bytes), clean);
    }

    void leadAndTrailBytes()
    {
        int leads = 0, trails = 0;
        for (int b = 0; b < 256; ++b) {
            leads += IsCp932LeadByte(uchar(b));
            trails += IsCp932TrailByte(uchar(b));
            // Separators, quotes and blanks are never part of a double-byte character.
            if (b <= 0x20 || b == '"' || b == '\'' || b == ',')
                QVERIFY(!IsCp932LeadByte(uchar(b)) && !IsCp932TrailByte(uchar(b)));
        }
        QCOMPARE(leads, 31 + 29);
        QCOMPARE(trails, 63 + 125);
    }
};

QTEST_GUILESS_MAIN(TestCodepage)
#include "test_codepage.moc"
