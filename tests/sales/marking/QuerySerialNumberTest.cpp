// The scan window of a marked unit driven by keys on the offscreen platform:
// a code of every scanned mark type accepted, codes that are too short or of
// the wrong layout, the GTIN question, duplicates, the register not
// answering, tobacco prices and fractions, the unit without a code, a
// second scan while the first is being validated, and the Russian layout.
#include "MarkTestCodes.h"

#include "platform/ui/KeyboardLayout.h"
#include "sales/input/KeyRouter.h"
#include "sales/marking/MarkedEntry.h"
#include "sales/marking/uQuerySerialNumber.h"
#include "sales/receipt/ReceiptRules.h"
#include "sales/receipt/ReceiptModel.h"
#include "sales/receipt/SumLimits.h"
#include "support/FakeMessages.h"
#include "support/TypeText.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <memory>

using namespace sales::marking;
using namespace marktest;

namespace {

const QString kGtin = QStringLiteral("04601234567893");
const QString kBarcode = QStringLiteral("4601234567893");  // as stored, without the leading zero

class QuerySerialNumberTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::KeyboardLayout::setLayoutProvider([this] { return layout; });
    }
    void TearDown() override { ui::KeyboardLayout::setLayoutProvider({}); }

    sales::FoundGoods goods(int markType) const {
        sales::FoundGoods g;
        g.good.id = QStringLiteral("77");
        g.good.name = QStringLiteral("Товар маркированный");
        g.good.price = QStringLiteral("150.00");
        g.markType = markType;
        g.measure = 0;
        return g;
    }

    QuerySerialSetup setup(int markType, QStringList barcodes = {kBarcode}) {
        QuerySerialSetup s;
        s.markType = markType;
        s.goods = goods(markType);
        s.barcodes = std::move(barcodes);
        s.dbPrice = s.goods.good.price;
        s.receipt = &receipt;
        s.markedItems = &marked;
        s.askFraction = [this](int packCount, const QString&, const QString& caption, QWidget*) {
            askedPackCounts.push_back(packCount);
            askedCaption = caption;
            std::optional<MarkFraction> f;
            if (!fractions.empty()) {
                f = fractions.front();
                fractions.pop_front();
            }
            return f;
        };
        s.validate = [this](const QString& code, const MarkFraction& fraction, QWidget* owner) {
            validated.push_back(code);
            validatedFractions.push_back(fraction);
            if (duringValidation) duringValidation(owner);
            MarkValidation v;
            v.accepted = acceptCodes;
            v.status = 1;
            v.onlineResult = 15;
            return v;
        };
        s.openRegister = [this] { return openResult; };
        s.registerLost = [this] { ++lost; };
        return s;
    }

    std::unique_ptr<TfmQuerySerialNumber> open(QuerySerialSetup s) {
        auto dialog = std::make_unique<TfmQuerySerialNumber>(std::move(s));
        dialog->show();
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        return dialog;
    }

    // The scanner types the code; its end is told by the pause (the timer)
    // or by the Enter the scanner sends after it.
    void scan(TfmQuerySerialNumber& d, const QString& code, bool enter = false) {
        testsupport::typeText(&d, code);
        if (enter) {
            testsupport::typeKey(&d, {Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")});
            return;
        }
        for (int i = 0; i < 200 && d.Timer1->isActive(); ++i) QTest::qWait(5);
    }

    testsupport::FakeMessages messages;
    sales::ReceiptModel receipt;
    QList<QStringList> marked;
    std::vector<QString> validated;
    std::vector<MarkFraction> validatedFractions;
    std::function<void(QWidget*)> duringValidation;
    bool acceptCodes = true;
    int openResult = 0;
    int lost = 0;
    int layout = 1033;
    std::deque<std::optional<MarkFraction>> fractions;
    std::vector<int> askedPackCounts;
    QString askedCaption;
};

TEST_F(QuerySerialNumberTest, AcceptsAWellFormedCodeOfEveryScannedType) {
    struct Case {
        const char* what;
        int type;
        QString scan;
        QString normalised;
        QString serial;
        QString price;  // tobacco: the unit price
    };
    const QString serial13 = QStringLiteral("ABcd.,;:?/123");
    const QString serial7 = QStringLiteral("N4M'Yk,");
    const Case cases[] = {
        {"tobacco pack", 4, tobaccoPack(kGtin, serial7, QStringLiteral("AB,8")),
         tobaccoPack(kGtin, serial7, QStringLiteral("AB,8")), serial7, QStringLiteral("123.00")},
        {"tobacco block, two-character separators", 4, tobaccoBlock(kGtin, serial7, QStringLiteral("125000"), "##"),
         tobaccoBlock(kGtin, serial7, QStringLiteral("125000")), serial7, QStringLiteral("1250.00")},
        {"shoes", 5, dataMatrix(kGtin, serial13, 88), dataMatrix(kGtin, serial13, 88) + kGs, serial13, QString()},
        {"shoes without separators", 5, dataMatrix(kGtin, serial13, 88, QString()),
         dataMatrix(kGtin, serial13, 88) + kGs, serial13, QString()},
        {"perfume", 9, dataMatrix(kGtin, serial13, 44), dataMatrix(kGtin, serial13, 44), serial13, QString()},
        {"tyres", 10, dataMatrix(kGtin, serial13, 44, QStringLiteral("~")), dataMatrix(kGtin, serial13, 44) + kGs,
         serial13, QString()},
        {"light industry", 11, dataMatrix(kGtin, serial13, 44), dataMatrix(kGtin, serial13, 44), serial13, QString()},
        {"alternative tobacco", 12, altTobacco(kGtin, serial7), altTobacco(kGtin, serial7), serial7, QString()},
        {"dairy", 13, dairy(kGtin, QStringLiteral("aB3;.?")), dairy(kGtin, QStringLiteral("aB3;.?")),
         QStringLiteral("aB3;.?"), QString()},
    };
    int i = 0;
    for (const Case& c : cases) {
        for (const bool enter : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (enter ? " ended by Enter" : " ended by the pause"));
            validated.clear();
            messages.clear();
            auto d = open(setup(c.type));
            scan(*d, c.scan, enter);
            EXPECT_EQ(d->result(), QDialog::Accepted);
            ASSERT_EQ(validated.size(), 1u);
            EXPECT_EQ(validated.front(), c.normalised);
            EXPECT_EQ(d->scanned().code, c.normalised);
            EXPECT_EQ(d->scanned().gtin, kGtin);
            EXPECT_EQ(d->scanned().serial, c.serial);
            EXPECT_EQ(d->scanned().validation.onlineResult, 15);
            if (!c.price.isEmpty()) {
                EXPECT_EQ(d->scanned().priceText, c.price);
            }
            EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
            ++i;
        }
    }
    EXPECT_EQ(i, 18);
}

TEST_F(QuerySerialNumberTest, ShortOrBrokenScansAreDiscardedAndTheWindowWaitsForTheNext) {
    struct Case {
        const char* what;
        int type;
        QString scan;
        QString message;  // empty: discarded silently
    };
    const QString serial13 = QStringLiteral("ABcd.,;:?/123");
    const Case cases[] = {
        {"tobacco of 35 characters", 4, tobaccoPack(kGtin, QStringLiteral("N4M'Yk,"), "AB,8") + "123456", QString()},
        {"perfume too short", 9, dataMatrix(kGtin, serial13, 44).left(82), QString()},
        {"tobacco block without its price", 4,
         tobaccoBlock(kGtin, QStringLiteral("N4M'Yk,"), "012300").replace("8005", "8006"), formatMessage(4)},
        {"shoes without 92", 5, dataMatrix(kGtin, serial13, 88).replace(kGs + "92", kGs + "93"), formatMessage(5)},
        {"perfume with a tail", 9, dataMatrix(kGtin, serial13, 44) + kGs, formatMessage(9)},
        {"tyres with something after", 10, dataMatrix(kGtin, serial13, 44) + kGs + "x", formatMessage(10)},
        {"light industry not starting with 01", 11, "02" + dataMatrix(kGtin, serial13, 44).mid(2), formatMessage(11)},
        {"alternative tobacco pack with a price", 12, tobaccoPack(kGtin, QStringLiteral("N4M'Yk,"), "AB,8"),
         formatMessage(12)},
        {"dairy with one character more", 13, dairy(kGtin, QStringLiteral("aB3;.?")) + "x", formatMessage(13)},
        {"photo goods are not scanned here", 8, dataMatrix(kGtin, serial13, 44), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        validated.clear();
        messages.clear();
        auto d = open(setup(c.type));
        scan(*d, c.scan);
        EXPECT_TRUE(d->isVisible());
        EXPECT_NE(d->result(), QDialog::Accepted);
        EXPECT_TRUE(validated.empty());
        EXPECT_TRUE(d->Edit1->text().isEmpty());
        EXPECT_TRUE(d->EdEng->text().isEmpty());
        if (c.message.isEmpty()) {
            EXPECT_TRUE(messages.boxes.empty());
        } else {
            ASSERT_EQ(messages.boxes.size(), 1u);
            EXPECT_EQ(messages.boxes[0].text, c.message);
            EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Error);
        }
    }
    // After a discarded scan the next whole code is taken.
    auto d = open(setup(4));
    scan(*d, tobaccoPack(kGtin, QStringLiteral("N4M'Yk,"), "AB,8") + "123456");
    scan(*d, tobaccoPack(kGtin, QStringLiteral("N4M'Yk,"), "AB,8"));
    EXPECT_EQ(d->result(), QDialog::Accepted);
}

TEST_F(QuerySerialNumberTest, GtinQuestionOnlyWhenNoBarcodeOfTheGoodsMatches) {
    struct Case {
        const char* what;
        int type;
        QStringList barcodes;
        std::optional<ui::Answer> answer;  // nullopt: no question expected
        bool accepted;
    };
    const QString serial13 = QStringLiteral("ABcd.,;:?/123");
    const Case cases[] = {
        {"stored with its leading zero", 9, {kGtin}, std::nullopt, true},
        {"stored without it", 9, {kBarcode}, std::nullopt, true},
        {"second of several barcodes", 11, {QStringLiteral("2000000000015"), kBarcode}, std::nullopt, true},
        {"no barcode at all", 10, {}, std::nullopt, true},
        {"placeholder", 13, {QStringLiteral("xxxxxxxxxxxxxx")}, std::nullopt, true},
        {"other barcode, Yes", 9, {QStringLiteral("4600000000017")}, ui::Answer::Yes, true},
        {"other barcode, No", 9, {QStringLiteral("4600000000017")}, ui::Answer::No, false},
        {"other barcode, Cancel", 4, {QStringLiteral("4600000000017")}, ui::Answer::Cancel, false},
        {"shoes, Yes", 5, {QStringLiteral("4600000000017")}, ui::Answer::Yes, true},
        {"shoes, No", 5, {QStringLiteral("4600000000017")}, ui::Answer::No, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        validated.clear();
        messages.clear();
        messages.answers.clear();
        if (c.answer) messages.answer(*c.answer);
        QString code;
        switch (c.type) {
        case 4: code = tobaccoPack(kGtin, QStringLiteral("N4M'Yk,"), "AB,8"); break;
        case 5: code = dataMatrix(kGtin, serial13, 88); break;
        case 13: code = dairy(kGtin, QStringLiteral("aB3;.?")); break;
        default: code = dataMatrix(kGtin, serial13, 44); break;
        }
        auto d = open(setup(c.type, c.barcodes));
        scan(*d, code);
        EXPECT_EQ(d->result() == QDialog::Accepted, c.accepted);
        EXPECT_EQ(validated.size(), c.accepted ? 1u : 0u);
        if (c.answer) {
            ASSERT_EQ(messages.boxes.size(), 1u);
            EXPECT_TRUE(messages.boxes[0].question);
            EXPECT_EQ(messages.boxes[0].text, gtinMismatchQuestion(c.type, goods(c.type).good.name));
        } else {
            EXPECT_TRUE(messages.boxes.empty());
        }
    }
}

TEST_F(QuerySerialNumberTest, RefusesADuplicateAndAskingARegisterThatDoesNotAnswer) {
    const QString serial13 = QStringLiteral("ABcd.,;:?/123");
    // The same unit is in the receipt: GTIN without its zero, serial in other case.
    marked.append({QStringLiteral("77"), kBarcode, serial13.toLower(), QString(), QString(), "1", "15", "0", "0", "0"});
    auto d = open(setup(9));
    scan(*d, dataMatrix(kGtin, serial13, 44));
    EXPECT_TRUE(validated.empty());
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.last(), duplicateMarkText());
    EXPECT_TRUE(d->isVisible());

    marked.clear();
    messages.clear();
    openResult = -1;
    scan(*d, dataMatrix(kGtin, serial13, 44));
    EXPECT_TRUE(validated.empty());
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(messages.texts(), QStringList{noRegisterText()});
    EXPECT_TRUE(d->isVisible());

    // The register is back: the same window takes the code.
    openResult = 0;
    scan(*d, dataMatrix(kGtin, serial13, 44));
    EXPECT_EQ(d->result(), QDialog::Accepted);
}

TEST_F(QuerySerialNumberTest, TobaccoPriceAgainstTheReceiptAndItsDiscount) {
    const QString code = tobaccoPack(kGtin, QStringLiteral("N4M'Yk,"), "AB,8");  // MRP 123.00
    sales::GoodRecord g = goods(4).good;
    const int row = sales::addGoodPosition(receipt, g, QStringLiteral("120.00"), sales::Qty::units(1));
    ASSERT_EQ(row, 1);
    {
        auto d = open(setup(4));
        scan(*d, code);
        EXPECT_TRUE(validated.empty());
        EXPECT_EQ(messages.texts(), QStringList{markedPriceConflictText("123.00", 1, receipt.cell(1, 5))});
    }
    // At the same price the unit joins the row.
    receipt.reset();
    sales::addGoodPosition(receipt, g, QStringLiteral("123.00"), sales::Qty::units(1));
    messages.clear();
    {
        auto d = open(setup(4));
        scan(*d, code);
        EXPECT_EQ(d->result(), QDialog::Accepted);
        EXPECT_TRUE(messages.boxes.empty());
    }
    // Not yet in the receipt while a receipt discount is set: warned, and on.
    receipt.reset();
    receipt.setReceiptDiscount(QStringLiteral("P"), QStringLiteral("5"));
    messages.clear();
    {
        auto d = open(setup(4));
        scan(*d, code);
        EXPECT_EQ(d->result(), QDialog::Accepted);
        ASSERT_EQ(messages.boxes.size(), 1u);
        EXPECT_EQ(messages.boxes[0].text, tobaccoDiscountWarningText());
        EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Warning);
    }
}

TEST_F(QuerySerialNumberTest, WhatTheReceiptWouldRefuseIsRefusedBeforeTheRegisterChecksTheCode) {
    struct Case {
        const char* what;
        int type;
        QString price;  // the goods' price in the catalogue
        QString scan;
        QString message;
    };
    const QString serial13 = QStringLiteral("ABcd.,;:?/123");
    const Case cases[] = {
        {"a tobacco pack whose price field is no base-80 number", 4, QStringLiteral("150.00"),
         tobaccoPack(kGtin, QStringLiteral("BadMrp1"), QStringLiteral("AB#8")), badTobaccoPriceText()},
        {"goods priced 0.00", 9, QStringLiteral("0.00"), dataMatrix(kGtin, serial13, 44),
         sales::zeroSumPositionText(QStringLiteral("Товар маркированный"))},
        {"goods priced beyond what can be stored", 9, QStringLiteral("10000000.00"), dataMatrix(kGtin, serial13, 44),
         sales::sumLimitText::kPriceTooLarge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        validated.clear();
        messages.clear();
        QuerySerialSetup s = setup(c.type);
        s.goods.good.price = c.price;
        s.dbPrice = c.price;
        auto d = open(std::move(s));
        scan(*d, c.scan);
        EXPECT_TRUE(validated.empty());
        EXPECT_NE(d->result(), QDialog::Accepted);
        EXPECT_EQ(messages.texts(), QStringList{c.message});
        EXPECT_TRUE(receipt.isEmpty());
    }
}

TEST_F(QuerySerialNumberTest, FractionOfAPackIsAskedForPieceGoodsThatAllowIt) {
    QuerySerialSetup s = setup(4);
    s.goods.fractionalAllow = true;
    s.goods.packCount = 20;
    const QString code = tobaccoPack(kGtin, QStringLiteral("N4M'Yk,"), "AB,8");
    auto d = open(s);
    fractions.push_back(std::nullopt);  // the cashier cancels the fraction
    scan(*d, code);
    EXPECT_TRUE(validated.empty());
    EXPECT_TRUE(d->isVisible());
    fractions.push_back(MarkFraction{1, 4, QStringLiteral("1/4")});
    scan(*d, code);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(askedPackCounts, (std::vector<int>{20, 20}));
    EXPECT_EQ(askedCaption, markTypeCaption(4));
    ASSERT_EQ(validatedFractions.size(), 1u);
    EXPECT_EQ(validatedFractions[0].text, QStringLiteral("1/4"));
    EXPECT_EQ(d->scanned().priceText, QStringLiteral("123.00"));  // the pack's price; the share is the quantity

    // Weighed measure or no fraction allowed: nothing is asked.
    askedPackCounts.clear();
    for (const auto& [measure, allow] : {std::pair{std::optional<int>(11), true}, std::pair{std::optional<int>(0), false}}) {
        QuerySerialSetup t = setup(9);
        t.goods.measure = measure;
        t.goods.fractionalAllow = allow;
        auto e = open(t);
        scan(*e, dataMatrix(kGtin, QStringLiteral("ABcd.,;:?/123"), 44));
        EXPECT_EQ(e->result(), QDialog::Accepted);
    }
    EXPECT_TRUE(askedPackCounts.empty());
}

TEST_F(QuerySerialNumberTest, TobaccoWithoutCodeNeedsTheBoxAndAPriceAboveZero) {
    {
        auto d = open(setup(4));
        EXPECT_FALSE(d->CheckBox1->isEnabled());
        EXPECT_FALSE(d->btnOK->isEnabled());
    }
    QuerySerialSetup s = setup(4);
    s.withoutCodeAllowed = true;
    auto d = open(s);
    EXPECT_TRUE(d->CheckBox1->isEnabled());
    EXPECT_FALSE(d->btnOK->isEnabled());
    EXPECT_FALSE(d->memPrice->isEnabled());
    d->CheckBox1->click();
    EXPECT_TRUE(d->btnOK->isEnabled());
    EXPECT_TRUE(d->memPrice->isEnabled());

    // A code scanned meanwhile is not taken.
    scan(*d, tobaccoPack(kGtin, QStringLiteral("N4M'Yk,"), "AB,8"));
    EXPECT_TRUE(validated.empty());

    for (const QString& bad : {QString(), QStringLiteral("0"), QStringLiteral("0,00")}) {
        messages.clear();
        d->memPrice->setText(bad);
        d->btnOK->click();
        EXPECT_NE(d->result(), QDialog::Accepted);
        EXPECT_EQ(messages.texts(), QStringList{badManualPriceText()});
    }
    messages.clear();
    d->memPrice->setText(QStringLiteral("99,50"));
    d->btnOK->click();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_TRUE(d->scanned().withoutCode());
    EXPECT_TRUE(d->scanned().serial.isEmpty());
    EXPECT_EQ(d->scanned().priceText, QStringLiteral("99.50"));
    // No code, no GTIN: the shop's barcode shown in the window is not one.
    EXPECT_TRUE(d->scanned().gtin.isEmpty());
    EXPECT_TRUE(validated.empty());

    d->CheckBox1->click();
    EXPECT_FALSE(d->btnOK->isEnabled());
}

TEST_F(QuerySerialNumberTest, ASecondScanOrCancelDuringValidationChangesNothing) {
    const QString first = dataMatrix(kGtin, QStringLiteral("ABcd.,;:?/123"), 44);
    const QString second = dataMatrix(kGtin, QStringLiteral("ZZZZZZZZZZZZZ"), 44);
    auto d = open(setup(9));
    bool cancelledInside = false;
    duringValidation = [&](QWidget* owner) {
        EXPECT_EQ(owner, d.get());
        testsupport::typeText(d.get(), second);
        QTest::qWait(150);
        d->btnCancel->click();
        d->close();
        cancelledInside = d->isVisible();
    };
    scan(*d, first);
    EXPECT_TRUE(cancelledInside);
    ASSERT_EQ(validated.size(), 1u);
    EXPECT_EQ(validated[0], first);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->scanned().serial, QStringLiteral("ABcd.,;:?/123"));
}

TEST_F(QuerySerialNumberTest, RefusedValidationLeavesTheWindowOpenAndCancelClearsIt) {
    acceptCodes = false;
    auto d = open(setup(13));
    scan(*d, dairy(kGtin, QStringLiteral("aB3;.?")));
    EXPECT_EQ(validated.size(), 1u);
    EXPECT_TRUE(d->isVisible());
    d->btnCancel->click();
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_TRUE(d->scanned().serial.isEmpty());
}

TEST_F(QuerySerialNumberTest, CodeTypedInTheRussianLayoutIsReadInLatin) {
    layout = 1049;
    // The keys of "Ab;.,/" and "k9/:" in the Russian layout.
    const QString russian = QStringLiteral("01") + kGtin + QStringLiteral("21") + QStringLiteral("Фижюб.") + kGs +
                            QStringLiteral("93л9.Ж");
    auto d = open(setup(13));
    scan(*d, russian);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    ASSERT_EQ(validated.size(), 1u);
    EXPECT_EQ(validated[0], QStringLiteral("01") + kGtin + QStringLiteral("21") + QStringLiteral("Ab;.,/") + kGs +
                                QStringLiteral("93k9/:"));

    // Under a layout the program cannot read nothing reaches the Latin copy.
    layout = 0;
    validated.clear();
    auto e = open(setup(13));
    scan(*e, dairy(kGtin, QStringLiteral("aB3;.?")));
    EXPECT_TRUE(validated.empty());
    EXPECT_TRUE(e->isVisible());
}

// The running program has no layout source but the desktop's input locale,
// which stays English whatever keyboard group is active; the letters of the
// scan tell the Russian layout, and then punctuation of the same scan is
// read through it as well.
TEST_F(QuerySerialNumberTest, CodeTypedInTheRussianLayoutIsReadInLatinWithoutALayoutSource) {
    ui::KeyboardLayout::setLayoutProvider({});
    const QString russian = QStringLiteral("01") + kGtin + QStringLiteral("21") + QStringLiteral("Фижюб.") + kGs +
                            QStringLiteral("93л9.Ж");
    auto d = open(setup(13));
    scan(*d, russian);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    ASSERT_EQ(validated.size(), 1u);
    EXPECT_EQ(validated[0], QStringLiteral("01") + kGtin + QStringLiteral("21") + QStringLiteral("Ab;.,/") + kGs +
                                QStringLiteral("93k9/:"));

    // The next scan in the US layout is read as it is typed.
    validated.clear();
    auto e = open(setup(13));
    scan(*e, dairy(kGtin, QStringLiteral("aB3;.?")));
    ASSERT_EQ(validated.size(), 1u);
    EXPECT_EQ(validated[0], dairy(kGtin, QStringLiteral("aB3;.?")));
}

TEST_F(QuerySerialNumberTest, ScannersEnterEndsTheScanThroughTheProgramsKeyRouter) {
    sales::KeyRouter::install(QCoreApplication::instance());
    auto d = open(setup(9));
    const QString code = dataMatrix(kGtin, QStringLiteral("ABcd.,;:?/123"), 44);
    testsupport::typeText(d.get(), code);
    EXPECT_TRUE(d->Timer1->isActive());
    testsupport::typeKey(d.get(), {Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")});
    sales::KeyRouter::uninstall();
    EXPECT_FALSE(d->Timer1->isActive());
    EXPECT_EQ(d->result(), QDialog::Accepted);
    ASSERT_EQ(validated.size(), 1u);
    EXPECT_EQ(validated[0], code);
}

TEST_F(QuerySerialNumberTest, WindowShapeFollowsTheMarkType) {
    auto shoes = open(setup(5));
    EXPECT_EQ(shoes->windowTitle(), QStringLiteral("Отсканируйте DataMatrix"));
    EXPECT_EQ(shoes->height(), 270);
    EXPECT_FALSE(shoes->btnOK->isVisible());
    EXPECT_TRUE(shoes->lblGTIN->isVisible());
    EXPECT_TRUE(shoes->btnCancel->isVisible());
    EXPECT_FALSE(shoes->Edit1->isVisible());

    auto tobacco = open(setup(4, {}));
    EXPECT_EQ(tobacco->lblGTIN->text(), QStringLiteral("xxxxxxxxxxxxxx"));
    EXPECT_TRUE(tobacco->CheckBox1->isVisible());
    EXPECT_EQ(tobacco->lblGoodName->property("Tag").toString(), QStringLiteral("77"));
    EXPECT_EQ(tobacco->memPrice->text(), QStringLiteral("150.00"));
    EXPECT_FALSE(tobacco->EdEng->isVisible());
}

}  // namespace
