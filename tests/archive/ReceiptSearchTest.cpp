// Finding stored receipts: the bound search, the words of the lists, the
// window's two lists and the goods check of a stored receipt.
#include "archive/GoodsCheck.h"
#include "archive/ReceiptSearch.h"
#include "archive/StoredGoodsCheck.h"
#include "archive/uFindCheck.h"

#include "ReportTestSupport.h"
#include "platform/db/Metadata.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/report/PreviewRecorder.h"
#include "support/ColumnCheck.h"
#include "support/FakeMessages.h"
#include "support/UpgradedDbFixture.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

using namespace archive;

TEST(ReceiptSearchWords, StoredCodesShowAsTheListsWords) {
    using F = QString (*)(std::optional<int>);
    struct Case {
        F f;
        std::optional<int> code;
        QString text;
    };
    const std::vector<Case> cases{
        {receiptKindShort, 1, "приход"},
        {receiptKindShort, 4, "взв.расхода"},
        {receiptKindShort, 5, ""},
        {receiptKindShort, std::nullopt, ""},
        {paymentMethodShort, 1, "предопл.100%"},
        {paymentMethodShort, 4, "полный расчет"},
        {paymentMethodShort, 0, ""},
        {vatShortText, 1, "НДС 20%"},
        {vatShortText, 6, "НДС не обл."},
        {vatShortText, 7, "- - -"},
        {vatShortText, std::nullopt, "- - -"},
        {markTypeShort, 4, "табак"},
        {markTypeShort, 13, "молочка"},
        {markTypeShort, 7, ""},
        {markTypeShort, 14, "? ? ?"},
        {markTypeShort, -1, "? ? ?"},
        {markTypeShort, std::nullopt, ""},
        {countryImportMark, 0, ""},
        {countryImportMark, 643, ""},
        {countryImportMark, 398, "импорт"},
        {unitShort, std::nullopt, ""},
        {unitShort, 99, ""},
        {unitShort, 255, "иные"},
        {unitShort, 11, "кг"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.f(c.code), c.text) << (c.code ? *c.code : -999) << " " << c.text.toStdString();

    const std::vector<std::pair<QString, QString>> payments{
        {"", ""}, {"0", ""}, {"0.001", ""}, {"0.01", ""}, {"abc", ""}, {"0.02", "0.02"}, {"12.50", "12.50"}};
    for (const auto& [stored, shown] : payments) EXPECT_EQ(paymentCell(stored), shown) << stored.toStdString();
}

TEST(ReceiptSearchQuery, EveryTypedValueIsBound) {
    EXPECT_EQ(likeContains("50%_¤x"), "%50¤%¤_¤¤X%");
    ReceiptSearchFilter f;
    EXPECT_EQ(buildReceiptSearchQuery(f).sql,
              "SELECT * FROM DOCUMENTS WHERE DOC_TYPE=3 ORDER BY DOC_DATE_D DESC, DOC_TIME_T DESC");
    f.returnMode = true;
    f.fpd = " 12'3 ";
    f.dateOn = true;
    f.from = QDate(2024, 1, 1);
    f.to = QDate(2024, 1, 2);
    f.buyerOn = true;
    f.buyerInn = " 7700' ";
    f.buyerName = "o'neil";
    const ReceiptSearchQuery q = buildReceiptSearchQuery(f);
    EXPECT_FALSE(q.sql.contains("12'3"));
    EXPECT_FALSE(q.sql.contains("neil", Qt::CaseInsensitive));
    EXPECT_TRUE(q.sql.contains(" AND DOC_CHECK_TYPE=1"));
    ASSERT_EQ(q.params.size(), 5u);
    EXPECT_EQ(std::get<QString>(q.params[0]), "12'3");
    EXPECT_EQ(std::get<QDate>(q.params[1]), QDate(2024, 1, 1));
    EXPECT_EQ(std::get<QString>(q.params[3]), "7700'");
    EXPECT_EQ(std::get<QString>(q.params[4]), "%O'NEIL%");
}

namespace {

class ReceiptArchiveTest : public testsupport::UpgradedDbTest {
protected:
    void receipt(int id, int kind, const QString& date, const QString& fpd, const QString& buyer,
                 const QString& inn = {}, int type = 3) {
        fb::Transaction tr(db());
        fb::execute(tr,
                    "INSERT INTO DOCUMENTS (DOC_ID, DOC_TYPE, DOC_CHECK_TYPE, DOC_DATE_D, DOC_TIME_T, DOC_FPD, "
                    "DOC_BUYER_NAME, DOC_BUYER_INN, DOC_SUMM_FULL, DOC_PAY_NAL, DOC_USER) "
                    "VALUES (?, ?, ?, ?, '12:30:00', ?, ?, ?, '1234.56', '0', 'Иванов')",
                    {std::int64_t{id}, std::int64_t{type}, std::int64_t{kind}, QDate::fromString(date, Qt::ISODate),
                     fpd, buyer, inn});
        tr.commit();
    }
    void line(int docId, const QString& name, const QString& price, const QString& count,
              const QString& fraction = {}) {
        fb::Transaction tr(db());
        fb::execute(tr,
                    "INSERT INTO DOCUMENTS_DETAIL (DD_DOC_ID, DD_GOOD_ID, DD_GOOD_NAME, DD_GOOD_PRICE_CURRENT, "
                    "DD_GOOD_COUNT, DD_MARKTYPE, DD_COUNTRY_CODE, DD_TAXRATE, DD_FRACTIONAL_COUNT) "
                    "VALUES (?, 1, ?, ?, ?, 14, 398, 1, ?)",
                    {std::int64_t{docId}, name, price, count, fraction.isEmpty() ? fb::null() : fb::Value(fraction)});
        tr.commit();
    }
    std::vector<int> found(const ReceiptSearchFilter& f) {
        const ReceiptSearchQuery q = buildReceiptSearchQuery(f);
        fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
        fb::Statement st(tr, q.sql);
        st.bindAll(q.params);
        st.execute(tr);
        std::vector<int> ids;
        while (st.fetch()) ids.push_back(st.row().integer("DOC_ID"));
        return ids;
    }
    QString scalar(const QString& sql) {
        fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
        const auto row = fb::queryOne(tr, sql);
        return row ? fb::toString(row->at(0)) : QStringLiteral("<no row>");
    }

    testsupport::FakeMessages messages;
    report::PreviewRecorder previews;
};

}  // namespace

TEST_F(ReceiptArchiveTest, FiltersMatchLiterallyAndIncludeBothEnds) {
    receipt(1, 1, "2024-02-05", "1001", "Скидка 50% ООО", "7700000001");
    receipt(2, 1, "2024-02-06", "1002", "a_b", "7700000002");
    receipt(3, 1, "2024-02-07", "1003", "O'Neil");
    receipt(4, 1, "2024-02-08", "1004", "x¤y");
    receipt(5, 1, "2024-02-09", "1005", "Скидка 500 ООО");
    receipt(6, 1, "2024-02-09", "1006", "axb");
    receipt(7, 2, "2024-02-10", "1007", "");
    receipt(8, 1, "2024-02-10", "1008", "", {}, 31);  // a correction receipt never appears

    auto byName = [](const QString& name) {
        ReceiptSearchFilter f;
        f.buyerOn = true;
        f.buyerName = name;
        return f;
    };
    EXPECT_EQ(found(byName("50%")), std::vector<int>{1});
    EXPECT_EQ(found(byName("A_B")), std::vector<int>{2});
    EXPECT_EQ(found(byName("o'neil")), std::vector<int>{3});
    EXPECT_EQ(found(byName("¤")), std::vector<int>{4});
    EXPECT_EQ(found(byName("скидка")), (std::vector<int>{5, 1}));
    ReceiptSearchFilter inn;
    inn.buyerOn = true;
    inn.buyerInn = " 7700000002 ";
    EXPECT_EQ(found(inn), std::vector<int>{2});
    inn.buyerOn = false;  // the buyer box off: its fields do not count
    EXPECT_EQ(found(inn).size(), 7u);

    {
        // A search by fiscal sign is a look-up, not a scan of the year.
        fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
        EXPECT_TRUE(fb::meta::indexExists(tr, "IX_DOCUMENTS_FPD"));
    }
    ReceiptSearchFilter fpd;
    fpd.fpd = "  1007 ";
    EXPECT_EQ(found(fpd), std::vector<int>{7});
    fpd.returnMode = true;  // a return is made only from a sale
    EXPECT_TRUE(found(fpd).empty());

    ReceiptSearchFilter dates;
    dates.dateOn = true;
    dates.from = dates.to = QDate(2024, 2, 9);
    EXPECT_EQ(found(dates).size(), 2u);
    dates.from = QDate(2024, 2, 5);
    dates.to = QDate(2024, 2, 6);
    EXPECT_EQ(found(dates), (std::vector<int>{2, 1}));
    dates.from = QDate(2024, 2, 7);  // from after to
    EXPECT_TRUE(found(dates).empty());
}

TEST_F(ReceiptArchiveTest, FilterLongerThanItsColumnFindsNothingInsteadOfFailing) {
    receipt(1, 1, "2024-02-05", "123456789012345", QString(50, QChar(u'Я')), "770000000001");
    auto filter = [](const QString& fpd, const QString& inn, const QString& name) {
        ReceiptSearchFilter f;
        f.fpd = fpd;
        f.buyerOn = true;
        f.buyerInn = inn;
        f.buyerName = name;
        return f;
    };
    const QString longName = QString(201, QLatin1Char('%'));
    struct Case {
        ReceiptSearchFilter filter;
        std::vector<int> ids;
    };
    const Case cases[] = {
        {filter("123456789012345", "770000000001", QString(50, QChar(u'я'))), {1}},  // at the widths: found
        {filter("1234567890123456", {}, {}), {}},
        {filter({}, "7700000000012", {}), {}},
        {filter({}, {}, QString(51, QChar(u'Я'))), {}},
        {filter({}, {}, longName), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter.fpd.toStdString() + " " + c.filter.buyerInn.toStdString() + " " +
                     std::to_string(c.filter.buyerName.size()));
        std::vector<int> ids;
        EXPECT_NO_THROW(ids = found(c.filter));
        EXPECT_EQ(ids, c.ids);
    }
}

TEST_F(ReceiptArchiveTest, FiscalSignSearchIsOneLookUpInItsIndex) {
    for (int i = 1; i <= 50; ++i)
        receipt(i, 1, QDate(2024, 1, 1).addDays(i % 3).toString(Qt::ISODate), QString::number(1000 + i), {});
    ReceiptSearchFilter f;
    f.fpd = "1007";
    const ReceiptSearchQuery q = buildReceiptSearchQuery(f);
    fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
    fb::Statement st(tr, q.sql);
    // Whatever the statistics say: the type matches every receipt and must
    // not be walked through the type and date index.
    const QString plan = st.plan();
    EXPECT_TRUE(plan.contains("IX_DOCUMENTS_FPD")) << plan.toStdString();
    EXPECT_FALSE(plan.contains("IX_DOCUMENTS_TYPE_DATE")) << plan.toStdString();
    st.bindAll(q.params);
    st.execute(tr);
    ASSERT_TRUE(st.fetch());
    EXPECT_EQ(st.row().integer("DOC_ID"), 7);
}

TEST_F(ReceiptArchiveTest, NewestFirstListIsReadInIndexOrderUnlessALookUpOrABuyerAloneNarrowsIt) {
    for (int i = 1; i <= 50; ++i)
        receipt(i, 1, QDate(2024, 1, 1).addDays(i % 7).toString(Qt::ISODate), QString::number(1000 + i),
                i % 5 ? QString() : QStringLiteral("Buyer"));
    ReceiptSearchFilter all, returns, days, buyer, buyerDays, fpd;
    returns.returnMode = true;
    days.dateOn = buyerDays.dateOn = true;
    days.from = buyerDays.from = QDate(2024, 1, 2);
    days.to = buyerDays.to = QDate(2024, 1, 4);
    buyer.buyerOn = buyerDays.buyerOn = true;
    buyer.buyerName = buyerDays.buyerName = "buyer";
    fpd.fpd = "1007";
    struct Case {
        const char* name;
        ReceiptSearchFilter filter;
        bool inOrder;  // the first screen without sorting what the archive holds
    };
    const Case cases[] = {{"unfiltered", all, true},   {"returns", returns, true}, {"days", days, true},
                          {"buyer days", buyerDays, true}, {"buyer", buyer, false},   {"fpd", fpd, false}};
    fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ReceiptSearchQuery q = buildReceiptSearchQuery(c.filter);
        fb::Statement st(tr, q.sql);
        const QString plan = st.plan();
        EXPECT_EQ(plan.contains("ORDER IX_DOCUMENTS_TYPE_NEWEST"), c.inOrder) << plan.toStdString();
        EXPECT_NE(plan.contains("SORT"), c.inOrder) << plan.toStdString();
        // Newest first either way.
        st.bindAll(q.params);
        st.execute(tr);
        QDate last(2100, 1, 1);
        int rows = 0;
        while (st.fetch()) {
            const QDate day = fb::toDate(st.row()["DOC_DATE_D"]).value_or(QDate());
            EXPECT_LE(day, last);
            last = day;
            ++rows;
        }
        EXPECT_GT(rows, 0);
    }
}

TEST_F(ReceiptArchiveTest, WindowListsReceiptsAndThePositionsOfTheCurrentOne) {
    receipt(1, 1, "2024-02-05", "1001", "");
    receipt(2, 1, "2024-02-06", "1002", "");
    line(1, "Хлеб", "50.00", "2");
    line(2, "Сыр", "200.00", "");  // an empty count still opens
    line(2, "Молоко", "80.00", "1");

    QPointer<TfmFindCheck> w = new TfmFindCheck(params(), "ПРИХОД", reporttest::programFolder());
    w->show();
    EXPECT_EQ(w->windowTitle(), "Найти чек");
    EXPECT_FALSE(w->GroupBox3->isEnabled());
    EXPECT_FALSE(w->btnCheckOpen->isEnabled());
    EXPECT_FALSE(w->btnPositionOpen->isEnabled());
    EXPECT_FALSE(w->DateTimePicker1->isEnabled());
    EXPECT_EQ(w->DateTimePicker1->date(), QDate::currentDate());
    QTest::mouseClick(w->CheckBox2, Qt::LeftButton);
    EXPECT_TRUE(w->DateTimePicker2->isEnabled());
    QTest::mouseClick(w->CheckBox2, Qt::LeftButton);

    QTest::mouseClick(w->btnFind, Qt::LeftButton);
    ASSERT_EQ(w->DBGrid1->model()->rowCount(), 2);
    EXPECT_EQ(w->currentDocId(), 2);  // newest first
    auto cell = [](QTableView* v, int r, int c) { return v->model()->index(r, c).data().toString(); };
    EXPECT_EQ(cell(w->DBGrid1, 0, 0), "06.02.2024");
    EXPECT_EQ(cell(w->DBGrid1, 0, 1), "12:30:00");
    EXPECT_EQ(cell(w->DBGrid1, 0, 2), "приход");
    EXPECT_EQ(cell(w->DBGrid1, 0, 4), "");  // no cash
    ASSERT_EQ(w->DBGrid2->model()->rowCount(), 2);
    EXPECT_EQ(cell(w->DBGrid2, 0, 4), "НДС 20%");
    EXPECT_EQ(cell(w->DBGrid2, 0, 6), "? ? ?");
    EXPECT_EQ(cell(w->DBGrid2, 0, 8), "импорт");
    EXPECT_TRUE(w->DBGrid2->isColumnHidden(8));
    testsupport::expectColumnsShowTheirText(w->DBGrid1);
    testsupport::expectColumnsShowTheirText(w->DBGrid2);

    // The wheel moves the current receipt by one, and the positions follow.
    QWheelEvent down(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w->DBGrid1->viewport(), &down);
    EXPECT_EQ(w->currentDocId(), 1);
    ASSERT_EQ(w->DBGrid2->model()->rowCount(), 1);
    EXPECT_EQ(cell(w->DBGrid2, 0, 0), "Хлеб");
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    delete w;
}

TEST_F(ReceiptArchiveTest, StoredGoodsCheckMergesLinesAndTakesOneNumber) {
    GoodsCheckSettings s;
    s.prefix = "А";
    s.number = 15;
    GoodsCheckStore(db()).saveSettings(s);
    receipt(1, 1, "2024-02-05", "1001", "");
    line(1, "Хлеб", "10.05", "2");
    line(1, "Хлеб", "10.05", "3");
    line(1, "Соль", "0.15", "0.5");  // 0.075 rounds half away to 0.08
    line(1, "Сыр", "200.00", "");

    int numbered = 0;
    ASSERT_TRUE(printStoredGoodsCheck(nullptr, db(), reporttest::programFolder(), 1, [&] { ++numbered; }));
    ASSERT_EQ(previews.shown.size(), 1u);
    const report::Report& r = previews.shown[0].report;
    EXPECT_EQ(r.find("txtHead")->text, "Товарный чек № А - 15 от 05 февраля 2024 г.");
    EXPECT_EQ(r.find("txtItogo")->text, "1234.56");
    EXPECT_EQ(r.find("txtSummaWord")->text, "Одна тысяча двести тридцать четыре рубля 56 копеек");
    EXPECT_EQ(r.find("txtFIO")->text, "/ Иванов /");
    const report::DataSet* data = r.data("RvDataSetConnDM");
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(data->rowCount(), 3);
    std::map<QString, std::pair<QString, QString>> byName;
    for (int i = 0; i < data->rowCount(); ++i)
        byName[data->value(i, "G_NAME")] = {data->value(i, "G_COUNT"), data->value(i, "G_SUMM")};
    EXPECT_EQ(byName["Хлеб"], std::make_pair(QString("5.000"), QString("50.25")));
    EXPECT_EQ(byName["Соль"], std::make_pair(QString("0.500"), QString("0.08")));
    EXPECT_EQ(byName["Сыр"], std::make_pair(QString("0.000"), QString("0.00")));
    // Closed without the print setup: no number taken.
    EXPECT_EQ(numbered, 0);
    EXPECT_EQ(scalar("SELECT DOC_GC_NUMBER FROM DOCUMENTS WHERE DOC_ID = 1"), "");

    previews.openPrintSetup = true;
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(printStoredGoodsCheck(nullptr, db(), reporttest::programFolder(), 1, [&] { ++numbered; }));
    EXPECT_EQ(numbered, 1);
    EXPECT_EQ(scalar("SELECT DOC_GC_NUMBER FROM DOCUMENTS WHERE DOC_ID = 1"), "15");
    EXPECT_EQ(scalar("SELECT GC_NUMBER FROM GOODSCHECK_SETTINGS"), "16");
    EXPECT_EQ(previews.shown.back().report.find("txtHead")->text, "Товарный чек № А - 15 от 05 февраля 2024 г.");
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
}

TEST_F(ReceiptArchiveTest, StoredGoodsCheckLinesAddUpToWhatTheReceiptSoldThemFor) {
    receipt(1, 1, "2024-02-05", "1001", "");
    // Two thirds of a pack at 99.99, each third registered as 33.33; two
    // more thirds with 0.01 off, registered as 33.33 and 33.32.
    line(1, "Сырок", "99.99", "0.333", "1/3");
    line(1, "Сырок", "99.99", "0.333", "1/3");
    line(1, "Сырок плавл.", "99.99", "0.333", "1/3");
    line(1, "Сырок плавл.", "99.96", "0.333", "1/3");
    line(1, "Хлеб", "10.05", "2");
    line(1, "Хлеб", "10.05", "3");
    ASSERT_TRUE(printStoredGoodsCheck(nullptr, db(), reporttest::programFolder(), 1, {}));
    ASSERT_EQ(previews.shown.size(), 1u);
    const report::DataSet* data = previews.shown[0].report.data("RvDataSetConnDM");
    ASSERT_NE(data, nullptr);
    struct Expected {
        QString name, price, count, sum;
    };
    // Parts of packs show the price their quantity was sold at: price times
    // quantity is the sum shown.
    const QList<Expected> expected{{"Сырок", "100.09", "0.666", "66.66"},
                                   {"Сырок плавл.", "100.06", "0.333", "33.32"},
                                   {"Сырок плавл.", "100.09", "0.333", "33.33"},
                                   {"Хлеб", "10.05", "5.000", "50.25"}};
    ASSERT_EQ(data->rowCount(), expected.size());
    for (int i = 0; i < data->rowCount(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(data->value(i, "G_NAME"), expected[i].name);
        EXPECT_EQ(data->value(i, "G_PRICE"), expected[i].price);
        EXPECT_EQ(data->value(i, "G_COUNT"), expected[i].count);
        EXPECT_EQ(data->value(i, "G_SUMM"), expected[i].sum);
        EXPECT_EQ(data->value(i, "NUMPOS").toInt(), i + 1);
    }
}

TEST_F(ReceiptArchiveTest, StoredGoodsCheckOnlyForSaleReceipts) {
    receipt(1, 2, "2024-02-05", "1001", "");
    ASSERT_EQ(GoodsCheckStore(db()).refill({{1, 5, "Старое", "1.00", "1.00", "1"}}), GoodsCheckStore::Fill::Ok);
    EXPECT_FALSE(printStoredGoodsCheck(nullptr, db(), reporttest::programFolder(), 1, {}));
    EXPECT_EQ(messages.texts(), QStringList{goodsCheckText::kOnlyForSaleReceipts});
    EXPECT_EQ(scalar("SELECT G_NAME FROM GOODSCHECK"), "Старое");
    EXPECT_TRUE(previews.shown.empty());
}

TEST_F(ReceiptArchiveTest, WindowNumbersTheGoodsCheckAndStaysOnTheReceipt) {
    GoodsCheckSettings s;
    s.number = 3;
    GoodsCheckStore(db()).saveSettings(s);
    receipt(1, 1, "2024-02-05", "1001", "");
    receipt(2, 1, "2024-02-06", "1002", "");
    line(1, "Хлеб", "50.00", "2");
    QPointer<TfmFindCheck> w = new TfmFindCheck(params(), "ПРИХОД", reporttest::programFolder());
    w->show();
    QTest::mouseClick(w->btnFind, Qt::LeftButton);
    w->DBGrid1->setCurrentIndex(w->DBGrid1->model()->index(1, 0));
    ASSERT_EQ(w->currentDocId(), 1);
    previews.openPrintSetup = true;
    QTest::mouseClick(w->Button1, Qt::LeftButton);
    ASSERT_EQ(previews.shown.size(), 1u);
    EXPECT_EQ(previews.shown[0].report.find("txtHead")->text, "Товарный чек № 3 от 05 февраля 2024 г.");
    EXPECT_EQ(w->currentDocId(), 1);
    EXPECT_EQ(scalar("SELECT DOC_GC_NUMBER FROM DOCUMENTS WHERE DOC_ID = 1"), "3");
    EXPECT_EQ(scalar("SELECT GC_NUMBER FROM GOODSCHECK_SETTINGS"), "4");
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    delete w;
}
