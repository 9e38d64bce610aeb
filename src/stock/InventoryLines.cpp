#include "InventoryLines.h"

namespace stock {

QString InventoryLines::stateText(RowState state) {
    switch (state) {
        case RowState::Unchanged:
            return QStringLiteral("нетронутая");
        case RowState::Modified:
            return QStringLiteral("изменённая");
        case RowState::Inserted:
            return QStringLiteral("вставлена");
        case RowState::Deleted:
            return QStringLiteral("удалить");
    }
    return {};
}

InventoryLines::InventoryLines(QObject* parent) : QAbstractTableModel(parent) {}

void InventoryLines::setKindColumns(const KindColumns& columns) {
    columns_ = columns;
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

void InventoryLines::setEditable(bool editable) {
    // Views refresh open cell editors on every data change: only a real
    // change of editability may reach them, or a value being typed is lost.
    if (editable_ == editable) return;
    editable_ = editable;
    if (!rows_.empty()) emit dataChanged(index(0, 0), index(size() - 1, ColumnCount - 1));
}

void InventoryLines::setLines(std::vector<Line> lines, bool open) {
    beginResetModel();
    rows_.clear();
    rows_.reserve(lines.size());
    for (Line& l : lines) rows_.push_back({std::move(l), RowState::Unchanged});
    deleted_.clear();
    open_ = open;
    endResetModel();
}

void InventoryLines::close() {
    setLines({}, false);
}

int InventoryLines::rowOf(std::int64_t goodsId) const {
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].line.goodsId == goodsId) return static_cast<int>(i);
    return -1;
}

int InventoryLines::addLine(const Line& line) {
    const int existing = rowOf(line.goodsId);
    if (existing >= 0) return existing;
    const int row = size();
    beginInsertRows({}, row, row);
    // A goods item deleted and added again is a change of the row it had.
    const auto gone = std::find(deleted_.begin(), deleted_.end(), line.goodsId);
    if (gone != deleted_.end()) {
        deleted_.erase(gone);
        rows_.push_back({line, RowState::Modified});
    } else {
        rows_.push_back({line, RowState::Inserted});
    }
    open_ = true;
    endInsertRows();
    emit edited();
    return row;
}

void InventoryLines::removeLine(int row) {
    if (row < 0 || row >= size()) return;
    beginRemoveRows({}, row, row);
    const Entry& e = rows_[static_cast<size_t>(row)];
    if (e.state != RowState::Inserted) deleted_.push_back(e.line.goodsId);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
    emit edited();
}

bool InventoryLines::hasChanges() const {
    if (!deleted_.empty()) return true;
    for (const Entry& e : rows_)
        if (e.state != RowState::Unchanged) return true;
    return false;
}

LineChanges InventoryLines::changes() const {
    LineChanges c;
    c.deleted = deleted_;
    for (const Entry& e : rows_) {
        if (e.state == RowState::Modified)
            c.modified.push_back(e.line);
        else if (e.state == RowState::Inserted)
            c.inserted.push_back(e.line);
    }
    return c;
}

void InventoryLines::markWritten() {
    deleted_.clear();
    for (Entry& e : rows_) e.state = RowState::Unchanged;
    if (!rows_.empty()) emit dataChanged(index(0, ColStatus), index(size() - 1, ColStatus));
}

int InventoryLines::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : size();
}
int InventoryLines::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant InventoryLines::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= size()) return {};
    const Entry& e = rows_[static_cast<size_t>(index.row())];
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        switch (index.column()) {
            case ColId:
                return QString::number(e.line.goodsId);
            case ColName:
                return e.line.name;
            case ColCountry:
                return role == Qt::DisplayRole ? QLatin1Char(' ') + e.line.country : e.line.country;
            case ColUnit:
                return e.line.unit;
            case ColPrice:
                return e.line.price;
            case ColDeclar:
                return e.line.declar;
            case ColStatus:
                return stateText(e.state);
        }
    }
    if (role == Qt::TextAlignmentRole &&
        (index.column() == ColPrice || (index.column() == ColDeclar && columns_.declarIsQuantity)))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

bool InventoryLines::columnEditable(int column) const {
    if (!editable_) return false;
    if (column == ColPrice) return columns_.priceEditable;
    if (column == ColDeclar) return columns_.declarEditable && columns_.declarVisible;
    return false;
}

bool InventoryLines::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.row() >= size() || !columnEditable(index.column()))
        return false;
    Entry& e = rows_[static_cast<size_t>(index.row())];
    QString text = value.toString();
    if (checker_) {
        const std::optional<QString> checked = checker_(e.line, index.column(), text);
        if (!checked) return false;
        text = *checked;
    }
    QString& cell = index.column() == ColPrice ? e.line.price : e.line.declar;
    if (cell == text) return true;
    cell = text;
    if (e.state == RowState::Unchanged) e.state = RowState::Modified;
    emit dataChanged(index.siblingAtColumn(0), index.siblingAtColumn(ColStatus));
    emit edited();
    return true;
}

Qt::ItemFlags InventoryLines::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && columnEditable(index.column())) f |= Qt::ItemIsEditable;
    return f;
}

QVariant InventoryLines::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
        case ColId:
            return QStringLiteral("Код");
        case ColName:
            return QStringLiteral("Наименование");
        case ColCountry:
            return QStringLiteral("Страна");
        case ColUnit:
            return QStringLiteral("Ед.изм.");
        case ColPrice:
            return columns_.priceTitle;
        case ColDeclar:
            return columns_.declarTitle;
        case ColStatus:
            return QStringLiteral("Статус");
    }
    return {};
}

}  // namespace stock
