#pragma once

#include "common/form_placement.h"

class QWidget;

// A window's placement as the settings keep it, and back. The outer frame
// counts; before a window is first shown it has no frame yet, so its size is
// its outer size. A state set on a hidden window takes effect when it is shown.
FormPlacement PlacementOf(const QWidget &form);
void ApplyPlacement(QWidget &form, const FormPlacement &placement);

// The placement of any window in the key keyPath of the store; loading
// raises on a missing or wrong-kind value and then leaves the window as it is.
void LoadFormPlacement(SettingsStore &store, const QString &keyPath, QWidget &form);
void SaveFormPlacement(SettingsStore &store, const QString &keyPath, const QWidget &form);
