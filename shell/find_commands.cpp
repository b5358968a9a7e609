#include "shell/find_commands.h"

#include "common/zered_gui.h"
#include "documents/textlist_form.h"
#include "shell/command_host.h"
#include "shell/document_area.h"
#include "shell/find_dialog.h"
#include "shell/replace_dialog.h"

#include <QAction>

FindCommands::FindCommands(CommandHost &host, DocumentArea &area, QWidget &window)
    : m_host(host), m_area(area), m_dialog(new TFindDialog(&window)), m_replaceDialog(new TReplaceDialog(&window))
{
    QAction *find = m_host.action(MainAction::SearchFind1), *next = m_host.action(MainAction::SearchFindNext1),
            *check = m_host.action(MainAction::SearchCheckTable1);
    QObject::connect(find, &QAction::triggered, find, [this] { SearchFind1Execute(); });
    QObject::connect(next, &QAction::triggered, next, [this] { zered::Guarded([this] { SearchFindNext1Execute(); }); });
    QObject::connect(check, &QAction::triggered, check, [this] {
        zered::Guarded([this] {
            if (TTextList2Form *table = m_host.activeTable())
                table->CheckTable1Execute();
        });
    });
    QObject::connect(m_dialog, &TFindDialog::find, m_dialog, [this] { zered::Guarded([this] { FindDialog1Find(); }); });
    QAction *replace = m_host.action(MainAction::SearchReplace1);
    QObject::connect(replace, &QAction::triggered, replace, [this] { SearchReplace1Execute(); });
    using Step = TTextList2Form::ReplaceStep;
    const std::pair<void (TReplaceDialog::*)(), Step> steps[] = {{&TReplaceDialog::findNext, Step::FindNext},
                                                                  {&TReplaceDialog::replaceOne, Step::ReplaceOne},
                                                                  {&TReplaceDialog::replaceAll, Step::ReplaceAll}};
    for (const auto &[signal, step] : steps)
        QObject::connect(m_replaceDialog, signal, m_replaceDialog, [this, step = step] {
            zered::Guarded([&] {
                TTextList2Form *table = m_host.activeTable();
                if (!table)
                    return;
                table->ReplaceInGrid(step, m_replaceDialog->findText(), m_replaceDialog->replacement(),
                                     m_replaceDialog->options());
                const StringGrid &grid = table->document().grid();
                m_area.ensureVisible(table, table->CellRect({grid.col(), grid.row()}));
            });
        });
}

void FindCommands::SearchFind1Execute()
{
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

void FindCommands::SearchFindNext1Execute()
{
    m_dialog->setFindNext(true);   // stays set for later steps
    FindDialog1Find();
}

void FindCommands::FindDialog1Find()
{
    // The dialog can outlive the last table window; then there is nothing to search.
    TTextList2Form *table = m_host.activeTable();
    if (!table)
        return;
    table->FindInGrid(m_dialog->findText(), m_dialog->options());
    // The hit may lie in a part of the window outside the document area.
    const StringGrid &grid = table->document().grid();
    m_area.ensureVisible(table, table->CellRect({grid.col(), grid.row()}));
}

void FindCommands::SearchReplace1Execute()
{
    m_replaceDialog->Open();
}
