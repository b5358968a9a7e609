#include "common/form_placement.h"

#include "common/settings_store.h"

bool ReadFormPlacement(SettingsStore &store, const QString &keyPath, FormPlacement &placement)
{
    if (!store.OpenKey(keyPath, false))
        return false;
    FormPlacement read = placement;
    const int state = store.ReadInteger(QStringLiteral("WindowState"));
    // An unknown state shows the window normally.
    read.windowState = state == WindowStateMinimized || state == WindowStateMaximized ? state : WindowStateNormal;
    if (read.windowState == WindowStateNormal) {
        if (read.resizable)
            read.bounds.setSize({store.ReadInteger(QStringLiteral("Width")), store.ReadInteger(QStringLiteral("Height"))});
        read.bounds.moveTo(store.ReadInteger(QStringLiteral("Left")), store.ReadInteger(QStringLiteral("Top")));
    }
    store.CloseKey();
    placement = read;
    return true;
}

void WriteFormPlacement(SettingsStore &store, const QString &keyPath, const FormPlacement &placement)
{
    if (!store.OpenKey(keyPath, true))
        return;
    store.WriteInteger(QStringLiteral("WindowState"), placement.windowState);
    if (placement.windowState == WindowStateNormal) {
        store.WriteInteger(QStringLiteral("Width"), placement.bounds.width());
        store.WriteInteger(QStringLiteral("Height"), placement.bounds.height());
        store.WriteInteger(QStringLiteral("Left"), placement.bounds.left());
        store.WriteInteger(QStringLiteral("Top"), placement.bounds.top());
        store.WriteBool(QStringLiteral("Visible"), placement.visible);
        store.WriteBool(QStringLiteral("Floating"), placement.floating);
    }
    store.CloseKey();
}
