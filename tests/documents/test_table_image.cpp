#include "documents/table_document.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

QByteArray record(const TableDocument &d, int index)
{
    return d.image().mid(index * TableRecordSize, TableRecordSize);
}

QByteArray padded(const QByteArray &text, int length)
{
    return text + QByteArray(length - text.size(), '\xFF');
}

// Restores the field lengths a test changed.
struct FieldLengthGuard
{
    int barcode = BarcodeFieldLen, convStr = ConvStrFieldLen;
    ~FieldLengthGuard()
    {
        BarcodeFieldLen = barcode;
        ConvStrFieldLen = convStr;
    }
};

} // namespace

class TestTableImage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void newDocumentIsEmptyTable()
    {
        TableDocument d("conv str", "bar code");
        QCOMPARE(d.grid().colCount(), 3);
        QCOMPARE(d.grid().rowCount(), 513);
        QCOMPARE(d.grid().cell(0, 0), QByteArray("#"));
        QCOMPARE(d.grid().cell(1, 0), QByteArray("conv str"));
        QCOMPARE(d.grid().cell(2, 0), QByteArray("bar code"));
        QCOMPARE(d.grid().cell(0, 1), QByteArray("1"));
        QCOMPARE(d.grid().cell(0, 512), QByteArray("512"));
        QVERIFY(d.grid().cell(1, 1).isEmpty() && d.grid().cell(2, 512).isEmpty());
        QCOMPARE(d.image(), QByteArray(TableImageSize, '\xFF'));
        QCOMPARE(d.fileKind(), 0);
        QVERIFY(!d.imageStale());
    }

    void loneBarcodeMarksEarlierRowsEmptyAndLaterRowsUnused()
    {
        TableDocument d;
        d.setCell(2, 3, "BC3");
        d.setImageStale(true);
        d.Update();
        QVERIFY(!d.imageStale());
        QCOMPARE(record(d, 0), QByteArray(1, '\0') + QByteArray(127, '\xFF'));
        QCOMPARE(record(d, 1), QByteArray(1, '\0') + QByteArray(127, '\xFF'));
        QCOMPARE(record(d, 2), padded("BC3", 128));
        for (int i = 3; i < TableRowCount; ++i)
            QCOMPARE(record(d, i), QByteArray(128, '\xFF'));
    }

    void convStrWithoutBarcodeSitsInUnusedEnd()
    {
        TableDocument d;
        d.setCell(1, 512, "last conv");
        d.Update();
        for (int i = 0; i < TableRowCount; ++i)
            QCOMPARE(quint8(d.image()[i * TableRecordSize]), quint8(0xFF));
        QCOMPARE(record(d, 511), QByteArray(68, '\xFF') + padded("last conv", 60));
    }

    void longTextsAreCutToTheirFields()
    {
        TableDocument d;
        const QByteArray barcode(70, 'b'), conv(65, 'c');
        d.setCell(2, 1, barcode);
        d.setCell(1, 1, conv);
        d.Update();
        QCOMPARE(record(d, 0), barcode.left(68) + conv.left(60));
        QCOMPARE(d.grid().cell(2, 1), barcode);   // the grid keeps the whole text
        d.ImageToGrid();
        QCOMPARE(d.grid().cell(2, 1), barcode.left(68));
        QCOMPARE(d.grid().cell(1, 1), conv.left(60));
    }

    void readField_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("all 0xFF") << QByteArray(8, '\xFF') << QByteArray();
        QTest::newRow("padded") << QByteArray("ab\xFF\xFF\xFF\xFF\xFF\xFF", 8) << QByteArray("ab");
        QTest::newRow("full, no padding") << QByteArray("abcdefgh") << QByteArray("abcdefgh");
        QTest::newRow("inner 0xFF kept") << QByteArray("a\xFF" "b\xFF\xFF\xFF\xFF\xFF", 8) << QByteArray("a\xFF" "b");
        QTest::newRow("empty-entry marker") << QByteArray("\0abc\xFF\xFF\xFF\xFF", 8) << QByteArray();
        QTest::newRow("0x00 ends the text") << QByteArray("ab\0cd\xFF\xFF\xFF", 8) << QByteArray("ab");
        QTest::newRow("0xFF before 0x00 dropped") << QByteArray("ab\xFF\0cdef", 8) << QByteArray("ab");
        QTest::newRow("0x00 at the end") << QByteArray("abcdefg\0", 8) << QByteArray("abcdefg");
    }
    void readField()
    {
        QFETCH(QByteArray, field);
        QFETCH(QByteArray, text);
        QCOMPARE(field.size(), 8);
        QCOMPARE(ReadImageField(field.constData(), 8), text);
    }

    void zeroInsideBinaryFieldNeverReachesCells()
    {
        TableDocument d;
        QByteArray &img = d.image();
        img.replace(0, 6, QByteArray("ab\0cd\0", 6));
        img.replace(68, 4, QByteArray("xy\0z", 4));
        d.ImageToGrid();
        QCOMPARE(d.grid().cell(2, 1), QByteArray("ab"));
        QCOMPARE(d.grid().cell(1, 1), QByteArray("xy"));
    }

    void updateThenImageToGridKeepsTexts()
    {
        TableDocument d;
        auto *rng = QRandomGenerator::global();
        QList<QByteArray> conv(513), bar(513);
        for (int row = 1; row <= 512; ++row) {
            // Texts up to their field, no 0x00 and no trailing 0xFF; some empty barcodes.
            auto text = [&](int maxLen) {
                QByteArray t(rng->bounded(maxLen + 1), Qt::Uninitialized);
                for (char &c : t)
                    c = char(rng->bounded(1, 255));
                return t;
            };
            conv[row] = text(60);
            bar[row] = row % 7 == 0 ? QByteArray() : text(68);
            d.setCell(1, row, conv[row]);
            d.setCell(2, row, bar[row]);
            d.setCell(0, row, "moved");
        }
        d.setCell(2, 512, QByteArray());
        bar[512].clear();
        d.Update();
        const QByteArray image = d.image();
        d.ClearTable();
        d.image() = image;
        d.setImageStale(true);
        d.ImageToGrid();
        QVERIFY(!d.imageStale());
        for (int row = 1; row <= 512; ++row) {
            QCOMPARE(d.grid().cell(0, row), QByteArray::number(row));
            QCOMPARE(d.grid().cell(1, row), conv[row]);
            QCOMPARE(d.grid().cell(2, row), bar[row]);
        }
        d.Update();
        QCOMPARE(d.image(), image);
    }

    void clearTableKeepsHeaderAndNumbers()
    {
        TableDocument d("CONV", "BAR");
        d.setCell(1, 5, "x");
        d.setCell(2, 9, "y");
        d.setCell(0, 9, "1");
        d.Update();
        d.setImageStale(true);
        const char *buffer = d.image().constData();
        d.ClearTable();
        QCOMPARE(d.image().constData(), buffer);   // rewritten in place
        QCOMPARE(d.image(), QByteArray(TableImageSize, '\xFF'));
        QVERIFY(!d.imageStale());
        QCOMPARE(d.grid().cell(1, 0), QByteArray("CONV"));
        QCOMPARE(d.grid().cell(2, 0), QByteArray("BAR"));
        QCOMPARE(d.grid().cell(0, 9), QByteArray("9"));
        QVERIFY(d.grid().cell(1, 5).isEmpty() && d.grid().cell(2, 9).isEmpty());
    }

    void imagePutBackAtAnotherSizeIsRestored()
    {
        TableDocument d;
        d.setCell(2, 512, "last");
        d.image() = QByteArray(10, 'x');
        d.Update();
        QCOMPARE(d.image().size(), TableImageSize);
        QCOMPARE(record(d, 511), padded("last", 128));
        d.image().truncate(100);
        d.ImageToGrid();
        QCOMPARE(d.image().size(), TableImageSize);
        QVERIFY(d.grid().cell(2, 512).isEmpty());
    }

    void otherFieldLengthsMoveTheSplit()
    {
        FieldLengthGuard guard;
        BarcodeFieldLen = 64;
        ConvStrFieldLen = 40;
        TableDocument d;
        d.setCell(2, 1, QByteArray(70, 'b'));
        d.setCell(1, 1, QByteArray(50, 'c'));
        d.Update();
        QCOMPARE(record(d, 0), QByteArray(64, 'b') + QByteArray(40, 'c') + QByteArray(24, '\xFF'));
    }

    void fieldLengthsARecordCannotHoldFallBackToDefaults_data()
    {
        QTest::addColumn<int>("barcode");
        QTest::addColumn<int>("convStr");
        QTest::newRow("sum over 128") << 100 << 100;
        QTest::newRow("zero") << 0 << 60;
        QTest::newRow("negative") << 68 << -5;
    }
    void fieldLengthsARecordCannotHoldFallBackToDefaults()
    {
        QFETCH(int, barcode);
        QFETCH(int, convStr);
        FieldLengthGuard guard;
        QVERIFY(!FieldLengthsFit(barcode, convStr));
        BarcodeFieldLen = barcode;
        ConvStrFieldLen = convStr;
        TableDocument d;
        for (int row = 1; row <= 512; ++row) {
            d.setCell(1, row, QByteArray(200, 'c'));
            d.setCell(2, row, QByteArray(200, 'b'));
        }
        d.Update();
        QCOMPARE(d.image().size(), TableImageSize);
        QCOMPARE(record(d, 511), QByteArray(68, 'b') + QByteArray(60, 'c'));
    }
};

QTEST_GUILESS_MAIN(TestTableImage)
#include "test_table_image.moc"
