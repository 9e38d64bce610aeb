#include "sales/receipt/SumLimits.h"

#include "sales/receipt/ReceiptCalc.h"

namespace sales {

std::optional<int> integerDigits(const QString& text) {
    const QString t = text.trimmed();
    int digits = 0;
    bool point = false;
    bool any = false;
    for (const QChar c : t) {
        if (c == QLatin1Char('.') || c == QLatin1Char(',')) {
            if (point) return std::nullopt;
            point = true;
        } else if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            any = true;
            if (!point && (digits > 0 || c != QLatin1Char('0'))) ++digits;
        } else {
            return std::nullopt;
        }
    }
    if (!any) return std::nullopt;
    return digits;
}

bool amountTextTooLarge(const QString& text) {
    if (const std::optional<Money> m = Money::parse(text)) return *m > kLargestStoredSum;
    // Eight digits before the point are ten million or more.
    const std::optional<int> digits = integerDigits(text);
    return digits && *digits > 7;
}

namespace {

QString rowSumProblem(const ReceiptModel& model, int row) {
    if (!model.isDataRow(row) || !model.isActive(row)) return {};
    if (amountTextTooLarge(model.attr(row, ReceiptModel::AttrBasePrice)) ||
        amountTextTooLarge(model.cell(row, ReceiptModel::ColPrice)))
        return sumLimitText::kPriceTooLarge;
    if (amountTextTooLarge(model.cell(row, ReceiptModel::ColSum))) return sumLimitText::kLineSumTooLarge;
    return {};
}

QString totalProblem(const ReceiptModel& model) {
    const ReceiptModel::Tally& tally = model.tally();
    const Money total = tally.valid && tally.revision == model.revision() ? Money::fromKopecks(tally.total)
                                                                           : calcReceiptTotal(model);
    if (total > kLargestStoredSum) return sumLimitText::kReceiptTotalTooLarge;
    return {};
}

}  // namespace

QString receiptSumProblem(const ReceiptModel& model, int row) {
    if (QString problem = rowSumProblem(model, row); !problem.isEmpty()) return problem;
    return totalProblem(model);
}

QString receiptSumsProblem(const ReceiptModel& model) {
    for (int row = 1; row < model.rowCount(); ++row)
        if (QString problem = rowSumProblem(model, row); !problem.isEmpty()) return problem;
    return totalProblem(model);
}

QString receiptSumsProblemAfter(const ReceiptModel& model, const ReceiptContext& context,
                                const std::function<void(ReceiptModel&)>& change) {
    ReceiptModel trial = model;
    change(trial);
    if (!RecalcReceipt(trial, context).ok()) return {};
    return receiptSumsProblem(trial);
}

}  // namespace sales
