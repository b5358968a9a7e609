// What the serial transport does the same on every platform: the debug copy of
// the bytes sent and the checks and error for line settings.
#include "device/kovserial.h"

#include "common/messages.h"
#include "common/zered_error.h"
#include "common/zered_log.h"

#include <QFile>
#include <QSet>
#include <QSerialPort>

TKOVSerial::TKOVSerial(QObject *owner) : TKOVPort(owner) {}

TKOVSerial::~TKOVSerial() = default;

void TKOVSerial::openDebugCopy()
{
    auto copy = std::make_unique<QFile>(QString::fromLatin1(DebugCopyName));
    if (copy->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        m_debugCopy = std::move(copy);
    else
        zered::LogPrint(zered::clMagenta, Msg::DebugCopyCannotCreate, DebugCopyName,
                        qUtf8Printable(copy->errorString()));
}

void TKOVSerial::copyToDebug(const void *buffer, int count)
{
    if (m_debugCopy)
        m_debugCopy->write(static_cast<const char *>(buffer), count);
}

bool TKOVSerial::WarnOnce(const QString &port)
{
    // Every transfer opens the port anew; one warning a run is enough.
    static QSet<QString> warned;
    if (warned.contains(port))
        return false;
    warned.insert(port);
    return true;
}

void TKOVSerial::linkGone(const QString &code)
{
    LinkGone = true;
    const QString shown = m_name.startsWith(QLatin1String("/dev/")) ? m_name.mid(5) : m_name;
    throw OstrelError(QString::fromUtf8(Msg::SerialPortGone).arg(shown, code));
}

void TKOVSerial::SetParams(const QString &text)
{
    const TKOVLineParams params = KovParseLineParams(text);
    int code = 0;
    if (!IsOpen())
        code = ClosedPortCode;
    else if (params.DataBits < 5 || params.DataBits > 8 || params.Rate <= 0)
        code = RefusedSettingCode;
    else
        code = applyLineParams(params);
    if (code != 0)
        throw OstrelError(QString::fromUtf8(Msg::SetCommStateRet) + QString::number(code));
    LineRate = params.Rate;
}
