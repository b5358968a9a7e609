#include "common/comma_text.h"
#include "common/file_open_queue.h"
#include "common/qsettings_store.h"
#include "common/single_instance.h"
#include "common/zered_error.h"
#include "common/zered_gui.h"
#include "shell/barcodemain.h"
#include "shell/command_line.h"
#include "shell/main_settings.h"
#include "shell/ostrel_application.h"

#include <QDir>
#include <QMessageBox>
#include <cstdio>

int main(int argc, char *argv[])
{
    {
        // Help and version need no display and reach no running editor.
        QStringList arguments;
        for (int i = 1; i < argc; ++i)
            arguments.append(QString::fromLocal8Bit(argv[i]));
        const EditorCommandLine::Request request = ParseEditorCommandLine(arguments, QString()).request;
        if (request != EditorCommandLine::Request::Run) {
            const QString text = request == EditorCommandLine::Request::Help ? EditorUsage() : EditorVersion();
            std::fputs(text.toLocal8Bit().constData(), stdout);
            return 0;
        }
    }
    TOstrelApplication app(argc, argv);
    const EditorCommandLine line = ParseEditorCommandLine(app.arguments().mid(1), QDir::currentPath());
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
