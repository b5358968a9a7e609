#include "shell/journal_dialog.h"

#include "common/zered_gui.h"
#include "common/zered_lang.h"
#include "documents/transfer_journal.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <utility>
#include <algorithm>

namespace {
// Where the journal keeps the port a line names.
constexpr int PortColumn = 4;
}   // namespace

JournalDialog::JournalDialog(QString path, QWidget *parent)
    : QDialog(parent), m_path(std::move(path)), m_summary(new QLabel), m_ports(new QComboBox), m_list(new QTreeWidget)
{
    setObjectName(QStringLiteral("JournalDialog"));
    setWindowTitle(LocaleLookup(QStringLiteral("JournalDialog.Caption"), QStringLiteral("Transfer Journal")));
    QStringList titles;
    for (const QString &column : TransferJournal::Columns())
        titles.append(LocaleLookup(QStringLiteral("journal ") + column, column));
    m_list->setHeaderLabels(titles);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto *portLabel = new QLabel(LocaleLookup(QStringLiteral("JournalPort.Caption"), QStringLiteral("&Port:")));
    portLabel->setBuddy(m_ports);
    m_ports->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(m_ports, &QComboBox::currentIndexChanged, this, &JournalDialog::showLines);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    QPushButton *reload = buttons->addButton(LocaleLookup(QStringLiteral("JournalReload.Caption"),
                                                          QStringLiteral("&Reload")),
                                             QDialogButtonBox::ActionRole);
    connect(reload, &QPushButton::clicked, this, [this] { zered::Guarded([this] { Reload(); }); });
    QPushButton *folder = buttons->addButton(LocaleLookup(QStringLiteral("JournalFolder.Caption"),
                                                          QStringLiteral("Open &Folder")),
                                             QDialogButtonBox::ActionRole);
    connect(folder, &QPushButton::clicked, this, [this] {
        const QString where = QFileInfo(m_path).absolutePath();
        QDir().mkpath(where);
        QDesktopServices::openUrl(QUrl::fromLocalFile(where));
    });
    auto *filter = new QHBoxLayout;
    filter->addWidget(m_summary, 1);
    filter->addWidget(portLabel);
    filter->addWidget(m_ports);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filter);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    resize(std::max(640, zered::WidthWithinScreen(this, 960)), 420);
    Reload();
}

void JournalDialog::Reload()
{
    m_lines = TransferJournal(m_path).Read();
    std::reverse(m_lines.begin(), m_lines.end());
    const QString chosen = m_ports->currentIndex() > 0 ? m_ports->currentText() : QString();
    QStringList ports;
    for (const QStringList &line : std::as_const(m_lines))
        if (const QString port = line.value(PortColumn); !port.isEmpty() && !ports.contains(port))
            ports.append(port);
    ports.sort(Qt::CaseInsensitive);
    const QSignalBlocker quiet(m_ports);
    m_ports->clear();
    m_ports->addItem(LocaleLookup(QStringLiteral("journal all ports"), QStringLiteral("all ports")));
    m_ports->addItems(ports);
    m_ports->setCurrentIndex(int(ports.indexOf(chosen)) + 1);   // all ports when it is gone
    showLines();
}

void JournalDialog::showLines()
{
    const QString port = m_ports->currentIndex() > 0 ? m_ports->currentText() : QString();
    m_list->clear();
    QList<QTreeWidgetItem *> items;
    for (const QStringList &line : std::as_const(m_lines))
        if (port.isEmpty() || line.value(PortColumn) == port)
            items.append(new QTreeWidgetItem(line));
    m_list->addTopLevelItems(items);
    m_list->header()->resizeSections(QHeaderView::ResizeToContents);
    m_summary->setText(LocaleLookup(QStringLiteral("journal lines"), QStringLiteral("%1 of %2 lines, newest first; %3"))
                           .arg(items.size())
                           .arg(m_lines.size())
                           .arg(QDir::toNativeSeparators(m_path)));
}
