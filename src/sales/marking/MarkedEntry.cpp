#include "sales/marking/MarkedEntry.h"

#include "platform/fiscal/FiscalDriver.h"
#include "platform/ui/MessageService.h"
#include "sales/closing/ReceiptLines.h"
#include "sales/marking/FractionalCount.h"
#include "sales/marking/MarkingCheck.h"
#include "sales/receipt/ReceiptCalc.h"
#include "sales/receipt/ReceiptMessages.h"
#include "sales/receipt/ReceiptModel.h"
#include "sales/receipt/ReceiptRules.h"
#include "sales/receipt/SumLimits.h"

namespace sales::marking {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

void refuse(EntryScreen& screen, const QString& text, ui::Icon icon = ui::Icon::Error) {
    screen.clearInput();
    ui::messages().show(screen.messageParent(), text, icon);
}

// A format message for every type the main screen may meet; the types the
// scan window never evaluates have none of their own.
QString mainScreenFormatMessage(int markType) {
    const QString text = formatMessage(markType);
    if (!text.isEmpty()) return text;
    return QStringLiteral(" Считанный штриховой код не соответствует формату    ") + kCrLf +
           QStringLiteral(" для типа маркировки '") + markTypeCaption(markType) + QStringLiteral("'.");
}

bool pieceGoodsByFraction(const FoundGoods& goods) {
    return goods.measure && *goods.measure == 0 && goods.fractionalAllow;
}


}  // namespace

QString badTobaccoPriceText() {
    return receiptMessage(ReceiptMessageId::TobaccoPriceOutOfLimits).text;
}

QString mainScreenTobaccoDiscountText() {
    return QStringLiteral(" При добавлении в чек товара с типом маркировки 'табачные изделия'     ") + kCrLf +
           QStringLiteral(" назначенная скидка НА ЧЕК будет отменена.    ");
}

QString unknownMarkTypeText() {
    return QStringLiteral(" В работе программы произошла ошибка:     ") + kCrLf +
           QStringLiteral(" 'неизвестный тип маркировки'.     ") + kCrLf + kCrLf +
           QStringLiteral(" Перезапустите программу и продолжите работу.     ") + kCrLf + kCrLf +
           QStringLiteral(" Сообщите о возникшей проблеме разработчику программы.     ");
}

bool isKnownMarkType(int markType) {
    switch (markType) {
    case Tobacco:
    case Shoes:
    case OtherMarked:
    case Photo:
    case Perfume:
    case Tyres:
    case LightIndustry:
    case AltTobacco:
    case Dairy: return true;
    default: return false;
    }
}

namespace {

QStringList markingRecord(const FoundGoods& goods, const MarkedScan& unit) {
    QStringList record;
    for (int i = 0; i < 10; ++i) record.append(QString());
    record[MarkGoodId] = goods.good.id;
    record[MarkGtin] = unit.gtin;
    record[MarkSerial] = unit.serial;
    record[MarkFullCode] = unit.code;
    record[MarkStatus] = QString::number(unit.validation.status);
    record[MarkOnlineResult] = QString::number(unit.validation.onlineResult);
    record[MarkNumerator] = QString::number(unit.fraction.num);
    record[MarkDenominator] = QString::number(unit.fraction.den);
    record[MarkStockUnit] = QString::number(unit.codeKind);
    return record;
}

// The unit put into `model`: one more unit (or part) of the row holding the
// goods at the same price, or a new position; `items` are the marking records
// with the unit's own already among them. Returns the row; -1 with the row
// holding the goods at another price; 0 when nothing could be written.
int putMarkedUnit(ReceiptModel& model, const QList<QStringList>& items, const FoundGoods& goods,
                  const MarkedScan& unit) {
    const QString price = goods.markType == Tobacco ? unit.priceText : goods.good.price;
    const Qty qty = fractionQuantity(unit.fraction);
    int row = FindGoodRowWithPrice(model, goods.good.id, price);
    if (row < 0) return -1;
    // Tobacco is never sold under a receipt discount; whoever accepted the
    // unit has said so, and here it is done.
    if (goods.markType == Tobacco && model.receiptDiscountKind() != QLatin1Char('N'))
        model.setReceiptDiscount(QStringLiteral("N"), QString());
    if (row > 0) {
        if (!model.addQuantity(row, qty)) return 0;
    } else {
        row = addGoodPosition(model, goods.good, price, qty, unit.gtin);
        if (row == 0) return 0;
    }
    // The position prices each part of a pack on its own, as the register will.
    if (!unit.fraction.whole() || !model.attr(row, ReceiptModel::AttrPackParts).isEmpty())
        model.setAttr(row, ReceiptModel::AttrPackParts, packPartsOf(items, goods.good.id));
    return row;
}

}  // namespace

QString markedPositionProblem(const ReceiptModel& receipt, const QList<QStringList>& markedItems,
                              const FoundGoods& goods, const MarkedScan& unit) {
    ReceiptModel trial = receipt;
    QList<QStringList> items = markedItems;
    items.append(markingRecord(goods, unit));
    const QString price = goods.markType == Tobacco ? unit.priceText : goods.good.price;
    const int row = putMarkedUnit(trial, items, goods, unit);
    if (row < 0) {
        const int held = FindGoodRow(receipt, goods.good.id);
        return priceConflictText(price, held, receipt.cell(held, ReceiptModel::ColPrice));
    }
    // A part of a pack so small that it rounds to no quantity at all.
    if (row == 0) return zeroSumPositionText(goods.good.name);
    // The context only shapes the layout; whether the receipt adds up does
    // not depend on it.
    const RecalcResult recalc = RecalcReceipt(trial, ReceiptContext{});
    if (!recalc.ok()) return recalcMessage(recalc, trial).text;
    if (const QString tooLarge = receiptSumProblem(trial, row); !tooLarge.isEmpty()) return tooLarge;
    if (lineSumIsZero(trial, row)) return zeroSumPositionText(goods.good.name);
    return {};
}

int addMarkedPosition(EntryScreen& screen, QList<QStringList>& markedItems, const FoundGoods& goods,
                      const MarkedScan& unit) {
    ReceiptModel& model = screen.receipt();
    ReceiptModel::Undo undo(model);
    markedItems.append(markingRecord(goods, unit));
    const int row = putMarkedUnit(model, markedItems, goods, unit);
    if (row <= 0) {
        markedItems.removeLast();
        undo.rollback();
        if (row < 0) {
            const QString price = goods.markType == Tobacco ? unit.priceText : goods.good.price;
            const int held = FindGoodRow(model, goods.good.id);
            refuse(screen, priceConflictText(price, held, model.cell(held, ReceiptModel::ColPrice)));
        }
        return 0;
    }

    screen.clearInput();
    if (screen.receiptChanged(row)) {
        // A unit returned against a stored sale gives back no more than its
        // sale has left of it.
        const QString problem = screen.refundLimitProblem(row);
        if (problem.isEmpty()) return row;
        markedItems.removeLast();
        undo.rollback();
        screen.receiptChanged(0);
        refuse(screen, problem);
        return 0;
    }
    // The receipt would not add up with the unit: it stays as it was.
    markedItems.removeLast();
    undo.rollback();
    screen.receiptRestored();
    return 0;
}

MarkedEntry::MarkedEntry(MarkedEntryServices services) : services_(std::move(services)) {
    if (!services_.queryCode) services_.queryCode = querySerialNumber;
    if (!services_.askFraction) services_.askFraction = askFractionInWindow;
    if (!services_.validate) {
        // The register validates through the program's own check, with its
        // waiting window over the window that asked.
        services_.validate = [driver = services_.driver](const QString& code, const MarkFraction& fraction,
                                                         int receiptKind, QWidget* owner) {
            fiscal::IFiscalDriver* kkt = driver ? driver() : nullptr;
            if (!kkt) return MarkValidation{};
            MarkCheckRequest request;
            request.code = code;
            request.receiptKind = receiptKind;
            request.fractionNumerator = fraction.num;
            request.fractionDenominator = fraction.den;
            const MarkCheckResult r = CheckMarkingCode(*kkt, request, owner);
            return MarkValidation{r.accepted, r.markCodeStatus, r.onlineResult};
        };
    }
}

QList<QStringList>& MarkedEntry::markedItems() {
    return services_.markedItems ? services_.markedItems() : ownItems_;
}

bool MarkedEntry::registerAnswers() {
    fiscal::IFiscalDriver* driver = services_.driver ? services_.driver() : nullptr;
    const int rc = driver ? driver->open() : -1;
    if (rc >= 0) return true;
    if (services_.registerLost) services_.registerLost();
    return false;
}

MarkValidation MarkedEntry::validate(const QString& code, const MarkFraction& fraction, QWidget* owner) {
    const int kind = services_.receiptKind ? services_.receiptKind() : 0;
    return services_.validate(code, fraction, kind, owner);
}

MarkingOutcome MarkedEntry::operator()(EntryScreen& screen, const MarkingRequest& request) {
    if (!request.code.isEmpty() && (request.kind == CodeKind::TobaccoPack || request.kind == CodeKind::DataMatrix))
        return enterScannedCode(screen, request.goods, request.code);
    return enterByWindow(screen, request.goods);
}

MarkingOutcome MarkedEntry::enterScannedCode(EntryScreen& screen, const FoundGoods& goods, const QString& code) {
    const int type = goods.markType;
    if (!isKnownMarkType(type)) {
        refuse(screen, unknownMarkTypeText());
        return MarkingOutcome::Refused;
    }
    const NormalizedMark normal = NormalizeMarkCode(code, type);
    if (!normal.ok) {
        refuse(screen, mainScreenFormatMessage(type));
        return MarkingOutcome::Refused;
    }
    const MarkParts parts = ExtractMarkParts(type, code, normal.code);
    MarkedScan unit;
    unit.code = normal.code;
    unit.gtin = parts.gtin;
    unit.serial = parts.serial;
    unit.codeKind = normal.codeKind;

    if (IsDuplicateMark(markedItems(), unit.gtin, unit.serial)) {
        refuse(screen, duplicateMarkText());
        return MarkingOutcome::Refused;
    }
    if (!registerAnswers()) {
        refuse(screen, noRegisterText());
        return MarkingOutcome::Refused;
    }
    bool dropsDiscount = false;
    if (type == Tobacco) {
        const bool pack = normal.code.size() == 29;
        unit.mrpText = parts.priceField;
        unit.mrp = TobaccoMrp(parts.priceField, pack);
        const TobaccoPriceSetting setting = services_.tobaccoSetting ? services_.tobaccoSetting() : TobaccoPriceSetting{};
        unit.priceText = ApplyTobaccoPriceRule(Tobacco, goods.good.price, QChar(pack ? TobaccoUnitPack : TobaccoGroupPack),
                                               goods.good.price, Money::fromKopecks(unit.mrp), setting);
        if (unit.mrp < 0 || !tobaccoPriceAllowed(unit.priceText, Money::fromKopecks(unit.mrp))) {
            refuse(screen, badTobaccoPriceText());
            return MarkingOutcome::Refused;
        }
        dropsDiscount = screen.receipt().receiptDiscountKind() != QLatin1Char('N');
    }
    if (pieceGoodsByFraction(goods) && goods.packCount > 0) {
        if (!services_.askFraction) return MarkingOutcome::Refused;
        const std::optional<MarkFraction> fraction = services_.askFraction(
            goods.packCount, goods.good.name, markTypeCaption(type), screen.messageParent());
        if (!fraction) {
            screen.clearInput();
            return MarkingOutcome::Refused;
        }
        unit.fraction = *fraction;
        if (type == Tobacco) unit.priceText = TobaccoUnitPrice(unit.priceText).value_or(unit.priceText);
    }
    // Everything the receipt could refuse is asked before the register checks
    // the code: once accepted there, a code must go into the receipt.
    if (const QString problem = markedPositionProblem(screen.receipt(), markedItems(), goods, unit);
        !problem.isEmpty()) {
        refuse(screen, problem);
        return MarkingOutcome::Refused;
    }
    if (dropsDiscount) ui::messages().show(screen.messageParent(), mainScreenTobaccoDiscountText(), ui::Icon::Warning);

    const MarkValidation validation = validate(unit.code, unit.fraction, screen.messageParent());
    if (!validation.accepted) {
        screen.clearInput();
        return MarkingOutcome::Refused;
    }
    unit.validation = validation;
    return addMarkedPosition(screen, markedItems(), goods, unit) > 0 ? MarkingOutcome::Added : MarkingOutcome::Refused;
}

MarkingOutcome MarkedEntry::enterByWindow(EntryScreen& screen, const FoundGoods& goods) {
    const int type = goods.markType;
    if (!isKnownMarkType(type)) {
        refuse(screen, unknownMarkTypeText());
        return MarkingOutcome::Refused;
    }
    screen.clearInput();
    QuerySerialSetup setup;
    setup.markType = type;
    setup.goods = goods;
    if (services_.barcodes) setup.barcodes = services_.barcodes(goods.good.id);
    setup.dbPrice = goods.good.price;
    setup.withoutCodeAllowed = type == Tobacco;
    setup.receipt = &screen.receipt();
    setup.markedItems = &markedItems();
    if (services_.tobaccoSetting) setup.tobaccoSetting = services_.tobaccoSetting();
    setup.askFraction = services_.askFraction;
    setup.validate = [this](const QString& code, const MarkFraction& fraction, QWidget* owner) {
        return validate(code, fraction, owner);
    };
    setup.openRegister = [this] { return registerAnswers() ? 0 : -1; };
    const std::optional<MarkedScan> unit = services_.queryCode(std::move(setup), screen.messageParent());
    if (!unit) return MarkingOutcome::Refused;
    return addMarkedPosition(screen, markedItems(), goods, *unit) > 0 ? MarkingOutcome::Added : MarkingOutcome::Refused;
}

MarkingEntry makeMarkedEntry(MarkedEntryServices services) {
    auto entry = std::make_shared<MarkedEntry>(std::move(services));
    return [entry](EntryScreen& screen, const MarkingRequest& request) { return (*entry)(screen, request); };
}

}  // namespace sales::marking
