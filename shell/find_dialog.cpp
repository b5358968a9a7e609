#include "shell/find_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TFindDialog::TFindDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FindDialog1"));
    setWindowTitle(tr("Find"));
    setModal(false);
    m_text = new QLineEdit(this);
    m_matchCase = new QCheckBox(tr("Match &case"), this);
    m_wholeWord = new QCheckBox(tr("Match &whole word only"), this);
    auto *direction = new QGroupBox(tr("Direction"), this);
    m_up = new QRadioButton(tr("&Up"), direction);
    m_down = new QRadioButton(tr("&Down"), direction);
    m_down->setChecked(true);
    auto *directions = new QHBoxLayout(direction);
    directions->addWidget(m_up);
    directions->addWidget(m_down);

    auto *buttons = new QDialogButtonBox(Qt::Vertical, this);
    QPushButton *findNext = buttons->addButton(tr("&Find Next"), QDialogButtonBox::ActionRole);
    findNext->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(findNext, &QPushButton::clicked, this, [this] {
        m_findNext = true;   // the button always searches on from the current cell
        Q_EMIT find();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);

    auto *form = new QFormLayout;
    form->addRow(tr("Fi&nd what:"), m_text);
    auto *options = new QHBoxLayout;
    auto *checks = new QVBoxLayout;
    checks->addWidget(m_wholeWord);
    checks->addWidget(m_matchCase);
    options->addLayout(checks);
    options->addWidget(direction);
    auto *left = new QVBoxLayout;
    left->addLayout(form);
    left->addLayout(options);
    auto *all = new QHBoxLayout(this);
    all->addLayout(left, 1);
    all->addWidget(buttons);
}

QString TFindDialog::findText() const
{
    return m_text->text();
}

void TFindDialog::setFindText(const QString &text)
{
    m_text->setText(text);
}

FindOptions TFindDialog::options() const
{
    return {m_down->isChecked(), m_findNext, m_matchCase->isChecked(), m_wholeWord->isChecked()};
}

void TFindDialog::setOptions(const FindOptions &options)
{
    (options.down ? m_down : m_up)->setChecked(true);
    m_matchCase->setChecked(options.matchCase);
    m_wholeWord->setChecked(options.wholeWord);
    m_findNext = options.findNext;
}
