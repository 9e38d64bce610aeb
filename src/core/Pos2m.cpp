#include "core/Pos2m.h"

#include <cstdlib>

namespace pos2m {

static_assert(sizeof(kAccessField) == 5, "the access field is four digits");

quint8 xorOf(QByteArrayView bytes) {
    quint8 check = 0;
    for (char b : bytes)
        check ^= static_cast<quint8>(b);
    return check;
}

QByteArray stateRequest() {
    return QByteArray(1, kStateRequest);
}

QByteArray weightRequest() {
    QByteArray frame;
    frame.reserve(kWeightRequestSize);
    frame.append(kStx);
    frame.append(char(0x05));  // bytes that follow up to the check byte
    frame.append(kWeightCommand);
    frame.append(kAccessField, 4);
    frame.append(static_cast<char>(xorOf(QByteArrayView(frame).sliced(1))));
    return frame;
}

std::optional<int> parseWeightReply(QByteArrayView reply) {
    if (reply.size() != kWeightReplySize)
        return std::nullopt;
    if (reply[3] != kWeightCommand)
        return std::nullopt;
    if (xorOf(reply.sliced(2, 12)) != static_cast<quint8>(reply[14]))
        return std::nullopt;
    const auto low = static_cast<quint8>(reply[7]);
    const auto high = static_cast<quint8>(reply[8]);
    return static_cast<int>(static_cast<qint16>(static_cast<quint16>(low | (high << 8))));
}

QString formatKg(int grams) {
    const int whole = std::abs(grams) / 1000;
    const int rest = std::abs(grams) % 1000;
    return QStringLiteral("%1%2.%3")
        .arg(grams < 0 ? QStringLiteral("-") : QString())
        .arg(whole)
        .arg(rest, 3, 10, QLatin1Char('0'));
}

}  // namespace pos2m
