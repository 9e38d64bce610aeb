#pragma once
// The main screen over a fresh database and the register emulator, with a
// cashier logged in on the register and a shift open: what every test that
// takes a receipt from the screen to the register and the database needs.
// A test seeds its goods first and then calls openScreen().
#include "core/DataModule.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "sales/screen/Registration_Mode.h"
#include "support/UpgradedDbFixture.h"

#include <gtest/gtest.h>

#include <memory>

namespace salestest {

class SaleScreenTest : public testsupport::UpgradedDbTest {
protected:
    void openScreen(const QString& cashier = QStringLiteral("Иванов И.И.")) {
        module = std::make_unique<core::TDataModule1>();
        core::DataModule1 = module.get();
        module->connectDatabase();
        screen = std::make_unique<TfmReg>(nullptr, [this]() -> std::unique_ptr<fiscal::IFiscalDriver> {
            auto e = std::make_unique<fiscal::RegisterEmulator>(programFolder());
            kkt = e.get();
            return e;
        });
        screen->setQuitOnClose(false);
        core::SessionUser user;
        user.userId = 7;
        user.name = cashier;
        user.postLabel = QStringLiteral("Кассир : ");
        screen->setUser(user);
        ASSERT_NE(kkt, nullptr);
        kkt->setParam(fiscal::tag::CashierName, cashier);
        ASSERT_EQ(kkt->operatorLogin(), 0);
        ASSERT_EQ(kkt->openShift(), 0);
    }

    // The items the register was given, in order.
    QList<fiscal::JournalEntry> registrations() const {
        QList<fiscal::JournalEntry> out;
        for (const fiscal::JournalEntry& e : kkt->journal())
            if (e.method == QLatin1String("registration")) out << e;
        return out;
    }

    std::vector<fb::Row> rows(const QString& sql) {
        fb::Transaction tr(db());
        return fb::query(tr, sql);
    }

    void TearDown() override {
        screen.reset();
        module.reset();
        core::DataModule1 = nullptr;
        UpgradedDbTest::TearDown();
    }

    std::unique_ptr<core::TDataModule1> module;
    std::unique_ptr<TfmReg> screen;
    fiscal::RegisterEmulator* kkt = nullptr;
};

}  // namespace salestest
