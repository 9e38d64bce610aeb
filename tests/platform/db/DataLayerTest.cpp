// The data layer against a real embedded database.
#include "support/DbFixture.h"

#include "platform/db/Codec.h"
#include "platform/db/Error.h"
#include "platform/db/Metadata.h"
#include "platform/db/Procedure.h"
#include "platform/db/Script.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QDir>
#include <QTemporaryDir>

#include <clocale>
#include <limits>

using testsupport::DbTest;

namespace {

class DataLayer : public DbTest {};

TEST_F(DataLayer, CyrillicAndSymbolsRoundTripThroughWin1251) {
    const QStringList samples = {QStringLiteral("Молоко «Домик» №5"), QStringLiteral("Ёлка ёж"),
                                 QStringLiteral("2¤10"), QStringLiteral("O'Brien \"кавычки\"")};
    fb::Transaction tr(db());
    fb::Statement ins(tr, QStringLiteral("INSERT INTO USERS (USER_FIO) VALUES (?) RETURNING USER_ID"));
    fb::Statement sel(tr, QStringLiteral("SELECT USER_FIO FROM USERS WHERE USER_ID = ?"));
    for (const QString& s : samples) {
        ins.execute(tr, {s});
        ASSERT_TRUE(ins.fetch());
        const auto id = fb::toInt64(ins.row().at(0));
        sel.execute(tr, {*id});
        ASSERT_TRUE(sel.fetch());
        EXPECT_EQ(sel.row().str(QStringLiteral("USER_FIO")), s);
        sel.closeCursor();
    }
    // Bytes on the wire are Windows-1251.
    EXPECT_EQ(fb::toWin1251(QStringLiteral("№Ё¤")), QByteArray("\xB9\xA8\xA4"));
}

TEST_F(DataLayer, UnrepresentableCharacterIsRefusedBeforeTheStatementRuns) {
    fb::Transaction tr(db());
    try {
        fb::execute(tr, QStringLiteral("INSERT INTO USERS (USER_FIO) VALUES (?)"), {QStringLiteral("Ivan \u4E2D")});
        FAIL() << "expected an encoding error";
    } catch (const fb::Error& e) {
        EXPECT_EQ(e.category(), fb::ErrorCategory::Encoding);
        EXPECT_TRUE(e.message().contains(QStringLiteral("U+4E2D")));
    }
    const auto n = fb::queryOne(tr, QStringLiteral("SELECT COUNT(*) FROM USERS"));
    EXPECT_EQ(fb::toInt64(n->at(0)), 0);
}

TEST_F(DataLayer, LockConflictFailsAtOnceWithoutWaiting) {
    exec(QStringLiteral("INSERT INTO USERS (USER_ID, USER_FIO) VALUES (1, 'A')"));
    fb::Connection other(params());
    fb::Transaction t1(db());
    fb::execute(t1, QStringLiteral("UPDATE USERS SET USER_FIO = 'B' WHERE USER_ID = 1"));
    fb::Transaction t2(other);
    try {
        fb::execute(t2, QStringLiteral("UPDATE USERS SET USER_FIO = 'C' WHERE USER_ID = 1"));
        FAIL() << "expected a lock conflict";
    } catch (const fb::Error& e) {
        EXPECT_EQ(e.category(), fb::ErrorCategory::LockConflict) << e.message().toStdString();
        EXPECT_NE(e.gdscode(), 0);
    }
}

TEST_F(DataLayer, ReadOnlyTransactionSeesCommittedRowsAndRefusesWrites) {
    fb::Transaction reader(db(), fb::Transaction::Access::ReadOnly);
    fb::Statement count(reader, QStringLiteral("SELECT COUNT(*) FROM USERS"));
    exec(QStringLiteral("INSERT INTO USERS (USER_ID, USER_FIO) VALUES (1, 'A')"));
    // Read committed: a row committed after the reader began is seen.
    count.execute(reader);
    ASSERT_TRUE(count.fetch());
    EXPECT_EQ(fb::toInt64(count.row().at(0)), 1);
    count.closeCursor();
    EXPECT_THROW(fb::execute(reader, QStringLiteral("DELETE FROM USERS")), fb::Error);
    reader.commit();
    fb::Transaction tr(db());
    EXPECT_EQ(fb::toInt64(fb::queryOne(tr, QStringLiteral("SELECT COUNT(*) FROM USERS"))->at(0)), 1);
}

TEST_F(DataLayer, CommitRetainingKeepsTheTransactionAndRollbackRestores) {
    fb::Transaction tr(db());
    fb::execute(tr, QStringLiteral("INSERT INTO USERS (USER_ID, USER_FIO) VALUES (1, 'kept')"));
    tr.commitRetaining();
    EXPECT_TRUE(tr.isActive());
    fb::execute(tr, QStringLiteral("INSERT INTO USERS (USER_ID, USER_FIO) VALUES (2, 'dropped')"));
    tr.rollback();
    EXPECT_FALSE(tr.isActive());
    {
        // A transaction left without commit rolls back when it goes out of scope.
        fb::Transaction t(db());
        fb::execute(t, QStringLiteral("INSERT INTO USERS (USER_ID, USER_FIO) VALUES (3, 'dropped too')"));
    }
    fb::Transaction check(db());
    const auto rows = fb::query(check, QStringLiteral("SELECT USER_ID FROM USERS ORDER BY 1"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].integer(QStringLiteral("USER_ID")), 1);
}

TEST_F(DataLayer, SavepointUndoesOnlyWhatFollowedIt) {
    fb::Transaction tr(db());
    fb::execute(tr, QStringLiteral("INSERT INTO USERS (USER_ID) VALUES (1)"));
    tr.savepoint(QStringLiteral("S1"));
    fb::execute(tr, QStringLiteral("INSERT INTO USERS (USER_ID) VALUES (2)"));
    tr.rollbackToSavepoint(QStringLiteral("S1"));
    EXPECT_EQ(fb::toInt64(fb::queryOne(tr, QStringLiteral("SELECT COUNT(*) FROM USERS"))->at(0)), 1);
}

TEST_F(DataLayer, NullEmptyAndZeroStayDistinct) {
    fb::Transaction tr(db());
    fb::Statement ins(tr, QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_COUNT) VALUES (?, ?)"));
    ins.execute(tr, {std::int64_t{1}, fb::null()});
    ins.execute(tr, {std::int64_t{2}, QString()});
    ins.execute(tr, {std::int64_t{3}, QStringLiteral("0")});
    EXPECT_EQ(ins.affectedRows(), 1);
    const auto rows = fb::query(tr, QStringLiteral("SELECT GOOD_COUNT FROM GOODS ORDER BY GOOD_ID"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(rows[0].isNull(QStringLiteral("GOOD_COUNT")));
    EXPECT_FALSE(rows[1].isNull(QStringLiteral("GOOD_COUNT")));
    EXPECT_EQ(rows[1].str(QStringLiteral("GOOD_COUNT")), QString());
    EXPECT_EQ(rows[2].str(QStringLiteral("GOOD_COUNT")), QStringLiteral("0"));
    // "No row" is not a NULL column.
    EXPECT_FALSE(fb::queryOne(tr, QStringLiteral("SELECT GOOD_COUNT FROM GOODS WHERE GOOD_ID = 99")).has_value());
}

TEST_F(DataLayer, DecimalsTravelExactlyWhateverTheLocale) {
    const char* old = std::setlocale(LC_ALL, nullptr);
    const std::string saved = old ? old : "C";
    std::setlocale(LC_NUMERIC, "ru_RU.UTF-8");  // may be absent; then the C locale is tested
    fb::Transaction tr(db());
    const auto row = fb::queryOne(tr,
                                  QStringLiteral("SELECT CAST(? AS DECIMAL(15,2)) A, CAST('1234.567' AS NUMERIC(15,3)) B, "
                                                 "CAST(? AS DECIMAL(15,3)) C FROM RDB$DATABASE"),
                                  {fb::Decimal{123456, 2}, QStringLiteral("7.5")});
    std::setlocale(LC_ALL, saved.c_str());
    ASSERT_TRUE(row);
    EXPECT_EQ(row->str(QStringLiteral("A")), QStringLiteral("1234.56"));
    EXPECT_EQ(fb::toScaled((*row)[QStringLiteral("B")], 3), 1234567);
    // Stored texts may use a comma; readers take it as the point.
    EXPECT_EQ(fb::parseScaled(QStringLiteral("7,5"), 3), 7500);
    EXPECT_EQ(fb::parseScaled(QString(), 2), std::nullopt);
    EXPECT_EQ(fb::formatScaled(-5, 2), QStringLiteral("-0.05"));
    EXPECT_EQ(fb::parseScaled(QStringLiteral("1.005"), 2), 101);
}

TEST(DecimalText, NumbersThatDoNotFitAreRefusedNeverWrapped) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    const struct {
        const char* text;
        int scale;
        std::optional<std::int64_t> value;
    } cases[] = {
        {"184467440737095517", 2, std::nullopt},  // was 0.84 once wrapped
        {"18446744073709551", 2, 1844674407370955100},
        {"92233720368547758.07", 2, kMax},
        {"-92233720368547758.07", 2, -kMax},
        {"92233720368547758.08", 2, std::nullopt},
        {"92233720368547758.074", 2, kMax},
        {"92233720368547758.075", 2, std::nullopt},  // rounding up would pass the top
        {"9223372036854775.807", 3, kMax},
        {"9223372036854775.808", 3, std::nullopt},
        {"9223372036854775807", 0, kMax},
        {"9223372036854775808", 0, std::nullopt},
        {"18446744073709551616", 0, std::nullopt},
        {"100000000000000000000", 2, std::nullopt},
        {"000000000000000000009.995", 2, 1000},
        {"999999999999999.999", 3, 999999999999999999},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fb::parseScaled(QString::fromLatin1(c.text), c.scale), c.value) << c.text << " / " << c.scale;
}

TEST_F(DataLayer, DatesTimesAndTimestampsRoundTrip) {
    fb::Transaction tr(db());
    const QDate d(2024, 2, 1);
    const QTime t(9, 5, 7);
    const auto row = fb::queryOne(tr,
                                  QStringLiteral("SELECT CAST(? AS DATE) D, CAST(? AS TIME) T, CAST(? AS TIMESTAMP) TS, "
                                                 "CAST('01.02.2024' AS DATE) DT FROM RDB$DATABASE"),
                                  {d, t, QDateTime(d, t)});
    ASSERT_TRUE(row);
    EXPECT_EQ(fb::toDate((*row)[QStringLiteral("D")]), d);
    EXPECT_EQ(fb::toTime((*row)[QStringLiteral("T")]), t);
    EXPECT_EQ(std::get<QDateTime>((*row)[QStringLiteral("TS")]), QDateTime(d, t));
    EXPECT_EQ(fb::toDate((*row)[QStringLiteral("DT")]), d);
}

TEST_F(DataLayer, ProceduresTakeNamedInputsAndLeaveTheRestNull) {
    fb::Transaction tr(db());
    const auto out = fb::callProcedure(tr, QStringLiteral("USERS_IO_PROC"),
                                       {{QStringLiteral("F_VIBOR"), std::int64_t{1}},
                                        {QStringLiteral("f_user_fio"), QStringLiteral("Иванова")},
                                        {QStringLiteral("F_USER_PASSWORD"), QStringLiteral("1")}});
    ASSERT_TRUE(out);
    const int id = out->integer(QStringLiteral("O_USER_ID"));
    EXPECT_GT(id, 0);
    const auto row = fb::queryOne(tr, QStringLiteral("SELECT USER_FIO, USER_INN FROM USERS WHERE USER_ID = ?"),
                                  {std::int64_t{id}});
    EXPECT_EQ(row->str(QStringLiteral("USER_FIO")), QStringLiteral("Иванова"));
    EXPECT_TRUE(row->isNull(QStringLiteral("USER_INN")));
    EXPECT_THROW(fb::callProcedure(tr, QStringLiteral("USERS_IO_PROC"), {{QStringLiteral("NO_SUCH"), std::int64_t{1}}}),
                 fb::Error);
}

TEST_F(DataLayer, DdlAndProcedureTextRunAsWritten) {
    fb::runScript(db(), QStringLiteral("SET TERM ^ ;\n"
                                       "CREATE PROCEDURE P_TWICE (I INTEGER) RETURNS (O INTEGER) AS\n"
                                       "BEGIN O = :I * 2; /* ; inside a comment */ SUSPEND; END^\n"
                                       "SET TERM ; ^\n"
                                       "CREATE TABLE T_X (A VARCHAR(5) DEFAULT ';');"));
    fb::Transaction tr(db());
    EXPECT_TRUE(fb::meta::procedureExists(tr, QStringLiteral("p_twice")));
    EXPECT_EQ(fb::meta::procedureInputCount(tr, QStringLiteral("P_TWICE")), 1);
    EXPECT_EQ(fb::meta::procedureOutputCount(tr, QStringLiteral("P_TWICE")), 1);
    EXPECT_EQ(fb::meta::procedureInputCount(tr, QStringLiteral("NOPE")), std::nullopt);
    const auto rows = fb::selectProcedure(tr, QStringLiteral("P_TWICE"), {{QStringLiteral("I"), std::int64_t{21}}});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].integer(QStringLiteral("O")), 42);
    EXPECT_TRUE(fb::meta::tableExists(tr, QStringLiteral("T_X")));
    EXPECT_EQ(fb::meta::columnCount(tr, QStringLiteral("T_X")), 1);
}

TEST_F(DataLayer, PreparedStatementRunsManyTimesWithNewValues) {
    fb::Transaction tr(db());
    fb::Statement ins(tr, QStringLiteral("INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE) VALUES (?, ?)"));
    for (int i = 0; i < 50; ++i) ins.execute(tr, {std::int64_t{i % 5}, QStringLiteral("46%1").arg(i)});
    fb::Statement sel(tr, QStringLiteral("SELECT COUNT(*) N FROM GOODS_BARCODE WHERE GOOD_ID = ?"));
    for (int g = 0; g < 5; ++g) {
        sel.execute(tr, {std::int64_t{g}});
        ASSERT_TRUE(sel.fetch());
        EXPECT_EQ(sel.row().integer(QStringLiteral("N")), 10);
    }
    EXPECT_EQ(fb::execute(tr, QStringLiteral("DELETE FROM GOODS_BARCODE WHERE GOOD_ID < ?"), {std::int64_t{2}}), 20);
}

TEST(Connection, AttachToMissingFileThrowsAndALaterAttachWorks) {
    QTemporaryDir dir;
    fb::ConnectionParams p;
    p.database = QDir(dir.path()).filePath(QStringLiteral("missing.fdb"));
    fb::Connection c(p);
    EXPECT_THROW(c.attach(), fb::Error);
    EXPECT_FALSE(c.isConnected());
    QFile::copy(testsupport::templateDatabase(), p.database);
    QFile::setPermissions(p.database, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    c.attach();
    EXPECT_TRUE(c.isConnected());
    EXPECT_TRUE(c.ping());
}

TEST(Script, SplitsOnTheCurrentTerminatorOnly) {
    const QStringList s = fb::splitScript(QStringLiteral(
        "-- comment; here\nCREATE TABLE A (X VARCHAR(3) DEFAULT ';');\nSET TERM ^ ;\nCREATE PROCEDURE P AS BEGIN EXIT; END^\n"
        "SET TERM ; ^\n  \nINSERT INTO A VALUES ('^');"));
    ASSERT_EQ(s.size(), 3);
    EXPECT_EQ(s[0], QStringLiteral("CREATE TABLE A (X VARCHAR(3) DEFAULT ';')"));
    EXPECT_EQ(s[1], QStringLiteral("CREATE PROCEDURE P AS BEGIN EXIT; END"));
    EXPECT_EQ(s[2], QStringLiteral("INSERT INTO A VALUES ('^')"));
}

}  // namespace
