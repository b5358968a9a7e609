#include "shell/document_area.h"

#include "documents/textlist_form.h"

#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollBar>

DocumentArea::DocumentArea(QWidget *parent) : QMdiArea(parent)
{
    // Windows larger than the area, moved or cascaded past its edges stay reachable.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // With no window open the keyboard stays here: the first control to take
    // it otherwise is the port selector, where typing changes the port unseen.
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *frame) {
        if (frame && !frame->isMaximized() && !frame->isMinimized())
            if (TTextList2Form *form = m_forms.value(frame))
                ensureVisible(form, QRect(QPoint(0, 0), QSize(1, 1)));
        if (!frame && subWindowList().isEmpty() && window()->isActiveWindow())
            setFocus(Qt::OtherFocusReason);
    });
}

void DocumentArea::addDocument(TTextList2Form *form, QSize clientSize)
{
    QMdiSubWindow *previous = currentSubWindow();
    const bool maximized = previous && previous->isMaximized();
    QMdiSubWindow *frame = addSubWindow(form);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    // A closed window goes with its frame; a new frame may take the old one's address.
    m_forms.removeIf([](const auto &entry) { return entry.value().isNull(); });
    m_forms.insert(frame, form);
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

QList<TTextList2Form *> DocumentArea::documents() const
{
    QList<TTextList2Form *> list;
    const QList<QMdiSubWindow *> frames = subWindowList(QMdiArea::StackingOrder);
    for (auto it = frames.crbegin(); it != frames.crend(); ++it)
        if (TTextList2Form *form = m_forms.value(*it))
            list.append(form);
    return list;
}

TTextList2Form *DocumentArea::activeDocument() const
{
    return m_forms.value(currentSubWindow());
}

void DocumentArea::showDocument(TTextList2Form *form)
{
    auto *frame = qobject_cast<QMdiSubWindow *>(form->parentWidget());
    if (!frame)
        return;
    if (frame->isMinimized())
        frame->showNormal();
    setActiveSubWindow(frame);
}

void DocumentArea::setActiveDocumentState(bool normal)
{
    QMdiSubWindow *frame = currentSubWindow();
    if (!m_forms.value(frame))
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

void DocumentArea::ensureVisible(QWidget *form, const QRect &rect)
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
