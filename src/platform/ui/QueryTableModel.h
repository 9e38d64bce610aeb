#pragma once
#include "platform/db/Value.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QColor>

#include <memory>
#include <vector>

namespace fb {
class Connection;
class Statement;
class Transaction;
}  // namespace fb

namespace ui {

// A read-only table over one query, fetched lazily in batches as the view
// scrolls, for the list windows (users, goods, documents...). It keeps its
// own read transaction open while rows remain to be fetched.
class QueryTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        QString field;  // column name in the result
        QString title;  // header text
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    };

    explicit QueryTableModel(QObject* parent = nullptr);
    ~QueryTableModel() override;

    // Columns to show; when none are given every result column is shown
    // under its own name.
    void setColumns(std::vector<Column> columns);
    void setHeaderStyle(QColor color, bool bold, Qt::Alignment alignment = Qt::AlignCenter);
    void setBatchSize(int rows) { batch_ = rows; }

    // Runs the query; rows already shown are replaced.
    void setQuery(fb::Connection& connection, const QString& sql, std::vector<fb::Value> params = {});
    // Runs the same query again (after a change), fetching at least `minRows`.
    void reload(int minRows = 0);
    void clear();

    const fb::Row& rowAt(int row) const { return rows_.at(static_cast<size_t>(row)); }
    // First row whose field equals the value (by text), -1 when none; fetches
    // further batches as needed.
    int findRow(const QString& field, const QString& value);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    void closeCursor();
    int fieldIndex(int column) const;

    std::vector<Column> columns_;
    std::vector<fb::Row> rows_;
    QStringList resultNames_;
    fb::Connection* connection_ = nullptr;
    QString sql_;
    std::vector<fb::Value> params_;
    std::unique_ptr<fb::Transaction> tr_;
    std::unique_ptr<fb::Statement> stmt_;
    bool more_ = false;
    int batch_ = 256;
    QColor headerColor_;
    bool headerBold_ = false;
    Qt::Alignment headerAlign_ = Qt::AlignCenter;
};

}  // namespace ui
