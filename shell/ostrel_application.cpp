#include "shell/ostrel_application.h"

#include "common/zered_error.h"
#include "common/zered_gui.h"

TOstrelApplication::TOstrelApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("KOV-Ostrel Manager"));
    setOrganizationName(QStringLiteral("Brenvik"));
    setApplicationVersion(QStringLiteral(OSTREL_VERSION));
}

bool TOstrelApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    zered::Guarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
