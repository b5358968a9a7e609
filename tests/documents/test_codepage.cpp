#include "common/codepage.h"

#include <QFile>
#include <QHash>
#include <QTest>

namespace {

// The shared table (cp932_table.txt): what every byte sequence decodes to and
// what every character of the BMP encodes to.
struct Cp932Table
{
    QList<QPair<QByteArray, char16_t>> decodings;
    QHash<char16_t, QByteArray> encodings;   // characters without an entry encode to "?"

    Cp932Table()
    {
        QFile file(u":/cp932_table.txt"_qs);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("no CP932 table");
        QHash<char16_t, QList<QByteArray>> sources;
        int single = 0;
        while (!file.atEnd()) {
            const QList<QByteArray> f = file.readLine().simplified().split(' ');
            auto add = [&](const QByteArray &bytes, const QByteArray &hex) {
                const char16_t c = char16_t(hex.toUInt(nullptr, 16));
                decodings.append({bytes, c});
                if (c != 0xFFFD)
                    sources[c].append(bytes);
            };
            if (f[0] == "S") {
                for (qsizetype i = 1; i < f.size(); ++i, ++single)
                    if (!IsCp932LeadByte(uchar(single)))
                        add(QByteArray(1, char(single)), f[i]);
            } else if (f[0] == "D") {
                const char lead = char(f[1].toUInt(nullptr, 16));
                int trail = 0x40;
                for (qsizetype i = 2; i < f.size(); ++i, ++trail) {
                    if (trail == 0x7F)
                        ++trail;
                    add(QByteArray(1, lead).append(char(trail)), f[i]);
                }
            } else if (f[0] == "E") {
                encodings.insert(char16_t(f[1].toUInt(nullptr, 16)), QByteArray::fromHex(f[2]));
            }
        }
        for (auto it = sources.begin(); it != sources.end(); ++it)
            if (!encodings.contains(it.key()) && it.value().size() == 1)
                encodings.insert(it.key(), it.value().first());
    }
};

const Cp932Table &table()
{
    static const Cp932Table t;
    return t;
}

} // namespace

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
        QTest::newRow("control codes as themselves") << QByteArray("\x1A\x1C\x7F") << u"\u001A\u001C\u007F"_qs;
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
        QTest::newRow("invisible characters are not dropped") << u"a\u200Bb\u00AD"_qs << QByteArray("a?b?");
        QTest::newRow("control codes as themselves") << u"\u001A\u001C\u007F"_qs << QByteArray("\x1A\x1C\x7F");
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

    // A text of megabytes is looked at in pieces: what lies across or past a
    // piece's end counts as in a short text.
    void longTexts_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("shiftJis");
        QTest::addColumn<bool>("clean");
        const QByteArray kanji = QByteArray("\x95\x5C").repeated(70000);
        QTest::newRow("characters across each piece's end") << "a" + kanji << true << true;
        QTest::newRow("unassigned pair far in") << "a" + kanji + "\x85\x40" + kanji << false << false;
        QTest::newRow("lone lead at the end") << kanji + "\x81" << false << false;
        QTest::newRow("other form far in") << kanji + "\xED\x40" << true << false;
    }
    void longTexts()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, shiftJis);
        QFETCH(bool, clean);
        QCOMPARE(IsCp932Text(bytes), shiftJis);
        QCOMPARE(DecodesCleanly(bytes), clean);
    }

    // Every single byte and every lead byte with each valid second byte, and
    // every character of the BMP, as the shared table has them.
    void everySequenceAsTheTableHasIt()
    {
        QCOMPARE(table().decodings.size(), 196 + 60 * 188);
        QStringList wrong;
        QByteArray allBytes;
        QString allText;
        for (const auto &[bytes, c] : table().decodings) {
            const QString got = DecodeCp932(bytes);
            if (got != QString(QChar(c)))
                wrong << u"%1 -> %2"_qs.arg(QString::fromLatin1(bytes.toHex()), QString::fromLatin1(got.toUtf8().toHex()));
            allBytes += bytes;
            allText += QChar(c);
        }
        for (char32_t u = 0; u < 0x10000; ++u) {
            if (u >= 0xD800 && u < 0xE000)
                continue;
            const QByteArray expected = table().encodings.value(char16_t(u), "?");
            const QByteArray got = EncodeCp932(QString(QChar(char16_t(u))));
            if (got != expected)
                wrong << u"U+%1 -> %2"_qs.arg(uint(u), 4, 16, QChar(u'0')).arg(QString::fromLatin1(got.toHex()));
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(u"%1 differ: "_qs.arg(wrong.size()) + wrong.mid(0, 20).join(u", ")));
        QCOMPARE(DecodeCp932(allBytes), allText);   // one call over all of them gives the same
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
