// The main screen's menu items open the archive's windows once the
// archive is wired to the screen.
#include "ChannelTestSupport.h"

#include "archive/ArchiveWindows.h"
#include "archive/MainScreenChannel.h"
#include "archive/uCorrectionCheck.h"
#include "archive/uFindCheck.h"
#include "archive/uPrintFormsSettings.h"
#include "archive/uReportSales.h"

#include "core/DataModule.h"
#include "core/Settings.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "sales/closing/CloseReceipt.h"
#include "sales/screen/Registration_Mode.h"
#include "support/FakeMessages.h"
#include "support/UpgradedDbFixture.h"

#include <QAction>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class ArchiveMenuTest : public testsupport::UpgradedDbTest {
protected:
    void SetUp() override {
        UpgradedDbTest::SetUp();
        if (HasFatalFailure()) return;
        module = std::make_unique<core::TDataModule1>();
        core::DataModule1 = module.get();
        module->connectDatabase();
        makeScreen();
    }
    void makeScreen() {
        screen = std::make_unique<TfmReg>(nullptr, [this]() -> std::unique_ptr<fiscal::IFiscalDriver> {
            return std::make_unique<fiscal::RegisterEmulator>(registerFolder.path());
        });
        screen->setQuitOnClose(false);
        archive::installArchiveWindows(*screen, sales::installSaleCommands(*screen));
    }
    // The menu an item sits in: the receipt-kind popup or the main menu's kinds.
    QMenu* menuOf(const char* item) const {
        return QLatin1String(item).startsWith(QLatin1String("PM")) ? screen->PopupMenuOperation
                                                                   : screen->menu(QStringLiteral("MChangeOperation"));
    }
    void saveRegisterConnection(const QString& port, const QString& baud) {
        core::SettingsInput in;
        in.kktPortName = port;
        in.kktBaudRate = baud;
        const core::SettingsSaveResult r = core::saveSettings(in, programFolder(), db());
        ASSERT_TRUE(r.ok) << r.message.toStdString();
    }

    void TearDown() override {
        screen.reset();
        module.reset();
        core::DataModule1 = nullptr;
        UpgradedDbTest::TearDown();
    }

    QTemporaryDir registerFolder;
    std::unique_ptr<core::TDataModule1> module;
    std::unique_ptr<TfmReg> screen;
    testsupport::FakeMessages messages;
};

}  // namespace

TEST_F(ArchiveMenuTest, MenuItemsOpenTheirWindowsModallyAndFreeThemOnClose) {
    struct Case {
        const char* item;
        void (TfmReg::*click)();
        std::function<QDialog*()> window;
        QString caption;
    };
    const std::vector<Case> cases{
        {"MFindCheck", &TfmReg::MFindCheckClick, [] { return static_cast<QDialog*>(fmFindCheck); }, "Найти чек"},
        {"MPFSettings", &TfmReg::MPFSettingsClick, [] { return static_cast<QDialog*>(fmPrintFormsSettings); },
         "Настройки печатных форм"},
        {"MReportSales", &TfmReg::MReportSalesClick, [] { return static_cast<QDialog*>(fmReportSales); },
         "Отчет: продажи"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        QString seen;
        bool modal = false;
        QTimer::singleShot(0, [&] {
            if (QDialog* w = c.window()) {
                seen = w->windowTitle();
                modal = w->isModal();
                w->reject();
            }
        });
        (screen.get()->*c.click)();
        EXPECT_EQ(seen, c.caption);
        EXPECT_TRUE(modal);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(c.window(), nullptr);
    }
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
}

TEST_F(ArchiveMenuTest, CorrectionItemsOpenTheCorrectionWindowWithTheSavedPortAndSpeed) {
    // The main screen takes the saved port and speed when it is made.
    saveRegisterConnection(QStringLiteral("ttyACM0"), QStringLiteral("115200"));
    screen.reset();
    makeScreen();
    EXPECT_EQ(screen->KktJsonPortName, QStringLiteral("ttyACM0"));
    EXPECT_EQ(screen->KktJsonBaudRate, QStringLiteral("115200"));
    core::SessionUser cashier;
    cashier.userId = 7;
    cashier.name = QStringLiteral("Иванов И.И.");
    cashier.inn = QStringLiteral("500100732259");
    screen->setUser(cashier);
    const int kindBefore = screen->receiptKind();

    struct Case {
        const char* item;
        int tag;
        QString caption;
    };
    const std::vector<Case> cases{{"MCorrectionCheckP", 1, QStringLiteral("Чек коррекции ПРИХОДА")},
                                  {"PMCorrectionCheckR", 2, QStringLiteral("Чек коррекции РАСХОДА")},
                                  {"MCorrectionCheckR", 2, QStringLiteral("Чек коррекции РАСХОДА")}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        // A failed session cleared them; the window takes them again.
        screen->KktJsonPortName.clear();
        screen->KktJsonBaudRate.clear();
        saveRegisterConnection(QStringLiteral("ttyS%1").arg(c.tag), QStringLiteral("57600"));
        QAction* item = screen->action(QString::fromLatin1(c.item));
        ASSERT_NE(item, nullptr);
        emit menuOf(c.item)->aboutToShow();
        EXPECT_TRUE(item->isVisible());
        EXPECT_TRUE(item->isEnabled());
        int tag = 0;
        QString seen, port;
        bool modal = false;
        QTimer::singleShot(0, [&] {
            if (TfmCorrectionCheck* w = fmCorrectionCheck) {
                tag = w->Tag();
                seen = w->windowTitle();
                modal = w->isModal();
                port = screen->KktJsonPortName + QLatin1Char('/') + screen->KktJsonBaudRate;
                w->reject();
            }
        });
        item->trigger();
        EXPECT_EQ(tag, c.tag);
        EXPECT_EQ(seen, c.caption);
        EXPECT_TRUE(modal);
        EXPECT_EQ(port, QStringLiteral("ttyS%1/57600").arg(c.tag));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(fmCorrectionCheck, nullptr);
    }
    // Choosing a correction leaves the receipt in progress as it was.
    EXPECT_EQ(screen->receiptKind(), kindBefore);

    // Neither a locked workplace nor a session without a person has them.
    for (const bool locked : {true, false}) {
        SCOPED_TRACE(locked ? "locked" : "built-in administrator");
        if (locked) {
            screen->SetWorkplaceLock(true);
        } else {
            screen->SetWorkplaceLock(false);
            core::SessionUser votar;
            votar.name = core::kBuiltinAdmin;
            screen->setUser(votar);
        }
        QAction* item = screen->action(QStringLiteral("MCorrectionCheckP"));
        emit menuOf("MCorrectionCheckP")->aboutToShow();
        EXPECT_FALSE(item->isEnabled());
        bool opened = false;
        QTimer::singleShot(0, [&] {
            if (fmCorrectionCheck) {
                opened = true;
                fmCorrectionCheck->reject();
            }
        });
        screen->MCorrectionCheckPClick();
        EXPECT_FALSE(opened);
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
}

TEST_F(ArchiveMenuTest, ACorrectionFromTheKindPopupLeavesTheReturnInProgressAsItWas) {
    tools::RegisterServiceStandIn service{30000};
    const quint16 port = service.start();
    ASSERT_NE(port, 0);
    saveRegisterConnection(QStringLiteral("ttyS1"), QStringLiteral("115200"));
    screen.reset();
    makeScreen();
    archive::kktJsonChannel(*screen).client().setOptions(archivetest::loopback(port, 700));
    core::SessionUser cashier;
    cashier.userId = 7;
    cashier.name = QStringLiteral("Иванов И.И.");
    screen->setUser(cashier);
    // The shop sells under УСН (доход); a return of a sale is in progress.
    screen->action(QStringLiteral("N18"))->trigger();
    sales::ReceiptModel& r = screen->receipt();
    r.setCell(1, sales::ReceiptModel::ColStatus, QStringLiteral("A"));
    r.setCell(1, sales::ReceiptModel::ColId, QStringLiteral("12"));
    r.setCell(1, sales::ReceiptModel::ColKind, QStringLiteral("P"));
    r.setCell(1, sales::ReceiptModel::ColName, QStringLiteral("Хлеб"));
    r.setCell(1, sales::ReceiptModel::ColPrice, QStringLiteral("50.00"));
    r.setCell(1, sales::ReceiptModel::ColQty, QStringLiteral("2"));
    r.setCell(1, sales::ReceiptModel::ColSubject, QStringLiteral("Т"));
    r.setAttr(1, sales::ReceiptModel::AttrBasePrice, QStringLiteral("50.00"));
    r.setAttr(1, sales::ReceiptModel::AttrDiscountKind, QStringLiteral("N"));
    r.setAttr(1, sales::ReceiptModel::AttrMarkType, QStringLiteral("0"));
    ASSERT_EQ(screen->RecalcReceipt(), 0);
    screen->action(QStringLiteral("PMPrihodBack"))->trigger();
    screen->edFPD->setText(QStringLiteral("3162541397"));

    struct Screen {
        int kind;
        QString kindText, fpd, total, name;
        bool fpdShown, positionDiscount, receiptDiscount;
        bool operator==(const Screen&) const = default;
    };
    const auto now = [&] {
        return Screen{screen->receiptKind(),
                      screen->lblOperationType->text(),
                      screen->edFPD->text(),
                      screen->lblChekItogo->text(),
                      screen->receipt().cell(1, sales::ReceiptModel::ColName),
                      screen->edFPD->isVisibleTo(screen.get()),
                      screen->btnPosDiscount->isEnabled(),
                      screen->btnCheckDiscount->isEnabled()};
    };
    const Screen before = now();
    ASSERT_EQ(before.kind, 2);
    ASSERT_TRUE(before.fpdShown);

    for (const bool print : {true, false}) {
        SCOPED_TRACE(print ? "printed" : "cancelled");
        service.clearRecords();
        messages.clear();
        if (print) messages.answer(ui::Answer::Yes);
        emit screen->PopupMenuOperation->aboutToShow();
        QTimer::singleShot(0, [&] {
            TfmCorrectionCheck* w = fmCorrectionCheck;
            if (!w) return;
            if (!print) return w->findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();
            w->findChild<QLineEdit*>(QStringLiteral("edDoc"))->setText(QStringLiteral("Не пробит чек"));
            w->findChild<QLineEdit*>(QStringLiteral("edDocNum"))->setText(QStringLiteral("17"));
            w->findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
            // A refusal leaves the window open: the test must not hang on it.
            if (fmCorrectionCheck) fmCorrectionCheck->reject();
        });
        screen->action(QStringLiteral("PMCorrectionCheckP"))->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(fmCorrectionCheck, nullptr);
        EXPECT_EQ(service.printedReceipts(), 1);
        if (print) {
            // The shop's tax system went to the register, not an unset one.
            QJsonObject open;
            for (const QByteArray& q : service.requests()) {
                const QJsonObject o = QJsonDocument::fromJson(q).object();
                if (o.value(QStringLiteral("command")).toString() == QStringLiteral("OpenCheck")) open = o;
            }
            EXPECT_EQ(open.value(QStringLiteral("taxSystem")).toInt(), 2);
            EXPECT_EQ(messages.texts().size(), 1) << messages.texts().join(' ').toStdString();
        } else {
            EXPECT_TRUE(service.requests().isEmpty());
        }
        EXPECT_TRUE(now() == before) << screen->lblOperationType->text().toStdString();
    }
}
