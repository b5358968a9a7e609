#pragma once

#include <QLatin1String>
#include <QObject>

// Names a control that shows a text, so the locale tables give it its caption
// and hint; returns it for use in the same expression.
template <typename Control>
Control *Named(Control *control, const char *name)
{
    control->setObjectName(QLatin1String(name));
    return control;
}
