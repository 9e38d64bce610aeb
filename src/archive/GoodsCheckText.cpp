#include "archive/GoodsCheckText.h"

#include "platform/db/Value.h"
#include "platform/report/Report.h"

#include <array>

namespace archive {

namespace {

const std::array<const char*, 10> kHundreds{"",        "сто",      "двести",  "триста",    "четыреста",
                                            "пятьсот", "шестьсот", "семьсот", "восемьсот", "девятьсот"};
const std::array<const char*, 10> kTens{"",          "",           "двадцать",  "тридцать",    "сорок",
                                        "пятьдесят", "шестьдесят", "семьдесят", "восемьдесят", "девяносто"};
const std::array<const char*, 10> kTeens{"десять",     "одиннадцать", "двенадцать", "тринадцать",   "четырнадцать",
                                         "пятнадцать", "шестнадцать", "семнадцать", "восемнадцать", "девятнадцать"};
const std::array<const char*, 10> kUnitsMasculine{"",     "один",  "два",  "три",    "четыре",
                                                  "пять", "шесть", "семь", "восемь", "девять"};
const std::array<const char*, 10> kUnitsFeminine{"",     "одна",  "две",  "три",    "четыре",
                                                 "пять", "шесть", "семь", "восемь", "девять"};
const std::array<const char*, 10> kThousandForms{"тысяч", "тысяча", "тысячи", "тысячи", "тысячи",
                                                 "тысяч", "тысяч",  "тысяч",  "тысяч",  "тысяч"};
const std::array<const char*, 10> kRoubleForms{"рублей", "рубль",  "рубля",  "рубля",  "рубля",
                                               "рублей", "рублей", "рублей", "рублей", "рублей"};

const std::array<const char*, 12> kMonthsGenitive{"января", "февраля", "марта",    "апреля",  "мая",    "июня",
                                                  "июля",   "августа", "сентября", "октября", "ноября", "декабря"};

void add(QStringList& words, const char* word) {
    if (*word) words << QString::fromUtf8(word);
}

}  // namespace

QString SumToWordsRub(std::int64_t n) {
    if (n < 0 || n > 999'999'999) return QString::number(n) + QStringLiteral(" рублей");
    if (n == 0) return QStringLiteral("Ноль рублей");
    const int millions = int(n / 1'000'000);
    const int thousands = int(n % 1'000'000 / 1000);
    const int rest = int(n % 1000);
    QStringList words;
    if (millions > 0) {
        const int h = millions / 100, t = millions / 10 % 10, u = millions % 10;
        add(words, kHundreds[h]);
        if (t == 1) {
            add(words, kTeens[u]);
        } else {
            add(words, kTens[t]);
            add(words, kUnitsMasculine[u]);
        }
        words << QStringLiteral("млн");
    }
    if (thousands > 0) {
        const int h = thousands / 100, t = thousands / 10 % 10, u = thousands % 10;
        add(words, kHundreds[h]);
        if (t == 1) {
            add(words, kTeens[u]);
            words << QStringLiteral("тысяч");
        } else {
            add(words, kTens[t]);
            add(words, kUnitsFeminine[u]);
            add(words, kThousandForms[u]);
        }
    }
    const char* currency = "рублей";
    if (rest > 0) {
        const int h = rest / 100, t = rest / 10 % 10, u = rest % 10;
        add(words, kHundreds[h]);
        if (t == 1) {
            add(words, kTeens[u]);
        } else {
            add(words, kTens[t]);
            add(words, kUnitsMasculine[u]);
            currency = kRoubleForms[u];
        }
    }
    add(words, currency);
    QString text = words.join(QLatin1Char(' '));
    text[0] = text[0].toUpper();
    return text;
}

QString KopecksToWords(int n) {
    if (n < 0 || n > 99) n = ((n % 100) + 100) % 100;
    if (n == 0) return QStringLiteral("00 копеек");
    const int tens = n / 10, units = n % 10;
    QString word;
    if (tens == 1 || units == 0 || units >= 5)
        word = QStringLiteral("копеек");
    else if (units == 1)
        word = QStringLiteral("копейка");
    else
        word = QStringLiteral("копейки");
    return QStringLiteral("%1%2 %3").arg(tens).arg(units).arg(word);
}

QString amountInWords(std::int64_t kopecks) {
    // A negative sum keeps its sign on the roubles, which then fall back to
    // digits; the kopecks are spelt as their size.
    const std::int64_t roubles = kopecks / 100;
    const int rest = int(kopecks < 0 ? -(kopecks % 100) : kopecks % 100);
    return SumToWordsRub(roubles) + QLatin1Char(' ') + KopecksToWords(rest);
}

std::optional<QString> amountInWords(const QString& totalText) {
    const std::optional<std::int64_t> kopecks = fb::parseScaled(totalText.trimmed(), 2);
    if (!kopecks) return std::nullopt;
    return amountInWords(*kopecks);
}

QString genitiveDate(const QDate& date) {
    if (!date.isValid()) return {};
    return QStringLiteral("%1 %2 %3 г.")
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(QString::fromUtf8(kMonthsGenitive[std::size_t(date.month() - 1)]))
        .arg(date.year(), 4, 10, QLatin1Char('0'));
}

QString goodsCheckTitle(const QString& prefix, const QString& separator, qint64 number, const QDate& date) {
    const QString p = prefix.trimmed();
    return QStringLiteral("Товарный чек № ") + (p.isEmpty() ? QString() : p + separator) + QString::number(number) +
           QStringLiteral(" от ") + genitiveDate(date);
}

QStringList headerLines(const QString& row1, const QString& row2, const QString& row3) {
    QStringList lines;
    for (const QString& r : {row1, row2, row3})
        if (!r.trimmed().isEmpty()) lines << r.trimmed();
    return lines;
}

void layOutGoodsCheckHeader(report::Report& r, const QStringList& lines) {
    struct Tops {
        double address, section, region;
    };
    const int n = int(std::min<qsizetype>(lines.size(), 3));
    static const std::array<Tops, 4> tops{
        {{1.14, 1.4567, 1.6929}, {1.14, 1.4567, 1.6929}, {1.34, 1.6929, 1.929}, {1.535, 1.929, 2.165}}};
    const QString names[3] = {QStringLiteral("txtSupplier1S"), QStringLiteral("txtSupplier2S"),
                              QStringLiteral("txtSupplier3S")};
    r.setText(names[0], n > 0 ? lines[0] : QString());
    for (int i = 1; i < 3; ++i) {
        if (i < n)
            r.setText(names[i], lines[i]);
        else
            r.remove(names[i]);
    }
    const Tops& t = tops[std::size_t(n)];
    r.setTop(QStringLiteral("Text3"), t.address);
    r.setTop(QStringLiteral("txtAddress"), t.address);
    r.setTop(QStringLiteral("Section1"), t.section);
    r.setTop(QStringLiteral("Region1"), t.region);
}

void layOutPreviewHeader(report::Report& r, const QStringList& lines) {
    const int n = int(std::min<qsizetype>(lines.size(), 3));
    const QString names[3] = {QStringLiteral("txtSupplier1S"), QStringLiteral("txtSupplier2S"),
                              QStringLiteral("txtSupplier3S")};
    r.setText(names[0], n > 0 ? lines[0] : QStringLiteral("не указан"));
    for (int i = 1; i < 3; ++i) {
        if (i < n)
            r.setText(names[i], lines[i]);
        else
            r.remove(names[i]);
    }
    if (n <= 1) r.setTop(QStringLiteral("Section1"), 0.748);
    if (n == 2) {
        r.setTop(names[1], 0.748);
        r.setTop(QStringLiteral("Section1"), 0.945);
    }
}

int startNumberFromText(const QString& text) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok && n > 0 ? n : 1;
}

}  // namespace archive
