// Start-up to a shown main window, and the memory of an idle main window
// holding ten table windows. Run offscreen.
//   bench_startup            runs the child ten times and reports the figures
//   bench_startup --child    one start: builds and shows the window, then exits
#include "documents/textlist_form.h"
#include "shell/barcodemain.h"
#include "shell/ostrel_application.h"
#include "test_support.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <algorithm>
#include <cstdio>

namespace {


int Child(int argc, char **argv)
{
    TOstrelApplication app(argc, argv);
    TOstrelMain main;
    main.show();
    if (!QTest::qWaitForWindowExposed(&main))
        return 1;
    QCoreApplication::processEvents();
    std::printf("shown\n");
    std::fflush(stdout);
    for (int i = 0; i < 10; ++i)
        main.NewDocument(QString());
    QTest::qWait(200);   // idle
    std::printf("rss_kib %ld\n", ResidentKiB());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && QByteArray(argv[1]) == "--child")
        return Child(argc, argv);

    QCoreApplication app(argc, argv);
    QList<double> startMs;
    long rss = 0;
    for (int run = 0; run < 10; ++run) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child")});
        QByteArray out;
        while (!out.contains("shown\n") && child.waitForReadyRead(10000))
            out += child.readAllStandardOutput();
        startMs.append(timer.nsecsElapsed() / 1e6);
        child.waitForFinished(20000);
        out += child.readAllStandardOutput();
        const qsizetype at = out.indexOf("rss_kib ");
        if (child.exitCode() != 0 || at < 0) {
            std::fprintf(stderr, "child failed: %s\n", out.constData());
            return 1;
        }
        rss = std::max(rss, out.mid(at + 8).trimmed().toLong());
    }
    std::sort(startMs.begin(), startMs.end());
    std::printf("start-up to a shown main window: median %.1f ms, best %.1f ms (target < 400 ms)\n",
                startMs[startMs.size() / 2], startMs.first());
    std::printf("resident memory, idle main window with 10 table windows: %.1f MiB (target < 80 MiB)\n",
                rss / 1024.0);
    return 0;
}
