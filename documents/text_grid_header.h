#pragma once

#include <QHeaderView>

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
