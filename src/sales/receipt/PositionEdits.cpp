#include "sales/receipt/PositionEdits.h"

#include "core/DataModule.h"
#include "platform/db/Procedure.h"
#include "platform/db/Transaction.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"
#include "sales/screen/CountInputLogic.h"
#include "sales/screen/DiscountInputLogic.h"
#include "sales/screen/MainScreenState.h"
#include "sales/receipt/ReceiptCalc.h"
#include "sales/receipt/SumLimits.h"
#include "sales/closing/ReceiptLines.h"
#include "sales/marking/FractionalCount.h"
#include "sales/screen/Registration_Mode.h"
#include "sales/screen/uCountInput.h"
#include "sales/screen/uDeleteConfirm.h"
#include "sales/screen/uDiscountInput.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace sales {

namespace {

const QString kBreak = QStringLiteral("\r\n");
constexpr int kTobacco = 4;

QString entry(const QStringList& record, int index) {
    return index < record.size() ? record[index] : QString();
}

// The goods id of a row as the database knows it; nullopt for a free-price
// position or text that is no id.
std::optional<qint64> goodsIdOf(const ReceiptModel& model, int row) {
    bool ok = false;
    const qint64 id = model.cell(row, ReceiptModel::ColId).trimmed().toLongLong(&ok);
    if (!ok || id == 0) return std::nullopt;
    return id;
}

bool hasSerial(const QStringList& record) {
    return !entry(record, MarkSerial).trimmed().isEmpty();
}

bool sameGoods(const QStringList& record, int index, const QString& goodsId) {
    return !goodsId.isEmpty() && entry(record, index).trimmed() == goodsId;
}

// A key no marking record of the receipt carries yet.
QString newRowKey(const QList<QStringList>& markedItems) {
    qint64 last = 0;
    for (const QStringList& record : markedItems) {
        const QString key = entry(record, MarkRowKey).trimmed();
        if (key.startsWith(QLatin1Char('D'))) last = std::max(last, key.mid(1).toLongLong());
    }
    return QStringLiteral("D") + QString::number(last + 1);
}

}  // namespace

QString annulPositionQuestion(const QString& name, int row) {
    return QStringLiteral("Вы действительно желаете удалить из чека позицию     ") + kBreak + QStringLiteral("< ") +
           name + QStringLiteral(" ") + QStringLiteral(">") + QStringLiteral(" (строка ") + QString::number(row) +
           QStringLiteral(") ?     ");
}

QString unknownPaymentMethodMessage() {
    return QStringLiteral(" При работе программы произошла ошибка:     ") + kBreak +
           QStringLiteral("   ''неизвестный признак способа расчета''.     ") + kBreak + kBreak +
           QStringLiteral(" Перезапустите программу и продолжите работу.     ") + kBreak + kBreak +
           QStringLiteral(" Сообщите о проблеме разработчику программы.     ");
}

QString markedCountMismatchMessage() {
    return QStringLiteral("При обработке количества маркированного товара в чеке   ") + kBreak +
           QStringLiteral("произошел сбой в работе приложения. ") + kBreak + kBreak +
           QStringLiteral(" Перезапустите программу и продолжите работу.     ");
}

// ---- Rules ------------------------------------------------------------------

QString annulPositionName(const ReceiptModel& model, int row) {
    const QString name = model.cell(row, ReceiptModel::ColName).trimmed();
    return name.isEmpty() ? positionEditsText::kFreePriceName : name;
}

AnnulAction annulActionFor(const ReceiptModel& model, int row, bool returnFromStoredReceipt) {
    if (!model.isDataRow(row)) return AnnulAction::None;
    const QString status = model.status(row);
    if (status == ReceiptModel::StatusExcluded) return AnnulAction::AskExcluded;
    if (status != ReceiptModel::StatusActive) return AnnulAction::None;
    return returnFromStoredReceipt ? AnnulAction::Exclude : AnnulAction::Delete;
}

PositionRemoval removePosition(ReceiptModel& model, QList<QStringList>& markedItems, QList<QStringList>& receiptLines,
                               int row, bool markedGoods) {
    PositionRemoval out;
    if (!model.isDataRow(row)) return out;
    if (model.receiptDiscountKind() == QLatin1Char('S')) {
        // A sum spread over the positions no longer fits once one is gone.
        model.setReceiptDiscount(QStringLiteral("N"), QString());
        out.receiptDiscountDropped = true;
    }
    const QString goodsId = model.cell(row, ReceiptModel::ColId).trimmed();
    // A position excluded from a return takes only its own units along: the
    // active position of the same goods keeps its records and lines.
    const QString rowKey = model.attr(row, ReceiptModel::AttrRowKey).trimmed();
    if (rowKey.isEmpty()) {
        out.handOverLinesRemoved =
            int(receiptLines.removeIf([&](const QStringList& line) { return sameGoods(line, LineGoodId, goodsId); }));
    }
    if (markedGoods) {
        out.markingRecordsRemoved = int(markedItems.removeIf(
            [&](const QStringList& record) { return markedRecordOf(record, goodsId, rowKey); }));
    }
    model.removeRow(row);
    return out;
}

bool excludePosition(ReceiptModel& model, int row, QList<QStringList>* markedItems) {
    if (!model.isActive(row)) return false;
    if (markedItems) {
        // The units of the position stay with it, apart from whatever the
        // receipt takes of the same goods afterwards.
        const QString goodsId = model.cell(row, ReceiptModel::ColId).trimmed();
        const QString key = newRowKey(*markedItems);
        model.setAttr(row, ReceiptModel::AttrRowKey, key);
        for (QStringList& record : *markedItems) {
            if (!markedRecordOf(record, goodsId)) continue;
            while (record.size() <= MarkRowKey) record.append(QString());
            record[MarkRowKey] = key;
        }
    }
    model.setCell(row, ReceiptModel::ColStatus, ReceiptModel::StatusExcluded);
    return true;
}

bool restoreExcludedPosition(ReceiptModel& model, int row, QList<QStringList>* markedItems) {
    if (!model.isDataRow(row) || model.status(row) != ReceiptModel::StatusExcluded) return false;
    const QString goodsId = model.cell(row, ReceiptModel::ColId).trimmed();
    const QString key = model.attr(row, ReceiptModel::AttrRowKey).trimmed();
    MergeGoodRows(model, row, model.isWeighedRow(row) ? 1 : 0, goodsId);
    model.setCell(row, ReceiptModel::ColStatus, ReceiptModel::StatusActive);
    // Active again, the position holds its own units and those of the
    // position merged into it, as the active position of its goods.
    model.setAttr(row, ReceiptModel::AttrRowKey, QString());
    if (markedItems && !key.isEmpty()) {
        for (QStringList& record : *markedItems)
            if (markedRecordOf(record, goodsId, key)) record[MarkRowKey].clear();
    }
    DeleteMergedRows(model);
    return true;
}

bool priceChangeAllowed(const ReceiptModel& model, int row, const QString& inputLine) {
    return inputLine.trimmed().isEmpty() && model.isActive(row) && model.markType(row) != kTobacco;
}

bool quantityChangeAllowed(const ReceiptModel& model, int row, const QString& inputLine) {
    return inputLine.trimmed().isEmpty() && model.isActive(row);
}

bool knownPaymentMethod(int flag) {
    return flag >= PayPrepayFull && flag <= PayFull;
}

MarkedQuantityCheck checkMarkedQuantity(const ReceiptModel& model, const QList<QStringList>& markedItems, int row,
                                        int markType) {
    MarkedQuantityCheck out;
    MarkedQuantityRequest& r = out.request;
    r.row = row;
    r.goodsId = model.cell(row, ReceiptModel::ColId).trimmed();
    r.name = model.cell(row, ReceiptModel::ColName);
    r.markType = markType;
    const QString rowKey = model.attr(row, ReceiptModel::AttrRowKey);
    for (const QStringList& record : markedItems) {
        if (!markedRecordOf(record, r.goodsId, rowKey)) continue;
        (hasSerial(record) ? r.withSerial : r.withoutSerial) += 1;
    }
    const Qty qty = model.quantity(row);
    r.quantity = int(qty.thousandths / 1000);
    const int records = r.withSerial + r.withoutSerial;
    if (records == 0) {
        out.outcome = MarkedQuantityCheck::Outcome::NoRecords;
        out.message = positionEditsText::kNoSerialNumbers;
        return out;
    }
    // A part of a pack counts as one item and adds its part to the quantity.
    const std::optional<Qty> recorded = markedGoodsQuantity(markedItems, r.goodsId, rowKey);
    r.quantity = records;
    if (!recorded || *recorded != qty) {
        out.outcome = MarkedQuantityCheck::Outcome::Mismatch;
        out.message = markedCountMismatchMessage();
        return out;
    }
    r.tag = r.withSerial == 0 ? 1 : (r.withoutSerial == 0 ? 2 : 3);
    out.outcome = MarkedQuantityCheck::Outcome::Open;
    return out;
}

PositionDiscountAccess positionDiscountAccess(const ReceiptModel& model, const QList<QStringList>& markedItems,
                                              int row) {
    if (!model.isActive(row)) return PositionDiscountAccess::None;
    if (model.receiptDiscountKind() != QLatin1Char('N')) return PositionDiscountAccess::ReceiptDiscountSet;
    if (model.markType(row) == kTobacco) {
        const QString goodsId = model.cell(row, ReceiptModel::ColId).trimmed();
        for (const QStringList& record : markedItems) {
            if (markedRecordOf(record, goodsId) && hasSerial(record)) return PositionDiscountAccess::Tobacco;
        }
    }
    return PositionDiscountAccess::Open;
}

bool receiptDiscountAllowed(const ReceiptModel& model) {
    if (!isPositiveSum(calcReceiptSumNoDiscount(model))) return false;
    for (int r = 1; r < model.rowCount(); ++r) {
        if (model.isActive(r) && model.markType(r) == kTobacco) return false;
    }
    return true;
}

// ---- The commands -------------------------------------------------------------

PositionEdits::PositionEdits(TfmReg& reg, PositionEditsOptions options)
    : QObject(&reg), reg_(reg), options_(std::move(options)) {
    setObjectName(QStringLiteral("PositionEdits"));
    if (!options_.database) {
        options_.database = [this]() -> fb::Connection* {
            if (reg_.builtinSession() || !core::DataModule1) return nullptr;
            return &core::DataModule1->IBDatabase1();
        };
    }
    if (!options_.countInput) options_.countInput = runCountInput;
    if (!options_.discountInput) options_.discountInput = runDiscountInput;
    if (!options_.excludedPositionAction) options_.excludedPositionAction = askExcludedPositionAction;
}

PositionEdits::~PositionEdits() = default;

bool PositionEdits::returnFromStoredReceipt() const {
    return reg_.receiptKind() == KindSaleReturn && controlTag(reg_.edFPD) != 0;
}

bool PositionEdits::discountsAllowed() const {
    if (reg_.isWorkplaceLocked()) return false;
    // Only a sale is discounted.
    return discountButtons(receiptKindFromCaption(reg_.receiptKindText()), false, false).receipt;
}

std::optional<int> PositionEdits::goodsMarkType(int row) {
    const int known = reg_.receipt().markType(row);
    const std::optional<qint64> id = goodsIdOf(reg_.receipt(), row);
    if (!id) return known;
    try {
        // Reaching the database may itself fail (it attaches on first use).
        fb::Connection* db = options_.database ? options_.database() : nullptr;
        if (!db) return known;
        fb::Transaction tr(*db);
        const std::vector<fb::Row> rows =
            fb::selectProcedure(tr, QStringLiteral("GOOD_DATA"), {{QStringLiteral("I_ID"), std::int64_t(*id)}});
        tr.commit();
        // Goods no longer in the catalogue keep the mark type they were sold with.
        if (rows.empty() || rows.front().isNull(QStringLiteral("O_MARKTYPE"))) return known;
        return rows.front().integer(QStringLiteral("O_MARKTYPE"));
    } catch (...) {
        return std::nullopt;
    }
}

void PositionEdits::refresh(int currentRow) {
    if (reg_.RecalcReceipt() != 0) {
        reg_.updateGoodsGrid();
        reg_.updateDiscountButtons();
    }
    reg_.setCurrentReceiptRow(qBound(1, currentRow, reg_.receipt().dataRowCount()));
}

void PositionEdits::btnPosDeleteClick() {
    annulPosition(reg_.currentReceiptRow(), true);
}

void PositionEdits::annulPosition(int row, bool ask) {
    if (reg_.isWorkplaceLocked()) return;
    ReceiptModel& model = reg_.receipt();
    switch (annulActionFor(model, row, returnFromStoredReceipt())) {
        case AnnulAction::None:
            return;
        case AnnulAction::Exclude:
            excludePosition(model, row, &reg_.MarkedItems());
            refresh(row);
            return;
        case AnnulAction::AskExcluded:
            switch (options_.excludedPositionAction(&reg_)) {
                case TfmDeleteConfirm::DeleteForGood:
                    break;
                case TfmDeleteConfirm::UndoExclusion:
                    restoreExcludedPosition(model, row, &reg_.MarkedItems());
                    refresh(row);
                    return;
                default:
                    return;
            }
            // The cashier chose in the window: no second question.
            ask = false;
            break;
        case AnnulAction::Delete:
            break;
    }
    if (ask && !ui::askYesNo(annulPositionQuestion(annulPositionName(model, row), row), &reg_)) return;
    // The mark type is asked before anything changes, so a failing database
    // leaves the receipt as it was.
    const std::optional<int> markType = goodsMarkType(row);
    if (!markType) {
        ui::showError(positionEditsText::kMarkTypeFailedOnDelete, &reg_);
        return;
    }
    // Annulling drops a sum discount on the receipt: not when the rest would
    // then be more than can be stored.
    if (model.receiptDiscountKind() == QLatin1Char('S')) {
        const QString problem = receiptSumsProblemAfter(
            model, {reg_.receiptKindText(), reg_.chLE->isChecked()}, [&](ReceiptModel& trial) {
                QList<QStringList> marked = reg_.MarkedItems();
                QList<QStringList> lines = reg_.ReceiptLines();
                removePosition(trial, marked, lines, row, *markType > 0);
            });
        if (!problem.isEmpty()) {
            ui::showWarning(problem, &reg_);
            return;
        }
    }
    removePosition(model, reg_.MarkedItems(), reg_.ReceiptLines(), row, *markType > 0);
    refresh(row);
}

void PositionEdits::btnCheckDeleteClick() {
    annulReceipt(true);
}

void PositionEdits::annulReceipt(bool ask) {
    if (ask) {
        if (reg_.isWorkplaceLocked() || reg_.receipt().isEmpty()) return;
        if (!ui::askYesNo(positionEditsText::kAnnulReceiptQuestion, &reg_)) return;
    }
    reg_.resetReceipt();
    reg_.chLE->setChecked(false);
    if (reg_.hasCommand(QStringLiteral("chLE"))) {
        reg_.chLEClick();
    } else {
        // Nobody keeps the buyer: the labels are cleared here.
        for (QLabel* l : {reg_.Label6, reg_.lblBuyerName, reg_.Label7, reg_.lblINNBuyer}) l->hide();
        reg_.lblBuyerName->clear();
        reg_.lblINNBuyer->clear();
    }
    reg_.edTelefon->clear();
    setControlTag(reg_.edTelefon, 0);
    // The next receipt refunds nothing unless a stored receipt is opened again.
    reg_.edFPD->clear();
    setControlTag(reg_.edFPD, 0);
    refresh(1);
}

void PositionEdits::BitBtn1Click() {
    if (reg_.isWorkplaceLocked()) return;
    if (!priceChangeAllowed(reg_.receipt(), reg_.currentReceiptRow(), reg_.lblVvod->text())) return;
    options_.countInput(reg_, CountInputPrice, countInputText::kPriceCaption);
}

void PositionEdits::BitBtn2Click() {
    if (reg_.isWorkplaceLocked()) return;
    const int row = reg_.currentReceiptRow();
    if (!quantityChangeAllowed(reg_.receipt(), row, reg_.lblVvod->text())) return;
    const std::optional<int> markType = goodsMarkType(row);
    if (!markType) {
        ui::showError(positionEditsText::kMarkTypeFailedOnQuantity, &reg_);
        return;
    }
    if (!knownPaymentMethod(reg_.PaymentMethodFlag())) {
        ui::showError(unknownPaymentMethodMessage(), &reg_);
        return;
    }
    if (*markType == 0) {
        options_.countInput(reg_, CountInputQuantity, countInputText::kQuantityCaption);
        return;
    }
    const MarkedQuantityCheck check = checkMarkedQuantity(reg_.receipt(), reg_.MarkedItems(), row, *markType);
    if (check.outcome != MarkedQuantityCheck::Outcome::Open) {
        ui::showError(check.message, &reg_);
        return;
    }
    if (options_.markedQuantity) options_.markedQuantity(reg_, check.request);
}

void PositionEdits::btnPosDiscountClick() {
    if (!discountsAllowed()) return;
    switch (positionDiscountAccess(reg_.receipt(), reg_.MarkedItems(), reg_.currentReceiptRow())) {
        case PositionDiscountAccess::ReceiptDiscountSet:
            ui::showCaptioned(positionEditsText::kPositionDiscountBlockedCaption,
                              positionEditsText::kPositionDiscountBlocked, ui::Icon::Warning, &reg_);
            return;
        case PositionDiscountAccess::Open:
            options_.discountInput(reg_, DiscountOnPosition, discountInputText::kPositionCaption);
            return;
        default:
            return;
    }
}

void PositionEdits::btnCheckDiscountClick() {
    if (!discountsAllowed() || !receiptDiscountAllowed(reg_.receipt())) return;
    options_.discountInput(reg_, DiscountOnReceipt, discountInputText::kReceiptCaption);
}

PositionEdits* findPositionEdits(TfmReg& reg) {
    return reg.findChild<PositionEdits*>(QStringLiteral("PositionEdits"), Qt::FindDirectChildrenOnly);
}

}  // namespace sales

void installPositionEdits(TfmReg& reg, sales::PositionEditsOptions options) {
    delete sales::findPositionEdits(reg);
    auto* edits = new sales::PositionEdits(reg, std::move(options));
    reg.setCommand(QStringLiteral("btnPosDelete"), [edits] { edits->btnPosDeleteClick(); });
    reg.setCommand(QStringLiteral("btnCheckDelete"), [edits] { edits->btnCheckDeleteClick(); });
    reg.setCommand(QStringLiteral("BitBtn1"), [edits] { edits->BitBtn1Click(); });
    reg.setCommand(QStringLiteral("BitBtn2"), [edits] { edits->BitBtn2Click(); });
    reg.setCommand(QStringLiteral("btnPosDiscount"), [edits] { edits->btnPosDiscountClick(); });
    reg.setCommand(QStringLiteral("btnCheckDiscount"), [edits] { edits->btnCheckDiscountClick(); });
}
