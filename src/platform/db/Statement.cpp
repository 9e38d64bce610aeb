#include "Statement.h"

#include "Codec.h"
#include "Connection.h"
#include "Isc.h"
#include "Transaction.h"

#include <cstring>
#include <ctime>

namespace fb {

namespace {

XSQLDA* allocDa(int n) {
    auto* da = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(n)));
    da->version = SQLDA_VERSION1;
    da->sqln = static_cast<short>(n);
    return da;
}

struct DaDeleter {
    void operator()(XSQLDA* p) const noexcept { std::free(p); }
};
using DaPtr = std::unique_ptr<XSQLDA, DaDeleter>;

int baseType(const XSQLVAR& v) { return v.sqltype & ~1; }

ISC_TIME encodeTime(const QTime& t) {
    return static_cast<ISC_TIME>((t.hour() * 3600 + t.minute() * 60 + t.second()) * 10000 + t.msec() * 10);
}

QTime decodeTime(ISC_TIME t) {
    const int totalMs = static_cast<int>(t / 10);
    return QTime::fromMSecsSinceStartOfDay(totalMs);
}

ISC_DATE encodeDate(const QDate& d) {
    std::tm tm{};
    tm.tm_year = d.year() - 1900;
    tm.tm_mon = d.month() - 1;
    tm.tm_mday = d.day();
    ISC_DATE out = 0;
    isc_encode_sql_date(&tm, &out);
    return out;
}

QDate decodeDate(ISC_DATE d) {
    std::tm tm{};
    isc_decode_sql_date(&d, &tm);
    return QDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

}  // namespace

struct Statement::Impl {
    Connection* conn = nullptr;
    QString sql;
    isc_stmt_handle stmt = 0;
    DaPtr in;
    DaPtr out;
    int stmtType = 0;
    std::vector<Value> bound;
    std::vector<std::vector<char>> inData;
    std::vector<short> inInd;
    std::vector<ISC_QUAD> inBlobs;
    std::vector<std::vector<char>> outData;
    std::vector<short> outInd;
    std::shared_ptr<QStringList> names;
    Row current;
    bool cursorOpen = false;
    bool pendingProcRow = false;
    isc_tr_handle* lastTr = nullptr;

    void prepare(isc_tr_handle* tr) {
        ISC_STATUS_ARRAY st;
        isc_dsql_allocate_statement(st, conn->handle(), &stmt);
        detail::check(st, "isc_dsql_allocate_statement");
        out.reset(allocDa(20));
        const QByteArray text = toWin1251(sql);
        if (isc_dsql_prepare(st, tr, &stmt, 0, text.constData(), SQL_DIALECT_V6, out.get())) {
            const Error e = detail::makeError(st, "isc_dsql_prepare");
            ISC_STATUS_ARRAY st2;
            isc_dsql_free_statement(st2, &stmt, DSQL_drop);
            stmt = 0;
            throw e;
        }
        if (out->sqld > out->sqln) {
            const int n = out->sqld;
            out.reset(allocDa(n));
            isc_dsql_describe(st, &stmt, SQL_DIALECT_V6, out.get());
            detail::check(st, "isc_dsql_describe");
        }
        in.reset(allocDa(10));
        isc_dsql_describe_bind(st, &stmt, SQL_DIALECT_V6, in.get());
        detail::check(st, "isc_dsql_describe_bind");
        if (in->sqld > in->sqln) {
            const int n = in->sqld;
            in.reset(allocDa(n));
            isc_dsql_describe_bind(st, &stmt, SQL_DIALECT_V6, in.get());
            detail::check(st, "isc_dsql_describe_bind");
        }
        readType();
        setupOutput();
        bound.assign(static_cast<size_t>(in->sqld), Null{});
        inData.resize(static_cast<size_t>(in->sqld));
        inInd.assign(static_cast<size_t>(in->sqld), -1);
        inBlobs.resize(static_cast<size_t>(in->sqld));
    }

    void readType() {
        ISC_STATUS_ARRAY st;
        const char item = isc_info_sql_stmt_type;
        char buf[16] = {};
        isc_dsql_sql_info(st, &stmt, 1, &item, sizeof buf, buf);
        detail::check(st, "isc_dsql_sql_info");
        if (buf[0] == isc_info_sql_stmt_type) {
            const short len = static_cast<short>(isc_vax_integer(buf + 1, 2));
            stmtType = static_cast<int>(isc_vax_integer(buf + 3, len));
        }
    }

    void setupOutput() {
        const int n = out->sqld;
        outData.resize(static_cast<size_t>(n));
        outInd.assign(static_cast<size_t>(n), 0);
        auto list = std::make_shared<QStringList>();
        for (int i = 0; i < n; ++i) {
            XSQLVAR& v = out->sqlvar[i];
            const int t = baseType(v);
            size_t size = static_cast<size_t>(v.sqllen);
            if (t == SQL_VARYING) size += 2;
            outData[static_cast<size_t>(i)].assign(size + 1, 0);
            v.sqldata = outData[static_cast<size_t>(i)].data();
            v.sqlind = &outInd[static_cast<size_t>(i)];
            v.sqltype = static_cast<short>(t | 1);
            list->append(QString::fromLatin1(v.aliasname, v.aliasname_length));
        }
        names = std::move(list);
    }

    void bindInputs(isc_tr_handle* tr) {
        for (int i = 0; i < in->sqld; ++i) {
            XSQLVAR& v = in->sqlvar[i];
            const size_t k = static_cast<size_t>(i);
            const Value& val = bound[k];
            std::vector<char>& buf = inData[k];
            v.sqlind = &inInd[k];
            const int described = baseType(v);
            if (isNull(val)) {
                inInd[k] = -1;
                if (buf.size() < 8) buf.assign(std::max<size_t>(8, static_cast<size_t>(v.sqllen) + 2), 0);
                v.sqldata = buf.data();
                v.sqltype = static_cast<short>(described | 1);
                continue;
            }
            inInd[k] = 0;
            auto setBytes = [&](const char* data, size_t size) {
                buf.assign(data, data + size);
                if (buf.empty()) buf.push_back(0);
                v.sqldata = buf.data();
            };
            auto putText = [&](const QByteArray& bytes, bool octets) {
                if (described == SQL_BLOB) {
                    writeBlob(tr, k, bytes);
                    return;
                }
                const bool wasText = described == SQL_TEXT || described == SQL_VARYING;
                v.sqltype = SQL_TEXT | 1;
                v.sqlsubtype = wasText ? v.sqlsubtype : static_cast<short>(octets ? 1 : 0);
                v.sqlscale = 0;
                v.sqllen = static_cast<short>(bytes.size());
                setBytes(bytes.constData(), static_cast<size_t>(bytes.size()));
            };
            if (const auto* x = std::get_if<std::int64_t>(&val)) {
                v.sqltype = SQL_INT64 | 1;
                v.sqlscale = 0;
                v.sqllen = 8;
                setBytes(reinterpret_cast<const char*>(x), 8);
            } else if (const auto* d = std::get_if<Decimal>(&val)) {
                v.sqltype = SQL_INT64 | 1;
                v.sqlscale = static_cast<short>(-d->scale);
                v.sqllen = 8;
                setBytes(reinterpret_cast<const char*>(&d->value), 8);
            } else if (const auto* f = std::get_if<double>(&val)) {
                v.sqltype = SQL_DOUBLE | 1;
                v.sqlscale = 0;
                v.sqllen = 8;
                setBytes(reinterpret_cast<const char*>(f), 8);
            } else if (const auto* s = std::get_if<QString>(&val)) {
                putText(toWin1251(*s), false);
            } else if (const auto* b = std::get_if<QByteArray>(&val)) {
                putText(*b, true);
            } else if (const auto* dt = std::get_if<QDate>(&val)) {
                const ISC_DATE x = encodeDate(*dt);
                v.sqltype = SQL_TYPE_DATE | 1;
                v.sqllen = sizeof x;
                setBytes(reinterpret_cast<const char*>(&x), sizeof x);
            } else if (const auto* tm = std::get_if<QTime>(&val)) {
                const ISC_TIME x = encodeTime(*tm);
                v.sqltype = SQL_TYPE_TIME | 1;
                v.sqllen = sizeof x;
                setBytes(reinterpret_cast<const char*>(&x), sizeof x);
            } else if (const auto* ts = std::get_if<QDateTime>(&val)) {
                ISC_TIMESTAMP x{encodeDate(ts->date()), encodeTime(ts->time())};
                v.sqltype = SQL_TIMESTAMP | 1;
                v.sqllen = sizeof x;
                setBytes(reinterpret_cast<const char*>(&x), sizeof x);
            }
        }
    }

    void writeBlob(isc_tr_handle* tr, size_t k, const QByteArray& bytes) {
        ISC_STATUS_ARRAY st;
        isc_blob_handle blob = 0;
        ISC_QUAD id{};
        isc_create_blob2(st, conn->handle(), tr, &blob, &id, 0, nullptr);
        detail::check(st, "isc_create_blob2");
        for (qsizetype pos = 0; pos < bytes.size(); pos += 32000) {
            const auto len = static_cast<unsigned short>(std::min<qsizetype>(32000, bytes.size() - pos));
            if (isc_put_segment(st, &blob, len, bytes.constData() + pos)) {
                const Error e = detail::makeError(st, "isc_put_segment");
                ISC_STATUS_ARRAY st2;
                isc_cancel_blob(st2, &blob);
                throw e;
            }
        }
        isc_close_blob(st, &blob);
        detail::check(st, "isc_close_blob");
        inBlobs[k] = id;
        XSQLVAR& v = in->sqlvar[static_cast<int>(k)];
        v.sqltype = SQL_BLOB | 1;
        v.sqllen = sizeof(ISC_QUAD);
        v.sqldata = reinterpret_cast<char*>(&inBlobs[k]);
    }

    QByteArray readBlob(ISC_QUAD id) {
        ISC_STATUS_ARRAY st;
        isc_blob_handle blob = 0;
        isc_open_blob2(st, conn->handle(), lastTr, &blob, &id, 0, nullptr);
        detail::check(st, "isc_open_blob2");
        QByteArray result;
        char seg[8192];
        unsigned short got = 0;
        for (;;) {
            const ISC_STATUS rc = isc_get_segment(st, &blob, &got, sizeof seg, seg);
            if (rc == 0 || st[1] == isc_segment) {
                result.append(seg, got);
                continue;
            }
            if (st[1] == isc_segstr_eof) break;
            const Error e = detail::makeError(st, "isc_get_segment");
            ISC_STATUS_ARRAY st2;
            isc_close_blob(st2, &blob);
            throw e;
        }
        isc_close_blob(st, &blob);
        return result;
    }

    void buildRow() {
        std::vector<Value> values = current.takeValues();
        values.clear();
        values.reserve(static_cast<size_t>(out->sqld));
        for (int i = 0; i < out->sqld; ++i) {
            const XSQLVAR& v = out->sqlvar[i];
            if (*v.sqlind < 0) {
                values.emplace_back(Null{});
                continue;
            }
            const char* p = v.sqldata;
            const int t = baseType(v);
            auto scaled = [&](std::int64_t x) -> Value {
                if (v.sqlscale == 0) return x;
                return Decimal{x, -v.sqlscale};
            };
            switch (t) {
            case SQL_TEXT:
                if (v.sqlsubtype == 1)
                    values.emplace_back(QByteArray(p, v.sqllen));
                else
                    values.emplace_back(fromWin1251(p, v.sqllen));
                break;
            case SQL_VARYING: {
                short len = 0;
                std::memcpy(&len, p, 2);
                if (v.sqlsubtype == 1)
                    values.emplace_back(QByteArray(p + 2, len));
                else
                    values.emplace_back(fromWin1251(p + 2, len));
                break;
            }
            case SQL_SHORT: {
                short x;
                std::memcpy(&x, p, sizeof x);
                values.push_back(scaled(x));
                break;
            }
            case SQL_LONG: {
                ISC_LONG x;
                std::memcpy(&x, p, sizeof x);
                values.push_back(scaled(x));
                break;
            }
            case SQL_INT64: {
                ISC_INT64 x;
                std::memcpy(&x, p, sizeof x);
                values.push_back(scaled(x));
                break;
            }
            case SQL_FLOAT: {
                float x;
                std::memcpy(&x, p, sizeof x);
                values.emplace_back(static_cast<double>(x));
                break;
            }
            case SQL_DOUBLE:
            case SQL_D_FLOAT: {
                double x;
                std::memcpy(&x, p, sizeof x);
                values.emplace_back(x);
                break;
            }
            case SQL_TYPE_DATE: {
                ISC_DATE x;
                std::memcpy(&x, p, sizeof x);
                values.emplace_back(decodeDate(x));
                break;
            }
            case SQL_TYPE_TIME: {
                ISC_TIME x;
                std::memcpy(&x, p, sizeof x);
                values.emplace_back(decodeTime(x));
                break;
            }
            case SQL_TIMESTAMP: {
                ISC_TIMESTAMP x;
                std::memcpy(&x, p, sizeof x);
                values.emplace_back(QDateTime(decodeDate(x.timestamp_date), decodeTime(x.timestamp_time)));
                break;
            }
            case SQL_BLOB: {
                ISC_QUAD id;
                std::memcpy(&id, p, sizeof id);
                const QByteArray bytes = readBlob(id);
                if (v.sqlsubtype == 1)
                    values.emplace_back(fromWin1251(bytes));
                else
                    values.emplace_back(bytes);
                break;
            }
#ifdef SQL_BOOLEAN
            case SQL_BOOLEAN:
                values.emplace_back(static_cast<std::int64_t>(*p != 0));
                break;
#endif
            default:
                values.emplace_back(Null{});
            }
        }
        current.reset(names, std::move(values));
    }

    void close() {
        if (cursorOpen) {
            ISC_STATUS_ARRAY st;
            isc_dsql_free_statement(st, &stmt, DSQL_close);
            cursorOpen = false;
        }
        pendingProcRow = false;
    }
};

Statement::Statement(Connection& connection, const QString& sql) : d_(std::make_unique<Impl>()) {
    d_->conn = &connection;
    d_->sql = sql;
    connection.ensureConnected();
    Transaction tr(connection);
    d_->prepare(tr.handle());
    tr.commit();
}

Statement::Statement(Transaction& transaction, const QString& sql) : d_(std::make_unique<Impl>()) {
    d_->conn = &transaction.connection();
    d_->sql = sql;
    d_->prepare(transaction.handle());
}

Statement::~Statement() {
    if (d_ && d_->stmt) {
        ISC_STATUS_ARRAY st;
        isc_dsql_free_statement(st, &d_->stmt, DSQL_drop);
    }
}

Statement::Statement(Statement&& other) noexcept = default;

int Statement::parameterCount() const { return d_->in->sqld; }
int Statement::columnCount() const { return d_->out->sqld; }
QStringList Statement::columnNames() const { return *d_->names; }
bool Statement::isSelect() const {
    return d_->stmtType == isc_info_sql_stmt_select || d_->stmtType == isc_info_sql_stmt_select_for_upd;
}

void Statement::bind(int index, Value value) {
    if (index < 0 || index >= parameterCount())
        throwUsage(QStringLiteral("Параметр %1 вне диапазона (всего %2)").arg(index).arg(parameterCount()));
    d_->bound[static_cast<size_t>(index)] = std::move(value);
}

void Statement::bindAll(std::initializer_list<Value> values) {
    if (static_cast<int>(values.size()) != parameterCount())
        throwUsage(QStringLiteral("Ожидалось параметров: %1, передано: %2").arg(parameterCount()).arg(values.size()));
    size_t i = 0;
    for (const Value& v : values) d_->bound[i++] = v;
}

void Statement::bindAll(const std::vector<Value>& values) {
    if (static_cast<int>(values.size()) != parameterCount())
        throwUsage(QStringLiteral("Ожидалось параметров: %1, передано: %2").arg(parameterCount()).arg(values.size()));
    for (size_t i = 0; i < values.size(); ++i) d_->bound[i] = values[i];
}

void Statement::clearBindings() { std::fill(d_->bound.begin(), d_->bound.end(), Value{Null{}}); }

void Statement::execute(Transaction& transaction, std::initializer_list<Value> values) {
    bindAll(values);
    execute(transaction);
}

void Statement::execute(Transaction& transaction) {
    d_->close();
    isc_tr_handle* tr = transaction.handle();
    d_->lastTr = tr;
    d_->bindInputs(tr);
    ISC_STATUS_ARRAY st;
    XSQLDA* in = d_->in->sqld > 0 ? d_->in.get() : nullptr;
    if (isSelect()) {
        isc_dsql_execute(st, tr, &d_->stmt, SQL_DIALECT_V6, in);
        detail::check(st, "isc_dsql_execute");
        d_->cursorOpen = true;
    } else if (d_->out->sqld > 0) {
        isc_dsql_execute2(st, tr, &d_->stmt, SQL_DIALECT_V6, in, d_->out.get());
        detail::check(st, "isc_dsql_execute2");
        d_->buildRow();
        d_->pendingProcRow = true;
    } else {
        isc_dsql_execute(st, tr, &d_->stmt, SQL_DIALECT_V6, in);
        detail::check(st, "isc_dsql_execute");
    }
}

bool Statement::fetch() {
    if (d_->pendingProcRow) {
        d_->pendingProcRow = false;
        return true;
    }
    if (!d_->cursorOpen) return false;
    ISC_STATUS_ARRAY st;
    const ISC_STATUS rc = isc_dsql_fetch(st, &d_->stmt, SQL_DIALECT_V6, d_->out.get());
    if (rc == 100) {
        d_->close();
        return false;
    }
    if (rc != 0) {
        const Error e = detail::makeError(st, "isc_dsql_fetch");
        d_->close();
        throw e;
    }
    d_->buildRow();
    return true;
}

const Row& Statement::row() const { return d_->current; }

std::vector<Row> Statement::fetchAll() {
    std::vector<Row> rows;
    while (fetch()) rows.push_back(d_->current);
    return rows;
}

void Statement::closeCursor() { d_->close(); }

QString Statement::plan() const {
    ISC_STATUS_ARRAY st;
    const char item = isc_info_sql_get_plan;
    std::vector<char> buf(4096);
    for (;;) {
        isc_dsql_sql_info(st, &d_->stmt, 1, &item, static_cast<short>(buf.size()), buf.data());
        detail::check(st, "isc_dsql_sql_info");
        if (buf[0] == isc_info_truncated && buf.size() < 32768) {
            buf.resize(buf.size() * 2);
            continue;
        }
        if (buf[0] != isc_info_sql_get_plan) return {};
        const auto len = static_cast<int>(isc_vax_integer(buf.data() + 1, 2));
        return QString::fromLatin1(buf.data() + 3, len).trimmed();
    }
}

long Statement::affectedRows() {
    ISC_STATUS_ARRAY st;
    const char item = isc_info_sql_records;
    char buf[64] = {};
    isc_dsql_sql_info(st, &d_->stmt, 1, &item, sizeof buf, buf);
    detail::check(st, "isc_dsql_sql_info");
    if (buf[0] != isc_info_sql_records) return 0;
    long total = 0;
    const char* p = buf + 3;
    while (*p != isc_info_end) {
        const char kind = *p++;
        const short len = static_cast<short>(isc_vax_integer(p, 2));
        p += 2;
        const long value = isc_vax_integer(p, len);
        p += len;
        if (kind == isc_info_req_insert_count || kind == isc_info_req_update_count || kind == isc_info_req_delete_count)
            total += value;
    }
    return total;
}

std::vector<Row> query(Transaction& tr, const QString& sql, std::initializer_list<Value> params) {
    Statement s(tr, sql);
    s.execute(tr, params);
    return s.fetchAll();
}

std::optional<Row> queryOne(Transaction& tr, const QString& sql, std::initializer_list<Value> params) {
    Statement s(tr, sql);
    s.execute(tr, params);
    if (!s.fetch()) return std::nullopt;
    Row r = s.row();
    s.closeCursor();
    return r;
}

long execute(Transaction& tr, const QString& sql, std::initializer_list<Value> params) {
    Statement s(tr, sql);
    s.execute(tr, params);
    return s.affectedRows();
}

}  // namespace fb
