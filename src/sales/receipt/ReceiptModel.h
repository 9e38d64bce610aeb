#pragma once
// The receipt in progress, apart from the grid that shows it: the twelve cells
// of every grid row, kept as the texts the grid shows (other code reads them),
// and the ten line attributes per row. Row 0 is the grid's header row and, in
// the attributes, the receipt-wide discount. Data rows are 1-based and there is
// always at least one, possibly empty.
#include "sales/receipt/Money.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace sales {

// One row of ten strings per grid row.
using LineAttrTable = QList<QStringList>;

class ReceiptModel {
public:
    static constexpr int ColumnCount = 12;
    static constexpr int AttrCount = 11;

    enum Column : int {
        ColStatus = 0,    // "A" active, "E" free for reuse, "R" merged away, "D" excluded (return), "" never used
        ColId = 1,        // goods id; empty for a free-price position
        ColKind = 2,      // "P" piece, "W" weighed
        ColPosNo = 3,     // position number
        ColName = 4,
        ColPrice = 5,     // unit price after discount, two decimals
        ColQty = 6,
        ColSum = 7,       // line sum after discount
        ColDiscount = 8,  // line discount in money; empty when none
        ColSubject = 9,   // subject-of-calculation kind ("Т", "АТ", "Р", "У")
        ColCountry = 10,  // 643 Russia, 0 unknown
        ColCustoms = 11,  // customs declaration number
    };

    enum Attr : int {
        AttrBasePrice = 0,      // unit price before any discount
        AttrDiscountKind = 1,   // "N", "P", "S" (empty reads as "N")
        AttrDiscountValue = 2,  // percent or roubles
        AttrSavedKind = 3,      // kept by the discount window before a sum discount
        AttrSavedValue = 4,
        AttrMarkType = 5,       // "4" tobacco
        // The parts of a pack sold in the row, "n/d" each, joined by ";":
        // each part is priced on its own (price * n / d to the kopeck), as
        // the register takes it, and whole units make up the rest.
        AttrPackParts = 6,
        AttrGtin = 7,
        AttrMeasure = 8,        // measure-of-quantity code (tag 2108)
        AttrVat = 9,            // VAT code
        // Empty for an active position; a position excluded from a return
        // ("D") keeps the key its marking records carry (entry 3).
        AttrRowKey = 10,
        // Row 0:
        AttrReceiptDiscountKind = 0,
        AttrReceiptDiscountValue = 1,
    };

    static const QString StatusActive;    // "A"
    static const QString StatusEmpty;     // "E"
    static const QString StatusMerged;    // "R"
    static const QString StatusExcluded;  // "D"

    static QStringList headerTexts();

    ReceiptModel();
    ~ReceiptModel();
    ReceiptModel(const ReceiptModel& other);
    // Takes the whole content of `other`; every row counts as changed, so
    // a view shows all of it and the next recalculation covers all of it.
    ReceiptModel& operator=(const ReceiptModel& other);

    // Header plus one empty row, no receipt discount ("N", "0"), layout 5.
    void reset();

    int rowCount() const { return int(cells_.size()); }  // header row included
    int dataRowCount() const { return rowCount() - 1; }
    bool isDataRow(int row) const { return row >= 1 && row < rowCount(); }

    QString cell(int row, int column) const;
    // The stored text itself, valid until the model next changes; empty out
    // of range. For scans over every row that should not copy texts.
    QStringView cellView(int row, int column) const;
    void setCell(int row, int column, const QString& text);
    QString attr(int row, int index) const;
    void setAttr(int row, int index, const QString& text);
    QStringList rowCells(int row) const;
    QStringList rowAttrs(int row) const;
    const QList<QStringList>& cells() const { return cells_; }
    const LineAttrTable& lineAttrs() const { return attrs_; }

    QString status(int row) const { return cell(row, ColStatus).trimmed(); }
    bool isActive(int row) const { return cellView(row, ColStatus).trimmed() == StatusActive; }
    // Status empty or "E": a row item entry may take.
    bool isFree(int row) const;
    // Kind 0 for "P", 1 for anything else, as merging compares them.
    bool isWeighedRow(int row) const { return cell(row, ColKind).trimmed() != QLatin1String("P"); }
    // No row holds a status other than empty or "E".
    bool isEmpty() const;

    // Typed readers over the texts.
    std::optional<Money> basePrice(int row) const;  // entry 0; empty reads as 0
    // Entry 0 exactly as written (a catalogue price may carry more than two
    // decimals); empty reads as 0. Money that multiplies it by a quantity is
    // rounded only after the product.
    std::optional<Rational> basePriceExact(int row) const;
    Qty quantity(int row) const;                    // 0 for text that is no number
    Money lineSum(int row) const;                   // column 7; 0 for bad text
    Money lineDiscount(int row) const;              // column 8; empty is 0
    int markType(int row) const;                    // entry 5; 0 for empty or bad text
    QChar lineDiscountKind(int row) const;          // first char of trimmed entry 1, 'N' when empty
    QChar receiptDiscountKind() const;              // the same for row 0
    QString receiptDiscountValue() const { return attr(0, AttrReceiptDiscountValue); }
    void setReceiptDiscount(const QString& kind, const QString& value);
    void setLineDiscount(int row, const QString& kind, const QString& value);

    // Writes column 6 by the quantity text rule of the row's kind. Refuses
    // (returns false, changes nothing) a quantity of zero or less.
    bool setQuantity(int row, Qty q);
    // Adds to the quantity of a row (a second scan of the same goods). Only
    // positive amounts are accepted.
    bool addQuantity(int row, Qty delta);

    // The grid's column layout, 5, 6 or 7.
    int layout() const { return layout_; }
    void setLayout(int layout);

    // Structure. appendRow adds an empty row (cells and attributes) and returns
    // its number; clearRow empties one row; removeRow deletes it together with
    // its attributes, except that the only data row is emptied instead.
    int appendRow();
    void clearRow(int row);
    void removeRow(int row);

    // Grows on every change; a view redraws when it moved. Revisions are
    // drawn from one counter for every model, so a number once seen is never
    // handed out again.
    std::uint64_t revision() const { return revision_; }
    // The revision of the last change of one row (its cells or attributes;
    // row 0: the receipt discount). A row moved up by a removal counts as
    // changed. A view redraws the rows whose revision passed what it showed.
    std::uint64_t rowRevision(int row) const;
    // The rows changed after revision `since`, ascending and each once (rows
    // removed since are left out). False when the model no longer keeps a
    // record reaching back that far (after a wholesale change, a removal or
    // many changes): the rows were then found by comparing every row's
    // revision.
    bool rowsChangedSince(std::uint64_t since, std::vector<int>& rows) const;
    // The data rows holding goods `code` (trimmed, case-insensitive),
    // ascending, whatever their status; kept as the cells change, so a scan
    // finds its row without walking the receipt.
    std::vector<int> rowsWithGoods(QStringView code) const;
    // The first row whose status is empty or "E"; 0 when there is none.
    int firstFreeRow() const;
    bool sameContent(const ReceiptModel& other) const;
    // Takes rows, attributes and layout of `other` (a worked copy).
    void assignContent(const ReceiptModel& other);
    // Takes the rows a worked copy of this model changed (same rows, none
    // added or removed) and its layout; the other rows stay as they are.
    void adoptChangedRows(const ReceiptModel& worked);

    // What the last recalculation counted of each row, so that the next one
    // can work on the changed rows only. Kept by RecalcReceipt; a row changed
    // after `revision` is not counted yet, and nothing is when !valid.
    struct RowTally {
        bool occupied = false;  // status other than empty or "E"
        bool active = false;
        std::int64_t sum = 0;       // column 7 in kopecks
        std::int64_t discount = 0;  // column 8 in kopecks
    };
    // The sums over the rows are kept with them, so the totals of a long
    // receipt cost no walk over it; rows change through set, resize, erase.
    struct Tally {
        bool valid = false;
        std::uint64_t revision = 0;
        std::vector<RowTally> rows;  // one per row, row 0 unused
        int occupiedRows = 0;
        int discountedRows = 0;     // active rows with a line discount
        std::int64_t total = 0;     // column 7 of active rows, kopecks
        std::int64_t discount = 0;  // column 8 of active rows, kopecks

        void set(size_t row, const RowTally& t);
        void resize(size_t count);
        void erase(size_t row);
        void recount();

    private:
        void count(const RowTally& t, int sign);
    };
    Tally& tally() { return tally_; }
    const Tally& tally() const { return tally_; }

    // Puts back what a few changes did: each changed row as it was before
    // its first change and the row count, so undoing an added position
    // costs what the position cost, not a copy of the whole receipt. Only
    // one may record on a model at a time; it stops when destroyed.
    class Undo {
    public:
        explicit Undo(ReceiptModel& model);
        ~Undo();
        Undo(const Undo&) = delete;
        Undo& operator=(const Undo&) = delete;
        // The model as it was when this began; recording goes on.
        void rollback();

    private:
        friend class ReceiptModel;
        struct SavedRow {
            int row;
            QStringList cells;
            QStringList attrs;
            RowTally tally;
        };
        void save(int row);
        void saveAll();

        ReceiptModel& model_;
        int rowCount_;
        int layout_;
        std::vector<SavedRow> rows_;
        // Taken before the first removal or wholesale assignment, after which
        // single rows are no longer tracked.
        std::unique_ptr<ReceiptModel> whole_;
    };

private:
    void touch();
    void touchRow(int row);
    void touchAll();
    void beforeRowChange(int row);

    // Goods ids and free rows, kept through every change of a row's status
    // or id once built; a wholesale change drops it until the next query.
    struct RowIndex {
        bool valid = false;
        QHash<QString, std::vector<int>> byGoods;
        std::vector<int> freeRows;  // ascending
    };
    void indexRemove(int row);
    void indexAdd(int row);
    void dropIndex() { index_.valid = false; }
    void buildIndex() const;
    // Rows changed, in revision order, after `changeLogFrom_`.
    void logChange(int row);
    void restartLog();

    QList<QStringList> cells_;
    LineAttrTable attrs_;
    std::vector<std::uint64_t> rowRevisions_;
    mutable RowIndex index_;
    std::vector<std::pair<std::uint64_t, int>> changeLog_;
    std::uint64_t changeLogFrom_ = 0;
    Tally tally_;
    int layout_ = 5;
    std::uint64_t revision_ = 0;
    Undo* undo_ = nullptr;  // not copied with the model
};

// Quantity text: "P" whole number, "W" three decimals, other kinds a whole
// number when whole, else three decimals. A piece quantity that is not whole
// (which no entry path makes) keeps its three decimals rather than being
// rounded into another amount.
QString quantityText(Qty q, const QString& kind);

// GOOD_W says weighed when UPPER(TRIM(x)) is "ДА" or "1".
bool isWeighedGoodFlag(const QString& goodW);

// The fields of a goods record the receipt takes, as texts.
struct GoodRecord {
    QString id;        // GOOD_ID
    QString name;      // GOOD_NAME
    QString price;     // GOOD_PRICE
    QString weighed;   // GOOD_W
    QString type;      // GOOD_TYPE
    QString country;   // GOOD_COUNTRY_CODE
    QString markType;  // GOOD_MARKTYPE
    QString measure;   // GOOD_EDIZM_FFD
    QString vat;       // GOOD_NALOG
};

// Row routines of the receipt.

// The first row whose status is empty or "E"; a new row at the end when there
// is none. The row is handed out cleared (all cells and attributes), so nothing
// of an annulled position leaks into the new one.
int GetFreeGridRow(ReceiptModel& model);
// The active row holding goods `code` (trimmed, case-insensitive); 0 if none.
int FindGoodRow(const ReceiptModel& model, const QString& code);
// Whether any row in use (not free) names goods `id`: the code must stay
// that item's while the receipt holds it.
bool receiptNamesGoods(const ReceiptModel& model, std::int64_t id);
// Every goods code a row in use names, each once, in row order.
std::vector<std::int64_t> receiptGoods(const ReceiptModel& model);
// The first active row holding goods `code`: that row when its undiscounted
// unit price equals `price` within 0.001, -1 when it has another price; 0 when
// there is no such row or `code` is not a non-zero integer.
int FindGoodRowWithPrice(const ReceiptModel& model, const QString& code, const QString& price);
// Adds the quantities of the other active rows of goods `code` and unit kind
// `weighed` (0 piece, 1 weighed) into `target` and marks them "R". Returns 1
// when something was merged, else 0.
int MergeGoodRows(ReceiptModel& model, int target, int weighed, const QString& code);
// Removes every "R" row together with its attributes.
void DeleteMergedRows(ReceiptModel& model);
// Removes one attribute row; the rows after it move up. Row 0 is never removed.
void DeleteLineAttrRow(LineAttrTable& attrs, int row);
// Column 3: 1, 2, ... over active rows, empty elsewhere.
void RenumberPositions(ReceiptModel& model);
// Columns 0, 1, 2, 4, 5, 6, 9 of `row` from a goods record: "A", the id, "W"
// with "1.000" for weighed goods else "P" with "1", name, price, type.
void FillGridRowFromGood(ReceiptModel& model, const GoodRecord& good, int row);
// A new position the way item entry writes it: a free row filled from the
// goods record with `price` and `qty`, country, and attributes (price, "N",
// mark type, GTIN, measure code, trimmed VAT code). Returns the row, or 0 when
// qty is not above zero (no such row is ever made).
int addGoodPosition(ReceiptModel& model, const GoodRecord& good, const QString& price, Qty qty,
                    const QString& gtin = QString());
// True when a position row's country code is a non-zero integer other than 643.
bool ReceiptHasForeignGoods(const ReceiptModel& model);

// One part of a pack: `num` items of the `den` the pack holds, 0 < num < den.
struct PackPart {
    std::int64_t num = 0;
    std::int64_t den = 0;
};
// "n/d" as a part of a pack; none for anything else (a whole pack included).
std::optional<PackPart> parsePackPart(const QString& text);
// The part in thousandths of the pack, the way every quantity of the receipt
// is kept: half a thousandth and up rounds up.
Qty packPartQuantity(const PackPart& part);

}  // namespace sales
