// The main window's side of the settings kept between runs.
#include "common/captions.h"
#include "common/settings_keys.h"
#include "common/settings_store.h"
#include "common/window_placement.h"
#include "shell/barcodemain.h"
#include "shell/file_commands.h"
#include "shell/main_settings.h"
#include "shell/transfer_commands.h"

#include <QComboBox>
#include <QEvent>
#include <QSplitter>

#include "ui_barcodemain.h"

namespace {

// The footer splitter's sections: the document area with the hint pane, and the footer pane.
constexpr int FooterSection = 1;

// A splitter rescales the sizes it is given before it has its real height, so
// the footer's height waits for the first show; the document area takes the rest.
class PendingFooterHeight : public QObject
{
public:
    PendingFooterHeight(QSplitter *splitter, int height) : QObject(splitter), height(height)
    {
        splitter->installEventFilter(this);
    }
    const int height;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            ApplyFooterHeight(static_cast<QSplitter *>(watched), height);
            watched->removeEventFilter(this);
            setParent(nullptr);
            deleteLater();
        }
        return false;
    }

public:
    static void ApplyFooterHeight(QSplitter *splitter, int height)
    {
        QList<int> sizes = splitter->sizes();
        int total = 0;
        for (int size : std::as_const(sizes))
            total += size;
        sizes[0] = std::max(total - height, 0);
        sizes[FooterSection] = height;
        splitter->setSizes(sizes);
    }
};

PendingFooterHeight *PendingHeightOf(const QSplitter *splitter)
{
    for (QObject *child : splitter->children())
        if (auto *pending = dynamic_cast<PendingFooterHeight *>(child))
            return pending;
    return nullptr;
}

void SetFooterHeight(QSplitter *splitter, int height)
{
    delete PendingHeightOf(splitter);
    if (splitter->isVisible())
        PendingFooterHeight::ApplyFooterHeight(splitter, height);
    else
        new PendingFooterHeight(splitter, height);
}

int FooterHeight(const QSplitter *splitter)
{
    if (const PendingFooterHeight *pending = PendingHeightOf(splitter))
        return pending->height;
    return splitter->sizes().value(FooterSection);
}

} // namespace

void TOstrelMain::LoadSettings()
{
    const QString mainFormKey = SettingsKeyPath(SettingsKey::MainForm);
    ReadSettingsGroup(*m_settings, mainFormKey, [&] { LoadFormPlacement(*m_settings, mainFormKey, *this); });

    MainSettings settings;
    settings.serialPort = m_form->PortCombo->currentText();
    settings.baudRate = m_form->BaudCombo->currentText();
    settings.barcodeFieldLen = BarcodeFieldLen;
    settings.convStrFieldLen = ConvStrFieldLen;
    ReadMainSettings(*m_settings, settings);

    // The message pane fills the footer, so the footer's height sets both.
    SetFooterHeight(m_form->FooterSplitter, settings.logHeight);
    for (auto it = settings.recentFiles.crbegin(); it != settings.recentFiles.crend(); ++it)
        m_fileCommands->AddRecentFile(*it);
    for (auto it = settings.recentFolders.crbegin(); it != settings.recentFolders.crend(); ++it)
        m_fileCommands->AddRecentFolder(*it);
    if (!settings.lastFolder.isEmpty())
        m_fileCommands->SetLastFolder(settings.lastFolder);
    // Only the texts: the constructor runs the port selector's handler afterwards.
    m_form->PortCombo->setPortText(settings.serialPort);
    m_form->BaudCombo->setEditText(settings.baudRate);
    m_sendChoices = {settings.sendBackup, settings.sendVerify};
    m_transferCommands->severalPorts() = settings.sendToPorts;
    m_convStrWidth = settings.convStrWidth;
    BarcodeFieldLen = settings.barcodeFieldLen;
    ConvStrFieldLen = settings.convStrFieldLen;
}

void TOstrelMain::SaveSettings()
{
    SaveFormPlacement(*m_settings, SettingsKeyPath(SettingsKey::MainForm), *this);

    MainSettings settings;
    // The message pane fills the footer.
    settings.logHeight = FooterHeight(m_form->FooterSplitter);
    settings.messageHeight = settings.logHeight;
    for (const RecentLists::Entry &entry : m_fileCommands->recentLists().files())
        settings.recentFiles.append(CaptionToPath(entry.caption));
    for (const RecentLists::Entry &entry : m_fileCommands->recentLists().folders())
        settings.recentFolders.append(CaptionToPath(entry.caption));
    settings.lastFolder = m_fileCommands->lastFolder();
    settings.serialPort = m_form->PortCombo->currentText();
    // A port given for one run only (the simulator's) is not the user's choice.
    if (!m_portForThisRun.isEmpty() && settings.serialPort == m_portForThisRun)
        settings.serialPort = m_portBeforeThisRun;
    settings.baudRate = m_form->BaudCombo->currentText();
    settings.sendBackup = m_sendChoices.backup;
    settings.sendVerify = m_sendChoices.verify;
    settings.sendToPorts = m_transferCommands->severalPorts();
    settings.convStrWidth = m_convStrWidth;
    WriteMainSettings(*m_settings, settings);
}
