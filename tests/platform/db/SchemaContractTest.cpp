// The fresh database holds every base table and column the program relies on.
#include "support/DbFixture.h"

#include "platform/db/Metadata.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <map>

namespace {

class FreshSchema : public testsupport::DbTest {};

TEST_F(FreshSchema, HoldsEveryBaseTableWithItsColumns) {
    const std::map<QString, QStringList> expected = {
        {"GOODS", {"GOOD_ID", "GOOD_NAME", "GOOD_PRICE", "GOOD_W", "GOOD_TYPE", "GOOD_EDIZM", "GOOD_NALOG", "GOOD_ISGOOD",
                   "GOOD_PARENTGROUP", "GOOD_COUNTRY_CODE", "GOOD_MARKTYPE", "GOOD_COUNT"}},
        {"GOODS_BARCODE", {"GOOD_ID", "GOOD_BARCODE", "BARCODE_COEFF"}},
        {"BARCODE_WEIGHT_PREFIX", {"PREF"}},
        {"COUNTRIES", {"COUNTRY_ID_RECORD", "COUNTRY_CODE", "COUNTRY_NAME"}},
        {"USERS", {"USER_ID", "USER_FIO", "USER_INN", "USER_POST", "USER_PASSWORD", "USER_BARCODE", "USER_RIGHTS"}},
        {"COMPANY_INFO", {"COMPANY_NAME", "COMPANY_FULLNAME", "COMPANY_INN", "BOSS_POST", "BOSS_FIO", "SALESPOINT_INFO"}},
        {"DOCUMENTS", {"DOC_ID", "DOC_TYPE", "DOC_CHECK_TYPE", "DOC_NUMBER", "DOC_FPD", "DOC_DATE_D", "DOC_TIME_T",
                       "DOC_SUMM_FULL", "DOC_PAY_NAL", "DOC_PAY_EL", "DOC_PAY_ADVANCE", "DOC_PAY_CREDIT",
                       "DOC_PAY_MEETING", "DOC_USER", "DOC_BUYER_NAME", "DOC_BUYER_INN"}},
        {"DOCUMENTS_DETAIL", {"DD_DOC_ID", "DD_GOOD_ID", "DD_GOOD_NAME", "DD_GOOD_TYPE", "DD_GOOD_PRICE_MAIN",
                              "DD_GOOD_PRICE_CURRENT", "DD_GOOD_COUNT", "DD_GOOD_PAYTYPE", "DD_DECLARE_NUMBER"}},
        {"PORTIONS", {"P_RECORD_ID", "P_DOC_ID", "P_GOOD_ID", "P_GOOD_COUNT", "P_GOOD_COUNT_OFFS", "P_DATE",
                      "P_DECLAR_NUMBER", "P_CONFIRM"}},
        {"GOODS_TEMP", {"G_ID", "G_NAME", "G_PRICE", "G_EDIZM", "G_COUNTRY", "G_DECLAR_NUMBER"}},
        {"SUPPLIERS", {"SU_ID", "SU_NAMEFULL", "SU_NAMESHORT", "SU_INN", "SU_CONTACTS", "SU_PERSON", "SU_WORK"}},
    };
    fb::Transaction tr(db());
    for (const auto& [table, columns] : expected) {
        ASSERT_TRUE(fb::meta::tableExists(tr, table)) << table.toStdString();
        for (const QString& c : columns)
            EXPECT_TRUE(fb::meta::columnExists(tr, table, c)) << (table + "." + c).toStdString();
    }
    // The old layout of the counterparties: the upgrade converts exactly 7 columns.
    EXPECT_EQ(fb::meta::columnCount(tr, "SUPPLIERS"), 7);
    for (const char* p : {"USERS_IO_PROC", "COMPANY_EDIT_PROC"}) EXPECT_TRUE(fb::meta::procedureExists(tr, p)) << p;
    for (const char* i : {"IX_GOODS_BARCODE_GOOD", "IX_GOODS_BARCODE_CODE", "IX_DOCUMENTS_DETAIL_DOC",
                          "IX_DOCUMENTS_TYPE_DATE", "IX_GOODS_TEMP_GOOD", "IX_DOCUMENTS_DETAIL_GOOD"})
        EXPECT_TRUE(fb::meta::indexExists(tr, i)) << i;
}

TEST_F(FreshSchema, DatabaseAssignsTheKeysItOwns) {
    exec("INSERT INTO DOCUMENTS (DOC_TYPE) VALUES (3)");
    exec("INSERT INTO USERS (USER_FIO) VALUES ('x')");
    exec("INSERT INTO SUPPLIERS (SU_NAMESHORT) VALUES ('x')");
    exec("INSERT INTO PORTIONS (P_GOOD_ID) VALUES (1)");
    exec("INSERT INTO COUNTRIES (COUNTRY_CODE) VALUES ('643')");
    fb::Transaction tr(db());
    for (const char* sql : {"SELECT DOC_ID FROM DOCUMENTS", "SELECT USER_ID FROM USERS", "SELECT SU_ID FROM SUPPLIERS",
                            "SELECT P_RECORD_ID FROM PORTIONS", "SELECT COUNTRY_ID_RECORD FROM COUNTRIES"}) {
        const auto row = fb::queryOne(tr, sql);
        ASSERT_TRUE(row) << sql;
        EXPECT_GT(fb::toInt64(row->at(0)).value_or(0), 0) << sql;
    }
}

}  // namespace
