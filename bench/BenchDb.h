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
#include <ctime>
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

// A transaction through the client library alone: read-only for the
// program's lists, read-write for what writes. Commits in commit(), rolls
// back if never committed.
class RawTransaction {
public:
    RawTransaction(isc_db_handle* h, bool write) {
        static const char readTpb[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_read_committed, isc_tpb_rec_version,
                                       isc_tpb_nowait};
        static const char writeTpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed,
                                        isc_tpb_rec_version, isc_tpb_nowait};
        ISC_STATUS_ARRAY st;
        isc_start_transaction(st, &tr_, 1, h, write ? sizeof writeTpb : sizeof readTpb, write ? writeTpb : readTpb);
        check(st);
    }
    ~RawTransaction() {
        ISC_STATUS_ARRAY st;
        if (tr_) isc_rollback_transaction(st, &tr_);
    }
    RawTransaction(const RawTransaction&) = delete;
    RawTransaction& operator=(const RawTransaction&) = delete;
    void commit() {
        ISC_STATUS_ARRAY st;
        isc_commit_transaction(st, &tr_);
        check(st);
        tr_ = 0;
    }
    isc_tr_handle* handle() { return &tr_; }

private:
    isc_tr_handle tr_ = 0;
};

// A statement prepared once through the client library: whole-number, text
// and date parameters bound into plain buffers, rows fetched into plain
// buffers (read back as text or whole numbers only where a caller needs a
// value).
class RawStatement {
public:
    RawStatement(isc_db_handle* h, RawTransaction& tr, const QString& sql)
        : out_(alloc(40)), in_(alloc(40)) {
        ISC_STATUS_ARRAY st;
        isc_dsql_allocate_statement(st, h, &stmt_);
        check(st);
        const QByteArray text = cp1251(sql);
        isc_dsql_prepare(st, tr.handle(), &stmt_, 0, text.constData(), 3, nullptr);
        check(st);
        isc_dsql_describe(st, &stmt_, 3, out_.get());
        check(st);
        bufs_.resize(std::size_t(out_->sqld));
        inds_.resize(std::size_t(out_->sqld));
        for (int i = 0; i < out_->sqld; ++i) {
            bufs_[std::size_t(i)].resize(std::size_t(out_->sqlvar[i].sqllen) + 2);
            out_->sqlvar[i].sqldata = bufs_[std::size_t(i)].data();
            out_->sqlvar[i].sqlind = &inds_[std::size_t(i)];
        }
        isc_dsql_describe_bind(st, &stmt_, 3, in_.get());
        check(st);
    }
    ~RawStatement() {
        ISC_STATUS_ARRAY st;
        isc_dsql_free_statement(st, &stmt_, DSQL_drop);
    }
    RawStatement(const RawStatement&) = delete;
    RawStatement& operator=(const RawStatement&) = delete;

    void execute(RawTransaction& tr, const std::vector<fb::Value>& params = {}) {
        const std::size_t n = params.size();
        texts_.clear();
        texts_.reserve(n);
        ints_.assign(n, 0);
        dates_.assign(n, 0);
        inInds_.assign(n, 0);
        for (std::size_t i = 0; i < n; ++i) {
            XSQLVAR& v = in_->sqlvar[i];
            v.sqlind = &inInds_[i];
            if (std::holds_alternative<fb::Null>(params[i])) {
                inInds_[i] = -1;
                v.sqltype = SQL_TEXT | 1;
                v.sqllen = 0;
                v.sqldata = nullptr;
            } else if (const auto* whole = std::get_if<std::int64_t>(&params[i])) {
                ints_[i] = *whole;
                v.sqltype = SQL_INT64 | 1;
                v.sqlscale = 0;
                v.sqllen = 8;
                v.sqldata = reinterpret_cast<char*>(&ints_[i]);
            } else if (const auto* day = std::get_if<QDate>(&params[i])) {
                tm t{};
                t.tm_year = day->year() - 1900;
                t.tm_mon = day->month() - 1;
                t.tm_mday = day->day();
                isc_encode_sql_date(&t, &dates_[i]);
                v.sqltype = SQL_TYPE_DATE | 1;
                v.sqllen = sizeof(ISC_DATE);
                v.sqldata = reinterpret_cast<char*>(&dates_[i]);
            } else {
                // Bytes go as they are: text already in the database's code page.
                const auto* raw = std::get_if<QByteArray>(&params[i]);
                texts_.push_back(raw ? *raw : cp1251(std::get<QString>(params[i])));
                v.sqltype = SQL_TEXT | 1;
                v.sqllen = static_cast<short>(texts_.back().size());
                v.sqldata = texts_.back().data();
            }
        }
        in_->sqld = static_cast<short>(n);
        ISC_STATUS_ARRAY st;
        isc_dsql_execute(st, tr.handle(), &stmt_, 3, n > 0 ? in_.get() : nullptr);
        check(st);
    }
    bool fetch() {
        ISC_STATUS_ARRAY st;
        return isc_dsql_fetch(st, &stmt_, 3, out_.get()) == 0;
    }
    void close() {
        ISC_STATUS_ARRAY st;
        isc_dsql_free_statement(st, &stmt_, DSQL_close);
    }
    // A fetched whole number (INTEGER, SMALLINT, BIGINT without scale).
    std::int64_t whole(int column) const {
        const XSQLVAR& v = out_->sqlvar[column];
        switch (v.sqltype & ~1) {
            case SQL_SHORT: return *reinterpret_cast<const short*>(v.sqldata);
            case SQL_LONG: return *reinterpret_cast<const ISC_LONG*>(v.sqldata);
            default: return *reinterpret_cast<const ISC_INT64*>(v.sqldata);
        }
    }
    // A fetched VARCHAR's bytes (empty for NULL).
    QByteArray bytes(int column) const {
        const XSQLVAR& v = out_->sqlvar[column];
        if (*v.sqlind < 0) return {};
        if ((v.sqltype & ~1) == SQL_VARYING)
            return QByteArray(v.sqldata + 2, *reinterpret_cast<const short*>(v.sqldata));
        return QByteArray(v.sqldata, v.sqllen);
    }

private:
    using Sqlda = std::unique_ptr<XSQLDA, decltype(&std::free)>;
    static Sqlda alloc(short n) {
        Sqlda d(static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(n))), &std::free);
        d->version = SQLDA_VERSION1;
        d->sqln = n;
        return d;
    }
    isc_stmt_handle stmt_ = 0;
    Sqlda out_, in_;
    std::vector<std::vector<char>> bufs_;
    std::vector<short> inds_;
    std::vector<QByteArray> texts_;
    std::vector<ISC_INT64> ints_;
    std::vector<ISC_DATE> dates_;
    std::vector<short> inInds_;
};

// The raw side of a read: the statement prepared, its parameters bound, and
// `limit` rows (0: all) fetched into plain buffers through the client
// library alone, in a read-only transaction as the program's lists read.
// Returns the rows fetched.
inline int rawFetch(isc_db_handle* h, const QString& sql, const std::vector<fb::Value>& params = {}, int limit = 0) {
    RawTransaction tr(h, false);
    int rows = 0;
    {
        RawStatement s(h, tr, sql);
        s.execute(tr, params);
        while ((limit <= 0 || rows < limit) && s.fetch()) ++rows;
    }
    tr.commit();
    return rows;
}

}  // namespace bench
