#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The POS2-M exchange with a scale: a one-byte state request, a one-byte
// state reply, an eight-byte weight request and a fifteen-byte weight reply.
namespace pos2m {

inline constexpr int kProtocolCode = 2;
inline constexpr char kProtocolName[] = "POS2-M";

inline constexpr char kStateRequest = 0x05;  // ENQ
inline constexpr char kReady = 0x15;         // NAK: the scale is ready
inline constexpr char kStx = 0x02;
inline constexpr char kWeightCommand = ':';
// The four ASCII digits every weight request carries after the command.
inline constexpr char kAccessField[] = "0030";

inline constexpr int kWeightRequestSize = 8;
inline constexpr int kWeightReplySize = 15;

// XOR of all bytes.
quint8 xorOf(QByteArrayView bytes);

QByteArray stateRequest();
// STX, length 5, ':', the four access digits, XOR of bytes 1..6.
QByteArray weightRequest();

// Grams from a weight reply, or nothing when the reply is not a valid one:
// 15 bytes, byte 3 the command echo ':', byte 14 the XOR of bytes 2..13.
// The weight is bytes 7 (low) and 8 (high), a signed 16-bit number.
std::optional<int> parseWeightReply(QByteArrayView reply);

// Grams as kilograms with three decimals ("10.000", "-0.016").
QString formatKg(int grams);

}  // namespace pos2m
