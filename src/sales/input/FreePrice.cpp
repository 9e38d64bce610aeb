#include "sales/input/FreePrice.h"

#include "sales/input/ItemEntry.h"
#include "sales/input/ScanInput.h"
#include "sales/receipt/ReceiptRules.h"
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
    screen.clearInput();
    screen.receiptChanged(row);
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
