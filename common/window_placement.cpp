#include "common/window_placement.h"

#include "common/messages.h"
#include "common/zered_log.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace {

// A window gets its frame only when it is shown; then its outer size is made
// the stored one.
class OuterSizeOnShow : public QObject
{
public:
    OuterSizeOnShow(QWidget &form, QSize outer) : QObject(&form), m_outer(outer) { form.installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            auto *form = static_cast<QWidget *>(watched);
            form->removeEventFilter(this);
            // The frame is known once the window system has placed the window.
            QTimer::singleShot(0, form, [form, outer = m_outer] {
                const QSize frame = form->frameGeometry().size() - form->size();
                if (!form->isMaximized() && !form->isMinimized() && !frame.isNull())
                    form->resize(outer - frame);
            });
            deleteLater();
        }
        return false;
    }

private:
    const QSize m_outer;
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
