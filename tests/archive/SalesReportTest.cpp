// The sales report's sections on a small hand-built set of receipts.
#include "archive/SalesReport.h"
#include "archive/uReportSales.h"

#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "support/ColumnCheck.h"
#include "support/FakeMessages.h"
#include "support/UpgradedDbFixture.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <map>

using namespace archive;

TEST(SalesReportVariant, TreeAndCheckBoxChooseTheVariant) {
    EXPECT_EQ(chooseSalesVariant(true, true, true), SalesVariant::All);
    EXPECT_EQ(chooseSalesVariant(true, true, false), SalesVariant::OneLevel);
    EXPECT_EQ(chooseSalesVariant(true, false, false), SalesVariant::OneLevel);
    EXPECT_EQ(chooseSalesVariant(true, false, true), SalesVariant::WithSubGroups);
    EXPECT_EQ(chooseSalesVariant(false, true, true), std::nullopt);
}

namespace {

class SalesReportTest : public testsupport::UpgradedDbTest {
protected:
    void SetUp() override {
        UpgradedDbTest::SetUp();
        if (HasFatalFailure()) return;
        group(100, "Молочное", 0);
        group(101, "Сыры", 100);
        group(102, "Петля", 103);  // a loop in the tree must not hang the report
        group(103, "Петля 2", 102);
        good(1, "Хлеб", 0);
        good(4, "Пакет", 0);
        good(2, "Сыр", 101);
        good(3, "Услуга", 100);
        // A sale paid part cash, part card, with two lines and a discount.
        receipt(1, 1, "2024-02-05", "100.00", "50.00", "");
        line(1, 1, "Хлеб", "50.00", "50.00", "2", 4);
        line(1, 2, "Сыр", "45.00", "50.00", "1", 4);
        // Bread again, a bag at no price, and goods since deleted.
        receipt(2, 1, "2024-02-06", "30.00", "0", "");
        line(2, 1, "Хлеб", "50.00", "0", "1", 4);
        line(2, 4, "Пакет", "0", "0", "1", 4);
        line(2, 99, "Удалённый", "10.00", "10.00", "1", 4);
        // An advance.
        receipt(3, 1, "2024-02-06", "", "", "20.00");
        line(3, 3, "Услуга", "20.00", "20.00", "1", 3);
        // A return of bread.
        receipt(4, 2, "2024-02-06", "50.00", "0", "0");
        line(4, 1, "Хлеб", "50.00", "50.00", "1", 4);
        // Never in the report: a purchase, a correction, another month.
        receipt(5, 3, "2024-02-06", "70.00", "", "");
        line(5, 1, "Хлеб", "70.00", "70.00", "1", 4);
        receipt(6, 1, "2024-02-06", "70.00", "", "", 31);
        line(6, 1, "Хлеб", "70.00", "70.00", "1", 4);
        receipt(7, 1, "2024-03-01", "70.00", "", "");
        line(7, 1, "Хлеб", "70.00", "70.00", "1", 4);
    }

    void group(int id, const QString& name, int parent) {
        fb::Transaction tr(db());
        fb::execute(tr, "INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP) VALUES (?, ?, 0, ?)",
                    {std::int64_t{id}, name, std::int64_t{parent}});
        tr.commit();
    }
    void good(int id, const QString& name, int parent) {
        fb::Transaction tr(db());
        fb::execute(tr, "INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP) VALUES (?, ?, 1, ?)",
                    {std::int64_t{id}, name, std::int64_t{parent}});
        tr.commit();
    }
    void receipt(int id, int kind, const QString& date, const QString& cash, const QString& card,
                 const QString& prepaid, int type = 3) {
        fb::Transaction tr(db());
        fb::execute(tr,
                    "INSERT INTO DOCUMENTS (DOC_ID, DOC_TYPE, DOC_CHECK_TYPE, DOC_DATE_D, DOC_PAY_NAL, DOC_PAY_EL, "
                    "DOC_PAY_ADVANCE) VALUES (?, ?, ?, ?, ?, ?, ?)",
                    {std::int64_t{id}, std::int64_t{type}, std::int64_t{kind}, QDate::fromString(date, Qt::ISODate),
                     cash, card, prepaid});
        tr.commit();
    }
    void line(int doc, int goods, const QString& name, const QString& price, const QString& main, const QString& count,
              int method) {
        fb::Transaction tr(db());
        fb::execute(tr,
                    "INSERT INTO DOCUMENTS_DETAIL (DD_DOC_ID, DD_GOOD_ID, DD_GOOD_NAME, DD_GOOD_PRICE_CURRENT, "
                    "DD_GOOD_PRICE_MAIN, DD_GOOD_COUNT, DD_GOOD_PAYTYPE) VALUES (?, ?, ?, ?, ?, ?, ?)",
                    {std::int64_t{doc}, std::int64_t{goods}, name, price, main, count, std::int64_t{method}});
        tr.commit();
    }

    // "section name count price sum main discount percent", empty for NULL.
    static QStringList text(const std::vector<SalesRow>& rows) {
        auto v = [](const std::optional<std::int64_t>& x, int scale) {
            return x ? fb::formatScaled(*x, scale) : QString("-");
        };
        QStringList out;
        for (const SalesRow& r : rows)
            out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8")
                       .arg(r.section)
                       .arg(r.name.trimmed().isEmpty() ? QString("_") : r.name.trimmed())
                       .arg(v(r.count, 3), v(r.price, 2), v(r.sum, 2), v(r.sumMain, 2), v(r.discount, 2),
                            v(r.percent, 2));
        return out;
    }

    std::string report(SalesVariant variant, std::vector<std::int64_t> groups = {}) {
        return text(buildSalesReport(readSalesLines(db(), QDate(2024, 2, 5), QDate(2024, 2, 6), variant, groups),
                                     variant))
            .join(QLatin1Char('\n'))
            .toStdString();
    }

    testsupport::FakeMessages messages;
};

}  // namespace

TEST_F(SalesReportTest, AllGoodsShowMoneyAdvancesPositionsAndReturns) {
    const QStringList expected{
        "10 ПРИХОД 0.000 0.00 180.00 0.00 - -",
        "11 нал 0.000 0.00 130.00 0.00 - -",
        "12 безнал 0.000 0.00 50.00 0.00 - -",
        "13 предоплатой 0.000 0.00 20.00 0.00 - -",
        "20 ВОЗВРАТ ПРИХОДА 0.000 0.00 50.00 0.00 - -",
        "21 нал 0.000 0.00 50.00 0.00 - -",
        "22 безнал 0.000 0.00 0.00 0.00 - -",
        "39 _ - - - - - -",
        "40 позиции Приход - - - - - -",
        "45 Аванс 1.000 - 20.00 - - -",
        "47 Полный расчет - - - - - -",
        "48 Пакет 1.000 0.00 0.00 0.00 - -",
        "48 Сыр 1.000 45.00 45.00 50.00 5.00 10.00",
        "48 Удалённый 1.000 10.00 10.00 10.00 - -",
        "48 Хлеб 3.000 50.00 150.00 150.00 - -",
        "599 _ - - - - - -",
        "600 позиции Возврат прихода - - - - - -",
        "670 Полный расчет - - - - - -",
        "680 Хлеб 1.000 50.00 50.00 - - -",
    };
    EXPECT_EQ(report(SalesVariant::All), expected.join(QLatin1Char('\n')).toStdString());
}

TEST_F(SalesReportTest, GroupVariantsKeepToTheirGoods) {
    // The root without sub-groups: goods right under it.
    EXPECT_EQ(report(SalesVariant::OneLevel, {0}),
              (QStringList{"40 позиции Приход - - - - - -", "247 Полный расчет - - - - - -",
                           "248 Пакет 1.000 0.00 0.00 0.00 - -", "248 Хлеб 3.000 50.00 150.00 150.00 - -",
                           "259 _ - - - - - -", "260 возвраты - - - - - -", "265 Полный расчет - - - - - -",
                           "266 Хлеб 1.000 50.00 50.00 50.00 - -"})
                  .join(QLatin1Char('\n'))
                  .toStdString());
    // A group with its sub-groups: cheese two levels down; the advance has
    // no section here.
    const std::vector<std::int64_t> dairy = groupWithSubGroups(db(), 100);
    EXPECT_EQ(dairy, (std::vector<std::int64_t>{100, 101}));
    EXPECT_EQ(report(SalesVariant::WithSubGroups, dairy),
              (QStringList{"40 prihod - - - - - -", "247 Полный расчет - - - - - -",
                           "248 Сыр 1.000 45.00 45.00 50.00 5.00 10.00"})
                  .join(QLatin1Char('\n'))
                  .toStdString());
    EXPECT_EQ(groupWithSubGroups(db(), 102), (std::vector<std::int64_t>{102, 103}));
}

TEST_F(SalesReportTest, WindowChecksThePeriodAndShowsOneDay) {
    QPointer<TfmReportSales> w = new TfmReportSales(params());
    w->show();
    EXPECT_EQ(w->windowTitle(), "Отчет: продажи");
    EXPECT_TRUE(w->chSubGroupOn->isChecked());
    ASSERT_NE(w->TreeView1->currentItem(), nullptr);
    EXPECT_EQ(w->TreeView1->currentItem()->text(0), "Номенклатура");

    w->DateTimePicker1->setDate(QDate(2024, 2, 6));
    w->DateTimePicker2->setDate(QDate(2024, 2, 5));
    QTest::mouseClick(w->Button2, Qt::LeftButton);
    EXPECT_EQ(messages.texts(), QStringList{"Неверно задан период   "});
    EXPECT_TRUE(w->rows().empty());

    messages.clear();
    w->DateTimePicker1->setDate(QDate(2024, 2, 5));
    QTest::mouseClick(w->Button2, Qt::LeftButton);
    ASSERT_FALSE(w->rows().empty());
    EXPECT_EQ(w->rows().front().section, 10);
    EXPECT_EQ(w->rows().front().sum, 15000);  // the fifth alone
    EXPECT_EQ(w->DBGrid1->model()->rowCount(), int(w->rows().size()));
    EXPECT_EQ(w->DBGrid1->model()->index(0, 1).data().toString(), "ПРИХОД (нал + безнал)");
    // The money totals carry their label across the goods columns, with no
    // zeros under count, price and the undiscounted sum.
    int totals = 0;
    for (int row = 0; row < w->DBGrid1->model()->rowCount(); ++row) {
        const int section = w->rows()[size_t(row)].section;
        if (section < 10 || section > 22) continue;
        ++totals;
        SCOPED_TRACE(section);
        EXPECT_EQ(w->DBGrid1->columnSpan(row, 0), 4);
        EXPECT_EQ(w->DBGrid1->model()->index(row, 0).data().toString(),
                  w->DBGrid1->model()->index(row, 1).data().toString());
        for (int column : {2, 3, 5}) EXPECT_EQ(w->DBGrid1->model()->index(row, column).data().toString(), "");
        EXPECT_FALSE(w->DBGrid1->model()->index(row, 4).data().toString().isEmpty());
    }
    EXPECT_GE(totals, 2);
    testsupport::expectColumnsShowTheirText(w->DBGrid1);
    // The wheel steps through the rows one at a time.
    w->DBGrid1->setCurrentIndex(w->DBGrid1->model()->index(0, 1));
    QWheelEvent down(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w->DBGrid1->viewport(), &down);
    EXPECT_EQ(w->DBGrid1->currentIndex().row(), 1);
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    delete w;
}

TEST_F(SalesReportTest, ALongNameGivesWayToTheAmountsAtTheDefaultSize) {
    // A name as long as the goods card takes, on a day of large sums.
    const QString longName =
        QStringLiteral("Шоколад молочный пористый с цельным фундуком и изюмом, подарочная упаковка 1 кг");
    ASSERT_LE(longName.size(), 80);
    good(5, longName, 0);
    receipt(10, 1, "2024-04-01", "9999999.99", "0", "");
    line(10, 5, longName, "8999999.99", "9999999.99", "1", 4);
    receipt(11, 1, "2024-04-01", "1263649.78", "0", "");
    line(11, 1, "Хлеб", "1263649.78", "1263649.78", "1", 4);
    QPointer<TfmReportSales> w = new TfmReportSales(params());
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    w->DateTimePicker1->setDate(QDate(2024, 4, 1));
    w->DateTimePicker2->setDate(QDate(2024, 4, 1));
    QTest::mouseClick(w->Button2, Qt::LeftButton);
    QAbstractItemModel* model = w->DBGrid1->model();
    ASSERT_GT(model->rowCount(), 0);
    EXPECT_EQ(model->index(0, 4).data().toString(), "11263649.77");
    // Count, price, both sums, the discount and its share in sight; the
    // name cut, whole in its tooltip.
    testsupport::expectColumnsInSight(w->DBGrid1, {0, 2, 3, 4, 5, 6, 7});
    testsupport::expectColumnsShowTheirText(w->DBGrid1, {1});
    int row = 0;
    while (row < model->rowCount() && model->index(row, 1).data().toString() != longName) ++row;
    ASSERT_LT(row, model->rowCount());
    EXPECT_EQ(model->index(row, 6).data().toString(), "1000000.00");
    EXPECT_EQ(testsupport::toolTipAt(w->DBGrid1, model->index(row, 1)), longName);
    int bread = 0;
    while (bread < model->rowCount() && model->index(bread, 1).data().toString() != "Хлеб") ++bread;
    ASSERT_LT(bread, model->rowCount());
    EXPECT_EQ(testsupport::toolTipAt(w->DBGrid1, model->index(bread, 1)), "");
    delete w;
}

TEST(SalesReportSections, ReturnedPrepaymentsSumWithoutRoundingEachLine) {
    SalesLine l;
    l.docId = 1;
    l.kind = 2;
    l.goodsId = "5";
    l.name = "Сахар";
    l.price = 1001;  // 10.01
    l.count = 333;   // 0.333: 3.33333 a line
    std::vector<SalesLine> lines;
    for (const int method : {2, 2, 4, 4}) {
        l.payMethod = method;
        lines.push_back(l);
    }
    const std::vector<SalesRow> rows = buildSalesReport(lines, SalesVariant::All);
    std::map<int, std::int64_t> sums;
    for (const SalesRow& r : rows)
        if (r.sum && (r.section == 640 || r.section == 680)) sums[r.section] = *r.sum;
    EXPECT_EQ(sums[640], 667);  // 6.66666 once
    EXPECT_EQ(sums[680], 666);  // 3.33 twice
}
