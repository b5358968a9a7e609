#include "shell/send_several_dialog.h"

#include "common/messages.h"
#include "common/user_prompts.h"
#include "common/zered_gui.h"
#include "common/zered_lang.h"
#include "common/zered_log.h"
#include "documents/parallel_send.h"
#include "documents/textlist_form.h"
#include "shell/command_host.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>

namespace {

enum Column { PortColumn, ProgressColumn, ResultColumn };

QString Caption(const char *key, const char *english)
{
    return LocaleLookup(QString::fromLatin1(key), QString::fromUtf8(english));
}

}   // namespace

SendSeveralDialog::SendSeveralDialog(CommandHost &host, TTextList2Form &table, const QList<PortEntry> &ports,
                                     QStringList &remembered, QWidget *parent)
    : QDialog(parent), m_host(host), m_table(table), m_remembered(remembered), m_list(new QTreeWidget),
      m_backup(new QCheckBox(Caption("SendBackupCheck.Caption", "&Back up the controller's table first"))),
      m_verify(new QCheckBox(Caption("SendVerifyCheck.Caption", "&Read back and compare after writing"))),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Close))
{
    setObjectName(QStringLiteral("SendSeveralDialog"));
    setWindowTitle(Caption("SendSeveralDialog.Caption", "Send to several controllers") + QStringLiteral(" - ")
                   + table.windowTitle());
    auto *heading = new QLabel(Caption("SeveralPorts.Caption", "&Tick the controllers to write this table to:"));
    heading->setBuddy(m_list);
    m_list->setHeaderLabels({Caption("several port", "port"), Caption("several progress", "progress"),
                             Caption("several result", "result")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    for (const PortEntry &port : ports) {
        auto *item = new QTreeWidgetItem(m_list, {port.label});
        item->setData(PortColumn, Qt::UserRole, port.name);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(PortColumn, remembered.contains(port.name) ? Qt::Checked : Qt::Unchecked);
    }
    m_list->header()->resizeSections(QHeaderView::ResizeToContents);
    m_list->setCurrentItem(m_list->topLevelItem(0));
    // A tick is remembered as it is made, sent or not.
    connect(m_list, &QTreeWidget::itemChanged, this, [this] {
        m_remembered = tickedPorts();
        updateButtons();
    });
    const SendChoices &choices = host.sendChoices();
    m_backup->setChecked(choices.backup);
    m_verify->setChecked(choices.verify);
    // Enter must not write the controllers: the send is a deliberate click or Alt key.
    m_sendButton = m_buttons->addButton(Caption("SeveralSend.Caption", "&Send"), QDialogButtonBox::ActionRole);
    m_sendButton->setAutoDefault(false);
    connect(m_sendButton, &QPushButton::clicked, this, [this] { zered::Guarded([this] { Send(); }); });
    connect(m_buttons, &QDialogButtonBox::rejected, this, &SendSeveralDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_backup);
    layout->addWidget(m_verify);
    layout->addWidget(m_buttons);
    resize(std::max(520, zered::WidthWithinScreen(this, 720)), 360);
    updateButtons();
}

SendSeveralDialog::~SendSeveralDialog()
{
    // Gone with its table window: the send stops where it may.
    if (m_send)
        m_send->cancel();
}

QStringList SendSeveralDialog::tickedPorts() const
{
    QStringList ports;
    for (int row = 0; row < m_list->topLevelItemCount(); ++row)
        if (const QTreeWidgetItem *item = m_list->topLevelItem(row); item->checkState(PortColumn) == Qt::Checked)
            ports.append(item->data(PortColumn, Qt::UserRole).toString());
    return ports;
}

void SendSeveralDialog::Send()
{
    const QStringList ports = tickedPorts();
    if (ports.isEmpty() || isSending())
        return;
    // The question opens with what the check finds the send would cut or lose.
    if (const QString warning = m_table.LoggedLossWarning();
        !warning.isEmpty() && !Prompts().Confirm(warning + QString::fromUtf8(Msg::AskSendTable)))
        return;
    SendChoices &choices = m_host.sendChoices();
    choices = {m_backup->isChecked(), m_verify->isChecked()};
    m_send = &m_host.StartSendToSeveral(ports, m_table.ImageToSend(), choices, m_table.DocumentName());
    m_table.setTransferring(true);
    followSend();
    updateButtons();
}

void SendSeveralDialog::followSend()
{
    m_sentRows.clear();
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = m_list->topLevelItem(row);
        m_list->removeItemWidget(item, ProgressColumn);
        item->setText(ResultColumn, QString());
        item->setForeground(ResultColumn, palette().text());
    }
    // What each filling of a port's bar stands for, in the order the send takes its steps.
    const SendChoices &choices = m_host.sendChoices();
    QStringList steps;
    if (choices.backup)
        steps.append(Caption("several backing up", "backing up..."));
    steps.append(Caption("several writing", "writing..."));
    if (choices.verify)
        steps.append(Caption("several reading back", "reading back..."));
    for (const std::unique_ptr<TransferRun> &run : m_send->runs()) {
        int row = 0;
        while (m_list->topLevelItem(row)->data(PortColumn, Qt::UserRole).toString() != run->portText())
            ++row;
        m_sentRows.append(row);
        QTreeWidgetItem *item = m_list->topLevelItem(row);
        auto *bar = new QProgressBar;
        bar->setRange(0, 1);
        bar->setValue(0);
        m_list->setItemWidget(item, ProgressColumn, bar);
        item->setText(ResultColumn, steps.first());
        // Each step fills the bar again.
        connect(run.get(), &TransferRun::progressStarted, bar,
                [bar, item, steps, step = 0](int total, int position) mutable {
                    bar->setRange(0, std::max(total, 1));
                    bar->setValue(position);
                    item->setText(ResultColumn, steps.value(step++, steps.last()));
                });
        connect(run.get(), &TransferRun::progressStepped, bar, &QProgressBar::setValue);
    }
    m_list->header()->resizeSections(QHeaderView::ResizeToContents);
    connect(m_send, &ParallelSend::portEnded, this, &SendSeveralDialog::portEnded);
    connect(m_send, &ParallelSend::ended, this, &SendSeveralDialog::sendEnded);
}

void SendSeveralDialog::portEnded(int index)
{
    const TransferOutcome &outcome = m_send->runs()[index]->outcome();
    QTreeWidgetItem *item = m_list->topLevelItem(m_sentRows[index]);
    QString result;
    if (ParallelSend::HeldAlready(outcome))
        result = Caption("several held", Msg::UnchangedPort);
    else if (outcome.ok())
        result = Caption("several written", "written");
    else if (outcome.cancelled())
        result = Caption("several cancelled", Msg::JournalCancelled);
    else
        result = outcome.message();
    item->setText(ResultColumn, result);
    if (auto *bar = qobject_cast<QProgressBar *>(m_list->itemWidget(item, ProgressColumn)); bar && outcome.ok())
        bar->setValue(bar->maximum());
    if (!outcome.ok())
        item->setForeground(ResultColumn, zered::ToQColor(zered::clRed));
    m_list->resizeColumnToContents(ResultColumn);
}

void SendSeveralDialog::sendEnded()
{
    m_table.setTransferring(false);
    m_send.clear();
    updateButtons();
}

void SendSeveralDialog::reject()
{
    if (m_send)
        m_send->cancel();
    else
        QDialog::reject();
}

void SendSeveralDialog::updateButtons()
{
    const bool sending = isSending();
    m_sendButton->setEnabled(!sending && !tickedPorts().isEmpty());
    m_backup->setEnabled(!sending);
    m_verify->setEnabled(!sending);
    m_buttons->button(QDialogButtonBox::Close)
        ->setText(sending ? Caption("SeveralCancel.Caption", "Cancel") : Caption("SeveralClose.Caption", "Close"));
}
