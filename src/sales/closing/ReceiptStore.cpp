#include "sales/closing/ReceiptStore.h"

#include "core/TextUtils.h"
#include "platform/db/Connection.h"
#include "platform/db/Error.h"
#include "platform/db/Procedure.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "sales/closing/ReceiptLines.h"

#include <QHash>

#include <map>


namespace sales {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

const QString kHeaderFailed = QStringLiteral(" При записи документа в БД произошла ошибка.     ");
const QString kLineFailed = QStringLiteral("Ошибка при записи");
const QString kStockFailed = QStringLiteral(" При записи чека в БД произошел сбой.     ") + kCrLf + kCrLf +
                             QStringLiteral(" Чек не будет зафиксирован в БД.     ");

const QString kInsertLine = QStringLiteral(
    "INSERT INTO DOCUMENTS_DETAIL(DD_DOC_ID, DD_GOOD_ID,DD_GOOD_NAME, DD_GOOD_TYPE, DD_GOOD_PRICE_MAIN, "
    "DD_GOOD_PRICE_CURRENT,DD_GOOD_COUNT, DD_GOOD_PAYTYPE, DD_GOOD_EDIZM, DD_MARKTYPE, DD_TAXRATE, DD_GTIN, "
    "DD_SERIAL_GTIN, DD_DM_FULL, DD_COUNTRY_CODE, DD_FRACTIONAL_COUNT, DD_DECLARE_NUMBER )  "
    "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");

const QString kReadGood = QStringLiteral(
    "SELECT COALESCE(GOOD_MARKTYPE,0) AS GOOD_MARKTYPE,  CASE WHEN UPPER(GOOD_W)='ДА' OR GOOD_W='1' THEN 1  "
    "ELSE 0 END AS FRACTIONAL_ALLOW, GOOD_COUNT, GOOD_PACKCOUNT,  GOOD_EDIZM_FFD  FROM GOODS WHERE GOOD_ID=?");

const QString kUpdateCount = QStringLiteral("UPDATE GOODS SET GOOD_COUNT=? WHERE GOOD_ID=?");
constexpr int kCountWidth = 10;  // GOODS.GOOD_COUNT

const QString kReadLot = QStringLiteral(
    "SELECT P_GOOD_COUNT, P_GOOD_COUNT_OFFS FROM PORTIONS WHERE P_RECORD_ID = ? AND P_GOOD_ID = ?");

std::optional<std::int64_t> integerOf(const QString& text) {
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<std::int64_t>(v) : std::nullopt;
}

// A whole number for an integer column; NULL for an empty or odd text
// rather than a refused receipt.
fb::Value integerOrNull(const QString& text) {
    const auto v = integerOf(text);
    return v ? fb::Value(*v) : fb::null();
}

fb::Value textOrNull(const QString& text) { return text.isEmpty() ? fb::null() : fb::Value(text); }

// A value cut to the width of its column: a long cashier or buyer name must
// not cost a printed receipt its record.
QString fit(const QString& text, int width) { return text.left(width); }

StoreResult failedWith(StoreResult::Failure failure, const QString& message, const QString& error) {
    StoreResult r;
    r.failure = failure;
    r.message = message;
    r.databaseError = error;
    return r;
}

// Whole units, halves away from zero.
QString wholeText(std::int64_t thousandths) {
    const std::int64_t units = thousandths >= 0 ? (thousandths + 500) / 1000 : -((-thousandths + 500) / 1000);
    return QString::number(units);
}

const QString kFindStored =
    QStringLiteral("SELECT FIRST 1 DOC_ID FROM DOCUMENTS WHERE DOC_NUMBER = ? AND DOC_FPD = ? ORDER BY DOC_ID");

const QString kSetRefundedSign =
    QStringLiteral("UPDATE DOCUMENTS SET DOC_REFUND_FPD = ?, DOC_REFUND_DOC_ID = ? WHERE DOC_ID = ?");
constexpr int kFpdWidth = 15;  // DOCUMENTS.DOC_REFUND_FPD

// The lines and stock of a receipt whose header is written; commits.
StoreResult storeLines(fb::Transaction& tr, const PrintJob& job, int docId);

// Writes off the lots chosen for the goods a sale sold, never more than it
// sold of each; returns what the lots could not give, "" when nothing. A
// database error is thrown: it fails the receipt, never counts as short.
QString writeOffLots(fb::Transaction& tr, const PrintJob& job);

}  // namespace

bool receiptIsStored(int kind) { return kind >= 1 && kind <= 4; }

QString docDateText(const QDate& date) { return date.toString(QStringLiteral("dd.MM.yyyy")); }

QString docTimeText(const QTime& time) {
    return QString::number(time.hour()) + QLatin1Char(':') + QString::number(time.minute());
}

std::optional<QString> newStockCount(const QString& current, int kind, int markType, bool fractionalAllowed,
                                     const QString& quantity, const QString& stockUnit) {
    const std::int64_t sign = kind == 1 || kind == 4 ? -1 : 1;
    const std::int64_t count = core::storedQuantityToThousandths(current);
    const std::int64_t q = core::storedQuantityToThousandths(quantity);
    if (markType == 0) {
        const std::int64_t next = count + sign * q;
        return fractionalAllowed ? core::quantityToStoredText(next) : wholeText(next);
    }
    if (fractionalAllowed) return std::nullopt;
    if (markType == 4) {
        const QString unit = stockUnit.trimmed();
        if (unit == QLatin1String("1")) return wholeText(count + sign * 1000);
        if (unit == QLatin1String("10")) return wholeText(count + sign * 10000);
        return std::nullopt;
    }
    if (markType == 5 || (markType >= 9 && markType <= 13)) return wholeText(count + sign * q);
    return std::nullopt;
}

QString stockWidthProblem(fb::Connection& db, const PrintJob& job) {
    if (job.paymentFlag != PayFull || !receiptIsStored(job.kind)) return {};
    fb::Transaction tr(db, fb::Transaction::Access::ReadOnly);
    fb::Statement readGood(tr, kReadGood);
    // One goods item may stand in several rows: each row moves the stock
    // the rows before it left.
    std::map<std::int64_t, QString> counts;
    for (int i = 0; i < job.lines.size(); ++i) {
        const QStringList& line = job.lines[i];
        const std::int64_t goodId = integerOf(line.value(LineGoodId)).value_or(0);
        if (goodId <= 0) continue;
        auto known = counts.find(goodId);
        bool fractional = false;
        readGood.execute(tr, {goodId});
        if (!readGood.fetch()) continue;
        const fb::Row good = readGood.row();
        readGood.closeCursor();
        fractional = good.integer(QStringLiteral("FRACTIONAL_ALLOW")) == 1;
        if (known == counts.end())
            known = counts.emplace(goodId, fb::toString(good[QStringLiteral("GOOD_COUNT")])).first;
        const std::optional<QString> next =
            newStockCount(known->second, job.kind, integerOf(line.value(LineMarkType)).value_or(0), fractional,
                          line.value(LineQty), line.value(LineStockUnit));
        if (!next) continue;
        if (next->size() > kCountWidth)
            return QStringLiteral(" Позиция ") + QString::number(i + 1) + QStringLiteral(" < ") +
                   shortName(line.value(LineName).trimmed()) + QStringLiteral(" >:     ") + kCrLf +
                   QStringLiteral(" остаток товара ") + known->second.trimmed() +
                   QStringLiteral(" после этого чека станет ") + *next + QStringLiteral(",     ") + kCrLf +
                   QStringLiteral(" а в Базу Данных можно записать не более ") + QString::number(kCountWidth) +
                   QStringLiteral(" знаков.     ") + kCrLf + kCrLf +
                   QStringLiteral(" Чек не напечатан. Исправьте остаток товара в карточке и повторите расчет.     ");
        known->second = *next;
    }
    return {};
}

StoreResult storeReceipt(fb::Connection& db, const PrintJob& job, const FiscalDocumentInfo& document,
                         int documentType) {
    const QDateTime when = document.read && document.dateTime.isValid() ? document.dateTime : QDateTime::currentDateTime();
    int docId = 0;
    // A receipt is never stored without its transaction, and a dropped
    // connection is a refusal like any other: the caller keeps the receipt.
    std::optional<fb::Transaction> transaction;
    try {
        // An attachment the server dropped is made anew before anything runs.
        if (db.isConnected() && !db.ping()) db.detach();
        db.ensureConnected();
        transaction.emplace(db);
    } catch (const fb::Error& e) {
        return failedWith(StoreResult::Failure::Header, kHeaderFailed, e.message());
    } catch (const std::exception& e) {
        return failedWith(StoreResult::Failure::Header, kHeaderFailed, QString::fromLocal8Bit(e.what()));
    }
    fb::Transaction& tr = *transaction;
    try {
        // A receipt already stored (a commit that reported a failure but went
        // through) is never stored twice: the register's number and fiscal
        // sign name it.
        if (document.read && !document.fiscalSign.trimmed().isEmpty()) {
            const std::optional<fb::Row> stored = fb::queryOne(
                tr, kFindStored, {std::int64_t(document.number), document.fiscalSign.trimmed()});
            if (stored) {
                StoreResult r;
                r.docId = static_cast<int>(stored->integer(QStringLiteral("DOC_ID")));
                r.alreadyStored = true;
                return r;
            }
        }
        const fb::ProcInputs inputs{
            {QStringLiteral("I_DOC_TYPE"), std::int64_t(documentType)},
            {QStringLiteral("I_DOC_CHECKTYPE"), std::int64_t(job.kind)},
            {QStringLiteral("I_DOC_NUMBER"), document.read ? fb::Value(std::int64_t(document.number)) : fb::null()},
            {QStringLiteral("I_DOC_FPD"), textOrNull(document.fiscalSign.trimmed())},
            {QStringLiteral("I_DOC_DATE"), docDateText(when.date())},
            {QStringLiteral("I_DOC_TIME"), docTimeText(when.time())},
            {QStringLiteral("I_DOC_USER"), fit(job.cashierName.trimmed(), 50)},
            {QStringLiteral("I_DOC_SNO"), std::int64_t(job.taxSystemCode)},
            {QStringLiteral("I_DOC_SUMM_FULL"), job.totalText.trimmed()},
            {QStringLiteral("I_DOC_PAY_NAL"), job.cash.toString()},
            {QStringLiteral("I_DOC_PAY_EL"), job.card.toString()},
            {QStringLiteral("I_DOC_PAY_ADVANCE"), job.prepay.isZero() ? fb::null() : fb::Value(job.prepay.toString())},
            {QStringLiteral("I_DOC_PAY_CREDIT"), fb::null()},
            {QStringLiteral("I_DOC_PAY_MEETING"), fb::null()},
            {QStringLiteral("I_DOC_BUYER_NAME"), job.legalEntity ? fb::Value(fit(job.buyerName.trimmed(), 50)) : fb::null()},
            {QStringLiteral("I_DOC_BUYER_INN"), job.legalEntity ? fb::Value(fit(job.buyerInn.trimmed(), 12)) : fb::null()},
        };
        const std::optional<fb::Row> row = fb::callProcedure(tr, QStringLiteral("DOC_WRITE"), inputs);
        docId = row ? row->integer(QStringLiteral("O_DOC_ID")) : 0;
        if (docId == 0) return failedWith(StoreResult::Failure::Header, kHeaderFailed, QStringLiteral("O_DOC_ID"));
        // A sale return remembers the sale it refunds: later returns of that
        // sale take only what is left of it.
        const QString refunded = job.refundedFiscalSign.trimmed();
        if (job.kind == 2 && (!refunded.isEmpty() || job.refundedDocId > 0))
            fb::execute(tr, kSetRefundedSign,
                        {refunded.isEmpty() ? fb::null() : fb::Value(fit(refunded, kFpdWidth)),
                         job.refundedDocId > 0 ? fb::Value(std::int64_t(job.refundedDocId)) : fb::null(),
                         std::int64_t(docId)});
    } catch (const fb::Error& e) {
        return failedWith(StoreResult::Failure::Header, kHeaderFailed, e.message());
    }

    try {
        return storeLines(tr, job, docId);
    } catch (const std::exception& e) {
        return failedWith(StoreResult::Failure::Line, kLineFailed, QString::fromLocal8Bit(e.what()));
    }
}

namespace {

StoreResult storeLines(fb::Transaction& tr, const PrintJob& job, int docId) {
    std::optional<fb::Statement> insert;
    std::optional<fb::Statement> readGood;
    std::optional<fb::Statement> updateCount;
    for (const QStringList& line : job.lines) {
        if (line.size() < kReceiptLineSize)
            return failedWith(StoreResult::Failure::Line, kLineFailed, QStringLiteral("bad receipt line"));
        try {
            if (!insert) insert.emplace(tr, kInsertLine);
            insert->bindAll({
                std::int64_t(docId),
                integerOf(line[LineGoodId]).value_or(0),
                fit(line[LineName], 80),
                line[LineSubject],
                line[LineBasePrice],
                line[LinePrice],
                line[LineQty],
                std::int64_t(job.paymentFlag),
                // An empty measure went to the register as 0, and is stored so.
                integerOf(line[LineMeasure]).value_or(0),
                integerOrNull(line[LineMarkType]),
                integerOrNull(line[LineVat]),
                line[LineGtin],
                line[LineSerial],
                line[LineMarkCode],
                integerOf(line[LineCountry]).value_or(0),
                line[LineFraction],
                line[LineCustoms],
            });
            insert->execute(tr);
        } catch (const fb::Error& e) {
            return failedWith(StoreResult::Failure::Line, kLineFailed, e.message());
        }

        if (job.paymentFlag != PayFull) continue;
        try {
            const std::int64_t goodId = integerOf(line[LineGoodId]).value_or(0);
            if (goodId <= 0) continue;  // a free-price position has no goods record
            if (!readGood) readGood.emplace(tr, kReadGood);
            readGood->execute(tr, {goodId});
            if (!readGood->fetch()) continue;  // a good deleted since: no stock to move
            const fb::Row good = readGood->row();
            readGood->closeCursor();
            const fb::Value current = good[QStringLiteral("GOOD_COUNT")];
            const std::optional<QString> next =
                newStockCount(fb::toString(current), job.kind, integerOf(line[LineMarkType]).value_or(0),
                              good.integer(QStringLiteral("FRACTIONAL_ALLOW")) == 1, line[LineQty],
                              line[LineStockUnit]);
            // The register has printed: a count that no longer fits its
            // column (the stock changed since the check before printing)
            // leaves the stock as it was rather than cost the receipt its record.
            if (!updateCount) updateCount.emplace(tr, kUpdateCount);
            updateCount->execute(tr, {next && next->size() <= kCountWidth ? fb::Value(*next) : current, goodId});
        } catch (const fb::Error& e) {
            return failedWith(StoreResult::Failure::Stock, kStockFailed, e.message());
        }
    }

    // A lot the database cannot write off fails the receipt's transaction
    // like any other write: the receipt waits in the print journal and is
    // stored, lots and all, once the database takes it.
    QString lotShortfall;
    try {
        lotShortfall = writeOffLots(tr, job);
    } catch (const fb::Error& e) {
        return failedWith(StoreResult::Failure::Stock, kStockFailed, e.message());
    }

    try {
        insert.reset();
        readGood.reset();
        updateCount.reset();
        tr.commit();
    } catch (const fb::Error& e) {
        return failedWith(StoreResult::Failure::Stock, kStockFailed, e.message());
    }
    StoreResult r;
    r.docId = docId;
    r.lotShortfall = lotShortfall;
    return r;
}

QString writeOffLots(fb::Transaction& tr, const PrintJob& job) {
    if (job.kind != 1 || job.portions.isEmpty()) return {};
    // A choice left over from a position since removed or made smaller
    // takes off no more than the receipt sold. Only full-payment lines say
    // how much that is: a prepayment hands the register each position's sum
    // as a quantity of 1, and its choices were held to the positions when
    // the receipt was closed.
    const bool linesCount = job.paymentFlag == PayFull;
    QHash<std::int64_t, std::int64_t> sold;
    QHash<std::int64_t, QString> names;
    for (const QStringList& line : job.lines) {
        const std::int64_t goodId = integerOf(line.value(LineGoodId)).value_or(0);
        if (goodId <= 0) continue;
        sold[goodId] += core::storedQuantityToThousandths(line.value(LineQty));
        names.insert(goodId, line.value(LineName));
    }
    std::optional<fb::Statement> readLot;
    QStringList shortfalls;
    for (const QStringList& choice : job.portions) {
        const std::int64_t goodId = integerOf(choice.value(0)).value_or(0);
        const std::int64_t recordId = integerOf(choice.value(1)).value_or(0);
        const std::int64_t chosen = core::storedQuantityToThousandths(choice.value(2));
        const std::int64_t wanted = linesCount ? qMin(chosen, sold.value(goodId)) : chosen;
        if (goodId <= 0 || recordId <= 0 || wanted <= 0) continue;
        sold[goodId] -= wanted;

        if (!readLot) readLot.emplace(tr, kReadLot);
        readLot->execute(tr, {recordId, goodId});
        std::int64_t remainder = 0;  // a lot gone since counts as empty
        if (readLot->fetch()) {
            const fb::Row lot = readLot->row();
            remainder = core::storedQuantityToThousandths(lot.str(QStringLiteral("P_GOOD_COUNT"))) -
                        core::storedQuantityToThousandths(lot.str(QStringLiteral("P_GOOD_COUNT_OFFS")));
        }
        readLot->closeCursor();
        // Only a lot that holds too little is short; a database error is no
        // shortfall and leaves this function (see the caller).
        const std::int64_t taken = qBound<std::int64_t>(0, remainder, wanted);
        if (taken > 0)
            fb::callProcedure(tr, QStringLiteral("PORTIONS_OFFS_WRITE"),
                              {{QStringLiteral("I_REC_ID"), recordId},
                               {QStringLiteral("I_COUNT"), core::quantityToStoredText(taken)}});
        if (taken < wanted)
            shortfalls << QStringLiteral(" %1 (партия %2): не списано %3")
                              .arg(names.value(goodId).trimmed())
                              .arg(recordId)
                              .arg(core::quantityToStoredText(wanted - taken));
    }
    if (shortfalls.isEmpty()) return {};
    return QStringLiteral(" В партиях не хватило количества, проданного по чеку.     ") + kCrLf +
           shortfalls.join(kCrLf) + kCrLf + kCrLf +
           QStringLiteral(" Чек записан; сверьте партии товара с документами поступления.     ");
}

}  // namespace

}  // namespace sales
