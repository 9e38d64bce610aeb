#include "archive/ReceiptGoodsCheck.h"

#include "archive/GoodsCheckText.h"

#include "platform/ui/MessageService.h"
#include "sales/receipt/ReceiptModel.h"

namespace archive {

std::vector<GoodsCheckLine> goodsCheckLinesFromReceipt(const sales::ReceiptModel& receipt) {
    using M = sales::ReceiptModel;
    std::vector<GoodsCheckLine> lines;
    for (int row = 1; row < receipt.rowCount(); ++row) {
        if (receipt.cell(row, M::ColStatus) != M::StatusActive) continue;
        GoodsCheckLine l;
        l.numPos = receipt.cell(row, M::ColPosNo).trimmed().toInt();
        bool numeric = false;
        const int code = receipt.cell(row, M::ColId).trimmed().toInt(&numeric);
        l.code = numeric ? code : 0;
        l.name = receipt.cell(row, M::ColName);
        l.price = receipt.cell(row, M::ColPrice);
        l.sum = receipt.cell(row, M::ColSum);
        l.count = receipt.cell(row, M::ColQty);
        lines.push_back(std::move(l));
    }
    return lines;
}

ReceiptGoodsCheckResult printReceiptGoodsCheck(QWidget* parent, fb::Connection& db, const QString& programFolder,
                                               const ReceiptGoodsCheckRequest& request,
                                               std::function<void()> onPrintSetupOpened) {
    ReceiptGoodsCheckResult result;
    if (request.kindCaption.trimmed().compare(QStringLiteral("ПРИХОД"), Qt::CaseInsensitive) != 0) {
        ui::showError(goodsCheckText::kOnlyForSale, parent);
        return result;
    }
    GoodsCheckStore store(db);
    switch (store.refill(request.lines)) {
        case GoodsCheckStore::Fill::ClearFailed:
            ui::showError(goodsCheckText::kClearFailed, parent);
            return result;
        case GoodsCheckStore::Fill::FillFailed:
            ui::showError(goodsCheckText::kFillFailed, parent);
            return result;
        case GoodsCheckStore::Fill::Ok:
            break;
    }

    const GoodsCheckSettings settings = store.settings();
    GoodsCheckContent content;
    content.header = settings.headerLines();
    content.address = settings.address;
    content.total = request.total;
    content.cashier = request.cashier;
    const std::optional<StoredGoodsCheckNumber> stored =
        request.printState > 0 ? store.storedNumber(request.printState) : std::nullopt;
    std::optional<StoredGoodsCheckNumber> assigned;
    if (stored) {
        content.title = goodsCheckTitle(stored->prefix, kBareHyphen, stored->number, stored->date);
    } else {
        assigned = StoredGoodsCheckNumber{settings.nextNumber(), settings.prefix.trimmed(), request.today};
        content.title = goodsCheckTitle(assigned->prefix, kSpacedHyphen, assigned->number, request.today);
    }
    content.lines = store.lines();
    result.shown = showGoodsCheck(parent, programFolder, content, std::move(onPrintSetupOpened));
    // A number is spoken for only when the goods check could be shown.
    if (result.shown) result.assigned = assigned;
    return result;
}

}  // namespace archive
