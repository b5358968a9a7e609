#include "common/zered_error.h"
#include "documents/transfer_journal.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <memory>
#include <vector>

namespace {

TransferRecord Record(QString table, QString result = u"ok"_qs)
{
    TransferRecord record;
    record.time = QDateTime(QDate(2026, 12, 9), QTime(14, 5, 9), Qt::OffsetFromUTC, 9 * 3600);
    record.operation = JournalOperation::Send;
    record.link = {u"USB:FT6Z1K3A"_qs, u"KOV Vision Sensor"_qs, u"FT6Z1K3A"_qs};
    record.table = std::move(table);
    record.image = QByteArray(65536, '\0');
    record.result = std::move(result);
    record.durationMs = 6110;
    record.backupFile = u"/b/kov-table-20261209-140509.bin"_qs;
    return record;
}

QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}   // namespace

class TestTransferJournal : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void aLineHoldsItsFieldsAsASpreadsheetReadsThem_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QByteArray>("tableField");
        QTest::addColumn<QByteArray>("resultField");
        QTest::newRow("plain") << u"/t/line1.csv"_qs << u"ok"_qs << QByteArray("/t/line1.csv") << QByteArray("ok");
        QTest::newRow("comma and quote") << u"/t/a,\"b\".csv"_qs << u"Read timeout"_qs
                                         << QByteArray("\"/t/a,\"\"b\"\".csv\"") << QByteArray("\"Read timeout\"");
        // A line break would end the line: it becomes a blank.
        QTest::newRow("line break in a message") << u"/t/x.csv"_qs << u"verify failed\nrecord 7"_qs
                                                 << QByteArray("/t/x.csv") << QByteArray("\"verify failed record 7\"");
        // An empty field keeps its place.
        QTest::newRow("no table") << QString() << u"ok"_qs << QByteArray() << QByteArray("ok");
        QTest::newRow("Japanese in UTF-8")
            << u"/t/品番表.csv"_qs << u"ok"_qs << u"/t/品番表.csv"_qs.toUtf8() << QByteArray("ok");
    }
    void aLineHoldsItsFieldsAsASpreadsheetReadsThem()
    {
        QFETCH(QString, table);
        QFETCH(QString, result);
        QFETCH(QByteArray, tableField);
        QFETCH(QByteArray, resultField);
        const QByteArray line = TransferJournal::Line(Record(table, result), u"sato"_qs, u"line-3"_qs);
        // Paths as the system writes them: with backslashes on Windows.
        const auto native = [](const QByteArray &path) {
            return QDir::toNativeSeparators(QString::fromUtf8(path)).toUtf8();
        };
        QCOMPARE(line, "2026-12-09T14:05:09+09:00,sato,line-3,send,USB:FT6Z1K3A,\"KOV Vision Sensor\",FT6Z1K3A,"
                           + native(tableField) + ",D7978EEB," + resultField + ","
                           + native("6110,/b/kov-table-20261209-140509.bin") + "\r\n");
    }

    void theChecksumIsZlibsCrc32_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QString>("crc");
        QTest::newRow("zeros") << QByteArray(65536, '\0') << u"D7978EEB"_qs;
        QTest::newRow("an empty table") << QByteArray(65536, '\xFF') << u"DEAB7E4E"_qs;
        QTest::newRow("leading zeros kept") << QByteArray(">\0", 2) << u"001C0982"_qs;
        QTest::newRow("no image") << QByteArray() << QString();
    }
    void theChecksumIsZlibsCrc32()
    {
        QFETCH(QByteArray, image);
        QFETCH(QString, crc);
        QCOMPARE(TransferJournal::Crc32(image), crc);
    }

    void aNewFileStartsWithTheMarkAndTheColumnsOnce()
    {
        const QString path = m_dir.filePath(u"new/folder/transfers.csv"_qs);
        const TransferJournal journal(path);
        QCOMPARE(journal.Read(), QList<QStringList>{});
        journal.Append(Record(u"/t/one.csv"_qs));
        journal.Append(Record(u"/t/two.csv"_qs, u"no ACK"_qs));
        const QByteArray bytes = FileBytes(path);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBFtime,user,host,operation,port,adapter,\"serial number\",table,"
                                 "CRC-32,result,ms,backup\r\n"));
        QCOMPARE(bytes.count("\xEF\xBB\xBF"), 1);
        QCOMPARE(bytes.count("time,user"), 1);
        const QList<QStringList> lines = journal.Read();
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0].size(), TransferJournal::Columns().size());
        QCOMPARE(lines[0][7], QDir::toNativeSeparators(u"/t/one.csv"_qs));
        QCOMPARE(lines[1][9], u"no ACK"_qs);
        // No temporary file stays beside it.
        QCOMPARE(QDir(m_dir.filePath(u"new/folder"_qs)).entryList(QDir::Files), QStringList{u"transfers.csv"_qs});
    }

    void parallelAppendsNeverTearALine()
    {
        // Threads race for the new file and then append at once, each line
        // long enough that a torn write would show.
        const QString path = m_dir.filePath(u"parallel/transfers.csv"_qs);
        constexpr int Writers = 8, LinesEach = 150;
        const QString filler(3000, u'x');
        std::vector<std::unique_ptr<QThread>> writers;
        for (int w = 0; w < Writers; ++w)
            writers.emplace_back(QThread::create([&, w] {
                const TransferJournal journal(path);
                for (int i = 0; i < LinesEach; ++i)
                    journal.Append(Record(QStringLiteral("%1-%2-").arg(w).arg(i) + filler));
            }));
        for (auto &writer : writers)
            writer->start();
        for (auto &writer : writers)
            QVERIFY(writer->wait(60000));
        const QByteArray bytes = FileBytes(path);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBFtime,"));
        QCOMPARE(bytes.count("\xEF\xBB\xBF"), 1);
        const QList<QStringList> lines = TransferJournal(path).Read();
        QCOMPARE(lines.size(), Writers * LinesEach);
        QSet<QString> tables;
        for (const QStringList &line : lines) {
            QCOMPARE(line.size(), TransferJournal::Columns().size());
            QVERIFY(line[7].endsWith(filler));
            tables.insert(line[7]);
        }
        QCOMPARE(tables.size(), Writers * LinesEach);
    }

    void aJournalThatCannotBeWrittenSaysWhy()
    {
        // Its folder is a file: nothing can be made there.
        QFile blocker(m_dir.filePath(u"blocker"_qs));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString path = m_dir.filePath(u"blocker/transfers.csv"_qs);
        try {
            TransferJournal(path).Append(Record(u"/t/x.csv"_qs));
            QFAIL("appended below a file");
        } catch (const OstrelError &e) {
            QVERIFY2(e.message().startsWith(u"cannot write '"_qs + QDir::toNativeSeparators(path)),
                     qUtf8Printable(e.message()));
        }
    }
};

QTEST_GUILESS_MAIN(TestTransferJournal)
#include "test_transfer_journal.moc"
