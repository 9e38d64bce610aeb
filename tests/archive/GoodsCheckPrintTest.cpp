// The goods check on a real database: the scratch table, the settings row,
// the number kept with the receipt, and the receipt window that prints it.
#include "archive/ArchiveWindows.h"
#include "archive/GoodsCheck.h"
#include "archive/GoodsCheckText.h"
#include "archive/ReceiptGoodsCheck.h"
#include "archive/StoredGoodsCheck.h"

#include "ReportTestSupport.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "platform/report/Layout.h"
#include "platform/report/PreviewRecorder.h"
#include "platform/sys/ProgramFolder.h"
#include "sales/closing/CloseReceipt.h"
#include "sales/closing/uCheckInfo.h"
#include "sales/receipt/ReceiptModel.h"
#include "sales/screen/Registration_Mode.h"
#include "support/FakeMessages.h"
#include "support/UpgradedDbFixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace archive;

namespace {

class GoodsCheckDbTest : public testsupport::UpgradedDbTest {
protected:
    QString scalar(const QString& sql) {
        fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
        const auto row = fb::queryOne(tr, sql);
        return row ? fb::toString(row->at(0)) : QStringLiteral("<no row>");
    }

    void saveSettings(const QString& prefix, std::optional<int> number, const QStringList& rows = {}) {
        GoodsCheckSettings s;
        s.row1 = rows.value(0);
        s.row2 = rows.value(1);
        s.row3 = rows.value(2);
        s.address = "ул. Ленина, 1";
        s.prefix = prefix;
        s.number = number;
        GoodsCheckStore(db()).saveSettings(s);
    }

    // A stored sale receipt; `gcNumber` 0 leaves it unnumbered.
    void storeReceipt(int docId, int gcNumber = 0, const QString& prefix = {}) {
        exec(QStringLiteral("INSERT INTO DOCUMENTS (DOC_ID, DOC_TYPE, DOC_CHECK_TYPE, DOC_DATE_D, DOC_SUMM_FULL, "
                            "DOC_USER, DOC_GC_NUMBER, DOC_GC_PREFNUMBER) VALUES (%1, 3, 1, '2024-02-05', '100.00', "
                            "'Иванов', %2, '%3')")
                 .arg(docId)
                 .arg(gcNumber > 0 ? QString::number(gcNumber) : QStringLiteral("NULL"))
                 .arg(prefix));
    }

    static std::vector<GoodsCheckLine> lines(int count) {
        std::vector<GoodsCheckLine> out;
        for (int i = 1; i <= count; ++i)
            out.push_back({i, 100 + i, QStringLiteral("Товар %1").arg(i), "12.50", QString::number(12.5 * i, 'f', 2),
                           QString::number(i)});
        return out;
    }

    ReceiptGoodsCheckRequest request(int count = 2) {
        ReceiptGoodsCheckRequest r;
        r.kindCaption = "ПРИХОД";
        r.lines = lines(count);
        r.total = "1234.56";
        r.cashier = "Иванов И.И.";
        r.today = QDate(2024, 3, 1);
        return r;
    }

    testsupport::FakeMessages messages;
    report::PreviewRecorder previews;
};

}  // namespace

TEST_F(GoodsCheckDbTest, OnlyActiveRowsOfTheReceiptKeepTheirPositionNumbers) {
    sales::ReceiptModel r;
    const QStringList statuses{"A", "D", "A", "R"};
    for (int i = 0; i < statuses.size(); ++i) {
        const int row = i == 0 ? 1 : r.appendRow();
        r.setCell(row, sales::ReceiptModel::ColStatus, statuses[i]);
        r.setCell(row, sales::ReceiptModel::ColId, i == 2 ? QString() : QString::number(10 + i));
        r.setCell(row, sales::ReceiptModel::ColPosNo, QString::number(i + 1));
        r.setCell(row, sales::ReceiptModel::ColName, QStringLiteral("Товар %1").arg(i + 1));
        r.setCell(row, sales::ReceiptModel::ColPrice, "10.00");
        r.setCell(row, sales::ReceiptModel::ColQty, "0.350");
        r.setCell(row, sales::ReceiptModel::ColSum, "3.50");
    }
    ASSERT_EQ(GoodsCheckStore(db()).refill(goodsCheckLinesFromReceipt(r)), GoodsCheckStore::Fill::Ok);
    const report::DataSet stored = GoodsCheckStore(db()).lines();
    ASSERT_EQ(stored.rowCount(), 2);
    EXPECT_EQ(stored.value(0, "NUMPOS"), "1");
    EXPECT_EQ(stored.value(0, "G_CODE"), "10");
    EXPECT_EQ(stored.value(1, "NUMPOS"), "3");
    EXPECT_EQ(stored.value(1, "G_CODE"), "0");  // a free-price position has no code
    EXPECT_EQ(stored.value(1, "G_COUNT"), "0.350");
    EXPECT_EQ(stored.value(1, "G_SUMM"), "3.50");
    EXPECT_EQ(stored.value(1, "G_ART"), "");
}

TEST_F(GoodsCheckDbTest, AReturnIsRefusedBeforeTheScratchTableIsTouched) {
    ASSERT_EQ(GoodsCheckStore(db()).refill(lines(3)), GoodsCheckStore::Fill::Ok);
    for (const QString kind : {"ВОЗВРАТ ПРИХОДА", "РАСХОД"}) {
        messages.clear();
        ReceiptGoodsCheckRequest req = request();
        req.kindCaption = kind;
        const auto result = printReceiptGoodsCheck(nullptr, db(), reporttest::programFolder(), req, {});
        EXPECT_FALSE(result.shown);
        EXPECT_EQ(messages.texts(), QStringList{goodsCheckText::kOnlyForSale});
    }
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM GOODSCHECK"), "3");
    EXPECT_TRUE(previews.shown.empty());
    // The caption is compared without regard to case.
    ReceiptGoodsCheckRequest req = request();
    req.kindCaption = "приход";
    EXPECT_TRUE(printReceiptGoodsCheck(nullptr, db(), reporttest::programFolder(), req, {}).shown);
}

TEST_F(GoodsCheckDbTest, FailuresOfTheScratchTableAreToldAndKeepItsContent) {
    ASSERT_EQ(GoodsCheckStore(db()).refill(lines(3)), GoodsCheckStore::Fill::Ok);
    // A name longer than the column fails in the middle: nothing of the new
    // goods check stays.
    ReceiptGoodsCheckRequest req = request(5);
    req.lines[3].name = QString(200, QLatin1Char('x'));
    EXPECT_FALSE(printReceiptGoodsCheck(nullptr, db(), reporttest::programFolder(), req, {}).shown);
    EXPECT_EQ(messages.texts(), QStringList{goodsCheckText::kFillFailed});
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM GOODSCHECK"), "3");

    messages.clear();
    exec("DROP PROCEDURE GOODSCHECK_EDIT");
    EXPECT_FALSE(printReceiptGoodsCheck(nullptr, db(), reporttest::programFolder(), request(), {}).shown);
    EXPECT_EQ(messages.texts(), QStringList{goodsCheckText::kClearFailed});
    EXPECT_TRUE(previews.shown.empty());
}

TEST_F(GoodsCheckDbTest, ShowsFortyLinesWithTheNewNumberTheTotalInWordsAndTheHeader) {
    saveSettings("А", 15, {"ИП Петров", "", "ИНН 500100732259"});
    bool setupOpened = false;
    previews.openPrintSetup = true;
    const auto result =
        printReceiptGoodsCheck(nullptr, db(), reporttest::programFolder(), request(40), [&] { setupOpened = true; });
    ASSERT_TRUE(result.shown);
    ASSERT_TRUE(result.assigned);
    EXPECT_EQ(result.assigned->number, 15);
    EXPECT_EQ(result.assigned->prefix, "А");
    EXPECT_TRUE(setupOpened);
    ASSERT_EQ(previews.shown.size(), 1u);
    const report::Report& r = previews.shown[0].report;
    EXPECT_EQ(r.name(), "GoodsCheck");
    EXPECT_EQ(previews.shown[0].options.title, "Товарный чек");
    EXPECT_EQ(previews.shown[0].options.zoomPercent, 90);
    EXPECT_EQ(r.find("txtHead")->text, "Товарный чек № А - 15 от 01 марта 2024 г.");
    EXPECT_EQ(r.find("txtItogo")->text, "1234.56");
    EXPECT_EQ(r.find("txtSummaWord")->text, "Одна тысяча двести тридцать четыре рубля 56 копеек");
    EXPECT_EQ(r.find("txtFIO")->text, "/ Иванов И.И. /");
    EXPECT_EQ(r.find("txtAddress")->text, "ул. Ленина, 1");
    EXPECT_EQ(r.find("txtSupplier2S")->text, "ИНН 500100732259");
    EXPECT_FALSE(r.contains("txtSupplier3S"));
    EXPECT_EQ(r.find("txtHead")->font.family, "Times New Roman");

    // Every line reaches the pages. The total, its words and the signature
    // follow the last line on its sheet: moved over together with it when
    // they do not fit under it, never on a sheet without goods.
    const report::Layout pages = report::layOut(r);
    const auto numbers = pages.placements("dtNumPos");
    ASSERT_EQ(numbers.size(), 40u);
    EXPECT_EQ(numbers.front().second->text, "1");
    EXPECT_EQ(numbers.back().second->text, "40");
    const auto words = pages.placements("txtSummaWord");
    ASSERT_EQ(words.size(), 1u);
    EXPECT_EQ(words[0].second->text, "Одна тысяча двести тридцать четыре рубля 56 копеек");
    const int totalsSheet = words[0].first;
    EXPECT_EQ(totalsSheet, pages.pageCount() - 1);
    EXPECT_EQ(numbers.back().first, totalsSheet);
    for (const char* part : {"Text4", "txtItogo", "txtFIO"}) {
        const auto placed = pages.placements(part);
        ASSERT_EQ(placed.size(), 1u) << part;
        EXPECT_EQ(placed[0].first, totalsSheet) << part;
    }
    const double summaryTop = words[0].second->rect.top() - r.find("txtSummaWord")->top;
    EXPECT_NEAR(summaryTop, numbers.back().second->rect.bottom(), 1e-3);
    EXPECT_LE(pages.placements("txtFIO")[0].second->rect.bottom(), pages.page.height - pages.page.marginBottom + 1e-3);
    // Every sheet after the first names the goods check, above its rows.
    ASSERT_GE(pages.pageCount(), 2);
    const auto continued = pages.placements("txtHeadNext");
    ASSERT_EQ(int(continued.size()), pages.pageCount() - 1);
    for (const auto& [sheet, item] : continued) {
        EXPECT_GT(sheet, 0);
        EXPECT_EQ(report::pageText(item->text, sheet + 1, pages.pageCount()),
                  QStringLiteral("Товарный чек № А - 15 от 01 марта 2024 г., лист %1").arg(sheet + 1));
        for (const auto& [rowSheet, row] : numbers) {
            if (rowSheet == sheet) {
                EXPECT_GE(row->rect.top(), item->rect.bottom() - 1e-3);
            }
        }
    }
    // Showing spends no number: that happens when the receipt window closes.
    EXPECT_EQ(scalar("SELECT GC_NUMBER FROM GOODSCHECK_SETTINGS"), "15");
}

TEST_F(GoodsCheckDbTest, NewNumberWithoutSettingsOrPrefixStartsAtOne) {
    struct Case {
        const char* what;
        bool row;
        std::optional<int> number;
        QString prefix;
    };
    const std::vector<Case> cases{
        {"no settings row", false, {}, {}}, {"null counter", true, std::nullopt, {}}, {"spent counter", true, 0, "  "}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        previews.shown.clear();
        exec("DELETE FROM GOODSCHECK_SETTINGS");
        if (c.row) saveSettings(c.prefix, c.number);
        const auto result = printReceiptGoodsCheck(nullptr, db(), reporttest::programFolder(), request(), {});
        ASSERT_TRUE(result.assigned);
        EXPECT_EQ(result.assigned->number, 1);
        ASSERT_EQ(previews.shown.size(), 1u);
        EXPECT_EQ(previews.shown[0].report.find("txtHead")->text, "Товарный чек № 1 от 01 марта 2024 г.");
        // No header lines: an empty supplier, the rest of the page moved up.
        EXPECT_EQ(previews.shown[0].report.find("txtSupplier1S")->text, "");
        EXPECT_FALSE(previews.shown[0].report.contains("txtSupplier2S"));
    }
}

TEST_F(GoodsCheckDbTest, AStoredReceiptWithANumberKeepsItAndItsDate) {
    saveSettings("А", 15);
    storeReceipt(41, 7, "Б");
    storeReceipt(42);
    ReceiptGoodsCheckRequest req = request();
    req.printState = 41;
    auto result = printReceiptGoodsCheck(nullptr, db(), reporttest::programFolder(), req, {});
    ASSERT_TRUE(result.shown);
    EXPECT_FALSE(result.assigned);
    EXPECT_EQ(previews.shown.back().report.find("txtHead")->text, "Товарный чек № Б-7 от 05 февраля 2024 г.");

    req.printState = 42;  // stored, not numbered yet: a new number, today
    result = printReceiptGoodsCheck(nullptr, db(), reporttest::programFolder(), req, {});
    ASSERT_TRUE(result.assigned);
    EXPECT_EQ(previews.shown.back().report.find("txtHead")->text, "Товарный чек № А - 15 от 01 марта 2024 г.");
}

TEST_F(GoodsCheckDbTest, MissingProjectOrReportIsToldAndTakesNoNumber) {
    struct Case {
        const char* what;
        QByteArray project;  // empty: no file
        QString message;
    };
    const std::vector<Case> cases{
        {"no file", {}, goodsCheckText::kNoProjectFile},
        {"no goods check in it", R"({"reports": [{"name": "InventoryList"}]})", goodsCheckText::kNoReport},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages.clear();
        QTemporaryDir folder;
        if (!c.project.isEmpty()) {
            QDir(folder.path()).mkpath("reports");
            QFile f(report::projectPath(folder.path()));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.project);
        }
        const auto result = printReceiptGoodsCheck(nullptr, db(), folder.path(), request(), {});
        EXPECT_FALSE(result.shown);
        EXPECT_FALSE(result.assigned);
        EXPECT_EQ(messages.texts(), QStringList{c.message});
    }
    EXPECT_TRUE(previews.shown.empty());
}

TEST_F(GoodsCheckDbTest, RecordedNumberAndCounterMoveTogetherWithTheirTextIntact) {
    saveSettings("О'Н", 15);
    storeReceipt(41);
    GoodsCheckStore(db()).recordNumber(41, 15, " О'Н ");
    EXPECT_EQ(scalar("SELECT DOC_GC_NUMBER FROM DOCUMENTS WHERE DOC_ID = 41"), "15");
    EXPECT_EQ(scalar("SELECT DOC_GC_PREFNUMBER FROM DOCUMENTS WHERE DOC_ID = 41"), "О'Н");
    EXPECT_EQ(scalar("SELECT GC_NUMBER FROM GOODSCHECK_SETTINGS"), "16");
    const auto stored = GoodsCheckStore(db()).storedNumber(41);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->number, 15);
    EXPECT_EQ(stored->date, QDate(2024, 2, 5));

    // Without a settings row the receipt is numbered and the counter's row
    // appears, so the next goods check does not take the same number.
    exec("DELETE FROM GOODSCHECK_SETTINGS");
    storeReceipt(43);
    GoodsCheckStore(db()).recordNumber(43, 1, "");
    EXPECT_EQ(scalar("SELECT DOC_GC_NUMBER FROM DOCUMENTS WHERE DOC_ID = 43"), "1");
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM GOODSCHECK_SETTINGS"), "1");
    EXPECT_EQ(scalar("SELECT GC_NUMBER FROM GOODSCHECK_SETTINGS"), "2");
}

TEST_F(GoodsCheckDbTest, OnAFreshDatabaseEveryGoodsCheckTakesTheNextNumber) {
    // The print settings were never saved.
    ASSERT_EQ(scalar("SELECT COUNT(*) FROM GOODSCHECK_SETTINGS"), "0");
    previews.openPrintSetup = true;
    QStringList titles;
    for (const int docId : {61, 62}) {
        storeReceipt(docId);
        ASSERT_TRUE(printStoredGoodsCheck(nullptr, db(), reporttest::programFolder(), docId, {}));
        titles << previews.shown.back().report.find("txtHead")->text;
    }
    // A receipt printed but not stored: its window spends the number it took.
    const auto result = printReceiptGoodsCheck(nullptr, db(), reporttest::programFolder(), request(), {});
    ASSERT_TRUE(result.assigned);
    GoodsCheckStore(db()).recordNumber(-1, result.assigned->number, result.assigned->prefix);
    titles << previews.shown.back().report.find("txtHead")->text;
    storeReceipt(64);
    ASSERT_TRUE(printStoredGoodsCheck(nullptr, db(), reporttest::programFolder(), 64, {}));
    titles << previews.shown.back().report.find("txtHead")->text;

    EXPECT_EQ(titles.join(" | ").toStdString(),
              "Товарный чек № 1 от 05 февраля 2024 г. | Товарный чек № 2 от 05 февраля 2024 г. | "
              "Товарный чек № 3 от 01 марта 2024 г. | Товарный чек № 4 от 05 февраля 2024 г.");
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM GOODSCHECK_SETTINGS"), "1");
    EXPECT_EQ(scalar("SELECT GC_NUMBER FROM GOODSCHECK_SETTINGS"), "5");
    // The row the counter created heads no goods check with stray text.
    EXPECT_TRUE(GoodsCheckStore(db()).settings().headerLines().isEmpty());
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
}

TEST_F(GoodsCheckDbTest, ReceiptWindowRecordsTheNumberOnceWhenThePrintSetupOpened) {
    const QString oldFolder = sys::programFolder();
    sys::setProgramFolder(reporttest::programFolder());
    saveSettings("А", 15);
    QTemporaryDir registerFolder;
    TfmReg screen(nullptr, [&]() -> std::unique_ptr<fiscal::IFiscalDriver> {
        return std::make_unique<fiscal::RegisterEmulator>(registerFolder.path());
    });
    screen.setQuitOnClose(false);
    screen.setReceiptKind(sales::KindSale);
    screen.lblUser->setText("Иванов И.И.");
    sales::ReceiptModel& r = screen.receipt();
    r.setCell(1, sales::ReceiptModel::ColStatus, "A");
    r.setCell(1, sales::ReceiptModel::ColId, "11");
    r.setCell(1, sales::ReceiptModel::ColPosNo, "1");
    r.setCell(1, sales::ReceiptModel::ColName, "Хлеб");
    r.setCell(1, sales::ReceiptModel::ColPrice, "50.00");
    r.setCell(1, sales::ReceiptModel::ColQty, "2");
    r.setCell(1, sales::ReceiptModel::ColSum, "100.00");

    struct Case {
        const char* what;
        int printState;  // btnPrintCheck's Tag: the stored receipt, or -1/0
        bool openSetup;
        int prints;
        int assigned;     // the number the goods check shows
        QString number;   // DOC_GC_NUMBER after the window closed
        QString counter;  // GC_NUMBER
    };
    // Whatever became of the receipt, a goods check that went to paper or
    // to a file spends its number, and one that did not spends none.
    const std::vector<Case> cases{
        {"preview closed without printing", 0, false, 1, 15, "", "15"},
        {"printed twice in one window", 1, true, 2, 15, "15", "16"},
        {"receipt printed, not stored", -1, true, 1, 16, "", "17"},
        {"receipt not printed", 0, true, 1, 17, "", "18"},
        {"not printed, preview only", 0, false, 1, 18, "", "18"},
    };
    int docId = 50;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        storeReceipt(++docId);
        sales::SaleServices services;
        services.database = [this]() -> fb::Connection* { return &db(); };
        installArchiveWindows(screen, services);
        previews.openPrintSetup = c.openSetup;
        {
            TfmCheckInfo info(screen, services, sales::PaymentEntered{});
            EXPECT_EQ(info.btnGoodsCheck->text(), "ТОВАРНЫЙ ЧЕК");
            sales::setControlTag(info.btnPrintCheck, c.printState > 0 ? docId : c.printState);
            for (int i = 0; i < c.prints; ++i) info.btnGoodsCheck->click();
            EXPECT_EQ(info.GoodsCheckPrinted, c.openSetup);
            EXPECT_EQ(sales::controlTag(info.btnGoodsCheck), c.assigned);
            EXPECT_EQ(info.txtPrefNumber->text(), "А");
            info.done(QDialog::Accepted);
        }
        EXPECT_EQ(scalar(QStringLiteral("SELECT DOC_GC_NUMBER FROM DOCUMENTS WHERE DOC_ID = %1").arg(docId)), c.number);
        EXPECT_EQ(scalar("SELECT GC_NUMBER FROM GOODSCHECK_SETTINGS"), c.counter);
        EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
        // The window's close made the main screen ready for the next sale.
        r.setCell(1, sales::ReceiptModel::ColStatus, "A");
        r.setCell(1, sales::ReceiptModel::ColName, "Хлеб");
        screen.setReceiptKind(sales::KindSale);
    }
    sys::setProgramFolder(oldFolder);
}
