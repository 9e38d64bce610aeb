#include "sales/closing/ColumnLimits.h"

#include "sales/closing/ReceiptLines.h"

namespace sales {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString notPrintedTail(const QString& advice) {
    return kCrLf + kCrLf + QStringLiteral(" Чек не напечатан. ") + advice + QStringLiteral("     ");
}

QString tooLargeSum(const QString& what, const QString& text) {
    return QStringLiteral(" ") + what + QStringLiteral(" ") + text +
           QStringLiteral(" больше наибольшей суммы,     ") + kCrLf +
           QStringLiteral(" которую можно записать в Базу Данных (") + kLargestStoredSum.toString() +
           QStringLiteral(").     ") + notPrintedTail(QStringLiteral("Разделите покупку на несколько чеков."));
}

}  // namespace

bool fitsColumn(const QString& text, int width) { return text.size() <= width; }

bool sumFits(Money sum) { return sum.kopecks >= 0 && sum <= kLargestStoredSum; }

QString lineWidthProblem(const QStringList& line, int row) {
    static const struct {
        int entry;
        int width;
        const char* field;
    } fields[] = {
        {LineBasePrice, columnWidth::kPrice, "цена до скидки"},
        {LinePrice, columnWidth::kPrice, "цена"},
        {LineQty, columnWidth::kCount, "количество"},
        {LineGtin, columnWidth::kGtin, "код товара (GTIN)"},
        {LineSerial, columnWidth::kSerial, "серийный номер кода маркировки"},
        {LineMarkCode, columnWidth::kMarkingCode, "код маркировки"},
        {LineCustoms, columnWidth::kCustoms, "номер таможенной декларации"},
        {LineFraction, columnWidth::kFraction, "дробное количество"},
    };
    for (const auto& f : fields) {
        if (f.entry >= line.size() || fitsColumn(line[f.entry], f.width)) continue;
        QString position = QStringLiteral(" Позиция ") + QString::number(row);
        if (LineName < line.size() && !line[LineName].trimmed().isEmpty())
            position += QStringLiteral(" < ") + shortName(line[LineName].trimmed()) + QStringLiteral(" >");
        return position + QStringLiteral(":     ") + kCrLf + QStringLiteral(" значение поля '") +
               QString::fromUtf8(f.field) + QStringLiteral("' длиннее, чем можно записать     ") + kCrLf +
               QStringLiteral(" в Базу Данных (не более ") + QString::number(f.width) +
               QStringLiteral(" знаков).     ") +
               notPrintedTail(QStringLiteral("Исправьте значение и повторите расчет."));
    }
    return {};
}

QString receiptSumsProblem(const QString& totalText, Money cash, Money card, Money prepay) {
    const QString total = totalText.trimmed();
    const std::optional<Money> totalSum = Money::parse(total);
    if (!fitsColumn(total, columnWidth::kSum) || (totalSum && !sumFits(*totalSum)))
        return tooLargeSum(QStringLiteral("Сумма чека"), total);
    const struct {
        Money sum;
        const char* name;
    } payments[] = {{cash, "наличными"}, {card, "безналичными"}, {prepay, "предоплатой"}};
    for (const auto& p : payments)
        if (!sumFits(p.sum) || !fitsColumn(p.sum.toString(), columnWidth::kSum))
            return tooLargeSum(QStringLiteral("Сумма оплаты '") + QString::fromUtf8(p.name) + QLatin1Char('\''),
                               p.sum.toString());
    return {};
}

}  // namespace sales
