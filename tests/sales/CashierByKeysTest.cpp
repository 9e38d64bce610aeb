// A sale made with the keyboard and the scanner only, as a cashier makes it:
// scans ended by the scanner's Enter, "*" for the quantity window, Shift+minus
// for a line discount, Ctrl+Enter for "РАСЧЕТ", Enter in the payment window,
// the register printing by itself and Esc closing the receipt window. What
// the register was asked and what the database keeps are checked at the end.
#include "core/DataModule.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "sales/closing/CloseReceipt.h"
#include "sales/closing/uCheckInfo.h"
#include "sales/closing/uPayCheck.h"
#include "sales/input/ItemEntry.h"
#include "sales/input/KeyRouter.h"
#include "sales/input/ScanInput.h"
#include "sales/receipt/PositionEdits.h"
#include "sales/screen/Registration_Mode.h"
#include "sales/screen/uCountInput.h"
#include "sales/screen/uDiscountInput.h"
#include "support/FakeMessages.h"
#include "support/TypeText.h"
#include "support/UpgradedDbFixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "WhenReady.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using sales::ReceiptModel;

namespace {

using salestest::when;

// Keys go where the keyboard sends them: the focused control of `window`.
QWidget* keyTarget(QWidget* window) {
    QWidget* focus = window->focusWidget();
    return focus ? focus : window;
}

void press(QWidget* window, int key, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::keyClick(keyTarget(window), Qt::Key(key), m);
}

class CashierByKeysTest : public testsupport::UpgradedDbTest {
protected:
    void SetUp() override {
        UpgradedDbTest::SetUp();
        if (HasFatalFailure()) return;
        addGoods(11, QStringLiteral("Хлеб"), QStringLiteral("50.00"), QStringLiteral("1"),
                 QStringLiteral("4600000000017"));
        addGoods(12, QStringLiteral("Молоко"), QStringLiteral("80.00"), QStringLiteral("2"),
                 QStringLiteral("4600000000024"));
        exec(QStringLiteral("INSERT INTO OPTIONS (OPTION_NAME, OPTION_VALUE) VALUES ('TaxSystem', '1')"));

        module = std::make_unique<core::TDataModule1>();
        core::DataModule1 = module.get();
        module->connectDatabase();
        // The main screen with its commands, as the program puts it together.
        screen = std::make_unique<TfmReg>(nullptr, [this]() -> std::unique_ptr<fiscal::IFiscalDriver> {
            auto e = std::make_unique<fiscal::RegisterEmulator>(programFolder());
            kkt = e.get();
            return e;
        });
        screen->setQuitOnClose(false);
        new TfmCountInput(*screen, screen.get());
        new TfmDiscountInput(*screen, screen.get());
        installPositionEdits(*screen);
        sales::installSaleCommands(*screen);
        controller = sales::installItemEntry(*screen);

        core::SessionUser user;
        user.userId = 7;
        user.name = QStringLiteral("Иванов И.И.");
        user.postLabel = QStringLiteral("Кассир : ");
        screen->setUser(user);
        ASSERT_NE(kkt, nullptr);
        kkt->setParam(fiscal::tag::CashierName, QStringLiteral("Иванов И.И."));
        ASSERT_EQ(kkt->operatorLogin(), 0);
        ASSERT_EQ(kkt->openShift(), 0);
        kkt->clearJournal();
        messages.clear();
    }

    void TearDown() override {
        screen.reset();
        sales::KeyRouter::uninstall();
        module.reset();
        core::DataModule1 = nullptr;
        UpgradedDbTest::TearDown();
    }

    void addGoods(int id, const QString& name, const QString& price, const QString& vat, const QString& barcode) {
        fb::Transaction tr(db());
        fb::execute(tr,
                    QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_NALOG, "
                                   "GOOD_ISGOOD, GOOD_COUNTRY_CODE, GOOD_MARKTYPE, GOOD_COUNT, GOOD_EDIZM, "
                                   "GOOD_EDIZM_FFD) VALUES (?, ?, ?, 'нет', 'Т', ?, 1, '643', 0, '20', 'шт', 0)"),
                    {std::int64_t{id}, name, price, vat});
        fb::execute(tr, QStringLiteral("INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE) VALUES (?, ?)"),
                    {std::int64_t{id}, barcode});
        tr.commit();
    }

    // A scanner: the code and its Enter, faster than any hand.
    void scan(const QString& code) {
        testsupport::typeText(screen.get(), code);
        QTest::keyClick(screen.get(), Qt::Key_Return);
    }
    // Typing by hand: each key comes after the end-of-scan timer expired.
    void typeByHand(QWidget* to, const QString& keys) {
        for (const QChar c : keys) {
            testsupport::typeText(to, QString(c));
            if (screen->Timer2->isActive()) controller->input().Timer2Timer();
        }
    }
    QString cell(int row, int column) const {
        const QTableWidgetItem* item = screen->GoodsGrid->item(row - 1, column);
        return item ? item->text() : QString();
    }

    std::vector<fb::Row> rows(const QString& sql) {
        fb::Transaction tr(db());
        return fb::query(tr, sql);
    }

    QList<fiscal::JournalEntry> calls(const QString& method) const {
        QList<fiscal::JournalEntry> out;
        for (const fiscal::JournalEntry& e : kkt->journal())
            if (e.method == method) out << e;
        return out;
    }

    testsupport::FakeMessages messages;
    std::unique_ptr<core::TDataModule1> module;
    std::unique_ptr<TfmReg> screen;
    fiscal::RegisterEmulator* kkt = nullptr;
    sales::ItemEntryController* controller = nullptr;
};

TEST_F(CashierByKeysTest, ScanQuantityDiscountPayPrintAndStore) {
    // Two loaves and a milk, scanned.
    scan(QStringLiteral("4600000000017"));
    scan(QStringLiteral("4600000000017"));
    scan(QStringLiteral("4600000000024"));
    ASSERT_EQ(screen->receipt().dataRowCount(), 2);
    EXPECT_EQ(cell(1, ReceiptModel::ColQty), QStringLiteral("2"));
    ASSERT_EQ(screen->currentReceiptRow(), 2);

    // "*" on the empty line: the quantity window for the milk; 3 and Enter.
    when([] { return fmCountInput && fmCountInput->isVisible(); },
         [this] {
             typeByHand(keyTarget(fmCountInput), QStringLiteral("3"));
             press(fmCountInput, Qt::Key_Return);
         });
    typeByHand(screen.get(), QStringLiteral("*"));
    EXPECT_EQ(cell(2, ReceiptModel::ColQty), QStringLiteral("3"));
    EXPECT_EQ(screen->lblChekItogo->text(), QStringLiteral("340.00 "));

    // Shift+minus: 10 % off the milk.
    when([] { return fmDiscountInput && fmDiscountInput->isVisible(); },
         [this] {
             typeByHand(keyTarget(fmDiscountInput), QStringLiteral("10"));
             press(fmDiscountInput, Qt::Key_Return);
         });
    testsupport::typeKey(screen.get(), testsupport::keyStrokeFor(QLatin1Char('_')));
    EXPECT_EQ(cell(2, ReceiptModel::ColPrice), QStringLiteral("72.00"));
    EXPECT_EQ(cell(2, ReceiptModel::ColSum), QStringLiteral("216.00"));
    EXPECT_EQ(screen->lblChekItogo->text(), QStringLiteral("316.00 "));
    EXPECT_TRUE(screen->lblVvod->text().isEmpty());

    // Ctrl+Enter: the payment window; Enter pays the total in cash; the
    // receipt window prints by itself and Esc closes it.
    int stored = 0;
    when([] { return fmPayCheck && fmPayCheck->isVisible(); }, [] { press(fmPayCheck, Qt::Key_Return); });
    when([] { return fmCheckInfo && fmCheckInfo->isVisible() && !fmCheckInfo->Timer1->isActive(); },
         [&stored] {
             stored = fmCheckInfo->printState();
             press(fmCheckInfo, Qt::Key_Escape);
         });
    QTest::keyClick(screen.get(), Qt::Key_Return, Qt::ControlModifier);

    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    ASSERT_GT(stored, 0);

    // The register: one sale receipt, the two positions as the screen
    // showed them, the cash payment, closed.
    const QList<fiscal::JournalEntry> opened = calls(QStringLiteral("openReceipt"));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].params.value(fiscal::LIBFPTR_PARAM_RECEIPT_TYPE).toInt(), fiscal::LIBFPTR_RT_SELL);
    const QList<fiscal::JournalEntry> positions = calls(QStringLiteral("registration"));
    ASSERT_EQ(positions.size(), 2);
    const struct {
        const char* name;
        double price;
        double quantity;
    } expected[] = {{"Хлеб", 50.00, 2}, {"Молоко", 72.00, 3}};
    for (int i = 0; i < 2; ++i) {
        const fiscal::ParamList& p = positions[i].params;
        EXPECT_EQ(p.value(fiscal::LIBFPTR_PARAM_COMMODITY_NAME).toString(), QString::fromUtf8(expected[i].name));
        EXPECT_DOUBLE_EQ(p.value(fiscal::LIBFPTR_PARAM_PRICE).toDouble(), expected[i].price) << i;
        EXPECT_DOUBLE_EQ(p.value(fiscal::LIBFPTR_PARAM_QUANTITY).toDouble(), expected[i].quantity) << i;
        EXPECT_EQ(positions[i].errorCode, 0) << i;
    }
    const QList<fiscal::JournalEntry> payments = calls(QStringLiteral("payment"));
    ASSERT_EQ(payments.size(), 1);
    EXPECT_EQ(payments[0].params.value(fiscal::LIBFPTR_PARAM_PAYMENT_TYPE).toInt(), fiscal::LIBFPTR_PT_CASH);
    EXPECT_DOUBLE_EQ(payments[0].params.value(fiscal::LIBFPTR_PARAM_PAYMENT_SUM).toDouble(), 316.00);
    ASSERT_EQ(calls(QStringLiteral("closeReceipt")).size(), 1);
    EXPECT_EQ(calls(QStringLiteral("closeReceipt"))[0].errorCode, 0);
    const fiscal::RegisterState reg = kkt->state();
    EXPECT_EQ(reg.totals.sell, 31600);
    EXPECT_FALSE(reg.receipt.has_value());

    // The database: the receipt under the register's number and sign, and its lines.
    const auto docs = rows(QStringLiteral("SELECT * FROM DOCUMENTS"));
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].integer("DOC_ID"), stored);
    EXPECT_EQ(docs[0].integer("DOC_TYPE"), 3);
    EXPECT_EQ(docs[0].integer("DOC_CHECK_TYPE"), 1);
    EXPECT_EQ(docs[0].integer("DOC_NUMBER"), reg.lastDocument.number);
    EXPECT_EQ(docs[0].str("DOC_FPD"), reg.lastDocument.fiscalSign);
    EXPECT_EQ(docs[0].str("DOC_SUMM_FULL"), QStringLiteral("316.00"));
    EXPECT_EQ(docs[0].str("DOC_PAY_NAL"), QStringLiteral("316.00"));
    EXPECT_EQ(docs[0].str("DOC_USER"), QStringLiteral("Иванов И.И."));
    const auto lines = rows(QStringLiteral("SELECT * FROM DOCUMENTS_DETAIL ORDER BY DD_GOOD_ID"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].str("DD_GOOD_NAME"), QStringLiteral("Хлеб"));
    EXPECT_EQ(lines[0].str("DD_GOOD_COUNT"), QStringLiteral("2"));
    EXPECT_EQ(lines[0].str("DD_GOOD_PRICE_CURRENT"), QStringLiteral("50.00"));
    EXPECT_EQ(lines[1].str("DD_GOOD_NAME"), QStringLiteral("Молоко"));
    EXPECT_EQ(lines[1].str("DD_GOOD_COUNT"), QStringLiteral("3"));
    EXPECT_EQ(lines[1].str("DD_GOOD_PRICE_MAIN"), QStringLiteral("80.00"));
    EXPECT_EQ(lines[1].str("DD_GOOD_PRICE_CURRENT"), QStringLiteral("72.00"));
    EXPECT_EQ(lines[1].integer("DD_TAXRATE"), 2);

    // Ready for the next customer: the next scan starts a new receipt.
    EXPECT_TRUE(screen->receipt().isEmpty());
    EXPECT_EQ(screen->lblChekItogo->text(), QStringLiteral("0.00 "));
    scan(QStringLiteral("4600000000024"));
    EXPECT_EQ(cell(1, ReceiptModel::ColName), QStringLiteral("Молоко"));
    EXPECT_EQ(cell(1, ReceiptModel::ColPrice), QStringLiteral("80.00"));
}

}  // namespace
