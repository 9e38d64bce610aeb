#pragma once
// The open document's lines with cached changes: edits, inserts and
// deletes stay here, each row marked with its state, until they are written
// to GOODS_TEMP in one go (before a save or post, when the grid loses
// focus, before any re-read). Rows are keyed by goods ID; a goods item is
// never listed twice.
#include "StockLogic.h"
#include "StockRepository.h"

#include <QAbstractTableModel>

#include <functional>
#include <optional>
#include <vector>

namespace stock {

class InventoryLines : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColId, ColName, ColCountry, ColUnit, ColPrice, ColDeclar, ColStatus, ColumnCount };
    enum class RowState { Unchanged, Modified, Inserted, Deleted };
    static QString stateText(RowState state);

    // Checks a typed value for a row; nullopt refuses it (the checker has
    // told the cashier why), otherwise the text to keep.
    using Checker = std::function<std::optional<QString>(const Line& line, int column, const QString& typed)>;

    explicit InventoryLines(QObject* parent = nullptr);

    void setKindColumns(const KindColumns& columns);
    void setEditable(bool editable);
    void setChecker(Checker checker) { checker_ = std::move(checker); }

    // Replaces every row (all unchanged); `open` false shows a closed list.
    void setLines(std::vector<Line> lines, bool open = true);
    void close();
    bool isOpen() const { return open_; }

    int size() const { return static_cast<int>(rows_.size()); }
    const Line& line(int row) const { return rows_.at(static_cast<size_t>(row)).line; }
    RowState rowState(int row) const { return rows_.at(static_cast<size_t>(row)).state; }
    int rowOf(std::int64_t goodsId) const;

    // Adds a line for goods not listed yet and returns its row; for goods
    // already listed returns their row and changes nothing.
    int addLine(const Line& line);
    // Drops a row; one that GOODS_TEMP holds is deleted there at the next write.
    void removeLine(int row);

    bool hasChanges() const;
    LineChanges changes() const;
    // After the changes were written: every row unchanged.
    void markWritten();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // A line was changed, added or removed by the cashier.
    void edited();

private:
    struct Entry {
        Line line;
        RowState state = RowState::Unchanged;
    };
    bool columnEditable(int column) const;

    std::vector<Entry> rows_;
    std::vector<std::int64_t> deleted_;
    KindColumns columns_;
    bool editable_ = true;
    bool open_ = false;
    Checker checker_;
};

}  // namespace stock
