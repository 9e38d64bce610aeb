#pragma once
// Shared set-up of the sales window tests: the main screen over the
// register emulator in a temporary program folder, without a database.
#include "ReceiptTestRows.h"

#include "platform/fiscal/RegisterEmulator.h"
#include "platform/sys/ProgramFolder.h"
#include "sales/screen/Registration_Mode.h"
#include "support/FakeMessages.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace salestest {

// The main screen over the register emulator; a test class attaches the
// commands it drives in installCommands().
class MainScreenFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        oldFolder = sys::programFolder();
        sys::setProgramFolder(dir.path());
        screen = std::make_unique<TfmReg>(nullptr, [this]() -> std::unique_ptr<fiscal::IFiscalDriver> {
            auto e = std::make_unique<fiscal::RegisterEmulator>(dir.path());
            emulator = e.get();
            return e;
        });
        screen->setQuitOnClose(false);
        screen->setReceiptKind(sales::KindSale);
        installCommands();
        messages.clear();
    }

    void TearDown() override {
        screen.reset();
        sys::setProgramFolder(oldFolder);
    }

    virtual void installCommands() = 0;

    // One position on the screen, current, recalculated.
    int addPosition(const sales::testing::RowSpec& wanted) {
        return recalcAndSelect(sales::testing::addRow(screen->receipt(), wanted));
    }

    int recalcAndSelect(int row) {
        EXPECT_EQ(screen->RecalcReceipt(), 0);
        screen->setCurrentReceiptRow(row);
        return row;
    }

    // Clicks the window's button named `button`.
    static void click(QWidget& window, const char* button) {
        auto* b = window.findChild<QPushButton*>(QLatin1String(button));
        ASSERT_NE(b, nullptr) << button;
        QTest::mouseClick(b, Qt::LeftButton);
    }

    QTemporaryDir dir;
    QString oldFolder;
    testsupport::FakeMessages messages;
    fiscal::RegisterEmulator* emulator = nullptr;
    std::unique_ptr<TfmReg> screen;
};

}  // namespace salestest
