#pragma once
// What the benchmarks that set our layer against raw client calls share: a
// database of the program's own shape in a temporary folder, and the check
// of a raw call.
#include "core/FreshDatabase.h"
#include "core/SchemaUpgrade.h"
#include "platform/db/Connection.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <ibase.h>

#include <cstdlib>

namespace bench {

struct FreshDb {
    QTemporaryDir dir;
    QString path = QDir(dir.path()).filePath(QStringLiteral("bench.fdb"));
    fb::Connection conn;
    // `upgraded`: brought up to the program's schema, as after a login.
    explicit FreshDb(bool upgraded = true) {
        fb::ConnectionParams p;
        p.database = path;
        conn = fb::Connection(p);
        core::createFreshDatabase(conn, path);
        if (upgraded) core::SchemaUpgrade(conn);
    }
};

// A failed raw call ends the run: a ratio against a call that did nothing
// would mean nothing.
inline void check(const ISC_STATUS* st) {
    if (st[0] == 1 && st[1]) {
        isc_print_status(st);
        std::abort();
    }
}

}  // namespace bench
