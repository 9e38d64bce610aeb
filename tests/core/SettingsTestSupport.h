#pragma once
// Shared set-up of the settings tests: a scale connection over a scripted
// port, finding a window's controls by name, and reading back both stores
// the settings are kept in (the options file and the OPTIONS table).
#include "core/ScaleConnection.h"
#include "core/Settings.h"
#include "core/SettingsFile.h"
#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/serial/Clock.h"
#include "platform/serial/FakeSerialPort.h"

#include "ScaleFrames.h"

#include <QFile>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace coretest {

// A scale connection over a scripted port and a clock that only counts.
struct ScaleRig {
    serial::FakeClock* clock;
    serial::FakeSerialPort* port;
    std::unique_ptr<ScaleConnection> scale;
    ScaleRig() {
        auto c = std::make_unique<serial::FakeClock>();
        auto p = std::make_unique<serial::FakeSerialPort>(c.get());
        clock = c.get();
        port = p.get();
        scale = std::make_unique<ScaleConnection>(std::move(p), std::move(c));
    }
    // The scale's next answers: ready, then `grams` on the platform.
    void answer(qint16 grams) {
        port->addReply(QByteArray(1, 0x15));
        port->addReply(scaletest::weightReplyGrams(grams));
    }
};

// The control of `window` named `name`; a missing one fails the test.
template <class T>
T* findNamed(QWidget* window, const char* name) {
    T* w = window->findChild<T*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

inline QByteArray optionsFileBytes(const QString& programFolder) {
    QFile f(core::optionsFilePath(programFolder));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QList<core::OptionRow> readOptionRows(fb::Connection& db) {
    fb::Transaction tr(db);
    QList<core::OptionRow> rows;
    for (const fb::Row& r : fb::query(tr, QStringLiteral("SELECT OPTION_NAME, OPTION_VALUE FROM OPTIONS")))
        rows.append({r.str(QStringLiteral("OPTION_NAME")), r.str(QStringLiteral("OPTION_VALUE"))});
    tr.commit();
    return rows;
}

// Every key set; the tax system, payment kind and tobacco sum are the
// caller's, as each test spells them.
inline core::SettingsInput everySettingsKey(const QString& taxSystemText, int payTypeIndex,
                                            const QString& tobaccoRoubles) {
    core::SettingsInput in;
    in.taxSystemText = taxSystemText;
    in.operDefault = QString::fromUtf8("Возврат прихода");
    in.payTypeIndex = payTypeIndex;
    in.maxDiscount = QStringLiteral("12.5");
    in.email = QString::fromUtf8("o'neil@магазин.рф");
    in.tobaccoRule = 3;
    in.tobaccoRoubles = tobaccoRoubles;
    in.scaleProtocol = 2;
    in.scalePort = QStringLiteral("ttyUSB0");
    in.scaleBaudRate = QStringLiteral("9600");
    in.scaleTimeout = QStringLiteral("50");
    in.kktPortName = QStringLiteral("ttyACM0");
    in.kktBaudRate = QStringLiteral("115200");
    in.units = {{QString::fromUtf8("шт"), 0}, {QString::fromUtf8("кВт*ч"), 50}, {QString::fromUtf8("куб.м"), 42}};
    return in;
}

}  // namespace coretest
