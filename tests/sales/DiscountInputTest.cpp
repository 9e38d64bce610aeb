// The discount window: the key filter of its fields, the "[MaxDiscount]"
// limit, what Enter writes into the line attributes, and the window on the
// main screen, where a refused discount leaves the receipt as it was.
#include "ReceiptTestRows.h"
#include "SalesTestSupport.h"

#include "core/SettingsFile.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "platform/sys/ProgramFolder.h"
#include "sales/screen/DiscountInputLogic.h"
#include "sales/receipt/PositionEdits.h"
#include "sales/closing/ReceiptLines.h"
#include "sales/receipt/ReceiptMessages.h"
#include "sales/receipt/SumLimits.h"
#include "sales/screen/Registration_Mode.h"
#include "sales/screen/uDiscountInput.h"
#include "support/FakeMessages.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using sales::DiscountInputDecision;
using sales::DiscountInputRequest;
using sales::ReceiptModel;
using Outcome = sales::DiscountInputDecision::Outcome;
namespace text = sales::discountInputText;

// ---------------------------------------------------------------------------
// Rules

TEST(DiscountInputField, TakesWhatTheKindAllows) {
    struct Case {
        int kind;
        QString before;
        QChar key;
        QString after;
    } cases[] = {
        // Percent: two whole digits, no point.
        {sales::DiscountKindPercent, "", u'5', "5"},
        {sales::DiscountKindPercent, "5", u'5', "55"},
        {sales::DiscountKindPercent, "55", u'1', "55"},
        {sales::DiscountKindPercent, "5", u'.', "5"},
        {sales::DiscountKindPercent, "5", u',', "5"},
        {sales::DiscountKindPercent, "0", u'7', "7"},
        {sales::DiscountKindPercent, "", u'a', ""},
        // Sum: nine whole digits, two decimals, ten characters.
        {sales::DiscountKindSum, "123456789", u'1', "123456789"},
        {sales::DiscountKindSum, "123456789", u'.', "123456789."},
        {sales::DiscountKindSum, "123456789.", u'1', "123456789."},
        {sales::DiscountKindSum, "12", u',', "12."},
        {sales::DiscountKindSum, "", u'.', "0."},
        {sales::DiscountKindSum, "12.5", u'0', "12.50"},
        {sales::DiscountKindSum, "12.50", u'1', "12.50"},
        {sales::DiscountKindSum, "12", u'-', "12"},
        // No kind in use: nothing is typed.
        {sales::DiscountKindNone, "", u'5', ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sales::discountFieldKey(c.before, c.kind, c.key), c.after)
            << "kind " << c.kind << " text " << c.before.toStdString() << " key " << QString(c.key).toStdString();
}

TEST(DiscountInputLimit, ReadsTheSettingAsAPercent) {
    struct Case {
        QString setting;
        sales::Rational expected;
    } cases[] = {
        {"", {}}, {"0", {}}, {"abc", {}}, {"-5", {}}, {"10", {10}}, {"12,5", {25, 2}}, {" 12.5 ", {25, 2}},
    };
    for (const Case& c : cases) EXPECT_EQ(sales::maxDiscountPercent(c.setting), c.expected) << c.setting.toStdString();
}

namespace {

// Row 1: 10.00 x 3 = 30.00; row 2: 20.00 x 1 = 20.00; row 3 freed.
ReceiptModel twoPositions() {
    ReceiptModel m;
    sales::testing::addRow(m, {"12", "P", "10.00", "3"});
    sales::testing::addRow(m, {"13", "P", "20.00", "1", "P", "5"});
    sales::testing::addRow(m, {"14", "P", "7.00", "1", "N", "", "E"});
    return m;
}

}  // namespace

TEST(DiscountInputDecision, FollowsTheLimitAndTheTarget) {
    struct Case {
        const char* name;
        int target;
        int kind;
        int row;
        QString typed;
        QString maxDiscount;
        Outcome outcome;
        QString value;
        QString message;
    } cases[] = {
        {"receipt percent at the limit", 1, 1, 0, "10", "10", Outcome::Percent, "10", {}},
        {"receipt percent over the limit", 1, 1, 0, "10.01", "10", Outcome::TooLarge, {}, text::kTooLarge},
        {"no limit when empty", 1, 1, 0, "50", "", Outcome::Percent, "50", {}},
        {"no limit when zero", 1, 1, 0, "50", "0", Outcome::Percent, "50", {}},
        {"no limit when no number", 1, 1, 0, "50", "x", Outcome::Percent, "50", {}},
        // 10 % of the undiscounted 50.00 is 5.00.
        {"receipt sum at the limit", 1, 2, 0, "5", "10", Outcome::Sum, "5.00", {}},
        {"receipt sum over the limit", 1, 2, 0, "5.01", "10", Outcome::TooLarge, {}, text::kTooLarge},
        {"receipt empty field", 1, 2, 0, "", "10", Outcome::Remove, {}, {}},
        {"receipt zero", 1, 1, 0, "0", "10", Outcome::Remove, {}, {}},
        {"receipt not a number", 1, 2, 0, "1.2.3", "10", Outcome::BadFormat, {}, text::kBadFormat},
        {"position percent over the limit", 2, 1, 1, "10.01", "10", Outcome::TooLarge, {}, text::kTooLarge},
        {"position percent", 2, 1, 1, "10", "10", Outcome::Percent, "10", {}},
        // 10 % of the line's 30.00 is 3.00.
        {"position sum at the limit", 2, 2, 1, "3", "10", Outcome::Sum, "3.00", {}},
        {"position sum over the limit", 2, 2, 1, "3.01", "10", Outcome::TooLarge, {}, text::kTooLargeLineSum},
        {"position sum without limit", 2, 2, 1, "29.5", "", Outcome::Sum, "29.50", {}},
        {"position zero", 2, 2, 1, "0.00", "10", Outcome::Remove, {}, {}},
        {"freed row", 2, 1, 3, "5", "", Outcome::Close, {}, {}},
        {"round-to is not offered", 1, 3, 0, "5", "", Outcome::Close, {}, {}},
        {"no target", 0, 1, 1, "5", "", Outcome::Close, {}, {}},
    };
    const ReceiptModel m = twoPositions();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DiscountInputDecision d =
            sales::decideDiscountInput(m, DiscountInputRequest{c.target, c.kind, c.row, c.typed, c.maxDiscount});
        EXPECT_EQ(d.outcome, c.outcome);
        EXPECT_EQ(d.value, c.value);
        EXPECT_EQ(d.message, c.message);
    }
}

TEST(DiscountInputApply, WritesTheAttributesOfTheTarget) {
    using sales::testing::addRow;
    auto apply = [](ReceiptModel& m, int target, int kind, int row, const QString& typed) {
        const DiscountInputRequest r{target, kind, row, typed, QString()};
        return sales::applyDiscountInput(m, r, sales::decideDiscountInput(m, r));
    };

    // A receipt percent removes every position discount.
    ReceiptModel m = twoPositions();
    m.setLineDiscount(1, QStringLiteral("S"), QStringLiteral("1.00"));
    ASSERT_TRUE(apply(m, 1, 1, 0, "15"));
    EXPECT_EQ(m.rowAttrs(0).mid(0, 2), (QStringList{"P", "15"}));
    for (int r = 1; r <= 3; ++r) {
        EXPECT_EQ(m.attr(r, ReceiptModel::AttrDiscountKind), "N") << r;
        EXPECT_EQ(m.attr(r, ReceiptModel::AttrDiscountValue), "") << r;
    }

    // A receipt sum keeps the former pair in entries 3 and 4.
    ASSERT_TRUE(apply(m, 1, 2, 0, "4.5"));
    EXPECT_EQ(m.rowAttrs(0).mid(0, 5), (QStringList{"S", "4.50", "", "P", "15"}));

    // Zero removes the receipt discount.
    ASSERT_TRUE(apply(m, 1, 2, 0, "0"));
    EXPECT_EQ(m.rowAttrs(0).mid(0, 2), (QStringList{"N", ""}));

    // A position sum keeps the position's former pair; a percent does not.
    ReceiptModel p = twoPositions();
    ASSERT_TRUE(apply(p, 2, 2, 2, "2"));
    EXPECT_EQ(p.rowAttrs(2).mid(1, 4), (QStringList{"S", "2.00", "P", "5"}));
    ASSERT_TRUE(apply(p, 2, 1, 2, "7"));
    EXPECT_EQ(p.rowAttrs(2).mid(1, 4), (QStringList{"P", "7", "P", "5"}));
    ASSERT_TRUE(apply(p, 2, 1, 2, ""));
    EXPECT_EQ(p.rowAttrs(2).mid(1, 2), (QStringList{"N", ""}));
    // The other rows and the receipt discount are left alone.
    EXPECT_EQ(p.rowAttrs(1), twoPositions().rowAttrs(1));
    EXPECT_EQ(p.rowAttrs(0), twoPositions().rowAttrs(0));

    // Refusals and closes write nothing.
    ReceiptModel q = twoPositions();
    const DiscountInputRequest over{1, 1, 0, "20", "10"};
    EXPECT_FALSE(sales::applyDiscountInput(q, over, sales::decideDiscountInput(q, over)));
    EXPECT_TRUE(q.sameContent(twoPositions()));
}

// ---------------------------------------------------------------------------
// The window on the main screen

namespace {

class DiscountWindow : public salestest::MainScreenFixture {
protected:
    void installCommands() override {
        installPositionEdits(*screen);
        new TfmDiscountInput(*screen, screen.get());
    }

    void TearDown() override {
        MainScreenFixture::TearDown();
        EXPECT_EQ(fmDiscountInput, nullptr);
    }

    void setMaxDiscount(const QString& value) {
        ASSERT_TRUE(core::writeOptionsFile(dir.path(), core::renderOptionsFile({{"[MaxDiscount]", value}})));
    }

    struct Run {
        bool opened = false;
        bool stayedOpen = false;
        QString title;
        int tag = -1;
        int kind = -1;
        QString focus;
    };

    // Runs a discount command and, once the window is up, `drive` on it; a
    // window still open after that is cancelled.
    Run run(const std::function<void()>& command, const std::function<void(TfmDiscountInput&)>& drive) {
        Run out;
        // Owned here: a command that opens no window leaves no timer behind.
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            TfmDiscountInput* w = fmDiscountInput;
            if (!w || !w->isVisible()) return;
            out.opened = true;
            out.title = w->windowTitle();
            out.tag = w->Tag();
            out.kind = w->kind();
            out.focus = w->focusWidget() ? w->focusWidget()->objectName() : QString();
            drive(*w);
            if (w->isVisible()) {
                out.stayedOpen = true;
                QTest::mouseClick(w->BitBtn15, Qt::LeftButton);
            }
        });
        timer.start(0);
        command();
        return out;
    }
};

}  // namespace

TEST_F(DiscountWindow, PositionPercentFromTheKeypad) {
    addPosition({"12", "P", "10.00", "3"});
    const int row = addPosition({"13", "P", "20.00", "1"});
    QStringList seen;
    const Run r = run([&] { screen->btnPosDiscountClick(); },
                      [&](TfmDiscountInput& w) {
                          click(w, "BitBtn1");
                          click(w, "BitBtn12");  // "00": only one more digit fits
                          seen << w.MemoPercent->text();
                          click(w, "BitBtn11");
                          click(w, "BitBtn13");  // no point in a percent
                          click(w, "BitBtn5");
                          seen << w.MemoPercent->text();
                          QTest::keyClick(w.RadioPercent, Qt::Key_Return);
                      });
    EXPECT_TRUE(r.opened);
    EXPECT_EQ(r.title, text::kPositionCaption);
    EXPECT_EQ(r.tag, sales::DiscountOnPosition);
    EXPECT_EQ(r.kind, sales::DiscountKindPercent);
    EXPECT_EQ(r.focus, "RadioPercent");
    EXPECT_FALSE(r.stayedOpen);
    EXPECT_EQ(seen, (QStringList{"10", "15"}));
    EXPECT_EQ(screen->receipt().rowAttrs(row).mid(1, 2), (QStringList{"P", "15"}));
    EXPECT_EQ(screen->receipt().cell(row, ReceiptModel::ColPrice), "17.00");
    EXPECT_EQ(screen->lblChekItogo->text(), "47.00 ");
    EXPECT_EQ(screen->lblDiscount->text(), "3.00");
    EXPECT_TRUE(messages.boxes.empty());
    // Hidden, the window keeps no number and no kind.
    EXPECT_EQ(fmDiscountInput->MemoPercent->text(), "");
    EXPECT_EQ(fmDiscountInput->kind(), sales::DiscountKindNone);
}

TEST_F(DiscountWindow, ChoosingAKindGreysTheOtherField) {
    const int row = addPosition({"12", "P", "10.00", "3"});
    struct Seen {
        bool percentEnabled, summaEnabled;
        int kind;
        QString summa;
    };
    std::vector<Seen> seen;
    run([&] { screen->btnPosDiscountClick(); },
        [&](TfmDiscountInput& w) {
            auto now = [&] {
                seen.push_back({w.MemoPercent->isEnabled(), w.MemoSumma->isEnabled(), w.kind(), w.MemoSumma->text()});
            };
            now();
            QTest::mouseClick(w.RadioSumma, Qt::LeftButton);
            for (const char c : {'1', ',', '5', '7', '9'}) QTest::keyClick(w.RadioSumma, c);
            now();
            QTest::keyClick(w.RadioSumma, Qt::Key_Backspace);
            now();
            QTest::keyClick(w.RadioSumma, Qt::Key_Delete);
            now();
            for (const char c : {'2', '.', '5'}) QTest::keyClick(w.RadioSumma, c);
            click(w, "BitBtn14");
        });
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_TRUE(seen[0].percentEnabled);
    EXPECT_FALSE(seen[0].summaEnabled);
    EXPECT_EQ(seen[0].kind, sales::DiscountKindPercent);
    EXPECT_FALSE(seen[1].percentEnabled);
    EXPECT_TRUE(seen[1].summaEnabled);
    EXPECT_EQ(seen[1].kind, sales::DiscountKindSum);
    EXPECT_EQ(seen[1].summa, "1.57");
    EXPECT_EQ(seen[2].summa, "1.5");
    EXPECT_EQ(seen[3].summa, "");
    // 30.00 - 2.50 = 27.50; unit round2(9.1667) = 9.17; sum 27.51.
    EXPECT_EQ(screen->receipt().rowAttrs(row).mid(1, 4), (QStringList{"S", "2.50", "N", ""}));
    EXPECT_EQ(screen->lblChekItogo->text(), "27.51 ");
    EXPECT_EQ(screen->lblDiscount->text(), "2.49");
}

TEST_F(DiscountWindow, LimitRefusesAndKeepsTheWindowOpen) {
    setMaxDiscount("10");
    addPosition({"12", "P", "10.00", "3"});
    addPosition({"13", "P", "20.00", "1"});
    const ReceiptModel before = screen->receipt();

    struct Case {
        const char* name;
        std::function<void()> command;
        std::function<void(TfmDiscountInput&)> type;
        QString message;
    } cases[] = {
        {"receipt percent", [&] { screen->btnCheckDiscountClick(); },
         [](TfmDiscountInput& w) {
             w.typeKey(u'1');
             w.typeKey(u'1');
         },
         text::kTooLarge},
        {"receipt sum over 10 % of 50.00", [&] { screen->btnCheckDiscountClick(); },
         [](TfmDiscountInput& w) {
             w.RadioSumma->setChecked(true);
             for (const QChar c : QStringLiteral("5.01")) w.typeKey(c);
         },
         text::kTooLarge},
        {"position sum over 10 % of 20.00", [&] { screen->btnPosDiscountClick(); },
         [](TfmDiscountInput& w) {
             w.RadioSumma->setChecked(true);
             for (const QChar c : QStringLiteral("2.01")) w.typeKey(c);
         },
         text::kTooLargeLineSum},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        const Run r = run(c.command, [&](TfmDiscountInput& w) {
            c.type(w);
            click(w, "BitBtn14");
        });
        EXPECT_TRUE(r.opened);
        EXPECT_TRUE(r.stayedOpen);
        EXPECT_EQ(messages.texts(), QStringList{c.message});
        EXPECT_TRUE(screen->receipt().sameContent(before));
        EXPECT_EQ(screen->lblChekItogo->text(), "50.00 ");
    }

    // Within the limit the receipt discount goes through and the position
    // discount is no longer offered.
    messages.clear();
    const Run ok = run([&] { screen->btnCheckDiscountClick(); },
                       [&](TfmDiscountInput& w) {
                           EXPECT_EQ(w.windowTitle(), text::kReceiptCaption);
                           w.RadioSumma->setChecked(true);
                           w.typeKey(u'5');
                           click(w, "BitBtn14");
                       });
    EXPECT_FALSE(ok.stayedOpen);
    EXPECT_EQ(ok.tag, sales::DiscountOnReceipt);
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_EQ(screen->lblChekItogo->text(), "45.00 ");
    EXPECT_FALSE(screen->btnPosDiscount->isEnabled());
    EXPECT_TRUE(screen->btnCheckDiscount->isEnabled());
}

TEST_F(DiscountWindow, RefusedDiscountLeavesTheReceiptUnchanged) {
    // No limit: the arithmetic itself refuses a discount as large as what it
    // applies to, and nothing of it may stay in the line attributes.
    addPosition({"12", "P", "10.00", "3", "P", "10"});
    const int row = addPosition({"13", "P", "20.00", "1"});
    const ReceiptModel before = screen->receipt();
    const QString total = screen->lblChekItogo->text();
    const QString refusal = sales::receiptMessage(sales::ReceiptMessageId::DiscountNotAcceptable).text;

    struct Case {
        const char* name;
        std::function<void()> command;
        QString typed;
    } cases[] = {
        {"position sum equal to the line", [&] { screen->btnPosDiscountClick(); }, "20"},
        // The position discounts go first, so the whole 50.00 is the base.
        {"receipt sum equal to the receipt", [&] { screen->btnCheckDiscountClick(); }, "50"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        screen->setCurrentReceiptRow(row);
        const Run r = run(c.command, [&](TfmDiscountInput& w) {
            w.RadioSumma->setChecked(true);
            for (const QChar ch : c.typed) w.typeKey(ch);
            click(w, "BitBtn14");
        });
        EXPECT_TRUE(r.stayedOpen);
        EXPECT_EQ(messages.texts(), QStringList{refusal});
        EXPECT_TRUE(screen->receipt().sameContent(before));
        EXPECT_EQ(screen->lblChekItogo->text(), total);
        EXPECT_TRUE(screen->btnPosDiscount->isEnabled());
    }
}

TEST_F(DiscountWindow, ReceiptDiscountReplacesPositionDiscountsAndZeroRemovesAll) {
    const int first = addPosition({"12", "P", "10.00", "3", "S", "1.00"});
    const int second = addPosition({"13", "P", "20.00", "1", "P", "10"});
    run([&] { screen->btnCheckDiscountClick(); },
        [&](TfmDiscountInput& w) {
            w.typeKey(u'5');
            click(w, "BitBtn14");
        });
    EXPECT_EQ(screen->receipt().lineDiscountKind(first), QLatin1Char('N'));
    EXPECT_EQ(screen->receipt().lineDiscountKind(second), QLatin1Char('N'));
    EXPECT_EQ(screen->receipt().receiptDiscountKind(), QLatin1Char('P'));
    EXPECT_EQ(screen->lblChekItogo->text(), "47.50 ");
    EXPECT_FALSE(screen->btnPosDiscount->isEnabled());

    run([&] { screen->btnCheckDiscountClick(); }, [&](TfmDiscountInput& w) { click(w, "BitBtn14"); });
    EXPECT_EQ(screen->receipt().receiptDiscountKind(), QLatin1Char('N'));
    EXPECT_EQ(screen->lblChekItogo->text(), "50.00 ");
    EXPECT_EQ(screen->lblDiscount->text(), "0.00");
    EXPECT_TRUE(screen->btnPosDiscount->isEnabled());
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(DiscountWindow, CommandsOpenTheWindowOnlyWhereADiscountFits) {
    // A position discount while the receipt has one: refused with a warning.
    addPosition({"12", "P", "10.00", "3"});
    screen->receipt().setReceiptDiscount(QStringLiteral("P"), QStringLiteral("5"));
    ASSERT_EQ(screen->RecalcReceipt(), 0);
    const Run blocked = run([&] { screen->btnPosDiscountClick(); }, [](TfmDiscountInput&) {});
    EXPECT_FALSE(blocked.opened);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].text, sales::positionEditsText::kPositionDiscountBlocked);
    EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Warning);

    // A tobacco unit with a serial takes no discount, and a receipt holding
    // one takes no receipt discount; both are refused silently.
    screen->resetReceipt();
    messages.clear();
    const int tobacco = addPosition({"40", "P", "150.00", "1"});
    screen->receipt().setAttr(tobacco, ReceiptModel::AttrMarkType, QStringLiteral("4"));
    QStringList record(10);
    record[sales::MarkGoodId] = QStringLiteral("40");
    record[sales::MarkSerial] = QStringLiteral("AbC123x");
    screen->MarkedItems().append(record);
    for (const auto& command : {std::function<void()>([&] { screen->btnPosDiscountClick(); }),
                                std::function<void()>([&] { screen->btnCheckDiscountClick(); })}) {
        const Run r = run(command, [](TfmDiscountInput&) {});
        EXPECT_FALSE(r.opened);
    }
    EXPECT_TRUE(messages.boxes.empty());

    // Nothing to discount, or a kind other than a sale: no window.
    screen->resetReceipt();
    EXPECT_FALSE(run([&] { screen->btnCheckDiscountClick(); }, [](TfmDiscountInput&) {}).opened);
    addPosition({"12", "P", "10.00", "3"});
    screen->setReceiptKind(sales::KindPurchase);
    EXPECT_FALSE(run([&] { screen->btnCheckDiscountClick(); }, [](TfmDiscountInput&) {}).opened);
    EXPECT_FALSE(run([&] { screen->btnPosDiscountClick(); }, [](TfmDiscountInput&) {}).opened);
}

// Less discount is more money: Сок at 1234.56 x 9000 is 1111140.00 at 90 %
// off. A change that would take the position or the receipt beyond
// 9999999.99 is refused with the message entering such a sum gives, and the
// receipt stays as it was; one that stays within goes through.
TEST_F(DiscountWindow, AChangeThatTakesTheReceiptBeyondRangeIsRefused) {
    struct Case {
        const char* name;
        bool receiptDiscount;  // the 90 % is the receipt's, else the position's
        bool receiptCommand;   // the change is made on the receipt, else on the position
        bool sum;              // typed as a sum, else as a percent
        QString typed;
        QString message;  // empty: accepted
        QString total;
    } cases[] = {
        {"receipt 90 % to 1.00 off", true, true, true, "1", sales::sumLimitText::kLineSumTooLarge, ""},
        {"receipt 90 % to 9 %", true, true, false, "9", sales::sumLimitText::kLineSumTooLarge, ""},
        {"receipt discount removed", true, true, false, "0", sales::sumLimitText::kLineSumTooLarge, ""},
        {"position discount removed", false, false, false, "", sales::sumLimitText::kLineSumTooLarge, ""},
        {"position 90 % to 1.00 off", false, false, true, "1", sales::sumLimitText::kLineSumTooLarge, ""},
        {"receipt 1 % replacing the position's", false, true, false, "1", sales::sumLimitText::kLineSumTooLarge, ""},
        // 1111.10 x 9000
        {"receipt 90 % to 10 %", true, true, false, "10", "", "9999900.00 "},
        {"position 90 % to 10 %", false, false, false, "10", "", "9999900.00 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        screen->resetReceipt();
        if (c.receiptDiscount) {
            addPosition({"12", "P", "1234.56", "9000"});
            screen->receipt().setReceiptDiscount(QStringLiteral("P"), QStringLiteral("90"));
            ASSERT_EQ(screen->RecalcReceipt(), 0);
        } else {
            addPosition({"12", "P", "1234.56", "9000", "P", "90"});
        }
        ASSERT_EQ(screen->lblChekItogo->text(), "1111140.00 ");
        const ReceiptModel before = screen->receipt();
        messages.clear();
        const Run r = run([&] { c.receiptCommand ? screen->btnCheckDiscountClick() : screen->btnPosDiscountClick(); },
                          [&](TfmDiscountInput& w) {
                              if (c.sum) w.RadioSumma->setChecked(true);
                              for (const QChar ch : c.typed) w.typeKey(ch);
                              click(w, "BitBtn14");
                          });
        ASSERT_TRUE(r.opened);
        const bool refused = !c.message.isEmpty();
        EXPECT_EQ(r.stayedOpen, refused);
        EXPECT_EQ(messages.texts(), refused ? QStringList{c.message} : QStringList{});
        if (refused) {
            EXPECT_TRUE(screen->receipt().sameContent(before));
            EXPECT_EQ(screen->lblChekItogo->text(), "1111140.00 ");
        } else {
            EXPECT_EQ(screen->lblChekItogo->text(), c.total);
        }
    }
}

// Commands that drop a discount on their way (annulling a position drops a
// sum off the receipt; any kind but a sale drops every discount) are refused
// the same way when the rest would be beyond range.
TEST_F(DiscountWindow, CommandsThatDropADiscountAreRefusedBeyondRangeToo) {
    addPosition({"12", "P", "1234.56", "9000"});
    const int small = addPosition({"13", "P", "10.00", "1"});
    screen->receipt().setReceiptDiscount(QStringLiteral("S"), QStringLiteral("10000000"));
    ASSERT_EQ(screen->RecalcReceipt(), 0);
    const ReceiptModel before = screen->receipt();
    const QString total = screen->lblChekItogo->text();

    screen->setCurrentReceiptRow(small);
    messages.answer(ui::Answer::Yes);
    screen->btnPosDeleteClick();
    EXPECT_EQ(messages.last(), sales::sumLimitText::kLineSumTooLarge);
    EXPECT_TRUE(screen->receipt().sameContent(before));

    messages.clear();
    EXPECT_FALSE(screen->setReceiptKind(sales::KindSaleReturn));
    EXPECT_EQ(messages.texts(), QStringList{sales::sumLimitText::kLineSumTooLarge});
    EXPECT_EQ(screen->receiptKind(), sales::KindSale);
    EXPECT_TRUE(screen->receipt().sameContent(before));
    EXPECT_EQ(screen->lblChekItogo->text(), total);

    // Within range both go through: 1234.56 x 8000 + 10.00 without the discount.
    screen->resetReceipt();
    addPosition({"12", "P", "1234.56", "8000"});
    addPosition({"13", "P", "10.00", "1"});
    screen->receipt().setReceiptDiscount(QStringLiteral("S"), QStringLiteral("1000000"));
    ASSERT_EQ(screen->RecalcReceipt(), 0);
    messages.clear();
    screen->setCurrentReceiptRow(small);
    messages.answer(ui::Answer::Yes);
    screen->btnPosDeleteClick();
    EXPECT_EQ(screen->receipt().dataRowCount(), 1);
    EXPECT_EQ(screen->lblChekItogo->text(), "9876480.00 ");
    EXPECT_TRUE(screen->setReceiptKind(sales::KindSaleReturn));
    EXPECT_EQ(messages.boxes.size(), 1u);  // the question alone
}
