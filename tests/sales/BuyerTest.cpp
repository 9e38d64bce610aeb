// The receipt's buyer and the electronic receipt's address: the rules for
// the typed texts, the two windows driven on the main screen, and the road
// to the register.
#include "core/DataModule.h"
#include "core/Settings.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/fiscal/Tlv.h"
#include "sales/closing/CloseReceipt.h"
#include "sales/closing/uCheckInfo.h"
#include "sales/closing/uPayCheck.h"
#include "sales/screen/BuyerLogic.h"
#include "sales/screen/uBuyerData.h"
#include "sales/screen/uTelefon.h"

#include "SalesTestSupport.h"
#include "WhenReady.h"

#include "support/UpgradedDbFixture.h"
#include "SaleScreenFixture.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <functional>

using namespace sales;
using salestest::when;

namespace {

TEST(BuyerRules, OkDecidesByNameTaxNumberAndForeignGoods) {
    const QString longName(kBuyerNameMaxLength + 1, QChar(u'Я'));
    const QString longestName(kBuyerNameMaxLength, QChar(u'Я'));
    const struct {
        QString name, inn;
        bool foreign;
        BuyerDecision::Kind kind;
        QString message, storedName, storedInn;
    } cases[] = {
        {"ООО Ромашка", "7701000000", false, BuyerDecision::Set, {}, "ООО Ромашка", "7701000000"},
        {"  ИП Петров  ", " 770100000012 ", false, BuyerDecision::Set, {}, "ИП Петров", "770100000012"},
        {"ИП Петров", "", false, BuyerDecision::Set, {}, "ИП Петров", ""},
        {longestName, "7701000000", false, BuyerDecision::Set, {}, longestName, "7701000000"},
        {"ООО Ромашка", "77010000001", false, BuyerDecision::Refuse, buyerText::kInnLength, {}, {}},
        {"ООО Ромашка", "770100000", false, BuyerDecision::Refuse, buyerText::kInnLength, {}, {}},
        {"ООО Ромашка", "77010000AB", false, BuyerDecision::Refuse, buyerText::kInnDigits, {}, {}},
        {"ООО Ромашка", "7701 00000", false, BuyerDecision::Refuse, buyerText::kInnDigits, {}, {}},
        {longName, "7701000000", false, BuyerDecision::Refuse, buyerText::kNameTooLong, {}, {}},
        {"ООО Ромашка", "7701000000", true, BuyerDecision::Refuse, buyerText::kForeignGoodsOnOk, {}, {}},
        // An empty name removes the buyer whatever else is typed.
        {"   ", "77010000AB", true, BuyerDecision::Remove, {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString() + " / " + c.inn.toStdString());
        const BuyerDecision d = decideBuyer(c.name, c.inn, c.foreign);
        EXPECT_EQ(d.kind, c.kind);
        EXPECT_EQ(d.message, c.message);
        if (c.kind == BuyerDecision::Set) {
            EXPECT_EQ(d.name, c.storedName);
            EXPECT_EQ(d.inn, c.storedInn);
        }
    }
}

TEST(BuyerRules, AddressesAreNormalisedOrRefused) {
    using K = AddressDecision::Kind;
    const struct {
        bool phone;
        QString typed;
        K kind;
        QString address;
    } cases[] = {
        {false, "a@b", K::Set, "a@b"},
        {false, " a @ b ", K::Set, "a@b"},
        {false, "ivan.petrov@mail.ru", K::Set, "ivan.petrov@mail.ru"},
        {false, "@b", K::Invalid, {}},
        {false, " @b", K::Invalid, {}},
        {false, "ab", K::Invalid, {}},
        {false, "   ", K::Remove, {}},
        {true, "9123456789", K::Set, "+79123456789"},
        {true, "912-345-67 89", K::Set, "+79123456789"},
        {true, "912-345-67", K::Confirm, "+791234567"},
        {true, "91234567890", K::Confirm, "+791234567890"},
        {true, "+79123456789", K::Invalid, {}},
        {true, "91234 5678a", K::Invalid, {}},
        {true, " - ", K::Remove, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        const AddressDecision d = c.phone ? decidePhone(c.typed) : decideEmail(c.typed);
        EXPECT_EQ(d.kind, c.kind);
        if (c.kind == K::Set || c.kind == K::Confirm) {
            EXPECT_EQ(d.address, c.address);
        }
        if (c.kind == K::Invalid) {
            EXPECT_EQ(d.message, c.phone ? buyerText::kBadPhone : buyerText::kBadEmail);
        }
        if (c.kind == K::Confirm) {
            EXPECT_EQ(d.message, buyerText::kPhoneLengthQuestion);
        }
    }
}

// ---------------------------------------------------------------------------
// The windows on the main screen

class BuyerWindowsTest : public salestest::MainScreenFixture {
protected:
    void installCommands() override {
        installBuyerCommands(*screen, [this](QWidget*) { return picked; });
    }

    // A foreign position (country 156) in the receipt.
    void addForeignPosition() {
        sales::testing::RowSpec wanted{"5", "P", "100.00", "1"};
        wanted.country = "156";
        addPosition(wanted);
    }

    bool buyerShown() const {
        for (QLabel* l : {screen->Label6, screen->lblBuyerName, screen->Label7, screen->lblINNBuyer})
            if (l->isHidden()) return false;
        return true;
    }

    // Opens the buyer window by the screen's button, then runs `step` in it.
    void onBuyerWindow(std::function<void(TfmBuyerData&)> step) {
        when([] { return fmBuyerData && fmBuyerData->isVisible(); }, [step] { step(*fmBuyerData); });
        QTest::mouseClick(screen->btnLE, Qt::LeftButton);
    }

    void onAddressWindow(std::function<void(TfmTelefon&)> step) {
        when([] { return fmTelefon && fmTelefon->isVisible(); }, [step] { step(*fmTelefon); });
        QTest::mouseClick(screen->btnTelefon, Qt::LeftButton);
    }

    std::optional<PickedBuyer> picked;
};

TEST_F(BuyerWindowsTest, OkNamesTheBuyerOrKeepsTheWindowOpenWithTheReason) {
    const struct {
        QString name, inn;
        QString message;  // empty: accepted
    } cases[] = {
        {"ООО Ромашка", "7701000000", {}},
        {"ИП Петров", "770100000012", {}},
        {"ООО Ромашка", "77010000001", buyerText::kInnLength},
        {"ООО Ромашка", "77010000AB", buyerText::kInnDigits},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.inn.toStdString());
        clearBuyer(*screen);
        messages.clear();
        bool stayed = false;
        onBuyerWindow([&](TfmBuyerData& w) {
            w.edBuyerName->setText(c.name);
            // Typing takes digits only, so malformed numbers arrive pasted.
            w.edBuyerINN->setText(c.inn);
            click(w, "btnOK");
            stayed = fmBuyerData != nullptr && fmBuyerData->isVisible();
            if (stayed) click(w, "btnClose");
        });
        EXPECT_EQ(stayed, !c.message.isEmpty());
        if (c.message.isEmpty()) {
            EXPECT_TRUE(messages.boxes.empty());
            EXPECT_TRUE(screen->chLE->isChecked());
            EXPECT_TRUE(screen->BuyerGiven());
            EXPECT_TRUE(buyerShown());
            EXPECT_EQ(screen->lblBuyerName->text(), c.name);
            EXPECT_EQ(screen->lblINNBuyer->text(), c.inn);
            // One line: the name after its caption, the number after the name.
            EXPECT_LT(screen->Label6->geometry().right(), screen->lblBuyerName->x());
            EXPECT_LT(screen->lblBuyerName->geometry().right(), screen->Label7->x());
            EXPECT_LT(screen->Label7->geometry().right(), screen->lblINNBuyer->x());
        } else {
            ASSERT_EQ(messages.boxes.size(), 1u);
            EXPECT_EQ(messages.last(), c.message);
            EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Error);
            EXPECT_FALSE(screen->chLE->isChecked());
            EXPECT_EQ(screen->lblBuyerName->text(), "");
        }
    }
}

TEST_F(BuyerWindowsTest, BuyerLineKeepsToTheNameWhenTheScreenIsResized) {
    screen->show();
    setBuyer(*screen, "ИП Ан", "770100000012");
    for (const QSize size : {QSize(1024, 768), QSize(1280, 1024)}) {
        screen->resize(size);
        QTest::qWait(30);
        SCOPED_TRACE(size.width());
        // A short name takes little room, and the number follows it.
        EXPECT_LT(screen->lblBuyerName->width(), 120);
        EXPECT_LT(screen->Label7->x() - screen->lblBuyerName->geometry().right(), 20);
        EXPECT_LT(screen->Label6->geometry().right(), screen->lblBuyerName->x());
        EXPECT_LT(screen->Label7->geometry().right(), screen->lblINNBuyer->x());
    }
}

TEST_F(BuyerWindowsTest, TaxNumberFieldTakesDigitsOnly) {
    QString typed;
    onBuyerWindow([&](TfmBuyerData& w) {
        QTest::keyClicks(w.edBuyerINN, "77a0-1 b9");
        typed = w.edBuyerINN->text();
        click(w, "btnClose");
    });
    // Letters, blanks and dashes never reach the field.
    EXPECT_EQ(typed, "77019");
}

TEST_F(BuyerWindowsTest, EmptyNameRemovesTheBuyerAndTheChosenBatches) {
    setBuyer(*screen, "ООО Ромашка", "7701000000");
    screen->PortionChoices() << QStringList{"5", "1", "1"};
    QString startName, startInn;
    onBuyerWindow([&](TfmBuyerData& w) {
        startName = w.edBuyerName->text();
        startInn = w.edBuyerINN->text();
        w.edBuyerName->setText("   ");
        click(w, "btnOK");
    });
    EXPECT_EQ(startName, "ООО Ромашка");
    EXPECT_EQ(startInn, "7701000000");
    EXPECT_EQ(fmBuyerData, nullptr);
    EXPECT_FALSE(screen->chLE->isChecked());
    EXPECT_FALSE(screen->BuyerGiven());
    EXPECT_TRUE(screen->lblBuyerName->isHidden());
    EXPECT_TRUE(screen->lblINNBuyer->isHidden());
    EXPECT_EQ(screen->lblBuyerName->text(), "");
    EXPECT_EQ(screen->lblINNBuyer->text(), "");
    EXPECT_TRUE(screen->PortionChoices().isEmpty());
}

TEST_F(BuyerWindowsTest, ForeignGoodsUnderFullPaymentLeaveThePreviousBuyerAsItWas) {
    setBuyer(*screen, "ООО Ромашка", "7701000000");
    addForeignPosition();
    ASSERT_EQ(screen->PaymentMethodFlag(), 4);

    // The button refuses before any window opens.
    QTest::mouseClick(screen->btnLE, Qt::LeftButton);
    EXPECT_EQ(fmBuyerData, nullptr);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.last(), buyerText::kForeignGoodsOnButton);

    // A window already open refuses on OK and stays.
    messages.clear();
    TfmBuyerData window(*screen, {}, screen.get());
    window.edBuyerName->setText("ООО Лютик");
    window.edBuyerINN->setText("7702000000");
    click(window, "btnOK");
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.last(), buyerText::kForeignGoodsOnOk);
    EXPECT_NE(window.result(), QDialog::Accepted);
    EXPECT_TRUE(screen->chLE->isChecked());
    EXPECT_TRUE(screen->BuyerGiven());
    EXPECT_TRUE(buyerShown());
    EXPECT_EQ(screen->lblBuyerName->text(), "ООО Ромашка");
    EXPECT_EQ(screen->lblINNBuyer->text(), "7701000000");

    // Under prepayment the same receipt may name its buyer.
    messages.clear();
    screen->SetPaymentMethodFlag(1);
    click(window, "btnOK");
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_EQ(screen->lblBuyerName->text(), "ООО Лютик");
}

TEST_F(BuyerWindowsTest, PickerClearAndCloseWorkOnTheFieldsOnly) {
    picked = PickedBuyer{" ООО Василёк ", "7703000000"};
    setBuyer(*screen, "ООО Ромашка", "7701000000");
    QString pickedName, pickedInn, clearedName, clearedInn;
    onBuyerWindow([&](TfmBuyerData& w) {
        click(w, "btnSelect");
        pickedName = w.edBuyerName->text();
        pickedInn = w.edBuyerINN->text();
        click(w, "btnClear");
        clearedName = w.edBuyerName->text();
        clearedInn = w.edBuyerINN->text();
        click(w, "btnClose");
    });
    EXPECT_EQ(pickedName, "ООО Василёк");
    EXPECT_EQ(pickedInn, "7703000000");
    EXPECT_EQ(clearedName, "");
    EXPECT_EQ(clearedInn, "");
    EXPECT_EQ(screen->lblBuyerName->text(), "ООО Ромашка");
    EXPECT_TRUE(screen->chLE->isChecked());
}

TEST_F(BuyerWindowsTest, UncheckingTheBoxClearsTheBuyerAndTheBatchesAndTickingAsksForOne) {
    setBuyer(*screen, "ООО Ромашка", "7701000000");
    screen->PortionChoices() << QStringList{"5", "1", "1"};
    QTest::mouseClick(screen->chLE, Qt::LeftButton);
    EXPECT_FALSE(screen->chLE->isChecked());
    EXPECT_TRUE(screen->lblBuyerName->isHidden());
    EXPECT_EQ(screen->lblINNBuyer->text(), "");
    EXPECT_TRUE(screen->PortionChoices().isEmpty());

    // Ticking the box opens the buyer window; closing it leaves no buyer.
    bool opened = false;
    when([] { return fmBuyerData && fmBuyerData->isVisible(); },
         [&] {
             opened = true;
             click(*fmBuyerData, "btnClose");
         });
    QTest::mouseClick(screen->chLE, Qt::LeftButton);
    EXPECT_TRUE(opened);
    EXPECT_FALSE(screen->chLE->isChecked());
}

TEST_F(BuyerWindowsTest, AddressWindowStoresEmailOrPhoneByTheirRules) {
    const struct {
        bool phone;
        QString typed;
        std::optional<ui::Answer> answer;  // to the length question
        bool stays;
        QString stored;
        int tag;
    } cases[] = {
        {false, " a @ b ", {}, false, "a@b", 1},
        {false, "@b", {}, true, "+79990000000", 2},
        {true, "912-345-67", ui::Answer::Cancel, true, "+79990000000", 2},
        {true, "912-345-67", ui::Answer::Ok, false, "+791234567", 2},
        {true, "912 345 67 89", {}, false, "+79123456789", 2},
        {true, "91a", {}, true, "+79990000000", 2},
        {false, "", {}, false, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        setReceiptAddress(*screen, AddressPhone, "+79990000000");
        messages.clear();
        messages.answers.clear();
        if (c.answer) messages.answer(*c.answer);
        bool stayed = false;
        onAddressWindow([&](TfmTelefon& w) {
            (c.phone ? w.RadioButton2 : w.RadioButton1)->setChecked(true);
            EXPECT_EQ(w.edTlf->isEnabled(), c.phone);
            EXPECT_EQ(w.edMail->isEnabled(), !c.phone);
            (c.phone ? w.edTlf : w.edMail)->setText(c.typed);
            click(w, "btnOK");
            stayed = fmTelefon != nullptr && fmTelefon->isVisible();
            if (stayed) click(w, "btnClose");
        });
        EXPECT_EQ(stayed, c.stays);
        EXPECT_EQ(screen->edTelefon->text(), c.stored);
        EXPECT_EQ(sales::controlTag(screen->edTelefon), c.tag);
        EXPECT_EQ(messages.boxes.size(), (c.answer || c.stays) ? 1u : 0u);
    }
}

TEST_F(BuyerWindowsTest, AddressWindowShowsTheShopsOwnEmailOrItsAbsence) {
    for (const QString& ours : {QString(), QStringLiteral("shop@example.ru")}) {
        SCOPED_TRACE(ours.toStdString());
        TfmTelefon w(*screen, ours, AddressEmail);
        const QString status = w.lblOurEmail->text();
        EXPECT_TRUE(status.contains(buyerText::kOurEmailCaption));
        EXPECT_EQ(status.contains(buyerText::kOurEmailMissing), ours.isEmpty());
        EXPECT_EQ(status.contains("color:red"), ours.isEmpty());
        if (!ours.isEmpty()) {
            EXPECT_TRUE(status.contains(ours));
        }
        // A new window starts in the e-mail field with the phone field off.
        EXPECT_TRUE(w.RadioButton1->isChecked());
        EXPECT_FALSE(w.edTlf->isEnabled());
        EXPECT_EQ(w.edTlf->text(), "");
    }
}

// ---------------------------------------------------------------------------
// From the main screen to the register and the database

class BuyerReceiptTest : public salestest::SaleScreenTest {
protected:
    void SetUp() override {
        UpgradedDbTest::SetUp();
        if (HasFatalFailure()) return;
        exec(
            "INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_NALOG, GOOD_COUNTRY_CODE, "
            "GOOD_MARKTYPE, GOOD_COUNT, GOOD_EDIZM_FFD) VALUES (11, 'Хлеб', '50.00', 'нет', 'Т', '1', '643', 0, '10', "
            "0)");
        exec("INSERT INTO OPTIONS (OPTION_NAME, OPTION_VALUE) VALUES ('TaxSystem', '1')");
        openScreen();
        if (HasFatalFailure()) return;
        SaleServices& services = installSaleCommands(*screen);
        installBuyerCommands(*screen, {});
        services.buyerContact = [this](QWidget* parent, int kind) { openReceiptAddress(*screen, parent, kind); };
    }

    testsupport::FakeMessages messages;
};

TEST_F(BuyerReceiptTest, BuyerAndAddressReachTheRegisterAndTheStoredReceipt) {
    GoodRecord bread;
    bread.id = "11";
    bread.name = "Хлеб";
    bread.price = "50.00";
    bread.weighed = "нет";
    bread.type = "Т";
    bread.country = "643";
    bread.markType = "0";
    bread.measure = "0";
    bread.vat = "1";
    addGoodPosition(screen->receipt(), bread, "50.00", Qty::units(2));
    ASSERT_EQ(screen->RecalcReceipt(), 0);

    // The buyer and the e-mail as the cashier gives them.
    when([] { return fmBuyerData && fmBuyerData->isVisible(); },
         [] {
             fmBuyerData->edBuyerName->setText("ООО Ромашка");
             fmBuyerData->edBuyerINN->setText("7701000000");
             QTest::mouseClick(fmBuyerData->btnOK, Qt::LeftButton);
         });
    QTest::mouseClick(screen->btnLE, Qt::LeftButton);
    when([] { return fmTelefon && fmTelefon->isVisible(); },
         [] {
             fmTelefon->edMail->setText(" buyer @ example.ru ");
             QTest::mouseClick(fmTelefon->btnOK, Qt::LeftButton);
         });
    QTest::mouseClick(screen->btnTelefon, Qt::LeftButton);
    ASSERT_TRUE(screen->chLE->isChecked());
    ASSERT_EQ(screen->edTelefon->text(), "buyer@example.ru");

    // The payment window repeats the address; changing it there to a phone
    // is what the register then receives.
    QString caption, address, changedCaption;
    when([] { return fmPayCheck && fmPayCheck->isVisible(); },
         [&] {
             caption = fmPayCheck->Label2->text();
             address = fmPayCheck->Label3->text();
             when([] { return fmTelefon && fmTelefon->isVisible(); },
                  [] {
                      fmTelefon->RadioButton2->setChecked(true);
                      fmTelefon->edTlf->setText("912 345-67-89");
                      QTest::mouseClick(fmTelefon->btnOK, Qt::LeftButton);
                  });
             QTest::mouseDClick(fmPayCheck->Label3, Qt::LeftButton);
             changedCaption = fmPayCheck->Label2->text();
             QTest::mouseClick(fmPayCheck->Button12, Qt::LeftButton);
         });
    when([] { return fmCheckInfo && fmCheckInfo->isVisible() && !fmCheckInfo->Timer1->isActive(); },
         [] { QTest::mouseClick(fmCheckInfo->btnCancel, Qt::LeftButton); });
    kkt->clearJournal();
    QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(caption, receiptAddressCaption(AddressEmail));
    EXPECT_EQ(address, "buyer@example.ru");
    EXPECT_EQ(changedCaption, receiptAddressCaption(AddressPhone));

    fiscal::ParamList open;
    bool opened = false;
    for (const fiscal::JournalEntry& e : kkt->journal())
        if (e.method == "openReceipt") {
            open = e.params;
            opened = true;
        }
    ASSERT_TRUE(opened);
    EXPECT_EQ(open.value(fiscal::tag::BuyerContact).toString(), "+79123456789");
    const auto fields = fiscal::decodeTlv(open.value(fiscal::tag::BuyerInfo).toByteArray());
    ASSERT_TRUE(fields.has_value());
    QString name, inn;
    for (const fiscal::TlvField& f : *fields) {
        if (f.tag == fiscal::tag::BuyerName) name = fiscal::fromCp866(f.value);
        if (f.tag == fiscal::tag::BuyerInn) inn = fiscal::fromCp866(f.value);
    }
    EXPECT_EQ(name, "ООО Ромашка");
    EXPECT_EQ(inn, "7701000000");

    // The printed receipt names them too.
    QFile tape(kkt->tapePath());
    ASSERT_TRUE(tape.open(QIODevice::ReadOnly));
    const QString printed = QString::fromUtf8(tape.readAll());
    EXPECT_TRUE(printed.contains("ООО Ромашка"));
    EXPECT_TRUE(printed.contains("7701000000"));
    EXPECT_TRUE(printed.contains("+79123456789"));

    fb::Transaction tr(db());
    const auto docs = fb::query(tr, "SELECT DOC_BUYER_NAME, DOC_BUYER_INN FROM DOCUMENTS");
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].str("DOC_BUYER_NAME"), "ООО Ромашка");
    EXPECT_EQ(docs[0].str("DOC_BUYER_INN"), "7701000000");

    // The next receipt starts without a buyer and an address.
    EXPECT_FALSE(screen->chLE->isChecked());
    EXPECT_TRUE(screen->lblBuyerName->isHidden());
    EXPECT_EQ(screen->edTelefon->text(), "");
    EXPECT_EQ(sales::controlTag(screen->edTelefon), 0);
}

}  // namespace
