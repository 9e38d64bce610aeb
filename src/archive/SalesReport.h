#pragma once
// The sales report: the stored receipts of a period as sections of one
// list. Money totals by payment kind, then the sold positions grouped by
// the payment method of the line, then the same for sale returns. The lines
// are read with one bound query; every section rule lives here.
#include <QColor>
#include <QDate>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace fb {
class Connection;
}

namespace archive {

// All goods; the goods right under one group; one group with every group
// below it.
enum class SalesVariant { All, OneLevel, WithSubGroups };

// Which variant the tree and the check box ask for; nullopt when no node
// is selected.
std::optional<SalesVariant> chooseSalesVariant(bool nodeSelected, bool isRoot, bool subGroupsOn);

// One stored receipt line with what its receipt took.
struct SalesLine {
    int docId = 0;
    int kind = 1;                                  // DOC_CHECK_TYPE: 1 sale, 2 sale return
    std::int64_t cash = 0, card = 0, prepaid = 0;  // kopecks, of the receipt
    QString goodsId;
    QString name;
    std::int64_t price = 0;      // DD_GOOD_PRICE_CURRENT, kopecks
    std::int64_t mainPrice = 0;  // DD_GOOD_PRICE_MAIN, kopecks; 0 means none
    std::int64_t count = 0;      // thousandths
    int payMethod = 4;           // DD_GOOD_PAYTYPE
};

struct SalesRow {
    int section = 0;
    QString goodsId;
    QString name;
    std::optional<std::int64_t> count;     // thousandths
    std::optional<std::int64_t> price;     // kopecks
    std::optional<std::int64_t> sum;       // kopecks
    std::optional<std::int64_t> sumMain;   // kopecks
    std::optional<std::int64_t> discount;  // kopecks
    std::optional<std::int64_t> percent;   // hundredths of a percent
};

std::vector<SalesRow> buildSalesReport(const std::vector<SalesLine>& lines, SalesVariant variant);

// Reads the lines of sale receipts and sale returns of the period; for the
// group variants only goods whose parent is one of `groups`.
std::vector<SalesLine> readSalesLines(fb::Connection& db, const QDate& from, const QDate& to, SalesVariant variant,
                                      const std::vector<std::int64_t>& groups);
// The group and every group below it, each once even when the parents
// form a loop.
std::vector<std::int64_t> groupWithSubGroups(fb::Connection& db, std::int64_t group);

// How a row is drawn: the text of its name cell, colour and weight.
struct SalesRowStyle {
    QString text;
    QColor colour;  // invalid: the grid's own
    bool bold = false;
    // A money total: its label runs across the goods columns and only the
    // sum is shown, not the zeros the statement puts under count and price.
    bool acrossRow = false;
};
SalesRowStyle salesRowStyle(const SalesRow& row);

}  // namespace archive
