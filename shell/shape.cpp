#include "shell/shape.h"

#include <QPainter>

TShape::TShape(QWidget *parent) : QWidget(parent), m_fill(Qt::black), m_outline(Qt::black)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TShape::setFill(const QColor &c)
{
    m_fill = c;
    update();
}

void TShape::setOutline(const QColor &c)
{
    m_outline = c;
    update();
}

void TShape::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_fill);
    p.setPen(m_outline);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}
