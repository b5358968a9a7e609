#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QTreeWidget;

// The transfer journal, newest line first: every receive, send, backup,
// read-back and compare, all of them or those of one port. It only shows;
// its folder opens in the system's file manager.
class JournalDialog : public QDialog
{
    Q_OBJECT
public:
    explicit JournalDialog(QString path, QWidget *parent = nullptr);

    // Reads the journal again; the port chosen stays when it is still there.
    void Reload();
    QTreeWidget *list() const { return m_list; }
    QComboBox *portFilter() const { return m_ports; }

private:
    void showLines();

    QString m_path;
    QList<QStringList> m_lines;   // newest first
    QLabel *m_summary;
    QComboBox *m_ports;
    QTreeWidget *m_list;
};
