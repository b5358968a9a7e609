#pragma once

#include <QByteArray>
#include <QString>
#include <exception>
#include <utility>

// The single error type of the program: a short message text. Errors are raised
// where a thing fails and travel up to a clean-up guard or to the application's
// error report, which writes a non-empty message into the log. An empty message
// is a silent cancel (for example a refused save prompt stopping a close).
// A detail, when given, is the system's own reason; the report writes it on
// the line after the message, so the message itself stays the known text.
class OstrelError : public std::exception
{
public:
    explicit OstrelError(QString message, QString detail = QString())
        : m_message(std::move(message)), m_detail(std::move(detail)), m_utf8(m_message.toUtf8()) {}
    explicit OstrelError(const char *message, QString detail = QString())
        : OstrelError(QString::fromUtf8(message), std::move(detail)) {}

    static OstrelError cancel() { return OstrelError(QString()); }

    const QString &message() const noexcept { return m_message; }
    const QString &detail() const noexcept { return m_detail; }
    bool isCancel() const noexcept { return m_message.isEmpty(); }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QString m_detail;
    QByteArray m_utf8;
};
