// Lots chosen for a receipt position and customs declaration numbers: the
// quantity rules, the lots as the database gives them, the two windows and
// the menus that offer them.
#include "platform/fiscal/RegisterEmulator.h"
#include "platform/sys/ProgramFolder.h"
#include "sales/receipt/ReceiptModel.h"
#include "sales/screen/BuyerLogic.h"
#include "sales/screen/PortionsLogic.h"
#include "sales/screen/Registration_Mode.h"
#include "sales/screen/uAvailablePortions.h"
#include "sales/screen/uDeclareNumber.h"
#include "support/FakeMessages.h"
#include "support/UpgradedDbFixture.h"

#include "ReceiptTestRows.h"
#include "WhenReady.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace sales;
using salestest::when;

namespace {

Qty qty(const char* text) {
    return *Qty::parse(QString::fromLatin1(text));
}

TEST(PortionRules, RemainderIsCountLessWrittenOffWithEmptyAsZero) {
    const struct {
        QString count, offs;
        QString remainder;
    } cases[] = {
        {"10", "", "10.000"},      {"10", "3.5", "6.500"}, {"", "", "0.000"},
        {"0.300", "0.1", "0.200"}, {" 4 ", "4", "0.000"},  {"2", "abc", "2.000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count.toStdString() + " - " + c.offs.toStdString());
        EXPECT_EQ(lotRemainder(c.count, c.offs).toWeightString(), c.remainder);
    }
}

TEST(PortionRules, ChosenQuantitiesMustFitTheLotsAndAddUpExactly) {
    struct Lot {
        bool chosen;
        QString typed;
        const char* remainder;
    };
    const struct {
        const char* what;
        std::vector<Lot> lots;
        const char* position;
        bool weighed;
        QString problem;
    } cases[] = {
        {"2 + 3 of 5", {{true, "2", "5"}, {true, "3", "5"}}, "5", false, {}},
        {"2 + 2 of 5", {{true, "2", "5"}, {true, "2", "5"}}, "5", false, portionsText::kSumMismatch},
        {"0.1 + 0.2 of 0.300 kg", {{true, "0.1", "1"}, {true, "0,2", "1"}}, "0.300", true, {}},
        {"1.5 of a piece good", {{true, "1.5", "5"}, {true, "3.5", "5"}}, "5", false, portionsText::kWholeOnly},
        {"1.5 of a weighed good", {{true, "1.5", "5"}, {true, "3.5", "5"}}, "5", true, {}},
        {"above the remainder", {{true, "6", "5"}}, "6", false, portionsText::kAboveRemainder},
        {"no number", {{true, "два", "5"}}, "2", false, portionsText::kBadNumber},
        {"below zero", {{true, "-1", "5"}, {true, "3", "5"}}, "2", false, portionsText::kBadNumber},
        {"finer than a gram", {{true, "0.3001", "5"}}, "0.300", true, portionsText::kBadNumber},
        {"unchosen rows ignored", {{false, "junk", "1"}, {true, " 4 ", "5"}}, "4", false, {}},
        {"chosen but empty is 0", {{true, "", "5"}}, "1", false, portionsText::kSumMismatch},
        {"nothing chosen", {{false, "", "5"}}, "1", false, portionsText::kSumMismatch},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QList<PortionRow> rows;
        std::int64_t id = 1;
        for (const Lot& l : c.lots) rows << PortionRow{l.chosen, l.typed, qty(l.remainder), id++};
        EXPECT_EQ(portionChoiceProblem(rows, qty(c.position), c.weighed), c.problem);
    }
}

TEST(PortionRules, ChoicesOfOneGoodsAreReplacedAndFoundAgain) {
    QList<QStringList> choices{{"5", "1", "2"}, {"7", "3", "1"}, {"5", "2", "3"}};
    replacePortionChoices(choices, "5", {{"5", "4", "5"}});
    EXPECT_EQ(choices, (QList<QStringList>{{"7", "3", "1"}, {"5", "4", "5"}}));
    EXPECT_EQ(chosenPortionQty(choices, "5", 4), std::optional<QString>("5"));
    EXPECT_EQ(chosenPortionQty(choices, "5", 1), std::nullopt);
    EXPECT_EQ(chosenPortionQty(choices, "7", 4), std::nullopt);
    replacePortionChoices(choices, "7", {});
    EXPECT_EQ(choices, (QList<QStringList>{{"5", "4", "5"}}));
}

TEST(PortionRules, ChoicesAreHeldToWhatTheReceiptStillSells) {
    ReceiptModel receipt;
    const auto position = [&](const char* status, const char* goodsId, const char* qty) {
        const int row = receipt.appendRow();
        receipt.setCell(row, ReceiptModel::ColStatus, status);
        receipt.setCell(row, ReceiptModel::ColId, goodsId);
        receipt.setCell(row, ReceiptModel::ColQty, qty);
    };
    position("A", "5", "2");
    position("A", "5", "1");      // the same goods again: 3 in all
    position("E", "7", "4");      // deleted since its lots were chosen
    position("A", "9", "0,500");  // weighed, typed with a comma
    const QList<QStringList> chosen{
        {"5", "1", "2"}, {"5", "2", "2"}, {"5", "3", "1"}, {"7", "4", "4"}, {"9", "6", "0.5"}, {"11", "8", "1"}};
    EXPECT_EQ(portionChoicesWithinReceipt(chosen, receipt),
              (QList<QStringList>{{"5", "1", "2.000"}, {"5", "2", "1.000"}, {"9", "6", "0.500"}}));
}

TEST(PortionRules, OfferedOnlyForForeignGoodsOfASaleToABuyer) {
    PortionsOfferState base;
    base.kind = KindSale;
    base.buyerChecked = true;
    base.rowActive = true;
    base.goodsId = 5;
    base.isGood = true;
    base.countryText = "156";
    base.paymentFlag = 4;
    const struct {
        const char* what;
        std::function<void(PortionsOfferState&)> change;
        bool menu, popup;
    } cases[] = {
        {"foreign goods to a buyer", [](PortionsOfferState&) {}, true, true},
        {"no buyer", [](PortionsOfferState& s) { s.buyerChecked = false; }, false, false},
        {"a sale return", [](PortionsOfferState& s) { s.kind = KindSaleReturn; }, false, false},
        {"a row not active", [](PortionsOfferState& s) { s.rowActive = false; }, false, false},
        {"a free-price position", [](PortionsOfferState& s) { s.goodsId = 0; }, false, false},
        {"a service", [](PortionsOfferState& s) { s.isGood = false; }, false, false},
        {"Russian goods", [](PortionsOfferState& s) { s.countryText = "643"; }, false, false},
        {"country unknown", [](PortionsOfferState& s) { s.countryText = " "; }, false, false},
        {"country zero", [](PortionsOfferState& s) { s.countryText = "0"; }, false, false},
        {"prepayment", [](PortionsOfferState& s) { s.paymentFlag = 1; }, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PortionsOfferState s = base;
        c.change(s);
        s.contextMenu = false;
        EXPECT_EQ(portionsOffered(s), c.menu);
        s.contextMenu = true;
        EXPECT_EQ(portionsOffered(s), c.popup);
    }
}

TEST(PortionRules, DeclarationNumberHoldsAtMost32Characters) {
    EXPECT_EQ(declarationProblem(QString(32, QLatin1Char('7'))), QString());
    EXPECT_EQ(declarationProblem("  " + QString(32, QLatin1Char('7')) + "  "), QString());
    EXPECT_EQ(declarationProblem(QString(33, QLatin1Char('7'))), portionsText::kDeclarationTooLong);
    EXPECT_EQ(declarationProblem(QString()), QString());
}

// ---------------------------------------------------------------------------
// Real database and the main screen

class PortionsDbTest : public testsupport::UpgradedDbTest {
protected:
    void SetUp() override {
        UpgradedDbTest::SetUp();
        if (HasFatalFailure()) return;
        oldFolder = sys::programFolder();
        sys::setProgramFolder(programFolder());
        exec("DELETE FROM COUNTRIES WHERE COUNTRY_CODE = '156'");
        exec("INSERT INTO COUNTRIES (COUNTRY_CODE, COUNTRY_NAME) VALUES ('156', 'КИТАЙ')");
        exec(
            "INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_ISGOOD, GOOD_COUNTRY_CODE) "
            "VALUES (5, 'Чай зелёный', '100.00', 'нет', 1, '156')");
        exec(
            "INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_ISGOOD, GOOD_COUNTRY_CODE) "
            "VALUES (6, 'Имбирь', '300.00', 'Да', 1, '156')");
        exec(
            "INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_ISGOOD, GOOD_COUNTRY_CODE) "
            "VALUES (7, 'Доставка', '300.00', 'нет', 0, '156')");
        exec("INSERT INTO DOCUMENTS (DOC_ID, DOC_TYPE, DOC_NUMBER) VALUES (901, 2, 17)");
        exec("INSERT INTO DOCUMENTS (DOC_ID, DOC_TYPE, DOC_NUMBER) VALUES (902, 2, 18)");
        // Goods 5: a lot of 10 nothing was taken from, an older lot of 2
        // (never written off), a used-up lot, an unconfirmed one.
        addLot(11, 901, 5, "'10'", "''", "2026-03-10", "10702030/100326/0001234", 1);
        addLot(12, 902, 5, "'2'", "NULL", "2026-01-05", "10702030/050126/0000007", 1);
        addLot(13, 902, 5, "'5.000'", "'5'", "2026-02-01", "used up", 1);
        addLot(14, 902, 5, "'8'", "''", "2026-02-02", "not confirmed", 0);
        // Goods 6 (weighed): one lot of 0.300 kg.
        addLot(21, 901, 6, "'0.500'", "'0.200'", "2026-03-10", "10702030/100326/0009999", 1);

        screen = std::make_unique<TfmReg>(nullptr, [this]() -> std::unique_ptr<fiscal::IFiscalDriver> {
            return std::make_unique<fiscal::RegisterEmulator>(programFolder());
        });
        screen->setQuitOnClose(false);
        screen->setReceiptKind(KindSale);
        installPortionCommands(*screen, [this] { return &db(); });
        repository = std::make_unique<PortionsRepository>(db());
    }

    void TearDown() override {
        repository.reset();
        screen.reset();
        sys::setProgramFolder(oldFolder);
        UpgradedDbTest::TearDown();
    }

    void addLot(int id, int doc, int goods, const char* count, const char* offs, const char* date, const char* decl,
                int confirm) {
        exec(QStringLiteral("INSERT INTO PORTIONS (P_RECORD_ID, P_DOC_ID, P_GOOD_ID, P_GOOD_COUNT, P_GOOD_COUNT_OFFS, "
                            "P_DATE, P_DECLAR_NUMBER, P_CONFIRM) VALUES (%1, %2, %3, %4, %5, '%6', '%7', %8)")
                 .arg(id)
                 .arg(doc)
                 .arg(goods)
                 .arg(QLatin1String(count), QLatin1String(offs), QLatin1String(date), QString::fromUtf8(decl))
                 .arg(confirm));
    }

    // A position of goods `id` with quantity `quantity`, current.
    int addPosition(const char* id, const char* kind, const char* quantity, const char* country = "156") {
        sales::testing::RowSpec wanted{id, kind, "100.00", quantity};
        wanted.country = country;
        const int row = sales::testing::addRow(screen->receipt(), wanted);
        EXPECT_EQ(screen->RecalcReceipt(), 0);
        screen->setCurrentReceiptRow(row);
        return row;
    }

    // The lot window for goods `goodsId` at `row`; `step` runs in it.
    void withWindow(std::int64_t goodsId, int row, const std::function<void(TfmAvailablePortions&)>& step) {
        TfmAvailablePortions w(*screen, *repository, goodsId, row, screen.get());
        step(w);
    }

    static void clickChoice(TfmAvailablePortions& w, int gridRow) {
        QTableWidgetItem* mark = w.PortionsGrid->item(gridRow, TfmAvailablePortions::ColChoice);
        ASSERT_NE(mark, nullptr);
        QTest::mouseClick(w.PortionsGrid->viewport(), Qt::LeftButton, {},
                          w.PortionsGrid->visualItemRect(mark).center());
    }

    static void typeQty(TfmAvailablePortions& w, int gridRow, const QString& text) {
        QTableWidgetItem* item = w.PortionsGrid->item(gridRow, TfmAvailablePortions::ColQty);
        ASSERT_TRUE(item->flags().testFlag(Qt::ItemIsEditable));
        item->setText(text);
    }

    // Grid row of the lot with record ID `recordId`; -1 when not listed.
    static int gridRowOf(TfmAvailablePortions& w, int recordId) {
        for (int r = 0; r < w.PortionsGrid->rowCount(); ++r)
            if (w.PortionsGrid->item(r, TfmAvailablePortions::ColRecordId)->text() == QString::number(recordId))
                return r;
        return -1;
    }

    QString oldFolder;
    testsupport::FakeMessages messages;
    std::unique_ptr<TfmReg> screen;
    std::unique_ptr<PortionsRepository> repository;
};

TEST_F(PortionsDbTest, OnlyConfirmedLotsWithARemainderAreListedOldestFirst) {
    const std::vector<PortionLot> lots = repository->lots(5);
    ASSERT_EQ(lots.size(), 2u);
    EXPECT_EQ(lots[0].recordId, 12);
    EXPECT_EQ(lots[0].remainder.toWeightString(), "2.000");
    EXPECT_EQ(lots[0].documentText, " № 18 от 05.01.2026");
    EXPECT_EQ(lots[1].recordId, 11);
    EXPECT_EQ(lots[1].remainder.toWeightString(), "10.000");
    EXPECT_EQ(lots[1].declaration, "10702030/100326/0001234");
    EXPECT_TRUE(repository->lots(7).empty());

    const auto tea = repository->goods(5);
    ASSERT_TRUE(tea.has_value());
    EXPECT_EQ(tea->country, "КИТАЙ");
    EXPECT_FALSE(tea->weighed);
    EXPECT_TRUE(repository->goods(6)->weighed);
    EXPECT_FALSE(repository->goods(404).has_value());
    EXPECT_TRUE(repository->isGood(5));
    EXPECT_FALSE(repository->isGood(7));
}

TEST_F(PortionsDbTest, WindowShowsTheLotsTheirTotalAndTheEarlierChoice) {
    const int row = addPosition("5", "P", "5");
    screen->PortionChoices() << QStringList{"5", "11", "4"} << QStringList{"6", "12", "1"};
    withWindow(5, row, [&](TfmAvailablePortions& w) {
        ASSERT_EQ(w.PortionsGrid->rowCount(), 2);
        EXPECT_TRUE(w.PortionsGrid->isColumnHidden(TfmAvailablePortions::ColRecordId));
        EXPECT_EQ(w.PortionsGrid->horizontalHeader()->height(),
                  2 * w.PortionsGrid->verticalHeader()->defaultSectionSize());
        EXPECT_EQ(w.lblGoodName->text(), "Чай зелёный");
        EXPECT_EQ(w.lblCountry->text(), "КИТАЙ");
        EXPECT_EQ(w.lblTotalCaption->text(), portionsText::kTotalCaption);
        EXPECT_EQ(w.lblTotal->text(), "12.000");
        const int ten = gridRowOf(w, 11);
        const int two = gridRowOf(w, 12);
        EXPECT_EQ(w.PortionsGrid->item(ten, TfmAvailablePortions::ColAvailable)->text(), "10.000");
        EXPECT_EQ(w.PortionsGrid->item(ten, TfmAvailablePortions::ColDocument)->text(), " № 17 от 10.03.2026");
        EXPECT_EQ(w.PortionsGrid->item(ten, TfmAvailablePortions::ColChoice)->text(), "1");
        EXPECT_EQ(w.PortionsGrid->item(ten, TfmAvailablePortions::ColQty)->text(), "4");
        // Another goods' choice of the same lot number is not this one's.
        EXPECT_EQ(w.PortionsGrid->item(two, TfmAvailablePortions::ColChoice)->text(), "0");
        EXPECT_FALSE(w.PortionsGrid->item(two, TfmAvailablePortions::ColQty)->flags().testFlag(Qt::ItemIsEditable));
    });
    withWindow(7, row, [&](TfmAvailablePortions& w) {
        EXPECT_EQ(w.PortionsGrid->rowCount(), 0);
        EXPECT_EQ(w.lblTotalCaption->text(), portionsText::kNoLots);
        EXPECT_EQ(w.lblTotal->text(), "0.000");
    });
    withWindow(404, row, [&](TfmAvailablePortions& w) {
        EXPECT_EQ(w.lblGoodName->text(), portionsText::kNoData);
        EXPECT_EQ(w.lblCountry->text(), portionsText::kNoData);
        EXPECT_FALSE(w.PortionsGrid->isEnabled());
    });
}

TEST_F(PortionsDbTest, OkStoresAValidSplitAndReopeningShowsIt) {
    const struct {
        const char* what;
        const char* goods;
        const char* kind;
        const char* position;
        std::vector<std::pair<int, QString>> typed;  // record ID, quantity
        QString problem;
    } cases[] = {
        {"2 + 3 of 5", "5", "P", "5", {{12, "2"}, {11, "3"}}, {}},
        {"2 + 2 of 5", "5", "P", "5", {{12, "2"}, {11, "2"}}, portionsText::kSumMismatch},
        {"1.5 of a piece good", "5", "P", "2", {{11, "1.5"}, {12, "0.5"}}, portionsText::kWholeOnly},
        {"above the remainder", "5", "P", "3", {{12, "3"}}, portionsText::kAboveRemainder},
        {"0,1 of 0.300 kg", "6", "W", "0.300", {{21, "0,1"}}, portionsText::kSumMismatch},
        {"0.300 kg from one lot", "6", "W", "0.300", {{21, "0.3"}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        screen->resetReceipt();
        messages.clear();
        const int row = addPosition(c.goods, c.kind, c.position);
        const std::int64_t goodsId = QString::fromLatin1(c.goods).toLongLong();
        bool accepted = false;
        withWindow(goodsId, row, [&](TfmAvailablePortions& w) {
            for (const auto& [record, text] : c.typed) {
                const int r = gridRowOf(w, record);
                ASSERT_GE(r, 0);
                clickChoice(w, r);
                typeQty(w, r, text);
            }
            QTest::mouseClick(w.btnOK, Qt::LeftButton);
            accepted = w.result() == QDialog::Accepted;
        });
        EXPECT_EQ(accepted, c.problem.isEmpty());
        EXPECT_EQ(messages.last(), c.problem);
        if (!accepted) {
            EXPECT_TRUE(screen->PortionChoices().isEmpty());
            continue;
        }
        ASSERT_EQ(screen->PortionChoices().size(), qsizetype(c.typed.size()));
        withWindow(goodsId, row, [&](TfmAvailablePortions& w) {
            for (const auto& [record, text] : c.typed) {
                const int r = gridRowOf(w, record);
                EXPECT_EQ(w.PortionsGrid->item(r, TfmAvailablePortions::ColChoice)->text(), "1");
                const std::optional<Qty> shown =
                    parsePortionQty(w.PortionsGrid->item(r, TfmAvailablePortions::ColQty)->text());
                ASSERT_TRUE(shown.has_value());
                EXPECT_EQ(*shown, *parsePortionQty(text));
            }
        });
    }
}

TEST_F(PortionsDbTest, SplitOfAWeighedGoodsIsComparedExactly) {
    // Two lots of the weighed goods: 0.1 from one and 0.2 from the other
    // make the 0.300 kg of the position.
    addLot(22, 902, 6, "'1'", "''", "2026-03-11", "10702030/110326/0000001", 1);
    const int row = addPosition("6", "W", "0.300");
    withWindow(6, row, [&](TfmAvailablePortions& w) {
        for (const auto& [record, text] : {std::pair{21, QString("0.1")}, std::pair{22, QString("0.2")}}) {
            const int r = gridRowOf(w, record);
            clickChoice(w, r);
            typeQty(w, r, text);
        }
        QTest::mouseClick(w.btnOK, Qt::LeftButton);
        EXPECT_EQ(w.result(), QDialog::Accepted);
    });
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(screen->PortionChoices(), (QList<QStringList>{{"6", "21", "0.100"}, {"6", "22", "0.200"}}));
}

TEST_F(PortionsDbTest, UnchoosingALotClearsItsQuantity) {
    const int row = addPosition("5", "P", "2");
    withWindow(5, row, [&](TfmAvailablePortions& w) {
        const int r = gridRowOf(w, 11);
        clickChoice(w, r);
        typeQty(w, r, "2");
        clickChoice(w, r);
        EXPECT_EQ(w.PortionsGrid->item(r, TfmAvailablePortions::ColChoice)->text(), "0");
        EXPECT_EQ(w.PortionsGrid->item(r, TfmAvailablePortions::ColQty)->text(), "");
        EXPECT_FALSE(w.PortionsGrid->item(r, TfmAvailablePortions::ColQty)->flags().testFlag(Qt::ItemIsEditable));
    });
}

TEST_F(PortionsDbTest, AChosenLotShowsItsCheckMark) {
    const int row = addPosition("5", "P", "2");
    withWindow(5, row, [&](TfmAvailablePortions& w) {
        w.resize(800, 400);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        const int r = gridRowOf(w, 11);
        const QRect cell = w.PortionsGrid->visualItemRect(w.PortionsGrid->item(r, TfmAvailablePortions::ColChoice));
        // The mark as drawn, with nothing selected or current in the grid.
        auto mark = [&] {
            w.PortionsGrid->clearSelection();
            w.PortionsGrid->setCurrentItem(nullptr);
            QTest::mouseMove(w.PortionsGrid->viewport(),
                             QPoint(w.PortionsGrid->viewport()->width() - 2, w.PortionsGrid->viewport()->height() - 2));
            return w.PortionsGrid->viewport()->grab(cell).toImage();
        };
        const QImage unchosen = mark();
        clickChoice(w, r);
        ASSERT_EQ(w.PortionsGrid->item(r, TfmAvailablePortions::ColChoice)->text(), "1");
        EXPECT_NE(mark(), unchosen) << "the cashier cannot see which lots are chosen";
        clickChoice(w, r);
        ASSERT_EQ(w.PortionsGrid->item(r, TfmAvailablePortions::ColChoice)->text(), "0");
        EXPECT_EQ(mark(), unchosen);
    });
}

TEST_F(PortionsDbTest, MenusOfferTheBatchesForTheCurrentRowWithItsGoodsId) {
    const struct {
        const char* what;
        const char* goods;
        const char* country;
        bool buyer;
        int paymentFlag;
        bool menu, popup;
    } cases[] = {
        {"foreign goods to a buyer", "5", "156", true, 4, true, true},
        {"prepayment: the main menu only", "5", "156", true, 1, true, false},
        {"no buyer", "5", "156", false, 4, false, false},
        {"Russian goods", "5", "643", true, 4, false, false},
        {"a service", "7", "156", true, 4, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        screen->resetReceipt();
        screen->SetPaymentMethodFlag(c.paymentFlag);
        addPosition(c.goods, "P", "1", c.country);
        if (c.buyer)
            setBuyer(*screen, "ООО Ромашка", "7701000000");
        else
            screen->chLE->setChecked(false);

        emit screen->menu("MDocument")->aboutToShow();
        QAction* item = screen->action("MAvailablePortions");
        EXPECT_EQ(item->isVisible(), c.menu);
        EXPECT_EQ(screen->action("NPortionsSeparator")->isVisible(), c.menu);
        EXPECT_EQ(controlTag(item), c.menu ? QString::fromLatin1(c.goods).toInt() : 0);

        const QRect cell = screen->GoodsGrid->visualRect(screen->GoodsGrid->model()->index(0, 4));
        emit screen->GoodsGrid->customContextMenuRequested(cell.center());
        EXPECT_EQ(screen->action("PMAvailablePortions")->isVisible(), c.popup);
        EXPECT_EQ(screen->action("PM15")->isVisible(), c.popup);
        screen->PopupMenuGrid->hide();
    }
}

TEST_F(PortionsDbTest, MenuItemOpensTheLotsOfItsGoodsAndForgetsThemOnClose) {
    addPosition("5", "P", "1");
    setBuyer(*screen, "ООО Ромашка", "7701000000");
    emit screen->menu("MDocument")->aboutToShow();
    QAction* item = screen->action("MAvailablePortions");
    ASSERT_TRUE(item->isVisible());
    QString goodsName;
    when([] { return fmAvailablePortions && fmAvailablePortions->isVisible(); },
         [&] {
             goodsName = fmAvailablePortions->lblGoodName->text();
             QTest::mouseClick(fmAvailablePortions->btnClose, Qt::LeftButton);
         });
    item->trigger();
    EXPECT_EQ(goodsName, "Чай зелёный");
    EXPECT_EQ(controlTag(item), 0);
}

TEST_F(PortionsDbTest, DeclarationWindowWritesTheNumberOfTheSelectedPosition) {
    const int row = addPosition("5", "P", "1");
    const struct {
        QString typed;
        bool accepted;
    } cases[] = {
        {QString(33, QLatin1Char('9')), false},
        {" " + QString(32, QLatin1Char('8')) + " ", true},
        {"   ", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        screen->receipt().setCell(row, ReceiptModel::ColCustoms, "earlier");
        messages.clear();
        bool stayed = false;
        QString start;
        when([] { return fmDeclareNumber && fmDeclareNumber->isVisible(); },
             [&] {
                 start = fmDeclareNumber->edDeclareNumber->text();
                 fmDeclareNumber->edDeclareNumber->setText(c.typed);
                 QTest::mouseClick(fmDeclareNumber->btnOK, Qt::LeftButton);
                 stayed = fmDeclareNumber && fmDeclareNumber->isVisible();
                 if (stayed) QTest::mouseClick(fmDeclareNumber->btnClose, Qt::LeftButton);
             });
        screen->GoodsGridDblClick(ReceiptModel::ColCustoms);
        EXPECT_EQ(start, "");
        EXPECT_EQ(stayed, !c.accepted);
        EXPECT_EQ(screen->receipt().cell(row, ReceiptModel::ColCustoms), c.accepted ? c.typed.trimmed() : "earlier");
        if (!c.accepted) {
            ASSERT_EQ(messages.boxes.size(), 1u);
            EXPECT_EQ(messages.last(), portionsText::kDeclarationTooLong);
            EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Error);
        }
    }
}

}  // namespace
