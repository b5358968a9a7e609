#include "documents/table_undo_stack.h"

#include "documents/table_document.h"

namespace {

// One step: the texts and the place on the side of it the grid is not on.
class TableStep : public QUndoCommand
{
public:
    TableStep(TableDocument &document, const QString &name, const QList<QByteArray> &cellsBefore,
              const GridPlace &before, const GridPlace &after)
        : QUndoCommand(name), m_document(document), m_cells(cellsBefore), m_before(before), m_after(after)
    {
    }

    void undo() override { m_cells = m_document.ExchangeCells(m_cells, m_before); }
    void redo() override
    {
        // Pushed after the document made the change itself.
        if (m_done) {
            m_done = false;
            return;
        }
        m_cells = m_document.ExchangeCells(m_cells, m_after);
    }

private:
    TableDocument &m_document;
    QList<QByteArray> m_cells;
    const GridPlace m_before, m_after;
    bool m_done = true;
};

}   // namespace

TableUndoStack::TableUndoStack(TableDocument &document, const StepNames &names) : m_document(document), m_names(names)
{
    m_stack.setUndoLimit(Limit);
    connect(&m_stack, &QUndoStack::cleanChanged, this, &TableHistory::cleanChanged);
}

TableUndoStack::~TableUndoStack()
{
    // The stack tells its last changes as it goes; those who listen may be going too.
    m_stack.disconnect();
}

void TableUndoStack::Record(EditStep kind, const QList<QByteArray> &cellsBefore, const GridPlace &before,
                            const GridPlace &after)
{
    m_stack.push(new TableStep(m_document, m_names[std::size_t(kind)], cellsBefore, before, after));
}

void TableUndoStack::Clear()
{
    m_stack.clear();
    m_stack.setClean();   // an empty stack marked unclean stays so through clear()
}
