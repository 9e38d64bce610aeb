#include "CatalogueRepository.h"

#include "Catalogue.h"

#include "platform/db/Connection.h"
#include "platform/db/Error.h"
#include "platform/db/Procedure.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <algorithm>

namespace catalogue {

namespace {

fb::Value optionalText(const std::optional<QString>& v) {
    return v ? fb::Value(*v) : fb::null();
}

// What names a goods code, the receipt on the main screen included; one
// look-up prepared for a run of codes.
core::GoodsCodeHistory codeUses(fb::Transaction& tr) {
    return core::GoodsCodeHistory(tr, goodsInOpenReceipt);
}

}  // namespace

std::int64_t CatalogueRepository::nextGoodsId() {
    db_.ensureConnected();
    fb::Transaction tr(db_, fb::Transaction::Access::ReadOnly);
    const auto row = fb::queryOne(tr, QStringLiteral("SELECT MAX(GOOD_ID) MAX_ID FROM GOODS"));
    const auto max = row ? fb::toInt64(row->at(0)) : std::nullopt;
    const std::int64_t id = codeUses(tr).firstFree(max ? *max + 1 : 1);
    tr.commit();
    return id;
}

std::int64_t CatalogueRepository::maxGoodIdFromProcedure() {
    db_.ensureConnected();
    fb::Transaction tr(db_);
    const auto row = fb::callProcedure(tr, QStringLiteral("MAX_GOOD_ID_PROC"));
    // Groups share the goods' numbering, so they skip the history's codes too.
    const std::int64_t id = codeUses(tr).firstFree(row ? row->int64(QStringLiteral("O_MAX_GOOD_ID"), 1) : 1);
    tr.commit();
    return id;
}

std::optional<IdUse> CatalogueRepository::codeUse(std::int64_t goodId) {
    db_.ensureConnected();
    fb::Transaction tr(db_, fb::Transaction::Access::ReadOnly);
    const auto use = codeUses(tr).of(goodId);
    tr.commit();
    return use;
}

QStringList CatalogueRepository::barcodes(std::int64_t goodId) {
    db_.ensureConnected();
    fb::Transaction tr(db_, fb::Transaction::Access::ReadOnly);
    QStringList out;
    const auto count = fb::callProcedure(tr, QStringLiteral("BARCODE_RECEIVING_PROC"),
                                         {{QStringLiteral("I_GOOD_ID"), goodId},
                                          {QStringLiteral("I_MODE"), std::int64_t{1}},
                                          {QStringLiteral("I_RECNUM"), std::int64_t{0}}});
    const std::int64_t n = count ? count->int64(QStringLiteral("O_RECCOUNT")) : 0;
    for (std::int64_t i = 1; i <= n; ++i) {
        const auto row = fb::callProcedure(tr, QStringLiteral("BARCODE_RECEIVING_PROC"),
                                           {{QStringLiteral("I_GOOD_ID"), goodId},
                                            {QStringLiteral("I_MODE"), std::int64_t{2}},
                                            {QStringLiteral("I_RECNUM"), i}});
        out << (row ? row->str(QStringLiteral("O_BARCODE")) : QString());
    }
    tr.commit();
    return out;
}

std::optional<std::pair<std::int64_t, QString>> CatalogueRepository::group(std::optional<std::int64_t> groupId) {
    if (!groupId || *groupId <= 0) return std::nullopt;
    db_.ensureConnected();
    fb::Transaction tr(db_, fb::Transaction::Access::ReadOnly);
    const auto row = fb::queryOne(
        tr, QStringLiteral("SELECT GOOD_ID, GOOD_NAME FROM GOODS WHERE GOOD_ID=? AND GOOD_ISGOOD=0"), {*groupId});
    tr.commit();
    if (!row) return std::nullopt;
    return std::pair{row->int64(QStringLiteral("GOOD_ID")), row->str(QStringLiteral("GOOD_NAME"))};
}

std::optional<DuplicateBarcode> CatalogueRepository::findDuplicateBarcode(const QStringList& barcodes,
                                                                          std::int64_t goodId) {
    db_.ensureConnected();
    fb::Transaction tr(db_, fb::Transaction::Access::ReadOnly);
    fb::Statement s(tr,
                    QStringLiteral("SELECT GOODS.GOOD_ID AS GID, GOOD_NAME  FROM GOODS JOIN GOODS_BARCODE ON "
                                   "GOODS.GOOD_ID=GOODS_BARCODE.GOOD_ID  WHERE GOOD_BARCODE=CAST(? AS VARCHAR(1000)) "
                                   "AND GOODS.GOOD_ID<>?"));
    for (int i = 0; i < barcodes.size(); ++i) {
        const QString cell = barcodes.at(i).trimmed();
        if (cell.isEmpty()) continue;
        s.execute(tr, {cell, goodId});
        if (s.fetch()) {
            DuplicateBarcode d{i, cell, s.row().int64(QStringLiteral("GID")), s.row().str(QStringLiteral("GOOD_NAME"))};
            s.closeCursor();
            return d;
        }
    }
    tr.commit();
    return std::nullopt;
}

SaveResult CatalogueRepository::saveGood(int mode, std::int64_t openedId, const CardRecord& r,
                                         const QStringList& barcodes) {
    db_.ensureConnected();
    fb::Transaction tr(db_);
    if (mode != 1 && r.id != openedId) {
        // A changed ID may only move the row to a free number.
        if (fb::queryOne(tr, QStringLiteral("SELECT 1 FROM GOODS WHERE GOOD_ID=?"), {r.id}))
            return {SaveOutcome::IdTaken, {}};
        // Receipts, stock documents, lots and the working list keep the old
        // code; moved away from them, the code would hand their history to
        // the next goods item that is given it.
        core::GoodsCodeHistory history = codeUses(tr);
        if (const auto use = history.of(openedId)) return {SaveOutcome::IdInUse, {}, *use};
        // Nor may the item move onto a code that history names: that history
        // would become its own.
        if (const auto use = history.of(r.id)) return {SaveOutcome::IdNamedByHistory, {}, *use};
    }
    if (mode == 1) {
        // A code the history still names would make that history the new
        // item's: its stock would move with documents it never had.
        if (const auto use = codeUses(tr).of(r.id)) return {SaveOutcome::IdNamedByHistory, {}, *use};
    }
    const fb::Value pack = r.packCount ? fb::Value(*r.packCount) : fb::null();
    try {
        if (mode == 1) {
            fb::execute(
                tr,
                QStringLiteral("INSERT INTO GOODS (GOOD_ID,GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE,  GOOD_EDIZM, "
                               "GOOD_EDIZM_FFD,GOOD_NALOG, GOOD_ISGOOD, GOOD_PARENTGROUP, GOOD_COUNTRY_CODE,  "
                               "GOOD_MARKTYPE, GOOD_PACKCOUNT)  VALUES (?,?,?,?,?,?,?,?,1,?,?,?,?)"),
                {r.id, r.name, r.price, r.goodW, r.type, r.unitText, std::int64_t{r.unitCode}, r.vat, r.parent,
                 optionalText(r.country), std::int64_t{r.markType}, pack});
        } else {
            const long n = fb::execute(
                tr,
                QStringLiteral("UPDATE GOODS SET GOOD_ID=?, GOOD_NAME=?, GOOD_PRICE=?, GOOD_W=?, GOOD_TYPE=?, "
                               "GOOD_EDIZM=?, GOOD_EDIZM_FFD=?, GOOD_NALOG=?, GOOD_PARENTGROUP=?, "
                               "GOOD_COUNTRY_CODE=?, GOOD_MARKTYPE=?, GOOD_PACKCOUNT=? WHERE GOOD_ID=?"),
                {r.id, r.name, r.price, r.goodW, r.type, r.unitText, std::int64_t{r.unitCode}, r.vat, r.parent,
                 optionalText(r.country), std::int64_t{r.markType}, pack, openedId});
            // The row was deleted meanwhile: nothing to update is a failure.
            if (n != 1) return {SaveOutcome::RowFailed, {}};
        }
    } catch (const fb::Error& e) {
        return {SaveOutcome::RowFailed, e.message()};
    }
    try {
        fb::callProcedure(tr, QStringLiteral("BARCODE_IO_PROC"),
                          {{QStringLiteral("IBAR_MODE"), std::int64_t{3}},
                           {QStringLiteral("IBAR_G_ID"), openedId},
                           {QStringLiteral("IBAR_BARCODE"), QString()},
                           {QStringLiteral("IBAR_COEFF"), QStringLiteral("1")}});
        if (openedId != r.id)
            fb::callProcedure(tr, QStringLiteral("BARCODE_IO_PROC"),
                              {{QStringLiteral("IBAR_MODE"), std::int64_t{3}},
                               {QStringLiteral("IBAR_G_ID"), r.id},
                               {QStringLiteral("IBAR_BARCODE"), QString()},
                               {QStringLiteral("IBAR_COEFF"), QStringLiteral("1")}});
    } catch (const fb::Error& e) {
        return {SaveOutcome::BarcodesFailed, e.message()};
    }
    try {
        for (const QString& cell : barcodes) {
            const QString code = cell.trimmed();
            if (code.isEmpty()) continue;
            fb::callProcedure(tr, QStringLiteral("BARCODE_IO_PROC"),
                              {{QStringLiteral("IBAR_MODE"), std::int64_t{1}},
                               {QStringLiteral("IBAR_G_ID"), r.id},
                               {QStringLiteral("IBAR_BARCODE"), code},
                               {QStringLiteral("IBAR_COEFF"), QStringLiteral("1")}});
        }
        tr.commit();
    } catch (const fb::Error& e) {
        return {SaveOutcome::BarcodeRowFailed, e.message()};
    }
    return {};
}

std::optional<IdUse> CatalogueRepository::deleteGood(std::int64_t goodId) {
    db_.ensureConnected();
    fb::Transaction tr(db_);
    // An item the history names stays, or its code would pass to the next
    // new item together with that history.
    if (const auto use = codeUses(tr).of(goodId)) return use;
    fb::callProcedure(tr, QStringLiteral("GOODS_IO_PROC"),
                      {{QStringLiteral("IG_MODE"), std::int64_t{3}},
                       {QStringLiteral("IG_ID"), goodId},
                       {QStringLiteral("IG_NAME"), QString()},
                       {QStringLiteral("IG_PRICE"), QString()},
                       {QStringLiteral("IG_W"), QString()},
                       {QStringLiteral("IG_TYPE"), QString()},
                       {QStringLiteral("IG_EDIZM"), QString()},
                       {QStringLiteral("IG_NALOG"), QString()},
                       {QStringLiteral("IG_ISGOOD"), std::int64_t{1}},
                       {QStringLiteral("IG_PARENTGROUP"), std::int64_t{0}},
                       {QStringLiteral("IG_COUNTRY_CODE"), QString()}});
    tr.commit();
    return std::nullopt;
}

void CatalogueRepository::moveToGroup(std::int64_t id, std::int64_t groupId) {
    db_.ensureConnected();
    fb::Transaction tr(db_);
    fb::callProcedure(tr, QStringLiteral("PARENTGROUP_CHANGE_PROC"),
                      {{QStringLiteral("I_GOOD_ID"), id}, {QStringLiteral("I_GOOD_PARENTGROUP"), groupId}});
    tr.commit();
}

bool CatalogueRepository::groupHasContents(std::int64_t groupId) {
    db_.ensureConnected();
    fb::Transaction tr(db_, fb::Transaction::Access::ReadOnly);
    const bool any =
        fb::queryOne(tr, QStringLiteral("SELECT FIRST 1 GOOD_ID FROM GOODS WHERE GOOD_PARENTGROUP=?"), {groupId})
            .has_value();
    tr.commit();
    return any;
}

std::optional<IdUse> CatalogueRepository::deleteGroup(std::int64_t groupId) {
    db_.ensureConnected();
    fb::Transaction tr(db_);
    // A group on a code that history names (a sold item an older goods file
    // made a group) stays, or the code would pass to the next new item.
    if (const auto use = codeUses(tr).of(groupId)) return use;
    fb::callProcedure(tr, QStringLiteral("GOOD_DELETE"), {{QStringLiteral("I_GOOD_ID"), groupId}});
    tr.commit();
    return std::nullopt;
}

std::optional<QString> CatalogueRepository::countryWithCode(const QString& code, std::int64_t exceptRecordId) {
    db_.ensureConnected();
    fb::Transaction tr(db_, fb::Transaction::Access::ReadOnly);
    const auto row = fb::queryOne(tr,
                                  QStringLiteral("SELECT FIRST 1 COUNTRY_NAME FROM COUNTRIES WHERE COUNTRY_CODE=? AND "
                                                 "COUNTRY_ID_RECORD IS DISTINCT FROM ? ORDER BY COUNTRY_ID_RECORD"),
                                  {code, exceptRecordId});
    tr.commit();
    if (!row) return std::nullopt;
    return row->str(QStringLiteral("COUNTRY_NAME"));
}

std::int64_t CatalogueRepository::insertCountry(const QString& code, const QString& name) {
    db_.ensureConnected();
    fb::Transaction tr(db_);
    const auto row = fb::callProcedure(tr, QStringLiteral("BARCODE_IO_PROC"),
                                       {{QStringLiteral("IBAR_MODE"), std::int64_t{4}},
                                        {QStringLiteral("IBAR_G_ID"), std::int64_t{0}},
                                        {QStringLiteral("IBAR_COEFF"), code},
                                        {QStringLiteral("IBAR_BARCODE"), name}});
    tr.commit();
    return row ? row->int64(QStringLiteral("O_RETURNPARAM1")) : 0;
}

void CatalogueRepository::updateCountry(std::int64_t recordId, const QString& code, const QString& name) {
    db_.ensureConnected();
    fb::Transaction tr(db_);
    fb::callProcedure(tr, QStringLiteral("BARCODE_IO_PROC"),
                      {{QStringLiteral("IBAR_MODE"), std::int64_t{5}},
                       {QStringLiteral("IBAR_G_ID"), recordId},
                       {QStringLiteral("IBAR_COEFF"), code},
                       {QStringLiteral("IBAR_BARCODE"), name}});
    tr.commit();
}

void CatalogueRepository::deleteCountry(std::int64_t recordId) {
    db_.ensureConnected();
    fb::Transaction tr(db_);
    fb::callProcedure(tr, QStringLiteral("BARCODE_IO_PROC"),
                      {{QStringLiteral("IBAR_MODE"), std::int64_t{6}},
                       {QStringLiteral("IBAR_G_ID"), recordId},
                       {QStringLiteral("IBAR_COEFF"), QString()},
                       {QStringLiteral("IBAR_BARCODE"), QString()}});
    tr.commit();
}

}  // namespace catalogue
