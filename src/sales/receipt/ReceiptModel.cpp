#include "sales/receipt/ReceiptModel.h"

#include "core/CodeTables.h"

#include <algorithm>
#include <atomic>

namespace sales {

const QString ReceiptModel::StatusActive = QStringLiteral("A");
const QString ReceiptModel::StatusEmpty = QStringLiteral("E");
const QString ReceiptModel::StatusMerged = QStringLiteral("R");
const QString ReceiptModel::StatusExcluded = QStringLiteral("D");

namespace {

QStringList emptyRow(int size) {
    QStringList row;
    row.reserve(size);
    for (int i = 0; i < size; ++i) row.append(QString());
    return row;
}

QChar kindLetter(const QString& text) {
    const QString t = text.trimmed();
    return t.isEmpty() ? QLatin1Char('N') : t.at(0);
}

bool sameCode(QStringView cellText, QStringView code) {
    return cellText.trimmed().compare(code.trimmed(), Qt::CaseInsensitive) == 0;
}

std::atomic<std::uint64_t> lastRevision{0};

std::uint64_t nextRevision() {
    return lastRevision.fetch_add(1) + 1;
}

}  // namespace

QStringList ReceiptModel::headerTexts() {
    return {QStringLiteral("Статус"), QStringLiteral("ID"), QString(), QString(), QStringLiteral("Наименование"),
            QStringLiteral("Цена"), QStringLiteral("Кол."), QStringLiteral("Сумма"), QStringLiteral("Скидка"),
            QStringLiteral("Признак предмета расчета"), QStringLiteral("Страна"),
            QStringLiteral("№ тамож. деклар.")};
}

ReceiptModel::ReceiptModel() { reset(); }

ReceiptModel::~ReceiptModel() = default;

ReceiptModel::ReceiptModel(const ReceiptModel& other)
    : cells_(other.cells_),
      attrs_(other.attrs_),
      rowRevisions_(other.rowRevisions_),
      changeLog_(other.changeLog_),
      changeLogFrom_(other.changeLogFrom_),
      tally_(other.tally_),
      layout_(other.layout_),
      revision_(other.revision_) {}

ReceiptModel& ReceiptModel::operator=(const ReceiptModel& other) {
    if (this == &other) return *this;
    if (undo_) undo_->saveAll();
    cells_ = other.cells_;
    attrs_ = other.attrs_;
    tally_ = other.tally_;
    layout_ = other.layout_;
    dropIndex();
    touchAll();
    return *this;
}

void ReceiptModel::touch() {
    revision_ = nextRevision();
}

void ReceiptModel::touchRow(int row) {
    touch();
    if (row >= 0 && size_t(row) < rowRevisions_.size()) rowRevisions_[size_t(row)] = revision_;
    logChange(row);
}

void ReceiptModel::touchAll() {
    touch();
    rowRevisions_.assign(size_t(cells_.size()), revision_);
    tally_.resize(size_t(cells_.size()));
    restartLog();
}

void ReceiptModel::logChange(int row) {
    // The record is kept short: past a few changes per row, a reader as far
    // behind walks the rows' revisions instead.
    if (changeLog_.size() >= 2 * size_t(cells_.size()) + 256) {
        restartLog();
        return;
    }
    changeLog_.emplace_back(revision_, row);
}

void ReceiptModel::restartLog() {
    changeLog_.clear();
    changeLogFrom_ = revision_;
}

bool ReceiptModel::rowsChangedSince(std::uint64_t since, std::vector<int>& rows) const {
    rows.clear();
    if (since < changeLogFrom_) {
        // The log does not reach back that far: the rows' own revisions tell.
        for (int r = 0; r < rowCount(); ++r)
            if (rowRevision(r) > since) rows.push_back(r);
        return false;
    }
    auto it = std::upper_bound(changeLog_.begin(), changeLog_.end(), since,
                               [](std::uint64_t value, const auto& entry) { return value < entry.first; });
    for (; it != changeLog_.end(); ++it)
        if (it->second >= 0 && it->second < rowCount()) rows.push_back(it->second);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return true;
}

namespace {
QString goodsKey(QStringView id) { return id.trimmed().toString().toCaseFolded(); }
}  // namespace

void ReceiptModel::indexRemove(int row) {
    if (!index_.valid || row < 1 || row >= rowCount()) return;
    const QStringView id = cellView(row, ColId).trimmed();
    if (!id.isEmpty()) {
        auto found = index_.byGoods.find(goodsKey(id));
        if (found != index_.byGoods.end()) {
            std::vector<int>& rows = found.value();
            rows.erase(std::remove(rows.begin(), rows.end(), row), rows.end());
            if (rows.empty()) index_.byGoods.erase(found);
        }
    }
    auto& free = index_.freeRows;
    const auto at = std::lower_bound(free.begin(), free.end(), row);
    if (at != free.end() && *at == row) free.erase(at);
}

void ReceiptModel::indexAdd(int row) {
    if (!index_.valid || row < 1 || row >= rowCount()) return;
    const QStringView id = cellView(row, ColId).trimmed();
    if (!id.isEmpty()) {
        std::vector<int>& rows = index_.byGoods[goodsKey(id)];
        rows.insert(std::lower_bound(rows.begin(), rows.end(), row), row);
    }
    if (isFree(row)) {
        auto& free = index_.freeRows;
        const auto at = std::lower_bound(free.begin(), free.end(), row);
        if (at == free.end() || *at != row) free.insert(at, row);
    }
}

void ReceiptModel::buildIndex() const {
    RowIndex index;
    for (int r = 1; r < rowCount(); ++r) {
        const QStringView id = cellView(r, ColId).trimmed();
        if (!id.isEmpty()) index.byGoods[goodsKey(id)].push_back(r);
        if (isFree(r)) index.freeRows.push_back(r);
    }
    index.valid = true;
    index_ = std::move(index);
}

std::vector<int> ReceiptModel::rowsWithGoods(QStringView code) const {
    const QStringView id = code.trimmed();
    if (id.isEmpty()) return {};
    if (!index_.valid) buildIndex();
    return index_.byGoods.value(goodsKey(id));
}

int ReceiptModel::firstFreeRow() const {
    if (!index_.valid) buildIndex();
    return index_.freeRows.empty() ? 0 : index_.freeRows.front();
}

void ReceiptModel::beforeRowChange(int row) {
    if (undo_) undo_->save(row);
}

std::uint64_t ReceiptModel::rowRevision(int row) const {
    return row >= 0 && size_t(row) < rowRevisions_.size() ? rowRevisions_[size_t(row)] : revision_;
}

void ReceiptModel::reset() {
    if (undo_) undo_->saveAll();
    cells_ = {headerTexts(), emptyRow(ColumnCount)};
    QStringList receiptRow = emptyRow(AttrCount);
    receiptRow[AttrReceiptDiscountKind] = QStringLiteral("N");
    receiptRow[AttrReceiptDiscountValue] = QStringLiteral("0");
    attrs_ = {receiptRow, emptyRow(AttrCount)};
    layout_ = 5;
    tally_ = Tally{};
    dropIndex();
    touchAll();
}

QString ReceiptModel::cell(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= ColumnCount) return QString();
    return cells_[row][column];
}

QStringView ReceiptModel::cellView(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= ColumnCount) return {};
    return cells_[row][column];
}

bool ReceiptModel::isFree(int row) const {
    const QStringView s = cellView(row, ColStatus).trimmed();
    return s.isEmpty() || s == StatusEmpty;
}

void ReceiptModel::setCell(int row, int column, const QString& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= ColumnCount) return;
    if (cells_[row][column] == text) return;
    beforeRowChange(row);
    const bool indexed = column == ColStatus || column == ColId;
    if (indexed) indexRemove(row);
    cells_[row][column] = text;
    if (indexed) indexAdd(row);
    touchRow(row);
}

QString ReceiptModel::attr(int row, int index) const {
    if (row < 0 || row >= attrs_.size() || index < 0 || index >= AttrCount) return QString();
    return attrs_[row][index];
}

void ReceiptModel::setAttr(int row, int index, const QString& text) {
    if (row < 0 || row >= attrs_.size() || index < 0 || index >= AttrCount) return;
    if (attrs_[row][index] == text) return;
    beforeRowChange(row);
    attrs_[row][index] = text;
    touchRow(row);
}

QStringList ReceiptModel::rowCells(int row) const {
    return row >= 0 && row < rowCount() ? cells_[row] : emptyRow(ColumnCount);
}

QStringList ReceiptModel::rowAttrs(int row) const {
    return row >= 0 && row < attrs_.size() ? attrs_[row] : emptyRow(AttrCount);
}

bool ReceiptModel::isEmpty() const {
    for (int r = 1; r < rowCount(); ++r) {
        if (!isFree(r)) return false;
    }
    return true;
}

std::optional<Money> ReceiptModel::basePrice(int row) const {
    const QString t = attr(row, AttrBasePrice).trimmed();
    if (t.isEmpty()) return Money{};
    return Money::parse(t);
}

std::optional<Rational> ReceiptModel::basePriceExact(int row) const {
    const QString t = attr(row, AttrBasePrice).trimmed();
    if (t.isEmpty()) return Rational{};
    return Rational::parse(t);
}

Qty ReceiptModel::quantity(int row) const { return Qty::parseOr(cell(row, ColQty)); }

Money ReceiptModel::lineSum(int row) const { return Money::parseOr(cell(row, ColSum)); }

Money ReceiptModel::lineDiscount(int row) const { return Money::parseOr(cell(row, ColDiscount)); }

int ReceiptModel::markType(int row) const {
    bool ok = false;
    const int v = attr(row, AttrMarkType).trimmed().toInt(&ok);
    return ok ? v : 0;
}

QChar ReceiptModel::lineDiscountKind(int row) const { return kindLetter(attr(row, AttrDiscountKind)); }

QChar ReceiptModel::receiptDiscountKind() const { return kindLetter(attr(0, AttrReceiptDiscountKind)); }

void ReceiptModel::setReceiptDiscount(const QString& kind, const QString& value) {
    setAttr(0, AttrReceiptDiscountKind, kind);
    setAttr(0, AttrReceiptDiscountValue, value);
}

void ReceiptModel::setLineDiscount(int row, const QString& kind, const QString& value) {
    if (!isDataRow(row)) return;
    setAttr(row, AttrDiscountKind, kind);
    setAttr(row, AttrDiscountValue, value);
}

bool ReceiptModel::setQuantity(int row, Qty q) {
    if (!isDataRow(row) || !q.isPositive()) return false;
    setCell(row, ColQty, quantityText(q, cell(row, ColKind).trimmed()));
    return true;
}

bool ReceiptModel::addQuantity(int row, Qty delta) {
    if (!isDataRow(row) || !delta.isPositive()) return false;
    const Qty current = quantity(row);
    return setQuantity(row, (current.isPositive() ? current : Qty{}) + delta);
}

void ReceiptModel::setLayout(int layout) {
    if (layout_ == layout) return;
    layout_ = layout;
    touch();
}

int ReceiptModel::appendRow() {
    cells_.append(emptyRow(ColumnCount));
    attrs_.append(emptyRow(AttrCount));
    rowRevisions_.push_back(0);
    tally_.resize(tally_.rows.size() + 1);
    const int row = rowCount() - 1;
    indexAdd(row);
    touchRow(row);
    return row;
}

void ReceiptModel::clearRow(int row) {
    if (!isDataRow(row)) return;
    beforeRowChange(row);
    indexRemove(row);
    cells_[row] = emptyRow(ColumnCount);
    attrs_[row] = emptyRow(AttrCount);
    indexAdd(row);
    touchRow(row);
}

void ReceiptModel::removeRow(int row) {
    if (!isDataRow(row)) return;
    if (dataRowCount() == 1) {
        clearRow(row);
        return;
    }
    if (undo_) undo_->saveAll();
    cells_.removeAt(row);
    DeleteLineAttrRow(attrs_, row);
    rowRevisions_.erase(rowRevisions_.begin() + row);
    tally_.erase(size_t(row));
    dropIndex();
    // The rows below moved up: each shows and counts as changed.
    touch();
    for (size_t r = size_t(row); r < rowRevisions_.size(); ++r) rowRevisions_[r] = revision_;
    restartLog();
}

bool ReceiptModel::sameContent(const ReceiptModel& other) const {
    return cells_ == other.cells_ && attrs_ == other.attrs_ && layout_ == other.layout_;
}

void ReceiptModel::assignContent(const ReceiptModel& other) {
    if (sameContent(other)) return;
    if (undo_) undo_->saveAll();
    cells_ = other.cells_;
    attrs_ = other.attrs_;
    layout_ = other.layout_;
    tally_ = other.tally_;
    dropIndex();
    touchAll();
}

void ReceiptModel::adoptChangedRows(const ReceiptModel& worked) {
    if (worked.rowCount() != rowCount()) {
        assignContent(worked);
        return;
    }
    for (int r = 0; r < rowCount(); ++r) {
        if (worked.rowRevision(r) == rowRevision(r)) continue;
        if (cells_[r] == worked.cells_[r] && attrs_[r] == worked.attrs_[r]) continue;
        beforeRowChange(r);
        indexRemove(r);
        cells_[r] = worked.cells_[r];
        attrs_[r] = worked.attrs_[r];
        indexAdd(r);
        touchRow(r);
    }
    setLayout(worked.layout_);
}

// ---- Tally

void ReceiptModel::Tally::count(const RowTally& t, int sign) {
    occupiedRows += t.occupied ? sign : 0;
    if (!t.active) return;
    total += sign * t.sum;
    discount += sign * t.discount;
    discountedRows += t.discount != 0 ? sign : 0;
}

void ReceiptModel::Tally::set(size_t row, const RowTally& t) {
    if (row >= rows.size()) return;
    count(rows[row], -1);
    rows[row] = t;
    count(t, 1);
}

void ReceiptModel::Tally::resize(size_t size) {
    for (size_t r = size; r < rows.size(); ++r) count(rows[r], -1);
    rows.resize(size);
}

void ReceiptModel::Tally::erase(size_t row) {
    if (row >= rows.size()) return;
    count(rows[row], -1);
    rows.erase(rows.begin() + std::ptrdiff_t(row));
}

void ReceiptModel::Tally::recount() {
    occupiedRows = discountedRows = 0;
    total = discount = 0;
    for (size_t r = 1; r < rows.size(); ++r) count(rows[r], 1);
}

// ---- Undo

ReceiptModel::Undo::Undo(ReceiptModel& model) : model_(model), rowCount_(model.rowCount()), layout_(model.layout()) {
    // Another undo already records on this model: this one keeps a copy.
    if (model_.undo_) {
        saveAll();
    } else {
        model_.undo_ = this;
    }
}

ReceiptModel::Undo::~Undo() {
    if (model_.undo_ == this) model_.undo_ = nullptr;
}

void ReceiptModel::Undo::save(int row) {
    if (whole_ || row >= rowCount_) return;  // rows added since go with the row count
    for (const SavedRow& s : rows_)
        if (s.row == row) return;
    const size_t r = size_t(row);
    rows_.push_back({row, model_.cells_[row], model_.attrs_[row],
                     r < model_.tally_.rows.size() ? model_.tally_.rows[r] : RowTally{}});
}

void ReceiptModel::Undo::saveAll() {
    if (whole_) return;
    whole_ = std::make_unique<ReceiptModel>(model_);
}

void ReceiptModel::Undo::rollback() {
    ReceiptModel& m = model_;
    if (m.undo_ != this) {
        // Another undo records on the model: it sees this as one more change.
        if (whole_) m = *whole_;
        return;
    }
    m.undo_ = nullptr;  // putting back is no change to record
    if (whole_) m = *whole_;
    // Rows saved before the whole model was taken are older than it.
    for (auto it = rows_.rbegin(); it != rows_.rend(); ++it) {
        if (it->row >= m.rowCount()) continue;
        m.cells_[it->row] = it->cells;
        m.attrs_[it->row] = it->attrs;
        m.tally_.set(size_t(it->row), it->tally);
        m.touchRow(it->row);
    }
    while (m.rowCount() > rowCount_) {
        m.cells_.removeLast();
        m.attrs_.removeLast();
        m.rowRevisions_.pop_back();
        if (m.tally_.rows.size() > m.rowRevisions_.size()) m.tally_.resize(m.rowRevisions_.size());
        m.touch();
    }
    m.dropIndex();
    if (m.layout_ != layout_) {
        m.layout_ = layout_;
        m.touch();
    }
    rows_.clear();
    whole_.reset();
    rowCount_ = m.rowCount();
    m.undo_ = this;
}

QString quantityText(Qty q, const QString& kind) {
    if (kind == QLatin1String("W")) return q.toWeightString();
    return q.isWhole() ? q.toWholeString() : q.toWeightString();
}

bool isWeighedGoodFlag(const QString& goodW) {
    const QString t = goodW.trimmed().toUpper();
    return t == QStringLiteral("ДА") || t == QLatin1String("1");
}

int GetFreeGridRow(ReceiptModel& model) {
    if (const int r = model.firstFreeRow(); r > 0) {
        model.clearRow(r);
        return r;
    }
    return model.appendRow();
}

int FindGoodRow(const ReceiptModel& model, const QString& code) {
    const QStringView wanted = QStringView(code).trimmed();
    if (wanted.isEmpty()) return 0;
    for (const int r : model.rowsWithGoods(wanted)) {
        if (model.isActive(r) && sameCode(model.cellView(r, ReceiptModel::ColId), wanted)) return r;
    }
    return 0;
}

bool receiptNamesGoods(const ReceiptModel& model, std::int64_t id) {
    const QString code = QString::number(id);
    for (const int r : model.rowsWithGoods(code)) {
        if (!model.isFree(r) && sameCode(model.cellView(r, ReceiptModel::ColId), code)) return true;
    }
    return false;
}

std::vector<std::int64_t> receiptGoods(const ReceiptModel& model) {
    std::vector<std::int64_t> ids;
    for (int r = 1; r < model.rowCount(); ++r) {
        if (model.isFree(r)) continue;
        bool ok = false;
        const std::int64_t id = model.cellView(r, ReceiptModel::ColId).trimmed().toLongLong(&ok);
        if (ok && std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
    }
    return ids;
}

int FindGoodRowWithPrice(const ReceiptModel& model, const QString& code, const QString& price) {
    bool ok = false;
    const qlonglong id = code.trimmed().toLongLong(&ok);
    if (!ok || id == 0) return 0;
    const int row = FindGoodRow(model, code);
    if (row == 0) return 0;
    const auto wanted = Rational::parse(price);
    const auto held = Rational::parse(model.attr(row, ReceiptModel::AttrBasePrice));
    // A price that cannot be read is never "the same price": refusing is safer
    // than adding a unit at a price nobody can check.
    if (!wanted || !held) return -1;
    return sameAmount(*wanted, *held, Rational(1, 1000)) ? row : -1;
}

int MergeGoodRows(ReceiptModel& model, int target, int weighed, const QString& code) {
    if (!model.isDataRow(target)) return 0;
    const QString wanted = code.trimmed();
    int merged = 0;
    for (int r = 1; r < model.rowCount(); ++r) {
        if (r == target) continue;
        const QString id = model.cell(r, ReceiptModel::ColId).trimmed();
        if (id.isEmpty() || !model.isActive(r) || id != wanted) continue;
        if ((model.isWeighedRow(r) ? 1 : 0) != weighed) continue;
        if (weighed == 0) {
            // Pieces add as whole numbers; text that is none counts as 0.
            const int have = model.cell(target, ReceiptModel::ColQty).trimmed().toInt();
            const int add = model.cell(r, ReceiptModel::ColQty).trimmed().toInt();
            model.setCell(target, ReceiptModel::ColQty, QString::number(have + add));
        } else {
            const Qty sum = model.quantity(target) + model.quantity(r);
            model.setCell(target, ReceiptModel::ColQty, sum.toWeightString());
            // Parts of a pack keep their own prices in the merged row.
            QStringList parts;
            for (const int from : {target, r}) {
                const QString p = model.attr(from, ReceiptModel::AttrPackParts).trimmed();
                if (!p.isEmpty()) parts << p;
            }
            if (!parts.isEmpty()) model.setAttr(target, ReceiptModel::AttrPackParts, parts.join(QLatin1Char(';')));
        }
        model.setCell(r, ReceiptModel::ColStatus, ReceiptModel::StatusMerged);
        merged = 1;
    }
    return merged;
}

void DeleteMergedRows(ReceiptModel& model) {
    for (int r = 1; r < model.rowCount();) {
        if (model.status(r) == ReceiptModel::StatusMerged) {
            model.removeRow(r);  // the only data row is emptied, so the scan ends
            if (model.status(r) == ReceiptModel::StatusMerged) break;
        } else {
            ++r;
        }
    }
}

void DeleteLineAttrRow(LineAttrTable& attrs, int row) {
    if (attrs.size() <= 1 || row < 1 || row >= attrs.size()) return;
    attrs.removeAt(row);
}

void RenumberPositions(ReceiptModel& model) {
    int counter = 1;
    for (int r = 1; r < model.rowCount(); ++r) {
        if (model.isActive(r)) {
            model.setCell(r, ReceiptModel::ColPosNo, QString::number(counter++));
        } else {
            model.setCell(r, ReceiptModel::ColPosNo, QString());
        }
    }
}

void FillGridRowFromGood(ReceiptModel& model, const GoodRecord& good, int row) {
    if (!model.isDataRow(row)) return;
    const bool weighed = isWeighedGoodFlag(good.weighed);
    model.setCell(row, ReceiptModel::ColStatus, ReceiptModel::StatusActive);
    model.setCell(row, ReceiptModel::ColId, good.id.trimmed());
    model.setCell(row, ReceiptModel::ColKind, weighed ? QStringLiteral("W") : QStringLiteral("P"));
    model.setCell(row, ReceiptModel::ColQty, weighed ? QStringLiteral("1.000") : QStringLiteral("1"));
    model.setCell(row, ReceiptModel::ColName, good.name);
    model.setCell(row, ReceiptModel::ColPrice, good.price);
    model.setCell(row, ReceiptModel::ColSubject, good.type);
}

int addGoodPosition(ReceiptModel& model, const GoodRecord& good, const QString& price, Qty qty,
                    const QString& gtin) {
    if (!qty.isPositive()) return 0;
    const int row = GetFreeGridRow(model);
    FillGridRowFromGood(model, good, row);
    model.setCell(row, ReceiptModel::ColPrice, price);
    model.setQuantity(row, qty);
    model.setCell(row, ReceiptModel::ColCountry, good.country.trimmed());
    model.setAttr(row, ReceiptModel::AttrBasePrice, price);
    model.setAttr(row, ReceiptModel::AttrDiscountKind, QStringLiteral("N"));
    model.setAttr(row, ReceiptModel::AttrMarkType, good.markType.trimmed());
    model.setAttr(row, ReceiptModel::AttrGtin, gtin);
    model.setAttr(row, ReceiptModel::AttrMeasure, good.measure.trimmed());
    model.setAttr(row, ReceiptModel::AttrVat, good.vat.trimmed());
    return row;
}

bool ReceiptHasForeignGoods(const ReceiptModel& model) {
    for (int r = 1; r < model.rowCount(); ++r) {
        const QString s = model.status(r);
        if (s.isEmpty() || s == ReceiptModel::StatusEmpty) continue;
        if (core::isForeignCountryCode(model.cell(r, ReceiptModel::ColCountry))) return true;
    }
    return false;
}

std::optional<PackPart> parsePackPart(const QString& text) {
    const QStringList halves = text.trimmed().split(QLatin1Char('/'));
    if (halves.size() != 2) return std::nullopt;
    bool numOk = false;
    bool denOk = false;
    const qint64 num = halves[0].trimmed().toLongLong(&numOk);
    const qint64 den = halves[1].trimmed().toLongLong(&denOk);
    if (!numOk || !denOk || num <= 0 || den <= 0 || num >= den) return std::nullopt;
    return PackPart{num, den};
}

Qty packPartQuantity(const PackPart& part) {
    return Qty::fromThousandths((part.num * 2000 + part.den) / (2 * part.den));
}

}  // namespace sales
