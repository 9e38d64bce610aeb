#include "StockRepository.h"

#include "StockLogic.h"

#include "core/SchemaUpgrade.h"

#include "platform/db/Connection.h"
#include "platform/db/Error.h"
#include "platform/db/Metadata.h"
#include "platform/db/Procedure.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QHash>
#include <QSet>

namespace stock {

namespace {

fb::Value textOrNull(const QString& s) {
    return s.isNull() ? fb::null() : fb::Value(s);
}

// A procedure prepared once for many rows: the inputs are bound by name in
// the order the database declares them.
class PreparedProcedure {
public:
    PreparedProcedure(fb::Transaction& tr, const QString& name) {
        const auto& params = tr.connection().procedureInputs(name);
        QStringList marks;
        for (int i = 0; i < params.size(); ++i) {
            index_.insert(params[i].name.trimmed().toUpper(), i);
            marks << QStringLiteral("?");
        }
        const QString args =
            marks.isEmpty() ? QString() : QLatin1Char('(') + marks.join(QLatin1Char(',')) + QLatin1Char(')');
        stmt_.emplace(tr, QStringLiteral("EXECUTE PROCEDURE ") + name + args);
    }
    void bind(const QString& name, fb::Value v) {
        const int i = index_.value(name, -1);
        if (i < 0) fb::throwUsage(QStringLiteral("Нет параметра %1").arg(name));
        stmt_->bind(i, std::move(v));
    }
    void execute(fb::Transaction& tr) { stmt_->execute(tr); }

private:
    QHash<QString, int> index_;
    std::optional<fb::Statement> stmt_;
};

Line lineFromRow(const fb::Row& r) {
    Line l;
    l.goodsId = r.int64(QStringLiteral("G_ID"));
    l.name = r.str(QStringLiteral("G_NAME"));
    l.country = r.str(QStringLiteral("G_COUNTRY"));
    l.unit = r.str(QStringLiteral("G_EDIZM"));
    l.price = r.str(QStringLiteral("G_PRICE"));
    l.declar = r.str(QStringLiteral("G_DECLAR_NUMBER"));
    return l;
}

}  // namespace

QString documentListSql() {
    return QStringLiteral(
        "SELECT DOC_ID AS DL_ID, DOC_CHECK_TYPE AS DL_ST, DOC_NUMBER AS DL_NUM, DOC_DATE_D AS DL_DAT  FROM DOCUMENTS "
        " WHERE (DOC_TYPE=?) AND ( DOC_DATE_D BETWEEN ? AND ? ) ORDER BY DL_DAT DESC, DL_ID DESC ");
}

int nextDocNumber(fb::Transaction& tr, int kind) {
    const auto row = fb::queryOne(
        tr, QStringLiteral("SELECT (COALESCE(MAX(DOC_NUMBER),0)+1) AS DOCN  FROM DOCUMENTS  WHERE DOC_TYPE=?"),
        {std::int64_t{docTypeForKind(kind)}});
    return row ? row->integer(QStringLiteral("DOCN"), 1) : 1;
}

std::optional<DocHeader> readHeader(fb::Transaction& tr, int docId) {
    // The supplier is read as text and parsed here: a cast in SQL would make
    // a document with an empty or foreign DOC_SUMM_FULL impossible to open.
    const auto row = fb::queryOne(
        tr,
        QStringLiteral("SELECT DOC_NUMBER, DOC_CHECK_TYPE, DOC_DATE_D, DOC_SUMM_FULL FROM DOCUMENTS WHERE DOC_ID=?"),
        {std::int64_t{docId}});
    if (!row) return std::nullopt;
    DocHeader h;
    h.number = row->integer(QStringLiteral("DOC_NUMBER"));
    h.state = row->integer(QStringLiteral("DOC_CHECK_TYPE"));
    h.date = fb::toDate((*row)[QStringLiteral("DOC_DATE_D")]).value_or(QDate());
    h.supplierId = supplierIdFromText(row->str(QStringLiteral("DOC_SUMM_FULL")));
    return h;
}

DocStatus docStatus(fb::Transaction& tr, int kind, int number) {
    const auto row = fb::callProcedure(
        tr, QStringLiteral("DOC_STATUS_PROC"),
        {{QStringLiteral("I_DN"), std::int64_t{number}}, {QStringLiteral("I_DT"), std::int64_t{docTypeForKind(kind)}}});
    DocStatus s;
    if (row) {
        s.state = row->integer(QStringLiteral("O_DS"));
        s.docId = row->integer(QStringLiteral("O_DID"));
    }
    return s;
}

void dragLines(fb::Transaction& tr, int docId) {
    fb::callProcedure(tr, QStringLiteral("DOC_GOODMOVE_DRAG"), {{QStringLiteral("I_DID"), std::int64_t{docId}}});
}

bool isEmptyForPosting(fb::Transaction& tr, int kind) {
    const auto row =
        fb::callProcedure(tr, QStringLiteral("DOC_IS_EMPTY"), {{QStringLiteral("I_DT"), std::int64_t{kind}}});
    return !row || row->integer(QStringLiteral("O_EMPTY"), 1) == 1;
}

int saveDocument(fb::Transaction& tr, const SaveRequest& r) {
    const bool supplier = r.kind == GoodsReceipt && r.supplierId > 0;
    const auto row = fb::callProcedure(
        tr, QStringLiteral("DOC_GOODMOVE_SAVE"),
        {{QStringLiteral("I_ACTION"), std::int64_t{r.post ? 1 : 0}},
         {QStringLiteral("I_MODE"), std::int64_t{r.existing ? 1 : 0}},
         // DOC_USER holds 50 characters; the users window allows longer names.
         {QStringLiteral("I_DU"), (r.post ? r.user.trimmed() : r.user).left(50)},
         {QStringLiteral("I_DD"), r.date},
         {QStringLiteral("I_DID"), r.existing ? fb::Value(std::int64_t{r.docId}) : fb::null()},
         {QStringLiteral("I_DN"), std::int64_t{r.number}},
         {QStringLiteral("I_DT"), std::int64_t{docTypeForKind(r.kind)}},
         {QStringLiteral("I_SUPPL_ID"), supplier ? fb::Value(QString::number(r.supplierId)) : fb::null()}});
    return row ? row->integer(QStringLiteral("O_DID")) : 0;
}

std::optional<UnreadableStock> unreadableStock(fb::Transaction& tr, int kind) {
    if (kind == Inventory) return std::nullopt;
    // The posting reads the stock as DECIMAL(15,3).
    constexpr std::int64_t kLargest = 999'999'999'999'999;
    fb::Statement s(tr, QStringLiteral("SELECT T.G_ID, T.G_PRICE, G.GOOD_NAME, G.GOOD_COUNT FROM GOODS_TEMP T "
                                       "JOIN GOODS G ON G.GOOD_ID = T.G_ID ORDER BY T.G_ID"));
    s.execute(tr);
    while (s.fetch()) {
        const fb::Row& r = s.row();
        const auto moved = fb::parseScaled(r.str(QStringLiteral("G_PRICE")), 3);
        if (!moved || *moved <= 0) continue;
        const QString stock = r.str(QStringLiteral("GOOD_COUNT"));
        if (stock.trimmed().isEmpty()) continue;
        const auto old = fb::parseScaled(stock, 3);
        if (old && *old >= -kLargest && *old <= kLargest) continue;
        UnreadableStock u{r.int64(QStringLiteral("G_ID")), r.str(QStringLiteral("GOOD_NAME")), stock};
        s.closeCursor();
        return u;
    }
    return std::nullopt;
}

void refreshStatisticsAfterPosting(fb::Connection& connection) {
    try {
        // Lots come only from postings, so their figures follow each one; the
        // archive's own are made again only once it has grown enough to matter.
        fb::meta::refreshIndexStatistics(connection, {QStringLiteral("PORTIONS")});
        core::refreshGrownArchiveStatistics(connection);
    } catch (const fb::Error&) {
        // The document is posted; the planner only goes on with older figures.
    }
}

bool unpostDocument(fb::Transaction& tr, int docId) {
    const auto drawn = fb::queryOne(
        tr,
        QStringLiteral("SELECT FIRST 1 P_RECORD_ID FROM PORTIONS WHERE P_DOC_ID = ? AND "
                       "CAST(COALESCE(NULLIF(TRIM(REPLACE(P_GOOD_COUNT_OFFS, ',', '.')), ''), '0') "
                       "AS DECIMAL(15,3)) > 0"),
        {std::int64_t{docId}});
    if (drawn) return false;
    fb::callProcedure(tr, QStringLiteral("DOC_GOODMOVE_BACK"), {{QStringLiteral("I_DID"), std::int64_t{docId}}});
    return true;
}

bool deleteDocument(fb::Transaction& tr, int docId) {
    const auto row =
        fb::callProcedure(tr, QStringLiteral("DOC_GOODMOVE_DELETE"), {{QStringLiteral("I_DID"), std::int64_t{docId}}});
    return row && row->integer(QStringLiteral("O_DONE")) == 1;
}

void clearLines(fb::Transaction& tr) {
    fb::callProcedure(tr, QStringLiteral("GOODS_TEMP_CLEAR"));
}

WorkingListLoan::WorkingListLoan(fb::Transaction& tr) : tr_(tr) {
    others_ = fb::query(tr_, QStringLiteral("SELECT * FROM GOODS_TEMP"));
    clearLines(tr_);
}

void WorkingListLoan::put(const std::vector<Line>& lines) {
    LineChanges c;
    c.inserted = lines;
    writeLineChanges(tr_, c);
}

void WorkingListLoan::giveBack() {
    clearLines(tr_);
    if (others_.empty()) return;
    // Every column as it was, the record number included: the price-tag list
    // finds its rows by it.
    const QStringList& names = others_.front().names();
    QStringList marks;
    for (int i = 0; i < names.size(); ++i) marks << QStringLiteral("?");
    fb::Statement ins(tr_, QStringLiteral("INSERT INTO GOODS_TEMP (%1) VALUES (%2)")
                               .arg(names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    for (fb::Row& r : others_) {
        ins.bindAll(r.takeValues());
        ins.execute(tr_);
    }
    others_.clear();
}

std::vector<Line> readLines(fb::Transaction& tr, bool descending) {
    const QString sql = descending ? QStringLiteral("SELECT * FROM GOODS_TEMP  ORDER BY G_NAME  COLLATE PXW_CYRL DESC")
                                   : QStringLiteral("SELECT * FROM GOODS_TEMP  ORDER BY G_NAME COLLATE PXW_CYRL ASC");
    fb::Statement s(tr, sql);
    s.execute(tr);
    std::vector<Line> lines;
    while (s.fetch()) lines.push_back(lineFromRow(s.row()));
    return lines;
}

void writeLineChanges(fb::Transaction& tr, const LineChanges& c) {
    if (!c.deleted.empty()) {
        fb::Statement del(tr, QStringLiteral("DELETE FROM GOODS_TEMP WHERE G_ID=?"));
        for (const std::int64_t id : c.deleted) del.execute(tr, {id});
    }
    if (!c.modified.empty()) {
        fb::Statement mod(tr, QStringLiteral("UPDATE GOODS_TEMP SET G_PRICE=?, G_DECLAR_NUMBER=TRIM(?) WHERE G_ID=?"));
        for (const Line& l : c.modified) mod.execute(tr, {textOrNull(l.price), textOrNull(l.declar), l.goodsId});
    }
    if (!c.inserted.empty()) {
        fb::Statement ins(tr, QStringLiteral("INSERT INTO GOODS_TEMP (G_ID, G_NAME, G_COUNTRY, G_EDIZM, G_PRICE, "
                                             "G_DECLAR_NUMBER) VALUES (?, ?, ?, ?, ?, TRIM(?))"));
        for (const Line& l : c.inserted)
            ins.execute(tr, {l.goodsId, l.name, l.country.left(32), l.unit, textOrNull(l.price), textOrNull(l.declar)});
    }
}

std::vector<Line> fillFromGroup(fb::Transaction& tr, int kind, std::int64_t groupId, bool isRoot, bool withSubgroups) {
    clearLines(tr);
    const FillSql q = fillSql(isRoot, withSubgroups);
    fb::Statement goods(tr, q.sql);
    if (q.bindsGroup) goods.bind(0, groupId);
    goods.execute(tr);

    PreparedProcedure edit(tr, QStringLiteral("GOODS_TEMP_EDIT"));
    edit.bind(QStringLiteral("I_MODE"), std::int64_t{3});
    std::vector<Line> lines;
    QSet<std::int64_t> seen;
    const QString kId = QStringLiteral("GOOD_ID"), kName = QStringLiteral("GOOD_NAME"),
                  kCount = QStringLiteral("GOOD_COUNT"), kUnit = QStringLiteral("GOOD_EDIZM"),
                  kCountry = QStringLiteral("COUNTRY_NAME");
    while (goods.fetch()) {
        const fb::Row& r = goods.row();
        Line l;
        l.goodsId = r.int64(kId);
        // A goods item shows once even where the country table repeats a code.
        if (seen.contains(l.goodsId)) continue;
        seen.insert(l.goodsId);
        l.name = r.str(kName);
        l.country = r.str(kCountry).left(32);
        l.unit = r.str(kUnit);
        if (kind == Inventory) l.price = bookQuantityText(r.str(kCount));
        edit.bind(QStringLiteral("I_ID"), l.goodsId);
        edit.bind(QStringLiteral("I_NAME"), l.name);
        edit.bind(QStringLiteral("I_COUNTRY"), l.country);
        edit.bind(QStringLiteral("I_EDIZM"), l.unit);
        edit.bind(QStringLiteral("I_PRICE"), kind == Inventory ? fb::Value(l.price) : fb::Value(QString()));
        edit.execute(tr);
        lines.push_back(std::move(l));
    }
    return lines;
}

bool isWeighed(fb::Transaction& tr, std::int64_t goodsId) {
    const auto row = fb::callProcedure(tr, QStringLiteral("GOOD_IS_WEIGHT"), {{QStringLiteral("I_GID"), goodsId}});
    return row && row->integer(QStringLiteral("O_WEIGHT")) == 1;
}

std::optional<QString> supplierName(fb::Transaction& tr, int supplierId) {
    const auto row = fb::queryOne(tr, QStringLiteral("SELECT SU_NAMEFULL FROM SUPPLIERS  WHERE SU_ID=?"),
                                  {std::int64_t{supplierId}});
    if (!row) return std::nullopt;
    return row->str(QStringLiteral("SU_NAMEFULL"));
}

}  // namespace stock
