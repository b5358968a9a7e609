#include "device/controller_model.h"

namespace {
quint8 checksum(QByteArrayView bytes)
{
    quint8 sum = 0;
    for (char c : bytes)
        sum += quint8(c);
    return quint8(0xFF - sum);
}
} // namespace

ControllerModel::ControllerModel(Link link) : table(TableSize, char(0xFF)), m_link(link) {}

QByteArray ControllerModel::receive(QByteArrayView bytes)
{
    QByteArray out;
    if (m_hungUp)
        return out;
    m_pending.append(bytes);
    while (!m_hungUp && takeRequest(out)) {}
    return out;
}

void ControllerModel::reply(QByteArray &out, quint8 words, QByteArrayView payload, bool isAck)
{
    if (m_hungUp)
        return;
    const int frame = m_framesSent + 1;
    if (faults.hits(faults.hangUpAt, frame)) {
        m_hungUp = true;
        return;
    }
    m_framesSent = frame;
    if (faults.silentAfter >= 0 && frame > faults.silentAfter)
        return;
    QByteArray bytes;
    if (isAck && faults.hits(faults.ackWithDataAt, frame)) {
        bytes = QByteArray::fromHex("0601") + QByteArray(2, '\0');
    } else if (!isAck && faults.hits(faults.shortFrameAt, frame)) {
        bytes = QByteArray::fromHex("0640") + payload.first(qMin<qsizetype>(128, payload.size())).toByteArray();
    } else {
        bytes.append(char(0x06)).append(char(words)).append(payload);
    }
    if (faults.hits(faults.nakHeaderAt, frame))
        bytes[0] = char(0x15);
    bytes.append(char(checksum(bytes) + (faults.hits(faults.badChecksumAt, frame) ? 1 : 0)));
    if (faults.hits(faults.garbleAt, frame))
        bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x04);
    if (faults.hits(faults.strayBeforeAt, frame))
        out += '\0';
    out += bytes;
}

bool ControllerModel::takeRequest(QByteArray &out)
{
    const auto byteAt = [this](int i) { return quint8(m_pending[i]); };
    if (m_link == Link::Usb && m_pending.size() >= 1 && byteAt(0) == 0x55) {
        if (m_pending.size() < 2)
            return false;
        if (byteAt(1) == 0x8C) {
            m_handshaken = true;
            out += QByteArray::fromHex("8C73");
            m_pending.remove(0, 2);
            return true;
        }
    }
    if (m_pending.size() < 7)
        return false;
    if (checksum(QByteArrayView(m_pending).first(6)) != byteAt(6)) {
        m_pending.remove(0, 1);   // not a header: look for one further on
        return true;
    }
    const quint8 command = byteAt(0);
    const int address = byteAt(1) | byteAt(2) << 8 | byteAt(3) << 16;
    const quint8 words = byteAt(4);
    const int repeat = byteAt(5) + 1;
    const int blockSize = 2 * words;
    const int offset = address - TableAddress;

    if (command == WriteCommand) {
        if (m_pending.size() < 7 + blockSize + 1)
            return false;
        const QByteArrayView data = QByteArrayView(m_pending).sliced(7, blockSize);
        const bool intact = checksum(data) == byteAt(7 + blockSize);
        if (intact) {
            if (offset >= 0 && offset + blockSize <= TableSize)
                table.replace(offset, blockSize, data.toByteArray());
            reply(out, 0, {}, true);
        }
        m_pending.remove(0, 7 + blockSize + 1);
        return true;
    }
    m_pending.remove(0, 7);
    if (command == ReadCommand) {
        for (int k = 0; k < repeat; ++k) {
            const int at = offset + k * blockSize;
            const QByteArray payload = at >= 0 && at + blockSize <= TableSize
                                           ? table.mid(at, blockSize)
                                           : QByteArray(blockSize, char(0xFF));
            reply(out, words, payload, blockSize == 0);
        }
    } else if (command == CloseCommand && m_link == Link::Usb) {
        m_closed = true;
    }
    return true;
}
