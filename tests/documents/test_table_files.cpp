#include "common/messages.h"
#include "common/zered_error.h"
#include "common/zered_log.h"
#include "documents/file_recognition.h"
#include "documents/table_document.h"
#include "documents/table_files.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using Lines = QList<QByteArray>;

namespace {

struct LogCapture : zered::LogTarget
{
    QStringList lines;
    QList<int> colours;
    LogCapture() { zered::LogAttach(this); }
    ~LogCapture() override { zered::LogAttach(nullptr); }
    void appendLine(const QString &, const QString &m, int c, bool) override
    {
        lines.append(m);
        colours.append(c);
    }
    int backgroundColour() const override { return zered::clWhite; }
};

void writeFile(const QString &name, const QByteArray &bytes)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}


// The error message of call, or an empty text when it went through.
template <typename F>
QString errorOf(F call)
{
    try {
        call();
    } catch (const OstrelError &e) {
        return e.message();
    }
    return QString();
}

QByteArray randomBytes(int size, int low = 0, int high = 256)
{
    QByteArray b(size, Qt::Uninitialized);
    for (char &c : b)
        c = char(QRandomGenerator::global()->bounded(low, high));
    return b;
}

// The whole grid and image, to check that a failed operation changed nothing.
struct Snapshot
{
    QList<QByteArray> cells;
    QByteArray image;
    int fileKind;
    bool stale;
    explicit Snapshot(const TableDocument &d)
        : image(d.image()), fileKind(d.fileKind()), stale(d.imageStale())
    {
        for (int row = 0; row < d.grid().rowCount(); ++row)
            for (int col = 0; col < 3; ++col)
                cells.append(d.grid().cell(col, row));
    }
    bool operator==(const Snapshot &) const = default;
};

void fillSample(TableDocument &d)
{
    for (int row = 1; row <= 512; ++row) {
        d.setCell(1, row, "conv " + QByteArray::number(row));
        d.setCell(2, row, "BAR" + QByteArray::number(row));
    }
    d.setCell(0, 10, "77");   // a number that travelled with a moved row
}

// Limits the size of files this process writes, as a full disk would.
struct FileSizeLimit
{
    rlimit old{};
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit lim = old;
        lim.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old); }
};

// Takes away root's right to write anywhere for a while (nothing to do for a user).
struct Unprivileged
{
    const bool wasRoot = geteuid() == 0;
    Unprivileged()
    {
        if (wasRoot && (setegid(65534) != 0 || seteuid(65534) != 0))
            qFatal("cannot drop privileges");
    }
    ~Unprivileged()
    {
        if (wasRoot && (seteuid(0) != 0 || setegid(0) != 0))
            qFatal("cannot take privileges back");
    }
};

} // namespace

class TestTableFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void splitTextLines_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<Lines>("lines");
        QTest::newRow("empty") << QByteArray() << Lines{};
        QTest::newRow("no line end") << QByteArray("a,b") << Lines{"a,b"};
        QTest::newRow("CR LF, last ended") << QByteArray("a\r\nb\r\n") << Lines{"a", "b"};
        QTest::newRow("lone CR and LF") << QByteArray("a\rb\nc") << Lines{"a", "b", "c"};
        QTest::newRow("LF CR is two ends") << QByteArray("a\n\rb") << Lines{"a", "", "b"};
        QTest::newRow("CR LF only") << QByteArray("\r\n") << Lines{""};
        QTest::newRow("blank lines kept") << QByteArray("\r\n\r\nx") << Lines{"", "", "x"};
        QTest::newRow("NUL first") << QByteArray("\0a\r\n", 4) << Lines{};
        QTest::newRow("NUL ends text") << QByteArray("ab\0c\r\nd", 7) << Lines{"ab"};
        QTest::newRow("trailing CR") << QByteArray("a\r") << Lines{"a"};
    }
    void splitTextLines()
    {
        QFETCH(QByteArray, text);
        QFETCH(Lines, lines);
        QCOMPARE(SplitTextLines(text), lines);
    }

    void parseCommaLine_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<char>("separator");
        QTest::addColumn<Lines>("fields");
        const char c = ',';
        QTest::newRow("two texts") << QByteArray("abc,def") << c << Lines{"abc", "def"};
        QTest::newRow("leading comma") << QByteArray(",def") << c << Lines{"", "def"};
        QTest::newRow("trailing comma") << QByteArray("abc,") << c << Lines{"abc", ""};
        QTest::newRow("lone comma") << QByteArray(",") << c << Lines{"", ""};
        QTest::newRow("space splits") << QByteArray("abc def") << c << Lines{"abc", "def"};
        QTest::newRow("blanks dropped") << QByteArray(" \t abc  ,  def \t") << c << Lines{"abc", "def"};
        QTest::newRow("quoted keeps blanks, commas, doubled quote")
            << QByteArray("\" a, b\"\"c \",x") << c << Lines{" a, b\"c ", "x"};
        QTest::newRow("text after closing quote") << QByteArray("\"ab\"cd") << c << Lines{"ab", "cd"};
        QTest::newRow("empty line") << QByteArray() << c << Lines{};
        QTest::newRow("blanks only") << QByteArray(" \t\x01 ") << c << Lines{};
        QTest::newRow("unbalanced quote runs to end") << QByteArray("\"abc, def") << c << Lines{"abc, def"};
        QTest::newRow("empty quoted") << QByteArray("\"\",b") << c << Lines{"", "b"};
        QTest::newRow("two commas") << QByteArray("a,,b") << c << Lines{"a", "", "b"};
        QTest::newRow("three fields") << QByteArray("a,b,c") << c << Lines{"a", "b", "c"};
        QTest::newRow("comma then blanks") << QByteArray("a, ") << c << Lines{"a"};
        QTest::newRow("apostrophe is plain") << QByteArray("it's,x") << c << Lines{"it's", "x"};
        QTest::newRow("double-byte 0x5C, 0x40") << QByteArray("\x83\x5C\x95\x5C,\x81\x40\x82\xA0")
                                                << c << Lines{"\x83\x5C\x95\x5C", "\x81\x40\x82\xA0"};
        QTest::newRow("double-byte in quotes") << QByteArray("\"\x95\x5C \x83\x41\",b") << c
                                               << Lines{"\x95\x5C \x83\x41", "b"};
        QTest::newRow("lone lead before comma") << QByteArray("a\x81,b") << c << Lines{"a\x81", "b"};
        QTest::newRow("lone lead before quote") << QByteArray("\"a\x81\",b") << c << Lines{"a\x81", "b"};
        QTest::newRow("half-width kana single") << QByteArray("\xB1,\xDD") << c << Lines{"\xB1", "\xDD"};
        QTest::newRow("tab dialect") << QByteArray("a\tb") << '\t' << Lines{"a", "b"};
        QTest::newRow("tab dialect skips empty cells") << QByteArray("\ta\t\tb\t") << '\t' << Lines{"a", "b"};
        QTest::newRow("tab dialect quoted") << QByteArray("\"a b\"\tc,d") << '\t' << Lines{"a b", "c,d"};
    }
    void parseCommaLine()
    {
        QFETCH(QByteArray, line);
        QFETCH(char, separator);
        QFETCH(Lines, fields);
        QCOMPARE(ParseCommaLine(line, separator), fields);
    }

    // Past the kept fields the rest comes back as one, comma-joined and cut,
    // as a warning quotes it: a line of millions of fields costs only its bytes.
    void keptFieldsJoinTheRest_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<Lines>("fields");
        QTest::newRow("two fields") << QByteArray("a,b") << Lines{"a", "b"};
        QTest::newRow("rest joined") << QByteArray("a,b,c d,\"e,f\"") << Lines{"a", "b", "c,d,e,f"};
        QTest::newRow("empty rest stays empty") << QByteArray("a,b,,") << Lines{"a", "b", ""};
        QTest::newRow("empty field in the rest") << QByteArray("a b,,x") << Lines{"a", "b", ",x"};
        QTest::newRow("rest cut") << "a,b," + QByteArray(300, 'x') + ",y" << Lines{"a", "b", QByteArray(256, 'x')};
        QTest::newRow("millions of fields")
            << "a,b," + QByteArray("x,").repeated(2000000) << Lines{"a", "b", QByteArray("x,").repeated(128)};
    }
    void keptFieldsJoinTheRest()
    {
        QFETCH(QByteArray, line);
        QFETCH(Lines, fields);
        QCOMPARE(ParseCommaLine(line, ',', nullptr, 2), fields);
    }

    void quoteField_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("plain") << QByteArray("abc") << QByteArray("abc");
        QTest::newRow("space") << QByteArray("a b") << QByteArray("\"a b\"");
        QTest::newRow("quote doubled") << QByteArray("a\"b") << QByteArray("\"a\"\"b\"");
        QTest::newRow("apostrophe") << QByteArray("it's") << QByteArray("\"it's\"");
        QTest::newRow("comma") << QByteArray("a,b") << QByteArray("\"a,b\"");
        QTest::newRow("tab") << QByteArray("a\tb") << QByteArray("\"a\tb\"");
        QTest::newRow("control byte") << QByteArray("\x01") << QByteArray("\"\x01\"");
        QTest::newRow("double-byte plain") << QByteArray("\x83\x5C") << QByteArray("\x83\x5C");
    }
    void quoteField()
    {
        QFETCH(QByteArray, field);
        QFETCH(QByteArray, written);
        QCOMPARE(QuoteField(field), written);
    }

    void emptyTableIs512CommaLines()
    {
        TableDocument d;
        LogCapture log;
        d.SaveToFile(path("empty.csv"), 1);
        QByteArray expected;
        for (int i = 0; i < 512; ++i)
            expected += ",\r\n";
        QCOMPARE(expected.size(), 1536);
        QCOMPARE(FileBytes(path("empty.csv")), expected);
        QCOMPARE(log.lines.size(), 1);
        QVERIFY(log.lines[0].startsWith("save to '" + path("empty.csv") + "'; "));
        QVERIFY(log.lines[0].endsWith("msec"));
        QCOMPARE(log.colours[0], zered::clBlack);
    }

    void textRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("conv");
        QTest::addColumn<QByteArray>("bar");
        QTest::newRow("plain") << QByteArray("abc") << QByteArray("123");
        QTest::newRow("quotes") << QByteArray("\"q\"") << QByteArray("a\"\"b");
        QTest::newRow("apostrophes") << QByteArray("'x'") << QByteArray("it's");
        QTest::newRow("commas") << QByteArray(",") << QByteArray("a,b,");
        QTest::newRow("leading and trailing spaces") << QByteArray("  a ") << QByteArray(" ");
        QTest::newRow("tabs and control bytes") << QByteArray("a\tb") << QByteArray("\x01x\x1F");
        QTest::newRow("empty conv") << QByteArray() << QByteArray("b");
        QTest::newRow("empty bar") << QByteArray("c") << QByteArray();
        QTest::newRow("double-byte") << QByteArray("\x95\x5C\x8E\xA6") << QByteArray("\x83\x5C,\x81\x40");
        QTest::newRow("lone lead bytes at the ends") << QByteArray("x\x81") << QByteArray("\"\x9F");
        QTest::newRow("0xFF and 0x7F") << QByteArray("\xFF\x7F") << QByteArray("\x80\xFD");
    }
    void textRoundTrip()
    {
        QFETCH(QByteArray, conv);
        QFETCH(QByteArray, bar);
        TableDocument saved;
        saved.setCell(1, 2, conv);
        saved.setCell(2, 2, bar);
        saved.setCell(1, 512, conv);
        saved.setCell(2, 512, bar);
        saved.SaveToFile(path("rt.csv"), 1);
        TableDocument loaded;
        loaded.LoadFromFile(path("rt.csv"), -1);
        for (int row : {2, 512}) {
            QCOMPARE(loaded.grid().cell(1, row), conv);
            QCOMPARE(loaded.grid().cell(2, row), bar);
        }
        QVERIFY(loaded.grid().cell(1, 1).isEmpty() && loaded.grid().cell(2, 3).isEmpty());
    }

    void randomTextRoundTrip()
    {
        // Any bytes but CR, LF and 0x00 come back exactly.
        for (int round = 0; round < 20; ++round) {
            TableDocument saved;
            for (int row = 1; row <= 512; ++row)
                for (int col : {1, 2}) {
                    QByteArray t = randomBytes(QRandomGenerator::global()->bounded(0, 80), 1, 256);
                    t.replace('\r', 'r').replace('\n', 'n');
                    saved.setCell(col, row, t);
                }
            saved.SaveToFile(path("random.csv"), 1);
            TableDocument loaded;
            loaded.LoadFromFile(path("random.csv"), -1);
            for (int row = 1; row <= 512; ++row)
                for (int col : {1, 2})
                    QCOMPARE(loaded.grid().cell(col, row), saved.grid().cell(col, row));
        }
    }

    void textLoad_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("lastRow");   // last row the file fills
        QTest::addColumn<QByteArray>("conv1");
        QTest::addColumn<QByteArray>("bar1");
        QTest::addColumn<QString>("warning");   // after "'<file>': "
        QByteArray lines600;
        for (int i = 1; i <= 600; ++i)
            lines600 += "c" + QByteArray::number(i) + ",b" + QByteArray::number(i) + "\r\n";
        QTest::newRow("3 lines") << QByteArray("a,b\r\nc,d\ne,f") << 3 << QByteArray("a") << QByteArray("b") << "";
        QTest::newRow("600 lines") << lines600 + ",\r\n\r\n" << 512 << QByteArray("c1") << QByteArray("b1")
                                   << "88 line(s) lost text; line 513: 'c513,b513' left out";
        QTest::newRow("single field") << QByteArray("only\r\n") << 1 << QByteArray("only") << QByteArray() << "";
        QTest::newRow("three fields") << QByteArray("a,b,\r\nLINE-A 500ml,4901234567894,x\r\na,b,\x83\x41") << 3
                                      << QByteArray("a") << QByteArray("b")
                                      << u"2 line(s) lost text; line 2: '4901234567894,x' left out"_qs;
        QTest::newRow("CR LF only") << QByteArray("\r\n") << 1 << QByteArray() << QByteArray() << "";
        QTest::newRow("NUL after first line")
            << QByteArray("x,y\r\n\0z,w\r\n", 11) << 1 << QByteArray("x") << QByteArray("y")
            << "a 0x00 byte in line 2 ends the text; 'z,w' and all after it left out";
    }
    void textLoad()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, lastRow);
        QFETCH(QByteArray, conv1);
        QFETCH(QByteArray, bar1);
        QFETCH(QString, warning);
        writeFile(path("in.csv"), file);
        TableDocument d;
        fillSample(d);
        d.setCell(0, 1, "99");
        LogCapture log;
        d.LoadFromFile(path("in.csv"), -1);
        QCOMPARE(d.grid().cell(0, 1), QByteArray("1"));
        QCOMPARE(d.grid().cell(1, 1), conv1);
        QCOMPARE(d.grid().cell(2, 1), bar1);
        QCOMPARE(d.grid().cell(1, lastRow).isEmpty(), lastRow == 1 && conv1.isEmpty());
        if (lastRow == 512)
            QCOMPARE(d.grid().cell(2, 512), QByteArray("b512"));
        if (lastRow < 512) {
            // Rows the file does not reach keep what they held.
            QCOMPARE(d.grid().cell(1, lastRow + 1), "conv " + QByteArray::number(lastRow + 1));
            QCOMPARE(d.grid().cell(0, 10), lastRow >= 10 ? QByteArray("10") : QByteArray("77"));
        }
        QVERIFY(d.imageStale());
        QCOMPARE(d.image(), QByteArray(TableImageSize, '\xFF'));   // the image waits for Update
        QCOMPARE(d.fileKind(), -1);
        QCOMPARE(log.lines.size(), warning.isEmpty() ? 1 : 2);
        QVERIFY(log.lines[0].startsWith("load from '" + path("in.csv") + "'; "));
        if (!warning.isEmpty()) {
            QCOMPARE(log.lines[1], "'" + path("in.csv") + "': " + warning);
            QCOMPARE(log.colours[1], zered::clWarning);
        }
    }

    // Whatever a load leaves out or reads otherwise than the file has it is
    // named in a warning, quoting at most 60 characters of it.
    void loadWarnings_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("format");
        QTest::addColumn<QStringList>("warnings");   // after "'<file>': "
        QByteArray nulAfterTable;
        for (int i = 1; i <= 512; ++i)
            nulAfterTable += "c,b\r\n";
        nulAfterTable += QByteArray("\0x,y", 4);
        QTest::newRow("0x00 inside line 3")
            << QByteArray("a,b\r\nc,d\r\ne\0f\0gh\r\ni,j", 21) << -1
            << QStringList{"a 0x00 byte in line 3 ends the text; 'f\u2400gh' and all after it left out"};
        QTest::newRow("0x00 past the table: nothing of it lost") << nulAfterTable << -1 << QStringList{};
        QTest::newRow("quote never closed")
            << QByteArray("a,\"b c\r\nd,e\r\n\"x") << -1
            << QStringList{"2 line(s) open a quote that never closes, so the field runs to "
                           "the end; line 1: 'a,\"b c'"};
        QTest::newRow("lost text quoted to 60 characters")
            << "a,b," + QByteArray(100, 'x') << -1
            << QStringList{"1 line(s) lost text; line 1: '" + QString(59, u'x') + u"\u2026' left out"_qs};
        QTest::newRow("double-byte lost text cut by characters")
            << "a,b," + QByteArray(70, 'x').replace("x", "\x93\xFA") << -1
            << QStringList{"1 line(s) lost text; line 1: '" + QString(59, u'\u65E5') + u"\u2026' left out"_qs};
        QTest::newRow("control bytes made visible")
            << QByteArray("a,b,\"\x01\tz\"") << -1
            << QStringList{u"1 line(s) lost text; line 1: '\u2401\u2409z' left out"_qs};
        QTest::newRow("sheet: quote never closed") << QByteArray("a,b\r\nc,\"d, e") << FileKindSheet
                                                   << QStringList{"1 line(s) open a quote that never closes, so the "
                                                                  "field runs to the end; line 2: 'd, e'"};
        QTest::newRow("sheet: UTF-8 quote never closed")
            << QByteArray("a,\"\xE6\x97\xA5") << FileKindSheet
            << QStringList{u"1 line(s) open a quote that never closes, so "
                           "the field runs to the end; line 1: '\u65E5'"_qs};
        QTest::newRow("clean file") << QByteArray("a,\"b \"\"c\"\"\"\r\n") << -1 << QStringList{};
    }
    void loadWarnings()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, format);
        QFETCH(QStringList, warnings);
        writeFile(path("w.csv"), file);
        TableDocument d;
        LogCapture log;
        d.LoadFromFile(path("w.csv"), format);
        QVERIFY(log.lines.value(0).startsWith("load from '"));
        QStringList expected;
        for (const QString &w : warnings)
            expected.append("'" + path("w.csv") + "': " + w);
        QCOMPARE(log.lines.mid(1), expected);
        QCOMPARE(log.colours.mid(1), QList<int>(expected.size(), zered::clWarning));
    }

    void sheetLoad_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("conv1");
        QTest::addColumn<QByteArray>("bar1");
        QTest::addColumn<QByteArray>("bar2");
        const QByteArray nihon = "\x93\xFA\x96\x7B";   // Shift-JIS of the two characters below
        QTest::newRow("blanks stay, comma splits") << QByteArray("LINE-A 500ml,4901234567894\r\n") << QByteArray("LINE-A 500ml")
                                                   << QByteArray("4901234567894") << QByteArray("BAR2");
        QTest::newRow("quoted comma, doubled quote, LF ends")
            << QByteArray("\"a,\"\"b\"\"\",\" x \"\n,y") << QByteArray("a,\"b\"") << QByteArray(" x ") << QByteArray("y");
        QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF\xE6\x97\xA5\xE6\x9C\xAC,1\r\n") << nihon << QByteArray("1")
                                        << QByteArray("BAR2");
        QTest::newRow("UTF-8 without BOM") << QByteArray("\xE6\x97\xA5\xE6\x9C\xAC,\"\xE6\x97\xA5\"") << nihon
                                           << QByteArray("\x93\xFA") << QByteArray("BAR2");
        QTest::newRow("Shift-JIS kept as bytes") << "\"" + nihon + ",\"\r\n\x83\x5C,2" << nihon + "," << QByteArray()
                                                 << QByteArray("2");
        QTest::newRow("wave dash as the full-width tilde") << QByteArray("1\xE3\x80\x9C" "2,b") << QByteArray("1\x81\x60" "2")
                                                          << QByteArray("b") << QByteArray("BAR2");
        QTest::newRow("empty record") << QByteArray("\r\n,b") << QByteArray() << QByteArray() << QByteArray("b");
    }
    void sheetLoad()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, conv1);
        QFETCH(QByteArray, bar1);
        QFETCH(QByteArray, bar2);
        writeFile(path("in.csv"), file);
        TableDocument d;
        fillSample(d);
        d.LoadFromFile(path("in.csv"), FileKindSheet);
        QCOMPARE(d.grid().cell(1, 1), conv1);
        QCOMPARE(d.grid().cell(2, 1), bar1);
        QCOMPARE(d.grid().cell(2, 2), bar2);
        QCOMPARE(d.grid().cell(1, 3), QByteArray("conv 3"));
        QCOMPARE(d.fileKind(), FileKindSheet);
    }

    void sheetRoundTrip()
    {
        TableDocument d;
        const QList<QByteArray> texts{"a,b", "say \"hi\"", " lead", "\x93\xFA\x96\x7B", "it's", "\x83\x5C\t"};
        for (int i = 0; i < texts.size(); ++i) {
            d.setCell(1, i + 1, texts[i]);
            d.setCell(2, i + 2, texts[i]);
        }
        d.SaveToFile(path("sheet.csv"), FileKindSheet);
        const QByteArray bytes = FileBytes(path("sheet.csv"));
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF\"a,b\",\r\n\"say \"\"hi\"\"\",\"a,b\"\r\n"));
        QVERIFY(bytes.contains("\xE6\x97\xA5\xE6\x9C\xAC"));   // UTF-8 in the file
        QCOMPARE(bytes.count("\r\n"), 512);
        TableDocument back;
        LogCapture log;
        back.LoadFromFile(path("sheet.csv"), FileKindSheet);
        for (int row = 1; row <= 512; ++row)
            for (int col : {1, 2})
                QCOMPARE(back.grid().cell(col, row), d.grid().cell(col, row));
        QCOMPARE(log.lines.size(), 1);   // no warning: nothing left out
        d.setCell(2, 300, "\x81");   // not Shift-JIS: the file could not bring it back
        QCOMPARE(errorOf([&] { d.SaveToFile(path("sheet.csv"), FileKindSheet); }),
                 QString::fromUtf8(Msg::SheetNotShiftJis).arg(path("sheet.csv")).arg(300));
        QCOMPARE(FileBytes(path("sheet.csv")), bytes);
    }

    void recognisesKind_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("kind");
        QByteArray image(TableImageSize, '\xFF');
        image[128] = '\0';
        const QByteArray noNul(TableImageSize, 'a');
        QTest::newRow("image with 0x00, any name") << "t.csv" << image << FileKindBinary;
        QTest::newRow("image without 0x00 named .BIN") << "t.BIN" << noNul << FileKindBinary;
        QTest::newRow("image without 0x00 named .dat") << "t.dat" << noNul << FileKindBinary;
        QTest::newRow("64 KiB text, no 0x00, .csv") << "t.csv" << noNul << -1;
        QTest::newRow("one byte short, .bin") << "t.bin" << image.left(TableImageSize - 1) << -1;
        QTest::newRow("one byte long") << "t.bin" << image + 'x' << -1;
        QTest::newRow("UTF-8 BOM") << "t.csv" << QByteArray("\xEF\xBB\xBF" "a,b") << FileKindSheet;
        QTest::newRow("UTF-8 without BOM") << "t.csv" << QByteArray("a,\xE6\x97\xA5\r\n") << FileKindSheet;
        QTest::newRow("UTF-8 past 1 MiB of ASCII")
            << "t.csv" << QByteArray((1 << 20) - 1, 'a') + "\xE6\x97\xA5" << FileKindSheet;
        QTest::newRow("Shift-JIS") << "t.csv" << QByteArray("a,\x93\xFA\x96\x7B\r\n") << -1;
        QTest::newRow("UTF-8 after a 0x00 ends the text") << "t.csv" << QByteArray("a,b\0\xE6\x97\xA5", 7) << -1;
        QTest::newRow("Latin-1") << "t.txt" << QByteArray("caf\xE9,1") << -1;
        QTest::newRow("text") << "t.txt" << QByteArray("a,b") << -1;
        QTest::newRow("missing") << "" << QByteArray() << -1;
    }
    void recognisesKind()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(int, kind);
        const QString file = path(name.isEmpty() ? u"nothing-here"_qs : name);
        if (!name.isEmpty())
            writeFile(file, bytes);
        LogCapture log;
        QCOMPARE(RecogniseLoadKind(file), kind);
        QCOMPARE(log.lines.size(), kind == -1 ? 0 : 1);
        QFile::remove(file);
    }

    void failedLoadsChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("message");
        QTest::newRow("text 0 bytes") << QByteArray() << -1 << Msg::CsvEmpty;
        QTest::newRow("text NUL first") << QByteArray("\0a,b\r\n", 6) << 1 << Msg::CsvEmpty;
        QTest::newRow("binary 0 bytes") << QByteArray() << 2 << Msg::SizeMismatched;
        QTest::newRow("binary 65,535 bytes") << QByteArray(65535, 'x') << 2 << Msg::SizeMismatched;
        QTest::newRow("sheet 0 bytes") << QByteArray() << FileKindSheet << Msg::CsvEmpty;
        QTest::newRow("sheet line break in field") << QByteArray("a,b\r\nc,\"d\r\ne\"") << FileKindSheet
                                                   << QString::fromUtf8(Msg::SheetBreakInField).arg("BAD").arg(2).arg(2);
        QTest::newRow("sheet character Shift-JIS cannot hold")
            << QByteArray("\xEF\xBB\xBF" "a,b\r\nc,\r\n,x\xED\x95\x9C") << FileKindSheet
            << QString::fromUtf8(Msg::SheetCannotHold).arg("BAD").arg(3).arg(2).arg(u"\uD55C"_qs, "D55C");
        QTest::newRow("sheet UTF-16") << QByteArray("\xFF\xFE" "a\0,\0", 6) << FileKindSheet
                                      << QString::fromUtf8(Msg::SheetNulByte).arg("BAD");
    }
    void failedLoadsChangeNothing()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, format);
        QFETCH(QString, message);
        writeFile(path("bad"), file);
        TableDocument d;
        fillSample(d);
        d.Update();
        d.setCell(1, 1, "edited");
        d.setImageStale(true);
        const Snapshot before(d);
        LogCapture log;
        QCOMPARE(errorOf([&] { d.LoadFromFile(path("bad"), format); }), QString(message).replace("BAD", path("bad")));
        QVERIFY(Snapshot(d) == before);
        QVERIFY(log.lines.isEmpty());
    }

    void fileLayerErrorsNameTheFile_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("text") << 1;
        QTest::newRow("binary") << 2;
    }
    void fileLayerErrorsNameTheFile()
    {
        QFETCH(int, format);
        TableDocument d;
        const Snapshot before(d);
        const QString missing = path("no such file");
        QCOMPARE(errorOf([&] { d.LoadFromFile(missing, format); }),
                 QString::fromUtf8(Msg::CannotOpenFile).arg(missing, "No such file or directory"));
        QCOMPARE(errorOf([&] { d.LoadFromFile(m_dir.path(), format); }),
                 QString::fromUtf8(Msg::NotAFile).arg(m_dir.path()));
        QCOMPARE(errorOf([&] { d.SaveToFile(m_dir.path(), format); }),
                 QString::fromUtf8(Msg::NotAFile).arg(m_dir.path()));
        QVERIFY(Snapshot(d) == before);
        if (geteuid() == 0)
            QSKIP("root reads files without read permission");
        writeFile(path("locked"), "a,b\r\n");
        QFile::setPermissions(path("locked"), QFileDevice::WriteOwner);
        QVERIFY(errorOf([&] { d.LoadFromFile(path("locked"), format); })
                    .startsWith("cannot open '" + path("locked") + "': "));
        QVERIFY(Snapshot(d) == before);
    }

    // Only regular files are read: a pipe would wait for a writer forever.
    void nonFilesAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format");
        QTest::newRow("pipe, text") << u"fifo"_qs << -1;
        QTest::newRow("pipe, binary") << u"fifo"_qs << 2;
        QTest::newRow("/dev/zero, text") << u"/dev/zero"_qs << -1;
        QTest::newRow("/dev/null, binary") << u"/dev/null"_qs << 2;
    }
    void nonFilesAreRefused()
    {
        QFETCH(QString, name);
        QFETCH(int, format);
        const QString file = name.startsWith(u'/') ? name : path(name);
        if (!name.startsWith(u'/') && !QFileInfo::exists(file))
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        TableDocument d;
        const Snapshot before(d);
        QCOMPARE(errorOf([&] { d.LoadFromFile(file, format); }), QString::fromUtf8(Msg::NotARegularFile).arg(file));
        QVERIFY(Snapshot(d) == before);
    }

    // A text file is read up to the end of its 513th line, however long it
    // goes on; one with no such end in its first 16 MiB is refused.
    void textReadStopsAfterTheTable()
    {
        QByteArray head;
        for (int row = 1; row <= 513; ++row)
            head += "c" + QByteArray::number(row) + ",b\r\n";
        writeFile(path("long.csv"), head + QByteArray(3 * 1024 * 1024, 'x'));
        const QByteArray read = ReadTextFile(path("long.csv"));
        QVERIFY(read.startsWith(head));
        QVERIFY(read.size() < head.size() + (1 << 16) + 1);
        TableDocument d;
        d.LoadFromFile(path("long.csv"), -1);
        QCOMPARE(d.grid().cell(1, 512), QByteArray("c512"));

        writeFile(path("one line.csv"), QByteArray(MaxTextFileBytes + 1, 'y'));
        QCOMPARE(errorOf([&] { ReadTextFile(path("one line.csv")); }),
                 QString::fromUtf8(Msg::TextFileTooLong).arg(path("one line.csv")).arg(MaxTextFileBytes).arg(513));
        QFile::remove(path("one line.csv"));
    }

    void binaryLongFileLoadsItsHead()
    {
        QByteArray file = randomBytes(70000);
        TableDocument expected;
        expected.image() = file.left(TableImageSize);
        expected.ImageToGrid();
        writeFile(path("long.bin"), file);
        TableDocument d;
        fillSample(d);
        d.setImageStale(true);
        LogCapture log;
        d.LoadFromFile(path("long.bin"), 2);
        QCOMPARE(d.image(), file.left(TableImageSize));
        QVERIFY(!d.imageStale());
        QVERIFY(Snapshot(d).cells == Snapshot(expected).cells);
        QCOMPARE(d.grid().cell(0, 10), QByteArray("10"));
        QCOMPARE(log.lines,
                 QStringList{QString::fromUtf8(Msg::ImageLongerThanTable).arg(path("long.bin")).arg(70000).arg(4464)});
        QCOMPARE(log.colours, QList<int>{zered::clWarning});
    }

    void binaryResaveIsIdentical()
    {
        TableDocument source;
        fillSample(source);
        source.setCell(2, 5, QByteArray());   // empty entry inside
        source.setCell(2, 400, QByteArray(68, 'z'));
        for (int row = 401; row <= 512; ++row)
            source.setCell(2, row, QByteArray());
        source.SaveToFile(path("a.bin"), 2);
        const QByteArray first = FileBytes(path("a.bin"));
        QCOMPARE(first.size(), TableImageSize);
        QCOMPARE(first, source.image());
        TableDocument d;
        d.LoadFromFile(path("a.bin"), 2);
        d.SaveToFile(path("b.bin"), -1);
        QCOMPARE(FileBytes(path("b.bin")), first);
    }

    void otherBinaryComesOutInUpdateForm()
    {
        QByteArray in(TableImageSize, '\xFF');
        auto put = [&](int record, int offset, const QByteArray &bytes) {
            in.replace(record * TableRecordSize + offset, bytes.size(), bytes);
        };
        QByteArray out = in;
        put(0, 0, QByteArray("A\0junk", 6));          // text ends at 0x00
        put(1, 0, QByteArray("\0junk", 5));           // empty entry with junk after its marker
        put(2, 0, "B2");
        put(3, 0, QByteArray("\0", 1));               // empty entry after the last barcode
        put(3, 68, QByteArray("conv\0zz", 7));
        QByteArray expected = out;
        auto want = [&](int record, int offset, const QByteArray &bytes) {
            expected.replace(record * TableRecordSize + offset, bytes.size(), bytes);
        };
        want(0, 0, "A");
        want(1, 0, QByteArray("\0", 1));
        want(2, 0, "B2");
        want(3, 68, "conv");                        // record 3 now the unused end: starts 0xFF
        writeFile(path("odd.bin"), in);
        TableDocument d;
        d.LoadFromFile(path("odd.bin"), 2);
        d.SaveToFile(path("even.bin"), 2);
        QCOMPARE(FileBytes(path("even.bin")), expected);
        QCOMPARE(d.image(), expected);
    }

    void formatIsRemembered_data()
    {
        QTest::addColumn<QList<int>>("steps");   // a load (first, if >= -1 and marked by 100+) then saves
        QTest::addColumn<bool>("binary");        // the last save wrote binary
        QTest::addColumn<int>("kind");           // FileKind at the end
        QTest::newRow("new, save -1") << QList<int>{-1} << false << 0;
        QTest::newRow("load 2, save -1") << QList<int>{100 + 2, -1} << true << 2;
        QTest::newRow("load -1, save -1") << QList<int>{100 - 1, -1} << false << -1;
        QTest::newRow("load -5, save -1") << QList<int>{100 - 5, -1} << false << -1;
        QTest::newRow("load 3, save -1") << QList<int>{100 + 3, -1} << false << 3;
        QTest::newRow("new, save 2, save -1") << QList<int>{2, -1} << true << 2;
        QTest::newRow("load 2, save 1, save -1") << QList<int>{100 + 2, 1, -1} << false << 1;
        QTest::newRow("save 0, save -1") << QList<int>{0, -1} << false << 0;
    }
    void formatIsRemembered()
    {
        QFETCH(QList<int>, steps);
        QFETCH(bool, binary);
        QFETCH(int, kind);
        {
            TableDocument sample;
            fillSample(sample);
            sample.SaveToFile(path("t.bin"), 2);
            sample.SaveToFile(path("t.csv"), 1);
        }
        TableDocument d;
        QCOMPARE(d.fileKind(), 0);
        for (int step : steps) {
            if (step >= 50) {
                const int format = step - 100;
                d.LoadFromFile(path(format == 2 ? "t.bin" : "t.csv"), format);
            } else {
                d.SaveToFile(path("out"), step);
            }
        }
        QCOMPARE(d.fileKind(), kind);
        const QByteArray out = FileBytes(path("out"));
        QCOMPARE(out.size() == TableImageSize && (out.startsWith("BAR1\xFF") || out.startsWith("\xFF")), binary);
        QCOMPARE(out.startsWith("\"conv 1\",BAR1\r\n") || out.startsWith(",\r\n"), !binary);
    }

    void lineBreakFailsTheSaveNamingTheRow_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("row");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("CR in conv") << 1 << 7 << QByteArray("a\rb") << Msg::LineBreakInField;
        QTest::newRow("LF in bar") << 2 << 300 << QByteArray("x\n") << Msg::LineBreakInField;
        QTest::newRow("0x00 in bar") << 2 << 512 << QByteArray("x\0y", 3) << Msg::NulByteInField;
    }
    void lineBreakFailsTheSaveNamingTheRow()
    {
        QFETCH(int, col);
        QFETCH(int, row);
        QFETCH(QByteArray, text);
        QFETCH(QString, message);
        const QString target = path("keep.csv");
        writeFile(target, "old\r\n");
        TableDocument d;
        fillSample(d);
        d.setCell(col, row, text);
        const Snapshot before(d);
        LogCapture log;
        QCOMPARE(errorOf([&] { d.SaveToFile(target, 1); }), message.arg(target).arg(row));
        QCOMPARE(FileBytes(target), QByteArray("old\r\n"));
        QVERIFY(Snapshot(d) == before);   // row numbers not rewritten either
        QVERIFY(log.lines.isEmpty());
        // Binary carries any bytes.
        d.SaveToFile(path("ok.bin"), 2);
    }

    void failedWriteKeepsOldFile_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("message");
        QTest::newRow("text") << 1 << QString::fromUtf8(Msg::CannotWriteFile).arg(path("old.dat"), "File too large");
        QTest::newRow("binary") << 2 << QString::fromUtf8(Msg::SizeMismatched);
    }
    void failedWriteKeepsOldFile()
    {
        QFETCH(int, format);
        QFETCH(QString, message);
        const QString target = path("old.dat");
        const QByteArray old = "old contents\r\n";
        writeFile(target, old);
        TableDocument d;
        fillSample(d);
        d.setImageStale(true);
        const Snapshot before(d);
        LogCapture log;
        {
            const FileSizeLimit limit(1000);   // the whole table does not fit: as a full disk
            QCOMPARE(errorOf([&] { d.SaveToFile(target, format); }), message);
        }
        QCOMPARE(FileBytes(target), old);
        QCOMPARE(QDir(m_dir.path()).entryList({"old.dat*"}, QDir::Files | QDir::Hidden),
                 QStringList{"old.dat"});   // no temporary file left behind
        QVERIFY(Snapshot(d) == before);
        QVERIFY(log.lines.isEmpty());

        const QString noFolder = path("missing/x.csv");
        QVERIFY(errorOf([&] { d.SaveToFile(noFolder, format); }).startsWith("cannot open '" + noFolder + "': "));
        QVERIFY(Snapshot(d) == before);
    }

    void raisingWriterKeepsOldFile()
    {
        const QString target = path("w.csv");
        writeFile(target, "old");
        const QString message = errorOf([&] {
            WriteFileSafely(target, [](QIODevice &device) {
                device.write("new bytes");
                throw OstrelError("stop");
            });
        });
        QCOMPARE(message, "stop");
        QCOMPARE(FileBytes(target), QByteArray("old"));
        WriteFileSafely(target, [](QIODevice &device) { device.write("new"); });
        QCOMPARE(FileBytes(target), QByteArray("new"));
    }

    void fullDeviceFailsTheSave_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("message");
        QTest::newRow("text") << 1 << QString::fromUtf8(Msg::CannotWriteFile).arg("/dev/full", "No space left on device");
        QTest::newRow("binary") << 2 << QString::fromUtf8(Msg::SizeMismatched);
    }
    void fullDeviceFailsTheSave()
    {
        QFETCH(int, format);
        QFETCH(QString, message);
        TableDocument d;
        fillSample(d);
        d.setImageStale(true);
        const Snapshot before(d);
        QCOMPARE(errorOf([&] { d.SaveToFile("/dev/full", format); }), message);
        QVERIFY(Snapshot(d) == before);
        QVERIFY(QFileInfo("/dev/full").exists() && !QFileInfo("/dev/full").isFile());   // still the device
    }

    // A save killed between its steps leaves temporary files named after the
    // target; the next save of that target removes them, and nothing else.
    void staleTemporariesGoAtTheNextSave()
    {
        QDir(m_dir.path()).mkdir("stale");
        const QString target = path("stale/t.csv");
        const QStringList ours{"t.csv.ostrel-save", "t.csv.ostrel-save.Ab12Cd"};
        const QStringList theirs{"t.csv", "t.csv.backup", "t.csv.ostrel-save.bak", "u.csv.ostrel-save"};
        for (const QString &name : ours + theirs)
            writeFile(path("stale/" + name), "left");
        WriteFileSafely(target, [](QIODevice &device) { device.write("new"); });
        QStringList expected = theirs;
        expected.sort();
        QCOMPARE(QDir(path("stale")).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
        QCOMPARE(FileBytes(target), QByteArray("new"));
    }

    // A link stays a link to the saved file, and the file keeps its permissions.
    void saveKeepsLinksAndPermissions()
    {
        const QString real = path("real.csv"), link = path("link.csv");
        writeFile(real, "old");
        QVERIFY(QFile::setPermissions(real, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QVERIFY(QFile::link(real, link));
        WriteFileSafely(link, [](QIODevice &device) { device.write("new"); });
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(FileBytes(real), QByteArray("new"));
        QCOMPARE(QFileInfo(real).permissions() & 0xF0FF, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    // A writable file in a folder that takes no new files is written in place,
    // and the log says so.
    void readOnlyFolderIsWrittenInPlace()
    {
        QDir(m_dir.path()).mkdir("ro");
        const QString target = path("ro/t.csv");
        writeFile(target, "old");
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther
                                          | QFileDevice::WriteOther);
        QFile::setPermissions(path("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                              | QFileDevice::ExeOther);
        QFile::setPermissions(m_dir.path(), QFile::permissions(m_dir.path()) | QFileDevice::ExeOther);
        LogCapture log;
        TableDocument d;
        fillSample(d);
        {
            const Unprivileged asUser;   // root may write into any folder
            d.SaveToFile(target, 1);
        }
        QFile::setPermissions(path("ro"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY(FileBytes(target).startsWith("\"conv 1\",BAR1\r\n"));
        QCOMPARE(QDir(path("ro")).entryList(QDir::Files | QDir::Hidden), QStringList{"t.csv"});
        QCOMPARE(log.lines.filter(u"written in place"_qs).size(), 1);
    }

    void randomFilesNeverCrash()
    {
        auto *rng = QRandomGenerator::global();
        for (int round = 0; round < 200; ++round) {
            const int size = round % 10 == 0 ? TableImageSize + rng->bounded(-2, 3) : rng->bounded(0, 4000);
            QByteArray bytes = randomBytes(size);
            if (round % 2)
                bytes.replace('\0', '"');   // text that reaches its end, quotes unbalanced
            writeFile(path("random"), bytes);
            for (int format : {-1, 2}) {
                TableDocument d;
                const QString message = errorOf([&] { d.LoadFromFile(path("random"), format); });
                if (format == 2)
                    QCOMPARE(message, size < TableImageSize ? QString(Msg::SizeMismatched) : QString());
                else
                    QVERIFY(message.isEmpty() || message == Msg::CsvEmpty);
                QCOMPARE(d.grid().rowCount(), 513);
                QCOMPARE(d.image().size(), TableImageSize);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestTableFiles)
#include "test_table_files.moc"
