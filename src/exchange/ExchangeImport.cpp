#include "ExchangeImport.h"

#include "ExchangeReader.h"

#include "platform/db/Connection.h"
#include "platform/db/Error.h"
#include "platform/db/Metadata.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QSet>
#include <QStringList>

#include <algorithm>
#include <stdexcept>

namespace exchange {
namespace {

fb::Value text(const std::optional<QString>& v) {
    return v ? fb::Value(*v) : fb::null();
}
fb::Value number(const std::optional<int>& v) {
    return v ? fb::Value(std::int64_t(*v)) : fb::null();
}

// One pass of the delete-all command: every row nothing names. A stored
// receipt's or stock document's line, a lot or a working-list row keeps its
// item, so the code cannot pass to another item with that history; a group
// stays while any row still lies under it. Each test is one probe of the
// index on the code, so a pass is one sweep of the catalogue.
QString deleteUnreferencedGoodsSql(const std::vector<std::int64_t>& keep) {
    QString sql = QStringLiteral("DELETE FROM GOODS G WHERE NOT ") +
                  core::goodsCodeNamedCondition(QStringLiteral("G.GOOD_ID")) +
                  QStringLiteral(
                      " AND NOT EXISTS (SELECT 1 FROM GOODS C WHERE C.GOOD_PARENTGROUP = G.GOOD_ID AND "
                      "C.GOOD_ID <> G.GOOD_ID)");
    // The engine takes at most 1,500 values in one IN list.
    constexpr std::size_t kChunk = 1000;
    for (std::size_t from = 0; from < keep.size(); from += kChunk) {
        QStringList ids;
        for (std::size_t i = from; i < std::min(keep.size(), from + kChunk); ++i) ids << QString::number(keep[i]);
        sql += QStringLiteral(" AND G.GOOD_ID NOT IN (") + ids.join(QLatin1Char(',')) + QLatin1Char(')');
    }
    return sql;
}

// A record is written as the file says unless history names its code and
// the row would then stand for something else than what history sold or
// stocked: a goods item turned group, a group turned goods item, a new row.
// One statement per record, so a load costs no more look-ups than before;
// what names the code is asked only of a refused record. HELD: the receipt
// on the main screen holds the code.
QString guardedUpsertSql() {
    const QString named = core::goodsCodeNamedCondition(QStringLiteral("S.ID"));
    return QStringLiteral(
               "MERGE INTO GOODS G USING (SELECT "
               "CAST(? AS TYPE OF COLUMN GOODS.GOOD_ID) AS ID, CAST(? AS TYPE OF COLUMN GOODS.GOOD_NAME) AS NAME, "
               "CAST(? AS TYPE OF COLUMN GOODS.GOOD_PRICE) AS PRICE, CAST(? AS TYPE OF COLUMN GOODS.GOOD_W) AS W, "
               "CAST(? AS TYPE OF COLUMN GOODS.GOOD_TYPE) AS KIND, CAST(? AS TYPE OF COLUMN GOODS.GOOD_EDIZM) AS UNIT, "
               "CAST(? AS TYPE OF COLUMN GOODS.GOOD_EDIZM_FFD) AS UNIT_CODE, "
               "CAST(? AS TYPE OF COLUMN GOODS.GOOD_NALOG) AS VAT, CAST(? AS TYPE OF COLUMN GOODS.GOOD_ISGOOD) AS "
               "ISGOOD, CAST(? AS TYPE OF COLUMN GOODS.GOOD_PARENTGROUP) AS PARENT, "
               "CAST(? AS TYPE OF COLUMN GOODS.GOOD_COUNTRY_CODE) AS COUNTRY, "
               "CAST(? AS TYPE OF COLUMN GOODS.GOOD_MARKTYPE) AS MARK, CAST(? AS SMALLINT) AS HELD "
               "FROM RDB$DATABASE) S ON G.GOOD_ID = S.ID "
               "WHEN MATCHED AND (G.GOOD_ISGOOD IS NOT DISTINCT FROM S.ISGOOD OR (S.HELD = 0 AND NOT ") +
           named +
           QStringLiteral(
               ")) THEN UPDATE SET GOOD_NAME = S.NAME, GOOD_PRICE = S.PRICE, GOOD_W = S.W, GOOD_TYPE = S.KIND, "
               "GOOD_EDIZM = S.UNIT, GOOD_EDIZM_FFD = S.UNIT_CODE, GOOD_NALOG = S.VAT, GOOD_ISGOOD = S.ISGOOD, "
               "GOOD_PARENTGROUP = S.PARENT, GOOD_COUNTRY_CODE = S.COUNTRY, GOOD_MARKTYPE = S.MARK "
               "WHEN NOT MATCHED AND S.HELD = 0 AND NOT ") +
           named +
           QStringLiteral(
               " THEN INSERT (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_EDIZM, GOOD_EDIZM_FFD, "
               "GOOD_NALOG, GOOD_ISGOOD, GOOD_PARENTGROUP, GOOD_COUNTRY_CODE, GOOD_MARKTYPE) VALUES (S.ID, S.NAME, "
               "S.PRICE, S.W, S.KIND, S.UNIT, S.UNIT_CODE, S.VAT, S.ISGOOD, S.PARENT, S.COUNTRY, S.MARK)");
}

class DatabaseGoodsStore final : public GoodsStore {
public:
    DatabaseGoodsStore(fb::Connection& db, std::vector<std::int64_t> keep)
        : db_(db),
          keep_(std::move(keep)),
          held_(keep_.begin(), keep_.end()),
          tr_(db),
          upsert_(tr_, guardedUpsertSql()),
          history_(tr_, [this](std::int64_t id) { return held_.contains(id); }),
          deleteBarcodes_(tr_, QStringLiteral("DELETE FROM GOODS_BARCODE WHERE GOOD_ID = ?")),
          insertBarcode_(
              tr_,
              QStringLiteral("INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE, BARCODE_COEFF) VALUES (?, ?, '1')")),
          findBarcode_(tr_, QStringLiteral("SELECT 1 FROM GOODS_BARCODE WHERE GOOD_ID = ? AND GOOD_BARCODE = ?")),
          addBarcode_(tr_, QStringLiteral("INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE) VALUES (?, ?)")) {}

    std::optional<core::GoodsCodeUse> upsertGoods(const GoodsRecord& g) override {
        const std::int64_t id = g.id;
        upsert_.execute(tr_, {id, g.name, text(g.price), text(g.weighed), text(g.type), text(g.unitName),
                              number(g.unitCode), text(g.vat), std::int64_t(g.isGood ? 1 : 0), std::int64_t(g.parent),
                              text(g.country), number(g.markType), std::int64_t(held_.contains(id) ? 1 : 0)});
        if (upsert_.affectedRows() > 0) return std::nullopt;
        if (const auto use = history_.of(id)) return use;
        // Nothing was written, yet nothing names the code: not a refusal.
        throw std::runtime_error("goods record not written");
    }
    void deleteBarcodes(std::int32_t id) override { deleteBarcodes_.execute(tr_, {std::int64_t(id)}); }
    void insertBarcode(std::int32_t id, const QString& code) override {
        insertBarcode_.execute(tr_, {std::int64_t(id), code});
    }
    void addBarcodeIfAbsent(std::int32_t id, const QString& code) override {
        findBarcode_.execute(tr_, {std::int64_t(id), code});
        const bool present = findBarcode_.fetch();
        findBarcode_.closeCursor();
        if (present) return;
        // Only this record is undone when the database refuses the code.
        tr_.savepoint(kSavepoint);
        try {
            addBarcode_.execute(tr_, {std::int64_t(id), code});
            tr_.releaseSavepoint(kSavepoint);
        } catch (const fb::Error&) {
            tr_.rollbackToSavepoint(kSavepoint);
            tr_.releaseSavepoint(kSavepoint);
        }
    }
    void deleteAllGoods() override {
        // Leaves first: a pass frees the groups whose last row it removed,
        // so the next pass can take them; what stays is the named goods and
        // the groups above them.
        const QString sql = deleteUnreferencedGoodsSql(keep_);
        while (fb::execute(tr_, sql) > 0) {
        }
    }
    void deleteAllBarcodes() override { fb::execute(tr_, QStringLiteral("EXECUTE PROCEDURE DELETE_ALL_BARCODES")); }
    void commit() override {
        tr_.commit();
        refreshGoodsStatistics(db_);
    }
    void rollback() noexcept override {
        try {
            if (tr_.isActive()) tr_.rollback();
        } catch (...) {
            // The transaction dies with the attachment; nothing stays.
        }
    }

private:
    static inline const QString kSavepoint = QStringLiteral("EXCHANGE_BARCODE");
    fb::Connection& db_;
    const std::vector<std::int64_t> keep_;
    const QSet<std::int64_t> held_;
    fb::Transaction tr_;
    fb::Statement upsert_;
    core::GoodsCodeHistory history_;
    fb::Statement deleteBarcodes_;
    fb::Statement insertBarcode_;
    fb::Statement findBarcode_;
    fb::Statement addBarcode_;
};

}  // namespace

void refreshGoodsStatistics(fb::Connection& connection) {
    try {
        fb::meta::refreshIndexStatistics(connection, {QStringLiteral("GOODS"), QStringLiteral("GOODS_BARCODE")});
    } catch (const fb::Error&) {
        // The goods are stored; the planner only goes on with older figures.
    }
}

std::unique_ptr<GoodsStore> makeDatabaseGoodsStore(fb::Connection& connection, std::vector<std::int64_t> keep) {
    connection.ensureConnected();
    return std::make_unique<DatabaseGoodsStore>(connection, std::move(keep));
}

QString msg::goodsWriteFailed(int line) {
    return QStringLiteral(" При записи данных в БД произошел сбой сервера.") + QString::number(line);
}

QString msg::codeKeptByHistory(int line, std::int32_t id, bool group, core::GoodsCodeUse use) {
    return QStringLiteral(" Код (ID) ") + QString::number(id) + QStringLiteral(" в строке ") + QString::number(line) +
           (group ? QStringLiteral(" нельзя сделать группой:     ")
                  : QStringLiteral(" нельзя дать новому товару:     ")) +
           QStringLiteral("\r\n ") + core::goodsCodeUseReason(use) +
           QStringLiteral(".     \r\n\r\n Загрузка данных невозможна.");
}

QString msg::commitFailed(const QString& detail) {
    return QStringLiteral(
               " При записи данных в БД произошел сбой сервера.     \r\n Загрузка не выполнена.     \r\n\r\n ") +
           detail;
}

QString importSummary(int count) {
    QString text = QStringLiteral("Обработка файла завершена.     ");
    if (count > 0) text += QStringLiteral("\r\nЗагружено ") + QString::number(count) + QStringLiteral(" позиций.     ");
    return text;
}

ImportResult runImport(ExchangeReader& reader, GoodsStore& store, const ImportHooks& hooks) {
    using Outcome = ImportResult::Outcome;
    ImportResult result;
    auto fail = [&](Outcome outcome, QString message) {
        store.rollback();
        result.outcome = outcome;
        result.message = std::move(message);
        result.count = reader.goodsCount();
        return result;
    };
    auto label = [&](const QString& t) {
        if (hooks.label) hooks.label(t);
    };
    auto caption = [&](const QString& t) {
        if (hooks.caption) hooks.caption(t);
    };
    auto pump = [&] {
        if (hooks.pump) hooks.pump();
    };
    reader.lineSeen = hooks.line;

    ImportEvent e;
    bool barcodeLabel = false;
    while (reader.next(e)) {
        using Type = ImportEvent::Type;
        switch (e.type) {
            case Type::Refused:
                return fail(Outcome::Refused, e.message);
            case Type::Goods: {
                const GoodsRecord& g = e.goods;
                std::optional<core::GoodsCodeUse> kept;
                try {
                    kept = store.upsertGoods(g);
                } catch (const std::exception&) {
                    return fail(Outcome::Failed, msg::goodsWriteFailed(e.line));
                }
                if (kept) return fail(Outcome::Refused, msg::codeKeptByHistory(e.line, g.id, !g.isGood, *kept));
                try {
                    store.deleteBarcodes(g.id);
                } catch (const std::exception&) {
                    return fail(Outcome::Failed, msg::kBarcodesDeleteFailed);
                }
                try {
                    for (const QString& code : g.barcodes) store.insertBarcode(g.id, code);
                } catch (const std::exception&) {
                    return fail(Outcome::Failed, msg::kBarcodeInsertFailed);
                }
                pump();
                break;
            }
            case Type::Barcode:
                if (!barcodeLabel) label(msg::kAddBarcodesLabel);
                barcodeLabel = true;
                try {
                    store.addBarcodeIfAbsent(e.barcode.goodsId, e.barcode.barcode);
                } catch (const std::exception&) {
                    // The look-up itself failed: the record is skipped like a
                    // code the database refuses.
                }
                continue;
            case Type::DeleteAllGoods:
                caption(msg::kDeleteGoodsCaption);
                try {
                    store.deleteAllGoods();
                } catch (const std::exception&) {
                    return fail(Outcome::Failed, msg::kDeleteGoodsFailed);
                }
                pump();
                break;
            case Type::DeleteAllBarcodes:
                caption(msg::kDeleteBarcodesCaption);
                try {
                    store.deleteAllBarcodes();
                } catch (const std::exception&) {
                    return fail(Outcome::Failed, msg::kDeleteBarcodesFailed);
                }
                caption(QString());
                break;
        }
        barcodeLabel = false;
    }
    if (reader.stopped()) return fail(Outcome::Stopped, QString());
    try {
        store.commit();
    } catch (const fb::Error& err) {
        return fail(Outcome::Failed, msg::commitFailed(err.message()));
    } catch (const std::exception& err) {
        return fail(Outcome::Failed, msg::commitFailed(QString::fromUtf8(err.what())));
    }
    result.count = reader.goodsCount();
    result.message = importSummary(result.count);
    return result;
}

}  // namespace exchange
