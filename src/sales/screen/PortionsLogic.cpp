#include "sales/screen/PortionsLogic.h"

#include "core/CodeTables.h"
#include "core/TextUtils.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/ui/Guard.h"
#include "sales/receipt/ReceiptModel.h"
#include "sales/screen/MainScreenState.h"
#include "sales/screen/Registration_Mode.h"
#include "sales/screen/uAvailablePortions.h"
#include "sales/screen/uDeclareNumber.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QHash>
#include <QLabel>
#include <QPointer>

namespace sales {

namespace {

// Lots are stored by stock documents as text; the database compares them
// as numbers so a used-up lot is never fetched.
const QString kGoodsSql = QStringLiteral(
    "SELECT GOOD_NAME, GOOD_W, COUNTRY_NAME  FROM GOODS LEFT JOIN COUNTRIES ON GOOD_COUNTRY_CODE=COUNTRY_CODE "
    "WHERE GOOD_ID=?");
const QString kLotsSql = QStringLiteral(
    "SELECT P_RECORD_ID, P_GOOD_COUNT, P_DATE,  P_DECLAR_NUMBER, P_GOOD_COUNT_OFFS, DOC_NUMBER  "
    "FROM PORTIONS JOIN DOCUMENTS ON P_DOC_ID=DOC_ID  WHERE P_GOOD_ID=? AND P_CONFIRM=1 AND "
    " (CAST(COALESCE(NULLIF(P_GOOD_COUNT,''),'0') AS DECIMAL(15,3))- "
    " CAST(COALESCE(NULLIF(P_GOOD_COUNT_OFFS,''),'0') AS DECIMAL(15,3)))>0 "
    " ORDER BY P_DATE");

}  // namespace

Qty lotRemainder(const QString& countText, const QString& offsText) {
    return Qty::fromThousandths(Qty::parseOr(countText.trimmed()).thousandths -
                                Qty::parseOr(offsText.trimmed()).thousandths);
}

std::optional<Qty> parsePortionQty(const QString& text) {
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    if (t.isEmpty()) return Qty{};
    // Quantities have three decimals: anything finer is no quantity, not a
    // value to round into one.
    if (const int dot = t.indexOf(QLatin1Char('.')); dot >= 0) {
        const QString beyond = t.mid(dot + 4);
        for (const QChar c : beyond)
            if (c != QLatin1Char('0')) return std::nullopt;
    }
    const std::optional<Qty> q = Qty::parse(t);
    if (!q || q->thousandths < 0) return std::nullopt;
    return q;
}

QString portionChoiceProblem(const QList<PortionRow>& rows, Qty positionQty, bool weighed) {
    std::int64_t sum = 0;
    for (const PortionRow& r : rows) {
        if (!r.chosen) continue;
        const std::optional<Qty> q = parsePortionQty(r.quantityText);
        if (!q) return portionsText::kBadNumber;
        if (*q > r.remainder) return portionsText::kAboveRemainder;
        if (!weighed && !q->isWhole()) return portionsText::kWholeOnly;
        sum += q->thousandths;
    }
    if (sum != positionQty.thousandths) return portionsText::kSumMismatch;
    return {};
}

QString portionQtyText(Qty q, bool weighed) {
    return weighed ? q.toWeightString() : q.toWholeString();
}

void replacePortionChoices(QList<QStringList>& choices, const QString& goodsId, const QList<QStringList>& entries) {
    choices.removeIf([&](const QStringList& e) { return !e.isEmpty() && e.at(0) == goodsId; });
    choices.append(entries);
}

std::optional<QString> chosenPortionQty(const QList<QStringList>& choices, const QString& goodsId,
                                        std::int64_t recordId) {
    const QString record = QString::number(recordId);
    for (const QStringList& e : choices)
        if (e.size() >= 3 && e.at(0) == goodsId && e.at(1) == record) return e.at(2);
    return std::nullopt;
}

QList<QStringList> portionChoicesWithinReceipt(const QList<QStringList>& choices, const ReceiptModel& receipt) {
    QHash<QString, std::int64_t> sold;
    for (int row = 1; row < receipt.rowCount(); ++row) {
        if (!receipt.isActive(row)) continue;
        const QString goodsId = receipt.cell(row, ReceiptModel::ColId).trimmed();
        if (goodsId.isEmpty()) continue;
        sold[goodsId] += receipt.quantity(row).thousandths;
    }
    QList<QStringList> held;
    for (const QStringList& e : choices) {
        if (e.size() < 3) continue;
        const QString goodsId = e.at(0).trimmed();
        const std::int64_t wanted = qMin(core::storedQuantityToThousandths(e.at(2)), sold.value(goodsId));
        if (wanted <= 0) continue;
        sold[goodsId] -= wanted;
        held.append({goodsId, e.at(1).trimmed(), core::quantityToStoredText(wanted)});
    }
    return held;
}

bool portionsOffered(const PortionsOfferState& s) {
    if (s.kind != KindSale || !s.buyerChecked || !s.rowActive) return false;
    if (s.goodsId < 1 || !s.isGood) return false;
    if (s.contextMenu && s.paymentFlag != 4) return false;
    return core::isForeignCountryCode(s.countryText);
}

QString declarationProblem(const QString& text) {
    return text.trimmed().size() > kDeclarationMaxLength ? portionsText::kDeclarationTooLong : QString();
}

// ---------------------------------------------------------------------------
// Database

namespace {

std::optional<PortionGoods> readGoods(fb::Transaction& tr, std::int64_t goodsId) {
    const std::optional<fb::Row> row = fb::queryOne(tr, kGoodsSql, {goodsId});
    if (!row) return std::nullopt;
    PortionGoods g;
    g.name = row->str(QStringLiteral("GOOD_NAME")).trimmed();
    g.country = row->str(QStringLiteral("COUNTRY_NAME")).trimmed();
    g.weighed = row->str(QStringLiteral("GOOD_W")).trimmed().toUpper() == QStringLiteral("ДА");
    return g;
}

std::vector<PortionLot> readLots(fb::Transaction& tr, std::int64_t goodsId) {
    std::vector<PortionLot> lots;
    for (const fb::Row& row : fb::query(tr, kLotsSql, {goodsId})) {
        PortionLot lot;
        lot.recordId = row.int64(QStringLiteral("P_RECORD_ID"));
        const std::optional<QDate> date = fb::toDate(row[QStringLiteral("P_DATE")]);
        lot.documentText = QStringLiteral(" № ") + row.str(QStringLiteral("DOC_NUMBER")) + QStringLiteral(" от ") +
                           (date ? date->toString(QStringLiteral("dd.MM.yyyy")) : QString());
        lot.declaration = row.str(QStringLiteral("P_DECLAR_NUMBER")).trimmed();
        lot.remainder =
            lotRemainder(row.str(QStringLiteral("P_GOOD_COUNT")), row.str(QStringLiteral("P_GOOD_COUNT_OFFS")));
        lots.push_back(lot);
    }
    return lots;
}

}  // namespace

PortionsRepository::Offer PortionsRepository::load(std::int64_t goodsId) {
    fb::Transaction tr(db_, fb::Transaction::Access::ReadOnly);
    Offer offer;
    offer.goods = readGoods(tr, goodsId);
    if (offer.goods) offer.lots = readLots(tr, goodsId);
    return offer;
}

std::optional<PortionGoods> PortionsRepository::goods(std::int64_t goodsId) {
    fb::Transaction tr(db_, fb::Transaction::Access::ReadOnly);
    return readGoods(tr, goodsId);
}

std::vector<PortionLot> PortionsRepository::lots(std::int64_t goodsId) {
    fb::Transaction tr(db_, fb::Transaction::Access::ReadOnly);
    return readLots(tr, goodsId);
}

bool PortionsRepository::isGood(std::int64_t goodsId) {
    fb::Transaction tr(db_, fb::Transaction::Access::ReadOnly);
    const std::optional<fb::Row> row =
        fb::queryOne(tr, QStringLiteral("SELECT GOOD_ISGOOD FROM GOODS WHERE GOOD_ID=?"), {goodsId});
    return row && row->integer(QStringLiteral("GOOD_ISGOOD")) == 1;
}

// ---------------------------------------------------------------------------
// The main screen's side

namespace {

std::int64_t rowGoodsId(const ReceiptModel& receipt, int row) {
    bool ok = false;
    const std::int64_t id = receipt.cell(row, ReceiptModel::ColId).trimmed().toLongLong(&ok);
    return ok ? id : 0;
}

}  // namespace

void offerPortionsItem(TfmReg& reg, fb::Connection* db, bool contextMenu) {
    const QStringList names =
        contextMenu ? QStringList{QStringLiteral("PM15"), QStringLiteral("PMAvailablePortions")}
                    : QStringList{QStringLiteral("NPortionsSeparator"), QStringLiteral("MAvailablePortions")};
    QAction* item = reg.action(names.at(1));
    for (const QString& name : names)
        if (QAction* a = reg.action(name)) a->setVisible(false);
    if (!item) return;
    setControlTag(item, 0);

    const ReceiptModel& receipt = reg.receipt();
    const int row = reg.currentReceiptRow();
    if (!receipt.isDataRow(row)) return;
    PortionsOfferState s;
    s.kind = receiptKindFromCaption(reg.lblOperationType->text());
    s.buyerChecked = reg.chLE->isChecked();
    s.rowActive = receipt.isActive(row);
    s.goodsId = rowGoodsId(receipt, row);
    s.countryText = receipt.cell(row, ReceiptModel::ColCountry);
    s.paymentFlag = reg.PaymentMethodFlag();
    s.contextMenu = contextMenu;
    // Ask the database only for a row that passes everything else.
    s.isGood = true;
    if (!portionsOffered(s) || !db) return;
    s.isGood = PortionsRepository(*db).isGood(s.goodsId);
    if (!portionsOffered(s)) return;
    for (const QString& name : names)
        if (QAction* a = reg.action(name)) a->setVisible(true);
    setControlTag(item, int(s.goodsId));
}

void openAvailablePortions(TfmReg& reg, fb::Connection& db, const QString& itemName) {
    QAction* item = reg.action(itemName);
    const int goodsId = item ? controlTag(item) : 0;
    const int row = reg.currentReceiptRow();
    if (goodsId < 1 || !reg.receipt().isDataRow(row)) return;
    PortionsRepository repository(db);
    QPointer<TfmAvailablePortions> window = new TfmAvailablePortions(reg, repository, goodsId, row, &reg);
    window->exec();
    if (window) delete window.data();
    // The item offers the goods of the row it was opened for only.
    if (item) setControlTag(item, 0);
}

void openDeclareNumber(TfmReg& reg) {
    const int row = reg.currentReceiptRow();
    if (!reg.receipt().isDataRow(row)) return;
    QPointer<TfmDeclareNumber> window = new TfmDeclareNumber(reg.receipt(), row, &reg);
    const int result = window->exec();
    if (window) delete window.data();
    if (result == QDialog::Accepted) reg.updateGoodsGrid();
}

void installPortionCommands(TfmReg& reg, DatabaseSource database) {
    TfmReg* screen = &reg;
    reg.setCommand(QStringLiteral("MDocumentOpen"), [screen, database] {
        ui::guarded(screen, [&] { offerPortionsItem(*screen, database ? database() : nullptr, false); });
    });
    reg.setCommand(QStringLiteral("PopupMenuGridOpen"), [screen, database] {
        ui::guarded(screen, [&] { offerPortionsItem(*screen, database ? database() : nullptr, true); });
    });
    for (const QString& item : {QStringLiteral("MAvailablePortions"), QStringLiteral("PMAvailablePortions")})
        reg.setCommand(item, [screen, database, item] {
            ui::guarded(screen, [&] {
                fb::Connection* db = database ? database() : nullptr;
                if (db) openAvailablePortions(*screen, *db, item);
            });
        });
    reg.setCommand(QStringLiteral("GoodsGridDeclaration"),
                   [screen] { ui::guarded(screen, [&] { openDeclareNumber(*screen); }); });
}

}  // namespace sales
