#pragma once
// Price tags and labels: the working list GOODS_TEMP as the price-tag window
// fills it, the choice of the size dialog, the organisation text, and the
// report that prints the list.
#include "platform/db/Value.h"
#include "platform/report/DataSet.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class QWidget;

namespace fb {
class Connection;
class Transaction;
}  // namespace fb

namespace report {
class Report;
}

namespace catalogue {

// The size dialog's result: the format code (3 to 5 for A4 sheets, 30 to 35
// for labels, 2 for cancel) and the copies to print.
struct PriceTagSize {
    int code = 2;
    int copies = 1;
    bool operator==(const PriceTagSize&) const = default;
};
constexpr int kPriceTagCancel = 2;

// A4 sheets: index 0 "50 x 40 ", 1 "60 x 75", 2 "80 x 60"; labels: index
// 0 "30 x 20" ... 5 "58 x 60". A4 prints one copy; labels print the typed
// number of copies, one when the text is no number or less than one.
PriceTagSize priceTagSize(bool a4, int a4Index, int labelIndex, const QString& copiesText);

// The report a format code prints and the zoom its preview opens at.
struct PriceTagReport {
    QString name;
    int zoom = 100;
};
std::optional<PriceTagReport> priceTagReport(int code);

// The organisation printed on every tag: the short or the full name; on A4
// tags the sales point follows on a line of its own when asked and when the
// name leaves room for it.
QString organisationText(const QString& shortName, const QString& fullName, bool useFullName, bool addSalesPoint,
                         const QString& salesPoint, int code);

// What a goods barcode gives the list: the digits for the bars and their text
// for the barcode font, both only for a barcode of 8 or 13 characters.
struct PriceTagBarcode {
    QString digits;    // G_DECLAR_NUMBER
    QString fontText;  // G_BARCODE
    bool operator==(const PriceTagBarcode&) const = default;
};
PriceTagBarcode priceTagBarcode(const QString& barcode);

// The select that collects goods for the list: goods of a group (when given)
// whose name holds the typed text (when any, matched literally), one row per
// barcode, goods without barcodes once.
struct PriceTagQuery {
    QString sql;
    std::vector<fb::Value> params;
};
PriceTagQuery priceTagFillQuery(std::optional<std::int64_t> groupId, const QString& nameText);

// The list as the window and the reports read it, in the order it was made.
extern const char* const kPriceTagListSql;

// Empties the list through GOODS_TEMP_EDIT in the caller's transaction.
void clearPriceTagList(fb::Transaction& tr);
// Empties the list and fills it anew in one transaction; returns the rows
// added. Throws fb::Error, leaving the list as it was.
int fillPriceTagList(fb::Connection& db, std::optional<std::int64_t> groupId, const QString& nameText);
// Removes one row of the list and commits.
void removePriceTag(fb::Connection& db, std::int64_t recordId);

// The list's rows as report data, read in a read-only transaction.
report::DataSet priceTagRows(fb::Connection& db);

// What the price-tag window asks of a print.
struct PriceTagPrint {
    int code = 4;
    int copies = 1;
    QString organisation;
    bool printCode = true;   // "код товара"
    bool printPrice = true;  // "цену"
};

// Sets up a selected price-tag report: organisation, hidden components,
// fonts, copies and data.
void preparePriceTagReport(report::Report& tags, const PriceTagPrint& print, report::DataSet rows);

enum class PriceTagPrintResult { Shown, NoFile, NoReport, UnknownCode };
// Opens the report project of the program folder, prepares the report of
// the format and shows it in the preview, from which it is printed or saved
// as PDF. A missing file or report is told to the cashier.
PriceTagPrintResult printPriceTags(QWidget* parent, const QString& programFolder, const PriceTagPrint& print,
                                   report::DataSet rows);

}  // namespace catalogue
