#pragma once

#include <QString>

// Removes the first "(&X)" accelerator group of a caption ("開く(&O)..." -> "開く...").
QString StripAccelSuffix(const QString &caption);
// A command's caption as a name in a title or an undo step: no access key, no trailing dots.
QString CaptionAsName(const QString &caption);

// The recent-list entries' caption codec. A menu takes "&" as its access-key
// marker and shows the text after a tab in its shortcut column.
// Doubles every "&", so the menu shows it and takes no access key from it.
QString PathToCaption(const QString &path);
// The path back from a caption, numbered ("&1\tpath", "\tpath") or not.
QString CaptionToPath(const QString &caption);
