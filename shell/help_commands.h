#pragma once

#include <QObject>

class CommandHost;
class QLabel;
class QTextEdit;
class QWidget;

// The version banner written at start-up (and the version in window's
// caption), the About command that scrolls the message pane back to it, and
// the logo that opens the maker's web page.
class HelpCommands : public QObject
{
public:
    static constexpr char MakerWebPage[] = "https://www.brenvik.example/kov/";

    HelpCommands(CommandHost &host, QWidget &window, QTextEdit *messagePane, QLabel *logo);

    // Writes the two banner lines and puts the version into the caption.
    void BuildVersionCaption();
    void HelpAboutExecute();
    void LogoImageDblClick();

    int VersionLogPos() const { return m_versionLogPos; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget &m_window;
    QTextEdit *m_messagePane;
    int m_versionLogPos = 0;
};
