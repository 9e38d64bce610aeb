#include "sales/input/FreePrice.h"

#include "sales/input/ItemEntry.h"
#include "sales/input/ScanInput.h"
#include "sales/receipt/ReceiptRules.h"
#include "sales/receipt/SumLimits.h"
#include "platform/ui/MessageService.h"
#include "sales/screen/SmallDialogsLogic.h"

namespace sales {

std::optional<FreePriceInput> parseFreePrice(const QString& line) {
    const QString text = line.trimmed();
    if (text.isEmpty()) return std::nullopt;
    QString priceText = text;
    QString quantityText;
    const qsizetype mark = text.indexOf(kQuantityMark);
    if (mark >= 0) {
        priceText = text.left(mark).trimmed();
        quantityText = text.mid(mark + 1).trimmed();
    }
    // The line only ever holds "." as its point; a "," is no number here.
    if (priceText.contains(QLatin1Char(',')) || quantityText.contains(QLatin1Char(','))) return std::nullopt;
    const std::optional<Money> price = Money::parse(priceText);
    const std::optional<Qty> quantity = quantityText.isEmpty() ? std::optional<Qty>(Qty::units(1))
                                                               : Qty::parse(quantityText);
    if (!price || !quantity) return std::nullopt;
    if (price->kopecks <= 0 || !quantity->isPositive()) return std::nullopt;
    return FreePriceInput{*price, *quantity};
}

QString freePriceSumProblem(const QString& line) {
    const QString text = line.trimmed();
    const qsizetype mark = text.indexOf(kQuantityMark);
    const QString priceText = mark >= 0 ? text.left(mark).trimmed() : text;
    const QString quantityText = mark >= 0 ? text.mid(mark + 1).trimmed() : QString();
    // Only what reads as a number can be too large; "," is no point here.
    if (priceText.contains(QLatin1Char(',')) || quantityText.contains(QLatin1Char(','))) return {};
    if (!integerDigits(priceText)) return {};
    if (amountTextTooLarge(priceText)) return sumLimitText::kPriceTooLarge;
    const std::optional<Money> price = Money::parse(priceText);
    if (!price || price->kopecks <= 0 || quantityText.isEmpty()) return {};
    const std::optional<int> quantityDigits = integerDigits(quantityText);
    if (!quantityDigits) return {};
    const std::optional<Qty> quantity = Qty::parse(quantityText);
    // Too many digits to read: a quantity of 10^15 and more, whose sum at
    // any price is beyond every column.
    if (!quantity) return *quantityDigits > 7 ? sumLimitText::kLineSumTooLarge : QString();
    if (!quantity->isPositive()) return {};
    if (Money::round2(price->toRational() * quantity->toRational()) > kLargestStoredSum)
        return sumLimitText::kLineSumTooLarge;
    return {};
}

int addFreePricePosition(ReceiptModel& model, const FreePriceInput& input, const QString& vatCode,
                         const QString& gtin) {
    if (!input.quantity.isPositive() || input.price.kopecks <= 0) return 0;
    const int row = GetFreeGridRow(model);
    const QString price = input.price.toString();
    model.setAttr(row, ReceiptModel::AttrBasePrice, price);
    model.setAttr(row, ReceiptModel::AttrDiscountKind, QStringLiteral("N"));
    model.setAttr(row, ReceiptModel::AttrMarkType, QStringLiteral("0"));
    model.setAttr(row, ReceiptModel::AttrGtin, gtin);
    model.setAttr(row, ReceiptModel::AttrVat, vatCode);
    model.setCell(row, ReceiptModel::ColPrice, price);
    model.setCell(row, ReceiptModel::ColStatus, ReceiptModel::StatusActive);
    // No unit kind: the quantity shows its decimals only when it has some.
    model.setQuantity(row, input.quantity);
    return row;
}

int btnFreePriceClick(EntryScreen& screen, const std::function<int()>& queryTaxRate) {
    if (screen.workplaceLocked()) return 0;
    // A price or sum too large to store is said so before anything is asked.
    if (const QString problem = freePriceSumProblem(screen.inputLine()); !problem.isEmpty()) {
        ui::showError(problem, screen.messageParent());
        return 0;
    }
    const std::optional<FreePriceInput> input = parseFreePrice(screen.inputLine());
    if (!input) return 0;
    QString vat;
    // The rate window answers 20 + the VAT code; anything else leaves it empty.
    if (screen.taxSystemTag() == 1 && queryTaxRate) {
        const int code = vatCodeFromChoice(queryTaxRate());
        if (code > 0) vat = QString::number(code);
    }
    ReceiptModel::Undo undo(screen.receipt());
    const int row = addFreePricePosition(screen.receipt(), *input, vat);
    if (row == 0) return 0;
    screen.receiptChanged(row);
    // The position fits on its own but would take the receipt's total
    // beyond what can be stored: refused, and the line stays to be corrected.
    QString problem = receiptSumProblem(screen.receipt(), row);
    if (problem.isEmpty()) problem = screen.refundLimitProblem(row);
    if (!problem.isEmpty()) {
        undo.rollback();
        screen.receiptChanged(0);
        ui::showError(problem, screen.messageParent());
        return 0;
    }
    screen.clearInput();
    if (lineSumIsZero(screen.receipt(), row)) {
        // 0.001 at one kopeck: nothing the register could sell.
        undo.rollback();
        screen.receiptChanged(0);
        ui::showError(zeroSumEditText(), screen.messageParent());
        return 0;
    }
    return row;
}

}  // namespace sales
