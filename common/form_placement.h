#pragma once

#include <QList>
#include <QRect>
#include <QString>

class SettingsStore;

// What the settings keep of a window's placement. States: 0 normal,
// 1 minimized, 2 maximized. Bounds are the outer frame in pixels.
struct FormPlacement
{
    int windowState = 0;
    QRect bounds;
    bool resizable = true;   // only a resizable border takes a stored size
    bool visible = true;
    bool floating = true;    // a top-level window, not docked into another
};

// Stored sizes and positions beyond this many pixels are no real placement
// (and would overflow the geometry's sums); reading them raises.
inline constexpr int MaxPlacementPixels = 1 << 20;

inline constexpr int WindowStateNormal = 0, WindowStateMinimized = 1, WindowStateMaximized = 2;

// Reads WindowState and, when it is normal, Width/Height (resizable forms)
// and Left/Top from the key; false, and nothing read, when the key is missing.
// Raises on a missing or wrong-kind value; placement is then unchanged.
bool ReadFormPlacement(SettingsStore &store, const QString &keyPath, FormPlacement &placement);
// When the top of a window (its title bar) lies on none of the screens (their
// available areas), or the window is more than twice the largest screen's size,
// moves and if need be shrinks bounds onto the screen they overlap most, else
// the first. False, bounds unchanged, when the window can be reached as it is.
bool PullOntoScreen(QRect &bounds, const QList<QRect> &screens);
// Writes WindowState and, only in the normal state, the bounds, Visible and Floating.
void WriteFormPlacement(SettingsStore &store, const QString &keyPath, const FormPlacement &placement);
