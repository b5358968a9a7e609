#pragma once

#include "documents/file_recognition.h"
#include "shell/main_actions.h"

#include <QList>
#include <QStringList>

class ParallelSend;
class QAction;
class QByteArray;
class QString;
class TTextList2Form;
struct SendChoices;

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
    // The send's safeguards as the user last left them.
    virtual SendChoices &sendChoices() = 0;
    // Starts writing image to every port at once at the selected baud rate,
    // with the safeguards chosen (a backup goes into the backup folder);
    // raises while another transfer runs. It counts as a transfer under way
    // until it ended.
    virtual ParallelSend &StartSendToSeveral(const QStringList &ports, const QByteArray &image,
                                             const SendChoices &choices, const QString &table) = 0;

protected:
    ~CommandHost() = default;
};
