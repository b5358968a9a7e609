#include "common/form_placement.h"

#include "common/settings_keys.h"
#include "common/settings_store.h"

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
            read.bounds.setSize({store.ReadInteger(SettingsValue::Width), store.ReadInteger(SettingsValue::Height)});
        read.bounds.moveTo(store.ReadInteger(SettingsValue::Left), store.ReadInteger(SettingsValue::Top));
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
