#include "platform/net/Frame.h"

#include <QtEndian>

namespace net {

QByteArray encodeFrame(const QByteArray& payload) {
    QByteArray frame(4, '\0');
    qToBigEndian<quint32>(static_cast<quint32>(payload.size()), frame.data());
    frame.append(payload);
    return frame;
}

std::optional<std::uint32_t> FrameReader::announced() const {
    if (buffer_.size() < 4) return std::nullopt;
    return qFromBigEndian<quint32>(buffer_.constData());
}

std::optional<QByteArray> FrameReader::next() {
    if (oversized_) return std::nullopt;
    const std::optional<std::uint32_t> length = announced();
    if (!length) return std::nullopt;
    if (*length > max_) {
        oversized_ = true;
        return std::nullopt;
    }
    const qsizetype whole = 4 + qsizetype(*length);
    if (buffer_.size() < whole) return std::nullopt;
    QByteArray payload = buffer_.mid(4, *length);
    buffer_.remove(0, whole);
    return payload;
}

}  // namespace net
