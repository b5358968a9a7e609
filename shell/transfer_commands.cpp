#include "shell/transfer_commands.h"

#include "common/zered_gui.h"
#include "device/port_selection.h"
#include "documents/textlist_form.h"
#include "shell/barcodemain.h"
#include "shell/port_combo.h"

#include <QAction>
#include <QMdiSubWindow>

TransferCommands::TransferCommands(TOstrelMain &main) : m_main(main)
{
    QObject::connect(m_main.action(MainAction::Recv1), &QAction::triggered, &m_main, [this] {
        zered::Guarded([this] { Recv1Execute(); });
    });
    QObject::connect(m_main.action(MainAction::Send1), &QAction::triggered, &m_main, [this] {
        zered::Guarded([this] { Send1Execute(); });
    });
    QObject::connect(m_main.action(MainAction::Compare1), &QAction::triggered, &m_main, [this] {
        zered::Guarded([this] {
            if (auto *form = qobject_cast<TTextList2Form *>(m_main.activeChild()))
                form->Compare1Execute();
        });
    });
    PortComboBox *ports = m_main.portCombo();
    QObject::connect(ports, &PortComboBox::aboutToDropDown, &m_main, [this] { PortComboDropDown(); });
    QObject::connect(ports, &QComboBox::activated, &m_main, [this] { PortComboClick(); });
}

void TransferCommands::Recv1Execute()
{
    TTextList2Form *form = m_main.NewDocument(QString());
    try {
        form->ReceiveTable();
    } catch (...) {
        // A failed receive leaves no empty window behind.
        delete form->parentWidget();
        throw;
    }
}

void TransferCommands::Send1Execute()
{
    if (auto *form = qobject_cast<TTextList2Form *>(m_main.activeChild()))
        form->Send1Execute();
}

void TransferCommands::PortComboDropDown()
{
    PortComboBox *ports = m_main.portCombo();
    const QString typed = ports->currentText();
    ports->clear();
    for (const PortEntry &port : AvailablePorts())
        ports->addItem(port.label, port.name);
    ports->setPortText(typed);   // a typed name stays, listed or not
}

void TransferCommands::PortComboClick()
{
    // The list shows what a port is; the selector keeps and passes its name.
    PortComboBox *ports = m_main.portCombo();
    const QVariant name = ports->currentIndex() >= 0 ? ports->itemData(ports->currentIndex()) : QVariant();
    if (name.isValid())
        ports->setPortText(name.toString());
    m_main.baudCombo()->setEnabled(!IsUsbPortName(m_main.portCombo()->currentText()));
}
