#include "shell/replace_dialog.h"
#include "shell/named_control.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TReplaceDialog::TReplaceDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ReplaceDialog1"));
    setWindowTitle(tr("Replace"));
    setModal(false);
    m_find = Named(new QLineEdit(this), "ReplaceFindText");
    m_replacement = Named(new QLineEdit(this), "ReplaceWithText");
    m_matchCase = Named(new QCheckBox(tr("Match &case"), this), "ReplaceMatchCase");
    m_wholeCell = Named(new QCheckBox(tr("&Whole cell"), this), "ReplaceWholeCell");
    m_regularExpression = Named(new QCheckBox(tr("Regular e&xpression"), this), "ReplaceRegularExpression");
    m_scope = Named(new QComboBox(this), "ReplaceScope");
    m_scope->addItems({tr("Whole table"), tr("Selection"), tr("Conversion strings only"), tr("Bar codes only")});

    auto *buttons = new QDialogButtonBox(Qt::Vertical, this);
    QPushButton *next = Named(buttons->addButton(tr("&Find Next"), QDialogButtonBox::ActionRole), "ReplaceFindNext");
    QPushButton *one = Named(buttons->addButton(tr("&Replace"), QDialogButtonBox::ActionRole), "ReplaceOne");
    QPushButton *all = Named(buttons->addButton(tr("Replace &All"), QDialogButtonBox::ActionRole), "ReplaceAll");
    Named(buttons->addButton(QDialogButtonBox::Close), "ReplaceClose");
    next->setDefault(true);
    connect(next, &QPushButton::clicked, this, &TReplaceDialog::findNext);
    connect(one, &QPushButton::clicked, this, &TReplaceDialog::replaceOne);
    connect(all, &QPushButton::clicked, this, &TReplaceDialog::replaceAll);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);

    auto *form = new QFormLayout;
    auto *findLabel = Named(new QLabel(tr("Fi&nd what:"), this), "ReplaceFindLabel");
    findLabel->setBuddy(m_find);
    auto *withLabel = Named(new QLabel(tr("Re&place with:"), this), "ReplaceWithLabel");
    withLabel->setBuddy(m_replacement);
    auto *scopeLabel = Named(new QLabel(tr("&Look in:"), this), "ReplaceScopeLabel");
    scopeLabel->setBuddy(m_scope);
    form->addRow(findLabel, m_find);
    form->addRow(withLabel, m_replacement);
    form->addRow(scopeLabel, m_scope);
    auto *left = new QVBoxLayout;
    left->addLayout(form);
    left->addWidget(m_matchCase);
    left->addWidget(m_wholeCell);
    left->addWidget(m_regularExpression);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addWidget(buttons);
    setTabOrder(m_find, m_replacement);
}

QString TReplaceDialog::findText() const
{
    return m_find->text();
}

QString TReplaceDialog::replacement() const
{
    return m_replacement->text();
}

ReplaceOptions TReplaceDialog::options() const
{
    ReplaceOptions options;
    options.matchCase = m_matchCase->isChecked();
    options.wholeCell = m_wholeCell->isChecked();
    options.regularExpression = m_regularExpression->isChecked();
    options.scope = ReplaceScope(m_scope->currentIndex());
    return options;
}

void TReplaceDialog::Open()
{
    show();
    raise();
    activateWindow();
    m_find->setFocus();
    m_find->selectAll();
}
