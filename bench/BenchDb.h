#pragma once
// What the benchmarks that set our layer against raw client calls share: a
// database of the program's own shape in a temporary folder, the check of a
// raw call, and the raw side of a read.
#include "core/FreshDatabase.h"
#include "core/SchemaUpgrade.h"
#include "platform/db/Connection.h"
#include "platform/db/Value.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <ibase.h>

#include <cstdlib>
#include <memory>
#include <vector>

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

// Text in Windows-1251, the database's character set, as a raw call sends it.
inline QByteArray cp1251(const QString& text) {
    QByteArray b;
    b.reserve(text.size());
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u < 128)
            b += char(u);
        else if (u >= 0x0410 && u <= 0x044F)
            b += char(u - 0x0410 + 0xC0);
        else if (u == 0x0401)
            b += char(0xA8);
        else if (u == 0x0451)
            b += char(0xB8);
        else if (u == 0x00A4)
            b += char(0xA4);
        else
            b += '?';
    }
    return b;
}

// The raw side of a read: the statement prepared, its whole-number and text
// parameters bound, and `limit` rows (0: all) fetched into plain buffers
// through the client library alone, in a read-only transaction as the
// program's lists read. Returns the rows fetched.
inline int rawFetch(isc_db_handle* h, const QString& sql, const std::vector<fb::Value>& params = {}, int limit = 0) {
    using Sqlda = std::unique_ptr<XSQLDA, decltype(&std::free)>;
    static const char tpb[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_read_committed, isc_tpb_rec_version,
                               isc_tpb_nowait};
    ISC_STATUS_ARRAY st;
    isc_tr_handle tr = 0;
    isc_start_transaction(st, &tr, 1, h, sizeof tpb, tpb);
    check(st);
    isc_stmt_handle stmt = 0;
    isc_dsql_allocate_statement(st, h, &stmt);
    const QByteArray text = cp1251(sql);
    isc_dsql_prepare(st, &tr, &stmt, 0, text.constData(), 3, nullptr);
    check(st);
    Sqlda out(static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(40))), &std::free);
    out->version = SQLDA_VERSION1;
    out->sqln = 40;
    isc_dsql_describe(st, &stmt, 3, out.get());
    check(st);
    std::vector<std::vector<char>> bufs(std::size_t(out->sqld));
    std::vector<short> inds(std::size_t(out->sqld));
    for (int i = 0; i < out->sqld; ++i) {
        bufs[std::size_t(i)].resize(std::size_t(out->sqlvar[i].sqllen) + 2);
        out->sqlvar[i].sqldata = bufs[std::size_t(i)].data();
        out->sqlvar[i].sqlind = &inds[std::size_t(i)];
    }
    const short n = static_cast<short>(params.size());
    Sqlda in(static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(n > 0 ? n : 1))), &std::free);
    in->version = SQLDA_VERSION1;
    in->sqln = n;
    std::vector<QByteArray> texts;
    texts.reserve(params.size());
    std::vector<ISC_INT64> ints(params.size());
    std::vector<short> inInds(params.size(), 0);
    if (n > 0) {
        isc_dsql_describe_bind(st, &stmt, 3, in.get());
        check(st);
        for (std::size_t i = 0; i < params.size(); ++i) {
            XSQLVAR& v = in->sqlvar[i];
            v.sqlind = &inInds[i];
            if (const auto* whole = std::get_if<std::int64_t>(&params[i])) {
                ints[i] = *whole;
                v.sqltype = SQL_INT64 | 1;
                v.sqlscale = 0;
                v.sqllen = 8;
                v.sqldata = reinterpret_cast<char*>(&ints[i]);
            } else {
                texts.push_back(cp1251(std::get<QString>(params[i])));
                v.sqltype = SQL_TEXT | 1;
                v.sqllen = static_cast<short>(texts.back().size());
                v.sqldata = texts.back().data();
            }
        }
    }
    isc_dsql_execute(st, &tr, &stmt, 3, n > 0 ? in.get() : nullptr);
    check(st);
    int rows = 0;
    while ((limit <= 0 || rows < limit) && isc_dsql_fetch(st, &stmt, 3, out.get()) == 0) ++rows;
    isc_dsql_free_statement(st, &stmt, DSQL_drop);
    isc_commit_transaction(st, &tr);
    check(st);
    return rows;
}

}  // namespace bench
