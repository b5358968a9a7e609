#include "shell/transfer_commands.h"

#include "common/messages.h"
#include "common/zered_gui.h"
#include "common/zered_log.h"
#include "device/port_selection.h"
#include "documents/textlist_form.h"
#include "documents/transfer_journal.h"
#include "shell/command_host.h"
#include "shell/journal_dialog.h"
#include "shell/port_combo.h"
#include "shell/send_several_dialog.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCompleter>
#include <QPointer>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QStyle>
#include <QTimer>
#include <algorithm>

TransferCommands::TransferCommands(CommandHost &host, PortComboBox *ports, QComboBox *baud,
                                   std::function<bool()> transferring)
    : m_host(host), m_ports(ports), m_baud(baud), m_transferring(std::move(transferring))
{
    const auto run = [this](MainAction id, void (TransferCommands::*command)()) {
        QAction *a = m_host.action(id);
        QObject::connect(a, &QAction::triggered, a, [this, command] { zered::Guarded([this, command] { (this->*command)(); }); });
    };
    run(MainAction::Recv1, &TransferCommands::Recv1Execute);
    run(MainAction::Send1, &TransferCommands::Send1Execute);
    run(MainAction::Compare1, &TransferCommands::Compare1Execute);
    run(MainAction::TransferJournal1, &TransferCommands::TransferJournal1Execute);
    run(MainAction::SendSeveral1, &TransferCommands::SendSeveral1Execute);
    // Typing completes a port's name, not the text that describes it.
    if (QCompleter *completer = ports->completer())
        completer->setCompletionRole(Qt::UserRole);
    QObject::connect(ports, &PortComboBox::aboutToDropDown, ports, [this] { RefreshPortList(); });
    QObject::connect(ports, &QComboBox::activated, ports, [this](int index) { PortComboClick(index); });
    // A name typed (and Enter, which a box that inserts nothing does not
    // report) decides the link as a chosen one does.
    QObject::connect(ports, &QComboBox::editTextChanged, ports, [this] { FollowPortText(); });
    auto *watch = new QTimer(ports);
    watch->setInterval(PortWatchIntervalMs);
    QObject::connect(watch, &QTimer::timeout, ports, [this] {
        // Not while a transfer holds a port, nor under the user's open list.
        if (!m_transferring() && !m_ports->view()->isVisible())
            zered::Guarded([this] { RefreshPortList(); });
    });
    watch->start();
}

void TransferCommands::Recv1Execute()
{
    // The new window takes over a maximized window's state; a failed receive
    // gives it back.
    TTextList2Form *active = m_host.activeTable();
    QPointer<QWidget> previous = active ? active->parentWidget() : nullptr;
    const bool previousMaximized = previous && previous->isMaximized();
    TTextList2Form *form = m_host.NewDocument(QString());
    // A failed receive leaves no empty window behind.
    const auto discard = [form, previous, previousMaximized] {
        delete form->parentWidget();
        if (previous && previousMaximized)
            previous->showMaximized();
    };
    try {
        form->ReceiveTable(discard);
    } catch (...) {
        discard();
        throw;
    }
}

void TransferCommands::Send1Execute()
{
    if (TTextList2Form *table = m_host.activeTable())
        table->Send1Execute();
}

void TransferCommands::Compare1Execute()
{
    if (TTextList2Form *table = m_host.activeTable())
        table->Compare1Execute();
}

void TransferCommands::SendSeveral1Execute()
{
    TTextList2Form *table = m_host.activeTable();
    if (!table)
        return;
    // A window left open for another table gives way, unless it is sending.
    if (m_several && !m_several->isSending() && m_several->parent() != table)
        delete m_several;
    if (!m_several) {
        // The ports listed, then the one in the selector and those ticked last
        // time when the system does not list them (a pseudo-terminal, a port unplugged).
        QList<PortEntry> offered = m_listPorts();
        for (const QString &name : QStringList{m_ports->currentText()} + m_severalPorts)
            if (!name.isEmpty() && std::none_of(offered.begin(), offered.end(), [&](const PortEntry &port) {
                    return port.name == name;
                }))
                offered.append({name, name});
        m_several = new SendSeveralDialog(m_host, *table, offered, m_severalPorts, table);
        m_several->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_several->show();
    m_several->raise();
    m_several->activateWindow();
}

void TransferCommands::TransferJournal1Execute()
{
    if (m_journal) {
        m_journal->Reload();
    } else {
        m_journal = new JournalDialog(TransferJournal::DefaultPath(), m_ports->window());
        m_journal->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_journal->show();
    m_journal->raise();
    m_journal->activateWindow();
}

void TransferCommands::RefreshPortList()
{
    const QList<PortEntry> listed = m_listPorts();
    QComboBox *ports = m_ports;
    QStringList before, now;
    for (int i = 0; i < ports->count(); ++i)
        before.append(ports->itemData(i).toString());
    for (const PortEntry &port : listed)
        now.append(port.name);
    bool same = before == now;
    for (int i = 0; same && i < listed.size(); ++i)
        same = ports->itemText(i) == listed[i].label;
    if (same)
        return;
    if (m_portsListed) {
        for (const PortEntry &port : listed)
            if (!before.contains(port.name))
                zered::LogPrint(zered::clBlack, Msg::PortPluggedIn, qUtf8Printable(port.label));
        for (int i = 0; i < ports->count(); ++i)
            if (!now.contains(before[i]))
                zered::LogPrint(zered::clBlack, Msg::PortUnplugged, qUtf8Printable(ports->itemText(i)));
    }
    m_portsListed = true;
    // A typed or chosen name stays, listed or not, with the caret where it was.
    const QString typed = ports->currentText();
    const int caret = ports->lineEdit() ? ports->lineEdit()->cursorPosition() : 0;
    const QSignalBlocker quiet(ports);
    ports->clear();
    for (const PortEntry &port : listed)
        ports->addItem(port.label, port.name);
    // The list drops down wide enough for whole descriptions, the box stays narrow.
    QAbstractItemView *list = ports->view();
    list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth()
                          + list->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    ports->setEditText(typed);
    if (ports->lineEdit())
        ports->lineEdit()->setCursorPosition(caret);
}

void TransferCommands::PortComboClick(int chosen)
{
    // The list shows what a port is; the selector keeps and passes its name.
    // Only an entry just chosen sets it: the list's current entry may be an
    // old one under a name typed or selected since.
    PortComboBox *ports = m_ports;
    const QVariant name = chosen >= 0 ? ports->itemData(chosen) : QVariant();
    if (name.isValid())
        ports->setPortText(name.toString());
    FollowPortText();
}

void TransferCommands::FollowPortText()
{
    m_baud->setEnabled(!IsUsbPortName(m_ports->currentText()));
}
