#include "shell/find_dialog.h"
#include "shell/named_control.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TFindDialog::TFindDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FindDialog1"));
    setWindowTitle(tr("Find"));
    setModal(false);
    m_text = Named(new QLineEdit(this), "FindText");
    m_matchCase = Named(new QCheckBox(tr("Match &case"), this), "FindMatchCase");
    m_wholeWord = Named(new QCheckBox(tr("Match &whole word only"), this), "FindWholeWord");
    auto *direction = Named(new QGroupBox(tr("Direction"), this), "FindDirection");
    m_up = Named(new QRadioButton(tr("&Up"), direction), "FindUp");
    m_down = Named(new QRadioButton(tr("&Down"), direction), "FindDown");
    m_down->setChecked(true);
    auto *directions = new QHBoxLayout(direction);
    directions->addWidget(m_up);
    directions->addWidget(m_down);

    auto *buttons = new QDialogButtonBox(Qt::Vertical, this);
    QPushButton *findNext = Named(buttons->addButton(tr("&Find Next"), QDialogButtonBox::ActionRole), "FindNext");
    findNext->setDefault(true);
    Named(buttons->addButton(QDialogButtonBox::Cancel), "FindCancel");
    connect(findNext, &QPushButton::clicked, this, [this] {
        m_findNext = true;   // the button always searches on from the current cell
        Q_EMIT find();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);

    auto *form = new QFormLayout;
    auto *label = Named(new QLabel(tr("Fi&nd what:"), this), "FindTextLabel");
    label->setBuddy(m_text);
    form->addRow(label, m_text);
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
