#pragma once

#include "device/port_selection.h"

#include <QDialog>
#include <QPointer>
#include <QStringList>

class CommandHost;
class ParallelSend;
class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class TTextList2Form;

// KOV > Send to several controllers: the table of one window written to
// every port ticked at once, each with its own progress bar and result. The
// ports ticked and the safeguards are remembered; the table stays read-only
// while it is written. Closing the table window cancels what may still be
// cancelled.
class SendSeveralDialog : public QDialog
{
    Q_OBJECT
public:
    // ports is the port list as the selector shows it; remembered holds the
    // ports ticked last time and follows every tick.
    SendSeveralDialog(CommandHost &host, TTextList2Form &table, const QList<PortEntry> &ports, QStringList &remembered,
                      QWidget *parent);
    ~SendSeveralDialog() override;

    QStringList tickedPorts() const;
    bool isSending() const { return !m_send.isNull(); }
    QTreeWidget *list() const { return m_list; }
    QPushButton *sendButton() const { return m_sendButton; }
    // Writes the table as it is now to every port ticked; raises as a send does.
    void Send();

protected:
    // While the send runs, Escape and Close cancel it and the dialog stays.
    void reject() override;

private:
    void followSend();
    void portEnded(int index);
    void sendEnded();
    void updateButtons();

    CommandHost &m_host;
    TTextList2Form &m_table;
    QStringList &m_remembered;
    QPointer<ParallelSend> m_send;
    QList<int> m_sentRows;   // the list's row of each port being written
    QTreeWidget *m_list;
    QCheckBox *m_backup;
    QCheckBox *m_verify;
    QDialogButtonBox *m_buttons;
    QPushButton *m_sendButton;
};
