// The schema upgrade against real databases: the old layout a shop's
// database may still have, a database already upgraded, and one where a
// step fails half way; and the program's own procedures as the receipt,
// the goods check and the working goods list call them.
#include "support/DbFixture.h"
#include "support/UpgradedDbFixture.h"

#include "core/SchemaUpgrade.h"
#include "core/WorkingList.h"
#include "platform/db/Error.h"
#include "platform/db/Metadata.h"
#include "platform/db/Procedure.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

using testsupport::DbTest;
using testsupport::UpgradedDbTest;

namespace {

std::string s(const QString& text) { return text.toStdString(); }
QString operator""_q(const char* text, size_t n) { return QString::fromUtf8(text, static_cast<qsizetype>(n)); }

QString typeName(const fb::Row& r) {
    const int len = r.integer(QStringLiteral("CL"));
    switch (r.integer(QStringLiteral("FT"))) {
    case 7: return QStringLiteral("SMALLINT");
    case 8: return QStringLiteral("INTEGER");
    case 14: return QStringLiteral("CHAR(%1)").arg(len);
    case 37: return QStringLiteral("VARCHAR(%1)").arg(len);
    default: return QStringLiteral("TYPE%1").arg(r.integer(QStringLiteral("FT")));
    }
}

// "NAME TYPE" of every column of a table, in column order.
QStringList columnsWithTypes(fb::Transaction& tr, const QString& table) {
    QStringList out;
    for (const fb::Row& r : fb::query(tr,
                                      QStringLiteral("SELECT TRIM(rf.RDB$FIELD_NAME) AS NAME, f.RDB$FIELD_TYPE AS FT, "
                                                     "f.RDB$CHARACTER_LENGTH AS CL FROM RDB$RELATION_FIELDS rf "
                                                     "JOIN RDB$FIELDS f ON f.RDB$FIELD_NAME = rf.RDB$FIELD_SOURCE "
                                                     "WHERE rf.RDB$RELATION_NAME = ? ORDER BY rf.RDB$FIELD_POSITION"),
                                      {table}))
        out << r.str(QStringLiteral("NAME")) + QLatin1Char(' ') + typeName(r);
    return out;
}

// "NAME TYPE, ..." of a procedure's inputs (kind 0) or outputs (kind 1).
std::string signature(fb::Transaction& tr, const QString& procedure, int kind) {
    QStringList out;
    for (const fb::Row& r :
         fb::query(tr,
                   QStringLiteral("SELECT TRIM(pp.RDB$PARAMETER_NAME) AS NAME, f.RDB$FIELD_TYPE AS FT, "
                                  "f.RDB$CHARACTER_LENGTH AS CL FROM RDB$PROCEDURE_PARAMETERS pp "
                                  "JOIN RDB$FIELDS f ON f.RDB$FIELD_NAME = pp.RDB$FIELD_SOURCE "
                                  "WHERE pp.RDB$PROCEDURE_NAME = ? AND pp.RDB$PARAMETER_TYPE = ? "
                                  "ORDER BY pp.RDB$PARAMETER_NUMBER"),
                   {procedure, std::int64_t{kind}}))
        out << r.str(QStringLiteral("NAME")) + QLatin1Char(' ') + typeName(r);
    return s(out.join(QStringLiteral(", ")));
}

QString procedureSource(fb::Transaction& tr, const QString& procedure) {
    const auto r = fb::queryOne(
        tr, QStringLiteral("SELECT RDB$PROCEDURE_SOURCE FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME = ?"), {procedure});
    return r ? fb::toString(r->at(0)) : QString();
}

// Everything a schema change would show: tables with their format version,
// columns with types, procedures with parameters and source, triggers with
// source, sequences by name (their value is restarted on purpose).
QStringList metadataSnapshot(fb::Connection& c) {
    fb::Transaction tr(c);
    QStringList out;
    for (const fb::Row& r : fb::query(tr, QStringLiteral("SELECT TRIM(RDB$RELATION_NAME) AS N, RDB$FORMAT AS F "
                                                         "FROM RDB$RELATIONS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 "
                                                         "ORDER BY 1"))) {
        out << QStringLiteral("table %1 format %2").arg(r.str("N"), r.str("F"));
        for (const QString& col : columnsWithTypes(tr, r.str("N"))) out << QStringLiteral("  ") + col;
    }
    for (const fb::Row& r : fb::query(tr, QStringLiteral("SELECT TRIM(RDB$PROCEDURE_NAME) AS N, RDB$PROCEDURE_SOURCE AS S "
                                                         "FROM RDB$PROCEDURES WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 "
                                                         "ORDER BY 1"))) {
        out << QStringLiteral("procedure ") + r.str("N") + QLatin1Char(' ') +
                   QString::fromStdString(signature(tr, r.str("N"), 0)) + QStringLiteral(" -> ") +
                   QString::fromStdString(signature(tr, r.str("N"), 1));
        out << r.str("S");
    }
    for (const fb::Row& r : fb::query(tr, QStringLiteral("SELECT TRIM(RDB$TRIGGER_NAME) AS N, RDB$RELATION_NAME AS R, "
                                                         "RDB$TRIGGER_TYPE AS T, RDB$TRIGGER_SEQUENCE AS Q, "
                                                         "RDB$TRIGGER_SOURCE AS S FROM RDB$TRIGGERS "
                                                         "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 1")))
        out << QStringLiteral("trigger %1 %2 %3 %4").arg(r.str("N"), r.str("R").trimmed(), r.str("T"), r.str("Q"))
            << r.str("S");
    for (const fb::Row& r : fb::query(tr, QStringLiteral("SELECT TRIM(RDB$GENERATOR_NAME) AS N FROM RDB$GENERATORS "
                                                         "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 1")))
        out << QStringLiteral("sequence ") + r.str("N");
    tr.commit();
    return out;
}

// Every object the upgrade is responsible for, with the types and
// parameter lists the program relies on.
void expectUpgradedSchema(fb::Connection& c) {
    fb::Transaction tr(c);

    const std::map<QString, QStringList> addedColumns = {
        {"DOCUMENTS", {"DOC_GC_NUMBER INTEGER", "DOC_GC_PREFNUMBER VARCHAR(10)", "DOC_SNO SMALLINT",
                       "DOC_REFUND_FPD VARCHAR(15)", "DOC_REFUND_DOC_ID INTEGER"}},
        {"DOCUMENTS_DETAIL",
         {"DD_GTIN VARCHAR(14)", "DD_SERIAL_GTIN VARCHAR(14)", "DD_DM_FULL VARCHAR(150)", "DD_MARKTYPE SMALLINT",
          "DD_GOOD_EDIZM SMALLINT", "DD_TAXRATE SMALLINT", "DD_COUNTRY_CODE SMALLINT", "DD_FRACTIONAL_COUNT VARCHAR(15)"}},
        {"GOODS_TEMP", {"G_BARCODE VARCHAR(32)", "G_RECORD_ID INTEGER"}},
        {"GOODS", {"GOOD_EDIZM_FFD SMALLINT", "GOOD_PACKCOUNT INTEGER"}},
        {"SUPPLIERS", {"SU_MOBILTEL VARCHAR(10)", "SU_SUPPLIER SMALLINT", "SU_BUYER SMALLINT", "SU_LOYALTYPROG SMALLINT"}},
    };
    for (const auto& [table, cols] : addedColumns) {
        const QStringList have = columnsWithTypes(tr, table);
        for (const QString& col : cols) EXPECT_TRUE(have.contains(col)) << s(table) << " lacks " << s(col);
    }

    const std::map<QString, QStringList> createdTables = {
        {"GOODSCHECK_SETTINGS",
         {"HEAD_ROW1 VARCHAR(100)", "HEAD_ROW2 VARCHAR(100)", "HEAD_ROW3 VARCHAR(100)", "HEAD_ADDRESS VARCHAR(100)",
          "GC_NUMBERPREF VARCHAR(10)", "GC_NUMBER INTEGER"}},
        {"GOODSCHECK",
         {"NUMPOS INTEGER", "G_CODE INTEGER", "G_ART VARCHAR(15)", "G_NAME VARCHAR(80)", "G_PRICE VARCHAR(15)",
          "G_SUMM VARCHAR(15)", "G_COUNT VARCHAR(15)", "G_EDIZM VARCHAR(10)"}},
        {"OPTIONS", {"OPTION_NAME VARCHAR(30)", "OPTION_VALUE VARCHAR(30)"}},
        {"QUANTITYMEASURESUSED",
         {"QMU_ORDERNUMBER SMALLINT", "QMU_PRINTVALUE VARCHAR(10)", "QMU_FFDVALUE SMALLINT",
          "QMU_DESCRIPTION VARCHAR(150)"}},
    };
    for (const auto& [table, cols] : createdTables)
        EXPECT_EQ(s(columnsWithTypes(tr, table).join(", ")), s(cols.join(", "))) << s(table);

    EXPECT_TRUE(fb::meta::generatorExists(tr, "GEN_RECORD_ID"));
    const auto trig = fb::queryOne(tr, QStringLiteral("SELECT TRIM(RDB$RELATION_NAME) AS R, RDB$TRIGGER_TYPE AS T, "
                                                      "RDB$TRIGGER_SEQUENCE AS Q, COALESCE(RDB$TRIGGER_INACTIVE, 0) AS I "
                                                      "FROM RDB$TRIGGERS WHERE RDB$TRIGGER_NAME = 'GOODS_TEMP_BI'"));
    ASSERT_TRUE(trig);
    EXPECT_EQ(s(trig->str("R")), "GOODS_TEMP");
    EXPECT_EQ(trig->integer("T"), 1);  // before insert
    EXPECT_EQ(trig->integer("Q"), 0);
    EXPECT_EQ(trig->integer("I"), 0);

    struct Proc {
        const char* name;
        int inputs;
        int outputs;
        std::string in;
        std::string out;
    };
    const std::vector<Proc> procedures = {
        {"DOC_DETAIL_WRITE_PROC", 15, 0,
         "I_DOC_ID INTEGER, I_GOOD_ID INTEGER, I_GOOD_NAME VARCHAR(80), I_GOOD_TYPE VARCHAR(5), "
         "I_GOOD_PRICE_MAIN VARCHAR(10), I_GOOD_PRICE_CURRENT VARCHAR(10), I_GOOD_COUNT VARCHAR(10), "
         "I_GOOD_EDIZM SMALLINT, I_GOOD_PAYTYPE INTEGER, I_CHECKTYPE INTEGER, I_DECLAR VARCHAR(32), "
         "I_GTIN VARCHAR(14), I_SERIAL_GTIN VARCHAR(14), I_DM_FULL VARCHAR(150), I_MARKTYPE SMALLINT",
         ""},
        {"GOODSCHECKSETTINGS_WRITE", 6, 0,
         "I_HROW1 VARCHAR(100), I_HROW2 VARCHAR(100), I_HROW3 VARCHAR(100), I_HADDR VARCHAR(100), "
         "I_NUMPREF VARCHAR(10), I_NUMBER INTEGER",
         ""},
        {"GOODSCHECK_EDIT", 9, 0,
         "I_MODE INTEGER, I_NUMPOS INTEGER, I_CODE INTEGER, I_ART VARCHAR(15), I_NAME VARCHAR(80), "
         "I_PRICE VARCHAR(15), I_SUMM VARCHAR(15), I_COUNT VARCHAR(15), I_EDIZM VARCHAR(10)",
         ""},
        {"GOOD_DATA", 1, 8, "I_ID INTEGER",
         "O_NAME VARCHAR(80), O_PRICE VARCHAR(10), O_W SMALLINT, O_TYPE VARCHAR(5), O_EDIZM VARCHAR(10), "
         "O_COUNTRY CHAR(3), O_MARKTYPE SMALLINT, O_NALOG VARCHAR(8)"},
        {"GOODS_TEMP_ADDRECORD", 7, 0,
         "I_ID INTEGER, I_NAME VARCHAR(80), I_PRICE VARCHAR(10), I_EDIZM VARCHAR(10), I_COUNTRY VARCHAR(32), "
         "I_DECLAR_NUMBER VARCHAR(32), I_BARCODE VARCHAR(32)",
         ""},
        {"DOCUMENTS_ADD_RECORD", 0, 1, "", "O_DOC_ID INTEGER"},
        {"DOC_WRITE", 16, 1,
         "I_DOC_TYPE INTEGER, I_DOC_CHECKTYPE INTEGER, I_DOC_NUMBER INTEGER, I_DOC_FPD VARCHAR(15), "
         "I_DOC_DATE VARCHAR(10), I_DOC_TIME VARCHAR(5), I_DOC_SUMM_FULL VARCHAR(10), I_DOC_PAY_NAL VARCHAR(10), "
         "I_DOC_PAY_EL VARCHAR(10), I_DOC_PAY_ADVANCE VARCHAR(10), I_DOC_PAY_CREDIT VARCHAR(10), "
         "I_DOC_PAY_MEETING VARCHAR(10), I_DOC_SNO SMALLINT, I_DOC_USER VARCHAR(50), I_DOC_BUYER_NAME VARCHAR(50), "
         "I_DOC_BUYER_INN VARCHAR(12)",
         "O_DOC_ID INTEGER"},
    };
    for (const Proc& p : procedures) {
        EXPECT_EQ(fb::meta::procedureInputCount(tr, p.name), p.inputs) << p.name;
        EXPECT_EQ(fb::meta::procedureOutputCount(tr, p.name), p.outputs) << p.name;
        EXPECT_EQ(signature(tr, p.name, 0), p.in) << p.name;
        EXPECT_EQ(signature(tr, p.name, 1), p.out) << p.name;
    }
}

// A procedure of some shape whose body carries a marker, standing for an
// older or foreign version of one of ours.
QString stubProcedure(const QString& name, int inputs, int outputs, const QString& marker) {
    QStringList in, out;
    for (int i = 1; i <= inputs; ++i) in << QStringLiteral("I_P%1 INTEGER").arg(i);
    for (int i = 1; i <= outputs; ++i) out << QStringLiteral("O_P%1 INTEGER").arg(i);
    QString sql = QStringLiteral("CREATE OR ALTER PROCEDURE ") + name;
    if (!in.isEmpty()) sql += QStringLiteral(" (") + in.join(QStringLiteral(", ")) + QLatin1Char(')');
    if (!out.isEmpty()) sql += QStringLiteral(" RETURNS (") + out.join(QStringLiteral(", ")) + QLatin1Char(')');
    return sql + QStringLiteral(" AS BEGIN /* ") + marker + QStringLiteral(" */ END");
}

struct Supplier {
    std::optional<int> supplier;
    std::optional<int> work;
};

std::vector<Supplier> suppliers(fb::Connection& c) {
    fb::Transaction tr(c);
    std::vector<Supplier> out;
    for (const fb::Row& r : fb::query(tr, QStringLiteral("SELECT SU_SUPPLIER, SU_WORK FROM SUPPLIERS ORDER BY SU_ID"))) {
        Supplier sup;
        if (!r.isNull("SU_SUPPLIER")) sup.supplier = r.integer("SU_SUPPLIER");
        if (!r.isNull("SU_WORK")) sup.work = r.integer("SU_WORK");
        out.push_back(sup);
    }
    return out;
}

void addSuppliers(fb::Connection& c, const std::vector<std::optional<int>>& work) {
    fb::Transaction tr(c);
    fb::Statement ins(tr, QStringLiteral("INSERT INTO SUPPLIERS (SU_NAMESHORT, SU_WORK) VALUES (?, ?)"));
    int n = 0;
    for (const auto& w : work)
        ins.execute(tr, {QStringLiteral("Поставщик %1").arg(++n), w ? fb::Value(std::int64_t{*w}) : fb::null()});
    tr.commit();
}

// Adds one row to the working goods list and returns the number it got.
std::int64_t addWorkingRow(fb::Connection& c, int goodsId) {
    fb::Transaction tr(c);
    fb::callProcedure(tr, "GOODS_TEMP_ADDRECORD",
                      {{"i_id", std::int64_t{goodsId}}, {"i_name", QStringLiteral("Хлеб")}, {"i_price", "35.00"_q},
                       {"i_barcode", "4600000000001"_q}});
    const auto r = fb::queryOne(tr, QStringLiteral("SELECT MAX(G_RECORD_ID) FROM GOODS_TEMP"));
    tr.commit();
    return fb::toInt64(r->at(0)).value_or(-1);
}

std::int64_t count(fb::Connection& c, const QString& sql) {
    fb::Transaction tr(c);
    const auto r = fb::queryOne(tr, sql);
    return fb::toInt64(r->at(0)).value_or(-1);
}

// ---------------------------------------------------------------------------

class SchemaUpgradeOldLayout : public DbTest {};
class SchemaUpgradeRepeated : public UpgradedDbTest {};
class ProgramProcedures : public UpgradedDbTest {};

TEST_F(SchemaUpgradeRepeated, UpgradedDatabaseHoldsEveryObjectWithItsShape) { expectUpgradedSchema(db()); }

TEST_F(SchemaUpgradeOldLayout, OneRunBringsTheOldLayoutUpAndTheNextChangesNoMetadata) {
    addSuppliers(db(), {0, std::nullopt, 1, 2, 5});
    exec(stubProcedure("DOC_DETAIL_WRITE_PROC", 14, 0, "old"));
    {
        fb::Transaction tr(db());
        ASSERT_FALSE(fb::meta::procedureExists(tr, "GOOD_DATA"));
    }

    const core::SchemaUpgradeResult result = core::SchemaUpgrade(db());
    EXPECT_EQ(result.paymentMethodFlag, 4);
    EXPECT_EQ(result.documentType, 3);
    expectUpgradedSchema(db());
    {
        fb::Transaction tr(db());
        EXPECT_FALSE(procedureSource(tr, "DOC_DETAIL_WRITE_PROC").contains("old"));
    }

    const std::vector<std::optional<int>> expectedWork = {1, 1, 0, 1, 5};
    auto after = suppliers(db());
    ASSERT_EQ(after.size(), expectedWork.size());
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].supplier, 1) << "row " << i;
        EXPECT_EQ(after[i].work, expectedWork[i]) << "row " << i;
    }
    // Fresh sequence: numbering starts at 1.
    EXPECT_EQ(addWorkingRow(db(), 10), 1);
    EXPECT_EQ(addWorkingRow(db(), 11), 2);

    const QStringList before = metadataSnapshot(db());
    core::SchemaUpgrade(db());
    const QStringList again = metadataSnapshot(db());
    EXPECT_EQ(s(again.join("\n")), s(before.join("\n")));

    after = suppliers(db());
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].supplier, 1) << "row " << i;
        EXPECT_EQ(after[i].work, expectedWork[i]) << "converted twice, row " << i;
    }
    EXPECT_EQ(count(db(), "SELECT COUNT(*) FROM GOODS_TEMP"), 0);
    // Restarted sequence: numbering starts at 1 again.
    EXPECT_EQ(addWorkingRow(db(), 12), 1);
}

// Returns stored with only their sale's sign get the sale's DOC_ID when the
// sign, read as a number, names one stored sale; the others stay unlinked.
TEST_F(SchemaUpgradeRepeated, EarlierReturnsAreLinkedToTheOneSaleTheirSignNames) {
    const char* docs[][4] = {
        // id, kind, sign, refunded sign
        {"1", "1", "558329116", nullptr},  {"2", "1", "777", nullptr},       {"3", "1", "777", nullptr},
        {"4", "2", "900", "0558329116"},   {"5", "2", "901", "777"},        {"6", "2", "902", nullptr},
        {"7", "2", "903", "12a"},          {"8", "2", "904", " 558329116"},
    };
    for (const auto& d : docs)
        exec(QStringLiteral("INSERT INTO DOCUMENTS (DOC_ID, DOC_TYPE, DOC_CHECK_TYPE, DOC_FPD, DOC_REFUND_FPD) "
                            "VALUES (%1, 3, %2, '%3', %4)")
                 .arg(d[0], d[1], d[2], d[3] ? QStringLiteral("'%1'").arg(d[3]) : QStringLiteral("NULL")));
    core::SchemaUpgrade(db());
    fb::Transaction tr(db());
    QStringList linked;
    for (const fb::Row& r : fb::query(tr, QStringLiteral("SELECT DOC_ID, DOC_REFUND_DOC_ID FROM DOCUMENTS "
                                                         "WHERE DOC_CHECK_TYPE = 2 ORDER BY DOC_ID")))
        linked << r.str("DOC_ID") + "->" + (r.isNull("DOC_REFUND_DOC_ID") ? QString("-") : r.str("DOC_REFUND_DOC_ID"));
    tr.commit();
    EXPECT_EQ(linked, (QStringList{"4->1", "5->-", "6->-", "7->-", "8->1"}));
}

TEST_F(SchemaUpgradeRepeated, WorkingListIsEmptiedAndNumberedFromOneOnEveryRun) {
    for (int run = 0; run < 2; ++run) {
        for (int i = 1; i <= 3; ++i) EXPECT_EQ(addWorkingRow(db(), i), i) << "run " << run;
        core::SchemaUpgrade(db());
        EXPECT_EQ(count(db(), "SELECT COUNT(*) FROM GOODS_TEMP"), 0) << "run " << run;
    }
    // A row that brings its own number keeps it.
    exec("INSERT INTO GOODS_TEMP (G_ID, G_RECORD_ID) VALUES (1, 77)");
    EXPECT_EQ(count(db(), "SELECT G_RECORD_ID FROM GOODS_TEMP"), 77);
}

// An inventory's hundred thousand rows must not hold up the login: the
// check only counts a list longer than a batch and leaves all of it to an
// attachment of its own, so the showing writes nothing. A row another
// workstation holds does not fail the showing; the list is emptied at the
// next one.
TEST_F(SchemaUpgradeRepeated, ALongWorkingListIsEmptiedBehindTheShowing) {
    const int rows = core::kWorkingListBatch + 500;
    {
        fb::Transaction tr(db());
        fb::Statement add(tr, "INSERT INTO GOODS_TEMP (G_ID, G_NAME) VALUES (?, 'Хлеб')");
        for (int i = 1; i <= rows; ++i) add.execute(tr, {std::int64_t{i}});
        tr.commit();
    }
    {
        fb::Connection other(params());
        other.attach();
        fb::Transaction holder(other);
        fb::execute(holder, "UPDATE GOODS_TEMP SET G_NAME = 'Батон' WHERE G_ID = ?", {std::int64_t{rows}});
        EXPECT_NO_THROW(core::SchemaUpgrade(db()));
        core::waitForWorkingList();
        EXPECT_EQ(count(db(), "SELECT COUNT(*) FROM GOODS_TEMP"), rows);
    }
    core::SchemaUpgrade(db());
    core::waitForWorkingList();
    EXPECT_EQ(count(db(), "SELECT COUNT(*) FROM GOODS_TEMP"), 0);
}

TEST_F(SchemaUpgradeRepeated, ReplacesOnlyProceduresOfAShapeTheProgramCannotCall) {
    struct Case {
        const char* name;
        int inputs;
        int outputs;
        bool replaced;
    };
    const Case cases[] = {
        {"DOC_DETAIL_WRITE_PROC", 14, 0, true},
        {"DOC_DETAIL_WRITE_PROC", 16, 0, true},
        {"DOC_DETAIL_WRITE_PROC", 15, 0, false},  // right shape, other body: the shop's own
        {"GOOD_DATA", 1, 7, true},
        {"GOOD_DATA", 1, 8, false},
        {"GOOD_DATA", 1, 9, false},
        {"DOC_WRITE", 15, 1, true},
        {"DOC_WRITE", 17, 1, true},
        {"DOC_WRITE", 16, 1, false},
        // Only created when missing, never replaced.
        {"GOODSCHECKSETTINGS_WRITE", 2, 0, false},
        {"GOODSCHECK_EDIT", 1, 0, false},
        {"GOODS_TEMP_ADDRECORD", 3, 0, false},
        {"DOCUMENTS_ADD_RECORD", 0, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.inputs) + "/" + std::to_string(c.outputs));
        exec(stubProcedure(c.name, c.inputs, c.outputs, "foreign"));
        core::SchemaUpgrade(db());
        fb::Transaction tr(db());
        EXPECT_EQ(!procedureSource(tr, c.name).contains("foreign"), c.replaced);
        if (!c.replaced) {
            EXPECT_EQ(fb::meta::procedureInputCount(tr, c.name), c.inputs);
            EXPECT_EQ(fb::meta::procedureOutputCount(tr, c.name), c.outputs);
        }
        tr.commit();
        // Back to ours for the next case.
        int selector = 0;
        for (int k = 1; k <= 7; ++k)
            if (core::procedureName(k) == QLatin1String(c.name)) selector = k;
        ASSERT_NE(selector, 0);
        core::UpgradeDbProcedures(db(), selector);
    }
    expectUpgradedSchema(db());
}

TEST_F(SchemaUpgradeRepeated, UnknownSelectorRunsNothing) {
    const QStringList before = metadataSnapshot(db());
    for (int selector : {0, 8, -1, 100}) {
        EXPECT_TRUE(core::procedureText(selector).isEmpty());
        core::UpgradeDbProcedures(db(), selector);
    }
    EXPECT_EQ(s(metadataSnapshot(db()).join("\n")), s(before.join("\n")));
    for (int selector = 1; selector <= 7; ++selector)
        EXPECT_TRUE(core::procedureText(selector).contains(core::procedureName(selector))) << selector;
}

struct SupplierRow {
    std::optional<int> work;
    std::optional<int> supplier;
    std::optional<int> buyer;
    bool operator==(const SupplierRow&) const = default;
};

std::vector<SupplierRow> supplierRows(fb::Connection& c) {
    fb::Transaction tr(c);
    std::vector<SupplierRow> out;
    const bool flags = fb::meta::columnExists(tr, "SUPPLIERS", "SU_SUPPLIER");
    const QString sql = flags ? QStringLiteral("SELECT SU_WORK, SU_SUPPLIER, SU_BUYER FROM SUPPLIERS ORDER BY SU_ID")
                              : QStringLiteral("SELECT SU_WORK FROM SUPPLIERS ORDER BY SU_ID");
    for (const fb::Row& r : fb::query(tr, sql)) {
        SupplierRow row;
        if (!r.isNull("SU_WORK")) row.work = r.integer("SU_WORK");
        if (flags && !r.isNull("SU_SUPPLIER")) row.supplier = r.integer("SU_SUPPLIER");
        if (flags && !r.isNull("SU_BUYER")) row.buyer = r.integer("SU_BUYER");
        out.push_back(row);
    }
    return out;
}

std::string describe(const std::vector<SupplierRow>& rows) {
    std::string out;
    const auto v = [](const std::optional<int>& x) { return x ? std::to_string(*x) : std::string("null"); };
    for (const SupplierRow& r : rows) out += "(" + v(r.work) + "," + v(r.supplier) + "," + v(r.buyer) + ") ";
    return out;
}

TEST_F(SchemaUpgradeOldLayout, SupplierTableOfAnyOtherLayoutIsNeverConverted) {
    struct Case {
        const char* what;
        const char* layout;  // brings the table from the delivered seven columns to the case's layout
        const char* rows;    // counterparties as a shop has them
    };
    const Case cases[] = {
        // The current layout, with an active counterparty that nobody has
        // marked as supplier or buyer yet.
        {"eleven columns",
         "ALTER TABLE SUPPLIERS ADD SU_MOBILTEL VARCHAR(10), ADD SU_SUPPLIER SMALLINT, ADD SU_BUYER SMALLINT, "
         "ADD SU_LOYALTYPROG SMALLINT",
         "INSERT INTO SUPPLIERS (SU_NAMESHORT, SU_WORK) VALUES ('Активный', 1); "
         "INSERT INTO SUPPLIERS (SU_NAMESHORT, SU_WORK) VALUES ('Неактивный', 0)"},
        {"eleven columns, one counterparty flagged",
         "ALTER TABLE SUPPLIERS ADD SU_MOBILTEL VARCHAR(10), ADD SU_SUPPLIER SMALLINT, ADD SU_BUYER SMALLINT, "
         "ADD SU_LOYALTYPROG SMALLINT",
         "INSERT INTO SUPPLIERS (SU_NAMESHORT, SU_WORK) VALUES ('Активный', 1); "
         "INSERT INTO SUPPLIERS (SU_NAMESHORT, SU_WORK, SU_BUYER) VALUES ('Покупатель', 1, 1)"},
        {"eight columns", "ALTER TABLE SUPPLIERS ADD SU_NOTE VARCHAR(20)",
         "INSERT INTO SUPPLIERS (SU_NAMESHORT, SU_WORK) VALUES ('Первый', 1); "
         "INSERT INTO SUPPLIERS (SU_NAMESHORT, SU_WORK) VALUES ('Второй', 0)"},
        {"six columns", "ALTER TABLE SUPPLIERS DROP SU_PERSON",
         "INSERT INTO SUPPLIERS (SU_NAMESHORT, SU_WORK) VALUES ('Первый', 1); "
         "INSERT INTO SUPPLIERS (SU_NAMESHORT) VALUES ('Второй')"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Every case starts from a fresh copy of the delivered database.
        TearDown();
        SetUp();
        exec(QString::fromUtf8(c.layout));
        for (const QString& insert : QString::fromUtf8(c.rows).split(QStringLiteral("; "))) exec(insert);
        const auto before = supplierRows(db());
        int columns = 0;
        {
            fb::Transaction tr(db());
            columns = fb::meta::columnCount(tr, "SUPPLIERS");
        }
        ASSERT_NE(columns, 7);
        for (int login = 1; login <= 2; ++login) {
            core::SchemaUpgrade(db());
            EXPECT_EQ(describe(supplierRows(db())), describe(before)) << "after login " << login;
            fb::Transaction tr(db());
            EXPECT_EQ(fb::meta::columnCount(tr, "SUPPLIERS"), columns);
        }
    }
}

TEST_F(SchemaUpgradeOldLayout, ConversionInterruptedBeforeTheSupplierFlagIsFinishedOnceByTheNextRun) {
    // What the first commit of the conversion leaves: SU_WORK in the new
    // meaning, the columns added, the supplier flag not filled and marked so.
    addSuppliers(db(), {1, 0, 5});
    exec("ALTER TABLE SUPPLIERS ADD SU_MOBILTEL VARCHAR(10), ADD SU_SUPPLIER SMALLINT, ADD SU_BUYER SMALLINT, "
         "ADD SU_LOYALTYPROG SMALLINT");
    exec(QStringLiteral("COMMENT ON COLUMN SUPPLIERS.SU_SUPPLIER IS '%1'").arg(core::kSupplierConversionMark));
    const std::vector<SupplierRow> expected = {{1, 1, {}}, {0, 1, {}}, {5, 1, {}}};
    for (int login = 1; login <= 2; ++login) {
        core::SchemaUpgrade(db());
        EXPECT_EQ(describe(supplierRows(db())), describe(expected)) << "after login " << login;
    }
    fb::Transaction tr(db());
    const auto mark = fb::queryOne(tr, QStringLiteral("SELECT RDB$DESCRIPTION FROM RDB$RELATION_FIELDS WHERE "
                                                      "RDB$RELATION_NAME = 'SUPPLIERS' AND RDB$FIELD_NAME = 'SU_SUPPLIER'"));
    ASSERT_TRUE(mark);
    EXPECT_TRUE(fb::isNull(mark->at(0)));
}

TEST_F(SchemaUpgradeOldLayout, FailingStepKeepsEarlierStepsAndALaterRunCompletes) {
    addSuppliers(db(), {0, 1});
    // The stock procedures read the working list; the upgrade gives them back.
    for (const char* p : {"DOC_GOODMOVE_SAVE", "DOC_GOODMOVE_DRAG", "DOC_IS_EMPTY", "GOODS_TEMP_EDIT", "GOODS_TEMP_CLEAR"})
        exec(QStringLiteral("DROP PROCEDURE ") + QLatin1String(p));
    exec("DROP TABLE GOODS_TEMP");

    EXPECT_THROW(core::SchemaUpgrade(db()), fb::Error);
    {
        fb::Transaction tr(db());
        // Before the failing step: committed.
        EXPECT_TRUE(fb::meta::columnExists(tr, "DOCUMENTS", "DOC_SNO"));
        EXPECT_TRUE(fb::meta::columnExists(tr, "DOCUMENTS_DETAIL", "DD_FRACTIONAL_COUNT"));
        EXPECT_TRUE(fb::meta::tableExists(tr, "GOODSCHECK"));
        EXPECT_TRUE(fb::meta::procedureExists(tr, "GOODSCHECK_EDIT"));
        EXPECT_EQ(fb::meta::columnCount(tr, "SUPPLIERS"), 11);
        // After it: not reached.
        EXPECT_FALSE(fb::meta::generatorExists(tr, "GEN_RECORD_ID"));
        EXPECT_FALSE(fb::meta::tableExists(tr, "OPTIONS"));
        EXPECT_FALSE(fb::meta::procedureExists(tr, "DOC_WRITE"));
    }
    const auto converted = suppliers(db());
    ASSERT_EQ(converted.size(), 2u);
    EXPECT_EQ(converted[0].work, 1);
    EXPECT_EQ(converted[1].work, 0);

    exec("CREATE TABLE GOODS_TEMP (G_ID INTEGER, G_NAME VARCHAR(80), G_PRICE VARCHAR(10), G_EDIZM VARCHAR(10), "
         "G_COUNTRY VARCHAR(32), G_DECLAR_NUMBER VARCHAR(32))");
    EXPECT_NO_THROW(core::SchemaUpgrade(db()));
    expectUpgradedSchema(db());
    const auto rows = suppliers(db());
    EXPECT_EQ(rows[0].work, 1);
    EXPECT_EQ(rows[1].work, 0);
    EXPECT_EQ(addWorkingRow(db(), 1), 1);
    fb::Transaction tr(db());
    EXPECT_TRUE(fb::meta::procedureExists(tr, "DOC_GOODMOVE_SAVE"));
}

TEST_F(ProgramProcedures, MissingDeliveredProceduresAreCreatedAndTheDatabasesOwnAreKept) {
    // A database from before the stock documents and correction receipts:
    // their procedures are missing. One the shop changed is its own.
    exec("DROP PROCEDURE DOC_GOODMOVE_BACK");
    exec("DROP PROCEDURE DOC_WRITE_PROC");
    exec(stubProcedure("DOC_STATUS_PROC", 2, 1, "the shop's own"));
    for (int run = 0; run < 2; ++run) {
        core::SchemaUpgrade(db());
        fb::Transaction tr(db());
        EXPECT_TRUE(fb::meta::procedureExists(tr, "DOC_GOODMOVE_BACK")) << run;
        EXPECT_TRUE(fb::meta::procedureExists(tr, "DOC_WRITE_PROC")) << run;
        EXPECT_TRUE(procedureSource(tr, "DOC_STATUS_PROC").contains("the shop's own")) << run;
    }
}

// ---------------------------------------------------------------------------

TEST_F(ProgramProcedures, ReceiptLineLowersStockOnlyOnASaleByTheGoodsKind) {
    struct Case {
        const char* what;
        std::optional<QString> goodW;
        std::optional<QString> stock;
        int checkType;
        QString sold;
        QString expected;
    };
    const Case cases[] = {
        {"piece", QStringLiteral("нет"), "10", 1, "3", "7"},
        {"weighed", QStringLiteral("да"), "10", 1, "2.5", "7.500"},
        {"weighed by 1", "1", "10", 1, "0.25", "9.750"},
        {"weighed any case and blanks", QStringLiteral(" Да "), "10", 1, "3", "7.000"},
        {"piece in capitals", QStringLiteral("НЕТ"), "10", 1, "3", "7"},
        {"piece in mixed case", QStringLiteral("НеТ"), "10", 1, "3", "7"},
        {"piece by 0", "0", "10", 1, "3", "7"},
        {"piece when empty", "", "10", 1, "3", "7"},
        {"piece when null", std::nullopt, "10", 1, "3", "7"},
        {"piece rounds to whole", QStringLiteral("нет"), "10", 1, "2.5", "8"},
        {"piece with decimals in stock", QStringLiteral("нет"), "10.000", 1, "3", "7"},
        {"empty stock is zero", QStringLiteral("нет"), "", 1, "3", "-3"},
        {"null stock is zero", QStringLiteral("да"), std::nullopt, 1, "1.5", "-1.500"},
        {"sale return leaves stock", QStringLiteral("нет"), "10", 2, "3", "10"},
        {"sale return leaves weighed stock", QStringLiteral("да"), "10", 2, "2.5", "10"},
        {"purchase leaves stock", QStringLiteral("нет"), "10", 3, "3", "10"},
        // Read as the program reads stored numbers: a comma is a decimal
        // separator and an unreadable text is zero.
        {"weighed stock with a comma", QStringLiteral("да"), "10,5", 1, "2.5", "8.000"},
        {"piece stock with a comma", QStringLiteral("нет"), "10,000", 1, "3", "7"},
        {"quantity with a comma", QStringLiteral("да"), "10", 1, "2,25", "7.750"},
        {"unreadable stock is zero", QStringLiteral("нет"), "много", 1, "3", "-3"},
    };
    int goodsId = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ++goodsId;
        fb::Transaction tr(db());
        fb::execute(tr, "INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_W, GOOD_COUNT) VALUES (?, ?, ?, ?)",
                    {std::int64_t{goodsId}, QStringLiteral("Товар"), c.goodW ? fb::Value(*c.goodW) : fb::null(),
                     c.stock ? fb::Value(*c.stock) : fb::null()});
        fb::callProcedure(tr, "DOC_DETAIL_WRITE_PROC",
                          {{"I_DOC_ID", std::int64_t{goodsId}},
                           {"I_GOOD_ID", std::int64_t{goodsId}},
                           {"I_GOOD_NAME", QStringLiteral("Товар")},
                           {"I_GOOD_TYPE", QStringLiteral("Т")},
                           {"I_GOOD_PRICE_MAIN", "100.00"_q},
                           {"I_GOOD_PRICE_CURRENT", "90.00"_q},
                           {"I_GOOD_COUNT", c.sold},
                           {"I_GOOD_EDIZM", std::int64_t{0}},
                           {"I_GOOD_PAYTYPE", std::int64_t{1}},
                           {"I_CHECKTYPE", std::int64_t{c.checkType}},
                           {"I_DECLAR", "10702070/010124/0000001"_q},
                           {"I_GTIN", "04600000000017"_q},
                           {"I_SERIAL_GTIN", "ABC"_q},
                           {"I_DM_FULL", "0104600000000017215ABC"_q},
                           {"I_MARKTYPE", std::int64_t{5}}});
        const auto stock = fb::queryOne(tr, "SELECT GOOD_COUNT FROM GOODS WHERE GOOD_ID = ?", {std::int64_t{goodsId}});
        const auto line = fb::queryOne(tr, "SELECT * FROM DOCUMENTS_DETAIL WHERE DD_DOC_ID = ?", {std::int64_t{goodsId}});
        tr.commit();
        const QString unchanged = c.stock.value_or(QString());
        EXPECT_EQ(s(stock->str("GOOD_COUNT")), s(c.checkType == 1 ? c.expected : unchanged));
        ASSERT_TRUE(line);
        EXPECT_EQ(line->integer("DD_GOOD_ID"), goodsId);
        EXPECT_EQ(s(line->str("DD_GOOD_NAME")), s(QStringLiteral("Товар")));
        EXPECT_EQ(s(line->str("DD_GOOD_TYPE")), s(QStringLiteral("Т")));
        EXPECT_EQ(s(line->str("DD_GOOD_PRICE_MAIN")), "100.00");
        EXPECT_EQ(s(line->str("DD_GOOD_PRICE_CURRENT")), "90.00");
        EXPECT_EQ(s(line->str("DD_GOOD_COUNT")), s(c.sold));
        EXPECT_EQ(line->integer("DD_GOOD_EDIZM", -1), 0);
        EXPECT_EQ(line->integer("DD_GOOD_PAYTYPE"), 1);
        EXPECT_EQ(s(line->str("DD_DECLARE_NUMBER")), "10702070/010124/0000001");
        EXPECT_EQ(s(line->str("DD_GTIN")), "04600000000017");
        EXPECT_EQ(s(line->str("DD_SERIAL_GTIN")), "ABC");
        EXPECT_EQ(s(line->str("DD_DM_FULL")), "0104600000000017215ABC");
        EXPECT_EQ(line->integer("DD_MARKTYPE"), 5);
    }
}

TEST_F(ProgramProcedures, ReceiptLineOfUnknownGoodsIsStoredWithoutTouchingStock) {
    exec("INSERT INTO GOODS (GOOD_ID, GOOD_W, GOOD_COUNT) VALUES (1, 'нет', '10')");
    fb::Transaction tr(db());
    fb::callProcedure(tr, "DOC_DETAIL_WRITE_PROC",
                      {{"I_DOC_ID", std::int64_t{1}}, {"I_GOOD_ID", std::int64_t{999}}, {"I_GOOD_COUNT", "1"_q},
                       {"I_CHECKTYPE", std::int64_t{1}}});
    EXPECT_EQ(fb::toInt64(fb::queryOne(tr, "SELECT COUNT(*) FROM DOCUMENTS_DETAIL")->at(0)), 1);
    EXPECT_EQ(s(fb::queryOne(tr, "SELECT GOOD_COUNT FROM GOODS WHERE GOOD_ID = 1")->str("GOOD_COUNT")), "10");
}

TEST_F(ProgramProcedures, StockThatNoLongerFitsItsColumnFailsInsteadOfBeingCut) {
    exec("INSERT INTO GOODS (GOOD_ID, GOOD_W, GOOD_COUNT) VALUES (1, 'да', '-99999.000')");
    {
        fb::Transaction tr(db());
        EXPECT_THROW(fb::callProcedure(tr, "DOC_DETAIL_WRITE_PROC",
                                       {{"I_DOC_ID", std::int64_t{1}}, {"I_GOOD_ID", std::int64_t{1}},
                                        {"I_GOOD_COUNT", "1"_q}, {"I_CHECKTYPE", std::int64_t{1}}}),
                     fb::Error);
    }
    EXPECT_EQ(count(db(), "SELECT COUNT(*) FROM DOCUMENTS_DETAIL"), 0);
    fb::Transaction tr(db());
    EXPECT_EQ(s(fb::queryOne(tr, "SELECT GOOD_COUNT FROM GOODS WHERE GOOD_ID = 1")->str("GOOD_COUNT")), "-99999.000");
}

TEST_F(ProgramProcedures, GoodDataGivesOneRowWithTheFractionalFlagAndDefaults) {
    struct Case {
        std::optional<QString> goodW;
        int expectedW;
    };
    const Case cases[] = {
        {QStringLiteral("да"), 1}, {QStringLiteral("ДА"), 1}, {"1", 1},           {QStringLiteral(" дА"), 1},
        {QStringLiteral("нет"), 0}, {QStringLiteral("НЕТ"), 0}, {"0", 0},           {"", 0},
        {std::nullopt, 0},         {"x", 0},
    };
    int id = 0;
    for (const Case& c : cases) {
        ++id;
        SCOPED_TRACE(id);
        fb::Transaction tr(db());
        fb::execute(tr,
                    "INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_EDIZM, GOOD_NALOG, "
                    "GOOD_COUNTRY_CODE, GOOD_MARKTYPE) VALUES (?, ?, '12.50', ?, ?, ?, '6', ?, ?)",
                    {std::int64_t{id}, QStringLiteral("Сыр"), c.goodW ? fb::Value(*c.goodW) : fb::null(),
                     QStringLiteral("Т"), QStringLiteral("кг"), id % 2 ? fb::Value(QStringLiteral("643")) : fb::null(),
                     id % 2 ? fb::Value(std::int64_t{4}) : fb::null()});
        const auto rows = fb::selectProcedure(tr, "GOOD_DATA", {{"I_ID", std::int64_t{id}}});
        ASSERT_EQ(rows.size(), 1u);
        const fb::Row& r = rows[0];
        EXPECT_EQ(r.integer("O_W", -1), c.expectedW);
        EXPECT_EQ(s(r.str("O_NAME")), s(QStringLiteral("Сыр")));
        EXPECT_EQ(s(r.str("O_PRICE")), "12.50");
        EXPECT_EQ(s(r.str("O_TYPE")), s(QStringLiteral("Т")));
        EXPECT_EQ(s(r.str("O_EDIZM")), s(QStringLiteral("кг")));
        EXPECT_EQ(s(r.str("O_NALOG")), "6");
        EXPECT_EQ(s(r.str("O_COUNTRY").trimmed()), id % 2 ? "643" : "");
        EXPECT_FALSE(r.isNull("O_COUNTRY"));
        EXPECT_EQ(r.integer("O_MARKTYPE", -1), id % 2 ? 4 : 0);
        tr.commit();
    }
    fb::Transaction tr(db());
    EXPECT_TRUE(fb::selectProcedure(tr, "GOOD_DATA", {{"I_ID", std::int64_t{9999}}}).empty());
}

TEST_F(ProgramProcedures, DocWriteStoresTheReceiptHeadAndReturnsItsId) {
    exec("INSERT INTO DOCUMENTS (DOC_TYPE) VALUES (50)");  // an earlier document: the id is not simply 1
    fb::Transaction tr(db());
    const auto rows = fb::selectProcedure(tr, "DOC_WRITE",
                                          {{"i_doc_type", std::int64_t{3}},
                                           {"i_doc_checktype", std::int64_t{1}},
                                           {"i_doc_number", std::int64_t{42}},
                                           {"i_doc_fpd", "1234567890"_q},
                                           {"i_doc_date", "01.02.2024"_q},
                                           {"i_doc_time", "9:5"_q},
                                           {"i_doc_summ_full", "150.00"_q},
                                           {"i_doc_pay_nal", "100.00"_q},
                                           {"i_doc_pay_el", "50.00"_q},
                                           {"i_doc_pay_advance", "0.00"_q},
                                           {"i_doc_pay_credit", "0.00"_q},
                                           {"i_doc_pay_meeting", "0.00"_q},
                                           {"i_doc_sno", std::int64_t{2}},
                                           {"i_doc_user", QStringLiteral("Иванова А.А.")},
                                           {"i_doc_buyer_name", QStringLiteral("ООО Ромашка")},
                                           {"i_doc_buyer_inn", "7700000000"_q}});
    ASSERT_EQ(rows.size(), 1u);
    const std::int64_t id = rows[0].int64("O_DOC_ID");
    const auto doc = fb::queryOne(tr, "SELECT * FROM DOCUMENTS WHERE DOC_ID = ?", {id});
    ASSERT_TRUE(doc);
    EXPECT_EQ(fb::toDate((*doc)["DOC_DATE_D"]), QDate(2024, 2, 1));
    EXPECT_EQ(fb::toTime((*doc)["DOC_TIME_T"]), QTime(9, 5));
    EXPECT_EQ(doc->integer("DOC_SNO"), 2);
    EXPECT_EQ(doc->integer("DOC_TYPE"), 3);
    EXPECT_EQ(doc->integer("DOC_CHECK_TYPE"), 1);
    EXPECT_EQ(doc->integer("DOC_NUMBER"), 42);
    EXPECT_EQ(s(doc->str("DOC_FPD")), "1234567890");
    EXPECT_EQ(s(doc->str("DOC_SUMM_FULL")), "150.00");
    EXPECT_EQ(s(doc->str("DOC_PAY_NAL")), "100.00");
    EXPECT_EQ(s(doc->str("DOC_PAY_EL")), "50.00");
    EXPECT_EQ(s(doc->str("DOC_USER")), s(QStringLiteral("Иванова А.А.")));
    EXPECT_EQ(s(doc->str("DOC_BUYER_NAME")), s(QStringLiteral("ООО Ромашка")));
    EXPECT_EQ(s(doc->str("DOC_BUYER_INN")), "7700000000");
    EXPECT_EQ(fb::toInt64(fb::queryOne(tr, "SELECT COUNT(*) FROM DOCUMENTS")->at(0)), 2);
    EXPECT_NE(fb::toInt64(fb::queryOne(tr, "SELECT MIN(DOC_ID) FROM DOCUMENTS")->at(0)), id);
}

TEST_F(ProgramProcedures, GoodsCheckProceduresKeepOneSettingsRowAndTheLines) {
    fb::Transaction tr(db());
    for (int number : {7, 8}) {
        fb::callProcedure(tr, "GOODSCHECKSETTINGS_WRITE",
                          {{"I_HROW1", QStringLiteral("ИП Петров")}, {"I_HROW2", "2"_q}, {"I_HROW3", "3"_q},
                           {"I_HADDR", QStringLiteral("г. Тула")}, {"I_NUMPREF", "TC-"_q}, {"I_NUMBER", std::int64_t{number}}});
    }
    const auto settings = fb::query(tr, "SELECT * FROM GOODSCHECK_SETTINGS");
    ASSERT_EQ(settings.size(), 1u);
    EXPECT_EQ(settings[0].integer("GC_NUMBER"), 8);
    EXPECT_EQ(s(settings[0].str("GC_NUMBERPREF")), "TC-");
    EXPECT_EQ(s(settings[0].str("HEAD_ROW1")), s(QStringLiteral("ИП Петров")));
    EXPECT_EQ(s(settings[0].str("HEAD_ADDRESS")), s(QStringLiteral("г. Тула")));

    auto line = [&](int mode, int pos) {
        fb::callProcedure(tr, "GOODSCHECK_EDIT",
                          {{"i_mode", std::int64_t{mode}}, {"i_numpos", std::int64_t{pos}}, {"i_code", std::int64_t{15}},
                           {"i_art", "A-1"_q}, {"i_name", QStringLiteral("Мыло")}, {"i_price", "20.00"_q},
                           {"i_summ", "40.00"_q}, {"i_count", "2"_q}, {"i_edizm", QStringLiteral("шт")}});
    };
    line(2, 1);
    line(2, 2);
    line(3, 3);  // other modes do nothing
    auto lines = fb::query(tr, "SELECT * FROM GOODSCHECK ORDER BY NUMPOS");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].integer("NUMPOS"), 2);
    EXPECT_EQ(lines[1].integer("G_CODE"), 15);
    EXPECT_EQ(s(lines[1].str("G_ART")), "A-1");
    EXPECT_EQ(s(lines[1].str("G_NAME")), s(QStringLiteral("Мыло")));
    EXPECT_EQ(s(lines[1].str("G_PRICE")), "20.00");
    EXPECT_EQ(s(lines[1].str("G_SUMM")), "40.00");
    EXPECT_EQ(s(lines[1].str("G_COUNT")), "2");
    EXPECT_EQ(s(lines[1].str("G_EDIZM")), s(QStringLiteral("шт")));
    line(1, 0);
    EXPECT_TRUE(fb::query(tr, "SELECT * FROM GOODSCHECK").empty());
}

TEST_F(ProgramProcedures, WorkingListAndEmptyDocumentProceduresFillTheirTables) {
    fb::Transaction tr(db());
    fb::callProcedure(tr, "GOODS_TEMP_ADDRECORD",
                      {{"i_id", std::int64_t{5}}, {"i_name", QStringLiteral("Чай")}, {"i_price", "99.90"_q},
                       {"i_edizm", QStringLiteral("шт")}, {"i_country", QStringLiteral("Индия")},
                       {"i_declar_number", "10702070/010124/0000002"_q}, {"i_barcode", "4601234567893"_q}});
    const auto g = fb::queryOne(tr, "SELECT * FROM GOODS_TEMP");
    ASSERT_TRUE(g);
    EXPECT_EQ(g->integer("G_ID"), 5);
    EXPECT_EQ(s(g->str("G_NAME")), s(QStringLiteral("Чай")));
    EXPECT_EQ(s(g->str("G_PRICE")), "99.90");
    EXPECT_EQ(s(g->str("G_EDIZM")), s(QStringLiteral("шт")));
    EXPECT_EQ(s(g->str("G_COUNTRY")), s(QStringLiteral("Индия")));
    EXPECT_EQ(s(g->str("G_DECLAR_NUMBER")), "10702070/010124/0000002");
    EXPECT_EQ(s(g->str("G_BARCODE")), "4601234567893");
    EXPECT_EQ(g->integer("G_RECORD_ID"), 1);

    const auto first = fb::selectProcedure(tr, "DOCUMENTS_ADD_RECORD");
    const auto second = fb::selectProcedure(tr, "DOCUMENTS_ADD_RECORD");
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_GT(second[0].int64("O_DOC_ID"), first[0].int64("O_DOC_ID"));
    EXPECT_EQ(fb::toInt64(fb::queryOne(tr, "SELECT COUNT(*) FROM DOCUMENTS WHERE DOC_ID = ?",
                                       {second[0].int64("O_DOC_ID")})
                              ->at(0)),
              1);
}

}  // namespace

namespace {

double statistics(fb::Connection& c, const char* index) {
    fb::Transaction tr(c, fb::Transaction::Access::ReadOnly);
    const auto r = fb::queryOne(tr, QStringLiteral("SELECT RDB$STATISTICS FROM RDB$INDICES WHERE RDB$INDEX_NAME = ?"),
                                {QString::fromLatin1(index)});
    return r ? fb::toDouble(r->at(0)).value_or(-1) : -1;
}

}  // namespace

TEST_F(SchemaUpgradeOldLayout, FreshDatabaseListsTheArchiveNewestFirstThroughAnIndex) {
    fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
    EXPECT_TRUE(fb::meta::indexExists(tr, "IX_DOCUMENTS_TYPE_NEWEST"));
}

TEST_F(SchemaUpgradeRepeated, ListOrderIndexesAreAddedAndStatisticsOfFilledTablesComputed) {
    exec("DROP INDEX IX_GOODS_NAME_CYRL");
    exec("DROP INDEX IX_GOODS_NAME_PRICE");
    exec("DROP INDEX IX_DOCUMENTS_DETAIL_GOOD");
    exec("DROP INDEX IX_DOCUMENTS_TYPE_NEWEST");
    for (int i = 1; i <= 20; ++i)
        exec(QStringLiteral("INSERT INTO DOCUMENTS (DOC_ID, DOC_TYPE, DOC_FPD, DOC_DATE_D) VALUES (%1, 3, '%2', "
                            "'2024-01-01')")
                 .arg(i)
                 .arg(5000 + i));
    // Made on the empty table: the planner is told the index picks nothing out.
    ASSERT_EQ(statistics(db(), "IX_DOCUMENTS_FPD"), 0.0);

    core::SchemaUpgrade(db());
    {
        fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
        EXPECT_TRUE(fb::meta::indexExists(tr, "IX_GOODS_NAME_CYRL"));
        EXPECT_TRUE(fb::meta::indexExists(tr, "IX_GOODS_NAME_PRICE"));
        EXPECT_TRUE(fb::meta::indexExists(tr, "IX_DOCUMENTS_DETAIL_GOOD"));
        EXPECT_TRUE(fb::meta::indexExists(tr, "IX_DOCUMENTS_TYPE_NEWEST"));
    }
    EXPECT_NEAR(statistics(db(), "IX_DOCUMENTS_FPD"), 1.0 / 20, 1e-6);
    EXPECT_NEAR(statistics(db(), "IX_DOCUMENTS_TYPE_DATE"), 1.0, 1e-6);
    // An empty table's index is left alone, and nothing is stale any more.
    EXPECT_EQ(statistics(db(), "IX_PORTIONS_GOOD"), 0.0);
    EXPECT_TRUE(fb::meta::refreshStaleIndexStatistics(db()).isEmpty());
}

TEST_F(SchemaUpgradeRepeated, ArchiveFiguresAreMadeAgainOnceTheArchiveHasMoreThanDoubled) {
    auto addReceipts = [&](int from, int count) {
        exec(QStringLiteral("EXECUTE BLOCK AS DECLARE I INTEGER = %1; BEGIN WHILE (I < %2) DO BEGIN "
                            "INSERT INTO DOCUMENTS (DOC_TYPE, DOC_FPD, DOC_DATE_D) VALUES (3, :I, '2024-01-01'); "
                            "I = I + 1; END END")
                 .arg(from)
                 .arg(from + count));
    };
    addReceipts(0, 20);
    core::SchemaUpgrade(db());
    ASSERT_NEAR(statistics(db(), "IX_DOCUMENTS_FPD"), 1.0 / 20, 1e-6);

    // A day's sales do not make the figures again.
    addReceipts(20, 30);
    core::SchemaUpgrade(db());
    EXPECT_NEAR(statistics(db(), "IX_DOCUMENTS_FPD"), 1.0 / 20, 1e-6);

    // A season's do: the search by fiscal sign is planned for the archive as it is.
    addReceipts(50, 2000);
    core::SchemaUpgrade(db());
    EXPECT_NEAR(statistics(db(), "IX_DOCUMENTS_FPD"), 1.0 / 2050, 1e-7);
}
