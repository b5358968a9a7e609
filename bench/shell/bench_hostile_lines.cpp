// Time and peak memory to open a file just under the 16 MiB cap, most of them one line:
// in `ostrel-cli check`, and in the editor until the table's window shows.
// Each case runs in a process of its own, so its peak memory is its own (Linux).
//   bench_hostile_lines                  writes the files and prints the figures
//   bench_hostile_lines --editor FILE    the editor's part: opens FILE, shows it, exits
#include "documents/textlist_form.h"
#include "shell/barcodemain.h"
#include "shell/ostrel_application.h"
#include "test_support.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <functional>
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
    // The bytes of each file, made only while it is written: a child's peak
    // memory counts what this process held when it forked.
    const QList<std::pair<const char *, std::function<QByteArray()>>> cases{
        {"one field", [&] { return repeated("x"); }},
        {"fields split at blanks", [&] { return repeated("x "); }},
        {"fields split at commas", [&] { return repeated("x,"); }},
        {"double-byte characters", [&] { return repeated("\x93\xFA"); }},
        {"a quote never closed", [&] { return repeated("x", "a,\""); }},
        {"spreadsheet CSV, UTF-8", [&] { return repeated("\xE6\x97\xA5", "\xEF\xBB\xBF"); }},
        {"spreadsheet CSV, fields", [&] { return repeated("x,", "\xEF\xBB\xBF"); }},
        {"spreadsheet CSV, no mark", [&] { return repeated("\xE6\x97\xA5"); }},
        {"a long quoted field", [&] { return repeated("x", "a,\"") + '"'; }},
        {"many short lines", [&] { return repeated("x\n"); }},
    };
    const QString cli = BuildDir() + QStringLiteral("/ostrel-cli");
    std::printf("%-26s %32s %32s\n", "16 MiB of", "ostrel-cli check", "editor, window shown");
    std::printf("%-26s %32s %32s\n", "", "wall, cpu, peak memory", "wall, cpu, peak memory");
    for (const auto &[name, bytesOf] : cases) {
        const QString file = dir.filePath(QStringLiteral("hostile.csv"));
        {
            const QByteArray bytes = bytesOf();
            QFile out(file);
            if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
                return 1;
        }
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
