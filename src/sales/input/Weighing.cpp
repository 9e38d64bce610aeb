#include "sales/input/Weighing.h"

#include "sales/input/ItemEntry.h"
#include "platform/ui/MessageService.h"
#include "sales/receipt/SumLimits.h"

namespace sales {

bool rowCanBeWeighed(const ReceiptModel& model, int row) {
    if (!model.isDataRow(row) || !model.isActive(row)) return false;
    const QString kind = model.cell(row, ReceiptModel::ColKind).trimmed();
    if (!kind.isEmpty() && kind != QLatin1String("W")) return false;
    // A marked unit is sold by its marking code, never by weight.
    return model.markType(row) == 0;
}

WeightApplied applyWeight(ReceiptModel& model, int row, int grams) {
    WeightApplied r;
    if (grams <= 0 || !rowCanBeWeighed(model, row)) return r;
    if (!model.setQuantity(row, Qty::fromThousandths(grams))) return r;
    r.written = true;
    if (model.receiptDiscountKind() == QLatin1Char('S')) {
        model.setReceiptDiscount(QStringLiteral("N"), QString());
        r.receiptDiscountDropped = true;
    }
    if (model.lineDiscountKind(row) == QLatin1Char('S'))
        model.setAttr(row, ReceiptModel::AttrDiscountKind, QStringLiteral("N"));
    return r;
}

WeighOutcome btnScaleClick(EntryScreen& screen, const std::function<ScaleReading()>& read) {
    if (screen.workplaceLocked()) return WeighOutcome::Locked;
    const int row = screen.currentRow();
    if (!rowCanBeWeighed(screen.receipt(), row)) return WeighOutcome::NotWeighable;
    if (!read) return WeighOutcome::NotConnected;
    const ScaleReading reading = read();
    switch (reading.error) {
    case ScaleReadError::None: break;
    case ScaleReadError::NotConnected: return WeighOutcome::NotConnected;
    default:
        // The connection has closed its port: the scale must be connected again.
        screen.showScaleState(false);
        return WeighOutcome::ScaleOff;
    }
    if (!reading.grams || *reading.grams <= 0) return WeighOutcome::NoWeight;
    ReceiptModel::Undo undo(screen.receipt());
    if (!applyWeight(screen.receipt(), row, *reading.grams).written) return WeighOutcome::NoWeight;
    screen.receiptChanged(row);
    QString problem = receiptSumProblem(screen.receipt(), row);
    if (problem.isEmpty()) problem = screen.refundLimitProblem(row);
    if (!problem.isEmpty()) {
        undo.rollback();
        screen.receiptChanged(0);
        ui::showError(problem, screen.messageParent());
        return WeighOutcome::TooLarge;
    }
    return WeighOutcome::Weighed;
}

}  // namespace sales
