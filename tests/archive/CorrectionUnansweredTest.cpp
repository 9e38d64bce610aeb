// Corrections the register service never answered, as a killed till leaves
// them in the print journal: the cashier hears of them once per login and
// not before a sale, and an administrator settles each once from the
// "Документ" menu, as printed or as not printed.
#include "ChannelTestSupport.h"

#include "archive/ArchiveWindows.h"
#include "archive/CorrectionFlow.h"
#include "archive/CorrectionUnanswered.h"
#include "platform/db/Statement.h"
#include "sales/SaleScreenFixture.h"
#include "sales/WhenReady.h"
#include "sales/closing/CloseReceipt.h"
#include "sales/closing/PrintJournal.h"
#include "sales/closing/PrintSettle.h"
#include "sales/closing/uCheckInfo.h"
#include "sales/closing/uPayCheck.h"
#include "sales/receipt/ReceiptModel.h"
#include "sales/screen/ProgramWindows.h"
#include "sales/screen/Registration_Mode.h"
#include "support/FakeMessages.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class UnansweredCorrectionTest : public salestest::SaleScreenTest {
protected:
    void SetUp() override {
        UpgradedDbTest::SetUp();
        if (HasFatalFailure()) return;
        port = service.start();
        ASSERT_NE(port, 0);
        service.setRegisterTime(QDateTime(QDate(2026, 12, 7), QTime(10, 15, 42)));
    }

    void TearDown() override {
        SaleScreenTest::TearDown();
        sales::setCorrectionSettler({});
    }

    // A till prints a correction of 500.00 into this program folder's
    // journal and dies at `step` of it.
    void tillKilledAt(const char* step) {
        db().detach();
        QProcess child;
        child.start(QStringLiteral(TARVI_CORRECTION_CHILD),
                    {databasePath(), programFolder(), QString::number(port), QString::fromLatin1(step)});
        ASSERT_TRUE(child.waitForFinished(60000));
        EXPECT_EQ(child.exitStatus(), QProcess::CrashExit) << step;
        db().attach();
    }

    // The program's main screen with a loaf to sell.
    void openProgramScreen() {
        exec("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_NALOG, GOOD_COUNTRY_CODE, "
             "GOOD_MARKTYPE, GOOD_COUNT, GOOD_EDIZM_FFD) VALUES (11, 'Хлеб', '50.00', 'нет', 'Т', '1', '643', 0, "
             "'10', 0)");
        exec("INSERT INTO OPTIONS (OPTION_NAME, OPTION_VALUE) VALUES ('TaxSystem', '1')");
        openScreen();
        if (HasFatalFailure()) return;
        archive::installArchiveWindows(*screen, sales::installSaleCommands(*screen));
    }

    void logIn(bool admin) {
        core::SessionUser user;
        user.userId = admin ? 8 : 7;
        user.name = admin ? QStringLiteral("Петрова А.А.") : QStringLiteral("Иванов И.И.");
        user.postLabel = QStringLiteral("Кассир : ");
        user.isAdmin = admin;
        screen->setUser(user);
        screen->ApplyUserRights(admin ? core::AdminRights : core::CashierRights);
    }

    // A loaf of 50.00 sold for cash from the main screen.
    void sellALoaf() {
        sales::GoodRecord bread{QStringLiteral("11"), QStringLiteral("Хлеб"), QStringLiteral("50.00"),
                                QStringLiteral("нет"), QStringLiteral("Т"), QStringLiteral("643"),
                                QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("1")};
        sales::addGoodPosition(screen->receipt(), bread, QStringLiteral("50.00"), sales::Qty::units(1));
        ASSERT_EQ(screen->RecalcReceipt(), 0);
        salestest::when([] { return fmPayCheck && fmPayCheck->isVisible(); },
                        [] { QTest::mouseClick(fmPayCheck->Button12, Qt::LeftButton); });
        salestest::when([] { return fmCheckInfo && fmCheckInfo->isVisible() && !fmCheckInfo->Timer1->isActive(); },
                        [] { QTest::mouseClick(fmCheckInfo->btnCancel, Qt::LeftButton); });
        QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
    }

    // The "Документ" menu as it opens, and its settling item.
    QAction* settlingItem() {
        emit screen->menu(QStringLiteral("MDocument"))->aboutToShow();
        return screen->findChild<QAction*>(QStringLiteral("MCorrectionUnanswered"));
    }

    std::vector<fb::Row> corrections() {
        return rows(QStringLiteral("SELECT DOC_CHECK_TYPE, DOC_FPD, DOC_NUMBER, DOC_DATE_D, DOC_TIME_T, DOC_SUMM_FULL, "
                                   "DOC_PAY_NAL, DOC_PAY_EL, DOC_USER FROM DOCUMENTS WHERE DOC_TYPE = 31"));
    }

    testsupport::FakeMessages messages;
    tools::RegisterServiceStandIn service{30000};
    quint16 port = 0;
};

QStringList gridRows(const QTableWidget* grid) {
    QStringList rows;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid->columnCount(); ++c) cells << grid->item(r, c)->text();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

}  // namespace

TEST_F(UnansweredCorrectionTest, CashierHearsOncePerLoginUntilAnAdministratorSettlesEach) {
    // One till died with the answer to CloseCheck in hand (the register
    // printed), the next once its record said CloseCheck was going out.
    tillKilledAt("replied");
    tillKilledAt("sent");
    EXPECT_EQ(service.printedReceipts(), 1);
    ASSERT_EQ(sales::PrintJournal(programFolder()).records().size(), 2);
    openProgramScreen();
    if (HasFatalFailure()) return;

    // Each login warns once, and names where they are settled.
    const QString warning = QStringLiteral(" Чеков коррекции, на которые ККТ не ответила после печати: 2.");
    for (int login = 0; login < 2; ++login) {
        SCOPED_TRACE(login);
        messages.clear();
        sales::settlePrintsAtLogin(*screen);
        ASSERT_EQ(messages.boxes.size(), 1u);
        EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Warning);
        EXPECT_TRUE(messages.last().startsWith(warning)) << messages.last().toStdString();
        for (const char* how : {"меню ''Документ'',", "пункт ''Чеки коррекции без ответа ККТ''"})
            EXPECT_TRUE(messages.last().contains(QString::fromUtf8(how))) << messages.last().toStdString();
        if (login > 0) continue;
        // A sale in between prints without a word of them.
        messages.clear();
        sellALoaf();
        EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
        EXPECT_EQ(kkt->state().totals.sell, 5000);
    }

    // A cashier neither sees the item nor gets a window from it.
    QAction* item = settlingItem();
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->isVisible());
    QString opened;
    QTimer::singleShot(0, [&] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            opened = w->objectName();
            w->close();
        }
    });
    item->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(opened.isEmpty()) << opened.toStdString();
    EXPECT_EQ(sales::PrintJournal(programFolder()).records().size(), 2);

    // The administrator compares them with the register's report: the first
    // printed, the second not.
    logIn(true);
    item = settlingItem();
    EXPECT_TRUE(item->isVisible());
    messages.clear();
    QStringList seen;
    salestest::when(
        [] {
            QWidget* w = QApplication::activeModalWidget();
            return w && w->objectName() == QStringLiteral("fmUnansweredCorrections");
        },
        [&] {
            QWidget* w = QApplication::activeModalWidget();
            auto* grid = w->findChild<QTableWidget*>(QStringLiteral("gridUnanswered"));
            seen << gridRows(grid);
            for (const char* button : {"btnPrinted", "btnNotPrinted"}) {
                messages.answer(ui::Answer::Yes);
                grid->selectRow(0);
                QTest::mouseClick(w->findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
                seen << QString::number(grid->rowCount());
            }
            w->close();
        });
    item->trigger();
    const QString row = QStringLiteral("07.12.2026|10:15|КОРРЕКЦИЯ ПРИХОДА, наличными|500.00");
    EXPECT_EQ(seen, (QStringList{row, row, QStringLiteral("1"), QStringLiteral("0")}));
    ASSERT_EQ(messages.boxes.size(), 2u);
    EXPECT_TRUE(messages.boxes[0].question && messages.boxes[1].question);

    const std::vector<fb::Row> stored = corrections();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].integer(QStringLiteral("DOC_CHECK_TYPE")), 1);
    EXPECT_EQ(stored[0].str(QStringLiteral("DOC_FPD")), QString());
    EXPECT_EQ(stored[0].str(QStringLiteral("DOC_NUMBER")), QString());
    EXPECT_EQ(fb::toDate(stored[0].at(3)), QDate(2026, 12, 7));
    EXPECT_EQ(fb::toTime(stored[0].at(4)), QTime(10, 15));
    EXPECT_EQ(stored[0].str(QStringLiteral("DOC_SUMM_FULL")), QStringLiteral("500.00"));
    EXPECT_EQ(stored[0].str(QStringLiteral("DOC_PAY_NAL")), QStringLiteral("500.00"));
    EXPECT_EQ(stored[0].str(QStringLiteral("DOC_USER")), QStringLiteral("Иванов И.И."));
    EXPECT_TRUE(sales::PrintJournal(programFolder()).isEmpty());

    // No login hears of them again.
    messages.clear();
    logIn(false);
    sales::settlePrintsAtLogin(*screen);
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(corrections().size(), 1u);
}

TEST_F(UnansweredCorrectionTest, PrintedIsWrittenExactlyOnceWhereverTheTillStopsAndARefusalChangesNothing) {
    tillKilledAt("replied");
    sales::PrintJournal journal(programFolder());
    ASSERT_EQ(journal.records().size(), 1);
    const QString id = journal.records().first().id;
    const auto journalBytes = [&journal] {
        QFile f(journal.path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray left = journalBytes();

    // The database refuses the document: the record stays as it was.
    exec("CREATE EXCEPTION E_NO_DOCUMENTS 'no documents'");
    exec("CREATE TRIGGER T_NO_DOCUMENTS FOR DOCUMENTS BEFORE INSERT AS BEGIN EXCEPTION E_NO_DOCUMENTS; END");
    EXPECT_FALSE(archive::settleUnanswered(journal, db(), id, true).isEmpty());
    EXPECT_EQ(journalBytes(), left);
    EXPECT_TRUE(corrections().empty());
    exec("DROP TRIGGER T_NO_DOCUMENTS");

    // The till dies once the record names the document, before the commit:
    // the next look finds the correction unanswered, and nothing written.
    struct Killed {};
    const auto dieAt = [](const char* stop) {
        return [stop](const QString& step) {
            if (step == QLatin1String(stop)) throw Killed{};
        };
    };
    EXPECT_THROW(archive::settleUnanswered(journal, db(), id, true, dieAt("marked")), Killed);
    EXPECT_EQ(archive::unansweredCorrections(journal, db()).size(), 1);
    EXPECT_TRUE(corrections().empty());

    // It dies after the commit, before the record goes: settling it again,
    // or a login's settling, writes nothing more.
    EXPECT_THROW(archive::settleUnanswered(journal, db(), id, true, dieAt("committed")), Killed);
    EXPECT_EQ(journal.records().size(), 1);
    EXPECT_TRUE(archive::settleUnanswered(journal, db(), id, true).isEmpty());
    EXPECT_TRUE(archive::settleCorrections(journal, db()).unknown.isEmpty());
    EXPECT_EQ(corrections().size(), 1u);
    EXPECT_TRUE(journal.isEmpty());
}
