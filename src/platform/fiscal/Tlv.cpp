#include "platform/fiscal/Tlv.h"

namespace fiscal {

namespace {

// The letters of code page 866 (the box-drawing characters are not needed
// on a receipt and are not mapped).
int cp866Byte(char16_t c) {
    if (c < 0x80) return c;
    if (c >= 0x0410 && c <= 0x043F) return 0x80 + (c - 0x0410);  // А..Я, а..п
    if (c >= 0x0440 && c <= 0x044F) return 0xE0 + (c - 0x0440);  // р..я
    switch (c) {
    case 0x0401: return 0xF0;  // Ё
    case 0x0451: return 0xF1;  // ё
    case 0x00B0: return 0xF8;  // °
    case 0x00B7: return 0xFA;  // ·
    case 0x2116: return 0xFC;  // №
    case 0x00A4: return 0xFD;  // ¤
    case 0x00A0: return 0xFF;  // no-break space
    default: return -1;
    }
}

char16_t cp866Char(unsigned char b) {
    if (b < 0x80) return b;
    if (b <= 0xAF) return char16_t(0x0410 + (b - 0x80));
    if (b >= 0xE0 && b <= 0xEF) return char16_t(0x0440 + (b - 0xE0));
    switch (b) {
    case 0xF0: return 0x0401;
    case 0xF1: return 0x0451;
    case 0xF8: return 0x00B0;
    case 0xFA: return 0x00B7;
    case 0xFC: return 0x2116;
    case 0xFD: return 0x00A4;
    case 0xFF: return 0x00A0;
    default: return 0xFFFD;
    }
}

void appendLe16(QByteArray& out, int v) {
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

int readLe16(const QByteArray& in, qsizetype at) {
    return static_cast<unsigned char>(in[at]) | (static_cast<unsigned char>(in[at + 1]) << 8);
}

}  // namespace

std::optional<QByteArray> toCp866(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (QChar ch : text) {
        const int b = cp866Byte(ch.unicode());
        if (b < 0) return std::nullopt;
        out.append(char(b));
    }
    return out;
}

QString fromCp866(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (char b : bytes) out.append(QChar(cp866Char(static_cast<unsigned char>(b))));
    return out;
}

QByteArray encodeTlv(int tag, const QByteArray& value) {
    QByteArray out;
    appendLe16(out, tag);
    appendLe16(out, int(value.size()));
    out.append(value);
    return out;
}

std::optional<QList<TlvField>> decodeTlv(const QByteArray& block) {
    QList<TlvField> fields;
    qsizetype at = 0;
    while (at < block.size()) {
        if (block.size() - at < 4) return std::nullopt;
        const int tag = readLe16(block, at);
        const int length = readLe16(block, at + 2);
        at += 4;
        if (block.size() - at < length) return std::nullopt;
        fields.append({tag, block.mid(at, length)});
        at += length;
    }
    return fields;
}

}  // namespace fiscal
