// Time and peak memory to open a file just under the 16 MiB cap, most of them one line,
// and workbooks whose parts unpack to just under theirs: in `ostrel-cli check`, and in
// the editor until the table's window shows.
// Each case runs in a process of its own, so its peak memory is its own (Linux).
//   bench_hostile_lines                  writes the files and prints the figures
//   bench_hostile_lines --editor FILE    the editor's part: opens FILE, shows it, exits
#include "documents/textlist_form.h"
#include "shell/barcodemain.h"
#include "shell/ostrel_application.h"
#include "test_support.h"
#include "workbook_zip.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <functional>
#include <tuple>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int Editor(int argc, char **argv)
{
    TOstrelApplication app(argc, argv);
    TOstrelMain main;
    main.show();
    if (!QTest::qWaitForWindowExposed(&main))
        return 1;
    TTextList2Form *table = main.OpenDocument(QString::fromLocal8Bit(argv[2]));
    if (!table || !QTest::qWaitForWindowExposed(table))
        return 1;
    QCoreApplication::processEvents();   // the grid painted
    return 0;
}

struct Figures
{
    double ms;
    double cpuMs;   // user and system time: on a busy machine the wall time says little
    double peakMiB;
    bool exited;   // it ran to its end (a refused load exits 1, which counts)
};

// Runs program with args in a child process and waits for it.
Figures Run(const QString &program, const QStringList &args)
{
    QList<QByteArray> argv8{QFile::encodeName(program)};
    for (const QString &a : args)
        argv8.append(QFile::encodeName(a));
    QList<char *> argv;
    for (QByteArray &a : argv8)
        argv.append(a.data());
    argv.append(nullptr);
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        const int devNull = ::open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    auto ms = [](const timeval &t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return {timer.nsecsElapsed() / 1e6, ms(usage.ru_utime) + ms(usage.ru_stime), usage.ru_maxrss / 1024.0,
            WIFEXITED(status) && WEXITSTATUS(status) <= 1};
}

}   // namespace

int main(int argc, char **argv)
{
    if (argc > 2 && QByteArray(argv[1]) == "--editor")
        return Editor(argc, argv);

    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    // Just under the cap on what a text file may hold before its 513th line.
    constexpr qsizetype size = 16 * 1024 * 1024 - 1024;
    auto repeated = [](const QByteArray &unit, const QByteArray &head = QByteArray()) {
        return head + unit.repeated((size - head.size()) / unit.size());
    };
    // Each file is made only while it is written: a child's peak memory
    // counts what this process held when it forked.
    const auto text = [](std::function<QByteArray()> bytesOf) {
        return [bytesOf](const QString &path) {
            const QByteArray bytes = bytesOf();
            QFile out(path);
            return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
        };
    };
    // A workbook part may unpack to 16 MiB; these come close.
    constexpr qsizetype partSize = 16 * 1024 * 1024 - 1024 * 1024;
    const auto workbook = [](std::function<Parts()> partsOf) {
        return [partsOf](const QString &path) { return WriteZip(path, partsOf()); };
    };
    const auto cellRows = [](const QByteArray &cell, qsizetype bytes) {
        QByteArray rows;
        for (int row = 1; rows.size() < bytes && row <= 1048576; ++row)
            rows += "<row r=\"" + QByteArray::number(row) + "\"><c r=\"A" + QByteArray::number(row) + "\"" + cell
                    + "</c></row>";
        return rows;
    };
    const QList<std::tuple<const char *, const char *, std::function<bool(const QString &)>>> cases{
        {"one field", "csv", text([&] { return repeated("x"); })},
        {"fields split at blanks", "csv", text([&] { return repeated("x "); })},
        {"fields split at commas", "csv", text([&] { return repeated("x,"); })},
        {"double-byte characters", "csv", text([&] { return repeated("\x93\xFA"); })},
        {"a quote never closed", "csv", text([&] { return repeated("x", "a,\""); })},
        {"spreadsheet CSV, UTF-8", "csv", text([&] { return repeated("\xE6\x97\xA5", "\xEF\xBB\xBF"); })},
        {"spreadsheet CSV, fields", "csv", text([&] { return repeated("x,", "\xEF\xBB\xBF"); })},
        {"spreadsheet CSV, no mark", "csv", text([&] { return repeated("\xE6\x97\xA5"); })},
        {"a long quoted field", "csv", text([&] { return repeated("x", "a,\"") + '"'; })},
        {"many short lines", "csv", text([&] { return repeated("x\n"); })},
        {"workbook, one long string", "xlsx", workbook([&] {
             const QByteArray cell(partSize, 'x');
             return WorkbookParts("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>", "<si><t>" + cell + "</t></si>");
         })},
        {"workbook, a million rows", "xlsx", workbook([&] {
             return WorkbookParts(cellRows(" t=\"inlineStr\"><is><t>x</t></is>", partSize), QByteArray());
         })},
        {"workbook, shared strings", "xlsx", workbook([&] {
             return WorkbookParts(cellRows(" t=\"s\"><v>0</v>", 1024), QByteArray("<si><t>x</t></si>").repeated(partSize / 17));
         })},
    };
    const QString cli = BuildDir() + QStringLiteral("/ostrel-cli");
    std::printf("%-26s %32s %32s\n", "16 MiB of", "ostrel-cli check", "editor, window shown");
    std::printf("%-26s %32s %32s\n", "", "wall, cpu, peak memory", "wall, cpu, peak memory");
    for (const auto &[name, suffix, write] : cases) {
        const QString file = dir.filePath(QStringLiteral("hostile.") + QLatin1String(suffix));
        if (!write(file))
            return 1;
        const Figures check = Run(cli, {QStringLiteral("check"), file});
        const Figures editor = Run(QCoreApplication::applicationFilePath(), {QStringLiteral("--editor"), file});
        if (!check.exited || !editor.exited) {
            std::fprintf(stderr, "%s: a child failed\n", name);
            return 1;
        }
        std::printf("%-26s %8.0f ms %8.0f ms %6.0f MiB %8.0f ms %8.0f ms %6.0f MiB\n", name, check.ms, check.cpuMs,
                    check.peakMiB, editor.ms, editor.cpuMs, editor.peakMiB);
    }
    std::printf("(target: under 1000 ms and 100 MiB each)\n");
    return 0;
}
