// A signal that ends the program reaches the event loop, and the embedded
// engine, which has handlers of its own, keeps the database open meanwhile.
#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/sys/QuitSignals.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace {

TEST(QuitSignals, SignalReachesTheEventLoopAndTheDatabaseStaysOpen) {
    // As the program does: ours first, then the engine attaches and puts
    // its handlers in front.
    sys::QuitSignals signals_;
    ASSERT_TRUE(signals_.isActive());
    QTemporaryDir dir;
    fb::ConnectionParams params;
    params.database = QDir(dir.path()).filePath(QStringLiteral("signals.fdb"));
    fb::Connection db(params);
    db.create();

    QSignalSpy spy(&signals_, &sys::QuitSignals::quitRequested);
    for (const int s : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(s);
        spy.clear();
        ASSERT_EQ(std::raise(s), 0);
        ASSERT_TRUE(spy.count() > 0 || spy.wait(2000)) << "the event loop never heard of the signal";
        // The engine may pass the request on as well: at least one arrives.
        EXPECT_GE(spy.count(), 1);
        // Give the engine's own shutdown thread time to do its worst.
        QTest::qWait(300);
        EXPECT_TRUE(db.ping()) << "the engine shut itself down";
        fb::Transaction tr(db);
        const auto r = fb::queryOne(tr, QStringLiteral("SELECT 1 FROM RDB$DATABASE"));
        ASSERT_TRUE(r.has_value());
        tr.commit();
    }
}

}  // namespace
