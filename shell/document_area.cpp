#include "shell/document_area.h"

#include "documents/child_form.h"

#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollBar>

DocumentArea::DocumentArea(QWidget *parent) : QMdiArea(parent)
{
    // Windows larger than the area, moved or cascaded past its edges stay reachable.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(this, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *frame) {
        if (frame && !frame->isMaximized() && !frame->isMinimized())
            if (auto *form = qobject_cast<TChildForm *>(frame->widget()))
                ensureVisible(form, QRect(QPoint(0, 0), QSize(1, 1)));
    });
}

void DocumentArea::addDocument(TChildForm *form, QSize clientSize)
{
    QMdiSubWindow *previous = currentSubWindow();
    const bool maximized = previous && previous->isMaximized();
    QMdiSubWindow *frame = addSubWindow(form);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    // A key of the main window's commands (Ctrl+W for Close) stays theirs: a
    // second owner in the frame's own menu would make it ambiguous, and it would do nothing.
    QList<QKeySequence> owned;
    for (const QAction *command : window()->actions())
        owned += command->shortcuts();
    if (QMenu *menu = frame->systemMenu())
        for (QAction *item : menu->actions()) {
            QList<QKeySequence> keys = item->shortcuts();
            if (keys.removeIf([&](const QKeySequence &key) { return owned.contains(key); }))
                item->setShortcuts(keys);
        }
    if (maximized) {
        // Like the one before it; a maximized window has no place of its own.
        frame->showMaximized();
        setActiveSubWindow(frame);
        return;
    }
    frame->show();
    const QSize decoration = frame->size() - form->size();
    // Each new window steps down and right by a title bar, as far as it fits;
    // a window larger than the area is made smaller, leaving room for a few steps.
    const int step = std::max(decoration.height() - decoration.width() / 2, 1);
    const QSize room = viewport()->size() - decoration - QSize(1, 1) * (step * StepsKeptFree);
    const QSize client = clientSize.boundedTo(room).expandedTo(MinimumClientSize);
    frame->resize(client + decoration);
    const QSize slack = viewport()->size() - frame->size();
    const int fitting = std::clamp(std::min(slack.width(), slack.height()) / step + 1, 1, CascadeRun);
    const int place = int(subWindowList().size() - 1) % fitting;
    frame->move(place * step, place * step);
    setActiveSubWindow(frame);
}

QList<TChildForm *> DocumentArea::documents() const
{
    QList<TChildForm *> list;
    const QList<QMdiSubWindow *> frames = subWindowList(QMdiArea::StackingOrder);
    for (auto it = frames.crbegin(); it != frames.crend(); ++it)
        if (auto *child = qobject_cast<TChildForm *>((*it)->widget()))
            list.append(child);
    return list;
}

TChildForm *DocumentArea::activeDocument() const
{
    QMdiSubWindow *frame = currentSubWindow();
    return frame ? qobject_cast<TChildForm *>(frame->widget()) : nullptr;
}

void DocumentArea::setActiveDocumentState(bool normal)
{
    QMdiSubWindow *frame = currentSubWindow();
    if (!frame || !qobject_cast<TChildForm *>(frame->widget()))
        return;
    if (normal)
        frame->showNormal();
    else
        frame->showMaximized();
}

void DocumentArea::tile(Tiling how)
{
    QList<QMdiSubWindow *> frames;
    for (QMdiSubWindow *frame : subWindowList(QMdiArea::CreationOrder))
        if (!frame->isMinimized())
            frames.append(frame);
    if (frames.isEmpty())
        return;
    const QRect area = viewport()->rect();
    const int n = int(frames.size());
    for (int i = 0; i < n; ++i) {
        frames[i]->showNormal();
        if (how == Tiling::Horizontal) {
            const int h = area.height() / n;
            frames[i]->setGeometry(0, i * h, area.width(), i == n - 1 ? area.height() - i * h : h);
        } else {
            const int w = area.width() / n;
            frames[i]->setGeometry(i * w, 0, i == n - 1 ? area.width() - i * w : w, area.height());
        }
    }
}

void DocumentArea::arrangeIcons()
{
    const QRect area = viewport()->rect();
    int x = 0;
    for (QMdiSubWindow *frame : subWindowList(QMdiArea::CreationOrder)) {
        if (!frame->isMinimized())
            continue;
        frame->move(x, area.height() - frame->height());
        x += frame->width();
    }
}

void DocumentArea::minimizeAll()
{
    for (QMdiSubWindow *frame : subWindowList())
        frame->showMinimized();
}

void DocumentArea::ensureVisible(TChildForm *form, const QRect &rect)
{
    auto *frame = qobject_cast<QMdiSubWindow *>(form->parentWidget());
    if (!frame || frame->isMaximized())
        return;
    // Subwindows live in the viewport's coordinates; scrolling moves them.
    const QRect target(form->mapTo(frame, rect.topLeft()) + frame->pos(), rect.size());
    const QSize view = viewport()->size();
    auto shift = [](int low, int high, int size) {
        int by = high > size ? high - size : 0;   // bring the far edge in
        return low - by < 0 ? low : by;           // but never lose the near edge
    };
    // The frame's title bar comes along when the target is the window's top.
    const int top = rect.top() <= 0 ? frame->y() : target.top();
    const int dx = shift(rect.left() <= 0 ? frame->x() : target.left(), target.right() + 1, view.width());
    const int dy = shift(top, target.bottom() + 1, view.height());
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + dx);
    verticalScrollBar()->setValue(verticalScrollBar()->value() + dy);
}
