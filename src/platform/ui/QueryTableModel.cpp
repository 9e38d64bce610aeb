#include "QueryTableModel.h"

#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

namespace ui {

QueryTableModel::QueryTableModel(QObject* parent) : QAbstractTableModel(parent) {}

QueryTableModel::~QueryTableModel() { closeCursor(); }

void QueryTableModel::setColumns(std::vector<Column> columns) {
    beginResetModel();
    columns_ = std::move(columns);
    endResetModel();
}

void QueryTableModel::setHeaderStyle(QColor color, bool bold, Qt::Alignment alignment) {
    headerColor_ = color;
    headerBold_ = bold;
    headerAlign_ = alignment;
}

void QueryTableModel::closeCursor() {
    stmt_.reset();
    if (tr_ && tr_->isActive()) {
        try {
            tr_->commit();
        } catch (...) {
        }
    }
    tr_.reset();
    more_ = false;
}

void QueryTableModel::clear() {
    beginResetModel();
    closeCursor();
    rows_.clear();
    endResetModel();
}

void QueryTableModel::setQuery(fb::Connection& connection, const QString& sql, std::vector<fb::Value> params) {
    connection_ = &connection;
    sql_ = sql;
    params_ = std::move(params);
    reload();
}

void QueryTableModel::reload(int minRows) {
    beginResetModel();
    closeCursor();
    rows_.clear();
    try {
        // A list only reads: a read-only transaction starts and ends without
        // a write to the database.
        tr_ = std::make_unique<fb::Transaction>(*connection_, fb::Transaction::Access::ReadOnly);
        stmt_ = std::make_unique<fb::Statement>(*tr_, sql_);
        resultNames_ = stmt_->columnNames();
        stmt_->bindAll(params_);
        stmt_->execute(*tr_);
        more_ = true;
        const int want = std::max(batch_, minRows);
        while (static_cast<int>(rows_.size()) < want && stmt_->fetch()) rows_.push_back(stmt_->row());
        if (static_cast<int>(rows_.size()) < want) closeCursor();
    } catch (...) {
        closeCursor();
        endResetModel();
        throw;
    }
    endResetModel();
}

bool QueryTableModel::canFetchMore(const QModelIndex& parent) const { return !parent.isValid() && more_; }

void QueryTableModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid() || !more_) return;
    std::vector<fb::Row> batch;
    try {
        while (static_cast<int>(batch.size()) < batch_ && stmt_->fetch()) batch.push_back(stmt_->row());
    } catch (...) {
        closeCursor();
    }
    if (static_cast<int>(batch.size()) < batch_) closeCursor();
    if (batch.empty()) return;
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(batch.size()) - 1);
    for (auto& r : batch) rows_.push_back(std::move(r));
    endInsertRows();
}

int QueryTableModel::findRow(const QString& field, const QString& value) {
    for (;;) {
        for (size_t i = 0; i < rows_.size(); ++i) {
            const int idx = rows_[i].indexOf(field);
            if (idx >= 0 && fb::toString(rows_[i].at(idx)) == value) return static_cast<int>(i);
        }
        if (!more_) return -1;
        const size_t before = rows_.size();
        fetchMore({});
        if (rows_.size() == before) return -1;
    }
}

int QueryTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int QueryTableModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return columns_.empty() ? static_cast<int>(resultNames_.size()) : static_cast<int>(columns_.size());
}

int QueryTableModel::fieldIndex(int column) const {
    if (columns_.empty()) return column;
    return resultNames_.indexOf(columns_[static_cast<size_t>(column)].field.toUpper());
}

QVariant QueryTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        const int f = fieldIndex(index.column());
        if (f < 0) return {};
        return fb::toString(rows_[static_cast<size_t>(index.row())].at(f));
    }
    if (role == Qt::TextAlignmentRole && !columns_.empty())
        return QVariant::fromValue(columns_[static_cast<size_t>(index.column())].alignment);
    return {};
}

QVariant QueryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole) {
        if (columns_.empty()) return resultNames_.value(section);
        return columns_[static_cast<size_t>(section)].title;
    }
    if (role == Qt::ForegroundRole && headerColor_.isValid()) return headerColor_;
    if (role == Qt::FontRole && headerBold_) {
        QFont f;
        f.setBold(true);
        return f;
    }
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(headerAlign_);
    return {};
}

}  // namespace ui
