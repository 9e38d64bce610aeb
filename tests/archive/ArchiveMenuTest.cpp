// The main screen's menu items open the archive's windows once the
// archive is wired to the screen.
#include "archive/ArchiveWindows.h"
#include "archive/uFindCheck.h"
#include "archive/uPrintFormsSettings.h"
#include "archive/uReportSales.h"

#include "core/DataModule.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "sales/closing/CloseReceipt.h"
#include "sales/screen/Registration_Mode.h"
#include "support/FakeMessages.h"
#include "support/UpgradedDbFixture.h"

#include <QCoreApplication>
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
        screen = std::make_unique<TfmReg>(nullptr, [this]() -> std::unique_ptr<fiscal::IFiscalDriver> {
            return std::make_unique<fiscal::RegisterEmulator>(registerFolder.path());
        });
        screen->setQuitOnClose(false);
        archive::installArchiveWindows(*screen, sales::installSaleCommands(*screen));
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
