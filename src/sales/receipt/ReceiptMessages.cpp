#include "sales/receipt/ReceiptMessages.h"

namespace sales {

ReceiptMessage receiptMessage(ReceiptMessageId id) {
    switch (id) {
    case ReceiptMessageId::PercentTooLarge:
        return {QStringLiteral("Недопустимый размер скидки"),
                QStringLiteral("Вы задали очень большой   \r\nпроцент скидки"), ReceiptMessageIcon::Warning};
    case ReceiptMessageId::InvalidDataFormat:
        return {QStringLiteral("Ошибка программы"),
                QStringLiteral("Недопустимый формат данных. Перезапустите приложение.   \r\n"
                               "Если ошибка повторится, обратитесь к разработчику."),
                ReceiptMessageIcon::Error};
    case ReceiptMessageId::DiscountNotAcceptable:
        return {QString(), QStringLiteral("Недопустимый размер скидки.     "), ReceiptMessageIcon::Warning};
    case ReceiptMessageId::TobaccoPriceOutOfLimits:
        return {QString(), QStringLiteral("Недопустимая розничная цена!     "), ReceiptMessageIcon::Error};
    case ReceiptMessageId::ReceiptDiscountCancelled:
        return {QString(), QStringLiteral("Назначенная скидка НА ЧЕК будет отменена.     "),
                ReceiptMessageIcon::Warning};
    case ReceiptMessageId::SerialAlreadyInReceipt:
        return {QString(), QStringLiteral("Товар с таким серийным номером в чеке уже есть!     "),
                ReceiptMessageIcon::Warning};
    case ReceiptMessageId::PriceConflict:
        return {QString(),
                QStringLiteral("Наличие в чеке нескольких единиц одного товара     \r\n"
                               "по разным ценам НЕ допускается.     "),
                ReceiptMessageIcon::Error};
    case ReceiptMessageId::DiscountZeroesPosition:
        return {QString(),
                QStringLiteral(" Со скидкой сумма позиции составляет 0.00 руб.     \r\n\r\n"
                               " Позиция с такой скидкой не может быть продана.     "),
                ReceiptMessageIcon::Warning};
    }
    return {};
}

ReceiptMessage discountZeroesPositionMessage(const QString& name) {
    const QString shown = name.trimmed().size() > 50 ? name.trimmed().left(47) + QStringLiteral("...") : name.trimmed();
    ReceiptMessage m = receiptMessage(ReceiptMessageId::DiscountZeroesPosition);
    m.text = QStringLiteral(" Со скидкой сумма позиции     \r\n  < ") + shown +
             QStringLiteral(" >     \r\n составляет 0.00 руб.     \r\n\r\n"
                            " Позиция с такой скидкой не может быть продана.     ");
    return m;
}

ReceiptMessage priceConflictMessage(const QString& price, int row, const QString& rowPrice) {
    ReceiptMessage m = receiptMessage(ReceiptMessageId::PriceConflict);
    m.text += QStringLiteral("\r\n\r\nДобавляемая единица: цена ") + price + QStringLiteral(" руб.") +
              QStringLiteral("\r\n") + QStringLiteral("Позиция в чеке (строка ") + QString::number(row) +
              QStringLiteral("): цена за ед. ") + rowPrice + QStringLiteral(" руб.");
    return m;
}

}  // namespace sales
