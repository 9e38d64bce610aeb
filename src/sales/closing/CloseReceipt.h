#pragma once
// "РАСЧЕТ": the receipt in progress is checked (receipt kind, payment-method
// flag, tax system, marked goods, names, units of measure), the cashier
// confirms a prepayment or advance, missing VAT rates are asked, the
// hand-over table is built and the payment window opens. Nothing is sent to
// the register and nothing is written to the database here.
#include "sales/closing/ReceiptLines.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class TfmReg;

namespace sales {

struct SaleServices;

struct CloseReceiptInput {
    int documentType = 3;  // only a sale receipt (3) is closed here
    int kind = 0;          // lblOperationType Tag
    int paymentFlag = PayFull;
    int taxTag = 0;        // lblTaxSystem Tag
    QString taxCaption;    // lblTaxSystem caption
    const ReceiptModel* receipt = nullptr;
    const QList<QStringList>* markedItems = nullptr;
    QString totalCaption;  // lblChekItogo
    bool legalEntity = false;
    QString buyerName;
    QString buyerInn;
};

struct CloseReceiptResult {
    enum class Outcome {
        Nothing,     // not a sale receipt, or a total of zero: nothing happens
        Stopped,     // `message` is shown (error icon); the receipt stays as it is
        Cancelled,   // the cashier said No or cancelled the VAT dialog
        ReadyToPay,  // `lines` is the hand-over table; the payment window opens
    };
    Outcome outcome = Outcome::Nothing;
    QString message;
    QList<QStringList> lines;
    // Set once the tax system passed its check (TaxSystemCode of the screen).
    std::optional<int> taxSystemCode;
};

// The checks and the building, in the order the cashier meets them.
CloseReceiptResult CloseReceipt(const CloseReceiptInput& input, const VatQuery& vatQuery, const Confirm& confirm);

// Why the tax system the screen shows (lblTaxSystem: its Tag, its caption)
// cannot go to the register; empty when it can. Closing a receipt and
// printing a correction ask the same.
QString taxSystemRefusal(int tag, const QString& caption);

// " Расчет с покупателем (ПРИХОД)", " ВОЗВРАТ ПРИХОДА", " Расчет с клиентом
// (РАСХОД)", " ВОЗВРАТ РАСХОДА"; empty for other kinds.
QString payWindowCaption(int kind);

// The questions of closing, word for word.
QString prepaymentQuestion(int flag);
QString advanceQuestion(const QString& totalCaption);

// Attaches "РАСЧЕТ" (btnCloseCheck and the menu item MCloseCheck) of the main
// screen: closing, the payment window, printing and storing. The services
// live as long as the screen; the returned reference is theirs. Hooks not
// given take the program's defaults: the VAT dialog TfmQueryTaxRate, the data
// module's connection, no buyer-address dialog.
SaleServices& installSaleCommands(TfmReg& reg);
SaleServices& installSaleCommands(TfmReg& reg, SaleServices&& services);

}  // namespace sales
