#pragma once

#include <QHash>
#include <QMdiArea>
#include <QPointer>

class TTextList2Form;

// The main window's document area: it creates the document windows' frames,
// places each new one, cascades, tiles and arranges them, finds the active
// one, and scrolls when windows reach past its edges, so every part of every
// window can be brought into sight.
class DocumentArea : public QMdiArea
{
    Q_OBJECT
public:
    explicit DocumentArea(QWidget *parent = nullptr);

    // Puts form into a frame of its own with the given client size (smaller
    // when the area is smaller), one step below and right of the last window;
    // maximized when the active window is. The new window becomes active.
    void addDocument(TTextList2Form *form, QSize clientSize);

    // The document windows, top one first.
    QList<TTextList2Form *> documents() const;
    TTextList2Form *activeDocument() const;
    // Makes form's window the active one, shown again when it was minimized.
    void showDocument(TTextList2Form *form);
    // Shows the active document window normal or maximized; nothing without one.
    void setActiveDocumentState(bool normal);

    enum class Tiling { Horizontal, Vertical };
    // Horizontal: one above the other, each the full width; vertical: side by side.
    void tile(Tiling how);
    // Lines the minimized windows up along the bottom edge.
    void arrangeIcons();
    void minimizeAll();

    // Scrolls so that rect (in form's coordinates) is in sight, its top-left
    // corner first when it is larger than the area.
    void ensureVisible(QWidget *form, const QRect &rect);

    // The windows a cascade of new windows runs through before it starts again
    // at the top, and the steps of it a window shrunk to the area leaves free.
    static constexpr int CascadeRun = 10;
    static constexpr int StepsKeptFree = 4;
    // The smallest client size a new window is given to fit the area.
    static constexpr QSize MinimumClientSize{240, 120};

private:
    // The window in each frame, as it was put there; none once it is gone.
    QHash<const QMdiSubWindow *, QPointer<TTextList2Form>> m_forms;
};
