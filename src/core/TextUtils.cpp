#include "TextUtils.h"

#include "platform/db/Codec.h"
#include "platform/db/Value.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <array>

namespace core {

QString trimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20) ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20) --end;
    return text.mid(begin, end - begin);
}

QString IfEmptyStr(const QString& text, const QString& fallback) {
    return trimBlanks(text).isEmpty() ? fallback : text;
}

QString EmptyToZeroSum(const QString& text) { return IfEmptyStr(text, QStringLiteral("0.00")); }

namespace {
bool isCrLfOrBlank(QChar c) {
    return c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char(' ');
}
bool holdsCrLfOrBlank(const QString& text) {
    for (const QChar c : text) {
        if (isCrLfOrBlank(c)) return true;
    }
    return false;
}
}  // namespace

QString removeCrLfAndBlanks(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (!isCrLfOrBlank(c)) out.append(c);
    }
    return out;
}

void RemoveCrLfFromMemo(QPlainTextEdit* memo) {
    if (!memo) return;
    const QString text = memo->toPlainText();
    if (!holdsCrLfOrBlank(text)) return;
    memo->setPlainText(removeCrLfAndBlanks(text));
    memo->moveCursor(QTextCursor::End);
}

void RemoveCrLfFromMemo(QTextEdit* memo) {
    if (!memo) return;
    const QString text = memo->toPlainText();
    if (!holdsCrLfOrBlank(text)) return;
    memo->setPlainText(removeCrLfAndBlanks(text));
    memo->moveCursor(QTextCursor::End);
}

void RemoveCrLfFromMemo(QLineEdit* edit) {
    if (!edit) return;
    const QString text = edit->text();
    if (!holdsCrLfOrBlank(text)) return;
    edit->setText(removeCrLfAndBlanks(text));
}

QString StripLeadingZeros(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() - 1 && text.at(i) == QLatin1Char('0')) ++i;
    return text.mid(i);
}

QString PadStr(const QString& text, int mode, QChar ch, int width, bool normalize) {
    QString result = text;
    if (mode == 0 || mode == 1) {
        const qsizetype missing = width - result.size();
        if (missing > 0) {
            const QString pad(missing, ch);
            result = mode == 0 ? pad + result : result + pad;
        }
    }
    if (normalize) {
        bool ok = false;
        const qlonglong value = result.toLongLong(&ok);
        result = QString::number(ok ? value : 0);
    }
    return result;
}

QString ValidateInn(const QString& text) {
    const QString inn = trimBlanks(text);
    if (inn.size() != 12) return {};
    for (const QChar c : inn) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return {};
    }
    return inn;
}

std::int64_t DecodeBase80(const QString& text, int length) {
    static const QString alphabet = QStringLiteral(
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789!\"%&'*+-./_,:;=<>?");
    if (length != 4) return 0;
    if (text.size() != length) return -1;
    std::int64_t value = 0;
    for (const QChar c : text) {
        const qsizetype digit = alphabet.indexOf(c);
        if (digit < 0) return -1;
        value = value * 80 + digit;
    }
    return value;
}

namespace {

// Key map from the Russian layout to the US layout, indexed by the
// Windows-1251 code of the character typed.
std::array<char, 256> buildRusToLatMap() {
    std::array<char, 256> map{};
    const auto same = [&map](char c) { map[static_cast<unsigned char>(c)] = c; };
    for (char c = '0'; c <= '9'; ++c) same(c);
    for (const char c : {' ', '!', '%', '(', ')', '*', '+', '-', '=', '\\', '_'}) same(c);

    // Letters in the order of the US keys Q W E R T Y U I O P A S D F G H
    // J K L Z X C V B N M.
    const QString russianUpper = QStringLiteral("ЙЦУКЕНГШЩЗФЫВАПРОЛДЯЧСМИТЬ");
    const char* latin = "QWERTYUIOPASDFGHJKLZXCVBNM";
    const QByteArray upper = fb::toWin1251(russianUpper);
    const QByteArray lower = fb::toWin1251(russianUpper.toLower());
    for (int i = 0; i < upper.size(); ++i) {
        map[static_cast<unsigned char>(upper[i])] = latin[i];
        map[static_cast<unsigned char>(lower[i])] = static_cast<char>(latin[i] - 'A' + 'a');
    }

    const QByteArray punctLetters = fb::toWin1251(QStringLiteral("ХЪЖЭБЮЁхъжэбюё"));
    const char* punctLatin = "{}:\"<>~[];',.`";
    for (int i = 0; i < punctLetters.size(); ++i) map[static_cast<unsigned char>(punctLetters[i])] = punctLatin[i];

    // Punctuation that sits on other keys in the Russian layout.
    map[static_cast<unsigned char>('"')] = '@';
    map[static_cast<unsigned char>(';')] = '$';
    map[static_cast<unsigned char>(':')] = '^';
    map[static_cast<unsigned char>('?')] = '&';
    map[static_cast<unsigned char>(',')] = '?';
    map[static_cast<unsigned char>('.')] = '/';
    map[static_cast<unsigned char>('/')] = '|';
    return map;
}

}  // namespace

QChar RusToLatKey(std::uint8_t win1251Code) {
    static const std::array<char, 256> map = buildRusToLatMap();
    return QChar(static_cast<ushort>(static_cast<unsigned char>(map[win1251Code])));
}

QChar RusToLatKey(QChar ch) {
    const QString text(ch);
    if (!fb::fitsWin1251(text)) return QChar();
    const QByteArray bytes = fb::toWin1251(text);
    if (bytes.size() != 1) return QChar();
    return RusToLatKey(static_cast<std::uint8_t>(bytes.at(0)));
}

QString EncodeEanForBarcodeFont(const QString& digits) {
    if (digits.size() != 8 && digits.size() != 13) return {};
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return {};
    }
    const auto digit = [&digits](int i) { return digits.at(i).unicode() - '0'; };
    const auto chr = [](int code) { return QChar(static_cast<ushort>(code)); };

    QString out;
    if (digits.size() == 8) {
        out += QLatin1Char(':');
        for (int i = 0; i < 4; ++i) out += chr(65 + digit(i));
        out += QLatin1Char('*');
        for (int i = 4; i < 8; ++i) out += chr(97 + digit(i));
        out += QLatin1Char('+');
        return out;
    }

    // Parity of the six left-hand digits by the first digit (EAN-13):
    // 'A' odd parity (set A), 'B' even parity (set B).
    static const char* const parity[10] = {"AAAAAA", "AABABB", "AABBAB", "AABBBA", "ABAABB",
                                           "ABBAAB", "ABBBAA", "ABABAB", "ABABBA", "ABBABA"};
    const char* pattern = parity[digit(0)];
    out += digits.at(0);
    for (int i = 1; i <= 6; ++i) out += chr((pattern[i - 1] == 'A' ? 65 : 75) + digit(i));
    out += QLatin1Char('*');
    for (int i = 7; i < 13; ++i) out += chr(97 + digit(i));
    out += QLatin1Char('+');
    return out;
}

QString moneyToStoredText(std::int64_t kopecks) { return fb::formatScaled(kopecks, 2); }

QString quantityToStoredText(std::int64_t thousandths) { return fb::formatScaled(thousandths, 3); }

std::int64_t storedTextToScaled(const QString& text, int scale) { return fb::parseScaled(text, scale).value_or(0); }

QString storedNumberSql(const QString& column, int precision) {
    return QStringLiteral("CAST(REPLACE(COALESCE(NULLIF(TRIM(%1), ''), '0'), ',', '.') AS DECIMAL(%2,3))")
        .arg(column)
        .arg(precision);
}

}  // namespace core
