#pragma once

#include <QString>

// Removes the first "(&X)" accelerator group of a caption ("開く(&O)..." -> "開く...").
QString StripAccelSuffix(const QString &caption);
