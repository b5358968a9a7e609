#include "documents/edit_history.h"

void EditHistory::reset(const QList<QByteArray> &cells)
{
    m_base = cells;
    m_steps.clear();
    m_index = 0;
    m_saved = 0;
}

void EditHistory::push(Step step)
{
    if (m_saved > m_index)
        m_saved = -1;   // the saved state was among the steps undone
    m_steps.resize(m_index);
    m_steps.append(std::move(step));
    ++m_index;
    if (m_steps.size() > Limit) {
        m_base = m_steps.takeFirst().cells;
        --m_index;
        m_saved = m_saved > 0 ? m_saved - 1 : -1;
    }
}

void EditHistory::replaceCurrent(const QList<QByteArray> &cells)
{
    if (m_index == 0)
        m_base = cells;
    else
        m_steps[m_index - 1].cells = cells;
}

const QList<QByteArray> &EditHistory::undo()
{
    if (m_index > 0)
        --m_index;
    return cellsAt(m_index);
}

const QList<QByteArray> &EditHistory::redo()
{
    if (m_index < m_steps.size())
        ++m_index;
    return cellsAt(m_index);
}
