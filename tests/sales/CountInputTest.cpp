// The quantity input window: its keys and the "00" key, what Enter does with
// the typed number in each mode, and the cash-in that goes through the
// register emulator into the drawer.
#include "ReceiptTestRows.h"
#include "SalesTestSupport.h"

#include "core/uNumKeyboard.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "platform/sys/ProgramFolder.h"
#include "platform/ui/MessageService.h"
#include "sales/receipt/ReceiptRules.h"
#include "sales/screen/CountInputLogic.h"
#include "sales/screen/MainMenuCommands.h"
#include "sales/screen/Registration_Mode.h"
#include "sales/screen/uCountInput.h"
#include "support/FakeMessages.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using sales::CountInputDecision;
using sales::ReceiptModel;
using Outcome = sales::CountInputDecision::Outcome;
namespace text = sales::countInputText;

// ---------------------------------------------------------------------------
// Rules

TEST(CountInputDoubleZero, FollowsTheModeAndTheRoomLeft) {
    struct Case {
        int mode;
        int maxLen;
        QString before;
        QString after;
    } cases[] = {
        // Empty or "0" stays a single zero.
        {1, 10, "", "0"},
        {2, 10, "0", "0"},
        {3, 10, "", "0"},
        // Without a point: "00", or "0" when one character is left.
        {1, 10, "5", "500"},
        {3, 10, "7", "700"},
        {2, 10, "123456789", "1234567890"},
        {2, 10, "1234567890", "1234567890"},
        // Quantity, three decimals.
        {1, 10, "1.", "1.00"},
        {1, 10, "1.5", "1.500"},
        {1, 10, "1.50", "1.500"},
        {1, 10, "1.500", "1.500"},
        // Price, two decimals: one decimal takes a single zero, two take none.
        {2, 10, "12.", "12.00"},
        {2, 10, "12.5", "12.50"},
        {2, 10, "12.50", "12.50"},
        // Cash-in: nothing after the point.
        {3, 10, "1500.", "1500."},
        {3, 10, "1500.5", "1500.5"},
        // Never beyond the field's length.
        {1, 10, "12345678.", "12345678.0"},
        {1, 10, "1234567.", "1234567.00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sales::countInputDoubleZero(c.before, c.maxLen, c.mode), c.after)
            << "mode " << c.mode << " text " << c.before.toStdString();
}

TEST(CountInputDecision, ReadsTheNumberByModeAndUnitKind) {
    struct Case {
        int mode;
        QString typed;
        QString rowKind;
        Outcome outcome;
        qint64 value;  // thousandths for a quantity, kopecks for money
        QString message;
    } cases[] = {
        // Quantity: piece goods take whole numbers only.
        {1, "2", "P", Outcome::Quantity, 2000, {}},
        {1, "1.5", "P", Outcome::PieceFraction, 0, text::kPieceFraction},
        {1, "1.5", "W", Outcome::Quantity, 1500, {}},
        {1, "1.5", "", Outcome::Quantity, 1500, {}},
        {1, "0.125", "F", Outcome::Quantity, 125, {}},
        {1, "3", "X", Outcome::Close, 0, {}},
        // Zero closes the window and is never written.
        {1, "0", "P", Outcome::Close, 0, {}},
        {1, "0.000", "W", Outcome::Close, 0, {}},
        {1, "0.0004", "W", Outcome::Close, 0, {}},
        // A quantity is stored as ten characters at most.
        {1, "999999.999", "W", Outcome::Quantity, 999999999, {}},
        {1, "1000000", "W", Outcome::TooLarge, 0, text::kQuantityTooLarge},
        {1, "1234567.5", "F", Outcome::TooLarge, 0, text::kQuantityTooLarge},
        {1, "9999999999", "P", Outcome::Quantity, 9999999999000, {}},
        // Nothing typed is no request.
        {1, "", "P", Outcome::Close, 0, {}},
        {1, "1.2.3", "P", Outcome::BadFormat, 0, text::kBadFormat},
        {1, ".", "W", Outcome::BadFormat, 0, text::kBadFormat},
        // Price.
        {2, "12.5", "P", Outcome::Price, 1250, {}},
        {2, "0", "P", Outcome::Close, 0, {}},
        {2, "0.00", "", Outcome::Close, 0, {}},
        {2, "9999999.99", "P", Outcome::Price, 999999999, {}},
        {2, "10000000", "P", Outcome::TooLarge, 0, text::kPriceTooLarge},
        {2, "9999999999", "P", Outcome::TooLarge, 0, text::kPriceTooLarge},
        // Cash-in.
        {3, "1500.50", "", Outcome::CashIn, 150050, {}},
        {3, "0", "", Outcome::Close, 0, {}},
        {3, "9999999.99", "", Outcome::CashIn, 999999999, {}},
        {3, "9999999999", "", Outcome::TooLarge, 0, text::kCashInTooLarge},
        {3, "", "", Outcome::Close, 0, {}},
        // Any other Tag does nothing.
        {0, "5", "P", Outcome::Close, 0, {}},
        {4, "5", "P", Outcome::Close, 0, {}},
    };
    for (const Case& c : cases) {
        const CountInputDecision d = sales::decideCountInput(c.mode, c.typed, c.rowKind);
        SCOPED_TRACE("mode " + std::to_string(c.mode) + " text " + c.typed.toStdString() + " kind " +
                     c.rowKind.toStdString());
        EXPECT_EQ(d.outcome, c.outcome);
        EXPECT_EQ(d.message, c.message);
        EXPECT_EQ(d.keepsWindowOpen(), !c.message.isEmpty());
        if (c.outcome == Outcome::Quantity) {
            EXPECT_EQ(d.quantity.thousandths, c.value);
        }
        if (c.outcome == Outcome::Price || c.outcome == Outcome::CashIn) {
            EXPECT_EQ(d.amount.kopecks, c.value);
        }
    }
}

TEST(CountInputApply, ChangedQuantityOrPriceDropsSumDiscountsOnly) {
    struct Case {
        const char* name;
        QString receiptKind, receiptValue;
        QString lineKind, lineValue;
        bool receiptDropped;
        QString receiptKindAfter, receiptValueAfter;
        QString lineKindAfter, lineValueAfter;
    } cases[] = {
        {"no discounts", "N", "0", "N", "", false, "N", "0", "N", ""},
        {"line sum", "N", "0", "S", "1.00", false, "N", "0", "N", ""},
        {"line percent", "N", "0", "P", "10", false, "N", "0", "P", "10"},
        {"receipt sum", "S", "5.00", "P", "10", true, "N", "", "P", "10"},
        {"receipt percent", "P", "5", "S", "1.00", false, "P", "5", "N", ""},
    };
    for (const Case& c : cases) {
        for (const bool quantity : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (quantity ? " quantity" : " price"));
            ReceiptModel m;
            const int row = sales::testing::addRow(m, {"12", "P", "10.00", "3", c.lineKind, c.lineValue});
            m.setReceiptDiscount(c.receiptKind, c.receiptValue);
            const bool applied = quantity ? sales::applyCountInputQuantity(m, row, sales::Qty::units(5))
                                          : sales::applyCountInputPrice(m, row, sales::Money::fromKopecks(1250));
            ASSERT_TRUE(applied);
            EXPECT_EQ(m.cell(row, ReceiptModel::ColQty), quantity ? "5" : "3");
            EXPECT_EQ(m.attr(row, ReceiptModel::AttrBasePrice), quantity ? "10.00" : "12.50");
            EXPECT_EQ(m.attr(0, ReceiptModel::AttrReceiptDiscountKind), c.receiptKindAfter);
            EXPECT_EQ(m.attr(0, ReceiptModel::AttrReceiptDiscountValue), c.receiptValueAfter);
            EXPECT_EQ(m.attr(row, ReceiptModel::AttrDiscountKind), c.lineKindAfter);
            EXPECT_EQ(m.attr(row, ReceiptModel::AttrDiscountValue), c.lineValueAfter);
        }
    }
    // Only an active position, and only a number above zero, is written.
    ReceiptModel m;
    const int row = sales::testing::addRow(m, {"12", "P", "10.00", "3"});
    const int freed = sales::testing::addRow(m, {"13", "P", "10.00", "1", "N", "", "E"});
    EXPECT_FALSE(sales::applyCountInputQuantity(m, freed, sales::Qty::units(2)));
    EXPECT_FALSE(sales::applyCountInputQuantity(m, row, sales::Qty{}));
    EXPECT_FALSE(sales::applyCountInputPrice(m, row, sales::Money{}));
    EXPECT_FALSE(sales::applyCountInputQuantity(m, 9, sales::Qty::units(2)));
    EXPECT_EQ(m.cell(row, ReceiptModel::ColQty), "3");
    EXPECT_EQ(m.cell(freed, ReceiptModel::ColQty), "1");
}

// ---------------------------------------------------------------------------
// The window on the main screen

namespace {

// The main screen with its menu commands.
class CountInputWindow : public salestest::MainScreenFixture {
protected:
    void installCommands() override { installMainMenuCommands(*screen); }

    void TearDown() override {
        MainScreenFixture::TearDown();
        EXPECT_EQ(fmCountInput, nullptr);
    }

    struct Run {
        int result = -1;
        bool stayedOpen = false;  // still open after the last step: cancelled
        QString title;
        int tag = 0;
        QString textAfterHide;
        int tagAfterHide = -1;
    };

    // Opens the window in `mode` and, once it is up, runs `drive` on it. A
    // window still open after that is cancelled.
    Run run(int mode, const std::function<void(TfmCountInput&)>& drive) {
        return runWith([&] { return runCountInput(*screen, mode, QStringLiteral("Окно")); }, drive);
    }

    Run runWith(const std::function<int()>& open, const std::function<void(TfmCountInput&)>& drive) {
        Run out;
        QTimer::singleShot(0, [&] {
            TfmCountInput* w = fmCountInput;
            if (!w || !w->isVisible()) return;
            out.title = w->windowTitle();
            out.tag = w->Tag();
            drive(*w);
            if (w->isVisible()) {
                out.stayedOpen = true;
                QTest::mouseClick(w->BitBtn15, Qt::LeftButton);
            }
        });
        out.result = open();
        if (fmCountInput) {
            out.textAfterHide = fmCountInput->Memo1->text();
            out.tagAfterHide = fmCountInput->Tag();
        }
        return out;
    }

    void setCashier() {
        core::SessionUser u;
        u.name = QStringLiteral("Иванов И.И.");
        u.postLabel = QStringLiteral("Кассир : ");
        u.inn = QStringLiteral("500100732259");
        screen->setUser(u);
    }

    void openShift() {
        setCashier();
        screen->action(QStringLiteral("M_OpenSession"))->trigger();
        ASSERT_TRUE(emulator->state().shiftOpen);
        emulator->clearJournal();
        messages.clear();
    }

    int cashIncomeCalls() const {
        int n = 0;
        for (const fiscal::JournalEntry& e : emulator->journal()) n += e.method == QLatin1String("cashIncome");
        return n;
    }
};

}  // namespace

TEST_F(CountInputWindow, KeypadAndKeysBuildTheNumber) {
    addPosition({"12", "W", "10.00", "1.000"});
    QStringList seen;
    const Run r = run(sales::CountInputQuantity, [&](TfmCountInput& w) {
        auto now = [&] { seen << w.Memo1->text(); };
        click(w, "BitBtn1");
        click(w, "BitBtn13");
        click(w, "BitBtn13");  // a second point is not taken
        click(w, "BitBtn2");
        now();                 // "1.2"
        click(w, "BitBtn11");  // backspace
        now();                 // "1."
        QTest::keyClick(w.Memo1, 'a');  // letters are not taken
        QTest::keyClick(w.Memo1, ' ');
        QTest::keyClick(w.Memo1, '5');
        QTest::keyClick(w.Memo1, '7');
        QTest::keyClick(w.Memo1, '5');
        QTest::keyClick(w.Memo1, '9');  // a fourth decimal is not taken
        now();                          // "1.575"
        QTest::keyClick(w.Memo1, Qt::Key_Delete);
        now();  // ""
        QTest::keyClick(w.Memo1, '0');
        QTest::keyClick(w.Memo1, '3');  // a digit replaces a lone "0"
        QTest::keyClick(w.Memo1, ',');  // "," is read as "."
        QTest::keyClick(w.Memo1, '2');
        now();  // "3.2"
        click(w, "BitBtnReset");
        now();  // ""
        for (const char* b : {"BitBtn10", "BitBtn9", "BitBtn8", "BitBtn7", "BitBtn6", "BitBtn5", "BitBtn4", "BitBtn3",
                              "BitBtn2"})
            click(w, b);
        now();  // "98765432" (the leading "0" was replaced)
        click(w, "BitBtnReset");
        QTest::keyClick(w.Memo1, '2');
        QTest::keyClick(w.Memo1, Qt::Key_Return);
    });
    EXPECT_EQ(seen, (QStringList{"1.2", "1.", "1.575", "", "3.2", "", "98765432"}));
    EXPECT_FALSE(r.stayedOpen);
    EXPECT_EQ(r.result, QDialog::Accepted);
    EXPECT_EQ(r.tag, sales::CountInputQuantity);
    EXPECT_EQ(screen->receipt().cell(1, ReceiptModel::ColQty), "2.000");
    // Hidden, the window keeps no number and no mode.
    EXPECT_EQ(r.textAfterHide, "");
    EXPECT_EQ(r.tagAfterHide, 0);
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(CountInputWindow, QuantityFollowsPieceAndWeighedRules) {
    struct Case {
        const char* kind;
        const char* qty;
        QString typed;
        bool stays;
        QString message;
        QString qtyAfter;
        QString totalAfter;
    } cases[] = {
        {"P", "3", "1.5", true, text::kPieceFraction, "3", "30.00 "},
        {"P", "3", "4", false, {}, "4", "40.00 "},
        {"W", "1.000", "1.5", false, {}, "1.500", "15.00 "},
        // Zero closes the window and changes nothing.
        {"P", "3", "0", false, {}, "3", "30.00 "},
        {"W", "1.000", "0.000", false, {}, "1.000", "10.00 "},
        // Nothing typed: the window closes and nothing changes.
        {"P", "3", "", false, {}, "3", "30.00 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " " + c.typed.toStdString());
        screen->resetReceipt();
        messages.clear();
        addPosition({"12", c.kind, "10.00", c.qty});
        const Run r = run(sales::CountInputQuantity, [&](TfmCountInput& w) {
            for (const QChar ch : c.typed) w.typeKey(ch);
            click(w, "BitBtn14");
        });
        EXPECT_EQ(r.stayedOpen, c.stays);
        EXPECT_EQ(messages.texts(), c.message.isEmpty() ? QStringList{} : QStringList{c.message});
        if (!c.message.isEmpty()) {
            EXPECT_EQ(messages.boxes.front().icon, ui::Icon::Warning);
        }
        EXPECT_EQ(screen->receipt().cell(1, ReceiptModel::ColQty), c.qtyAfter);
        EXPECT_EQ(screen->lblChekItogo->text(), c.totalAfter);
    }
}

TEST_F(CountInputWindow, DoubleZeroNeverMakesAZeroQuantity) {
    addPosition({"12", "P", "10.00", "3"});
    QStringList seen;
    const Run r = run(sales::CountInputQuantity, [&](TfmCountInput& w) {
        click(w, "BitBtn12");
        seen << w.Memo1->text();
        click(w, "BitBtn12");
        seen << w.Memo1->text();
        click(w, "BitBtn14");
    });
    EXPECT_EQ(seen, (QStringList{"0", "0"}));
    // A zero closes the window and the row keeps its quantity.
    EXPECT_FALSE(r.stayedOpen);
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_EQ(screen->receipt().cell(1, ReceiptModel::ColQty), "3");
    EXPECT_EQ(screen->lblChekItogo->text(), "30.00 ");
}

TEST_F(CountInputWindow, RowsTheDatabaseCouldNeverHoldAreRefused) {
    struct Case {
        const char* name;
        int mode;
        const char* kind;
        const char* price;
        const char* qty;
        QString typed;
        QString message;
    } cases[] = {
        {"quantity of ten digits", sales::CountInputQuantity, "P", "10.00", "3", "9999999999",
         text::kLineSumTooLarge},
        {"line sum just above the largest", sales::CountInputQuantity, "P", "99999.99", "3", "101",
         text::kLineSumTooLarge},
        {"weighed quantity of seven digits", sales::CountInputQuantity, "W", "10.00", "1.000", "1000000",
         text::kQuantityTooLarge},
        {"price of ten digits", sales::CountInputPrice, "P", "10.00", "3", "9999999999", text::kPriceTooLarge},
        {"price that makes the line too large", sales::CountInputPrice, "P", "10.00", "3", "9999999.99",
         text::kLineSumTooLarge},
        // A row worth nothing would be left out of the receipt unseen.
        {"weight whose sum is 0.00", sales::CountInputQuantity, "W", "4.00", "1.000", "0.001",
         sales::zeroSumEditText()},
        {"price whose sum is 0.00", sales::CountInputPrice, "W", "10.00", "0.001", "0.01", sales::zeroSumEditText()},
        // The largest line that is still stored.
        {"line sum within the largest", sales::CountInputQuantity, "P", "99999.99", "3", "100", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        screen->resetReceipt();
        messages.clear();
        const int row = addPosition({"12", c.kind, c.price, c.qty});
        const QString totalBefore = screen->lblChekItogo->text();
        const Run r = run(c.mode, [&](TfmCountInput& w) {
            for (const QChar ch : c.typed) w.typeKey(ch);
            click(w, "BitBtn14");
        });
        EXPECT_EQ(messages.texts(), c.message.isEmpty() ? QStringList{} : QStringList{c.message});
        EXPECT_EQ(r.stayedOpen, !c.message.isEmpty());
        if (c.message.isEmpty()) {
            EXPECT_EQ(screen->lblChekItogo->text(), "9999999.00 ");
            continue;
        }
        EXPECT_EQ(messages.boxes.front().icon, ui::Icon::Warning);
        EXPECT_EQ(screen->receipt().cell(row, ReceiptModel::ColQty), c.qty);
        EXPECT_EQ(screen->receipt().attr(row, ReceiptModel::AttrBasePrice), c.price);
        EXPECT_EQ(screen->lblChekItogo->text(), totalBefore);
    }
}

TEST_F(CountInputWindow, AQuantityThatTakesTheReceiptTotalBeyondWhatCanBeStoredIsRefused) {
    addPosition({"12", "P", "5000000.00", "1"});
    const int row = addPosition({"13", "P", "4000000.00", "1"});
    const Run r = run(sales::CountInputQuantity, [&](TfmCountInput& w) {
        w.typeKey(QLatin1Char('2'));
        click(w, "BitBtn14");
    });
    EXPECT_TRUE(r.stayedOpen);
    EXPECT_EQ(messages.texts(), QStringList{sales::sumLimitText::kReceiptTotalTooLarge});
    EXPECT_EQ(screen->receipt().cell(row, ReceiptModel::ColQty), "1");
    EXPECT_EQ(screen->lblChekItogo->text(), "9000000.00 ");
}

TEST_F(CountInputWindow, QuantityChangeDropsSumDiscountsAndKeepsPercent) {
    // A receipt percent discount, and a sum discount on the row that the
    // receipt discount overrides while it is set.
    const int row = addPosition({"12", "P", "10.00", "3", "S", "1.00"});
    screen->receipt().setReceiptDiscount(QStringLiteral("P"), QStringLiteral("10"));
    ASSERT_EQ(screen->RecalcReceipt(), 0);
    ASSERT_EQ(screen->lblChekItogo->text(), "27.00 ");
    run(sales::CountInputQuantity, [&](TfmCountInput& w) {
        w.typeKey(u'4');
        click(w, "BitBtn14");
    });
    EXPECT_EQ(screen->receipt().lineDiscountKind(row), QLatin1Char('N'));
    EXPECT_EQ(screen->receipt().receiptDiscountKind(), QLatin1Char('P'));
    EXPECT_EQ(screen->lblChekItogo->text(), "36.00 ");
    EXPECT_EQ(screen->GoodsGrid->item(row - 1, ReceiptModel::ColQty)->text(), "4");

    // A sum discount on the receipt goes, and the position discount button
    // is offered again.
    screen->receipt().setReceiptDiscount(QStringLiteral("S"), QStringLiteral("6.00"));
    ASSERT_EQ(screen->RecalcReceipt(), 0);
    ASSERT_FALSE(screen->btnPosDiscount->isEnabled());
    run(sales::CountInputQuantity, [&](TfmCountInput& w) {
        w.typeKey(u'5');
        click(w, "BitBtn14");
    });
    EXPECT_EQ(screen->receipt().receiptDiscountKind(), QLatin1Char('N'));
    EXPECT_EQ(screen->receipt().receiptDiscountValue(), "");
    EXPECT_EQ(screen->lblChekItogo->text(), "50.00 ");
    EXPECT_TRUE(screen->btnPosDiscount->isEnabled());
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(CountInputWindow, RefusedRecalculationLeavesTheReceiptAsItWas) {
    // A discount the arithmetic cannot apply: the new quantity is not kept.
    const int row = addPosition({"12", "P", "10.00", "3"});
    screen->receipt().setLineDiscount(row, QStringLiteral("P"), QStringLiteral("150"));
    const Run r = run(sales::CountInputQuantity, [&](TfmCountInput& w) {
        w.typeKey(u'4');
        click(w, "BitBtn14");
    });
    EXPECT_TRUE(r.stayedOpen);
    EXPECT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(screen->receipt().cell(row, ReceiptModel::ColQty), "3");
    EXPECT_EQ(screen->receipt().lineDiscountKind(row), QLatin1Char('P'));
    EXPECT_EQ(screen->lblChekItogo->text(), "30.00 ");
}

TEST_F(CountInputWindow, PriceModeWritesTheUnitPrice) {
    const int row = addPosition({"12", "P", "10.00", "3"});
    QStringList seen;
    const Run r = run(sales::CountInputPrice, [&](TfmCountInput& w) {
        for (const QChar ch : QStringLiteral("12.5")) w.typeKey(ch);
        click(w, "BitBtn12");  // one decimal typed: a single zero
        seen << w.Memo1->text();
        click(w, "BitBtn12");  // two decimals: nothing
        seen << w.Memo1->text();
        w.typeKey(u'9');  // no third decimal for money
        seen << w.Memo1->text();
        QTest::keyClick(w.Memo1, Qt::Key_Enter);
    });
    EXPECT_EQ(seen, (QStringList{"12.50", "12.50", "12.50"}));
    EXPECT_EQ(r.result, QDialog::Accepted);
    EXPECT_EQ(screen->receipt().attr(row, ReceiptModel::AttrBasePrice), "12.50");
    EXPECT_EQ(screen->receipt().cell(row, ReceiptModel::ColPrice), "12.50");
    EXPECT_EQ(screen->lblChekItogo->text(), "37.50 ");

    // A zero price closes the window and the price stays.
    messages.clear();
    const Run zero = run(sales::CountInputPrice, [&](TfmCountInput& w) {
        w.typeKey(u'0');
        click(w, "BitBtn14");
    });
    EXPECT_FALSE(zero.stayedOpen);
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_EQ(screen->receipt().attr(row, ReceiptModel::AttrBasePrice), "12.50");
}

TEST_F(CountInputWindow, CancelChangesNothingAndTheKeypadMakesWay) {
    addPosition({"12", "P", "10.00", "3"});
    // The main screen's keypad would type into the main screen: it goes
    // away while the window asks its number.
    auto* keypad = new core::TfmNumKeyboard(screen.get());
    keypad->show();
    bool keypadVisible = true;
    const Run r = run(sales::CountInputQuantity, [&](TfmCountInput& w) {
        keypadVisible = keypad->isVisible();
        w.typeKey(u'7');
        click(w, "BitBtn15");
    });
    EXPECT_FALSE(keypadVisible);
    EXPECT_FALSE(r.stayedOpen);
    EXPECT_EQ(r.result, QDialog::Rejected);
    EXPECT_EQ(screen->receipt().cell(1, ReceiptModel::ColQty), "3");
    EXPECT_EQ(r.textAfterHide, "");

    // Escape cancels as well.
    const Run escaped = run(sales::CountInputQuantity, [&](TfmCountInput& w) {
        w.typeKey(u'7');
        QTest::keyClick(w.Memo1, Qt::Key_Escape);
    });
    EXPECT_FALSE(escaped.stayedOpen);
    EXPECT_EQ(escaped.result, QDialog::Rejected);
    EXPECT_EQ(screen->receipt().cell(1, ReceiptModel::ColQty), "3");
}

TEST_F(CountInputWindow, EnterOnTheFocusedConfirmButtonApplies) {
    // The key router gives BitBtn14 the focus on the first Enter; digits
    // typed meanwhile still reach the number, and the next Enter applies it.
    addPosition({"12", "P", "10.00", "3"});
    const Run r = run(sales::CountInputQuantity, [&](TfmCountInput& w) {
        w.BitBtn14->setFocus();
        QTest::keyClick(w.BitBtn14, '6');
        QTest::keyClick(w.BitBtn14, Qt::Key_Return);
    });
    EXPECT_FALSE(r.stayedOpen);
    EXPECT_EQ(r.result, QDialog::Accepted);
    EXPECT_EQ(screen->receipt().cell(1, ReceiptModel::ColQty), "6");
}

TEST_F(CountInputWindow, CashInPutsTheAmountInTheDrawer) {
    openShift();
    const qint64 before = emulator->state().cash;
    QStringList seen;
    const Run r = runWith(
        [&] {
            screen->action(QStringLiteral("MIncome"))->trigger();
            return 0;
        },
        [&](TfmCountInput& w) {
            for (const QChar ch : QStringLiteral("1500.5")) w.typeKey(ch);
            click(w, "BitBtn12");  // nothing after the point of a cash amount
            seen << w.Memo1->text();
            click(w, "BitBtn14");
        });
    EXPECT_EQ(r.title, text::kCashInCaption);
    EXPECT_EQ(r.tag, sales::CountInputCashIn);
    EXPECT_FALSE(r.stayedOpen);
    EXPECT_EQ(seen, QStringList{"1500.5"});
    EXPECT_EQ(emulator->state().cash, before + 150050);
    EXPECT_EQ(cashIncomeCalls(), 1);
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(CountInputWindow, RefusedCashInShowsTheDriversText) {
    openShift();
    const qint64 before = emulator->state().cash;
    emulator->failNext(QStringLiteral("cashIncome"), fiscal::LIBFPTR_ERROR_STORAGE, QStringLiteral("Ошибка записи в ФН"));
    const Run r = runWith(
        [&] {
            screen->action(QStringLiteral("MIncome"))->trigger();
            return 0;
        },
        [&](TfmCountInput& w) {
            for (const QChar ch : QStringLiteral("100")) w.typeKey(ch);
            click(w, "BitBtn14");
        });
    EXPECT_FALSE(r.stayedOpen);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].text, QStringLiteral("Ошибка записи в ФН     "));
    EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Error);
    EXPECT_EQ(emulator->state().cash, before);
}

TEST_F(CountInputWindow, CashInOfZeroOrBeyondTheLargestSumSendsNothing) {
    openShift();
    struct Case {
        const char* name;
        std::function<void(TfmCountInput&)> type;
        bool stays;
        QStringList messages;
    } cases[] = {
        {"zero", [&](TfmCountInput& w) { click(w, "BitBtn12"); }, false, {}},
        {"ten digits", [&](TfmCountInput& w) { for (const QChar ch : QStringLiteral("9999999999")) w.typeKey(ch); },
         true, {text::kCashInTooLarge}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        const qint64 before = emulator->state().cash;
        const Run r = runWith(
            [&] {
                screen->action(QStringLiteral("MIncome"))->trigger();
                return 0;
            },
            [&](TfmCountInput& w) {
                c.type(w);
                click(w, "BitBtn14");
            });
        EXPECT_EQ(r.stayedOpen, c.stays);
        EXPECT_EQ(messages.texts(), c.messages);
        EXPECT_EQ(cashIncomeCalls(), 0);
        EXPECT_EQ(emulator->state().cash, before);
    }
}

TEST_F(CountInputWindow, CashInWithClosedShiftNeverOpensTheWindow) {
    setCashier();
    bool opened = false;
    QTimer::singleShot(0, [&] {
        if (fmCountInput && fmCountInput->isVisible()) {
            opened = true;
            fmCountInput->BitBtn15Click();
        }
    });
    screen->action(QStringLiteral("MIncome"))->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(opened);
    EXPECT_EQ(messages.texts(), QStringList{sales::registerText::kShiftClosedCashIn});
}
