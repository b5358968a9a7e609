#include "common/window_placement.h"

#include "common/messages.h"
#include "common/zered_log.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace {

// A window gets its frame from the window system some time after it is first
// shown (under X, when the window manager has reparented it), not always by the
// time the show returns. Until the frame is known its outer size cannot be set;
// so this waits for it, a little while at most, then makes the outer size the
// stored one. Without the wait each start would grow the window by its frame.
class OuterSizeOnShow : public QObject
{
public:
    static constexpr int PollMs = 20, PollLimit = 150;   // three seconds at most

    OuterSizeOnShow(QWidget &form, QSize outer) : QObject(&form), m_form(form), m_outer(outer)
    {
        form.installEventFilter(this);
        m_poll.setInterval(PollMs);
        connect(&m_poll, &QTimer::timeout, this, &OuterSizeOnShow::apply);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show && !m_poll.isActive()) {
            m_poll.start();
            apply();
        }
        return false;
    }

private:
    void apply()
    {
        if (m_done)
            return;
        const QSize frame = m_form.frameGeometry().size() - m_form.size();
        const bool normal = !m_form.isMaximized() && !m_form.isMinimized() && !m_form.isFullScreen();
        if (normal && frame.isNull() && ++m_polls < PollLimit)
            return;   // not placed yet
        if (normal && !frame.isNull())
            m_form.resize(m_outer - frame);
        m_done = true;
        m_poll.stop();
        m_form.removeEventFilter(this);
        deleteLater();
    }

    QWidget &m_form;
    const QSize m_outer;
    QTimer m_poll;
    int m_polls = 0;
    bool m_done = false;
};

} // namespace

FormPlacement PlacementOf(const QWidget &form)
{
    FormPlacement placement;
    if (form.isMinimized())
        placement.windowState = WindowStateMinimized;
    else if (form.isMaximized() || form.isFullScreen())
        placement.windowState = WindowStateMaximized;
    placement.bounds = form.frameGeometry();
    placement.resizable = form.minimumSize() != form.maximumSize();
    placement.visible = form.isVisible();
    placement.floating = form.isWindow();
    return placement;
}

void ApplyPlacement(QWidget &form, const FormPlacement &placement)
{
    const Qt::WindowStates others =
        form.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    switch (placement.windowState) {
    case WindowStateMinimized:
        form.setWindowState(others | Qt::WindowMinimized);
        return;
    case WindowStateMaximized:
        form.setWindowState(others | Qt::WindowMaximized);
        return;
    default:
        break;
    }
    form.setWindowState(others);
    if (placement.resizable) {
        const QSize frame = form.frameGeometry().size() - form.size();
        form.resize(placement.bounds.size() - frame);
        if (!form.isVisible())
            new OuterSizeOnShow(form, placement.bounds.size());
    }
    form.move(placement.bounds.topLeft());
}

void LoadFormPlacement(SettingsStore &store, const QString &keyPath, QWidget &form)
{
    FormPlacement placement = PlacementOf(form);
    if (!ReadFormPlacement(store, keyPath, placement))
        return;
    if (placement.windowState == WindowStateNormal) {
        // Screens change between runs; a window stored on one now gone would open out of reach.
        QList<QRect> screens;
        for (const QScreen *screen : QGuiApplication::screens())
            screens.append(screen->availableGeometry());
        const QRect stored = placement.bounds;
        if (PullOntoScreen(placement.bounds, screens)) {
            const QRect &now = placement.bounds;
            zered::LogPrint(zered::clMagenta, Msg::PlacementPulledOnScreen, stored.left(), stored.top(), stored.width(),
                            stored.height(), now.left(), now.top(), now.width(), now.height());
        }
    }
    ApplyPlacement(form, placement);
}

void SaveFormPlacement(SettingsStore &store, const QString &keyPath, const QWidget &form)
{
    WriteFormPlacement(store, keyPath, PlacementOf(form));
}
