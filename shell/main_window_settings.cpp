// The main window's side of the settings kept between runs.
#include "common/captions.h"
#include "common/settings_store.h"
#include "common/window_placement.h"
#include "shell/barcodemain.h"
#include "shell/file_commands.h"
#include "shell/main_settings.h"

#include <QComboBox>
#include <QSplitter>

namespace {

// The splitter's sections: document area, hint pane, footer pane.
constexpr int FooterSection = 2;

} // namespace

void TOstrelMain::LoadSettings()
{
    const QString mainFormKey = SettingsKeyPath("MainForm");
    ReadSettingsGroup(*m_settings, mainFormKey, [&] { LoadFormPlacement(*m_settings, mainFormKey, *this); });

    MainSettings settings;
    settings.logHeight = m_splitter->sizes().value(FooterSection);
    settings.serialPort = PortCombo->currentText();
    settings.baudRate = BaudCombo->currentText();
    settings.barcodeFieldLen = BarcodeFieldLen;
    settings.convStrFieldLen = ConvStrFieldLen;
    ReadMainSettings(*m_settings, settings);

    // The message pane fills the footer, so the footer's height sets both.
    QList<int> sizes = m_splitter->sizes();
    sizes[FooterSection] = settings.logHeight;
    m_splitter->setSizes(sizes);
    for (auto it = settings.recentFiles.crbegin(); it != settings.recentFiles.crend(); ++it)
        m_fileCommands->AddRecentFile(*it);
    for (auto it = settings.recentFolders.crbegin(); it != settings.recentFolders.crend(); ++it)
        m_fileCommands->AddRecentFolder(*it);
    // Only the texts: the constructor runs the port selector's handler afterwards.
    PortCombo->setEditText(settings.serialPort);
    BaudCombo->setEditText(settings.baudRate);
    BarcodeFieldLen = settings.barcodeFieldLen;
    ConvStrFieldLen = settings.convStrFieldLen;
}

void TOstrelMain::SaveSettings()
{
    SaveFormPlacement(*m_settings, SettingsKeyPath("MainForm"), *this);

    MainSettings settings;
    // The splitter knows the footer's height also for a window never shown;
    // the message pane fills the footer.
    settings.logHeight = m_splitter->sizes().value(FooterSection);
    settings.messageHeight = settings.logHeight;
    for (const RecentLists::Entry &entry : m_fileCommands->recentLists().files())
        settings.recentFiles.append(CaptionToPath(entry.caption));
    for (const RecentLists::Entry &entry : m_fileCommands->recentLists().folders())
        settings.recentFolders.append(CaptionToPath(entry.caption));
    settings.serialPort = PortCombo->currentText();
    settings.baudRate = BaudCombo->currentText();
    WriteMainSettings(*m_settings, settings);
}
