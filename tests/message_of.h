#pragma once

#include "common/zered_error.h"

#include <QString>
#include <functional>

// The message of the error fn raises; empty when it raises none.
inline QString messageOf(const std::function<void()> &fn)
{
    try {
        fn();
    } catch (const OstrelError &e) {
        return e.message();
    }
    return QString();
}
