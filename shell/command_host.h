#pragma once

#include "documents/file_recognition.h"
#include "shell/main_actions.h"

#include <QList>

class QAction;
class QString;
class TTextList2Form;

// What the main window's commands see of it: its command table, its table
// windows and the ways a new one comes in. The windows are named as they are
// created; nobody casts to find them.
class CommandHost
{
public:
    virtual QAction *action(MainAction id) const = 0;
    // The active table window; none when no window is open.
    virtual TTextList2Form *activeTable() const = 0;
    // The table windows, top one first.
    virtual QList<TTextList2Form *> documents() const = 0;
    // A new table window loaded from path in kind (recognised when no type was
    // chosen); raises "file not found".
    virtual TTextList2Form *OpenDocument(const QString &path, int kind = FileKindAuto) = 0;
    // A new table window named name (untitled when empty).
    virtual TTextList2Form *NewDocument(const QString &name) = 0;
    // Shows the active table window normal or maximized.
    virtual void SetActiveChildState(bool normal) = 0;

protected:
    ~CommandHost() = default;
};
