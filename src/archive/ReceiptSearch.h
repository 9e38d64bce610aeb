#pragma once
// Finding stored sale receipts: the statement a search runs, with every
// typed value bound, and the words the lists show for stored codes.
#include "platform/db/Value.h"

#include <QDate>
#include <QString>

#include <optional>
#include <vector>

namespace archive {

struct ReceiptSearchFilter {
    bool returnMode = false;  // the main screen is in "ВОЗВРАТ ПРИХОДА": only sales can be returned
    QString fpd;              // exact, after trimming; empty: any
    bool dateOn = false;
    QDate from, to;  // both ends included
    bool buyerOn = false;
    QString buyerName;  // substring, without regard to case
    QString buyerInn;   // exact, after trimming
};

struct ReceiptSearchQuery {
    QString sql;
    std::vector<fb::Value> params;
};

ReceiptSearchQuery buildReceiptSearchQuery(const ReceiptSearchFilter& filter);

// Whether the main screen's receipt kind is "ВОЗВРАТ ПРИХОДА" (any case).
bool isSaleReturnKind(const QString& kindCaption);
// A stored receipt may be copied into the receipt in progress only to be
// refunded: the main screen builds a sale return and the stored receipt is a
// sale (DOC_TYPE 3, DOC_CHECK_TYPE 1). A stored return copied back would be
// refunded a second time; a correction or any other kind is no sale at all.
bool storedReceiptCopyable(const QString& kindCaption, const fb::Row& receipt);

// The LIKE pattern that finds the text anywhere, upper-cased, with "%", "_"
// and the escape character itself matching literally (ESCAPE '¤').
QString likeContains(const QString& text);

// The positions of one receipt (parameter: DOC_ID). A stored count that is
// empty reads as 0 instead of failing the list.
extern const QString kReceiptLinesSql;

// Words for stored codes; NULL (nullopt) shows as the "other" text.
QString receiptKindShort(std::optional<int> kind);
QString paymentMethodShort(std::optional<int> method);
QString vatShortText(std::optional<int> vat);
QString markTypeShort(std::optional<int> markType);
QString countryImportMark(std::optional<int> country);
QString unitShort(std::optional<int> unit);
// A payment sum: empty when it is no number or within 0.01 of zero, else
// the stored text.
QString paymentCell(const QString& stored);

}  // namespace archive
