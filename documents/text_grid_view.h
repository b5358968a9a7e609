#pragma once

#include <QHeaderView>
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>
#include <QTableView>

class QLineEdit;

// Draws a cell's or header's text as the table grid does: 2 pixels below the
// top, 2 pixels in from the left edge (from the right edge when rightAligned),
// clipped to the rectangle.
void DrawGridText(QPainter *painter, const QRect &rect, const QString &text, bool rightAligned);

// The grid's cells: the style's background, selection and focus, then the text
// by DrawGridText in the model's foreground colour when it gives one (red for
// a text longer than its field), else the prepared text colour.
class TextGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

// A header drawing its texts by DrawGridText; row numbers are right-aligned.
class TextGridHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit TextGridHeader(Qt::Orientation orientation, QWidget *parent = nullptr);
    // A section drawn highlighted (a find hit in the header); -1 for none.
    void setMarkedSection(int section);
    int markedSection() const { return m_marked; }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    int m_marked = -1;
};

// The table window's grid view.
class TextGridView : public QTableView
{
    Q_OBJECT
public:
    explicit TextGridView(QWidget *parent = nullptr);
    using QTableView::edit;
    // The in-place editor is open on a cell.
    bool isEditing() const { return state() == QAbstractItemView::EditingState; }
    // Hands the open editor's text to the model and closes it.
    void commitAndCloseEditor();

    // The text of the corner over the row numbers.
    void setCornerText(const QString &text);
    // Highlights a header cell of the grid (grid column 0 is the row numbers,
    // grid row 0 the titles, both 0 the corner) until the cursor moves; the
    // cursor cannot go there, so this is how a find hit there is shown.
    void markHeaderCell(int col, int row);

Q_SIGNALS:
    // The viewport or the headers changed size (columns may need to follow).
    void geometriesChanged();
    void editorOpened(const QModelIndex &index);
    void editorClosed();

protected:
    void updateGeometries() override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    friend QLineEdit &GetGridEditor(const TextGridView &view);
    void clearMarks();

    QPersistentModelIndex m_editorIndex;
    QString m_cornerText;
    bool m_cornerMarked = false;
};

// The grid's open in-place editor; raises OstrelError "GetGridEditor(); no edit"
// when none is open.
QLineEdit &GetGridEditor(const TextGridView &view);
