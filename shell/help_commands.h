#pragma once

#include <QObject>
#include <QString>

class TOstrelMain;

// The version banner written at start-up, the About command that scrolls the
// message pane back to it, and the logo that opens the maker's web page.
class HelpCommands : public QObject
{
public:
    static constexpr char MakerWebPage[] = "https://www.brenvik.example/kov/";

    explicit HelpCommands(TOstrelMain &main);

    // Writes the two banner lines and puts the version into the caption.
    void BuildVersionCaption();
    void HelpAboutExecute();
    void LogoImageDblClick();

    const QString &TitleText() const { return m_titleText; }
    int VersionLogPos() const { return m_versionLogPos; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TOstrelMain &m_main;
    QString m_titleText;
    int m_versionLogPos = 0;
};
