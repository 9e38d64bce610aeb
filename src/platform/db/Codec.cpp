#include "Codec.h"

#include "Error.h"

#include <array>
#include <unordered_map>

namespace fb {
namespace {

// Unicode code points of the bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

const std::unordered_map<char16_t, unsigned char>& reverseTable() {
    static const auto table = [] {
        std::unordered_map<char16_t, unsigned char> t;
        for (int i = 0; i < 64; ++i)
            if (kHigh[i] != 0xFFFD) t.emplace(kHigh[i], static_cast<unsigned char>(0x80 + i));
        for (int i = 0; i < 64; ++i) t.emplace(static_cast<char16_t>(0x0410 + i), static_cast<unsigned char>(0xC0 + i));
        return t;
    }();
    return table;
}

int encodeChar(char16_t c) {
    if (c < 0x80) return c;
    const auto& t = reverseTable();
    const auto it = t.find(c);
    return it == t.end() ? -1 : it->second;
}

}  // namespace

QByteArray toWin1251(const QString& text) {
    QByteArray out;
    out.resize(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int b = encodeChar(text.at(i).unicode());
        if (b < 0) {
            const QString code = QString::number(text.at(i).unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0'));
            throw Error(QStringLiteral("Символ \"%1\" (U+%2) нельзя сохранить в кодировке Windows-1251.")
                            .arg(text.at(i))
                            .arg(code),
                        0, 0, ErrorCategory::Encoding);
        }
        out[i] = static_cast<char>(b);
    }
    return out;
}

bool fitsWin1251(const QString& text) {
    for (const QChar c : text)
        if (encodeChar(c.unicode()) < 0) return false;
    return true;
}

QString fromWin1251(const char* data, int size) {
    QString out;
    out.resize(size);
    QChar* dst = out.data();
    for (int i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        if (b < 0x80)
            dst[i] = QChar(b);
        else if (b < 0xC0)
            dst[i] = QChar(kHigh[b - 0x80]);
        else
            dst[i] = QChar(static_cast<char16_t>(0x0410 + (b - 0xC0)));
    }
    return out;
}

QString fromWin1251(const QByteArray& bytes) { return fromWin1251(bytes.constData(), static_cast<int>(bytes.size())); }

}  // namespace fb
