#include "CatalogueTestSupport.h"
#include "ReportTestSupport.h"

#include "catalogue/PriceTagLogic.h"
#include "catalogue/uPriceTagPrepare.h"
#include "catalogue/uPriceTagSizeSelect.h"
#include "platform/db/Procedure.h"
#include "platform/report/Layout.h"
#include "platform/report/PageRenderer.h"
#include "platform/report/PreviewRecorder.h"
#include "sales/WhenReady.h"
#include "support/ColumnCheck.h"
#include "support/FakeMessages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QWheelEvent>

#include <optional>

using namespace catalogue;
using salestest::when;

namespace {

// The EAN code sets written out on their own, so that the check does not
// lean on the encoder it checks: the L set, the R set as its complement, the
// G set as the R set reversed, and the parity that carries an EAN-13's first
// digit.
const char* const kSetL[10] = {"0001101", "0011001", "0010011", "0111101", "0100011",
                               "0110001", "0101111", "0111011", "0110111", "0001011"};
const char* const kFirstDigitParity[10] = {"LLLLLL", "LLGLGG", "LLGGLG", "LLGGGL", "LGLLGG",
                                           "LGGLLG", "LGGGLL", "LGLGLG", "LGLGGL", "LGGLGL"};

QString setR(int d) {
    QString r;
    for (QChar c : QString::fromLatin1(kSetL[d])) r += c == u'0' ? u'1' : u'0';
    return r;
}
QString setG(int d) {
    QString r = setR(d);
    std::reverse(r.begin(), r.end());
    return r;
}

// The modules of an EAN-13 as they must stand on paper.
QString expectedModules(const QString& digits) {
    QString m = QStringLiteral("101");
    const QString parity = QString::fromLatin1(kFirstDigitParity[digits[0].digitValue()]);
    for (int i = 1; i <= 6; ++i)
        m += parity[i - 1] == u'L' ? QString::fromLatin1(kSetL[digits[i].digitValue()]) : setG(digits[i].digitValue());
    m += QStringLiteral("01010");
    for (int i = 7; i <= 12; ++i) m += setR(digits[i].digitValue());
    return m + QStringLiteral("101");
}

// Reads the modules back off one pixel row of the printed bars.
QString modulesOnRow(const QImage& image, const QRect& area, int y, int moduleCount) {
    const auto dark = [&](int x) { return qGray(image.pixel(x, y)) < 128; };
    int first = -1, last = -1;
    for (int x = std::max(area.left(), 0); x <= std::min(area.right(), image.width() - 1); ++x)
        if (dark(x)) {
            if (first < 0) first = x;
            last = x;
        }
    if (first < 0) return {};
    const double module = double(last - first + 1) / moduleCount;
    QString out;
    for (int x = first; x <= last;) {
        const bool d = dark(x);
        int end = x;
        while (end <= last && dark(end) == d) ++end;
        out += QString(qRound((end - x) / module), d ? u'1' : u'0');
        x = end;
    }
    return out;
}

// A check box or radio button clicked on its box, as a cashier does: its
// middle may lie beyond its text in a wide layout.
void tick(QAbstractButton* b) {
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
}

class PriceTagWindowTest : public cataloguetest::CatalogueDbTest {
protected:
    void TearDown() override {
        delete fmPriceTagPrepare.data();
        setPriceTagGoodsSearch(nullptr);
        CatalogueDbTest::TearDown();
    }
    TfmPriceTagPrepare* open(const QString& folder = reporttest::programFolder()) {
        auto* w = new TfmPriceTagPrepare(db(), folder);
        w->show();
        return w;
    }
    int tempRows() {
        fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
        const int n = fb::queryOne(tr, "SELECT COUNT(*) AS N FROM GOODS_TEMP")->integer("N");
        tr.commit();
        return n;
    }
    // Answers the size dialog when it comes up: labels of the given index
    // with the typed copies, an A4 size, or cancel.
    void answerSizes(std::function<void(TfmPriceTagSizeSelect*)> choose) {
        when([] { return fmPriceTagSizeSelect && fmPriceTagSizeSelect->isVisible(); },
             [choose] { choose(fmPriceTagSizeSelect); });
    }
    // The dialog keeps its last choice between prints; A4 starts at "60 x 75".
    static void chooseA4(TfmPriceTagSizeSelect* d, int index) {
        if (!d->CheckBox1->isChecked()) tick(d->CheckBox1);
        if (index >= 0) d->findChild<QRadioButton*>(QStringLiteral("RadioGroup1Item%1").arg(index))->setChecked(true);
        QTest::mouseClick(d->btnOK, Qt::LeftButton);
    }
    static void chooseLabels(TfmPriceTagSizeSelect* d, int index, const QString& copies) {
        if (!d->CheckBox2->isChecked()) tick(d->CheckBox2);
        d->findChild<QRadioButton*>(QStringLiteral("RadioGroup2Item%1").arg(index))->setChecked(true);
        d->edCopyCount->setText(copies);
        QTest::mouseClick(d->btnOK, Qt::LeftButton);
    }
    testsupport::FakeMessages messages;
    report::PreviewRecorder previews;
};

}  // namespace

TEST_F(PriceTagWindowTest, OpensWithTheOrganisationTheGroupsAndAnEmptyList) {
    exec(
        "INSERT INTO COMPANY_INFO (COMPANY_NAME, COMPANY_FULLNAME, COMPANY_INN, SALESPOINT_INFO) "
        "VALUES ('ООО Ромашка', 'Общество «Ромашка»', '7701234567', 'Магазин у дома')");
    group(10, "Молочные");
    group(20, "Бакалея");
    goods(1, "Молоко", 10);
    exec("INSERT INTO GOODS_TEMP (G_ID, G_NAME) VALUES (99, 'остаток прошлого раза')");
    TfmPriceTagPrepare* w = open();
    EXPECT_EQ(w->windowTitle(), "Печать ценников");
    EXPECT_EQ(w->edCompanyName->text(), "ООО Ромашка");
    EXPECT_EQ(w->edCompanyFullName->text(), "Общество «Ромашка»");
    EXPECT_EQ(w->edInn->text(), "7701234567");
    EXPECT_FALSE(w->edInn->isVisible());
    EXPECT_EQ(w->edSalesPointInfo->text(), "Магазин у дома");
    // Short name chosen, sales point off: only the short name can be edited.
    EXPECT_TRUE(w->edCompanyName->isEnabled());
    EXPECT_FALSE(w->edCompanyFullName->isEnabled());
    EXPECT_FALSE(w->edSalesPointInfo->isEnabled());
    tick(w->RadioButton2);
    tick(w->CheckBox2);
    EXPECT_FALSE(w->edCompanyName->isEnabled());
    EXPECT_TRUE(w->edCompanyFullName->isEnabled());
    EXPECT_TRUE(w->edSalesPointInfo->isEnabled());

    QStringList groups;
    for (int i = 0; i < w->ComboBox1->count(); ++i) groups << w->ComboBox1->itemText(i);
    EXPECT_EQ(groups, QStringList({"", "Бакалея", "Молочные"}));
    EXPECT_EQ(w->rowCount(), 0);
    EXPECT_EQ(tempRows(), 0);
    EXPECT_TRUE(w->CheckBox3->isChecked());
    EXPECT_TRUE(w->chPricePrint->isChecked());
    for (const char* b : {"BitBtn2", "btnClear", "Button2", "btnAdd"})
        EXPECT_FALSE(w->findChild<QPushButton*>(b)->isEnabled()) << b;
}

TEST_F(PriceTagWindowTest, ALongNameGivesWayToTheCodePriceAndBarcode) {
    const QString longName =
        QStringLiteral("Шоколад молочный пористый с цельным фундуком и изюмом, подарочная упаковка 1 кг");
    country(1, "826", "Соединённое Королевство Великобритании и Северной Ирландии");
    goods(1, longName, 0, "9999999.99", "826");
    barcode(1, "4600000000008");
    goods(2, "Хлеб", 0, "45.00");
    barcode(2, "4600000000015");
    TfmPriceTagPrepare* w = open();
    // The window at the size it opens with.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    QTest::mouseClick(w->btnFill, Qt::LeftButton);
    ASSERT_EQ(w->rowCount(), 2);
    auto* grid = w->findChild<QTableView*>("DBGrid1");
    int row = 0;
    while (row < 2 && grid->model()->index(row, 2).data().toString() != longName) ++row;
    ASSERT_LT(row, 2);
    EXPECT_EQ(grid->model()->index(row, 6).data().toString(), "4600000000008");
    // Number, code, price, unit and barcode in sight, each whole; the name
    // and the country cut, whole in their tooltips.
    testsupport::expectColumnsInSight(grid, {0, 1, 3, 4, 6});
    testsupport::expectColumnsShowTheirText(grid, {2, 5});
    EXPECT_EQ(testsupport::toolTipAt(grid, grid->model()->index(row, 2)), longName);
}

TEST_F(PriceTagWindowTest, FillRemoveAndClearDriveTheList) {
    group(10, "Молочные");
    goods(1, "Молоко", 10);
    barcode(1, "4600000000008");
    barcode(1, "4600000000015");
    goods(2, "Кефир", 10);
    goods(3, "Хлеб", 0);
    TfmPriceTagPrepare* w = open();
    w->ComboBox1->setCurrentIndex(w->ComboBox1->findText("Молочные"));
    QTest::mouseClick(w->btnFill, Qt::LeftButton);
    ASSERT_EQ(w->rowCount(), 3);
    auto* grid = w->findChild<QTableView*>("DBGrid1");
    // The first column numbers the rows.
    for (int r = 0; r < 3; ++r) EXPECT_EQ(grid->model()->index(r, 0).data().toInt(), r + 1);
    EXPECT_EQ(grid->model()->index(0, 2).data().toString(), "Кефир");
    testsupport::expectColumnsShowTheirText(grid);

    // The wheel steps one row, and stops at the ends.
    grid->selectRow(0);
    const auto wheel = [&](int delta) {
        const QPointF at(10, 10);
        QWheelEvent e(at, grid->viewport()->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid->viewport(), &e);
    };
    wheel(-120);
    wheel(-120);
    wheel(-120);
    EXPECT_EQ(w->currentRow(), 2);
    wheel(120);
    EXPECT_EQ(w->currentRow(), 1);
    QTest::mouseClick(w->BitBtn2, Qt::LeftButton);
    EXPECT_EQ(w->rowCount(), 2);
    EXPECT_EQ(tempRows(), 2);
    EXPECT_EQ(w->currentRow(), 1);  // the list stays where it was

    w->LabeledEdit1->setText("хле");
    w->ComboBox1->setCurrentIndex(0);
    QTest::mouseClick(w->btnFill, Qt::LeftButton);
    ASSERT_EQ(w->rowCount(), 1);
    EXPECT_EQ(grid->model()->index(0, 2).data().toString(), "Хлеб");

    QTest::mouseClick(w->btnClear, Qt::LeftButton);
    EXPECT_EQ(w->rowCount(), 0);
    EXPECT_EQ(tempRows(), 0);
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
}

TEST_F(PriceTagWindowTest, GoodsSearchHookAddsToTheListAndClosingEmptiesIt) {
    goods(5, "Сметана");
    int calls = 0;
    setPriceTagGoodsSearch([&](QWidget* caller) {
        ++calls;
        EXPECT_EQ(caller, fmPriceTagPrepare.data());
        fb::Transaction tr(db());
        fb::callProcedure(tr, "GOODS_TEMP_EDIT",
                          {{"I_MODE", std::int64_t{1}},
                           {"I_ID", std::int64_t{5}},
                           {"I_NAME", QString("Сметана")},
                           {"I_PRICE", QString("120.00")},
                           {"I_EDIZM", QString("шт")},
                           {"I_COUNTRY", QString()}});
        tr.commit();
    });
    TfmPriceTagPrepare* w = open();
    ASSERT_TRUE(w->btnAdd->isEnabled());
    QTest::mouseClick(w->btnAdd, Qt::LeftButton);
    EXPECT_EQ(calls, 1);
    ASSERT_EQ(w->rowCount(), 1);
    EXPECT_EQ(w->findChild<QTableView*>("DBGrid1")->model()->index(0, 2).data().toString(), "Сметана");

    w->close();
    delete w;
    EXPECT_FALSE(fmPriceTagPrepare);
    EXPECT_EQ(tempRows(), 0);
}

TEST_F(PriceTagWindowTest, SizeDialogChoicesPickTheReportZoomAndCopies) {
    struct Case {
        const char* what;
        std::function<void(TfmPriceTagSizeSelect*)> choose;
        std::optional<QString> report;  // none: nothing printed
        int zoom;
        int copies;
    };
    const std::vector<Case> cases{
        {"labels 58 x 40, three copies", [](TfmPriceTagSizeSelect* d) { chooseLabels(d, 4, "3"); }, "Sticker58x40", 150,
         3},
        {"labels 30 x 20, copies left empty", [](TfmPriceTagSizeSelect* d) { chooseLabels(d, 0, ""); }, "Sticker30x20",
         200, 1},
        {"labels 58 x 60, zero copies", [](TfmPriceTagSizeSelect* d) { chooseLabels(d, 5, "0"); }, "Sticker58x60", 90,
         1},
        {"A4 at the size it starts with", [](TfmPriceTagSizeSelect* d) { chooseA4(d, -1); }, "PriceTagMiddle", 90, 1},
        {"A4 50 x 40", [](TfmPriceTagSizeSelect* d) { chooseA4(d, 0); }, "PriceTagSmall", 90, 1},
        {"A4 80 x 60", [](TfmPriceTagSizeSelect* d) { chooseA4(d, 2); }, "PriceTagBig", 90, 1},
        {"cancel", [](TfmPriceTagSizeSelect* d) { QTest::mouseClick(d->btnCancel, Qt::LeftButton); }, std::nullopt, 0,
         0},
    };
    goods(1, "Молоко", 0, "89.90");
    TfmPriceTagPrepare* w = open();
    QTest::mouseClick(w->btnFill, Qt::LeftButton);
    ASSERT_EQ(w->rowCount(), 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        previews.shown.clear();
        answerSizes(c.choose);
        QTest::mouseClick(w->Button2, Qt::LeftButton);
        if (!c.report) {
            EXPECT_TRUE(previews.shown.empty());
            continue;
        }
        ASSERT_EQ(previews.shown.size(), 1u);
        const auto& shown = previews.shown.front();
        EXPECT_EQ(shown.report.name(), *c.report);
        EXPECT_EQ(shown.options.zoomPercent, c.zoom);
        EXPECT_EQ(shown.report.copies(), c.copies);
        EXPECT_EQ(shown.options.width, 820);
        EXPECT_EQ(shown.options.height, 620);
        EXPECT_FALSE(shown.options.printRangeEnabled);
        ASSERT_TRUE(shown.report.data("RvDataSetConnection1"));
        EXPECT_EQ(shown.report.data("RvDataSetConnection1")->rowCount(), 1);
    }
    // The copies of the last print are offered again.
    answerSizes([](TfmPriceTagSizeSelect* d) { chooseLabels(d, 1, "4"); });
    QTest::mouseClick(w->Button2, Qt::LeftButton);
    EXPECT_EQ(w->copies(), 4);
    answerSizes([](TfmPriceTagSizeSelect* d) {
        EXPECT_EQ(d->edCopyCount->text(), "4");
        QTest::mouseClick(d->btnCancel, Qt::LeftButton);
    });
    QTest::mouseClick(w->Button2, Qt::LeftButton);
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
}

TEST_F(PriceTagWindowTest, DialogKindsExcludeEachOther) {
    TfmPriceTagSizeSelect d;
    d.show();
    const auto checked = [&](const char* group) {
        for (auto* b : d.findChild<QGroupBox*>(group)->findChildren<QRadioButton*>())
            if (b->isChecked()) return b->text();
        return QString("-");
    };
    EXPECT_TRUE(d.CheckBox1->isChecked());
    EXPECT_EQ(checked("RadioGroup1"), "60 x 75");
    EXPECT_EQ(checked("RadioGroup2"), "-");
    EXPECT_FALSE(d.RadioGroup2->isEnabled());
    EXPECT_FALSE(d.edCopyCount->isVisible());
    tick(d.CheckBox2);
    EXPECT_FALSE(d.CheckBox1->isChecked());
    EXPECT_EQ(checked("RadioGroup1"), "-");
    EXPECT_EQ(checked("RadioGroup2"), "30 x 20");
    EXPECT_FALSE(d.RadioGroup1->isEnabled());
    EXPECT_TRUE(d.RadioGroup2->isEnabled());
    EXPECT_TRUE(d.edCopyCount->isVisible());
    tick(d.CheckBox1);
    EXPECT_EQ(checked("RadioGroup1"), "60 x 75");
    EXPECT_EQ(checked("RadioGroup2"), "-");
    // Only digits can be typed as the copies.
    tick(d.CheckBox2);
    d.edCopyCount->clear();
    QTest::keyClicks(d.edCopyCount, "a1-2");
    EXPECT_EQ(d.edCopyCount->text(), "12");
}

TEST_F(PriceTagWindowTest, PrintOptionsShapeTheTag) {
    exec(
        "INSERT INTO COMPANY_INFO (COMPANY_NAME, COMPANY_FULLNAME, SALESPOINT_INFO) "
        "VALUES ('ООО Ромашка', 'Общество «Ромашка»', ' Магазин у дома ')");
    goods(1, "Молоко", 0, "89.90");
    TfmPriceTagPrepare* w = open();
    QTest::mouseClick(w->btnFill, Qt::LeftButton);
    tick(w->CheckBox2);
    tick(w->CheckBox3);
    tick(w->chPricePrint);
    answerSizes([](TfmPriceTagSizeSelect* d) {
        d->findChild<QRadioButton*>("RadioGroup1Item0")->setChecked(true);
        QTest::mouseClick(d->btnOK, Qt::LeftButton);
    });
    QTest::mouseClick(w->Button2, Qt::LeftButton);
    ASSERT_EQ(previews.shown.size(), 1u);
    const report::Report& tags = previews.shown.front().report;
    const report::Layout layout = report::layOut(tags);
    ASSERT_EQ(layout.placements("mCompanyName").size(), 1u);
    EXPECT_EQ(layout.placements("mCompanyName").front().second->text, "ООО Ромашка\r\nМагазин у дома");
    ASSERT_EQ(layout.placements("MemoGoodName").size(), 1u);
    EXPECT_EQ(layout.placements("MemoGoodName").front().second->font.size, 9);
    for (const char* hidden : {"textCode", "dtextCode", "textPrice", "dtextGoodPrice", "dtextEdIzm", "textPrice1"})
        EXPECT_TRUE(layout.placements(hidden).empty()) << hidden;
}

TEST_F(PriceTagWindowTest, PrintedTagCarriesBarsThatReadBackAsTheGoodsBarcode) {
    goods(1, "Молоко 3,2%", 0, "89.90");
    barcode(1, "4006381333931");
    goods(2, "Сыр", 0, "700.00");
    barcode(2, "460000000001");  // twelve digits: the tag has no bars
    TfmPriceTagPrepare* w = open();
    QTest::mouseClick(w->btnFill, Qt::LeftButton);
    ASSERT_EQ(w->rowCount(), 2);
    answerSizes([](TfmPriceTagSizeSelect* d) { chooseLabels(d, 4, "1"); });
    QTest::mouseClick(w->Button2, Qt::LeftButton);
    ASSERT_EQ(previews.shown.size(), 1u);
    const report::Layout layout = report::layOut(previews.shown.front().report);
    const auto bars = layout.placements("dtBarcode");
    ASSERT_EQ(bars.size(), 2u);
    constexpr double dpi = 600;
    int withBars = 0;
    for (const auto& [page, item] : bars) {
        const QImage image = report::renderPage(layout, page, dpi);
        const QRect area = reporttest::pixelRect(*item, dpi);
        if (item->text.isEmpty()) {
            EXPECT_EQ(reporttest::darkPixels(image, area), 0);
            continue;
        }
        ++withBars;
        EXPECT_EQ(item->text, "4006381333931");
        for (double at : {0.2, 0.5}) {
            const int y = area.top() + qRound(area.height() * at);
            EXPECT_EQ(modulesOnRow(image, area, y, 95), expectedModules("4006381333931"));
        }
    }
    EXPECT_EQ(withBars, 1);
}

TEST_F(PriceTagWindowTest, FailuresAreToldWithTheWindowsOwnTexts) {
    goods(1, "Молоко");
    goods(2, "Сбой");
    QTemporaryDir empty;
    TfmPriceTagPrepare* w = open(empty.path());
    w->LabeledEdit1->setText("молоко");
    QTest::mouseClick(w->btnFill, Qt::LeftButton);
    ASSERT_EQ(w->rowCount(), 1);

    // No report project beside the program.
    answerSizes([](TfmPriceTagSizeSelect* d) { QTest::mouseClick(d->btnOK, Qt::LeftButton); });
    QTest::mouseClick(w->Button2, Qt::LeftButton);
    EXPECT_TRUE(previews.shown.empty());
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes.front().text, "Не найден файл шаблонов.    ");
    EXPECT_EQ(messages.boxes.front().icon, ui::Icon::Error);

    // The database refuses a row of the next fill: the list keeps what it had.
    exec("CREATE EXCEPTION E_TAG_REFUSED 'refused'");
    exec(
        "CREATE TRIGGER T_TAG_REFUSED FOR GOODS_TEMP BEFORE INSERT AS BEGIN "
        "IF (NEW.G_NAME = 'Сбой') THEN EXCEPTION E_TAG_REFUSED; END");
    messages.clear();
    w->LabeledEdit1->clear();
    QTest::mouseClick(w->btnFill, Qt::LeftButton);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_TRUE(messages.last().startsWith("При заполнении списка произошла ошибка БД.    "))
        << messages.last().toStdString();
    EXPECT_EQ(w->rowCount(), 1);
    EXPECT_EQ(tempRows(), 1);
}
