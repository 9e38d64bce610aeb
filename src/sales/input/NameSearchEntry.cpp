#include "sales/input/NameSearchEntry.h"

#include "catalogue/GoodNameFindLogic.h"
#include "catalogue/uPriceTagPrepare.h"
#include "platform/ui/MessageService.h"
#include "sales/input/ItemEntry.h"
#include "sales/screen/Registration_Mode.h"
#include "stock/StockDocuments.h"

#include <QPointer>

namespace sales {

namespace {
UnitQuestion& unitQuestionSlot() {
    static UnitQuestion q;
    return q;
}
}  // namespace

void setChosenGoodsUnitQuestion(UnitQuestion question) {
    unitQuestionSlot() = std::move(question);
}
const UnitQuestion& chosenGoodsUnitQuestion() {
    return unitQuestionSlot();
}

FoundGoods foundGoodsFromSearch(const catalogue::NameFoundGoods& g) {
    FoundGoods f;
    f.good.id = QString::number(g.id);
    f.good.name = g.name;
    f.good.price = g.price;
    f.good.weighed = g.weighed;
    f.good.type = g.type;
    f.good.country = g.countryCode;
    f.good.vat = g.vat;
    f.markType = g.markType;
    f.good.markType = QString::number(g.markType);
    f.measure = g.unitCode;
    if (g.unitCode) f.good.measure = QString::number(*g.unitCode);
    f.unitName = g.unit;
    f.fractionalAllow = g.fractionalAllow;
    f.packCount = g.packCount;
    return f;
}

int addGoodsFoundByName(ItemEntry& entry, const catalogue::NameFoundGoods& goods, QWidget* window,
                        const UnitQuestion& askUnit) {
    EntryScreen& screen = entry.screen();
    const catalogue::ReceiptAddCheck check = catalogue::CheckReceiptAdd(
        screen.paymentMethodFlag(), screen.buyerGiven(), goods.countryCode, goods.unitCode, goods.markType, goods.name);
    if (check.outcome == catalogue::ReceiptAddCheck::Refuse) {
        if (check.clearInput) screen.clearInput();
        ui::showError(check.message, window);
        return 0;
    }
    FoundGoods found = foundGoodsFromSearch(goods);
    if (check.outcome == catalogue::ReceiptAddCheck::AskUnit) {
        if (!askUnit) {
            ui::showError(catalogue::badUnitChosenText(goods.name), window);
            return 0;
        }
        const std::optional<ChosenUnit> unit = askUnit(window, goods.id, goods.name);
        if (!unit) return 0;
        found.measure = unit->code;
        found.good.measure = QString::number(unit->code);
        found.unitName = unit->text;
    }
    // Prepayment receipts take marked goods without their code.
    found.markType = check.markType;
    found.good.markType = QString::number(check.markType);
    return entry.enterChosenGoods(found);
}

void installNameSearch(TfmReg& reg, ItemEntryController* entry) {
    const QPointer<ItemEntryController> controller(entry);
    reg.setCommand(QStringLiteral("btnFindName"), [&reg, controller] {
        catalogue::openGoodNameFind(
            &reg, catalogue::FindForReceipt, [controller](const catalogue::NameFoundGoods& g, QWidget* window) {
                if (controller) addGoodsFoundByName(controller->entry(), g, window, chosenGoodsUnitQuestion());
            });
    });
    stock::setGoodsSearch([](QWidget* caller, const stock::AddGoods& add) {
        catalogue::openGoodNameFind(caller, catalogue::FindForStockDocument,
                                    [add](const catalogue::NameFoundGoods& g, QWidget*) {
                                        add({g.id, g.name, g.countryName, g.unit, g.stock});
                                    });
    });
    // The price-tag list re-reads GOODS_TEMP when the search closes; the
    // search itself writes the rows it takes.
    catalogue::setPriceTagGoodsSearch(
        [](QWidget* caller) { catalogue::openGoodNameFind(caller, catalogue::FindForPriceTags); });
}

}  // namespace sales
