#pragma once

#include "device/port_selection.h"

#include <QList>
#include <QPointer>
#include <functional>

class CommandHost;
class JournalDialog;
class PortComboBox;
class SendSeveralDialog;
class QComboBox;

// The main window's KOV commands and the port selector: "Recv" reads the
// controller's table into a new window, "Send ..." writes the active table;
// the selector's list is refreshed as it drops down and, while no transfer
// runs, every few seconds (ports plugged in or out are logged), and choosing
// USB disables the baud selector.
class TransferCommands
{
public:
    static constexpr int PortWatchIntervalMs = 2000;

    // ports and baud are the selectors; transferring says whether a transfer holds a port.
    TransferCommands(CommandHost &host, PortComboBox *ports, QComboBox *baud, std::function<bool()> transferring);

    void Recv1Execute();
    void Send1Execute();
    void Compare1Execute();
    // The active table to several ports at once; one such window at most.
    void SendSeveral1Execute();
    // The ports ticked at the last send to several, remembered between runs.
    QStringList &severalPorts() { return m_severalPorts; }
    // Shows the transfer journal, read afresh; one window at most.
    void TransferJournal1Execute();
    // After a choice from the list (its index) or a name set otherwise.
    void PortComboClick(int chosen = -1);
    // Lists the ports again; the text in the selector stays as it is.
    void RefreshPortList();
    // Where the port list comes from; tests hand in their own.
    void setPortLister(std::function<QList<PortEntry>()> lister) { m_listPorts = std::move(lister); }

private:
    // The baud selector serves a serial port only.
    void FollowPortText();

    CommandHost &m_host;
    PortComboBox *m_ports;
    QComboBox *m_baud;
    std::function<bool()> m_transferring;
    std::function<QList<PortEntry>()> m_listPorts = AvailablePorts;
    bool m_portsListed = false;   // the first listing is not news
    QPointer<JournalDialog> m_journal;
    QPointer<SendSeveralDialog> m_several;
    QStringList m_severalPorts;
};
