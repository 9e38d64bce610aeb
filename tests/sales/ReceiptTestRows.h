#pragma once
// Builds receipt rows the way the entry paths leave them, for the receipt tests.
#include "sales/receipt/ReceiptModel.h"

#include <QString>

namespace sales::testing {

struct RowSpec {
    QString id;
    QString kind;   // "P" or "W"
    QString price;  // entry 0 and column 5
    QString qty;    // column 6
    QString discountKind = QStringLiteral("N");
    QString discountValue{};
    QString status = QStringLiteral("A");
    QString country = QStringLiteral("643");
};

inline int addRow(ReceiptModel& m, const RowSpec& s) {
    const int r = GetFreeGridRow(m);
    m.setCell(r, ReceiptModel::ColStatus, s.status);
    m.setCell(r, ReceiptModel::ColId, s.id);
    m.setCell(r, ReceiptModel::ColKind, s.kind);
    m.setCell(r, ReceiptModel::ColName, QStringLiteral("Товар ") + s.id);
    m.setCell(r, ReceiptModel::ColPrice, s.price);
    m.setCell(r, ReceiptModel::ColQty, s.qty);
    m.setCell(r, ReceiptModel::ColCountry, s.country);
    m.setAttr(r, ReceiptModel::AttrBasePrice, s.price);
    m.setAttr(r, ReceiptModel::AttrDiscountKind, s.discountKind);
    m.setAttr(r, ReceiptModel::AttrDiscountValue, s.discountValue);
    m.setAttr(r, ReceiptModel::AttrMarkType, QStringLiteral("0"));
    m.setAttr(r, ReceiptModel::AttrVat, QStringLiteral("VAT") + s.id);
    return r;
}

}  // namespace sales::testing
