#pragma once
// One paid receipt as the register is asked to print it, and the register's
// fiscal document once it did. Kept whole in the print journal, so that a
// receipt can be stored or asked about after a crash exactly as it was sent.
#include "sales/receipt/Money.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

namespace sales {

// Everything printing and storing need of one paid receipt, taken from the
// main screen and the payment window when printing starts.
struct PrintJob {
    QString cashierName;  // trimmed lblUser
    QString cashierInn;   // trimmed lblINN: tag 1203, empty when the cashier has none
    int kind = 0;         // 1 sale .. 4 purchase return
    int paymentFlag = 4;  // tag 1214
    int taxSystemCode = -1;
    bool legalEntity = false;  // chLE
    QString buyerName;
    QString buyerInn;
    QString buyerContact;        // trimmed edTelefon: e-mail or "+7..." phone
    QString ourEmail;            // trimmed edOurEmail
    QString refundedFiscalSign;  // the refunded sale's sign as it stored it, or the sign typed
    // The refunded sale's DOC_ID (edFPD's Tag); 0 when the return names no
    // stored sale. Returns are counted against the sale by it.
    int refundedDocId = 0;
    QList<QStringList> lines;    // the hand-over table
    // The lots the cashier chose for the goods sold: goods ID, lot record ID
    // (P_RECORD_ID), quantity taken from that lot. Written off when the
    // receipt is stored, whenever that is.
    QList<QStringList> portions;
    QString totalText;           // trimmed lblSumCheck
    Money total;
    Money cash;
    Money card;
    Money prepay;
};

// The last fiscal document as the register reports it.
struct FiscalDocumentInfo {
    int number = 0;
    QString fiscalSign;
    QDateTime dateTime;
    bool read = false;  // false: the register could not be asked (values are empty)
    // What the document was: a receipt type of the driver (0 for a shift
    // or report document) and its total.
    int receiptType = 0;
    Money sum;
};

// A number and a fiscal sign the receipt can be stored under: a receipt is
// never stored without them.
bool documentKnown(const FiscalDocumentInfo& document);

QJsonObject printJobToJson(const PrintJob& job);
PrintJob printJobFromJson(const QJsonObject& o);
QJsonObject documentToJson(const FiscalDocumentInfo& document);
FiscalDocumentInfo documentFromJson(const QJsonObject& o);

// Whether two jobs are the same sale: kind, tax system, buyer, the rows
// (goods, name, quantity, price, payment method) and the total. Not the
// payment split nor the VAT the cashier answered: paying the same goods
// again another way is still the same sale, and printing it twice would
// sell them twice.
bool sameSale(const PrintJob& a, const PrintJob& b);

}  // namespace sales
