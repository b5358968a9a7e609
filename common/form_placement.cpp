#include "common/form_placement.h"

#include "common/settings_keys.h"
#include "common/settings_store.h"

#include <algorithm>

bool ReadFormPlacement(SettingsStore &store, const QString &keyPath, FormPlacement &placement)
{
    if (!store.OpenKey(keyPath, false))
        return false;
    FormPlacement read = placement;
    const int state = store.ReadInteger(SettingsValue::WindowState);
    // An unknown state shows the window normally.
    read.windowState = state == WindowStateMinimized || state == WindowStateMaximized ? state : WindowStateNormal;
    if (read.windowState == WindowStateNormal) {
        if (read.resizable)
            read.bounds.setSize({store.ReadInteger(SettingsValue::Width, 0, MaxPlacementPixels),
                                 store.ReadInteger(SettingsValue::Height, 0, MaxPlacementPixels)});
        read.bounds.moveTo(store.ReadInteger(SettingsValue::Left, -MaxPlacementPixels, MaxPlacementPixels),
                           store.ReadInteger(SettingsValue::Top, -MaxPlacementPixels, MaxPlacementPixels));
    }
    store.CloseKey();
    placement = read;
    return true;
}

void WriteFormPlacement(SettingsStore &store, const QString &keyPath, const FormPlacement &placement)
{
    if (!store.OpenKey(keyPath, true))
        return;
    store.WriteInteger(SettingsValue::WindowState, placement.windowState);
    if (placement.windowState == WindowStateNormal) {
        store.WriteInteger(SettingsValue::Width, placement.bounds.width());
        store.WriteInteger(SettingsValue::Height, placement.bounds.height());
        store.WriteInteger(SettingsValue::Left, placement.bounds.left());
        store.WriteInteger(SettingsValue::Top, placement.bounds.top());
        store.WriteBool(SettingsValue::Visible, placement.visible);
        store.WriteBool(SettingsValue::Floating, placement.floating);
    }
    store.CloseKey();
}

namespace {

// The strip at the top of a window that must lie on a screen for the user to
// reach the window's title bar and drag it.
constexpr int ReachableStripHeight = 30;
constexpr int ReachableStripWidth = 100;

bool Reachable(const QRect &bounds, const QRect &screen)
{
    const QRect strip(bounds.left(), bounds.top(), bounds.width(), std::min(bounds.height(), ReachableStripHeight));
    const QRect onScreen = screen.intersected(strip);
    return onScreen.height() == strip.height() && onScreen.width() >= std::min(strip.width(), ReachableStripWidth);
}

} // namespace

bool PullOntoScreen(QRect &bounds, const QList<QRect> &screens)
{
    if (screens.isEmpty())
        return false;
    const QRect *target = &screens.first();
    qint64 bestOverlap = 0;
    bool reachable = false;
    QSize largest;
    for (const QRect &screen : screens) {
        reachable = reachable || Reachable(bounds, screen);
        largest = largest.expandedTo(screen.size());
        const QRect overlap = screen.intersected(bounds);
        if (qint64(overlap.width()) * overlap.height() > bestOverlap) {
            bestOverlap = qint64(overlap.width()) * overlap.height();
            target = &screen;
        }
    }
    // A window partly off the screen may have been put there on purpose; one
    // whose title bar is out of reach, or twice the screen's size, was not.
    if (reachable && bounds.width() <= 2 * largest.width() && bounds.height() <= 2 * largest.height())
        return false;
    const QSize size = bounds.size().boundedTo(target->size()).expandedTo({1, 1});
    const int left = std::clamp(bounds.left(), target->left(), target->right() - size.width() + 1);
    const int top = std::clamp(bounds.top(), target->top(), target->bottom() - size.height() + 1);
    bounds = QRect(QPoint(left, top), size);
    return true;
}
