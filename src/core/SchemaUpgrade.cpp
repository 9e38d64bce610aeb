#include "SchemaUpgrade.h"

#include "platform/db/Connection.h"
#include "platform/db/Error.h"
#include "platform/db/Metadata.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QFile>

#include <functional>

namespace core {

namespace {

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

// One test: its own transaction, nothing changed.
bool test(fb::Connection& c, const std::function<bool(fb::Transaction&)>& probe) {
    fb::Transaction tr(c);
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

void addColumnIfMissing(fb::Connection& c, const char* table, const char* column, const char* ddl) {
    const bool missing = test(c, [&](fb::Transaction& tr) {
        return !fb::meta::columnExists(tr, QLatin1String(table), QLatin1String(column));
    });
    if (missing) change(c, QLatin1String(ddl));
}

void createTableIfMissing(fb::Connection& c, const char* table, const char* ddl) {
    const bool missing =
        test(c, [&](fb::Transaction& tr) { return !fb::meta::tableExists(tr, QLatin1String(table)); });
    if (missing) change(c, QLatin1String(ddl));
}

void createProcedureIfMissing(fb::Connection& c, int selector) {
    const bool missing = test(c, [&](fb::Transaction& tr) {
        return !fb::meta::procedureExists(tr, procedureName(selector));
    });
    if (missing) UpgradeDbProcedures(c, selector);
}

// A missing procedure counts as one without parameters.
int inputCount(fb::Connection& c, int selector) {
    int n = 0;
    test(c, [&](fb::Transaction& tr) {
        n = fb::meta::procedureInputCount(tr, procedureName(selector)).value_or(0);
        return true;
    });
    return n;
}

int outputCount(fb::Connection& c, int selector) {
    int n = 0;
    test(c, [&](fb::Transaction& tr) {
        n = fb::meta::procedureOutputCount(tr, procedureName(selector)).value_or(0);
        return true;
    });
    return n;
}

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

SchemaUpgradeResult SchemaUpgrade(fb::Connection& connection) {
    fb::Connection& c = connection;
    c.ensureConnected();

    // Receipts: goods-check number and prefix, tax system.
    addColumnIfMissing(c, "DOCUMENTS", "DOC_GC_NUMBER", "ALTER TABLE DOCUMENTS  ADD DOC_GC_NUMBER INTEGER;");
    addColumnIfMissing(c, "DOCUMENTS", "DOC_GC_PREFNUMBER", "ALTER TABLE DOCUMENTS  ADD DOC_GC_PREFNUMBER VARCHAR(10);");
    addColumnIfMissing(c, "DOCUMENTS", "DOC_SNO", "ALTER TABLE DOCUMENTS  ADD DOC_SNO SMALLINT;");

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
    for (const Column& col : detailColumns) addColumnIfMissing(c, "DOCUMENTS_DETAIL", col.name, col.ddl);

    if (inputCount(c, ProcDocDetailWrite) != kDocDetailWriteInputs) UpgradeDbProcedures(c, ProcDocDetailWrite);
    if (outputCount(c, ProcGoodData) < kGoodDataOutputs) UpgradeDbProcedures(c, ProcGoodData);

    createTableIfMissing(c, "GOODSCHECK_SETTINGS",
                         "CREATE TABLE GOODSCHECK_SETTINGS (  HEAD_ROW1 VARCHAR(100), HEAD_ROW2 VARCHAR(100),  "
                         "HEAD_ROW3 VARCHAR(100), HEAD_ADDRESS VARCHAR(100),  GC_NUMBERPREF VARCHAR(10), "
                         "GC_NUMBER INTEGER );");
    createProcedureIfMissing(c, ProcGoodsCheckSettingsWrite);
    createProcedureIfMissing(c, ProcDocumentsAddRecord);
    createTableIfMissing(c, "GOODSCHECK",
                         "CREATE TABLE GOODSCHECK (NUMPOS INTEGER, G_CODE INTEGER, G_ART VARCHAR(15), "
                         "G_NAME VARCHAR(80), G_PRICE VARCHAR(15), G_SUMM VARCHAR(15), G_COUNT VARCHAR(15), "
                         "G_EDIZM VARCHAR(10));");
    createProcedureIfMissing(c, ProcGoodsCheckEdit);

    upgradeSuppliers(c);

    // The working goods list starts empty at every show.
    change(c, QStringLiteral("DELETE FROM GOODS_TEMP;"));
    addColumnIfMissing(c, "GOODS_TEMP", "G_BARCODE", "ALTER TABLE GOODS_TEMP ADD G_BARCODE VARCHAR(32);");
    addColumnIfMissing(c, "GOODS_TEMP", "G_RECORD_ID", "ALTER TABLE GOODS_TEMP ADD G_RECORD_ID INTEGER;");

    // ...and numbers its rows from 1 again.
    const bool sequenceExists =
        test(c, [](fb::Transaction& tr) { return fb::meta::generatorExists(tr, "GEN_RECORD_ID"); });
    change(c, sequenceExists ? QStringLiteral("ALTER SEQUENCE GEN_RECORD_ID RESTART WITH 0;")
                             : QStringLiteral("CREATE SEQUENCE GEN_RECORD_ID;"));
    const bool triggerMissing =
        test(c, [](fb::Transaction& tr) { return !fb::meta::triggerExists(tr, "GOODS_TEMP_BI"); });
    if (triggerMissing) change(c, goodsTempTriggerText());
    createProcedureIfMissing(c, ProcGoodsTempAddRecord);

    createTableIfMissing(c, "OPTIONS", "CREATE TABLE OPTIONS (OPTION_NAME VARCHAR(30), OPTION_VALUE VARCHAR(30));");
    createTableIfMissing(c, "QUANTITYMEASURESUSED",
                         "CREATE TABLE QUANTITYMEASURESUSED ( QMU_ORDERNUMBER SMALLINT, QMU_PRINTVALUE VARCHAR(10),  "
                         "QMU_FFDVALUE SMALLINT, QMU_DESCRIPTION VARCHAR(150));");

    addColumnIfMissing(c, "GOODS", "GOOD_EDIZM_FFD", "ALTER TABLE GOODS ADD GOOD_EDIZM_FFD SMALLINT;");
    addColumnIfMissing(c, "GOODS", "GOOD_PACKCOUNT", "ALTER TABLE GOODS ADD GOOD_PACKCOUNT INTEGER;");

    // A receipt is stored through DOC_WRITE: one of another shape would make
    // every printed receipt fail to store.
    if (inputCount(c, ProcDocWrite) != kDocWriteInputs) UpgradeDbProcedures(c, ProcDocWrite);

    return SchemaUpgradeResult{};
}

}  // namespace core
