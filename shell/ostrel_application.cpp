#include "shell/ostrel_application.h"

#include "common/version_info.h"
#include "common/zered_error.h"
#include "common/zered_gui.h"

#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

QIcon ApplicationIcon()
{
    // A small table: a header row over two columns of cells.
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.fillRect(2, 4, 28, 24, Qt::white);
    p.fillRect(2, 4, 28, 6, QColor(0x20, 0x3a, 0x5c));
    p.setPen(QColor(0x20, 0x3a, 0x5c));
    p.drawRect(2, 4, 27, 23);
    p.drawLine(12, 10, 12, 27);
    for (int y = 16; y < 28; y += 6)
        p.drawLine(2, y, 29, y);
    return QIcon(picture);
}

TOstrelApplication::TOstrelApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QLatin1String(ApplicationName));
    setOrganizationName(QLatin1String(OrganizationName));
    setApplicationVersion(QStringLiteral(OSTREL_VERSION));
    // Desktops match the window to its installed entry and icon by this name.
    setDesktopFileName(QStringLiteral("com.brenvik.Ostrel"));
    // The windows are designed in Tahoma at 11 pixels; where it is missing a
    // face of similar width stands in, and Japanese glyphs come from Noto CJK.
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("Nimbus Sans"), QStringLiteral("Liberation Sans"),
                                QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK JP")});
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    setFont(font);
    setWindowIcon(ApplicationIcon());
}

bool TOstrelApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    zered::Guarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
