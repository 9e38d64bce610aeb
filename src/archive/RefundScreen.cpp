#include "archive/RefundScreen.h"

#include "archive/ReceiptSearch.h"
#include "archive/uFindCheck.h"
#include "archive/uQueryEdizm.h"
#include "core/RefLists.h"
#include "platform/db/Connection.h"
#include "platform/db/Procedure.h"
#include "platform/db/Transaction.h"
#include "platform/ui/MessageService.h"
#include "sales/closing/ReceiptLines.h"
#include "sales/marking/MarkingCheck.h"
#include "sales/screen/MainScreenState.h"
#include "sales/screen/RefundGuard.h"
#include "sales/screen/Registration_Mode.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSignalBlocker>

#include <memory>

namespace archive {

namespace {

std::optional<int> nullableInt(const fb::Row& row, const QString& column) {
    if (row.indexOf(column) < 0 || row.isNull(column)) return std::nullopt;
    bool ok = false;
    const int v = row.str(column).trimmed().toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

QString text(const fb::Row& row, const QString& column) {
    return row.indexOf(column) < 0 || row.isNull(column) ? QString() : row.str(column);
}

}  // namespace

StoredReceipt storedReceiptFromRow(const fb::Row& row) {
    StoredReceipt r;
    r.fpd = text(row, QStringLiteral("DOC_FPD"));
    r.docId = row.integer(QStringLiteral("DOC_ID"));
    r.buyerName = text(row, QStringLiteral("DOC_BUYER_NAME"));
    r.buyerInn = text(row, QStringLiteral("DOC_BUYER_INN"));
    return r;
}

StoredLine storedLineFromRow(const fb::Row& row) {
    StoredLine l;
    l.goodId = text(row, QStringLiteral("DD_GOOD_ID"));
    l.name = text(row, QStringLiteral("DD_GOOD_NAME"));
    l.goodType = text(row, QStringLiteral("DD_GOOD_TYPE"));
    l.price = text(row, QStringLiteral("DD_GOOD_PRICE_CURRENT"));
    l.count = text(row, QStringLiteral("DD_GOOD_COUNT"));
    l.unit = nullableInt(row, QStringLiteral("DD_GOOD_EDIZM"));
    l.payType = text(row, QStringLiteral("DD_GOOD_PAYTYPE"));
    l.declaration = text(row, QStringLiteral("DD_DECLARE_NUMBER"));
    l.gtin = text(row, QStringLiteral("DD_GTIN"));
    l.serial = text(row, QStringLiteral("DD_SERIAL_GTIN"));
    l.markingCode = text(row, QStringLiteral("DD_DM_FULL"));
    l.markType = text(row, QStringLiteral("DD_MARKTYPE"));
    l.fraction = text(row, QStringLiteral("DD_FRACTIONAL_COUNT"));
    l.vat = nullableInt(row, QStringLiteral("DD_TAXRATE"));
    return l;
}

GoodDataLookup goodDataFrom(fb::Connection& db) {
    auto tr = std::make_shared<fb::Transaction>(db, fb::Transaction::Access::ReadOnly);
    return [tr](const QString& goodId) -> std::optional<GoodData> {
        bool ok = false;
        const qint64 id = goodId.trimmed().toLongLong(&ok);
        if (!ok) return std::nullopt;
        const std::vector<fb::Row> rows =
            fb::selectProcedure(*tr, QStringLiteral("GOOD_DATA"), {{QStringLiteral("I_ID"), std::int64_t(id)}});
        // No row: the goods have left the catalogue since the sale.
        if (rows.empty()) return std::nullopt;
        return GoodData{text(rows.front(), QStringLiteral("O_W")), text(rows.front(), QStringLiteral("O_COUNTRY"))};
    };
}

MarkedRefundCheck markedRefundThroughRegister(TfmReg& reg, QWidget* owner) {
    QPointer<QWidget> parent(owner);
    return [&reg, parent](const StoredLine& line, QStringList entry) -> std::optional<QStringList> {
        fiscal::IFiscalDriver* kkt = reg.KKTDriver();
        if (!kkt || kkt->open() != 0) {
            reg.registerMenu().markDisconnected();
            ui::messages().show(parent, kNoRegisterForMarkingText, ui::Icon::Error);
            return std::nullopt;
        }
        sales::MarkCheckRequest request;
        request.code = line.markingCode;
        request.receiptKind = sales::KindSaleReturn;
        request.fractionNumerator = entry.value(sales::MarkNumerator).toInt();
        request.fractionDenominator = entry.value(sales::MarkDenominator).toInt();
        const sales::MarkCheckResult result = sales::CheckMarkingCode(*kkt, request, parent);
        if (!result.accepted) return std::nullopt;
        entry[sales::MarkStatus] = QString::number(result.markCodeStatus);
        entry[sales::MarkOnlineResult] = QString::number(result.onlineResult);
        return entry;
    };
}

bool MainScreenRefund::isAdministrator() const {
    return reg_.userIsAdmin();
}

void MainScreenRefund::applyRefund(const RefundPlan& plan) {
    // Whatever the screen keeps of the receipt before (closing's hand-over
    // lines among it) goes with the receipt it replaces.
    reg_.resetReceipt();
    reg_.receipt().assignContent(plan.receipt);
    reg_.MarkedItems() = plan.markedItems;
    reg_.SetPaymentMethodFlag(plan.paymentMethodFlag);
    reg_.edFPD->setText(plan.fpd);
    sales::setControlTag(reg_.edFPD, plan.docId);
    // The copied lines belong to that sale: its sign stays while they are here.
    reg_.edFPD->setReadOnly(!plan.fpd.isEmpty());
    {
        // The buyer is taken as stored, not asked again.
        const QSignalBlocker quiet(reg_.chLE);
        reg_.chLE->setChecked(plan.hasBuyer);
    }
    if (plan.hasBuyer) {
        reg_.lblBuyerName->setText(plan.buyerName);
        reg_.lblINNBuyer->setText(plan.buyerInn);
        reg_.lblBuyerName->adjustSize();
        reg_.Label7->move(reg_.lblBuyerName->geometry().right() + 5, reg_.Label7->y());
        reg_.lblINNBuyer->move(reg_.Label7->geometry().right() + 1, reg_.lblINNBuyer->y());
        for (QLabel* l : {reg_.Label6, reg_.lblBuyerName, reg_.Label7, reg_.lblINNBuyer}) l->setVisible(true);
    } else {
        reg_.chLEClick();
        reg_.lblBuyerName->clear();
        reg_.lblINNBuyer->clear();
        for (QLabel* l : {reg_.Label6, reg_.lblBuyerName, reg_.Label7, reg_.lblINNBuyer}) l->setVisible(false);
    }
    reg_.RecalcReceipt();
    reg_.updateGoodsGrid();
    reg_.updateDiscountButtons();
    reg_.setCurrentReceiptRow(reg_.receipt().dataRowCount());
}

void MainScreenRefund::forgetAbandonedCodes() {
    // The register can only forget its whole table, and the receipt in
    // progress stays as it was: a code it holds must stay accepted.
    for (const QStringList& entry : reg_.MarkedItems())
        if (!entry.value(sales::MarkFullCode).trimmed().isEmpty()) return;
    fiscal::IFiscalDriver* kkt = reg_.KKTDriver();
    // The copy's checks ran on this connection; without it nothing can be undone.
    if (!kkt || !kkt->isOpened()) return;
    if (kkt->clearMarkingCodeValidationResult() != 0)
        qWarning("Accepted marking codes not cleared: %d %s", kkt->errorCode(), qPrintable(kkt->errorDescription()));
}

void attachRefunds(TfmFindCheck& window, TfmReg& reg, fb::Connection& db, MarkedRefundCheck markedCheck) {
    if (!markedCheck) markedCheck = markedRefundThroughRegister(reg, &window);
    window.setRefundHandler([&reg, &db, markedCheck](TfmFindCheck& w, int, int positionRow, bool whole) {
        const fb::Row* receiptRow = w.currentReceipt();
        // The main screen decides, not the window that called: a stored
        // return or correction is never refunded, nor copied into a sale.
        if (!receiptRow || !storedReceiptCopyable(reg.receiptKindText(), *receiptRow)) return;
        const std::vector<fb::Row> rows = w.positionRows();
        if (positionRow < 0 || positionRow >= int(rows.size())) return;
        std::vector<StoredLine> stored;
        for (const fb::Row& row : rows) stored.push_back(storedLineFromRow(row));
        // A return takes only what earlier returns of the sale left of it,
        // in money; a database that cannot tell copies nothing.
        sales::SaleLedger sale;
        try {
            fb::Transaction tr(db, fb::Transaction::Access::ReadOnly);
            sale =
                sales::readSaleLedger(tr, int(receiptRow->integer(QStringLiteral("DOC_ID"))), sales::pendingReturns());
            tr.commit();
        } catch (const std::exception&) {
            ui::showError(sales::refundLimitText::kCannotTell, &w);
            return;
        }
        const std::vector<std::optional<StoredLine>> left = linesLeftToReturn(stored, sale);
        std::vector<StoredLine> lines;
        if (whole) {
            for (const std::optional<StoredLine>& l : left)
                if (l) lines.push_back(*l);
        } else if (left[std::size_t(positionRow)]) {
            lines.push_back(*left[std::size_t(positionRow)]);
        }
        if (lines.empty()) {
            ui::showError(
                whole ? sales::refundLimitText::kSaleFullyReturned : sales::refundLimitText::kPositionFullyReturned,
                &w);
            return;
        }

        fb::Connection* units = &db;
        WindowUnitQuery query(
            [units] {
                fb::Transaction tr(*units, fb::Transaction::Access::ReadOnly);
                QList<core::CodeItem> items = core::refListItems(tr, core::RefListUnits);
                tr.commit();
                return items;
            },
            &w);
        MainScreenRefund target(reg);
        if (runRefund(storedReceiptFromRow(*receiptRow), lines, whole ? RefundMode::Whole : RefundMode::One, target,
                      query, goodDataFrom(db), markedCheck, &w))
            w.accept();
    });
}

}  // namespace archive
