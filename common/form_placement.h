#pragma once

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

inline constexpr int WindowStateNormal = 0, WindowStateMinimized = 1, WindowStateMaximized = 2;

// Reads WindowState and, when it is normal, Width/Height (resizable forms)
// and Left/Top from the key; false, and nothing read, when the key is missing.
// Raises on a missing or wrong-kind value; placement is then unchanged.
bool ReadFormPlacement(SettingsStore &store, const QString &keyPath, FormPlacement &placement);
// Writes WindowState and, only in the normal state, the bounds, Visible and Floating.
void WriteFormPlacement(SettingsStore &store, const QString &keyPath, const FormPlacement &placement);
