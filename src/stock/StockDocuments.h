#pragma once
// What the rest of the program uses of the stock documents: the command
// that opens the documents list, and the hooks through which the partners
// window and the goods search by name serve the document editor.
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QWidget;

namespace stock {

// Opens the stock documents list modally for a menu Tag: 1 inventory,
// 2 goods receipt, 3 surplus entry, 4 write-off.
void openStockDocuments(QWidget* parent, int tag);

// A supplier chosen in the partners window.
struct PickedSupplier {
    int id = 0;
    QString fullName;
};
// Opens the partners window in supplier mode over `caller`; nullopt when the
// cashier chose nothing.
using SupplierPicker = std::function<std::optional<PickedSupplier>(QWidget* caller)>;
void setSupplierPicker(SupplierPicker picker);
const SupplierPicker& supplierPicker();

// A goods item chosen in the goods search, for a new document line.
struct PickedGoods {
    std::int64_t id = 0;
    QString name;
    QString country;
    QString unit;
    QString stock;  // GOOD_COUNT as stored
};
using AddGoods = std::function<void(const PickedGoods&)>;
// Opens the goods search over `caller`; every goods item the cashier
// chooses is handed to `add`.
using GoodsSearch = std::function<void(QWidget* caller, const AddGoods& add)>;
void setGoodsSearch(GoodsSearch search);
const GoodsSearch& goodsSearch();

}  // namespace stock
