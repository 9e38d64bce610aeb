#include "sales/closing/PrintJob.h"

#include "sales/closing/ReceiptLines.h"

#include <QJsonArray>

namespace sales {

bool documentKnown(const FiscalDocumentInfo& document) {
    return document.read && document.number > 0 && !document.fiscalSign.trimmed().isEmpty();
}

QJsonObject printJobToJson(const PrintJob& job) {
    QJsonArray lines;
    for (const QStringList& line : job.lines) lines.append(QJsonArray::fromStringList(line));
    QJsonArray portions;
    for (const QStringList& choice : job.portions) portions.append(QJsonArray::fromStringList(choice));
    return QJsonObject{
        {QStringLiteral("cashierName"), job.cashierName},
        {QStringLiteral("cashierInn"), job.cashierInn},
        {QStringLiteral("kind"), job.kind},
        {QStringLiteral("paymentFlag"), job.paymentFlag},
        {QStringLiteral("taxSystemCode"), job.taxSystemCode},
        {QStringLiteral("legalEntity"), job.legalEntity},
        {QStringLiteral("buyerName"), job.buyerName},
        {QStringLiteral("buyerInn"), job.buyerInn},
        {QStringLiteral("buyerContact"), job.buyerContact},
        {QStringLiteral("ourEmail"), job.ourEmail},
        {QStringLiteral("refundedFiscalSign"), job.refundedFiscalSign},
        {QStringLiteral("refundedDocId"), job.refundedDocId},
        {QStringLiteral("totalText"), job.totalText},
        {QStringLiteral("total"), job.total.toString()},
        {QStringLiteral("cash"), job.cash.toString()},
        {QStringLiteral("card"), job.card.toString()},
        {QStringLiteral("prepay"), job.prepay.toString()},
        {QStringLiteral("lines"), lines},
        {QStringLiteral("portions"), portions},
    };
}

PrintJob printJobFromJson(const QJsonObject& o) {
    PrintJob j;
    j.cashierName = o.value(QStringLiteral("cashierName")).toString();
    j.cashierInn = o.value(QStringLiteral("cashierInn")).toString();
    j.kind = o.value(QStringLiteral("kind")).toInt();
    j.paymentFlag = o.value(QStringLiteral("paymentFlag")).toInt();
    j.taxSystemCode = o.value(QStringLiteral("taxSystemCode")).toInt();
    j.legalEntity = o.value(QStringLiteral("legalEntity")).toBool();
    j.buyerName = o.value(QStringLiteral("buyerName")).toString();
    j.buyerInn = o.value(QStringLiteral("buyerInn")).toString();
    j.buyerContact = o.value(QStringLiteral("buyerContact")).toString();
    j.ourEmail = o.value(QStringLiteral("ourEmail")).toString();
    j.refundedFiscalSign = o.value(QStringLiteral("refundedFiscalSign")).toString();
    j.refundedDocId = o.value(QStringLiteral("refundedDocId")).toInt();
    j.totalText = o.value(QStringLiteral("totalText")).toString();
    j.total = Money::parseOr(o.value(QStringLiteral("total")).toString());
    j.cash = Money::parseOr(o.value(QStringLiteral("cash")).toString());
    j.card = Money::parseOr(o.value(QStringLiteral("card")).toString());
    j.prepay = Money::parseOr(o.value(QStringLiteral("prepay")).toString());
    for (const QJsonValue& v : o.value(QStringLiteral("lines")).toArray()) {
        QStringList line;
        for (const QJsonValue& e : v.toArray()) line.append(e.toString());
        j.lines.append(line);
    }
    for (const QJsonValue& v : o.value(QStringLiteral("portions")).toArray()) {
        QStringList choice;
        for (const QJsonValue& e : v.toArray()) choice.append(e.toString());
        j.portions.append(choice);
    }
    return j;
}

QJsonObject documentToJson(const FiscalDocumentInfo& d) {
    return QJsonObject{
        {QStringLiteral("documentNumber"), d.number},
        {QStringLiteral("fiscalSign"), d.fiscalSign},
        {QStringLiteral("dateTime"), d.dateTime.toString(Qt::ISODate)},
        {QStringLiteral("documentRead"), d.read},
        {QStringLiteral("receiptType"), d.receiptType},
        {QStringLiteral("sum"), d.sum.toString()},
    };
}

FiscalDocumentInfo documentFromJson(const QJsonObject& o) {
    FiscalDocumentInfo d;
    d.number = o.value(QStringLiteral("documentNumber")).toInt();
    d.fiscalSign = o.value(QStringLiteral("fiscalSign")).toString();
    d.dateTime = QDateTime::fromString(o.value(QStringLiteral("dateTime")).toString(), Qt::ISODate);
    d.read = o.value(QStringLiteral("documentRead")).toBool();
    d.receiptType = o.value(QStringLiteral("receiptType")).toInt();
    d.sum = Money::parseOr(o.value(QStringLiteral("sum")).toString());
    return d;
}

namespace {

// What of a row makes the sale: the goods, what the register was told they
// are, how many at what price. The VAT code is left out: it may be the
// cashier's answer, given afresh at every close.
bool sameRow(const QStringList& a, const QStringList& b) {
    if (a.size() < kReceiptLineSize || b.size() < kReceiptLineSize) return a == b;
    for (const int entry : {LineGoodId, LineName, LineSubject, LineMarkType, LineMarkCode, LineFraction}) {
        if (a[entry].trimmed() != b[entry].trimmed()) return false;
    }
    const auto price = [](const QStringList& l) { return Money::parse(l[LinePrice]); };
    const auto qty = [](const QStringList& l) { return Qty::parse(l[LineQty]); };
    return price(a) == price(b) && qty(a) == qty(b);
}

}  // namespace

bool sameSale(const PrintJob& a, const PrintJob& b) {
    if (a.kind != b.kind || a.paymentFlag != b.paymentFlag || a.taxSystemCode != b.taxSystemCode ||
        a.legalEntity != b.legalEntity || a.total != b.total || a.lines.size() != b.lines.size())
        return false;
    if (a.legalEntity &&
        (a.buyerName.trimmed() != b.buyerName.trimmed() || a.buyerInn.trimmed() != b.buyerInn.trimmed()))
        return false;
    for (int i = 0; i < a.lines.size(); ++i)
        if (!sameRow(a.lines[i], b.lines[i])) return false;
    return true;
}

}  // namespace sales
