#include "shell/help_commands.h"

#include "common/messages.h"
#include "common/version_info.h"
#include "common/zered_gui.h"
#include "common/zered_log.h"
#include "shell/command_host.h"

#include <QAction>
#include <QDesktopServices>
#include <QEvent>
#include <QLabel>
#include <QTextDocument>
#include <QTextEdit>
#include <QUrl>

HelpCommands::HelpCommands(CommandHost &host, QWidget &window, QTextEdit *messagePane, QLabel *logo)
    : m_window(window), m_messagePane(messagePane)
{
    QObject::connect(host.action(MainAction::HelpAbout), &QAction::triggered, this, [this] { HelpAboutExecute(); });
    logo->installEventFilter(this);
}

void HelpCommands::BuildVersionCaption()
{
    QStringList keys{QStringLiteral("Comments"), QStringLiteral("LegalCopyright"), QStringLiteral("FileVersion")};
    ReadVersionStrings(keys);
    const QString comments = VersionValue(keys[0]), notice = VersionValue(keys[1]), version = VersionValue(keys[2]);
    const QString tail = comments.isEmpty() ? QStringLiteral(";") : comments + u';';
    const QString caption = m_window.windowTitle();
    // The banner starts a line of its own: after the break that ends the text so far.
    const QTextDocument *log = m_messagePane->document();
    m_versionLogPos = log->isEmpty() ? 0 : log->characterCount();
    zered::LogPrint(zered::clNavy, Msg::VersionBanner, qUtf8Printable(caption), qUtf8Printable(version),
                    qUtf8Printable(tail));
    zered::LogPrint(zered::clNavy, "%s", qUtf8Printable(notice));
    QString title = caption + QStringLiteral(" ver") + version;
    if (!comments.isEmpty())
        title += u' ' + comments;
    m_window.setWindowTitle(title);
}

void HelpCommands::HelpAboutExecute()
{
    QTextEdit *pane = m_messagePane;
    QTextCursor caret(pane->document());
    caret.setPosition(qMin(m_versionLogPos, pane->document()->characterCount() - 1));
    pane->setTextCursor(caret);
    pane->ensureCursorVisible();
    zered::FlashControl(pane);
}

void HelpCommands::LogoImageDblClick()
{
    // Whether a browser opened is not known to the program; the line is written either way.
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(MakerWebPage)));
    zered::LogPrint(zered::clBlack, Msg::OpenOnWebBrowser, MakerWebPage);
}

bool HelpCommands::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        LogoImageDblClick();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
