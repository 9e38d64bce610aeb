#include "SchemaUpgrade.h"
#include "WorkingList.h"

#include "GoodsQueries.h"

#include "platform/db/Connection.h"
#include "platform/db/Error.h"
#include "platform/db/Metadata.h"
#include "platform/db/Script.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QFile>
#include <QRegularExpression>

#include <functional>

namespace core {

namespace {

constexpr const char* kGoodsNameCyrlIndex =
    "CREATE INDEX IX_GOODS_NAME_CYRL ON GOODS COMPUTED BY (GOOD_NAME COLLATE PXW_CYRL);";

// Procedure names in selector order (selector 1 is index 0).
constexpr const char* kProcedures[] = {
    "DOC_DETAIL_WRITE_PROC", "GOODSCHECKSETTINGS_WRITE", "GOODSCHECK_EDIT", "GOOD_DATA",
    "GOODS_TEMP_ADDRECORD",  "DOCUMENTS_ADD_RECORD",     "DOC_WRITE",
};
constexpr int kProcedureCount = static_cast<int>(sizeof(kProcedures) / sizeof(kProcedures[0]));

// The shapes the program calls its own procedures with. A procedure of
// another shape is replaced: the program would fail on every call of it.
constexpr int kDocDetailWriteInputs = 15;
constexpr int kGoodDataOutputs = 8;
constexpr int kDocWriteInputs = 16;

QString resourceText(const QString& name) {
    QFile f(QStringLiteral(":/sql/procedures/") + name + QStringLiteral(".sql"));
    if (!f.open(QIODevice::ReadOnly))
        fb::throwUsage(QStringLiteral("Не найден текст объекта базы данных %1").arg(name));
    return QString::fromUtf8(f.readAll());
}

// One test: its own transaction, which only reads (the engine ends it
// without a write to the disk).
bool test(fb::Connection& c, const std::function<bool(fb::Transaction&)>& probe) {
    fb::Transaction tr(c, fb::Transaction::Access::ReadOnly);
    const bool result = probe(tr);
    tr.commit();
    return result;
}

// One change, committed before anything else looks at the schema again.
void change(fb::Connection& c, const QString& sql) {
    fb::Transaction tr(c);
    tr.executeImmediate(sql);
    tr.commit();
}

// The check of every showing: the tests share one read-only transaction and
// one prepared statement per kind of test, so an up-to-date database costs a
// few index look-ups in the system tables and no write beyond the changes
// made at every showing. Each change has a transaction of its own, committed
// before the next test reads the system tables again (read committed, the
// tests see it), so a failure later on keeps it.
const QList<std::pair<QString, QString>>& deliveredProcedures();

class Check {
public:
    explicit Check(fb::Connection& c)
        : c_(c),
          tr_(c, fb::Transaction::Access::ReadOnly),
          column_(tr_, QStringLiteral("SELECT 1 FROM RDB$RELATION_FIELDS "
                                      "WHERE RDB$RELATION_NAME = ? AND RDB$FIELD_NAME = ?")),
          table_(tr_, QStringLiteral("SELECT 1 FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = ?")),
          procedure_(tr_, QStringLiteral("SELECT RDB$PROCEDURE_INPUTS, RDB$PROCEDURE_OUTPUTS FROM RDB$PROCEDURES "
                                         "WHERE RDB$PROCEDURE_NAME = ?")),
          generator_(tr_, QStringLiteral("SELECT 1 FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME = ?")),
          trigger_(tr_, QStringLiteral("SELECT 1 FROM RDB$TRIGGERS WHERE RDB$TRIGGER_NAME = ?")),
          index_(tr_, QStringLiteral("SELECT 1 FROM RDB$INDICES WHERE RDB$INDEX_NAME = ?")) {}

    void createIndexIfMissing(const char* index, const QString& ddl) {
        if (!any(index_, {QLatin1String(index)})) change(ddl);
    }

    void addColumnIfMissing(const char* table, const char* column, const char* ddl) {
        if (!any(column_, {QLatin1String(table), QLatin1String(column)})) change(QLatin1String(ddl));
    }

    void createTableIfMissing(const char* table, const char* ddl) {
        if (!any(table_, {QLatin1String(table)})) change(QLatin1String(ddl));
    }

    // A delivered procedure is created when missing, never replaced.
    void createDeliveredProceduresIfMissing() {
        bool created = false;
        for (const auto& [name, text] : deliveredProcedures()) {
            procedure_.execute(tr_, {name});
            const bool exists = procedure_.fetch();
            procedure_.closeCursor();
            if (exists) continue;
            change(text);
            created = true;
        }
        if (created) c_.forgetProcedures();
    }

    // A delivered procedure whose stored text still holds `earlier` (blanks
    // and line breaks aside) is the one an earlier version of this program
    // created, and gets the delivered text; one the shop changed is kept.
    void refreshDeliveredProcedure(const QString& name, const QString& earlier) {
        fb::Statement s(tr_,
                        QStringLiteral("SELECT RDB$PROCEDURE_SOURCE FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME = ?"));
        s.execute(tr_, {name});
        const QString source = s.fetch() ? fb::toString(s.row().at(0)) : QString();
        s.closeCursor();
        if (!source.simplified().contains(earlier.simplified())) return;
        try {
            for (const auto& [delivered, text] : deliveredProcedures())
                if (delivered == name) change(text);
        } catch (const fb::Error&) {
            return;  // the earlier text still works as before; tried again at the next start
        }
        c_.forgetProcedures();
    }

    void createProcedureIfMissing(int selector) {
        if (!parameterCounts(selector)) replaceProcedure(selector);
    }

    // A missing procedure counts as one without parameters.
    int inputCount(int selector) { return parameterCounts(selector).value_or(std::pair{0, 0}).first; }
    int outputCount(int selector) { return parameterCounts(selector).value_or(std::pair{0, 0}).second; }

    bool generatorExists(const char* name) { return any(generator_, {QLatin1String(name)}); }
    bool triggerExists(const char* name) { return any(trigger_, {QLatin1String(name)}); }
    bool indexExists(const char* name) { return any(index_, {QLatin1String(name)}); }
    // A test of the data itself, in the check's transaction.
    bool anyRow(const QString& sql) {
        fb::Statement s(tr_, sql);
        return any(s, {});
    }

    void change(const QString& sql) { ::core::change(c_, sql); }

    void replaceProcedure(int selector) { UpgradeDbProcedures(c_, selector); }

    void finish() { tr_.commit(); }

private:
    bool any(fb::Statement& s, std::initializer_list<fb::Value> params) {
        s.execute(tr_, params);
        const bool found = s.fetch();
        s.closeCursor();
        return found;
    }

    // RDB$PROCEDURE_INPUTS and _OUTPUTS (NULL as 0); nullopt when missing.
    std::optional<std::pair<int, int>> parameterCounts(int selector) {
        procedure_.execute(tr_, {procedureName(selector)});
        if (!procedure_.fetch()) return std::nullopt;
        const fb::Row& r = procedure_.row();
        const std::pair<int, int> counts{static_cast<int>(fb::toInt64(r.at(0)).value_or(0)),
                                         static_cast<int>(fb::toInt64(r.at(1)).value_or(0))};
        procedure_.closeCursor();
        return counts;
    }

    fb::Connection& c_;
    fb::Transaction tr_;
    fb::Statement column_;
    fb::Statement table_;
    fb::Statement procedure_;
    fb::Statement generator_;
    fb::Statement trigger_;
    fb::Statement index_;
};

// Counterparties of the old layout (seven columns) gain the kind flags, and
// their data is converted once: every existing counterparty becomes a
// supplier, and the meaning of SU_WORK is turned round (an old 0, null or 2
// is active, an old 1 inactive, anything else stays). A table of any other
// layout is never touched: its flags and SU_WORK already mean what this
// version means by them.
//
// The engine cannot fill a column in the transaction that adds it, so the
// conversion takes two commits. The first swaps SU_WORK, adds the columns
// and marks SU_SUPPLIER as not yet filled (its description); the second
// fills SU_SUPPLIER and clears the mark. Either commits whole, so a run
// interrupted between them leaves the mark, and the next run does the
// second step alone.
void upgradeSuppliers(fb::Connection& c) {
    int columns = 0;
    bool pending = false;
    test(c, [&](fb::Transaction& tr) {
        const auto r = fb::queryOne(
            tr, QStringLiteral("SELECT COUNT(*) AS CF, MAX(CASE WHEN RDB$FIELD_NAME = 'SU_SUPPLIER' AND "
                               "RDB$DESCRIPTION = '%1' THEN 1 ELSE 0 END) AS PENDING FROM RDB$RELATION_FIELDS "
                               "WHERE RDB$RELATION_NAME = 'SUPPLIERS'")
                    .arg(kSupplierConversionMark));
        columns = r ? r->integer(QStringLiteral("CF")) : 0;
        pending = r && r->integer(QStringLiteral("PENDING")) == 1;
        return true;
    });
    if (columns == 7) {
        fb::Transaction tr(c);
        tr.executeImmediate(QStringLiteral("UPDATE SUPPLIERS SET SU_WORK = CASE WHEN COALESCE(SU_WORK, 0) IN (0, 2) "
                                           "THEN 1 WHEN SU_WORK = 1 THEN 0 ELSE SU_WORK END"));
        tr.executeImmediate(QStringLiteral("ALTER TABLE SUPPLIERS ADD SU_MOBILTEL VARCHAR(10), ADD SU_SUPPLIER "
                                           "SMALLINT, ADD SU_BUYER SMALLINT, ADD SU_LOYALTYPROG SMALLINT;"));
        tr.executeImmediate(
            QStringLiteral("COMMENT ON COLUMN SUPPLIERS.SU_SUPPLIER IS '%1'").arg(kSupplierConversionMark));
        tr.commit();
        pending = true;
    }
    if (!pending) return;
    fb::Transaction tr(c);
    tr.executeImmediate(QStringLiteral("UPDATE SUPPLIERS SET SU_SUPPLIER=1;"));
    tr.executeImmediate(QStringLiteral("COMMENT ON COLUMN SUPPLIERS.SU_SUPPLIER IS NULL"));
    tr.commit();
}

// The procedures a delivered database holds, with their texts. A database
// made by an earlier version of this program lacks those added since (the
// stock documents' and the correction receipts' among them): each missing
// one is created from the delivered script; existing ones are the
// database's own and are never replaced. Read once, since every showing of
// the main screen checks them.
const QList<std::pair<QString, QString>>& deliveredProcedures() {
    static const QList<std::pair<QString, QString>> list = [] {
        QList<std::pair<QString, QString>> out;
        static const QRegularExpression head(QStringLiteral("\\bCREATE\\s+OR\\s+ALTER\\s+PROCEDURE\\s+(\\w+)"),
                                             QRegularExpression::CaseInsensitiveOption);
        for (const char* script : {":/sql/02_procedures.sql", ":/sql/03_correction_procedures.sql",
                                   ":/sql/04_catalogue_procedures.sql", ":/sql/05_partner_procedures.sql"}) {
            QFile f(QString::fromLatin1(script));
            if (!f.open(QIODevice::ReadOnly)) continue;
            for (const QString& statement : fb::splitScript(QString::fromUtf8(f.readAll()))) {
                const auto m = head.match(statement);
                if (m.hasMatch()) out.append({m.captured(1).toUpper(), statement});
            }
        }
        return out;
    }();
    return list;
}

}  // namespace

QString procedureName(int selector) {
    if (selector < 1 || selector > kProcedureCount) return {};
    return QLatin1String(kProcedures[selector - 1]);
}

QString procedureText(int selector) {
    const QString name = procedureName(selector);
    return name.isEmpty() ? QString() : resourceText(name);
}

QString goodsTempTriggerText() { return resourceText(QStringLiteral("GOODS_TEMP_BI")); }

void UpgradeDbProcedures(fb::Connection& connection, int selector) {
    const QString text = procedureText(selector);
    if (text.isEmpty()) return;
    connection.ensureConnected();
    change(connection, text);
    connection.forgetProcedures();
}

// Receipts grow by the day, not in bulk, so nothing recomputes their index
// figures the way a goods import or a posting does: figures made when the
// archive held a few receipts would keep telling the planner it still does.
// The sequence says how many receipts there are now without counting them,
// and the primary key's selectivity how many there were when the figures
// were made; when the archive has more than doubled they are made again.
void refreshGrownArchiveStatistics(fb::Connection& c) {
    double selectivity = 0;
    std::int64_t receipts = 0;
    {
        fb::Transaction tr(c, fb::Transaction::Access::ReadOnly);
        const auto key = fb::queryOne(
            tr, QStringLiteral("SELECT I.RDB$STATISTICS FROM RDB$RELATION_CONSTRAINTS RC "
                               "JOIN RDB$INDICES I ON I.RDB$INDEX_NAME = RC.RDB$INDEX_NAME "
                               "WHERE RC.RDB$RELATION_NAME = 'DOCUMENTS' AND RC.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY'"));
        const auto sequence = fb::queryOne(tr, QStringLiteral("SELECT GEN_ID(GEN_DOC_ID, 0) FROM RDB$DATABASE"));
        tr.commit();
        if (key) selectivity = fb::toDouble(key->at(0)).value_or(0);
        if (sequence) receipts = fb::toInt64(sequence->at(0)).value_or(0);
    }
    // Never computed: the refresh of stale figures takes those.
    if (selectivity <= 0) return;
    const double then = 1.0 / selectivity;
    if (double(receipts) > 2 * then + 1000)
        fb::meta::refreshIndexStatistics(c, {QStringLiteral("DOCUMENTS"), QStringLiteral("DOCUMENTS_DETAIL")});
}

namespace {

// A fiscal sign as a number: blanks and leading zeros dropped; empty for
// a text that is no number.
QString signNumber(QString text) {
    text.remove(QLatin1Char(' '));
    if (text.isEmpty() || text.size() > 15) return {};
    for (const QChar ch : text)
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) return {};
    while (text.size() > 1 && text.startsWith(QLatin1Char('0'))) text.remove(0, 1);
    return text;
}

// Returns stored with only the sale's sign get the sale's DOC_ID when that
// sign names exactly one stored sale; the others stay unlinked and are
// counted against no sale.
void linkReturnsToSales(fb::Connection& c) {
    fb::Transaction tr(c);
    std::vector<std::pair<std::int64_t, QString>> unlinked;
    for (const fb::Row& r : fb::query(tr, QStringLiteral("SELECT DOC_ID, DOC_REFUND_FPD FROM DOCUMENTS "
                                                         "WHERE DOC_REFUND_DOC_ID IS NULL AND DOC_REFUND_FPD IS NOT NULL "
                                                         "AND DOC_TYPE = 3 AND DOC_CHECK_TYPE = 2")))
        unlinked.emplace_back(r.integer(QStringLiteral("DOC_ID")), signNumber(r.str(QStringLiteral("DOC_REFUND_FPD"))));
    if (unlinked.empty()) {
        tr.commit();
        return;
    }
    // Every start walks the returns still unlinked: prepared once, not once a return.
    fb::Statement findSales(tr, QStringLiteral("SELECT DOC_ID, DOC_FPD FROM DOCUMENTS "
                                               "WHERE (DOC_FPD = ? OR DOC_FPD = ?) AND DOC_TYPE = 3 AND DOC_CHECK_TYPE = 1"));
    fb::Statement link(tr, QStringLiteral("UPDATE DOCUMENTS SET DOC_REFUND_DOC_ID = ? WHERE DOC_ID = ?"));
    for (const auto& [docId, sign] : unlinked) {
        if (sign.isEmpty()) continue;
        std::vector<std::int64_t> sales;
        findSales.execute(tr, {sign, sign.rightJustified(10, QLatin1Char('0'))});
        while (findSales.fetch()) {
            const fb::Row& r = findSales.row();
            if (signNumber(r.str(QStringLiteral("DOC_FPD"))) == sign)
                sales.push_back(r.integer(QStringLiteral("DOC_ID")));
        }
        if (sales.size() == 1) link.execute(tr, {sales.front(), docId});
    }
    tr.commit();
}

}  // namespace

SchemaUpgradeResult SchemaUpgrade(fb::Connection& connection) {
    fb::Connection& c = connection;
    c.ensureConnected();
    Check u(c);

    // Receipts: goods-check number and prefix, tax system.
    u.addColumnIfMissing("DOCUMENTS", "DOC_GC_NUMBER", "ALTER TABLE DOCUMENTS  ADD DOC_GC_NUMBER INTEGER;");
    u.addColumnIfMissing("DOCUMENTS", "DOC_GC_PREFNUMBER", "ALTER TABLE DOCUMENTS  ADD DOC_GC_PREFNUMBER VARCHAR(10);");
    u.addColumnIfMissing("DOCUMENTS", "DOC_SNO", "ALTER TABLE DOCUMENTS  ADD DOC_SNO SMALLINT;");
    // A sale return keeps the fiscal sign of the sale it refunds, so that
    // what is left to return of that sale can be known.
    u.addColumnIfMissing("DOCUMENTS", "DOC_REFUND_FPD", "ALTER TABLE DOCUMENTS  ADD DOC_REFUND_FPD VARCHAR(15);");
    // ...and the sale's DOC_ID: a sign is a number written as text, and two
    // sales may carry the same one.
    u.addColumnIfMissing("DOCUMENTS", "DOC_REFUND_DOC_ID", "ALTER TABLE DOCUMENTS  ADD DOC_REFUND_DOC_ID INTEGER;");

    // Receipt lines: marking, unit, VAT, country, fractions of a pack.
    struct Column {
        const char* name;
        const char* ddl;
    };
    static constexpr Column detailColumns[] = {
        {"DD_GTIN", "ALTER TABLE DOCUMENTS_DETAIL ADD DD_GTIN VARCHAR(14);"},
        {"DD_SERIAL_GTIN", "ALTER TABLE DOCUMENTS_DETAIL ADD DD_SERIAL_GTIN VARCHAR(14);"},
        {"DD_DM_FULL", "ALTER TABLE DOCUMENTS_DETAIL ADD DD_DM_FULL VARCHAR(150);"},
        {"DD_MARKTYPE", "ALTER TABLE DOCUMENTS_DETAIL ADD DD_MARKTYPE SMALLINT;"},
        {"DD_GOOD_EDIZM", "ALTER TABLE DOCUMENTS_DETAIL ADD DD_GOOD_EDIZM SMALLINT;"},
        {"DD_TAXRATE", "ALTER TABLE DOCUMENTS_DETAIL ADD DD_TAXRATE SMALLINT;"},
        {"DD_COUNTRY_CODE", "ALTER TABLE DOCUMENTS_DETAIL ADD DD_COUNTRY_CODE SMALLINT;"},
        {"DD_FRACTIONAL_COUNT", "ALTER TABLE DOCUMENTS_DETAIL ADD DD_FRACTIONAL_COUNT VARCHAR(15);"},
    };
    for (const Column& col : detailColumns) u.addColumnIfMissing("DOCUMENTS_DETAIL", col.name, col.ddl);

    if (u.inputCount(ProcDocDetailWrite) != kDocDetailWriteInputs) u.replaceProcedure(ProcDocDetailWrite);
    if (u.outputCount(ProcGoodData) < kGoodDataOutputs) u.replaceProcedure(ProcGoodData);

    u.createTableIfMissing("GOODSCHECK_SETTINGS",
                           "CREATE TABLE GOODSCHECK_SETTINGS (  HEAD_ROW1 VARCHAR(100), HEAD_ROW2 VARCHAR(100),  "
                           "HEAD_ROW3 VARCHAR(100), HEAD_ADDRESS VARCHAR(100),  GC_NUMBERPREF VARCHAR(10), "
                           "GC_NUMBER INTEGER );");
    u.createProcedureIfMissing(ProcGoodsCheckSettingsWrite);
    u.createProcedureIfMissing(ProcDocumentsAddRecord);
    u.createTableIfMissing("GOODSCHECK",
                           "CREATE TABLE GOODSCHECK (NUMPOS INTEGER, G_CODE INTEGER, G_ART VARCHAR(15), "
                           "G_NAME VARCHAR(80), G_PRICE VARCHAR(15), G_SUMM VARCHAR(15), G_COUNT VARCHAR(15), "
                           "G_EDIZM VARCHAR(10));");
    u.createProcedureIfMissing(ProcGoodsCheckEdit);

    upgradeSuppliers(c);

    // The working goods list starts empty at every show: a list of the usual
    // size is emptied here, a long one's rest after the check (below).
    const bool workingListLeft = emptyWorkingListBatch(c);
    u.addColumnIfMissing("GOODS_TEMP", "G_BARCODE", "ALTER TABLE GOODS_TEMP ADD G_BARCODE VARCHAR(32);");
    u.addColumnIfMissing("GOODS_TEMP", "G_RECORD_ID", "ALTER TABLE GOODS_TEMP ADD G_RECORD_ID INTEGER;");

    // ...and numbers its rows from 1 again.
    u.change(u.generatorExists("GEN_RECORD_ID") ? QStringLiteral("ALTER SEQUENCE GEN_RECORD_ID RESTART WITH 0;")
                                                : QStringLiteral("CREATE SEQUENCE GEN_RECORD_ID;"));
    if (!u.triggerExists("GOODS_TEMP_BI")) u.change(goodsTempTriggerText());
    u.createProcedureIfMissing(ProcGoodsTempAddRecord);

    u.createTableIfMissing("OPTIONS", "CREATE TABLE OPTIONS (OPTION_NAME VARCHAR(30), OPTION_VALUE VARCHAR(30));");
    u.createTableIfMissing("QUANTITYMEASURESUSED",
                           "CREATE TABLE QUANTITYMEASURESUSED ( QMU_ORDERNUMBER SMALLINT, QMU_PRINTVALUE VARCHAR(10),  "
                           "QMU_FFDVALUE SMALLINT, QMU_DESCRIPTION VARCHAR(150));");

    u.addColumnIfMissing("GOODS", "GOOD_EDIZM_FFD", "ALTER TABLE GOODS ADD GOOD_EDIZM_FFD SMALLINT;");
    u.addColumnIfMissing("GOODS", "GOOD_PACKCOUNT", "ALTER TABLE GOODS ADD GOOD_PACKCOUNT INTEGER;");

    // A country code names one country. An older database may hold a code
    // twice: it keeps working without the index (the country dialog refuses
    // a taken code, the lists show each goods item once) and gets the index
    // at the first start after the repeats are gone.
    if (!u.indexExists("IX_COUNTRIES_CODE") &&
        !u.anyRow(QStringLiteral("SELECT FIRST 1 1 FROM COUNTRIES GROUP BY COUNTRY_CODE HAVING COUNT(*) > 1")))
        u.change(QStringLiteral("CREATE UNIQUE INDEX IX_COUNTRIES_CODE ON COUNTRIES (COUNTRY_CODE);"));

    // A receipt is stored through DOC_WRITE: one of another shape would make
    // every printed receipt fail to store.
    if (u.inputCount(ProcDocWrite) != kDocWriteInputs) u.replaceProcedure(ProcDocWrite);

    u.createDeliveredProceduresIfMissing();
    // Stock posting once read the old stock as a number even for an
    // inventory, which replaces it, so another program's text in GOOD_COUNT
    // stopped the inventory.
    u.refreshDeliveredProcedure(
        QStringLiteral("DOC_GOODMOVE_SAVE"),
        QStringLiteral("OLD_QTY = CAST(COALESCE(NULLIF(TRIM(REPLACE(OLD_TEXT, ',', '.')), ''), '0') AS DECIMAL(15,3)); "
                       "IF (I_DT = 50) THEN NEW_TEXT = CAST(QTY AS VARCHAR(20));"));

    // The catalogue's name filters ("starts with" through the upper-cased
    // name) and its order by name, for databases made before them.
    u.createIndexIfMissing("IX_GOODS_NAME", "CREATE INDEX IX_GOODS_NAME ON GOODS (GOOD_NAME);");
    u.createIndexIfMissing("IX_GOODS_NAME_UPPER",
                           "CREATE INDEX IX_GOODS_NAME_UPPER ON GOODS COMPUTED BY (UPPER(GOOD_NAME));");
    // The returns of one sale, found by its fiscal sign.
    u.createIndexIfMissing("IX_DOCUMENTS_REFUND_FPD",
                           "CREATE INDEX IX_DOCUMENTS_REFUND_FPD ON DOCUMENTS (DOC_REFUND_FPD);");
    u.createIndexIfMissing("IX_DOCUMENTS_REFUND_DOC",
                           "CREATE INDEX IX_DOCUMENTS_REFUND_DOC ON DOCUMENTS (DOC_REFUND_DOC_ID);");
    // A scan looks its code up without leading zeros on either side.
    u.createIndexIfMissing("IX_GOODS_BARCODE_STRIPPED",
                           "CREATE INDEX IX_GOODS_BARCODE_STRIPPED ON GOODS_BARCODE "
                           "COMPUTED BY (TRIM(LEADING '0' FROM GOOD_BARCODE));");
    // The lists' orders by name: the catalogue's first opening and the
    // name-then-price order of the catalogue and the name search, so that
    // their first screen is read in order instead of sorting every goods item.
    u.createIndexIfMissing("IX_GOODS_NAME_CYRL", kGoodsNameCyrlIndex);
    u.createIndexIfMissing("IX_GOODS_NAME_PRICE", QStringLiteral("CREATE INDEX IX_GOODS_NAME_PRICE ON GOODS "
                                                                 "COMPUTED BY (") +
                                                      kGoodsNamePriceKey + QStringLiteral(");"));
    // A goods code is kept while a receipt or a stock document names it:
    // the catalogue asks for one line of a code, never walks every line.
    u.createIndexIfMissing("IX_DOCUMENTS_DETAIL_GOOD",
                           "CREATE INDEX IX_DOCUMENTS_DETAIL_GOOD ON DOCUMENTS_DETAIL (DD_GOOD_ID);");
    // The receipt search's newest-first list is read in this order, so its
    // first screen does not sort the whole archive.
    u.createIndexIfMissing("IX_DOCUMENTS_TYPE_NEWEST", "CREATE DESCENDING INDEX IX_DOCUMENTS_TYPE_NEWEST ON DOCUMENTS "
                                                       "(DOC_TYPE, DOC_DATE_D, DOC_TIME_T);");

    u.finish();
    linkReturnsToSales(c);
    // Indexes made on empty tables tell the planner nothing: after a year
    // of sales it would walk the archive instead of looking a receipt up.
    // Figures that cannot be computed now (another attachment's lock, a user
    // who may not) leave the schema usable: the next login tries again.
    try {
        fb::meta::refreshStaleIndexStatistics(connection);
        refreshGrownArchiveStatistics(connection);
    } catch (const fb::Error&) {
    }
    if (workingListLeft) emptyWorkingListInBackground(c);
    return SchemaUpgradeResult{};
}

}  // namespace core
