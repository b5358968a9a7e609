#include "documents/cell_editor.h"

#include "common/codepage.h"
#include "documents/grid_hints.h"

#include <QLabel>
#include <QValidator>

namespace {

bool IsCellBreak(QChar c)
{
    return c == u'\r' || c == u'\n' || c == u'\t' || c == QChar(0);
}

// Keeps line breaks, tabs and NULs out of a cell. A paste leaves the cursor
// after what it inserted, so what lies between the first such character and
// the cursor is the rest of a pasted text, which is left out.
class CellTextValidator : public QValidator
{
public:
    CellTextValidator(CellEditor *editor) : QValidator(editor), m_editor(editor) {}

    State validate(QString &input, int &pos) const override
    {
        const auto first = std::find_if(input.cbegin(), input.cend(), IsCellBreak);
        if (first == input.cend())
            return Acceptable;
        const int at = int(first - input.cbegin());
        if (pos > at) {
            input.remove(at, pos - at);
            pos = at;
        }
        input.removeIf(IsCellBreak);
        QMetaObject::invokeMethod(m_editor, &CellEditor::restLeftOut, Qt::QueuedConnection);
        return Acceptable;
    }

private:
    CellEditor *m_editor;
};

}   // namespace

CellEditor::CellEditor(int fieldLength, QWidget *parent)
    : QLineEdit(parent), m_fieldLength(fieldLength), m_count(new QLabel(this))
{
    setFrame(false);
    setValidator(new CellTextValidator(this));
    QFont small = font();
    small.setPointSizeF(std::max(small.pointSizeF() - 1, 6.0));
    m_count->setFont(small);
    m_count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_count->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_count->setVisible(m_fieldLength > 0);
    connect(this, &QLineEdit::textChanged, this, &CellEditor::showByteCount);
    showByteCount();
}

QString CellEditor::byteCount() const
{
    return m_count->text();
}

void CellEditor::showByteCount()
{
    if (m_fieldLength <= 0)
        return;
    const qsizetype bytes = EncodeCp932Exact(text()).bytes.size();
    m_count->setText(ByteCountText(bytes, m_fieldLength));
    m_count->setStyleSheet(bytes > m_fieldLength ? QStringLiteral("color: red") : QStringLiteral("color: gray"));
    Q_EMIT bytesChanged(bytes);
}

void CellEditor::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    if (m_fieldLength <= 0)
        return;
    // The count keeps the right end, as wide as the widest it can be.
    const int width = m_count->fontMetrics().horizontalAdvance(ByteCountText(888, 88)) + 6;
    m_count->setGeometry(this->width() - width, 0, width, height());
    setTextMargins(0, 0, width, 0);
}
