#include "sales/receipt/ReceiptModel.h"

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

bool sameCode(const QString& cellText, const QString& code) {
    return cellText.trimmed().compare(code.trimmed(), Qt::CaseInsensitive) == 0;
}

}  // namespace

QStringList ReceiptModel::headerTexts() {
    return {QStringLiteral("Статус"), QStringLiteral("ID"), QString(), QString(), QStringLiteral("Наименование"),
            QStringLiteral("Цена"), QStringLiteral("Кол."), QStringLiteral("Сумма"), QStringLiteral("Скидка"),
            QStringLiteral("Признак предмета расчета"), QStringLiteral("Страна"),
            QStringLiteral("№ тамож. деклар.")};
}

ReceiptModel::ReceiptModel() { reset(); }

void ReceiptModel::reset() {
    cells_ = {headerTexts(), emptyRow(ColumnCount)};
    QStringList receiptRow = emptyRow(AttrCount);
    receiptRow[AttrReceiptDiscountKind] = QStringLiteral("N");
    receiptRow[AttrReceiptDiscountValue] = QStringLiteral("0");
    attrs_ = {receiptRow, emptyRow(AttrCount)};
    layout_ = 5;
    touch();
}

QString ReceiptModel::cell(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= ColumnCount) return QString();
    return cells_[row][column];
}

void ReceiptModel::setCell(int row, int column, const QString& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= ColumnCount) return;
    if (cells_[row][column] == text) return;
    cells_[row][column] = text;
    touch();
}

QString ReceiptModel::attr(int row, int index) const {
    if (row < 0 || row >= attrs_.size() || index < 0 || index >= AttrCount) return QString();
    return attrs_[row][index];
}

void ReceiptModel::setAttr(int row, int index, const QString& text) {
    if (row < 0 || row >= attrs_.size() || index < 0 || index >= AttrCount) return;
    if (attrs_[row][index] == text) return;
    attrs_[row][index] = text;
    touch();
}

QStringList ReceiptModel::rowCells(int row) const {
    return row >= 0 && row < rowCount() ? cells_[row] : emptyRow(ColumnCount);
}

QStringList ReceiptModel::rowAttrs(int row) const {
    return row >= 0 && row < attrs_.size() ? attrs_[row] : emptyRow(AttrCount);
}

bool ReceiptModel::isEmpty() const {
    for (int r = 1; r < rowCount(); ++r) {
        const QString s = status(r);
        if (!s.isEmpty() && s != StatusEmpty) return false;
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
    touch();
    return rowCount() - 1;
}

void ReceiptModel::clearRow(int row) {
    if (!isDataRow(row)) return;
    cells_[row] = emptyRow(ColumnCount);
    attrs_[row] = emptyRow(AttrCount);
    touch();
}

void ReceiptModel::removeRow(int row) {
    if (!isDataRow(row)) return;
    if (dataRowCount() == 1) {
        clearRow(row);
        return;
    }
    cells_.removeAt(row);
    DeleteLineAttrRow(attrs_, row);
    touch();
}

bool ReceiptModel::sameContent(const ReceiptModel& other) const {
    return cells_ == other.cells_ && attrs_ == other.attrs_ && layout_ == other.layout_;
}

void ReceiptModel::assignContent(const ReceiptModel& other) {
    if (sameContent(other)) return;
    cells_ = other.cells_;
    attrs_ = other.attrs_;
    layout_ = other.layout_;
    touch();
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
    for (int r = 1; r < model.rowCount(); ++r) {
        const QString s = model.status(r);
        if (s.isEmpty() || s == ReceiptModel::StatusEmpty) {
            model.clearRow(r);
            return r;
        }
    }
    return model.appendRow();
}

int FindGoodRow(const ReceiptModel& model, const QString& code) {
    if (code.trimmed().isEmpty()) return 0;
    for (int r = 1; r < model.rowCount(); ++r) {
        if (model.isActive(r) && sameCode(model.cell(r, ReceiptModel::ColId), code)) return r;
    }
    return 0;
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
        bool ok = false;
        const qlonglong country = model.cell(r, ReceiptModel::ColCountry).trimmed().toLongLong(&ok);
        if (ok && country != 0 && country != 643) return true;
    }
    return false;
}

}  // namespace sales
