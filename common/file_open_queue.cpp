#include "common/file_open_queue.h"

FileOpenQueue::FileOpenQueue(std::function<void(const QString &)> open, QObject *parent)
    : QObject(parent), m_open(std::move(open))
{
    // A zero timer fires once the window system's events are handled.
    m_timer.setInterval(0);
    m_timer.callOnTimeout(this, &FileOpenQueue::openNext);
}

void FileOpenQueue::enqueue(const QStringList &paths)
{
    m_paths.append(paths);
    if (!m_paths.isEmpty())
        m_timer.start();
}

void FileOpenQueue::openNext()
{
    if (m_paths.isEmpty()) {
        m_timer.stop();
        return;
    }
    const QString path = m_paths.takeFirst();
    if (m_paths.isEmpty())
        m_timer.stop();
    m_open(path);
}
