// The search window's copy commands on a real database and the main screen:
// a stored sale copied whole or by one position into the receipt in progress.
#include "archive/ArchiveWindows.h"
#include "archive/RefundScreen.h"
#include "archive/StoredGoodsCheck.h"
#include "archive/uFindCheck.h"

#include "ReportTestSupport.h"
#include "core/DataModule.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "sales/closing/CloseReceipt.h"
#include "platform/sys/ProgramFolder.h"
#include "sales/closing/PrintJournal.h"
#include "sales/closing/ReceiptLines.h"
#include "sales/closing/ReceiptStore.h"
#include "sales/closing/RefundLimits.h"
#include "sales/screen/uCountInput.h"
#include "sales/receipt/ReceiptCalc.h"
#include "sales/WhenReady.h"
#include "sales/closing/uCheckInfo.h"
#include "sales/closing/uPayCheck.h"
#include "sales/input/ItemEntry.h"
#include "sales/input/KeyRouter.h"
#include "sales/marking/MarkedEntry.h"
#include "sales/receipt/PositionEdits.h"
#include "sales/screen/RefundGuard.h"
#include "sales/screen/Registration_Mode.h"
#include "support/FakeMessages.h"
#include "support/UpgradedDbFixture.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using M = sales::ReceiptModel;

const QString kMarkCode = QStringLiteral("010460000000000121ABC\x1d" "93abcd");

class RefundWindowTest : public testsupport::UpgradedDbTest {
protected:
    // The receipt in progress paid in cash from "РАСЧЕТ" and printed.
    void payInCashAndPrint() {
        salestest::when([] { return fmPayCheck && fmPayCheck->isVisible(); },
                        [] { QTest::mouseClick(fmPayCheck->Button12, Qt::LeftButton); });
        salestest::when([] { return fmCheckInfo && fmCheckInfo->isVisible() && !fmCheckInfo->Timer1->isActive(); },
                        [] { QTest::mouseClick(fmCheckInfo->btnCancel, Qt::LeftButton); });
        QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
    }

    // A cashier on the screen and on the register, with a shift open and
    // cash in the drawer to refund from.
    void cashierWithShift(const char* cash) {
        core::SessionUser user;
        user.userId = 7;
        user.name = "Иванов И.И.";
        user.postLabel = "Кассир : ";
        screen->setUser(user);
        fiscal::RegisterEmulator* kkt = emulator();
        ASSERT_NE(kkt, nullptr);
        kkt->setParam(fiscal::tag::CashierName, "Иванов И.И.");
        ASSERT_EQ(kkt->operatorLogin(), 0);
        ASSERT_EQ(kkt->openShift(), 0);
        kkt->setParam(fiscal::LIBFPTR_PARAM_SUM, cash);
        ASSERT_EQ(kkt->cashIncome(), 0);
    }

    void SetUp() override {
        UpgradedDbTest::SetUp();
        if (HasFatalFailure()) return;
        module = std::make_unique<core::TDataModule1>();
        core::DataModule1 = module.get();
        module->connectDatabase();
        screen = std::make_unique<TfmReg>(nullptr, [this]() -> std::unique_ptr<fiscal::IFiscalDriver> {
            return std::make_unique<fiscal::RegisterEmulator>(registerFolder.path());
        });
        screen->setQuitOnClose(false);
        archive::installArchiveWindows(*screen, sales::installSaleCommands(*screen));
        // Stored sales are copied only to be returned.
        ASSERT_TRUE(screen->setReceiptKind(2));

        fb::Transaction tr(db());
        fb::execute(tr,
                    "INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP, GOOD_W, "
                    "GOOD_COUNTRY_CODE) VALUES (7, 'Хлеб', 1, 0, '0', '643')");
        fb::execute(tr,
                    "INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP, GOOD_W) "
                    "VALUES (8, 'Сыр', 1, 0, '1')");
        tr.commit();
    }
    void TearDown() override {
        screen.reset();
        // A test that put item entry on the screen put the key router on the application.
        sales::KeyRouter::uninstall();
        module.reset();
        core::DataModule1 = nullptr;
        UpgradedDbTest::TearDown();
    }
    void receipt(int id, const QString& fpd, const QString& buyer, const QString& inn, int checkType = 1,
                 int docType = 3) {
        fb::Transaction tr(db());
        fb::execute(tr,
                    "INSERT INTO DOCUMENTS (DOC_ID, DOC_TYPE, DOC_CHECK_TYPE, DOC_DATE_D, DOC_TIME_T, DOC_FPD, "
                    "DOC_BUYER_NAME, DOC_BUYER_INN, DOC_SUMM_FULL) VALUES (?, ?, ?, ?, '12:30:00', ?, ?, ?, '0')",
                    {std::int64_t{id}, std::int64_t{docType}, std::int64_t{checkType},
                     QDate(2024, 2, 5).addDays(id), fpd, buyer, inn});
        tr.commit();
    }
    void line(int docId, int goodId, const QString& name, const QString& price, const QString& count, int payType,
              std::optional<int> unit = 0) {
        fb::Transaction tr(db());
        fb::execute(tr,
                    "INSERT INTO DOCUMENTS_DETAIL (DD_DOC_ID, DD_GOOD_ID, DD_GOOD_NAME, DD_GOOD_TYPE, "
                    "DD_GOOD_PRICE_CURRENT, DD_GOOD_COUNT, DD_GOOD_PAYTYPE, DD_GOOD_EDIZM) "
                    "VALUES (?, ?, ?, '1', ?, ?, ?, ?)",
                    {std::int64_t{docId}, std::int64_t{goodId}, name, price, count, std::int64_t{payType},
                     unit ? fb::Value(std::int64_t{*unit}) : fb::Value(fb::Null{})});
        tr.commit();
    }

    // Makes the goods of a stored line marked shoes sold whole or by a fraction.
    void mark(int docId, const QString& fraction) {
        fb::Transaction tr(db());
        fb::execute(tr,
                    "UPDATE DOCUMENTS_DETAIL SET DD_GTIN='04600000000001', DD_SERIAL_GTIN='ABC', "
                    "DD_DM_FULL=?, DD_MARKTYPE=5, DD_TAXRATE=1, DD_FRACTIONAL_COUNT=? WHERE DD_DOC_ID=?",
                    {kMarkCode, fraction.isEmpty() ? fb::Value(fb::Null{}) : fb::Value(fraction),
                     std::int64_t{docId}});
        tr.commit();
    }
    fiscal::RegisterEmulator* emulator() const { return dynamic_cast<fiscal::RegisterEmulator*>(screen->KKTDriver()); }

    // The fiscal sign of the one sale stored so far.
    QString storedSaleFpd() {
        fb::Transaction tr(db());
        return fb::query(tr, "SELECT DOC_FPD FROM DOCUMENTS WHERE DOC_CHECK_TYPE=1").front().str("DOC_FPD").trimmed();
    }

    // The search window on the main screen, found by fiscal sign.
    QPointer<TfmFindCheck> openFound(const QString& fpd) {
        QPointer<TfmFindCheck> w =
            new TfmFindCheck(params(), screen->receiptKindText(), reporttest::programFolder(), screen.get());
        archive::attachRefunds(*w, *screen, module->IBDatabase1());
        w->show();
        auto* find = w->findChild<QLineEdit*>("edFPDFind");
        find->setText(fpd);
        QTest::mouseClick(w->findChild<QPushButton*>("btnFind"), Qt::LeftButton);
        return w;
    }

    QStringList rows() const {
        QStringList out;
        const M& m = screen->receipt();
        for (int r = 1; r < m.rowCount(); ++r)
            if (m.isActive(r))
                out << QStringList{m.cell(r, M::ColPosNo), m.cell(r, M::ColId),  m.cell(r, M::ColKind),
                                   m.cell(r, M::ColName),  m.cell(r, M::ColQty), m.cell(r, M::ColSum)}
                           .join("|");
        return out;
    }

    QTemporaryDir registerFolder;
    std::unique_ptr<core::TDataModule1> module;
    std::unique_ptr<TfmReg> screen;
    testsupport::FakeMessages messages;
};

}  // namespace

TEST_F(RefundWindowTest, WholeReceiptAndOnePositionReplaceTheReceiptInProgress) {
    receipt(1, "1001", "", "");
    line(1, 7, "Хлеб", "40.00", "2", 1);
    line(1, 8, "Сыр", "500.00", "0.250", 4);
    line(1, 7, "Хлеб", "40.00", "3", 4);
    receipt(2, "1002", "ООО Ромашка", "7701000000");
    line(2, 8, "Сыр", "500.00", "0.250", 2);
    line(2, 8, "Сыр", "500.00", "0.500", 2);

    QPointer<TfmFindCheck> w = openFound("1001");
    ASSERT_TRUE(w->findChild<QGroupBox*>("GroupBox3")->isEnabled());
    QTest::mouseClick(w->findChild<QPushButton*>("btnCheckOpen"), Qt::LeftButton);
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.last().toStdString();
    EXPECT_FALSE(w->isVisible()) << "the search window closes after the copy";
    EXPECT_EQ(rows(), (QStringList{"1|7|P|Хлеб|5|200.00", "2|8|W|Сыр|0.250|125.00"}));
    EXPECT_EQ(screen->edFPD->text(), "1001");
    EXPECT_EQ(sales::controlTag(screen->edFPD), 1);
    EXPECT_EQ(screen->PaymentMethodFlag(), 1) << "the first position's payment method";
    EXPECT_FALSE(screen->chLE->isChecked());
    delete w.data();

    // One position of a receipt with a buyer: the receipt before is replaced.
    w = openFound("1002");
    w->DBGrid2->setCurrentIndex(w->DBGrid2->model()->index(1, 0));
    QTest::mouseClick(w->findChild<QPushButton*>("btnPositionOpen"), Qt::LeftButton);
    EXPECT_EQ(rows(), (QStringList{"1|8|W|Сыр|0.500|250.00"}));
    EXPECT_EQ(screen->edFPD->text(), "1002");
    EXPECT_EQ(sales::controlTag(screen->edFPD), 2);
    EXPECT_TRUE(screen->chLE->isChecked());
    EXPECT_EQ(screen->lblBuyerName->text(), "ООО Ромашка");
    EXPECT_EQ(screen->lblINNBuyer->text(), "7701000000");
    EXPECT_EQ(screen->PaymentMethodFlag(), 2);
    delete w.data();
}

TEST_F(RefundWindowTest, OnlyAStoredSaleIsCopiedAndOnlyIntoASaleReturn) {
    struct Case {
        const char* name;
        int screenKind;
        int storedKind;
        bool copies;
    };
    const Case cases[] = {
        {"sale into a sale return", 2, 1, true},
        {"a stored return is never refunded again", 2, 2, false},
        {"a purchase", 2, 3, false},
        {"a sale into a sale", 1, 1, false},
        {"a return into a sale", 1, 2, false},
        {"a sale into a purchase", 3, 1, false},
    };
    int docId = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ++docId;
        const QString fpd = QString::number(3000 + docId);
        receipt(docId, fpd, "", "", c.storedKind);
        line(docId, 7, "Хлеб", "40.00", "1", 4);
        ASSERT_TRUE(screen->setReceiptKind(c.screenKind));
        messages.clear();

        // The list is read as the main screen's kind narrows it; a fiscal
        // sign typed finds the receipt in every kind but a sale return.
        QPointer<TfmFindCheck> w = openFound(fpd);
        const bool listed = w->currentReceipt() != nullptr;
        EXPECT_EQ(listed, c.screenKind != 2 || c.storedKind == 1);
        EXPECT_EQ(w->btnCheckOpen->isEnabled(), c.copies);
        EXPECT_EQ(w->btnPositionOpen->isEnabled(), c.copies);
        EXPECT_EQ(w->GroupBox3->isEnabled(), c.copies);
        // A click that arrives all the same (a key, a late event) copies nothing.
        emit w->btnCheckOpen->clicked();
        emit w->btnPositionOpen->clicked();
        EXPECT_EQ(rows().isEmpty(), !c.copies);
        EXPECT_EQ(screen->edFPD->text(), c.copies ? fpd : QString());
        delete w.data();
        screen->resetReceipt();
        screen->edFPD->clear();
    }

    // The main screen's kind, not the window's, has the last word.
    receipt(50, "5000", "", "");
    line(50, 7, "Хлеб", "40.00", "1", 4);
    ASSERT_TRUE(screen->setReceiptKind(2));
    QPointer<TfmFindCheck> w = openFound("5000");
    ASSERT_TRUE(w->btnCheckOpen->isEnabled());
    ASSERT_TRUE(screen->setReceiptKind(1));
    emit w->btnCheckOpen->clicked();
    EXPECT_TRUE(rows().isEmpty());
    delete w.data();
}

TEST_F(RefundWindowTest, RefusalsLeaveTheReceiptInProgressAndTheWindowOpen) {
    receipt(1, "1001", "", "");
    line(1, 7, "Хлеб", "40.00", "1", 4);
    receipt(2, "1002", "", "");
    line(2, 7, "Хлеб", "40.00", "1", 4);
    line(2, 7, "Хлеб", "41.01", "1", 4);
    receipt(3, "1003", "", "");
    line(3, 7, "Хлеб", "40.00", "1", 4, std::nullopt);
    receipt(4, "1004", "", "");
    line(4, 7, "Хлеб", "40.00", "1", 4);
    // A marked line whose code the fiscal drive finds bad; the cashier
    // does not wait for the marking system.
    mark(4, "1/4");
    fiscal::MarkingScript negative;
    negative.validationResult = 1;
    emulator()->scriptMarkingCode(kMarkCode, negative);

    QPointer<TfmFindCheck> w = openFound("1001");
    QTest::mouseClick(w->findChild<QPushButton*>("btnCheckOpen"), Qt::LeftButton);
    const QStringList before = rows();
    ASSERT_EQ(before, QStringList{"1|7|P|Хлеб|1|40.00"});
    delete w.data();

    for (const QString fpd : {"1002", "1003", "1004"}) {
        messages.clear();
        w = openFound(fpd);
        QTest::mouseClick(w->findChild<QPushButton*>("btnCheckOpen"), Qt::LeftButton);
        if (fpd == "1004") {
            EXPECT_EQ(messages.boxes.size(), 2u);
            EXPECT_EQ(messages.last(), " Проверка КМ прервана пользователем.     ");
        } else {
            EXPECT_EQ(messages.boxes.size(), 1u) << fpd.toStdString();
        }
        EXPECT_TRUE(w->isVisible()) << fpd.toStdString();
        EXPECT_EQ(rows(), before) << fpd.toStdString();
        EXPECT_EQ(screen->edFPD->text(), "1001") << fpd.toStdString();
        delete w.data();
    }
}

TEST_F(RefundWindowTest, MarkedLinesComeBackOnlyWithTheRegistersCheckForTheReturn) {
    struct Case {
        const char* name;
        QString fraction;
        int status;
        bool registerAnswers;
    };
    const Case cases[] = {
        {"whole unit", "", 3, true},
        {"part of a pack", "1/4", 4, true},
        {"register gone", "", 0, false},
    };
    int docId = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ++docId;
        const QString fpd = QString::number(2000 + docId);
        receipt(docId, fpd, "", "");
        line(docId, 7, "Хлеб", "40.00", "1", 4);
        mark(docId, c.fraction);
        fiscal::RegisterEmulator* kkt = emulator();
        ASSERT_NE(kkt, nullptr);
        kkt->clearJournal();
        kkt->scriptMarkingCode(kMarkCode, fiscal::MarkingScript{});
        if (!c.registerAnswers) kkt->failAlways("open", fiscal::LIBFPTR_ERROR_NO_CONNECTION, "Нет связи");
        messages.clear();
        screen->MarkedItems().clear();

        QPointer<TfmFindCheck> w = openFound(fpd);
        QTest::mouseClick(w->findChild<QPushButton*>("btnCheckOpen"), Qt::LeftButton);

        QStringList begins;
        for (const fiscal::JournalEntry& e : kkt->journal())
            if (e.method == "beginMarkingCodeValidation")
                begins << e.params.value(fiscal::LIBFPTR_PARAM_MARKING_CODE_STATUS).toString() + "|" +
                              e.params.value(fiscal::LIBFPTR_PARAM_MARKING_FRACTIONAL_QUANTITY).toString();
        if (!c.registerAnswers) {
            EXPECT_TRUE(begins.isEmpty());
            EXPECT_EQ(messages.texts(), QStringList{archive::kNoRegisterForMarkingText});
            EXPECT_TRUE(w->isVisible());
            EXPECT_TRUE(screen->MarkedItems().isEmpty());
            EXPECT_FALSE(screen->KKTConnected());
            kkt->clearFailures();
            delete w.data();
            continue;
        }
        EXPECT_TRUE(messages.texts().isEmpty()) << messages.last().toStdString();
        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(begins, QStringList{QString::number(c.status) + "|" + c.fraction});
        EXPECT_TRUE(kkt->state().acceptedMarkingCodes.contains(kMarkCode));
        ASSERT_EQ(screen->MarkedItems().size(), 1);
        const QStringList entry = screen->MarkedItems().front();
        EXPECT_EQ(entry.value(sales::MarkFullCode), kMarkCode);
        EXPECT_EQ(entry.value(sales::MarkSerial), "ABC");
        EXPECT_EQ(entry.value(sales::MarkStatus), QString::number(c.status));
        EXPECT_EQ(entry.value(sales::MarkOnlineResult), "15");
        EXPECT_EQ(entry.value(sales::MarkNumerator), c.fraction.isEmpty() ? "0" : "1");
        delete w.data();
    }
}

TEST_F(RefundWindowTest, TheMenuItemsSearchWindowCopiesTheReceipt) {
    receipt(1, "1001", "", "");
    line(1, 7, "Хлеб", "40.00", "2", 3);
    bool found = false;
    bool wholeOn = false;
    bool positionOn = false;
    QTimer::singleShot(0, [&] {
        ASSERT_NE(fmFindCheck, nullptr);
        fmFindCheck->findChild<QLineEdit*>("edFPDFind")->setText("1001");
        QTest::mouseClick(fmFindCheck->findChild<QPushButton*>("btnFind"), Qt::LeftButton);
        found = fmFindCheck->currentReceipt() != nullptr;
        wholeOn = fmFindCheck->findChild<QPushButton*>("btnCheckOpen")->isEnabled();
        positionOn = fmFindCheck->findChild<QPushButton*>("btnPositionOpen")->isEnabled();
        QTest::mouseClick(fmFindCheck->findChild<QPushButton*>("btnCheckOpen"), Qt::LeftButton);
        // The copy closes the window; should it not, the test must not hang.
        if (fmFindCheck && fmFindCheck->isVisible()) fmFindCheck->reject();
    });
    screen->MFindCheckClick();
    EXPECT_TRUE(found);
    EXPECT_TRUE(wholeOn);
    EXPECT_TRUE(positionOn);
    EXPECT_EQ(rows(), QStringList{"1|7|P|Хлеб|2|80.00"});
    EXPECT_EQ(screen->edFPD->text(), "1001");
    EXPECT_EQ(screen->PaymentMethodFlag(), 3);
}

TEST_F(RefundWindowTest, ReturnedMarkedUnitIsPrintedAndStoredWithItsCode) {
    screen->setTaxSystem(1);
    // Numbered beyond the generator, so the return takes a number of its own.
    receipt(500, "1001", "", "");
    line(500, 7, "Хлеб", "40.00", "1", 4);
    mark(500, "");
    ASSERT_NO_FATAL_FAILURE(cashierWithShift("500.00"));
    fiscal::RegisterEmulator* kkt = emulator();
    ASSERT_TRUE(screen->setReceiptKind(2));

    QPointer<TfmFindCheck> w = openFound("1001");
    QTest::mouseClick(w->findChild<QPushButton*>("btnCheckOpen"), Qt::LeftButton);
    ASSERT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    delete w.data();

    payInCashAndPrint();
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();

    fiscal::ParamList registered;
    for (const fiscal::JournalEntry& e : kkt->journal())
        if (e.method == "registration") registered = e.params;
    EXPECT_EQ(registered.value(fiscal::LIBFPTR_PARAM_MARKING_CODE).toString(), kMarkCode);
    EXPECT_EQ(registered.value(fiscal::LIBFPTR_PARAM_MARKING_CODE_STATUS).toInt(), fiscal::LIBFPTR_MES_PIECE_RETURN);
    EXPECT_EQ(kkt->state().totals.sellReturn, 4000);

    fb::Transaction tr(db());
    const std::vector<fb::Row> stored =
        fb::query(tr, "SELECT DD_DM_FULL, DD_SERIAL_GTIN, DD_MARKTYPE FROM DOCUMENTS_DETAIL WHERE DD_DOC_ID <> 500");
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].str("DD_DM_FULL"), kMarkCode);
    EXPECT_EQ(stored[0].str("DD_SERIAL_GTIN"), "ABC");
    EXPECT_EQ(stored[0].str("DD_MARKTYPE").trimmed(), "5");
}

namespace {

const QChar kGsChar(char16_t(0x1D));

}  // namespace

// Every marked unit sold and stored by the sale's own storing comes back into
// stock by exactly what its sale took out, when its stored receipt is copied
// whole and printed as a return.
TEST_F(RefundWindowTest, ReturnedMarkedUnitsComeBackIntoStockAsTheirSaleTookThemOut) {
    struct Case {
        const char* name;
        int goodId;
        QString price;
        QString code;  // empty: sold "без маркировки"
        QString num, den;
        int soldOut;  // what the sale took out of the 50 in stock
    };
    const Case cases[] = {
        {"tobacco pack", 9, "123.00", QStringLiteral("04606203086627PACK001AB,8xY.;"), "0", "0", 1},
        {"tobacco block", 9, "1250.00",
         QStringLiteral("010460620308662721BLOCK01") + kGsChar + QStringLiteral("8005125000") + kGsChar +
             QStringLiteral("93ab,?"),
         "0", "0", 10},
        {"part of a pack", 10, "99.99",
         QStringLiteral("010460700000001121aB3;.?") + kGsChar + QStringLiteral("93k9/:"), "1", "3", 0},
        {"tobacco pack without its code", 9, "123.00", QString(), "0", "0", 0},
    };
    {
        fb::Transaction tr(db());
        fb::execute(tr,
                    "INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP, GOOD_W, GOOD_MARKTYPE, "
                    "GOOD_EDIZM_FFD, GOOD_TYPE) VALUES (9, 'Сигареты', 1, 0, '0', 4, 0, 'АТ')");
        fb::execute(tr,
                    "INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP, GOOD_W, GOOD_MARKTYPE, "
                    "GOOD_EDIZM_FFD, GOOD_PACKCOUNT, GOOD_TYPE) VALUES (10, 'Творог', 1, 0, '1', 13, 0, 3, 'Т')");
        tr.commit();
    }
    screen->setTaxSystem(2);
    ASSERT_NO_FATAL_FAILURE(cashierWithShift("5000.00"));
    auto stock = [this](int goodId) {
        fb::Transaction tr(db());
        return fb::query(tr, "SELECT GOOD_COUNT FROM GOODS WHERE GOOD_ID=?", {std::int64_t{goodId}})
            .front()
            .str("GOOD_COUNT")
            .trimmed();
    };

    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        exec(QStringLiteral("UPDATE GOODS SET GOOD_COUNT='50' WHERE GOOD_ID=%1").arg(c.goodId));
        // The receipt window puts the screen back to its default kind after each print.
        ASSERT_TRUE(screen->setReceiptKind(2));
        screen->setTaxSystem(2);
        // The sale as closing hands it to storing: the position and its record.
        sales::ReceiptModel sale;
        sales::GoodRecord g;
        g.id = QString::number(c.goodId);
        g.name = c.goodId == 9 ? "Сигареты" : "Творог";
        g.weighed = c.goodId == 9 ? "0" : "1";
        g.type = c.goodId == 9 ? "АТ" : "Т";
        g.country = "643";
        g.markType = c.goodId == 9 ? "4" : "13";
        g.measure = "0";
        g.vat = "6";
        const bool part = c.num != "0";
        const sales::Qty qty = part ? sales::Qty::fromThousandths(333) : sales::Qty::units(1);
        const QString gtin = c.code.isEmpty() ? QString() : c.code.size() == 29 ? c.code.left(14) : c.code.mid(2, 14);
        const QString serial = c.code.isEmpty() ? QString() : c.code.size() == 29 ? c.code.mid(14, 7)
                                                                                     : c.code.mid(18, c.goodId == 9 ? 7 : 6);
        const int row = sales::addGoodPosition(sale, g, c.price, qty, gtin);
        ASSERT_EQ(row, 1);
        const QString kind = c.code.isEmpty() ? "0" : c.code.size() == 29 ? "1" : c.goodId == 9 ? "10" : "0";
        QList<QStringList> marks{{g.id, gtin, serial, "", c.code, "1", "15", c.num, c.den, kind}};
        if (part) sale.setAttr(row, sales::ReceiptModel::AttrPackParts, c.num + "/" + c.den);
        ASSERT_TRUE(sales::RecalcReceipt(sale, sales::ReceiptContext{"ПРИХОД", false}).ok());
        sales::ReceiptLinesInput in;
        in.receipt = &sale;
        in.markedItems = &marks;
        in.taxSystemCode = 2;
        const sales::ReceiptLinesResult lines = sales::buildReceiptLines(in, {}, {});
        ASSERT_TRUE(lines.built()) << lines.message.toStdString();
        sales::PrintJob job;
        job.cashierName = "Иванов И.И.";
        job.kind = 1;
        job.taxSystemCode = 2;
        job.lines = lines.lines;
        job.total = sales::calcReceiptTotal(sale);
        job.totalText = job.total.toString();
        job.cash = job.total;
        ++number;
        const QString fpd = QString::number(7000 + number);
        sales::FiscalDocumentInfo doc;
        doc.read = true;
        doc.number = 900 + number;
        doc.fiscalSign = fpd;
        doc.dateTime = QDateTime::currentDateTime();
        ASSERT_EQ(sales::storeReceipt(module->IBDatabase1(), job, doc).failure, sales::StoreResult::Failure::None);
        EXPECT_EQ(stock(c.goodId), QString::number(50 - c.soldOut));

        // The return: the stored receipt copied whole and printed.
        messages.clear();
        QPointer<TfmFindCheck> w = openFound(fpd);
        QTest::mouseClick(w->findChild<QPushButton*>("btnCheckOpen"), Qt::LeftButton);
        ASSERT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
        delete w.data();
        payInCashAndPrint();
        EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
        EXPECT_TRUE(screen->receipt().isEmpty()) << "the return was printed and stored";
        EXPECT_EQ(stock(c.goodId), "50");
    }
}

// A copy abandoned at its second marked line leaves no code of it accepted
// on the register, unless a marked unit of the receipt in progress still
// needs the register's table of accepted codes to be printed.
TEST_F(RefundWindowTest, AbandonedCopyLeavesNoCodeAcceptedThatNothingWillSell) {
    const QString second = QStringLiteral("010460000000000121XYZ\x1d" "93wxyz");
    const QString kept = QStringLiteral("010460000000000121KPT\x1d" "93kept");
    auto markLine = [this](int docId, const QString& name, const QString& code) {
        fb::Transaction tr(db());
        fb::execute(tr,
                    "UPDATE DOCUMENTS_DETAIL SET DD_GTIN='04600000000001', DD_SERIAL_GTIN=?, DD_DM_FULL=?, "
                    "DD_MARKTYPE=5, DD_TAXRATE=1 WHERE DD_DOC_ID=? AND DD_GOOD_NAME=?",
                    {code.mid(18, 3), code, std::int64_t{docId}, name});
        tr.commit();
    };
    // Two marked pairs of shoes in one sale; one pair in another.
    {
        fb::Transaction tr(db());
        fb::execute(tr,
                    "INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP, GOOD_W, GOOD_MARKTYPE) "
                    "VALUES (11, 'Туфли', 1, 0, '0', 5)");
        fb::execute(tr,
                    "INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP, GOOD_W, GOOD_MARKTYPE) "
                    "VALUES (12, 'Ботинки', 1, 0, '0', 5)");
        tr.commit();
    }
    receipt(500, "1001", "", "");
    line(500, 11, "Туфли", "40.00", "1", 4);
    line(500, 12, "Ботинки", "60.00", "1", 4);
    markLine(500, "Туфли", kMarkCode);
    markLine(500, "Ботинки", second);
    receipt(501, "1002", "", "");
    line(501, 11, "Туфли", "40.00", "1", 4);
    markLine(501, "Туфли", kept);

    screen->setTaxSystem(1);
    ASSERT_NO_FATAL_FAILURE(cashierWithShift("500.00"));
    fiscal::RegisterEmulator* kkt = emulator();
    ASSERT_TRUE(screen->setReceiptKind(2));
    // The marking system doubts the second pair; the cashier will not take it back.
    fiscal::MarkingScript doubtful;
    doubtful.onlineResult = 5;
    kkt->scriptMarkingCode(second, doubtful);

    auto copyWhole = [this](const QString& fpd) {
        messages.clear();
        QPointer<TfmFindCheck> w = openFound(fpd);
        QTest::mouseClick(w->findChild<QPushButton*>("btnCheckOpen"), Qt::LeftButton);
        const bool copied = !w->isVisible();
        delete w.data();
        return copied;
    };
    auto accepted = [kkt] { return kkt->state().acceptedMarkingCodes; };

    // Nothing in the receipt in progress: the first pair's code is forgotten too.
    ASSERT_FALSE(copyWhole("1001"));
    EXPECT_EQ(messages.boxes.size(), 1u) << "only the cashier's question";
    EXPECT_TRUE(screen->receipt().isEmpty());
    EXPECT_TRUE(accepted().isEmpty()) << accepted().join(" ").toStdString();

    // A return in progress whose pair was accepted: its code must stay, so
    // the register's table is left as it is.
    ASSERT_TRUE(copyWhole("1002"));
    ASSERT_EQ(accepted().join(" ").toStdString(), kept.toStdString());
    ASSERT_FALSE(copyWhole("1001"));
    EXPECT_TRUE(accepted().contains(kept));
    EXPECT_EQ(screen->edFPD->text(), "1002");
    ASSERT_EQ(screen->MarkedItems().size(), 1);

    // And that return is printed with its code.
    messages.clear();
    payInCashAndPrint();
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_TRUE(screen->receipt().isEmpty());
    EXPECT_EQ(kkt->state().totals.sellReturn, 4000);
    EXPECT_FALSE(accepted().contains(kept));
}

namespace {

// The sum of the rows of DOCUMENTS that `where` picks, read as money.
QString storedSums(fb::Connection& c, const QString& where) {
    fb::Transaction tr(c);
    QStringList out;
    for (const fb::Row& r : fb::query(tr, "SELECT DOC_SUMM_FULL, DOC_REFUND_FPD FROM DOCUMENTS WHERE " + where +
                                              " ORDER BY DOC_ID"))
        out << r.str("DOC_SUMM_FULL").trimmed() + "@" + r.str("DOC_REFUND_FPD").trimmed();
    return out.join(",");
}

}  // namespace

// A sale is returned in parts and in whole, each return printed and stored:
// together they never give back more than the sale sold, line by line.
TEST_F(RefundWindowTest, ReturnsOfOneSaleTakeOnlyWhatIsLeftOfIt) {
    exec("UPDATE GOODS SET GOOD_COUNT='100', GOOD_EDIZM_FFD=0, GOOD_NALOG='6', GOOD_TYPE='Т' WHERE GOOD_ID=7");
    exec("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP, GOOD_W, GOOD_COUNT, GOOD_EDIZM_FFD, "
         "GOOD_NALOG, GOOD_TYPE) VALUES (11, 'Молоко', 1, 0, '0', '100', 0, '6', 'Т')");
    screen->setTaxSystem(2);
    ASSERT_NO_FATAL_FAILURE(cashierWithShift("1000.00"));
    fiscal::RegisterEmulator* kkt = emulator();
    // The position commands of the main screen: quantity, delete.
    installPositionEdits(*screen);

    // The sale, from the screen to the register and the database.
    ASSERT_TRUE(screen->setReceiptKind(1));
    auto good = [](const char* id, const char* name) {
        sales::GoodRecord g;
        g.id = id;
        g.name = name;
        g.weighed = "0";
        g.type = "Т";
        g.country = "643";
        g.markType = "0";
        g.measure = "0";
        g.vat = "6";
        return g;
    };
    sales::addGoodPosition(screen->receipt(), good("7", "Хлеб"), "50.00", sales::Qty::units(3));
    sales::addGoodPosition(screen->receipt(), good("11", "Молоко"), "85.50", sales::Qty::units(2));
    ASSERT_EQ(screen->RecalcReceipt(), 0);
    screen->updateGoodsGrid();
    payInCashAndPrint();
    ASSERT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    ASSERT_EQ(kkt->state().totals.sell, 32100);
    const QString fpd = storedSaleFpd();
    ASSERT_FALSE(fpd.isEmpty());
    auto stock = [this](int goodId) {
        fb::Transaction tr(db());
        return fb::query(tr, "SELECT GOOD_COUNT FROM GOODS WHERE GOOD_ID=?", {std::int64_t{goodId}})
            .front()
            .str("GOOD_COUNT")
            .trimmed();
    };
    ASSERT_EQ(stock(7), "97");
    ASSERT_EQ(stock(11), "98");

    // The quantity window on the current row of the receipt in progress.
    auto typeQuantity = [this](const char* quantity) {
        salestest::when([] { return fmCountInput && fmCountInput->isVisible(); },
                        [quantity] {
                            fmCountInput->clearText();
                            for (const QChar c : QString(quantity)) fmCountInput->typeKey(c);
                            fmCountInput->BitBtn14Click();
                            // A refusal keeps the window open: it is closed as the cashier would.
                            if (fmCountInput && fmCountInput->isVisible()) fmCountInput->reject();
                        });
        QTest::mouseClick(screen->BitBtn2, Qt::LeftButton);
    };
    auto copy = [this, &fpd](bool whole, int position = 0) {
        ASSERT_TRUE(screen->setReceiptKind(2));
        screen->setTaxSystem(2);
        QPointer<TfmFindCheck> w = openFound(fpd);
        w->DBGrid2->setCurrentIndex(w->DBGrid2->model()->index(position, 0));
        QTest::mouseClick(whole ? w->btnCheckOpen : w->btnPositionOpen, Qt::LeftButton);
        delete w.data();
    };

    // Two loaves back of three: more than three is refused on the screen.
    copy(false);
    ASSERT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(rows(), QStringList{"1|7|P|Хлеб|3|150.00"});
    typeQuantity("5");
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.last(), sales::refundExceedsText("Хлеб", sales::Qty::units(3), sales::Qty::units(5)));
    EXPECT_EQ(rows(), QStringList{"1|7|P|Хлеб|3|150.00"});
    messages.clear();
    typeQuantity("2");
    EXPECT_EQ(rows(), QStringList{"1|7|P|Хлеб|2|100.00"});
    payInCashAndPrint();
    ASSERT_TRUE(messages.boxes.empty()) << messages.last().toStdString();

    // The loaf left, and no more.
    copy(false);
    EXPECT_EQ(rows(), QStringList{"1|7|P|Хлеб|1|50.00"});
    typeQuantity("2");
    EXPECT_EQ(messages.last(), sales::refundExceedsText("Хлеб", sales::Qty::units(1), sales::Qty::units(2)));
    messages.clear();
    payInCashAndPrint();
    ASSERT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    copy(false);
    EXPECT_EQ(messages.last(), sales::refundLimitText::kPositionFullyReturned);
    EXPECT_TRUE(rows().isEmpty());
    messages.clear();

    // The whole receipt: only the milk is left.
    copy(true);
    ASSERT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(rows(), QStringList{"1|11|P|Молоко|2|171.00"});
    payInCashAndPrint();
    ASSERT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    copy(true);
    EXPECT_EQ(messages.last(), sales::refundLimitText::kSaleFullyReturned);
    EXPECT_TRUE(rows().isEmpty());
    copy(false, 1);
    EXPECT_EQ(messages.last(), sales::refundLimitText::kPositionFullyReturned);
    EXPECT_TRUE(rows().isEmpty());

    EXPECT_EQ(kkt->state().totals.sellReturn, 32100);
    EXPECT_EQ(storedSums(db(), "DOC_CHECK_TYPE=2"), "100.00@" + fpd + ",50.00@" + fpd + ",171.00@" + fpd);
    EXPECT_EQ(stock(7), "100");
    EXPECT_EQ(stock(11), "100");
}

namespace {

const QString kPackGtin = QStringLiteral("04600000000028");
const QString kSoldPart = QStringLiteral("010460000000002821AAAAAA") + kGsChar + QStringLiteral("93abcd");
const QString kOtherPart = QStringLiteral("010460000000002821BBBBBB") + kGsChar + QStringLiteral("93efgh");

}  // namespace

// A return of part of a marked pack: the copied position excluded, a part of
// another pack scanned into the return. Only the scanned part is refunded,
// with its own code; the excluded one's unit is neither refunded nor sent.
TEST_F(RefundWindowTest, AnExcludedPositionsUnitsAreNeitherRefundedNorSent) {
    exec("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_ISGOOD, GOOD_PARENTGROUP, GOOD_W, GOOD_MARKTYPE, "
         "GOOD_EDIZM_FFD, GOOD_PACKCOUNT, GOOD_TYPE, GOOD_NALOG, GOOD_COUNT, GOOD_COUNTRY_CODE) "
         "VALUES (10, 'Сырок', '400.00', 1, 0, '1', 13, 0, 7, 'Т', '6', '50', '643')");
    screen->setTaxSystem(2);
    ASSERT_NO_FATAL_FAILURE(cashierWithShift("1000.00"));
    fiscal::RegisterEmulator* kkt = emulator();
    // The position commands of the main screen: quantity, delete.
    installPositionEdits(*screen);
    // The register accepts a code the way a scan leaves it validated.
    auto accept = [kkt](const QString& code, int status, const QString& fraction) {
        kkt->setParam(fiscal::LIBFPTR_PARAM_MARKING_CODE, code);
        kkt->setParam(fiscal::LIBFPTR_PARAM_MARKING_CODE_STATUS, status);
        kkt->setParam(fiscal::LIBFPTR_PARAM_MARKING_FRACTIONAL_QUANTITY, fraction);
        ASSERT_EQ(kkt->beginMarkingCodeValidation(), 0);
        for (int i = 0; i < 5 && !kkt->getParamBool(fiscal::LIBFPTR_PARAM_MARKING_CODE_VALIDATION_READY); ++i)
            kkt->getMarkingCodeValidationStatus();
        ASSERT_EQ(kkt->acceptMarkingCode(), 0);
    };
    sales::FoundGoods goods;
    goods.good.id = "10";
    goods.good.name = "Сырок";
    goods.good.price = "400.00";
    goods.good.weighed = "1";
    goods.good.type = "Т";
    goods.good.country = "643";
    goods.good.markType = "13";
    goods.good.measure = "0";
    goods.good.vat = "6";
    goods.fractionalAllow = true;
    goods.markType = 13;
    goods.packCount = 7;
    goods.measure = 0;
    sales::ItemEntryController* entry = sales::installItemEntry(*screen);
    auto scanPart = [&](const QString& code, const QString& serial, int num, int status) {
        sales::marking::MarkedScan unit;
        unit.code = code;
        unit.gtin = kPackGtin;
        unit.serial = serial;
        unit.fraction = sales::Fraction{num, 7, QString::number(num) + "/7"};
        unit.validation = sales::marking::MarkValidation{true, status, 15};
        return sales::marking::addMarkedPosition(entry->entryScreen(), screen->MarkedItems(), goods, unit);
    };

    // The sale: 2/7 of a pack, 114.29, and 1/7 of another, 57.14.
    ASSERT_TRUE(screen->setReceiptKind(1));
    ASSERT_NO_FATAL_FAILURE(accept(kSoldPart, 2, "2/7"));
    ASSERT_EQ(scanPart(kSoldPart, "AAAAAA", 2, 2), 1);
    ASSERT_NO_FATAL_FAILURE(accept(kOtherPart, 2, "1/7"));
    ASSERT_EQ(scanPart(kOtherPart, "BBBBBB", 1, 2), 1);
    payInCashAndPrint();
    ASSERT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    ASSERT_EQ(kkt->state().totals.sell, 17143);
    const QString fpd = storedSaleFpd();

    // The return: the first part copied, its position excluded, the other
    // part scanned.
    ASSERT_TRUE(screen->setReceiptKind(2));
    screen->setTaxSystem(2);
    QPointer<TfmFindCheck> w = openFound(fpd);
    QTest::mouseClick(w->btnPositionOpen, Qt::LeftButton);
    ASSERT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    delete w.data();
    sales::findPositionEdits(*screen)->annulPosition(1, false);
    ASSERT_EQ(screen->receipt().status(1), "D");
    ASSERT_NO_FATAL_FAILURE(accept(kOtherPart, 4, "1/7"));
    ASSERT_EQ(scanPart(kOtherPart, "BBBBBB", 1, 4), 2);
    EXPECT_EQ(rows(), QStringList{"1|10|W|Сырок|0.143|57.14"});
    EXPECT_EQ(screen->receipt().attr(2, M::AttrPackParts), "1/7");
    EXPECT_EQ(screen->lblChekItogo->text(), "57.14 ");

    kkt->clearJournal();
    payInCashAndPrint();
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    QStringList registered;
    for (const fiscal::JournalEntry& e : kkt->journal())
        if (e.method == "registration")
            registered << e.params.value(fiscal::LIBFPTR_PARAM_MARKING_CODE).toString() + "|" +
                              e.params.value(fiscal::LIBFPTR_PARAM_PRICE).toString();
    EXPECT_EQ(registered, QStringList{kOtherPart + "|57.14"});
    EXPECT_EQ(kkt->state().totals.sellReturn, 5714);
    EXPECT_EQ(storedSums(db(), "DOC_CHECK_TYPE=2"), "57.14@" + fpd);
    fb::Transaction tr(db());
    const std::vector<fb::Row> stored = fb::query(
        tr, "SELECT DD_SERIAL_GTIN, DD_FRACTIONAL_COUNT FROM DOCUMENTS_DETAIL JOIN DOCUMENTS ON DOC_ID=DD_DOC_ID "
            "WHERE DOC_CHECK_TYPE=2");
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].str("DD_SERIAL_GTIN"), "BBBBBB");
    EXPECT_EQ(stored[0].str("DD_FRACTIONAL_COUNT"), "1/7");
}

// A return of a stored sale gives back no more money than the sale took:
// a higher price on a copied line is refused in the price window and again
// before printing, and a scan or a typed code that would take more than is
// left is refused at once, the receipt as it was.
TEST_F(RefundWindowTest, AReturnTakesNoMoreMoneyOrGoodsThanTheSaleLeft) {
    exec("UPDATE GOODS SET GOOD_PRICE='50.00', GOOD_COUNT='100', GOOD_EDIZM_FFD=0, GOOD_NALOG='6', GOOD_TYPE='Т' "
         "WHERE GOOD_ID=7");
    exec("INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE) VALUES (7, '4600000000007')");
    screen->setTaxSystem(2);
    ASSERT_NO_FATAL_FAILURE(cashierWithShift("1000.00"));
    fiscal::RegisterEmulator* kkt = emulator();
    installPositionEdits(*screen);
    sales::ItemEntryController* entry = sales::installItemEntry(*screen);

    // The sale: two loaves, 100.00.
    ASSERT_TRUE(screen->setReceiptKind(1));
    screen->lblVvod->setText("7");
    entry->btnCodeClick();
    screen->lblVvod->setText("7");
    entry->btnCodeClick();
    ASSERT_EQ(rows(), QStringList{"1|7|P|Хлеб|2|100.00"});
    payInCashAndPrint();
    ASSERT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    ASSERT_EQ(kkt->state().totals.sell, 10000);
    const QString fpd = storedSaleFpd();

    // The return: the position copied, both loaves left.
    ASSERT_TRUE(screen->setReceiptKind(2));
    screen->setTaxSystem(2);
    QPointer<TfmFindCheck> w = openFound(fpd);
    QTest::mouseClick(w->btnPositionOpen, Qt::LeftButton);
    delete w.data();
    ASSERT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    ASSERT_EQ(rows(), QStringList{"1|7|P|Хлеб|2|100.00"});
    const M copied = screen->receipt();

    // A third loaf, scanned or typed, is refused at once.
    const sales::Qty two = sales::Qty::units(2), three = sales::Qty::units(3);
    for (const bool scanned : {true, false}) {
        messages.clear();
        if (scanned) {
            screen->lblVvodBeginEng->setText("4600000000007");
            entry->btnBarcodeClick(sales::EntrySource::Router);
        } else {
            screen->lblVvod->setText("7");
            entry->btnCodeClick();
        }
        ASSERT_EQ(messages.boxes.size(), 1u) << scanned;
        EXPECT_EQ(messages.last(), sales::refundExceedsText("Хлеб", two, three)) << scanned;
        EXPECT_TRUE(screen->receipt().sameContent(copied)) << scanned;
    }

    // A price above what the sale took, in the price window.
    auto typePrice = [this](const char* price) {
        salestest::when([] { return fmCountInput && fmCountInput->isVisible(); },
                        [price] {
                            fmCountInput->clearText();
                            for (const QChar c : QString(price)) fmCountInput->typeKey(c);
                            fmCountInput->BitBtn14Click();
                            if (fmCountInput && fmCountInput->isVisible()) fmCountInput->reject();
                        });
        QTest::mouseClick(screen->BitBtn1, Qt::LeftButton);
    };
    const struct {
        const char* price;
        QString refusal;  // empty: taken
        const char* row;
    } prices[] = {
        {"5000", sales::refundMoneyExceedsText("Хлеб", sales::Money{10000}, sales::Money{1000000}),
         "1|7|P|Хлеб|2|100.00"},
        {"50.01", sales::refundMoneyExceedsText("Хлеб", sales::Money{10000}, sales::Money{10002}),
         "1|7|P|Хлеб|2|100.00"},
        {"40", QString(), "1|7|P|Хлеб|2|80.00"},
        {"50", QString(), "1|7|P|Хлеб|2|100.00"},
    };
    for (const auto& p : prices) {
        messages.clear();
        typePrice(p.price);
        EXPECT_EQ(messages.boxes.empty() ? QString() : messages.last(), p.refusal) << p.price;
        EXPECT_EQ(rows(), QStringList{p.row}) << p.price;
    }

    // A price written into the row past the windows: printing refuses it.
    messages.clear();
    screen->receipt().setAttr(1, M::AttrBasePrice, "60.00");
    ASSERT_EQ(screen->RecalcReceipt(), 0);
    screen->updateGoodsGrid();
    ASSERT_EQ(rows(), QStringList{"1|7|P|Хлеб|2|120.00"});
    payInCashAndPrint();
    ASSERT_FALSE(messages.boxes.empty());
    EXPECT_EQ(messages.last(), sales::refundMoneyExceedsText("Хлеб", sales::Money{10000}, sales::Money{12000}));
    EXPECT_EQ(kkt->state().totals.sellReturn, 0);
    EXPECT_EQ(storedSums(db(), "DOC_CHECK_TYPE=2"), "");

    // At the sale's price the return prints.
    messages.clear();
    typePrice("50");
    payInCashAndPrint();
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(kkt->state().totals.sellReturn, 10000);
    EXPECT_EQ(storedSums(db(), "DOC_CHECK_TYPE=2"), "100.00@" + fpd);
}

// One sale returned in pieces by every path: the weight scan with the sign
// typed (with a leading zero), a code, a raised price, the whole receipt
// copied, a typed sign under the advance flag, a sign two sales carry, and a
// database that cannot tell. The register gives back what the sale took, to
// the kopeck, and never more; stock comes back whole.
TEST_F(RefundWindowTest, ReturnsByEveryPathGiveBackExactlyWhatTheSaleTook) {
    exec("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_ISGOOD, GOOD_PARENTGROUP, GOOD_W, GOOD_COUNT, "
         "GOOD_EDIZM_FFD, GOOD_NALOG, GOOD_TYPE) VALUES (5, 'Конфеты', '12.35', 1, 0, '1', '100', 11, '6', 'Т')");
    exec("INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE) VALUES (5, '5')");
    exec("INSERT INTO BARCODE_WEIGHT_PREFIX (PREF) VALUES ('21')");
    exec("UPDATE GOODS SET GOOD_PRICE='30.83', GOOD_COUNT='100', GOOD_EDIZM_FFD=0, GOOD_NALOG='6', GOOD_TYPE='Т' "
         "WHERE GOOD_ID=7");
    screen->setTaxSystem(2);
    ASSERT_NO_FATAL_FAILURE(cashierWithShift("1000.00"));
    fiscal::RegisterEmulator* kkt = emulator();
    installPositionEdits(*screen);
    sales::ItemEntryController* entry = sales::installItemEntry(*screen);
    auto code = [&](const char* c) {
        screen->lblVvod->setText(c);
        entry->btnCodeClick();
    };
    auto scan = [&](const char* c) {
        screen->lblVvodBeginEng->setText(c);
        entry->btnBarcodeClick(sales::EntrySource::Router);
    };
    auto returnOf = [&](const QString& sign) {
        ASSERT_TRUE(screen->setReceiptKind(2));
        screen->setTaxSystem(2);
        screen->edFPD->setText(sign);
    };

    // The sale: 1.000 kg of sweets at 12.35 and three loaves at 30.83.
    ASSERT_TRUE(screen->setReceiptKind(1));
    scan("2100005010000");
    for (int i = 0; i < 3; ++i) code("7");
    ASSERT_EQ(rows(), (QStringList{"1|5|W|Конфеты|1.000|12.35", "2|7|P|Хлеб|3|92.49"}));
    payInCashAndPrint();
    ASSERT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    ASSERT_EQ(kkt->state().totals.sell, 10484);
    const QString fpd = storedSaleFpd();

    // Ten returns of 0.100 kg, the sign typed with a leading zero: each its
    // share of what is left, 12.35 in all; an eleventh gram is refused.
    for (int i = 0; i < 10; ++i) {
        messages.clear();
        returnOf("0" + fpd);
        scan("2100005001000");
        ASSERT_TRUE(messages.boxes.empty()) << i << messages.last().toStdString();
        payInCashAndPrint();
        ASSERT_TRUE(messages.boxes.empty()) << i << messages.last().toStdString();
    }
    EXPECT_EQ(kkt->state().totals.sellReturn, 1235);
    returnOf(fpd);
    scan("2100005000010");
    EXPECT_EQ(messages.last(), sales::refundExceedsText("Конфеты", sales::Qty{}, sales::Qty::fromThousandths(1)));
    EXPECT_TRUE(screen->receipt().isEmpty());

    // A loaf by its code is priced at its share; a raised price is refused.
    messages.clear();
    code("7");
    ASSERT_EQ(rows(), QStringList{"1|7|P|Хлеб|1|30.83"});
    salestest::when([] { return fmCountInput && fmCountInput->isVisible(); },
                    [] {
                        fmCountInput->clearText();
                        for (const QChar c : QString("92.49")) fmCountInput->typeKey(c);
                        fmCountInput->BitBtn14Click();
                        if (fmCountInput && fmCountInput->isVisible()) fmCountInput->reject();
                    });
    QTest::mouseClick(screen->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(messages.last(), sales::refundShareExceedsText("Хлеб", sales::Qty::units(1), sales::Money{3083},
                                                             sales::Qty::units(3), sales::Money{9249},
                                                             sales::Money{9249}));
    EXPECT_EQ(rows(), QStringList{"1|7|P|Хлеб|1|30.83"});
    messages.clear();
    payInCashAndPrint();
    ASSERT_TRUE(messages.boxes.empty()) << messages.last().toStdString();

    // The whole receipt: what is left, its sign fixed while the lines are there.
    ASSERT_TRUE(screen->setReceiptKind(2));
    screen->setTaxSystem(2);
    QPointer<TfmFindCheck> w = openFound(fpd);
    QTest::mouseClick(w->btnCheckOpen, Qt::LeftButton);
    delete w.data();
    ASSERT_EQ(rows(), QStringList{"1|7|P|Хлеб|2|61.66"});
    EXPECT_TRUE(screen->edFPD->isReadOnly());
    QTest::keyClick(screen->edFPD, Qt::Key_Backspace);
    EXPECT_EQ(screen->edFPD->text(), fpd);
    payInCashAndPrint();
    ASSERT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(kkt->state().totals.sellReturn, 10484);

    // Nothing is left: the copy, a code with the sign typed, and an advance
    // naming the sale typed after the goods are all refused; nothing prints.
    ASSERT_TRUE(screen->setReceiptKind(2));
    w = openFound(fpd);
    QTest::mouseClick(w->btnCheckOpen, Qt::LeftButton);
    EXPECT_EQ(messages.last(), sales::refundLimitText::kSaleFullyReturned);
    delete w.data();
    returnOf(" 0" + fpd + " ");
    code("7");
    EXPECT_EQ(messages.last(), sales::refundExceedsText("Хлеб", sales::Qty{}, sales::Qty::units(1)));
    screen->edFPD->clear();
    code("7");
    screen->edFPD->setText(fpd);
    screen->SetPaymentMethodFlag(3);
    messages.clear();
    payInCashAndPrint();
    EXPECT_EQ(messages.last(), sales::refundExceedsText("Хлеб", sales::Qty{}, sales::Qty::units(1)));
    EXPECT_EQ(kkt->state().totals.sellReturn, 10484);

    // A sign that is no number is refused.
    messages.clear();
    screen->SetPaymentMethodFlag(4);
    screen->edFPD->setText("12a");
    emit screen->edFPD->textEdited("12a");
    payInCashAndPrint();
    EXPECT_EQ(messages.last(), sales::refundLimitText::kSignNotNumber);

    // Two sales carry one sign: the cashier picks one, and the return counts
    // against that one only.
    receipt(90, fpd, "", "");
    line(90, 7, "Хлеб", "30.83", "1", 4);
    int asked = 0;
    sales::setRefundSaleChooser([&asked](const std::vector<sales::SaleBySign>& sales, QWidget*) {
        ++asked;
        return sales.size() == 2 ? std::optional<int>(1) : std::nullopt;
    });
    screen->edFPD->setText(fpd);
    emit screen->edFPD->textEdited(fpd);
    messages.clear();
    payInCashAndPrint();
    sales::setRefundSaleChooser({});
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(kkt->state().totals.sellReturn, 13567);

    // A database that cannot tell what is left refuses the return.
    returnOf(fpd);
    sales::setControlTag(screen->edFPD, 90);
    sales::addGoodPosition(screen->receipt(), sales::GoodRecord{"7", "Хлеб", "1.00", "0", "Т", "643", "0", "0", "6"},
                           "1.00", sales::Qty::units(1));
    screen->RecalcReceipt();
    exec("DROP INDEX IX_DOCUMENTS_REFUND_DOC");
    exec("ALTER TABLE DOCUMENTS DROP DOC_REFUND_DOC_ID");
    messages.clear();
    payInCashAndPrint();
    EXPECT_EQ(messages.last(), sales::refundLimitText::kCannotTell);
    EXPECT_EQ(kkt->state().totals.sellReturn, 13567);

    fb::Transaction tr(db());
    QStringList stock;
    for (const fb::Row& r : fb::query(tr, "SELECT GOOD_COUNT FROM GOODS WHERE GOOD_ID IN (5, 7) ORDER BY GOOD_ID"))
        stock << r.str("GOOD_COUNT").trimmed();
    EXPECT_EQ(stock, (QStringList{"100.000", "101"}));
    const auto linked =
        fb::query(tr, "SELECT COUNT(*) AS N FROM DOCUMENTS WHERE DOC_CHECK_TYPE=2 AND DOC_REFUND_FPD=?", {fpd});
    EXPECT_EQ(linked.front().integer("N"), 13);
}

// The program's own sale whose parts of packs carry prices of their own (a
// receipt discount spread over them) is copied whole and returned at the
// money each unit took: the register gives back exactly the sale's total.
TEST_F(RefundWindowTest, AWholeSaleWithPartsAtTheirOwnPricesComesBackWhole) {
    exec("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_ISGOOD, GOOD_PARENTGROUP, GOOD_W, GOOD_MARKTYPE, "
         "GOOD_EDIZM_FFD, GOOD_PACKCOUNT, GOOD_TYPE, GOOD_NALOG, GOOD_COUNT, GOOD_COUNTRY_CODE) "
         "VALUES (10, 'Сырок', '400.00', 1, 0, '1', 13, 0, 7, 'Т', '6', '50', '643')");
    exec("UPDATE GOODS SET GOOD_PRICE='45.00', GOOD_COUNT='100', GOOD_EDIZM_FFD=0, GOOD_NALOG='6', GOOD_TYPE='Т', "
         "GOOD_NAME='Булка' WHERE GOOD_ID=7");
    screen->setTaxSystem(2);
    ASSERT_NO_FATAL_FAILURE(cashierWithShift("2000.00"));
    fiscal::RegisterEmulator* kkt = emulator();
    installPositionEdits(*screen);
    sales::ItemEntryController* entry = sales::installItemEntry(*screen);
    sales::FoundGoods goods;
    goods.good = sales::GoodRecord{"10", "Сырок", "400.00", "1", "Т", "643", "13", "0", "6"};
    goods.fractionalAllow = true;
    goods.markType = 13;
    goods.packCount = 7;
    goods.measure = 0;
    auto sellPart = [&](const QString& serial, int num, bool back = false) {
        const QString code = "0104600000000028" + QStringLiteral("21") + serial + kGsChar + "93abcd";
        const int status = (num < 7 ? 2 : 1) + (back ? 2 : 0);
        kkt->setParam(fiscal::LIBFPTR_PARAM_MARKING_CODE, code);
        kkt->setParam(fiscal::LIBFPTR_PARAM_MARKING_CODE_STATUS, status);
        if (num < 7) kkt->setParam(fiscal::LIBFPTR_PARAM_MARKING_FRACTIONAL_QUANTITY, QString::number(num) + "/7");
        ASSERT_EQ(kkt->beginMarkingCodeValidation(), 0);
        for (int i = 0; i < 5 && !kkt->getParamBool(fiscal::LIBFPTR_PARAM_MARKING_CODE_VALIDATION_READY); ++i)
            kkt->getMarkingCodeValidationStatus();
        ASSERT_EQ(kkt->acceptMarkingCode(), 0);
        sales::marking::MarkedScan unit;
        unit.code = code;
        unit.gtin = "04600000000028";
        unit.serial = serial;
        if (num < 7) unit.fraction = sales::Fraction{num, 7, QString::number(num) + "/7"};
        unit.validation = sales::marking::MarkValidation{true, status, 15};
        ASSERT_GT(sales::marking::addMarkedPosition(entry->entryScreen(), screen->MarkedItems(), goods, unit), 0);
    };

    // The sale: 2/7, 1/7, 1/7 and a whole pack, a loaf, 10.00 off the receipt.
    ASSERT_TRUE(screen->setReceiptKind(1));
    ASSERT_NO_FATAL_FAILURE(sellPart("AAAAAA", 2));
    ASSERT_NO_FATAL_FAILURE(sellPart("BBBBBB", 1));
    ASSERT_NO_FATAL_FAILURE(sellPart("CCCCCC", 1));
    ASSERT_NO_FATAL_FAILURE(sellPart("DDDDDD", 7));
    screen->lblVvod->setText("7");
    entry->btnCodeClick();
    screen->receipt().setReceiptDiscount("S", "10.00");
    ASSERT_EQ(screen->RecalcReceipt(), 0);
    payInCashAndPrint();
    ASSERT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    const std::int64_t sold = kkt->state().totals.sell;
    ASSERT_EQ(storedSums(db(), "DOC_CHECK_TYPE=1"), sales::Money{sold}.toString() + "@");
    const QString fpd = storedSaleFpd();

    // Its goods check: every line's price times quantity is its sum.
    std::int64_t checkTotal = 0;
    int saleId = 0;
    {
        fb::Transaction tr(db());
        saleId = int(fb::query(tr, "SELECT DOC_ID FROM DOCUMENTS WHERE DOC_CHECK_TYPE=1").front().integer("DOC_ID"));
    }
    for (const archive::GoodsCheckLine& g : archive::goodsCheckLinesFromStored(archive::storedReceiptLines(db(), saleId))) {
        const sales::Money sum = sales::Money::parseOr(g.sum);
        EXPECT_EQ(sales::Money::round2(sales::Money::parseOr(g.price).toRational() * sales::Qty::parseOr(g.count).toRational()),
                  sum)
            << g.name.toStdString() << " " << g.price.toStdString() << " x " << g.count.toStdString();
        checkTotal += sum.kopecks;
    }
    EXPECT_EQ(checkTotal, sold);

    // One part scanned back with the sign typed: at the money it was sold
    // for, not the catalogue's 400.00 / 7.
    std::int64_t partSold = 0;
    {
        fb::Transaction tr(db());
        const fb::Row r = fb::query(tr, "SELECT DD_GOOD_PRICE_CURRENT FROM DOCUMENTS_DETAIL "
                                        "WHERE DD_SERIAL_GTIN='CCCCCC'").front();
        partSold = sales::Money::round2(sales::Money::parseOr(r.str("DD_GOOD_PRICE_CURRENT")).toRational() *
                                        sales::Rational(1, 7)).kopecks;
    }
    ASSERT_TRUE(screen->setReceiptKind(2));
    screen->setTaxSystem(2);
    screen->edFPD->setText(fpd);
    ASSERT_NO_FATAL_FAILURE(sellPart("CCCCCC", 1, true));
    EXPECT_EQ(screen->lblChekItogo->text(), sales::Money{partSold}.toString() + " ");
    payInCashAndPrint();
    ASSERT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    ASSERT_EQ(kkt->state().totals.sellReturn, partSold);

    // The rest of the receipt comes back, each unit at its own money.
    ASSERT_TRUE(screen->setReceiptKind(2));
    screen->setTaxSystem(2);
    kkt->clearJournal();
    QPointer<TfmFindCheck> w = openFound(fpd);
    QTest::mouseClick(w->btnCheckOpen, Qt::LeftButton);
    ASSERT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    delete w.data();
    EXPECT_EQ(screen->lblChekItogo->text(), sales::Money{sold - partSold}.toString() + " ");
    payInCashAndPrint();
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(kkt->state().totals.sellReturn, sold);
    EXPECT_EQ(storedSums(db(), "DOC_CHECK_TYPE=2"), sales::Money{partSold}.toString() + "@" + fpd + "," +
                                                        sales::Money{sold - partSold}.toString() + "@" + fpd);

    // Nothing is left of it.
    ASSERT_TRUE(screen->setReceiptKind(2));
    w = openFound(fpd);
    QTest::mouseClick(w->btnCheckOpen, Qt::LeftButton);
    EXPECT_EQ(messages.last(), sales::refundLimitText::kSaleFullyReturned);
    delete w.data();
}

// A return printed and not stored yet (still in the print journal) counts
// against its sale at entry as a stored one does.
TEST_F(RefundWindowTest, AReturnStillInThePrintJournalCountsAgainstItsSale) {
    exec("UPDATE GOODS SET GOOD_PRICE='50.00', GOOD_COUNT='100', GOOD_EDIZM_FFD=0, GOOD_NALOG='6', GOOD_TYPE='Т' "
         "WHERE GOOD_ID=7");
    screen->setTaxSystem(2);
    ASSERT_NO_FATAL_FAILURE(cashierWithShift("1000.00"));
    installPositionEdits(*screen);
    sales::ItemEntryController* entry = sales::installItemEntry(*screen);
    ASSERT_TRUE(screen->setReceiptKind(1));
    for (int i = 0; i < 2; ++i) {
        screen->lblVvod->setText("7");
        entry->btnCodeClick();
    }
    payInCashAndPrint();
    ASSERT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    const QString fpd = storedSaleFpd();
    int saleId = 0;
    {
        fb::Transaction tr(db());
        saleId = int(fb::query(tr, "SELECT DOC_ID FROM DOCUMENTS WHERE DOC_CHECK_TYPE=1").front().integer("DOC_ID"));
    }

    sales::JournalRecord record;
    sales::PrintJournal journal(sys::programFolder());
    record.id = journal.newId();
    record.job.kind = 2;
    record.job.refundedDocId = saleId;
    record.job.refundedFiscalSign = fpd;
    QStringList back = sales::emptyReceiptLine();
    back[sales::LineGoodId] = "7";
    back[sales::LineName] = "Хлеб";
    back[sales::LineBasePrice] = back[sales::LinePrice] = "50.00";
    back[sales::LineQty] = "2";
    record.job.lines = {back};
    ASSERT_TRUE(journal.put(record));

    ASSERT_TRUE(screen->setReceiptKind(2));
    screen->edFPD->setText(fpd);
    messages.clear();
    screen->lblVvod->setText("7");
    entry->btnCodeClick();
    EXPECT_EQ(messages.last(), sales::refundExceedsText("Хлеб", sales::Qty{}, sales::Qty::units(1)));
    EXPECT_TRUE(screen->receipt().isEmpty());

    ASSERT_TRUE(journal.remove(record.id));
    messages.clear();
    screen->lblVvod->setText("7");
    entry->btnCodeClick();
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(rows(), QStringList{"1|7|P|Хлеб|1|50.00"});
}

// Two sales carry the typed sign: the cashier sees each one's date, number
// and total whole, and the one picked is the one returned.
TEST(RefundSaleChoice, ShowsEachSaleWholeAndGivesThePickedOne) {
    const std::vector<sales::SaleBySign> sales{{1, "253927264", "08.12.2026 05:46", 22, "50.00"},
                                               {2, "253927264", "08.12.2026 05:47", 24, "1234567.89"}};
    bool whole = false;
    salestest::when([] { return QApplication::activeModalWidget() != nullptr; },
                    [&whole] {
                        QWidget* dialog = QApplication::activeModalWidget();
                        auto* list = dialog->findChild<QListWidget*>("lstSales");
                        ASSERT_TRUE(list);
                        whole = list->horizontalScrollBar()->maximum() == 0;
                        for (int i = 0; i < list->count(); ++i)
                            whole = whole && list->viewport()->rect().contains(list->visualItemRect(list->item(i)));
                        list->setCurrentRow(1);
                        dialog->findChild<QPushButton*>("btnOK")->click();
                    });
    EXPECT_EQ(sales::chooseRefundSaleInWindow(sales, nullptr), std::optional<int>(1));
    EXPECT_TRUE(whole);
}
