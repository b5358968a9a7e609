#pragma once

#include <QColor>
#include <QWidget>

// A filled rectangle with an outline (the progress bar and its frame).
class TShape : public QWidget
{
    Q_OBJECT
public:
    explicit TShape(QWidget *parent = nullptr);
    void setFill(const QColor &c);
    void setOutline(const QColor &c);
    QColor fill() const { return m_fill; }
    QColor outline() const { return m_outline; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QColor m_fill, m_outline;
};
