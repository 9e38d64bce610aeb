#pragma once
// Goods, groups, barcodes and countries for the catalogue tests, written
// straight into the per-test database.
#include "support/UpgradedDbFixture.h"

#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QString>
#include <QStringList>

namespace cataloguetest {

class CatalogueDbTest : public testsupport::UpgradedDbTest {
protected:
    void goods(int id, const QString& name, int parent = 0, const QString& price = QStringLiteral("10.00"),
               const QString& country = QString()) {
        fb::Transaction tr(db());
        fb::execute(
            tr,
            QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_EDIZM, "
                           "GOOD_EDIZM_FFD, GOOD_NALOG, GOOD_ISGOOD, GOOD_PARENTGROUP, GOOD_COUNTRY_CODE, "
                           "GOOD_MARKTYPE) VALUES (?, ?, ?, 'нет', 'Т', 'шт', 0, '6', 1, ?, ?, 0)"),
            {std::int64_t{id}, name, price, std::int64_t{parent}, country.isEmpty() ? fb::null() : fb::Value(country)});
        tr.commit();
    }
    void group(int id, const QString& name, int parent = 0) {
        fb::Transaction tr(db());
        fb::execute(tr,
                    QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP) "
                                   "VALUES (?, ?, 0, ?)"),
                    {std::int64_t{id}, name, std::int64_t{parent}});
        tr.commit();
    }
    void barcode(int id, const QString& code) {
        fb::Transaction tr(db());
        fb::execute(
            tr, QStringLiteral("INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE, BARCODE_COEFF) VALUES (?, ?, '1')"),
            {std::int64_t{id}, code});
        tr.commit();
    }
    void country(int record, const QString& code, const QString& name) {
        fb::Transaction tr(db());
        fb::execute(
            tr,
            QStringLiteral("INSERT INTO COUNTRIES (COUNTRY_ID_RECORD, COUNTRY_CODE, COUNTRY_NAME) VALUES (?, ?, ?)"),
            {std::int64_t{record}, code, name});
        tr.commit();
    }
    QStringList barcodesOf(int id) {
        fb::Transaction tr(db());
        QStringList out;
        for (const auto& r : fb::query(tr,
                                       QStringLiteral("SELECT GOOD_BARCODE FROM GOODS_BARCODE WHERE GOOD_ID=? "
                                                      "ORDER BY GOOD_BARCODE"),
                                       {std::int64_t{id}}))
            out << r.str(QStringLiteral("GOOD_BARCODE"));
        tr.commit();
        return out;
    }
    // One column of one goods row as text ("<none>" when the row is missing).
    QString column(int id, const QString& name) {
        fb::Transaction tr(db());
        const auto row =
            fb::queryOne(tr, QStringLiteral("SELECT %1 FROM GOODS WHERE GOOD_ID=?").arg(name), {std::int64_t{id}});
        tr.commit();
        return row ? row->str(name) : QStringLiteral("<none>");
    }
};

}  // namespace cataloguetest
