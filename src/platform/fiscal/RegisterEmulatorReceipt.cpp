// The receipt: open, positions, payments, close with change, cancel.
#include "platform/fiscal/Amounts.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "platform/fiscal/Tlv.h"

namespace fiscal {

namespace {

bool isReceiptType(std::optional<int> t) {
    return t == LIBFPTR_RT_SELL || t == LIBFPTR_RT_SELL_RETURN || t == LIBFPTR_RT_BUY || t == LIBFPTR_RT_BUY_RETURN;
}

bool isTaxSystem(std::optional<int> t) {
    return t == LIBFPTR_TT_OSN || t == LIBFPTR_TT_USN_INCOME || t == LIBFPTR_TT_USN_INCOME_OUTCOME ||
           t == LIBFPTR_TT_ESN || t == LIBFPTR_TT_PATENT;
}

bool isTaxType(std::optional<int> t) {
    return t && *t >= LIBFPTR_TAX_VAT20 && *t <= LIBFPTR_TAX_NO;
}

bool isPaymentType(std::optional<int> t) {
    return t == LIBFPTR_PT_CASH || t == LIBFPTR_PT_ELECTRONICALLY || t == LIBFPTR_PT_PREPAID;
}

// Measure-of-quantity codes of the fiscal data format.
bool isMeasurementUnit(std::optional<int> u) {
    static const QList<int> units{0,  10, 11, 12, 20, 21, 22, 30, 31, 32, 40, 41,
                                  42, 50, 51, 70, 71, 72, 73, 80, 81, 82, 83, 255};
    return u && units.contains(*u);
}

bool inRange(std::optional<int> v, int low, int high) { return v && *v >= low && *v <= high; }

// Cash comes into the drawer on a sale and a purchase return, goes out on
// a sale return and a purchase.
bool paysOut(int receiptType) { return receiptType == LIBFPTR_RT_SELL_RETURN || receiptType == LIBFPTR_RT_BUY; }

}  // namespace

int RegisterEmulator::openReceipt() {
    auto call = enter("openReceipt");
    if (call.refused) return -1;
    if (refuseUnlessShiftUsable() != 0) return -1;
    if (state_.receipt) return refuse(LIBFPTR_ERROR_RECEIPT_OPENED, QStringLiteral("Чек уже открыт"));
    if (!tapeReady()) return -1;
    const ParamList& in = call.in;
    const auto type = toWholeNumber(in.value(LIBFPTR_PARAM_RECEIPT_TYPE));
    if (!isReceiptType(type)) return refuse(LIBFPTR_ERROR_INVALID_RECEIPT_TYPE, QStringLiteral("Неверный тип чека"));
    OpenReceipt receipt;
    receipt.type = *type;
    if (in.has(tag::TaxSystem)) {
        const auto system = toWholeNumber(in.value(tag::TaxSystem));
        if (!isTaxSystem(system))
            return refuse(LIBFPTR_ERROR_INVALID_PARAM, QStringLiteral("Неверная система налогообложения (1055)"));
        receipt.taxSystem = *system;
    }
    receipt.buyerContact = in.value(tag::BuyerContact).toString().trimmed();
    receipt.refundedFiscalSign = in.value(tag::AdditionalRequisite).toString().trimmed();
    receipt.buyerName = in.value(tag::BuyerName).toString().trimmed();
    receipt.buyerInn = in.value(tag::BuyerInn).toString().trimmed();
    if (in.has(tag::BuyerInfo)) {
        const auto fields = decodeTlv(in.value(tag::BuyerInfo).toByteArray());
        if (!fields || fields->isEmpty())
            return refuse(LIBFPTR_ERROR_INVALID_PARAM, QStringLiteral("Неверный формат реквизита 1256"));
        for (const TlvField& f : *fields) {
            if (f.tag == tag::BuyerName) receipt.buyerName = fromCp866(f.value);
            if (f.tag == tag::BuyerInn) receipt.buyerInn = fromCp866(f.value);
        }
    }
    RegisterState next = state_;
    next.receipt = receipt;
    return commit(next) ? 0 : -1;
}

int RegisterEmulator::registration() {
    auto call = enter("registration");
    if (call.refused) return -1;
    if (refuseUnlessShiftUsable() != 0) return -1;
    if (!state_.receipt) return refuse(LIBFPTR_ERROR_RECEIPT_CLOSED, QStringLiteral("Чек не открыт"));
    const ParamList& in = call.in;
    ReceiptPosition position;
    position.name = in.value(LIBFPTR_PARAM_COMMODITY_NAME).toString();
    if (position.name.isEmpty())
        return refuse(LIBFPTR_ERROR_EMPTY_COMMODITY_NAME, QStringLiteral("Не указано наименование предмета расчета"));
    const auto price = toScaled(in.value(LIBFPTR_PARAM_PRICE), 2);
    if (!price || *price < 0) return refuse(LIBFPTR_ERROR_INVALID_PRICE, QStringLiteral("Неверная цена"));
    const auto quantity = toScaled(in.value(LIBFPTR_PARAM_QUANTITY), 3);
    if (!quantity || *quantity <= 0)
        return refuse(LIBFPTR_ERROR_INVALID_QUANTITY, QStringLiteral("Неверное количество"));
    const auto taxType = toWholeNumber(in.value(LIBFPTR_PARAM_TAX_TYPE));
    if (!isTaxType(taxType)) return refuse(LIBFPTR_ERROR_INVALID_TAX_TYPE, QStringLiteral("Неверная ставка НДС"));
    if (in.has(tag::MeasurementUnit) && !isMeasurementUnit(toWholeNumber(in.value(tag::MeasurementUnit))))
        return refuse(LIBFPTR_ERROR_INVALID_PARAM, QStringLiteral("Неверная мера количества (2108)"));
    if (in.has(tag::PaymentObject) && !inRange(toWholeNumber(in.value(tag::PaymentObject)), 1, 33))
        return refuse(LIBFPTR_ERROR_INVALID_PARAM, QStringLiteral("Неверный признак предмета расчета (1212)"));
    if (in.has(tag::PaymentMethod) && !inRange(toWholeNumber(in.value(tag::PaymentMethod)), 1, 7))
        return refuse(LIBFPTR_ERROR_INVALID_PARAM, QStringLiteral("Неверный признак способа расчета (1214)"));
    position.price = *price;
    position.quantity = *quantity;
    position.sum = lineSum(*price, *quantity);
    position.taxType = *taxType;
    position.measurementUnit = toWholeNumber(in.value(tag::MeasurementUnit)).value_or(0);
    position.productCode = in.value(LIBFPTR_PARAM_PRODUCT_CODE).toString().trimmed();

    if (in.has(LIBFPTR_PARAM_MARKING_CODE)) {
        position.markingCode = in.value(LIBFPTR_PARAM_MARKING_CODE).toString();
        const auto status = toWholeNumber(in.value(LIBFPTR_PARAM_MARKING_CODE_STATUS));
        if (!status || !statusFitsReceipt(*status, state_.receipt->type))
            return refuse(LIBFPTR_ERROR_INVALID_MARKING_CODE_STATUS,
                          QStringLiteral("Неверный планируемый статус товара"));
        if (in.has(LIBFPTR_PARAM_MARKING_PROCESSING_MODE) &&
            toWholeNumber(in.value(LIBFPTR_PARAM_MARKING_PROCESSING_MODE)) != 0)
            return refuse(LIBFPTR_ERROR_INVALID_PARAM, QStringLiteral("Неверный режим обработки кода маркировки"));
        if (isFractionalStatus(*status)) {
            position.fractionalQuantity = in.value(LIBFPTR_PARAM_MARKING_FRACTIONAL_QUANTITY).toString().trimmed();
            if (!isValidFraction(position.fractionalQuantity))
                return refuse(LIBFPTR_ERROR_INVALID_PARAM, QStringLiteral("Неверное дробное количество"));
        }
        if (position.markingCode.isEmpty() || !state_.acceptedMarkingCodes.contains(position.markingCode))
            return refuse(LIBFPTR_ERROR_MARKING_CODE_NOT_CHECKED,
                          QStringLiteral("Код маркировки не проверен или не принят"));
        for (const auto& p : state_.receipt->positions)
            if (p.markingCode == position.markingCode)
                return refuse(LIBFPTR_ERROR_INVALID_PARAM,
                              QStringLiteral("Код маркировки уже зарегистрирован в чеке"));
    }
    // One line of the log, not the whole state: the cost of a position must
    // not grow with the positions before it.
    if (log_.usable()) {
        QString error;
        if (!log_.append(state_, position, &error)) {
            qWarning("Register log %s not written: %s", qPrintable(log_.path()), qPrintable(error));
            return refuse(LIBFPTR_ERROR_STORAGE, QStringLiteral("Ошибка записи в память ККТ"));
        }
        state_.receipt->positions.append(position);
        return 0;
    }
    RegisterState next = state_;
    next.receipt->positions.append(position);
    return commit(next) ? 0 : -1;
}

int RegisterEmulator::payment() {
    auto call = enter("payment");
    if (call.refused) return -1;
    if (refuseUnlessShiftUsable() != 0) return -1;
    if (!state_.receipt) return refuse(LIBFPTR_ERROR_RECEIPT_CLOSED, QStringLiteral("Чек не открыт"));
    const auto type = toWholeNumber(call.in.value(LIBFPTR_PARAM_PAYMENT_TYPE));
    if (!isPaymentType(type))
        return refuse(LIBFPTR_ERROR_INVALID_PAYMENT_TYPE, QStringLiteral("Неверный способ оплаты"));
    const auto sum = toScaled(call.in.value(LIBFPTR_PARAM_PAYMENT_SUM), 2);
    if (!sum || *sum <= 0) return refuse(LIBFPTR_ERROR_INVALID_SUM, QStringLiteral("Неверная сумма оплаты"));
    RegisterState next = state_;
    next.receipt->payments.append({*type, *sum});
    return commit(next) ? 0 : -1;
}

int RegisterEmulator::closeReceipt() {
    auto call = enter("closeReceipt");
    if (call.refused) return -1;
    if (refuseUnlessShiftUsable() != 0) return -1;
    if (!state_.receipt) return refuse(LIBFPTR_ERROR_RECEIPT_CLOSED, QStringLiteral("Чек не открыт"));
    const OpenReceipt& receipt = *state_.receipt;
    if (receipt.positions.isEmpty())
        return refuse(LIBFPTR_ERROR_RECEIPT_EMPTY, QStringLiteral("Чек не содержит позиций"));
    const qint64 total = receipt.total();
    const qint64 cashPaid = receipt.paid(LIBFPTR_PT_CASH);
    const qint64 paid = receipt.paidTotal();
    if (paid - cashPaid > total)
        return refuse(LIBFPTR_ERROR_NON_CASH_OVERPAYMENT,
                      QStringLiteral("Сумма безналичной оплаты превышает сумму чека"));
    if (paid < total)
        return refuse(LIBFPTR_ERROR_NOT_ENOUGH_MONEY, QStringLiteral("Недостаточно средств для оплаты чека"));
    const qint64 change = paid - total;  // never more than the cash given
    const qint64 cashMoved = cashPaid - change;
    if (paysOut(receipt.type) && cashMoved > state_.cash)
        return refuse(LIBFPTR_ERROR_NOT_ENOUGH_CASH, QStringLiteral("Недостаточно наличных в денежном ящике"));

    RegisterState next = state_;
    next.cash += paysOut(receipt.type) ? -cashMoved : cashMoved;
    switch (receipt.type) {
    case LIBFPTR_RT_SELL: next.totals.sell += total; break;
    case LIBFPTR_RT_SELL_RETURN: next.totals.sellReturn += total; break;
    case LIBFPTR_RT_BUY: next.totals.buy += total; break;
    default: next.totals.buyReturn += total; break;
    }
    next.totals.receipts += 1;
    next.receiptsInShift += 1;
    next.lastDocument = nextDocument(total);
    next.lastDocument.receiptType = receipt.type;
    for (const auto& p : receipt.positions)
        if (!p.markingCode.isEmpty()) next.acceptedMarkingCodes.removeAll(p.markingCode);
    next.receipt.reset();
    const OpenReceipt printed = receipt;
    if (!commitDocument(next, tape_.receipt(next, printed, next.lastDocument, change))) return -1;
    outputs_[LIBFPTR_PARAM_CHANGE] = double(change) / 100.0;
    // Fiscalised whatever the paper does; a tape that failed is told.
    return paperResult();
}

int RegisterEmulator::checkDocumentClosed() {
    auto call = enter("checkDocumentClosed");
    if (call.refused) return -1;
    outputs_[LIBFPTR_PARAM_DOCUMENT_CLOSED] = !state_.receipt.has_value();
    return 0;
}

int RegisterEmulator::cancelReceipt() {
    auto call = enter("cancelReceipt");
    if (call.refused) return -1;
    if (!state_.receipt) return refuse(LIBFPTR_ERROR_RECEIPT_CLOSED, QStringLiteral("Чек не открыт"));
    const OpenReceipt cancelled = *state_.receipt;
    RegisterState next = state_;
    next.receipt.reset();
    // A code accepted for this receipt was never sold: it must be checked
    // again before it goes on another receipt.
    for (const auto& p : cancelled.positions)
        if (!p.markingCode.isEmpty()) next.acceptedMarkingCodes.removeAll(p.markingCode);
    if (!commit(next)) return -1;
    printTape(tape_.cancelledReceipt(state_, cancelled, now()));
    return 0;
}

}  // namespace fiscal
