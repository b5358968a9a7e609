#include "common/window_placement.h"

#include <QWidget>

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
    }
    form.move(placement.bounds.topLeft());
}

void LoadFormPlacement(SettingsStore &store, const QString &keyPath, QWidget &form)
{
    FormPlacement placement = PlacementOf(form);
    ReadFormPlacement(store, keyPath, placement);
    ApplyPlacement(form, placement);
}

void SaveFormPlacement(SettingsStore &store, const QString &keyPath, const QWidget &form)
{
    WriteFormPlacement(store, keyPath, PlacementOf(form));
}
