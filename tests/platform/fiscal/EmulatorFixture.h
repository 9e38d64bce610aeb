#pragma once
// A connected register emulator in a fresh folder, with the few steps most
// tests need spelled once.
#include "platform/fiscal/RegisterEmulator.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace fiscal::test {

// A register in its own temporary folder, connected.
struct EmulatedRegister {
    EmulatedRegister() {
        EXPECT_TRUE(dir.isValid());
        kkt = std::make_unique<RegisterEmulator>(dir.path());
        EXPECT_EQ(kkt->open(), 0);
    }

    // A new emulator on the same folder, as after a restart of the program.
    void restart() {
        kkt.reset();
        kkt = std::make_unique<RegisterEmulator>(dir.path());
        EXPECT_EQ(kkt->open(), 0);
    }

    int openShift() {
        kkt->setParam(tag::CashierName, "Кассир Иванова");
        kkt->setParam(tag::CashierInn, "");
        if (kkt->operatorLogin() != 0) return -1;
        return kkt->openShift();
    }

    int cashIn(const QString& sum) {
        kkt->setParam(LIBFPTR_PARAM_SUM, sum);
        return kkt->cashIncome();
    }

    int openReceipt(int type = LIBFPTR_RT_SELL) {
        kkt->setParam(LIBFPTR_PARAM_RECEIPT_TYPE, type);
        kkt->setParam(tag::TaxSystem, LIBFPTR_TT_OSN);
        return kkt->openReceipt();
    }

    int addItem(const QString& name, const QString& price, const QString& quantity, int tax = LIBFPTR_TAX_VAT20) {
        kkt->setParam(LIBFPTR_PARAM_COMMODITY_NAME, name);
        kkt->setParam(LIBFPTR_PARAM_PRICE, price);
        kkt->setParam(LIBFPTR_PARAM_QUANTITY, quantity);
        kkt->setParam(LIBFPTR_PARAM_TAX_TYPE, tax);
        kkt->setParam(tag::MeasurementUnit, 0);
        kkt->setParam(tag::PaymentObject, "1");
        kkt->setParam(tag::PaymentMethod, 4);
        return kkt->registration();
    }

    int pay(int type, const QString& sum) {
        kkt->setParam(LIBFPTR_PARAM_PAYMENT_TYPE, type);
        kkt->setParam(LIBFPTR_PARAM_PAYMENT_SUM, sum);
        return kkt->payment();
    }

    // A whole cash sale of one item; returns closeReceipt's result.
    int sell(const QString& price) {
        if (openReceipt() != 0 || addItem(QStringLiteral("Хлеб"), price, QStringLiteral("1")) != 0 ||
            pay(LIBFPTR_PT_CASH, price) != 0)
            return -1;
        return kkt->closeReceipt();
    }

    int status() {
        kkt->setParam(LIBFPTR_PARAM_DATA_TYPE, LIBFPTR_DT_STATUS);
        return kkt->queryData();
    }

    int lastDocumentNumber() {
        kkt->setParam(LIBFPTR_PARAM_FN_DATA_TYPE, LIBFPTR_FNDT_LAST_DOCUMENT);
        EXPECT_EQ(kkt->fnQueryData(), 0);
        return kkt->getParamInt(LIBFPTR_PARAM_DOCUMENT_NUMBER);
    }

    QString tape() const {
        QFile file(kkt->tapePath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir dir;
    std::unique_ptr<RegisterEmulator> kkt;
};

class EmulatorTest : public ::testing::Test, public EmulatedRegister {};

}  // namespace fiscal::test
