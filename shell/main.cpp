#include "common/comma_text.h"
#include "common/file_open_queue.h"
#include "common/qsettings_store.h"
#include "common/single_instance.h"
#include "common/zered_error.h"
#include "common/zered_gui.h"
#include "shell/barcodemain.h"
#include "shell/main_settings.h"
#include "shell/ostrel_application.h"

#include <QMessageBox>

namespace {

// "--port P" selects the port at start (the demo points it at the simulator);
// every other argument is a file to open.
struct CommandLine
{
    QStringList files;
    QString port;
};

CommandLine ParseCommandLine(const QStringList &arguments)
{
    CommandLine line;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--port") && i + 1 < arguments.size())
            line.port = arguments[++i];
        else
            line.files.append(arguments[i]);
    }
    return line;
}

} // namespace

int main(int argc, char *argv[])
{
    TOstrelApplication app(argc, argv);
    const CommandLine line = ParseCommandLine(app.arguments());
    try {
        SingleInstance instance;
        if (instance.ActivatePreviousInstance(line.files))
            return 0;
        QSettingsStore settings(QString::fromLatin1(RegistryRoot));
        TOstrelMain window(line.files, &settings);
        if (!line.port.isEmpty())
            window.SelectPortForThisRun(line.port);
        QObject::connect(&instance, &SingleInstance::activateRequested, &window, [&window] {
            if (window.isMinimized())
                window.showNormal();
            window.raise();
            window.activateWindow();
        });
        // Each forwarded file on its own: a long list neither freezes the window
        // nor loses the files after one that is missing.
        FileOpenQueue forwarded([&window](const QString &path) {
            zered::Guarded([&] { window.CopyDataMessage(CommaTextJoin({path})); });
        });
        QObject::connect(&instance, &SingleInstance::filesForwarded, &window,
                         [&forwarded](const QString &text) { forwarded.enqueue(CommaTextSplit(text)); });
        window.show();
        app.exec();
    } catch (const OstrelError &e) {
        QMessageBox::critical(nullptr, app.applicationName(), e.message());
    } catch (const std::exception &e) {
        QMessageBox::critical(nullptr, app.applicationName(), QString::fromLocal8Bit(e.what()));
    }
    return 0;
}
