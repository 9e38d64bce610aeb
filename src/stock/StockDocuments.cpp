#include "StockDocuments.h"

#include "uDocGoodMoveList.h"

#include "core/DataModule.h"
#include "platform/ui/MessageService.h"

#include <QPointer>

namespace stock {

namespace {
SupplierPicker& pickerSlot() {
    static SupplierPicker p;
    return p;
}
GoodsSearch& searchSlot() {
    static GoodsSearch s;
    return s;
}
}  // namespace

void setSupplierPicker(SupplierPicker picker) {
    pickerSlot() = std::move(picker);
}
const SupplierPicker& supplierPicker() {
    return pickerSlot();
}
void setGoodsSearch(GoodsSearch search) {
    searchSlot() = std::move(search);
}
const GoodsSearch& goodsSearch() {
    return searchSlot();
}

void openStockDocuments(QWidget* parent, int tag) {
    if (!core::DataModule1) return;
    QPointer<TfmDocGoodMoveList> w =
        fmDocGoodMoveList ? fmDocGoodMoveList : new TfmDocGoodMoveList(core::DataModule1->connectionParams(), parent);
    w->setTag(tag);
    w->exec();
}

}  // namespace stock
