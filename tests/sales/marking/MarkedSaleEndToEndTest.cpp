// A sale of marked and unmarked goods as a cashier makes it: codes scanned
// into the main screen by keys (GS as Ctrl+]), one marked item found by its
// shop barcode and scanned in the marking window, each code validated by
// the register emulator, then payment, the fiscal receipt and the stored
// document.
#include "MarkTestCodes.h"

#include "core/DataModule.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/fiscal/FiscalConstants.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "platform/ui/KeyboardLayout.h"
#include "sales/closing/CloseReceipt.h"
#include "sales/closing/uCheckInfo.h"
#include "sales/closing/uPayCheck.h"
#include "sales/input/ItemEntry.h"
#include "sales/input/KeyRouter.h"
#include "sales/marking/MarkedEntry.h"
#include "sales/marking/uQueryFractionalCount.h"
#include "sales/marking/uQuerySerialNumber.h"
#include "sales/screen/Registration_Mode.h"
#include "support/FakeMessages.h"
#include "support/TypeText.h"
#include "support/UpgradedDbFixture.h"
#include "sales/SaleScreenFixture.h"

#include "sales/WhenReady.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace sales;
using namespace fiscal;
using namespace marktest;

namespace {

using salestest::when;

const QString kPerfumeGtin = QStringLiteral("04601234567893");
const QString kTobaccoGtin = QStringLiteral("04606203086627");
const QString kShoesGtin = QStringLiteral("04650001112223");

class MarkedSaleEndToEndTest : public salestest::SaleScreenTest {
protected:
    void SetUp() override {
        UpgradedDbTest::SetUp();
        if (HasFatalFailure()) return;
        ui::KeyboardLayout::setLayoutProvider([] { return 1033; });
        addGoods(11, "Хлеб", "50.00", 0, {"4600000000017"});
        addGoods(21, "Туалетная вода", "1500.00", 9, {kPerfumeGtin});
        addGoods(31, "Сигареты", "100.00", 4, {kTobaccoGtin.mid(1)});
        addGoods(41, "Кроссовки", "4000.00", 5, {"2000000000015", kShoesGtin});
        exec(QStringLiteral("INSERT INTO OPTIONS (OPTION_NAME, OPTION_VALUE) VALUES ('TaxSystem', '1')"));

        openScreen();
        if (HasFatalFailure()) return;
        installSaleCommands(*screen);
        installItemEntry(*screen);
        screen->show();
        screen->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(screen.get()));
        kkt->clearJournal();
    }

    void TearDown() override {
        screen.reset();
        KeyRouter::uninstall();
        ui::KeyboardLayout::setLayoutProvider({});
        SaleScreenTest::TearDown();
    }

    void addGoods(int id, const QString& name, const QString& price, int markType, const QStringList& barcodes) {
        fb::Transaction tr(db());
        fb::execute(tr,
                    QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_NALOG, "
                                   "GOOD_ISGOOD, GOOD_COUNTRY_CODE, GOOD_MARKTYPE, GOOD_COUNT, GOOD_EDIZM, "
                                   "GOOD_EDIZM_FFD) VALUES (?, ?, ?, 'нет', 'Т', '1', 1, '643', ?, '20', 'шт', 0)"),
                    {std::int64_t{id}, name, price, std::int64_t{markType}});
        for (const QString& b : barcodes)
            fb::execute(tr, QStringLiteral("INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE) VALUES (?, ?)"),
                        {std::int64_t{id}, b});
        tr.commit();
    }

    // A scanner on the main screen: the code and its Enter.
    void scan(const QString& code) {
        testsupport::typeText(screen.get(), code);
        QTest::keyClick(screen.get(), Qt::Key_Return);
    }

    testsupport::FakeMessages messages;
};

TEST_F(MarkedSaleEndToEndTest, ScannedMarkedAndUnmarkedGoodsArePrintedAndStoredWithTheirCodes) {
    const QString perfume = dataMatrix(kPerfumeGtin, QStringLiteral("PERF.,;:?/001"), 44);
    const QString tobacco = tobaccoPack(kTobaccoGtin, QStringLiteral("N4M'Yk,"), QStringLiteral("AB,8"));  // MRP 123.00
    const QString shoes = dataMatrix(kShoesGtin, QStringLiteral("SHOE'\"<>00001"), 88);

    scan(QStringLiteral("4600000000017"));
    scan(perfume);
    scan(tobacco);
    // The shoes are found by the shop's barcode: the marking window asks for
    // their code, and the scanner types it there.
    when([] {
        QWidget* w = QApplication::activeModalWidget();
        return w && w->objectName() == QLatin1String("fmQuerySerialNumber") && w->isVisible();
    },
         [shoes] { testsupport::typeText(QApplication::activeModalWidget(), shoes); });
    scan(QStringLiteral("2000000000015"));
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    // A second scan of the perfume's code is refused.
    scan(perfume);
    EXPECT_EQ(messages.texts(), QStringList{sales::marking::duplicateMarkText()});
    messages.clear();

    ASSERT_EQ(screen->MarkedItems().size(), 3);
    EXPECT_EQ(screen->lblChekItogo->text(), "5673.00 ");  // 50 + 1500 + 123 + 4000

    kkt->clearJournal();
    when([] { return fmPayCheck && fmPayCheck->isVisible(); },
         [] { QTest::mouseClick(fmPayCheck->Button12, Qt::LeftButton); });
    when([] { return fmCheckInfo && fmCheckInfo->isVisible() && !fmCheckInfo->Timer1->isActive(); },
         [] { QTest::mouseClick(fmCheckInfo->btnCancel, Qt::LeftButton); });
    QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();

    // The register: four items, the marked ones with their normalised codes.
    struct Expected {
        QString price;
        QString code;  // empty for the bread
    };
    const QList<Expected> expected{{"50.00", QString()},
                                   {"1500.00", perfume},
                                   {"123.00", tobacco},
                                   {"4000.00", shoes + kGs}};
    const QList<JournalEntry> regs = registrations();
    ASSERT_EQ(regs.size(), expected.size());
    for (int i = 0; i < regs.size(); ++i) {
        SCOPED_TRACE(i);
        const ParamList& p = regs[i].params;
        EXPECT_EQ(p.value(LIBFPTR_PARAM_PRICE).toString(), expected[i].price);
        EXPECT_EQ(p.has(LIBFPTR_PARAM_MARKING_CODE), !expected[i].code.isEmpty());
        if (!expected[i].code.isEmpty()) {
            EXPECT_EQ(p.value(LIBFPTR_PARAM_MARKING_CODE).toString(), expected[i].code);
            EXPECT_EQ(p.value(LIBFPTR_PARAM_MARKING_CODE_STATUS).toInt(), 1);
        }
    }
    EXPECT_EQ(kkt->state().totals.sell, 567300);

    // The database: one document, the marked rows with GTIN, serial and code.
    const auto docs = rows(QStringLiteral("SELECT DOC_SUMM_FULL FROM DOCUMENTS"));
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].str("DOC_SUMM_FULL"), "5673.00");
    const auto lines = rows(QStringLiteral("SELECT * FROM DOCUMENTS_DETAIL ORDER BY DD_GOOD_ID"));
    ASSERT_EQ(lines.size(), 4u);
    struct StoredLine {
        QString gtin, serial, code;
        int markType;
    };
    const StoredLine stored[] = {
        {QString(), QString(), QString(), 0},
        {kPerfumeGtin, QStringLiteral("PERF.,;:?/001"), perfume, 9},
        {kTobaccoGtin, QStringLiteral("N4M'Yk,"), tobacco, 4},
        {kShoesGtin, QStringLiteral("SHOE'\"<>00001"), shoes + kGs, 5},
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(i);
        const fb::Row& l = lines[i];
        if (stored[i].markType == 0) {
            EXPECT_TRUE(l.isNull("DD_DM_FULL") || l.str("DD_DM_FULL").isEmpty());
            continue;
        }
        EXPECT_EQ(l.str("DD_GTIN"), stored[i].gtin);
        EXPECT_EQ(l.str("DD_SERIAL_GTIN"), stored[i].serial);
        EXPECT_EQ(l.str("DD_DM_FULL"), stored[i].code);
        EXPECT_EQ(l.integer("DD_MARKTYPE"), stored[i].markType);
    }
    EXPECT_TRUE(screen->receipt().isEmpty());
    EXPECT_TRUE(screen->MarkedItems().isEmpty());
}

// Parts of a pack: each part is price * n / d to the kopeck on the screen,
// on the register and in the database, with or without a receipt discount,
// and such a receipt always closes.
TEST_F(MarkedSaleEndToEndTest, PartsOfAPackArePricedToTheKopeckEverywhere) {
    struct Case {
        const char* name;
        QString price;
        QString discount;  // receipt percent discount, empty for none
        QString unitSum;   // what each 1/3 of the pack comes to
        QString total;
    };
    const Case cases[] = {
        {"99.99 in packs of 3", "99.99", QString(), "33.33", "66.66"},
        {"400.00 with 7 % off the receipt", "400.00", "7", "124.00", "248.00"},
    };
    const QString gtin = QStringLiteral("04607000000011");
    int serial = 0;
    int goodId = 60;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ++goodId;
        exec(QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_NALOG, "
                            "GOOD_ISGOOD, GOOD_COUNTRY_CODE, GOOD_MARKTYPE, GOOD_COUNT, GOOD_EDIZM, GOOD_EDIZM_FFD, "
                            "GOOD_PACKCOUNT) VALUES (%1, 'Творог', '%2', 'да', 'Т', '1', 1, '643', 13, '20', 'шт', 0, 3)")
                 .arg(goodId)
                 .arg(c.price));
        exec(QStringLiteral("DELETE FROM GOODS_BARCODE"));
        exec(QStringLiteral("INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE) VALUES (%1, '%2')").arg(goodId).arg(gtin));
        exec(QStringLiteral("DELETE FROM DOCUMENTS_DETAIL"));
        exec(QStringLiteral("DELETE FROM DOCUMENTS"));
        messages.clear();
        for (int unit = 0; unit < 2; ++unit) {
            // One third of the pack, typed into the fraction window.
            when([] {
                QWidget* w = QApplication::activeModalWidget();
                return w && w->objectName() == QLatin1String("fmQueryFractionalCount") && w->isVisible();
            },
                 [] {
                     auto* w = qobject_cast<TfmQueryFractionalCount*>(QApplication::activeModalWidget());
                     w->memCountSold->setText(QStringLiteral("1"));
                     w->memTotalPack->setText(QStringLiteral("3"));
                     QTest::mouseClick(w->btnOK, Qt::LeftButton);
                 });
            scan(dairy(gtin, QStringLiteral("cUrd0") + QString::number(++serial)));
        }
        ASSERT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
        ASSERT_EQ(screen->MarkedItems().size(), 2);
        if (!c.discount.isEmpty()) {
            screen->receipt().setReceiptDiscount(QStringLiteral("P"), c.discount);
            ASSERT_EQ(screen->RecalcReceipt(), 0);
        }
        EXPECT_EQ(screen->receipt().cell(1, ReceiptModel::ColSum), c.total);
        EXPECT_EQ(screen->lblChekItogo->text(), c.total + " ");

        kkt->clearJournal();
        const qint64 soldBefore = kkt->state().totals.sell;
        when([] { return fmPayCheck && fmPayCheck->isVisible(); },
             [] { QTest::mouseClick(fmPayCheck->Button12, Qt::LeftButton); });
        when([] { return fmCheckInfo && fmCheckInfo->isVisible() && !fmCheckInfo->Timer1->isActive(); },
             [] { QTest::mouseClick(fmCheckInfo->btnCancel, Qt::LeftButton); });
        QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
        EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();

        const QList<JournalEntry> regs = registrations();
        ASSERT_EQ(regs.size(), 2);
        for (const JournalEntry& r : regs) {
            EXPECT_EQ(r.params.value(LIBFPTR_PARAM_PRICE).toString(), c.unitSum);
            EXPECT_EQ(r.params.value(LIBFPTR_PARAM_MARKING_FRACTIONAL_QUANTITY).toString(), "1/3");
        }
        EXPECT_EQ(kkt->state().totals.sell - soldBefore, Money::parse(c.total)->kopecks);
        const auto docs = rows(QStringLiteral("SELECT DOC_SUMM_FULL, DOC_PAY_NAL, DOC_PAY_EL FROM DOCUMENTS"));
        ASSERT_EQ(docs.size(), 1u);
        EXPECT_EQ(docs[0].str("DOC_SUMM_FULL"), c.total);
        EXPECT_EQ(Money::parseOr(docs[0].str("DOC_PAY_NAL")) + Money::parseOr(docs[0].str("DOC_PAY_EL")),
                  *Money::parse(c.total));
        EXPECT_EQ(rows(QStringLiteral("SELECT * FROM DOCUMENTS_DETAIL WHERE DD_FRACTIONAL_COUNT='1/3'")).size(), 2u);
        EXPECT_TRUE(screen->receipt().isEmpty());
    }
}

// A tobacco pack at another price than the one in the receipt is refused
// before the register checks its code: the register never accepts a code the
// receipt then refuses.
TEST_F(MarkedSaleEndToEndTest, UnitTheReceiptRefusesNeverReachesTheRegistersCheck) {
    const QString first = tobaccoPack(kTobaccoGtin, QStringLiteral("N4M'Yk1"), QStringLiteral("AB,8"));   // MRP 123.00
    const QString second = tobaccoPack(kTobaccoGtin, QStringLiteral("N4M'Yk2"), QStringLiteral("AB,A"));  // MRP 122.40
    scan(first);
    ASSERT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    kkt->clearJournal();
    scan(second);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_TRUE(messages.last().contains(QStringLiteral("по разным ценам"))) << messages.last().toStdString();
    for (const JournalEntry& e : kkt->journal()) {
        EXPECT_NE(e.method, QStringLiteral("beginMarkingCodeValidation"));
        EXPECT_NE(e.method, QStringLiteral("acceptMarkingCode"));
    }
    EXPECT_FALSE(kkt->state().acceptedMarkingCodes.contains(second));
    EXPECT_EQ(screen->MarkedItems().size(), 1);
    EXPECT_EQ(screen->receipt().cell(1, ReceiptModel::ColQty), "1");
}

// The register refuses to close a return paid in cash beyond what its drawer
// holds; the cashier pays by card instead, and the marked unit prints like
// any other: the second attempt sends the register everything again.
TEST_F(MarkedSaleEndToEndTest, MarkedReturnTheRegisterRefusedToClosePrintsByCardNextTime) {
    ASSERT_TRUE(screen->setReceiptKind(KindSaleReturn));
    const QString perfume = dataMatrix(kPerfumeGtin, QStringLiteral("PERF.,;:?/003"), 44);
    scan(QStringLiteral("4600000000017"));
    scan(perfume);
    ASSERT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    ASSERT_EQ(screen->lblChekItogo->text(), "1550.00 ");
    ASSERT_EQ(kkt->state().cash, 0);

    const auto print = [this](bool byCard) {
        when([] { return fmPayCheck && fmPayCheck->isVisible(); },
             [byCard] {
                 // The cash field cleared moves the whole sum to the card;
                 // then "наличными" is unticked.
                 if (byCard) {
                     QTest::mouseDClick(fmPayCheck->Memo1, Qt::LeftButton);
                     QTest::mouseClick(fmPayCheck->CheckBox1, Qt::LeftButton);
                 }
                 QTest::mouseClick(fmPayCheck->Button12, Qt::LeftButton);
             });
        when([] { return fmCheckInfo && fmCheckInfo->isVisible() && !fmCheckInfo->Timer1->isActive(); },
             [] { QTest::mouseClick(fmCheckInfo->btnCancel, Qt::LeftButton); });
        QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
    };

    print(false);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_TRUE(messages.last().contains(QStringLiteral("Недостаточно наличных"))) << messages.last().toStdString();
    EXPECT_FALSE(kkt->state().receipt.has_value());
    EXPECT_EQ(kkt->state().totals.sellReturn, 0);
    EXPECT_EQ(screen->MarkedItems().size(), 1);
    messages.clear();

    print(true);
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(kkt->state().totals.sellReturn, 155000);
    EXPECT_EQ(kkt->state().lastDocument.receiptType, LIBFPTR_RT_SELL_RETURN);
    const auto lines = rows(QStringLiteral("SELECT DD_DM_FULL FROM DOCUMENTS_DETAIL WHERE DD_MARKTYPE <> 0"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].str("DD_DM_FULL"), perfume);
    EXPECT_TRUE(screen->receipt().isEmpty());
}

TEST_F(MarkedSaleEndToEndTest, ARegisterThatStopsAnsweringIsShownAsNotConnected) {
    ASSERT_TRUE(screen->KKTConnected());
    kkt->failNext(QStringLiteral("open"), -1, QStringLiteral("Нет связи с ККТ"));
    scan(dataMatrix(kPerfumeGtin, QStringLiteral("PERF.,;:?/002"), 44));
    EXPECT_EQ(messages.texts(), QStringList{sales::marking::noRegisterText()});
    EXPECT_FALSE(screen->KKTConnected());
    EXPECT_EQ(screen->lblKKT->text(), QStringLiteral("не подключена"));
    EXPECT_TRUE(screen->MarkedItems().isEmpty());
    EXPECT_TRUE(screen->receipt().isEmpty());
}

}  // namespace
