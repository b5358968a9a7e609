#include "shell/help_commands.h"

#include "common/messages.h"
#include "common/version_info.h"
#include "common/zered_gui.h"
#include "common/zered_log.h"
#include "shell/barcodemain.h"

#include <QAction>
#include <QDesktopServices>
#include <QEvent>
#include <QLabel>
#include <QTextDocument>
#include <QTextEdit>
#include <QUrl>

HelpCommands::HelpCommands(TOstrelMain &main) : m_main(main)
{
    QObject::connect(m_main.action(MainAction::HelpAbout), &QAction::triggered, this, [this] { HelpAboutExecute(); });
    if (auto *logo = m_main.findChild<QLabel *>(QStringLiteral("LogoImage")))
        logo->installEventFilter(this);
}

void HelpCommands::BuildVersionCaption()
{
    QStringList keys{QStringLiteral("Comments"), QStringLiteral("LegalCopyright"), QStringLiteral("FileVersion")};
    ReadVersionStrings(keys);
    const QString comments = VersionValue(keys[0]), notice = VersionValue(keys[1]), version = VersionValue(keys[2]);
    const QString tail = comments.isEmpty() ? QStringLiteral(";") : comments + u';';
    const QString caption = m_main.windowTitle();
    // The banner starts a line of its own: after the break that ends the text so far.
    const QTextDocument *log = m_main.messagePane()->document();
    m_versionLogPos = log->isEmpty() ? 0 : log->characterCount();
    zered::LogPrint(zered::clNavy, Msg::VersionBanner, qUtf8Printable(caption), qUtf8Printable(version),
                    qUtf8Printable(tail));
    zered::LogPrint(zered::clNavy, "%s", qUtf8Printable(notice));
    m_titleText = caption + QStringLiteral(" ver") + version;
    if (!comments.isEmpty())
        m_titleText += u' ' + comments;
    m_main.setWindowTitle(m_titleText);
}

void HelpCommands::HelpAboutExecute()
{
    QTextEdit *pane = m_main.messagePane();
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
