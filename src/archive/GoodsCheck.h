#pragma once
// The goods check: a numbered list of a sale's goods on an ordinary printer,
// with the seller's header, the total in figures and in words and the
// cashier's name. Its lines pass through the scratch table GOODSCHECK, its
// header and the next number come from GOODSCHECK_SETTINGS, and the number a
// printed goods check took is kept with its receipt in DOCUMENTS.
#include "platform/report/DataSet.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace fb {
class Connection;
}

namespace archive {

// One line as GOODSCHECK_EDIT takes it; the article and the unit stay NULL.
struct GoodsCheckLine {
    int numPos = 0;
    std::optional<int> code;  // NULL for a goods check of a stored receipt
    QString name;
    QString price;
    QString sum;
    QString count;
};

// The one row of GOODSCHECK_SETTINGS; `exists` is false when there is none.
struct GoodsCheckSettings {
    bool exists = false;
    QString row1, row2, row3;
    QString address;
    QString prefix;
    std::optional<int> number;
    // The number the next new goods check takes: a missing, empty or spent
    // counter starts at 1.
    int nextNumber() const { return number && *number > 0 ? *number : 1; }
    QStringList headerLines() const;
};

// The goods-check number a stored receipt already carries.
struct StoredGoodsCheckNumber {
    int number = 0;
    QString prefix;
    QDate date;  // the receipt's DOC_DATE_D
};

class GoodsCheckStore {
public:
    explicit GoodsCheckStore(fb::Connection& db) : db_(db) {}

    enum class Fill { Ok, ClearFailed, FillFailed };
    // Empties GOODSCHECK and writes the lines, all in one transaction: a
    // failure leaves the previous content.
    Fill refill(const std::vector<GoodsCheckLine>& lines);
    // GOODSCHECK as the report shows it, in position order.
    report::DataSet lines();

    GoodsCheckSettings settings();
    // Replaces the settings row; the start number is stored as given.
    void saveSettings(const GoodsCheckSettings& settings);

    // The number of the stored receipt; nullopt when it has none (NULL or
    // below 1) or there is no such receipt.
    std::optional<StoredGoodsCheckNumber> storedNumber(int docId);
    // Keeps the number with its receipt and moves the counter past it, both
    // or neither; the counter's row is created when there is none yet.
    void recordNumber(int docId, int number, const QString& prefix);

private:
    fb::Connection& db_;
};

// What a goods check shows besides its lines.
struct GoodsCheckContent {
    QString title;
    QString total;
    QString cashier;  // empty: the blank signature line
    QStringList header;
    QString address;
    report::DataSet lines;
};

// "/ Иванов /", or a line to sign on when nobody is named.
QString signatureLine(const QString& cashier);

// Opens the shipped report project and shows the filled "GoodsCheck" in the
// preview, from which it is printed. A missing file or report is told to the
// user; false when nothing was shown. `onPrintSetupOpened` runs when the
// print setup dialog opens from the preview: that is when the goods check
// counts as printed.
bool showGoodsCheck(QWidget* parent, const QString& programFolder, const GoodsCheckContent& content,
                    std::function<void()> onPrintSetupOpened);

// The texts of the messages the goods check shows.
namespace goodsCheckText {
inline const QString kOnlyForSale =
    QStringLiteral("Печать товарного чека возможна только     \r\nдля признака расчета \"ПРИХОД\"");
inline const QString kClearFailed =
    QStringLiteral("При формировании товарного чека произошла ошибка ErrorClearGC.    ");
inline const QString kFillFailed = QStringLiteral("При формировании товарного чека произошла ошибка ErrorFillGC.     ");
inline const QString kNoProjectFile = QStringLiteral("Не найден файл с шаблоном товарного чека.     ");
inline const QString kNoReport = QStringLiteral("Не найден шаблон товарного чека.     ");
}  // namespace goodsCheckText

}  // namespace archive
