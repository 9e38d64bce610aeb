// The main screen's small dialogs (receipt kind, VAT rate, name of a
// free-price position) and the menu items that set receipt-wide state:
// payment method, tax system, discount reset, driver version.
#include "ReceiptTestRows.h"
#include "SalesTestSupport.h"

#include "core/CodeTables.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "platform/sys/ProgramFolder.h"
#include "sales/screen/MainMenuCommands.h"
#include "sales/screen/MainScreenState.h"
#include "sales/screen/Registration_Mode.h"
#include "sales/screen/RegisterMenu.h"
#include "sales/screen/SmallDialogsLogic.h"
#include "sales/screen/uGoodName.h"
#include "sales/screen/uOperationSelect.h"
#include "sales/input/uGoodsFound.h"
#include "sales/screen/uQueryTaxRate.h"
#include "support/FakeMessages.h"
#include "support/TypeText.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using sales::ReceiptModel;

// ---------------------------------------------------------------------------
// Choices

TEST(SmallDialogChoices, ReceiptKindAnswersTwentyPlusKind) {
    struct Case {
        int chosen, current;
        bool marked;
        int result;
        bool refused;
    } cases[] = {
        {1, 1, false, 21, false}, {2, 1, false, 22, false}, {3, 2, false, 23, false}, {4, 3, false, 24, false},
        // Marked goods keep the kind; choosing the kind it has is no change.
        {3, 1, true, 0, true},    {1, 1, true, 21, false},
        // Nothing chosen, or no kind.
        {0, 1, false, 0, false},  {5, 1, false, 0, false},
    };
    for (const auto& c : cases) {
        const sales::OperationChoice r = sales::chooseOperation(c.chosen, c.current, c.marked);
        EXPECT_EQ(r.modalResult, c.result) << c.chosen << " from " << c.current;
        EXPECT_EQ(r.refusedForMarkedGoods, c.refused) << c.chosen << " from " << c.current;
        EXPECT_EQ(sales::receiptKindFromChoice(r.modalResult), c.result ? c.chosen : 0);
    }
}

TEST(SmallDialogChoices, VatRateAnswersTwentyPlusCode) {
    for (int code = 0; code <= 7; ++code) {
        const bool valid = code >= 1 && code <= 6;
        const int result = sales::vatChoiceResult(code);
        EXPECT_EQ(result, valid ? 20 + code : 0) << code;
        EXPECT_EQ(sales::vatCodeFromChoice(result), valid ? code : 0) << code;
    }
    EXPECT_EQ(sales::vatCodeFromChoice(QDialog::Rejected), 0);
    EXPECT_EQ(sales::vatCodeFromChoice(QDialog::Accepted), 0);
}

TEST(SmallDialogChoices, KindAndUnitOfAPosition) {
    struct Kind {
        QString column9;
        int index;
        QString back;
    } kinds[] = {
        {"Т", 0, "Т"}, {"т", 0, "Т"}, {" АТ ", 1, "АТ"}, {"р", 2, "Р"}, {"У", 3, "У"}, {"X", 3, "У"}, {"", 3, "У"},
    };
    for (const Kind& k : kinds) {
        EXPECT_EQ(sales::goodKindChoiceIndex(k.column9), k.index) << k.column9.toStdString();
        EXPECT_EQ(sales::goodKindOfChoice(k.index), k.back);
    }
    EXPECT_EQ(sales::goodKindOfChoice(-1), "Т");

    const QList<core::CodeItem>& units = core::FfdUnits();
    struct Unit {
        QString entry8;
        int code;  // -1: no unit
    } unitCases[] = {{"", 0}, {"0", 0}, {" 11 ", 11}, {"255", 255}, {"13", -1}, {"кг", -1}};
    for (const Unit& u : unitCases) {
        const int i = sales::unitChoiceIndex(u.entry8);
        if (u.code < 0) {
            EXPECT_EQ(i, -1) << u.entry8.toStdString();
        } else {
            ASSERT_TRUE(i >= 0 && units[i].code == u.code) << u.entry8.toStdString();
        }
    }

    // The edit writes name, kind and unit; no unit chosen keeps the row's.
    ReceiptModel m;
    const int row = sales::testing::addRow(m, {"", "", "100.00", "1"});
    m.setAttr(row, ReceiptModel::AttrMeasure, QStringLiteral("11"));
    ASSERT_TRUE(sales::applyGoodNameEdit(m, row, {QStringLiteral("  Доставка  "), 3, -1}));
    EXPECT_EQ(m.cell(row, ReceiptModel::ColName), "Доставка");
    EXPECT_EQ(m.cell(row, ReceiptModel::ColSubject), "У");
    EXPECT_EQ(m.attr(row, ReceiptModel::AttrMeasure), "11");
    EXPECT_FALSE(sales::applyGoodNameEdit(m, 5, {QStringLiteral("x"), 0, 0}));
}

// ---------------------------------------------------------------------------
// The dialogs on their own

TEST(OperationSelectWindow, ReturnsTheChosenKind) {
    for (int current = 1; current <= 4; ++current) {
        for (int chosen = 1; chosen <= 4; ++chosen) {
            TfmOperationSelect w(current, false);
            int selectedAtStart = -1;
            QTimer::singleShot(0, [&] {
                selectedAtStart = w.selectedKind();
                w.ListBox1->setCurrentRow(chosen - 1);
                QTest::mouseClick(w.btnOK, Qt::LeftButton);
            });
            EXPECT_EQ(w.exec(), 20 + chosen) << current << " -> " << chosen;
            EXPECT_EQ(selectedAtStart, current);
        }
    }
}

TEST(OperationSelectWindow, MarkedGoodsKeepTheKind) {
    testsupport::FakeMessages messages;
    TfmOperationSelect w(sales::KindSale, true);
    bool stayedOpen = false;
    QTimer::singleShot(0, [&] {
        w.ListBox1->setCurrentRow(2);
        QTest::mouseClick(w.btnOK, Qt::LeftButton);
        stayedOpen = w.isVisible();
        // Keys of the router: Up goes back to the sale, which is no change.
        w.moveSelection(-1);
        w.moveSelection(-1);
        w.moveSelection(-1);
        w.ListBox1DblClick();
    });
    EXPECT_EQ(w.exec(), 21);
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].text, TfmReg::kMarkedGoodsNoKindChange);
    EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Error);

    TfmOperationSelect cancelled(sales::KindSale, false);
    QTimer::singleShot(0, [&] { QTest::mouseClick(cancelled.btnCancel, Qt::LeftButton); });
    EXPECT_EQ(cancelled.exec(), QDialog::Rejected);
}

TEST(QueryTaxRateWindow, ReturnsTwentyPlusTheVatCode) {
    const QList<core::CodeItem>& rates = sales::vatRateChoices();
    ASSERT_EQ(rates.size(), 6);
    for (int i = 0; i < rates.size(); ++i) {
        bool okOffered = true;
        QString caption;
        QTimer::singleShot(0, [&] {
            TfmQueryTaxRate* w = fmQueryTaxRate;
            ASSERT_NE(w, nullptr);
            caption = w->windowTitle();
            okOffered = w->btnOK->isEnabled();
            w->cmbTaxRate->setCurrentIndex(i);
            QTest::mouseClick(w->btnOK, Qt::LeftButton);
        });
        EXPECT_EQ(queryTaxRate(), 20 + rates[i].code) << rates[i].text.toStdString();
        EXPECT_FALSE(okOffered);  // nothing is chosen for the cashier
        EXPECT_EQ(caption, QStringLiteral("Укажите ставку НДС"));
        EXPECT_EQ(fmQueryTaxRate, nullptr);
    }
    QTimer::singleShot(0, [] { QTest::mouseClick(fmQueryTaxRate->btnCancel, Qt::LeftButton); });
    EXPECT_EQ(queryTaxRate(), 0);
}

TEST(GoodsFoundWindow, UnitShownOnlyForAUnitCodeOfTheFiscalList) {
    struct Case {
        std::optional<int> measure;
        const char* unit;
        const char* shown;
    } cases[] = {
        {std::nullopt, "шт", ""},  // NULL unit code
        {0, "шт", "шт"},
        {11, "кг", "кг"},
        {255, "иное", "иное"},
        {13, "ящ", ""},  // not a unit of the fiscal list
    };
    std::vector<sales::FoundGoods> goods;
    for (const Case& c : cases) {
        sales::FoundGoods g;
        g.good.id = QString::number(goods.size() + 1);
        g.measure = c.measure;
        g.unitName = QString::fromUtf8(c.unit);
        goods.push_back(g);
    }
    TfmGoodsFound window;
    window.setTag(10);  // the tag that shows the unit column
    window.setGoods(goods);
    for (int r = 0; r < int(std::size(cases)); ++r)
        EXPECT_EQ(window.DBGrid1->item(r, 4)->text(), QString::fromUtf8(cases[r].shown)) << r;
}

TEST(GoodsFoundWindow, EveryColumnOfEveryTagIsSeenWithoutSidewaysScrolling) {
    // Enough goods for the vertical scroll bar to take its share of the grid.
    std::vector<sales::FoundGoods> goods(30);
    for (size_t i = 0; i < goods.size(); ++i) {
        goods[i].good.id = QString::number(100000 + i);
        goods[i].good.name = QStringLiteral("Масло сливочное 82% высший сорт в фольге 180 г");
    }
    for (const int tag : {0, 1, 2, 10, 11}) {
        SCOPED_TRACE(tag);
        TfmGoodsFound window;
        window.setTag(tag);
        window.setGoods(goods);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QApplication::processEvents();
        ASSERT_TRUE(window.DBGrid1->verticalScrollBar()->isVisible());
        EXPECT_LE(window.DBGrid1->horizontalHeader()->length(), window.DBGrid1->viewport()->width());
    }
}

TEST(QueryTaxRateWindow, TheQuestionIsALabelInsideTheWindow) {
    struct Case {
        QString prompt;
        QString shown;
    } cases[] = {
        {QString(), QStringLiteral("Укажите ставку НДС")},
        {QStringLiteral("Укажите ставку НДС для товара в строке 3"),
         QStringLiteral("Укажите ставку НДС для товара в строке 3")},
    };
    for (const Case& c : cases) {
        QString label;
        bool labelShown = false;
        QTimer::singleShot(0, [&] {
            TfmQueryTaxRate* w = fmQueryTaxRate;
            ASSERT_NE(w, nullptr);
            auto* l = w->findChild<QLabel*>(QStringLiteral("Label1"));
            ASSERT_NE(l, nullptr);
            label = l->text();
            labelShown = l->isVisible();
            QTest::mouseClick(w->btnCancel, Qt::LeftButton);
        });
        EXPECT_EQ(queryTaxRate(nullptr, c.prompt), 0);
        EXPECT_EQ(label, c.shown);
        EXPECT_TRUE(labelShown);
    }
}

// ---------------------------------------------------------------------------
// On the main screen

namespace {

class SmallDialogsScreen : public salestest::MainScreenFixture {
protected:
    void installCommands() override { installMainMenuCommands(*screen); }

    int addPosition(const sales::testing::RowSpec& wanted, int markType = 0) {
        const int row = sales::testing::addRow(screen->receipt(), wanted);
        screen->receipt().setAttr(row, ReceiptModel::AttrMarkType, QString::number(markType));
        return recalcAndSelect(row);
    }

    QAction* act(const char* name) const { return screen->action(QString::fromLatin1(name)); }
};

}  // namespace

TEST_F(SmallDialogsScreen, ReceiptKindChosenFromTheLabel) {
    addPosition({"12", "P", "10.00", "3", "P", "10"});
    QTimer::singleShot(0, [] {
        ASSERT_NE(fmOperationSelect, nullptr);
        fmOperationSelect->ListBox1->setCurrentRow(2);
        QTest::mouseClick(fmOperationSelect->btnOK, Qt::LeftButton);
    });
    screen->lblOperationTypeDblClick();
    EXPECT_EQ(fmOperationSelect, nullptr);
    EXPECT_EQ(screen->receiptKind(), sales::KindPurchase);
    EXPECT_EQ(screen->lblOperationType->text(), "РАСХОД");
    // A purchase takes no discount.
    EXPECT_EQ(screen->receipt().lineDiscountKind(1), QLatin1Char('N'));

    // Cancelled: nothing changes.
    QTimer::singleShot(0, [] { QTest::mouseClick(fmOperationSelect->btnCancel, Qt::LeftButton); });
    screen->lblOperationTypeDblClick();
    EXPECT_EQ(screen->receiptKind(), sales::KindPurchase);
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(SmallDialogsScreen, ReceiptKindWithMarkedGoodsIsRefused) {
    addPosition({"12", "P", "10.00", "1"}, 5);
    bool stayedOpen = false;
    QTimer::singleShot(0, [&] {
        fmOperationSelect->ListBox1->setCurrentRow(1);
        QTest::mouseClick(fmOperationSelect->btnOK, Qt::LeftButton);
        stayedOpen = fmOperationSelect->isVisible();
        QTest::mouseClick(fmOperationSelect->btnCancel, Qt::LeftButton);
    });
    screen->lblOperationTypeDblClick();
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(messages.texts(), QStringList{TfmReg::kMarkedGoodsNoKindChange});
    EXPECT_EQ(screen->receiptKind(), sales::KindSale);
    EXPECT_EQ(screen->lblOperationType->text(), "ПРИХОД");
}

TEST_F(SmallDialogsScreen, FreePricePositionIsRenamed) {
    const int row = addPosition({"", "", "100.00", "1"});
    screen->receipt().setCell(row, ReceiptModel::ColName, QStringLiteral("  Свободная цена "));
    screen->receipt().setCell(row, ReceiptModel::ColSubject, QStringLiteral("у"));
    screen->updateGoodsGrid();

    QString nameShown;
    int kindShown = -1;
    QString unitShown;
    const int kg = sales::unitChoiceIndex(QStringLiteral("11"));
    QTimer::singleShot(0, [&] {
        TfmGoodName* w = fmGoodName;
        ASSERT_NE(w, nullptr);
        nameShown = w->Edit1->text();
        kindShown = w->ComboBox1->currentIndex();
        unitShown = w->cmbEdizm->currentText();
        QTest::mouseClick(w->BitBtn1, Qt::LeftButton);
        testsupport::typeText(w->Edit1, QStringLiteral(" Доставка "));
        w->ComboBox1->setCurrentIndex(2);
        w->cmbEdizm->setCurrentIndex(kg);
        QTest::mouseClick(w->Button2, Qt::LeftButton);
    });
    screen->PMChangeNameClick();
    EXPECT_EQ(nameShown, "Свободная цена");
    EXPECT_EQ(kindShown, 3);
    EXPECT_EQ(unitShown, "шт");  // no unit yet reads as pieces
    EXPECT_EQ(fmGoodName, nullptr);
    EXPECT_EQ(screen->receipt().cell(row, ReceiptModel::ColName), "Доставка");
    EXPECT_EQ(screen->receipt().cell(row, ReceiptModel::ColSubject), "Р");
    EXPECT_EQ(screen->receipt().attr(row, ReceiptModel::AttrMeasure), "11");
    EXPECT_EQ(screen->GoodsGrid->item(row - 1, ReceiptModel::ColName)->text(), "Доставка");

    // Cancelled: nothing changes.
    QTimer::singleShot(0, [] {
        fmGoodName->Edit1->clear();
        QTest::mouseClick(fmGoodName->Button1, Qt::LeftButton);
    });
    screen->PMChangeNameClick();
    EXPECT_EQ(screen->receipt().cell(row, ReceiptModel::ColName), "Доставка");
}

TEST_F(SmallDialogsScreen, CatalogueGoodsKeepTheirName) {
    const int row = addPosition({"12", "P", "10.00", "1"});
    bool opened = false;
    QTimer::singleShot(0, [&] {
        if (fmGoodName) {
            opened = true;
            fmGoodName->reject();
        }
    });
    screen->PMChangeNameClick();
    QCoreApplication::processEvents();
    EXPECT_FALSE(opened);
    EXPECT_EQ(screen->receipt().cell(row, ReceiptModel::ColName), "Товар 12");
}

TEST_F(SmallDialogsScreen, PaymentMethodItemsGuardANonEmptyReceipt) {
    const QString backToFull =
        QStringLiteral(" Чек не пустой.     \r\n Переключение на признак ''ПОЛНЫЙ РАСЧЕТ'' невозможно.     ");
    const QString backToFullAdvance =
        QStringLiteral(" Чек не пустой.      \r\n Переключение на признак ''ПОЛНЫЙ РАСЧЕТ'' невозможно.     ");
    const QString noFullPay =
        QStringLiteral(" Чек не пустой.      \r\n Установка признака ''ПОЛНЫЙ РАСЧЕТ'' невозможна.     ");
    struct Case {
        const char* item;
        int flag;
        QString refusal;
    } cases[] = {
        {"M_PrePayFull", 1, backToFull},
        {"M_PrePayPart", 2, backToFull},
        {"M_Advance", 3, backToFullAdvance},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        screen->resetReceipt();
        messages.clear();
        act(c.item)->trigger();
        EXPECT_EQ(screen->PaymentMethodFlag(), c.flag);
        EXPECT_TRUE(act(c.item)->isChecked());
        EXPECT_FALSE(act("M_FullPay")->isChecked());

        addPosition({"12", "P", "10.00", "1"});
        act(c.item)->trigger();  // unchecking
        act("M_FullPay")->trigger();
        EXPECT_EQ(messages.texts(), (QStringList{c.refusal, noFullPay}));
        EXPECT_EQ(screen->PaymentMethodFlag(), c.flag);
        EXPECT_TRUE(act(c.item)->isChecked());
        EXPECT_FALSE(act("M_FullPay")->isChecked());

        // Back on an empty receipt.
        screen->resetReceipt();
        act(c.item)->trigger();
        EXPECT_EQ(screen->PaymentMethodFlag(), 4);
        EXPECT_TRUE(act("M_FullPay")->isChecked());
        EXPECT_FALSE(act(c.item)->isChecked());
    }
    // Full payment cannot be switched off, only replaced.
    messages.clear();
    act("M_FullPay")->trigger();
    EXPECT_TRUE(act("M_FullPay")->isChecked());
    EXPECT_EQ(screen->PaymentMethodFlag(), 4);
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(SmallDialogsScreen, TaxSystemItemsSetTheLabel) {
    struct Case {
        const char* item;
        int code;
    } cases[] = {{"N11", 1}, {"N18", 2}, {"N19", 4}, {"N8", 8}, {"N17", 16}, {"N20", 32}};
    for (const Case& c : cases) {
        act(c.item)->trigger();
        EXPECT_EQ(screen->taxSystemTag(), c.code) << c.item;
        EXPECT_EQ(sales::controlTag(screen->lblTaxSystem), c.code) << c.item;
        EXPECT_EQ(screen->lblTaxSystem->text(), act(c.item)->text()) << c.item;
        const QColor colour = screen->lblTaxSystem->palette().color(QPalette::WindowText);
        EXPECT_GT(colour.green(), 0) << c.item;
        EXPECT_EQ(colour.red(), 0) << c.item;
    }
}

TEST_F(SmallDialogsScreen, DiscountResetLeavesNoDiscount) {
    addPosition({"12", "P", "10.00", "3", "S", "1.00"});
    addPosition({"13", "W", "20.00", "0.500", "P", "10"});
    ASSERT_EQ(screen->lblChekItogo->text(), "38.01 ");
    screen->receipt().setReceiptDiscount(QStringLiteral("P"), QStringLiteral("5"));
    ASSERT_EQ(screen->RecalcReceipt(), 0);
    ASSERT_NE(screen->lblDiscount->text(), "0.00");

    screen->DiscountReset();
    const ReceiptModel& r = screen->receipt();
    EXPECT_EQ(r.receiptDiscountKind(), QLatin1Char('N'));
    for (int row = 1; row <= r.dataRowCount(); ++row) {
        EXPECT_EQ(r.lineDiscountKind(row), QLatin1Char('N')) << row;
        EXPECT_EQ(r.cell(row, ReceiptModel::ColDiscount), "") << row;
        EXPECT_EQ(r.cell(row, ReceiptModel::ColPrice), r.attr(row, ReceiptModel::AttrBasePrice)) << row;
    }
    EXPECT_EQ(screen->lblChekItogo->text(), "40.00 ");
    EXPECT_EQ(screen->lblDiscount->text(), "0.00");
    EXPECT_EQ(r.layout(), 5);
}

TEST_F(SmallDialogsScreen, DriverVersionShownWithADriver) {
    ASSERT_NE(screen->KKTDriver(), nullptr);
    act("MDriverInfo")->trigger();
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].text, sales::registerText::kDriverVersion + emulator->version());
    EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Information);
}
