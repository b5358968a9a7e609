#pragma once

#include <QByteArray>
#include <QString>
#include <exception>
#include <utility>

// The single error type of the program: a short message text. Errors are raised
// where a thing fails and travel up to a clean-up guard or to the application's
// error report, which writes a non-empty message into the log. An empty message
// is a silent cancel (for example a refused save prompt stopping a close).
class OstrelError : public std::exception
{
public:
    explicit OstrelError(QString message)
        : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    explicit OstrelError(const char *message) : OstrelError(QString::fromUtf8(message)) {}

    static OstrelError cancel() { return OstrelError(QString()); }

    const QString &message() const noexcept { return m_message; }
    bool isCancel() const noexcept { return m_message.isEmpty(); }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};
