#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>

// Opens paths one at a time, one per turn of the event loop, so that a long
// list handed over by a later start never holds up the window: it repaints
// and takes input between two files. open must not raise.
class FileOpenQueue : public QObject
{
public:
    explicit FileOpenQueue(std::function<void(const QString &)> open, QObject *parent = nullptr);

    void enqueue(const QStringList &paths);
    qsizetype pending() const { return m_paths.size(); }

private:
    void openNext();

    std::function<void(const QString &)> m_open;
    QStringList m_paths;
    QTimer m_timer;
};
