#pragma once
// Requisite blocks in the fiscal data format: each field is a 2-byte
// little-endian tag, a 2-byte little-endian length and the value. Text values
// are in code page 866, the code page of the fiscal drive.
#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace fiscal {

struct TlvField {
    int tag = 0;
    QByteArray value;
};

// nullopt when the text holds a character that code page 866 has no byte for:
// a replaced character would put something else on the receipt.
std::optional<QByteArray> toCp866(const QString& text);
QString fromCp866(const QByteArray& bytes);

QByteArray encodeTlv(int tag, const QByteArray& value);
// nullopt when the block is cut short or malformed.
std::optional<QList<TlvField>> decodeTlv(const QByteArray& block);

}  // namespace fiscal
