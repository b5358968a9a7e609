#include "common/codepage.h"
#include "common/messages.h"
#include "common/zered_error.h"
#include "documents/file_recognition.h"
#include "documents/sheet_xlsx.h"
#include "documents/string_grid.h"
#include "documents/table_document.h"
#include "documents/table_image.h"
#include "documents/zip_reader.h"
#include "log_capture.h"
#include "message_of.h"
#include "test_support.h"
#include "workbook_zip.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString cellText(const StringGrid &grid, int col, int row)
{
    return DecodeCp932(grid.cell(col, row));
}

}   // namespace

class TestSheetXlsx : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("conv");
        QTest::addColumn<QByteArray>("bar");
        QTest::newRow("leading zeros") << QByteArray("JAN") << QByteArray("0049012345678");
        QTest::newRow("68 digits") << QByteArray("long") << QByteArray("0123456789").repeated(6) + "01234567";
        QTest::newRow("Japanese") << QByteArray("\x93\xFA\x96\x7B\x8C\xEA") << QByteArray("\x83\x5C\x95\x5C");
        QTest::newRow("half-width katakana") << QByteArray("\xB1\xDD\xBA") << QByteArray("\xB6\xC5");
        QTest::newRow("quotes and commas") << QByteArray("say \"hi\", 'you'") << QByteArray("\"");
        QTest::newRow("blanks at the ends") << QByteArray("  a b ") << QByteArray(" 1");
        QTest::newRow("what spreadsheets turn into numbers, dates, formulas")
            << QByteArray("=SUM(A1)") << QByteArray("1E5 3/4");
        QTest::newRow("escape-like text stays") << QByteArray("_x0041_ _x005F_") << QByteArray("a_x");
        QTest::newRow("control byte and tab") << QByteArray("a\x01z") << QByteArray("b\tc");
    }
    void roundTrip()
    {
        QFETCH(QByteArray, conv);
        QFETCH(QByteArray, bar);
        StringGrid grid(3, TableRowCount + 1);
        grid.setCell(ConvStrColumn, 2, conv);
        grid.setCell(BarcodeColumn, 2, bar);
        grid.setCell(BarcodeColumn, 7, bar);   // row 7 is the last one written
        const QByteArray workbook = FormatXlsxTable(grid, path("t.xlsx"));
        QVERIFY(IsXlsxWorkbook(workbook));

        StringGrid back(3, TableRowCount + 1);
        for (int row = 1; row <= TableRowCount; ++row)
            back.setCell(ConvStrColumn, row, "old");
        const LoadWarnings warnings = ParseXlsxTable(workbook, back, path("t.xlsx"));
        QCOMPARE(warnings.lines(path("t.xlsx")), QStringList());
        for (int row = 1; row <= 7; ++row)
            for (int col : {ConvStrColumn, BarcodeColumn})
                QCOMPARE(back.cell(col, row), grid.cell(col, row));
        QCOMPARE(back.cell(ConvStrColumn, 8), QByteArray("old"));   // trailing empty rows are not in the file

        // Every cell is a text cell in a text column; the bar code column is as wide as its text.
        QString error;
        const QString sheet = QString::fromUtf8(ZipReader(workbook).read("xl/worksheets/sheet1.xml", 1 << 20, error));
        QVERIFY(error.isEmpty());
        QCOMPARE(sheet.count(QRegularExpression("<c ")), conv.isEmpty() ? 2 : 3);
        QCOMPARE(sheet.count(QRegularExpression("<c [^>]*t=\"s\"")), sheet.count("<c "));
        QVERIFY(!sheet.contains("<row r=\"8\""));
        const QRegularExpressionMatch width =
            QRegularExpression("<col min=\"2\" max=\"2\" width=\"([0-9.]+)\"").match(sheet);
        QVERIFY(width.hasMatch());
        QVERIFY(width.captured(1).toDouble() >= bar.size());
    }

    // Code page 932 as Windows writes it: the NEC-selected rows are written, and
    // come back in the form encoding gives for the same characters.
    void necSelectedRowsAreWritten_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("spreadsheet CSV") << FileKindSheet;
        QTest::newRow("workbook") << FileKindXlsx;
    }
    void necSelectedRowsAreWritten()
    {
        QFETCH(int, kind);
        TableDocument d;
        d.setCell(ConvStrColumn, 1, "\xEE\xE0");   // U+9AD9
        d.setCell(BarcodeColumn, 1, "\xED\x95");   // U+FA11
        d.SaveToFile(path("nec"), kind);
        TableDocument back;
        back.LoadFromFile(path("nec"), kind);
        QCOMPARE(cellText(back.grid(), ConvStrColumn, 1), u"\u9AD9"_qs);
        QCOMPARE(cellText(back.grid(), BarcodeColumn, 1), u"\uFA11"_qs);
        QCOMPARE(back.grid().cell(ConvStrColumn, 1), EncodeCp932(u"\u9AD9"_qs));
    }

    void refusesWhatAWorkbookCannotBringBack_data()
    {
        QTest::addColumn<QByteArray>("cell");
        QTest::addColumn<QString>("message");
        QTest::newRow("line break") << QByteArray("a\r\nb") << QString::fromUtf8(Msg::LineBreakInField);
        QTest::newRow("not Shift-JIS") << QByteArray("\x81") << QString::fromUtf8(Msg::SheetNotShiftJis);
    }
    void refusesWhatAWorkbookCannotBringBack()
    {
        QFETCH(QByteArray, cell);
        QFETCH(QString, message);
        TableDocument d;
        d.setCell(BarcodeColumn, 300, cell);
        QCOMPARE(messageOf([&] { d.SaveToFile(path("refused.xlsx"), FileKindXlsx); }),
                 message.arg(path("refused.xlsx")).arg(300));
        QVERIFY(!QFile::exists(path("refused.xlsx")));
        QCOMPARE(QDir(m_dir.path()).entryList({"*.tmp"}, QDir::Files), QStringList());
    }

    // A workbook as spreadsheets save them: numbers, formulas, inline and rich
    // strings with readings, cells past column B and row 512, a second sheet.
    void readsWhatASpreadsheetWrote()
    {
        const QByteArray strings =
            "<si><r><t>\xE9\xAB\x99</t></r><r><rPr/><t xml:space=\"preserve\">\xE6\xA9\x8B </t></r>"
            "<rPh sb=\"0\" eb=\"1\"><t>\xE3\x81\x9F\xE3\x81\x8B</t></rPh><phoneticPr fontId=\"1\"/></si>"
            "<si><t>extra</t></si><si><t>line_x000D__x000A_break</t></si>";
        const QByteArray rows =
            "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>\xE6\x97\xA5\xE6\x9C\xAC</t></is></c>"
            "<c r=\"B1\"><v>4.9012345678940002E+12</v></c></row>"
            "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>0</v></c><c r=\"B2\" s=\"1\"><v>12345.0</v></c></row>"
            "<row r=\"3\"><c r=\"A3\" t=\"str\"><f>A1&amp;\"x\"</f><v>\xE6\x97\xA5\xE6\x9C\xAC"
            "x</v></c>"
            "<c r=\"B3\"><f>10^68</f><v>1E+68</v></c></row>"
            "<row r=\"4\"><c r=\"A4\" t=\"b\"><v>1</v></c><c r=\"B4\" t=\"e\"><f>NA()</f><v>#N/A</v></c></row>"
            "<row r=\"5\"><c t=\"inlineStr\"><is><t>a</t></is></c><c r=\"D5\" t=\"s\"><v>1</v></c>"
            "<c r=\"E5\" t=\"s\"><v>2</v></c></row>"
            "<row r=\"7\"><c r=\"A7\"><v>0.5</v></c><c r=\"B7\"><v>-3</v></c></row>"
            "<row r=\"600\"><c r=\"B600\" t=\"inlineStr\"><is><t>past</t></is></c></row>";
        QVERIFY(WriteZip(path("made.xlsx"), WorkbookParts(rows, strings, 2)));
        TableDocument d;
        d.setCell(ConvStrColumn, 8, "kept");
        LogCapture log;
        d.LoadFromFile(path("made.xlsx"), FileKindXlsx);
        const QList<std::pair<QString, QString>> expected{{u"\u65E5\u672C"_qs, "4901234567894"},
                                                          {u"\u9AD9\u6A4B "_qs, "12345"},
                                                          {u"\u65E5\u672Cx"_qs, "1" + QString(68, u'0')},
                                                          {"TRUE", "#N/A"},
                                                          {"a", ""},
                                                          {"", ""},
                                                          {"0.5", "-3"},
                                                          {"kept", ""}};
        for (int row = 1; row <= 8; ++row) {
            QCOMPARE(cellText(d.grid(), ConvStrColumn, row), expected[row - 1].first);
            QCOMPARE(cellText(d.grid(), BarcodeColumn, row), expected[row - 1].second);
        }
        const QString name = "'" + path("made.xlsx") + "': ";
        QCOMPARE(
            log.messages().mid(1),
            (QStringList{name + "only the first sheet, 'S1', was read; 1 more sheet(s) left out",
                         name + "2 line(s) lost text; line 5: ',extra,line\u240D\u240Abreak' left out",
                         name + "a bar code stored as a number may have lost leading zeros: 4 row(s), rows 1, 2, 3, 7",
                         name + "3 cell(s) hold a formula, read as the value it last gave: rows 3, 4"}));
        QCOMPARE(d.fileKind(), FileKindXlsx);
    }

    void refusesCellsATableCannotHold_data()
    {
        QTest::addColumn<QByteArray>("rows");
        QTest::addColumn<QString>("message");
        QTest::newRow("line break in column A")
            << QByteArray("<row r=\"3\"><c r=\"A3\" t=\"inlineStr\"><is><t>a\nb</t></is></c></row>")
            << QString::fromUtf8(Msg::SheetBreakInField).arg("BAD").arg(3).arg(1);
        QTest::newRow("Hangul in column B")
            << QByteArray("<row r=\"2\"><c r=\"B2\" t=\"inlineStr\"><is><t>x\xED\x95\x9C</t></is></c></row>")
            << QString::fromUtf8(Msg::SheetCannotHold).arg("BAD").arg(2).arg(2).arg(u"\uD55C"_qs, "D55C");
        QTest::newRow("no such shared string")
            << QByteArray("<row><c t=\"s\"><v>7</v></c></row>")
            << QString::fromUtf8(Msg::XlsxDamaged).arg("BAD", "xl/worksheets/sheet1.xml, line 1: no shared string 7");
        QTest::newRow("no such cell")
            << QByteArray("<row><c r=\"1A\"/></row>")
            << QString::fromUtf8(Msg::XlsxDamaged).arg("BAD", "xl/worksheets/sheet1.xml, line 1: no cell 1A");
        QTest::newRow("broken XML") << QByteArray("<row><c>")
                                    << QString::fromUtf8(Msg::XlsxDamaged)
                                           .arg("BAD",
                                                "xl/worksheets/sheet1.xml, line 1: Opening and ending tag mismatch.");
    }
    void refusesCellsATableCannotHold()
    {
        QFETCH(QByteArray, rows);
        QFETCH(QString, message);
        QVERIFY(WriteZip(path("bad.xlsx"), WorkbookParts(rows, QByteArray())));
        TableDocument d;
        d.setCell(ConvStrColumn, 1, "before");
        const QString error = messageOf([&] { d.LoadFromFile(path("bad.xlsx"), FileKindXlsx); });
        QVERIFY2(error.startsWith(message.replace("BAD", path("bad.xlsx"))), qPrintable(error));
        QCOMPARE(d.grid().cell(ConvStrColumn, 1), QByteArray("before"));
        QVERIFY(d.fileName().isEmpty());
    }

    void recognisesWorkbooksByContent_data()
    {
        QTest::addColumn<Parts>("parts");
        QTest::addColumn<int>("kind");
        QTest::newRow("workbook") << WorkbookParts(QByteArray(), QByteArray()) << FileKindXlsx;
        QTest::newRow("zip without a workbook") << Parts{{"word/document.xml", "<w/>"}} << FileKindOwn;
    }
    void recognisesWorkbooksByContent()
    {
        QFETCH(Parts, parts);
        QFETCH(int, kind);
        QVERIFY(WriteZip(path("table.csv"), parts));
        LogCapture log;
        QCOMPARE(RecogniseLoadKind(path("table.csv")), kind);
        QCOMPARE(log.messages(), kind == FileKindXlsx
                                     ? QStringList{"'" + path("table.csv") + "' is an Excel workbook; read as xlsx"}
                                     : QStringList());
        QFile::remove(path("table.csv"));
    }

    void damagedArchivesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no zip") << QByteArray("PK\x03\x04 not really") << "no zip archive";
        StringGrid grid(3, TableRowCount + 1);
        grid.setCell(ConvStrColumn, 1, "a");
        const QByteArray workbook = FormatXlsxTable(grid, path("w.xlsx"));
        // A flipped byte in the sheet's packed data fails its inflation or its checksum.
        const qsizetype header = workbook.indexOf("xl/worksheets/sheet1.xml") - 30;   // its local header
        auto field = [&](int offset) {
            return uchar(workbook[header + offset]) | uchar(workbook[header + offset + 1]) << 8;
        };
        QByteArray flipped = workbook;
        flipped[header + 30 + field(26) + field(28) + 5] ^= 0x55;
        QTest::newRow("damaged part") << flipped << "is damaged";
        QTest::newRow("cut short") << workbook.left(workbook.size() / 2) << "no zip archive";
    }
    void damagedArchivesAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        StringGrid grid(3, TableRowCount + 1);
        const QString error = messageOf([&] { ParseXlsxTable(bytes, grid, "w.xlsx"); });
        QVERIFY2(error.startsWith("cannot load 'w.xlsx': it is no Excel workbook or a damaged one (")
                     && error.contains(reason),
                 qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestSheetXlsx)
#include "test_sheet_xlsx.moc"
