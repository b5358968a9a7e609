#pragma once

#include <QColor>

class QPainter;
class QRect;
class QString;
class QStyleOptionHeader;
class QWidget;

// Draws a cell's or header's text as the table grid does: 2 pixels below the
// top, 2 pixels in from the left edge (from the right edge when rightAligned),
// clipped to the rectangle.
void DrawGridText(QPainter *painter, const QRect &rect, const QString &text, bool rightAligned);

// A header cell as the style draws it, without its text, or in the selection
// colours when marked; returns the pen for its text.
QColor DrawHeaderCell(QPainter *painter, QStyleOptionHeader &opt, const QWidget *widget, bool marked);
