// A sale of marked goods where one item is a part of a pack: from the main
// screen through the payment window to the register and the database.
#include "core/DataModule.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "sales/closing/CloseReceipt.h"
#include "sales/closing/ReceiptLines.h"
#include "sales/closing/uCheckInfo.h"
#include "sales/closing/uPayCheck.h"
#include "sales/receipt/ReceiptCalc.h"
#include "sales/screen/Registration_Mode.h"
#include "support/FakeMessages.h"
#include "support/UpgradedDbFixture.h"
#include "sales/SaleScreenFixture.h"

#include "sales/WhenReady.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace sales;
using namespace fiscal;

namespace {

using salestest::when;

const QChar kGs(char16_t(0x1D));

const QString kWholeCode = QStringLiteral("010460000000002821AAAAAA") + kGs + QStringLiteral("93abcd");
const QString kPartCode = QStringLiteral("010460000000002821BBBBBB") + kGs + QStringLiteral("93efgh");

class FractionalSaleTest : public salestest::SaleScreenTest {
protected:
    void SetUp() override {
        UpgradedDbTest::SetUp();
        if (HasFatalFailure()) return;
        // Curd in packs of ten, sold by the pack or by part of it.
        exec("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_NALOG, GOOD_COUNTRY_CODE, "
             "GOOD_MARKTYPE, GOOD_COUNT, GOOD_EDIZM_FFD, GOOD_PACKCOUNT) "
             "VALUES (22, 'Творог', '400.00', 'да', 'Т', '2', '643', 13, '7', 0, 10)");
        exec("INSERT INTO OPTIONS (OPTION_NAME, OPTION_VALUE) VALUES ('TaxSystem', '1')");

        openScreen();
        if (HasFatalFailure()) return;
        installSaleCommands(*screen);
    }

    // The register accepts a code the way the scan left it validated.
    void accept(const QString& code, int status, const QString& fraction) {
        kkt->setParam(LIBFPTR_PARAM_MARKING_CODE, code);
        kkt->setParam(LIBFPTR_PARAM_MARKING_CODE_STATUS, status);
        if (!fraction.isEmpty()) kkt->setParam(LIBFPTR_PARAM_MARKING_FRACTIONAL_QUANTITY, fraction);
        ASSERT_EQ(kkt->beginMarkingCodeValidation(), 0);
        for (int i = 0; i < 5 && !kkt->getParamBool(LIBFPTR_PARAM_MARKING_CODE_VALIDATION_READY); ++i)
            kkt->getMarkingCodeValidationStatus();
        ASSERT_EQ(kkt->acceptMarkingCode(), 0);
    }

    // A whole pack and three tenths of another, as the scans leave them:
    // `quantity` in the position, one marking record per item.
    int buildSale(Qty quantity) {
        GoodRecord g;
        g.id = "22";
        g.name = "Творог";
        g.price = "400.00";
        g.weighed = "да";
        g.type = "Т";
        g.country = "643";
        g.markType = "13";
        g.measure = "0";
        g.vat = "2";
        const int row = addGoodPosition(screen->receipt(), g, "400.00", quantity, "04600000000028");
        screen->MarkedItems() << QStringList{"22", "04600000000028", "AAAAAA", "", kWholeCode, "1", "15", "0", "0", "0"}
                              << QStringList{"22", "04600000000028", "BBBBBB", "", kPartCode, "2", "15", "3", "10", "0"};
        EXPECT_EQ(screen->RecalcReceipt(), 0);
        return row;
    }

    void payAndClose() {
        when([] { return fmPayCheck && fmPayCheck->isVisible(); },
             [] { QTest::mouseClick(fmPayCheck->Button12, Qt::LeftButton); });
        when([] { return fmCheckInfo && fmCheckInfo->isVisible() && !fmCheckInfo->Timer1->isActive(); },
             [] { QTest::mouseClick(fmCheckInfo->btnCancel, Qt::LeftButton); });
        QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
    }

    testsupport::FakeMessages messages;
};

}  // namespace

TEST_F(FractionalSaleTest, APartOfAPackIsRegisteredAsItsPartAndStoredWithItsFraction) {
    accept(kWholeCode, 1, {});
    accept(kPartCode, 2, QStringLiteral("3/10"));
    buildSale(Qty::fromThousandths(1300));
    ASSERT_EQ(screen->lblChekItogo->text(), "520.00 ");
    kkt->clearJournal();
    payAndClose();
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();

    // The register: one item per code, the part at its part of the price.
    const QList<JournalEntry> regs = registrations();
    ASSERT_EQ(regs.size(), 2);
    struct Expected {
        QString code, price, fraction;
        int status;
    };
    const QList<Expected> expected{{kWholeCode, "400.00", {}, 1}, {kPartCode, "120.00", "3/10", 2}};
    Money registered;
    for (int i = 0; i < regs.size(); ++i) {
        SCOPED_TRACE(i);
        const ParamList& p = regs[i].params;
        EXPECT_EQ(p.value(LIBFPTR_PARAM_MARKING_CODE).toString(), expected[i].code);
        EXPECT_EQ(p.value(LIBFPTR_PARAM_QUANTITY).toInt(), 1);
        EXPECT_EQ(p.value(LIBFPTR_PARAM_PRICE).toString(), expected[i].price);
        EXPECT_EQ(p.value(LIBFPTR_PARAM_MARKING_CODE_STATUS).toInt(), expected[i].status);
        EXPECT_EQ(p.has(LIBFPTR_PARAM_MARKING_FRACTIONAL_QUANTITY), !expected[i].fraction.isEmpty());
        if (!expected[i].fraction.isEmpty()) {
            EXPECT_EQ(p.value(LIBFPTR_PARAM_MARKING_FRACTIONAL_QUANTITY).toString(), expected[i].fraction);
        }
        registered += Money::parseOr(p.value(LIBFPTR_PARAM_PRICE).toString());
    }
    EXPECT_EQ(registered, Money::fromKopecks(52000));
    EXPECT_EQ(kkt->state().totals.sell, 52000);

    // The database: the same two rows, the part with its fraction.
    const auto docs = rows("SELECT DOC_SUMM_FULL FROM DOCUMENTS");
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].str("DOC_SUMM_FULL"), "520.00");
    const auto lines = rows("SELECT * FROM DOCUMENTS_DETAIL ORDER BY DD_SERIAL_GTIN");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].str("DD_SERIAL_GTIN"), "AAAAAA");
    EXPECT_EQ(lines[0].str("DD_GOOD_COUNT"), "1");
    EXPECT_TRUE(lines[0].isNull("DD_FRACTIONAL_COUNT") || lines[0].str("DD_FRACTIONAL_COUNT").isEmpty());
    EXPECT_EQ(lines[1].str("DD_SERIAL_GTIN"), "BBBBBB");
    EXPECT_EQ(lines[1].str("DD_GOOD_COUNT"), "0.300");
    EXPECT_EQ(lines[1].str("DD_FRACTIONAL_COUNT"), "3/10");
    for (const fb::Row& l : lines) {
        EXPECT_EQ(l.str("DD_GOOD_PRICE_CURRENT"), "400.00");
        EXPECT_EQ(l.str("DD_GTIN"), "04600000000028");
        EXPECT_EQ(l.integer("DD_MARKTYPE"), 13);
    }
    EXPECT_EQ(lines[1].str("DD_DM_FULL"), kPartCode);
    EXPECT_TRUE(screen->receipt().isEmpty());
}

TEST_F(FractionalSaleTest, APositionWhoseCodesDoNotAddUpIsStoppedBeforeTheRegisterOpensAReceipt) {
    // Two whole packs on the screen, but one of the items is only a part.
    buildSale(Qty::units(2));
    ASSERT_EQ(screen->lblChekItogo->text(), "800.00 ");
    kkt->clearJournal();
    QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
    ASSERT_FALSE(messages.boxes.empty());
    EXPECT_TRUE(messages.boxes.front().text.startsWith(QStringLiteral(" Сумма позиций к печати не совпадает с итогом чека.")))
        << messages.boxes.front().text.toStdString();
    EXPECT_TRUE(messages.boxes.front().text.contains(QStringLiteral("к печати: 520.00")));
    for (const JournalEntry& e : kkt->journal()) EXPECT_NE(e.method, QStringLiteral("openReceipt"));
    EXPECT_EQ(kkt->state().totals.sell, 0);
    EXPECT_TRUE(rows("SELECT * FROM DOCUMENTS").empty());
    EXPECT_FALSE(screen->receipt().isEmpty());
}
