#include "Transaction.h"

#include "Codec.h"
#include "Connection.h"
#include "Isc.h"

namespace fb {

namespace {
// read committed + record versions + no wait, read-write: a lock conflict
// fails at once instead of freezing the till.
const char kTpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version, isc_tpb_nowait};
const char kReadOnlyTpb[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_read_committed, isc_tpb_rec_version,
                             isc_tpb_nowait};

QString quotedName(const QString& name) {
    QString n = name;
    n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}
}  // namespace

Transaction::Transaction(Connection& connection, Access access) : connection_(&connection) {
    connection.ensureConnected();
    const bool readOnly = access == Access::ReadOnly;
    const char* tpb = readOnly ? kReadOnlyTpb : kTpb;
    const auto size = static_cast<unsigned short>(readOnly ? sizeof kReadOnlyTpb : sizeof kTpb);
    ISC_STATUS_ARRAY st;
    isc_start_transaction(st, &handle_, 1, connection.handle(), size, tpb);
    detail::check(st, "isc_start_transaction");
}

Transaction::~Transaction() {
    if (handle_) {
        ISC_STATUS_ARRAY st;
        isc_rollback_transaction(st, &handle_);
        handle_ = 0;
    }
}

Transaction::Transaction(Transaction&& other) noexcept : connection_(other.connection_), handle_(other.handle_) {
    other.handle_ = 0;
}

isc_tr_handle* Transaction::handle() {
    if (!handle_) throwUsage(QStringLiteral("Транзакция уже завершена"));
    return &handle_;
}

void Transaction::commit() {
    ISC_STATUS_ARRAY st;
    isc_commit_transaction(st, handle());
    detail::check(st, "isc_commit_transaction");
    handle_ = 0;
}

void Transaction::commitRetaining() {
    ISC_STATUS_ARRAY st;
    isc_commit_retaining(st, handle());
    detail::check(st, "isc_commit_retaining");
}

void Transaction::rollback() {
    ISC_STATUS_ARRAY st;
    isc_rollback_transaction(st, handle());
    detail::check(st, "isc_rollback_transaction");
    handle_ = 0;
}

void Transaction::executeImmediate(const QString& sql) {
    ISC_STATUS_ARRAY st;
    const QByteArray text = toWin1251(sql);
    isc_dsql_execute_immediate(st, connection_->handle(), handle(), 0, text.constData(), SQL_DIALECT_V6, nullptr);
    detail::check(st, "isc_dsql_execute_immediate");
}

void Transaction::savepoint(const QString& name) { executeImmediate(QStringLiteral("SAVEPOINT ") + quotedName(name)); }
void Transaction::rollbackToSavepoint(const QString& name) {
    executeImmediate(QStringLiteral("ROLLBACK TO SAVEPOINT ") + quotedName(name));
}
void Transaction::releaseSavepoint(const QString& name) {
    executeImmediate(QStringLiteral("RELEASE SAVEPOINT ") + quotedName(name));
}

}  // namespace fb
