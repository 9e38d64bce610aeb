#pragma once
// Goods, groups and documents for the stock tests, written straight into
// the per-test database.
#include "support/UpgradedDbFixture.h"

#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QString>

#include <optional>

namespace stocktest {

class StockDbTest : public testsupport::UpgradedDbTest {
protected:
    // A goods item; `stock` null leaves GOOD_COUNT null.
    void goods(int id, const QString& name, std::optional<QString> stock, int parent = 0, bool weighed = false,
               const QString& country = QString()) {
        fb::Transaction tr(db());
        fb::execute(
            tr,
            QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_W, GOOD_ISGOOD, GOOD_PARENTGROUP, "
                           "GOOD_COUNT, GOOD_EDIZM, GOOD_COUNTRY_CODE) VALUES (?, ?, ?, 1, ?, ?, 'шт', ?)"),
            {std::int64_t{id}, name, weighed ? QStringLiteral("да") : QStringLiteral("нет"), std::int64_t{parent},
             stock ? fb::Value(*stock) : fb::null(), country.isEmpty() ? fb::null() : fb::Value(country)});
        tr.commit();
    }
    void group(int id, const QString& name, int parent) {
        fb::Transaction tr(db());
        fb::execute(tr,
                    QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP) "
                                   "VALUES (?, ?, 0, ?)"),
                    {std::int64_t{id}, name, std::int64_t{parent}});
        tr.commit();
    }
    // A stored document of a type, number and date.
    int document(int type, int number, const QDate& date, int state = 1, const QString& summFull = QString()) {
        fb::Transaction tr(db());
        const auto id = fb::queryOne(tr, QStringLiteral("SELECT GEN_ID(GEN_DOC_ID, 1) FROM RDB$DATABASE"));
        const std::int64_t docId = id ? fb::toInt64(id->at(0)).value_or(0) : 0;
        fb::execute(tr,
                    QStringLiteral("INSERT INTO DOCUMENTS (DOC_ID, DOC_TYPE, DOC_NUMBER, DOC_DATE_D, DOC_CHECK_TYPE, "
                                   "DOC_SUMM_FULL) VALUES (?, ?, ?, ?, ?, ?)"),
                    {docId, std::int64_t{type}, std::int64_t{number}, date, std::int64_t{state},
                     summFull.isNull() ? fb::null() : fb::Value(summFull)});
        tr.commit();
        return static_cast<int>(docId);
    }
    std::optional<QString> stockOf(int id) {
        fb::Transaction tr(db());
        const auto row =
            fb::queryOne(tr, QStringLiteral("SELECT GOOD_COUNT FROM GOODS WHERE GOOD_ID=?"), {std::int64_t{id}});
        if (!row || row->isNull(QStringLiteral("GOOD_COUNT"))) return std::nullopt;
        return row->str(QStringLiteral("GOOD_COUNT"));
    }
    // Every batch as one text, in record order, to compare before and after.
    QString portions() {
        fb::Transaction tr(db());
        QStringList out;
        for (const fb::Row& r :
             fb::query(tr, QStringLiteral("SELECT P_DOC_ID, P_GOOD_ID, P_GOOD_COUNT, "
                                          "P_GOOD_COUNT_OFFS, P_DECLAR_NUMBER, P_CONFIRM FROM PORTIONS "
                                          "ORDER BY P_RECORD_ID")))
            out << QStringList{r.str("P_DOC_ID"),          r.str("P_GOOD_ID"),       r.str("P_GOOD_COUNT"),
                               r.str("P_GOOD_COUNT_OFFS"), r.str("P_DECLAR_NUMBER"), r.str("P_CONFIRM")}
                       .join(QLatin1Char('|'));
        return out.join(QLatin1Char('\n'));
    }
    int count(const QString& sql) {
        fb::Transaction tr(db());
        const auto row = fb::queryOne(tr, sql);
        return row ? static_cast<int>(fb::toInt64(row->at(0)).value_or(0)) : -1;
    }
};

}  // namespace stocktest
