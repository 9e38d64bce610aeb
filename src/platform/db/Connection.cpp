#include "Connection.h"

#include "Codec.h"
#include "Isc.h"
#include "Statement.h"
#include "Transaction.h"

#include <vector>

namespace fb {

namespace {

void addItem(std::vector<char>& dpb, char tag, const QByteArray& value) {
    dpb.push_back(tag);
    dpb.push_back(static_cast<char>(value.size()));
    dpb.insert(dpb.end(), value.begin(), value.end());
}

std::vector<char> buildDpb(const ConnectionParams& p) {
    std::vector<char> dpb{isc_dpb_version1};
    addItem(dpb, isc_dpb_user_name, p.user.toUtf8());
    addItem(dpb, isc_dpb_password, p.password.toUtf8());
    addItem(dpb, isc_dpb_lc_ctype, p.charset.toLatin1());
    dpb.push_back(isc_dpb_sql_dialect);
    dpb.push_back(1);
    dpb.push_back(SQL_DIALECT_V6);
    return dpb;
}

}  // namespace

Connection::Connection(ConnectionParams params) : params_(std::move(params)) {}

Connection::~Connection() { detach(); }

Connection::Connection(Connection&& other) noexcept
    : params_(std::move(other.params_)), handle_(other.handle_), procCache_(std::move(other.procCache_)) {
    other.handle_ = 0;
}

Connection& Connection::operator=(Connection&& other) noexcept {
    if (this != &other) {
        detach();
        params_ = std::move(other.params_);
        handle_ = other.handle_;
        procCache_ = std::move(other.procCache_);
        other.handle_ = 0;
    }
    return *this;
}

void Connection::setDatabase(const QString& database) {
    if (database != params_.database) detach();
    params_.database = database;
}

void Connection::attach() {
    if (handle_) return;
    if (params_.database.isEmpty()) throwUsage(QStringLiteral("Не задано имя базы данных"));
    const std::vector<char> dpb = buildDpb(params_);
    const QByteArray name = params_.database.toUtf8();
    ISC_STATUS_ARRAY st;
    isc_db_handle h = 0;
    isc_attach_database(st, static_cast<short>(name.size()), name.constData(), &h, static_cast<short>(dpb.size()),
                        dpb.data());
    detail::check(st, "isc_attach_database");
    handle_ = h;
}

void Connection::create() {
    if (handle_) throwUsage(QStringLiteral("Соединение уже открыто"));
    auto quote = [](QString s) { return s.replace(QLatin1Char('\''), QStringLiteral("''")); };
    const QString sql = QStringLiteral("CREATE DATABASE '%1' USER '%2' PASSWORD '%3' PAGE_SIZE 8192 DEFAULT CHARACTER SET %4")
                            .arg(quote(params_.database), quote(params_.user), quote(params_.password), params_.charset);
    const QByteArray text = sql.toUtf8();
    ISC_STATUS_ARRAY st;
    isc_db_handle h = 0;
    isc_tr_handle tr = 0;
    isc_dsql_execute_immediate(st, &h, &tr, 0, text.constData(), SQL_DIALECT_V6, nullptr);
    detail::check(st, "CREATE DATABASE");
    // The attachment made by CREATE DATABASE has no lc_ctype: reattach with
    // the program's recipe.
    isc_detach_database(st, &h);
    attach();
}

void Connection::detach() noexcept {
    if (handle_) {
        ISC_STATUS_ARRAY st;
        isc_detach_database(st, &handle_);
        handle_ = 0;
    }
    procCache_.clear();
}

void Connection::ensureConnected() {
    if (!handle_) attach();
}

bool Connection::ping() {
    if (!handle_) return false;
    ISC_STATUS_ARRAY st;
    const char items[] = {isc_info_ods_version, isc_info_end};
    char buf[32];
    isc_database_info(st, &handle_, sizeof items, items, sizeof buf, buf);
    return !(st[0] == 1 && st[1] != 0);
}

isc_db_handle* Connection::handle() {
    ensureConnected();
    return &handle_;
}

void Connection::loadProcedure(const QString& procedure) {
    const QString name = procedure.trimmed().toUpper();
    if (procCache_.contains(name)) return;
    Transaction tr(*this);
    Statement s(tr,
                QStringLiteral("SELECT TRIM(RDB$PARAMETER_NAME), RDB$PARAMETER_TYPE, RDB$PARAMETER_NUMBER "
                               "FROM RDB$PROCEDURE_PARAMETERS WHERE RDB$PROCEDURE_NAME = ? "
                               "ORDER BY RDB$PARAMETER_TYPE, RDB$PARAMETER_NUMBER"));
    s.execute(tr, {name});
    std::pair<QList<ProcedureParam>, QList<ProcedureParam>> params;
    while (s.fetch()) {
        const Row& r = s.row();
        ProcedureParam p{toString(r.at(0)), static_cast<int>(toInt64(r.at(2)).value_or(0))};
        (toInt64(r.at(1)).value_or(0) == 0 ? params.first : params.second).append(p);
    }
    tr.commit();
    procCache_.insert(name, params);
}

const QList<ProcedureParam>& Connection::procedureInputs(const QString& procedure) {
    loadProcedure(procedure);
    return procCache_[procedure.trimmed().toUpper()].first;
}

const QList<ProcedureParam>& Connection::procedureOutputs(const QString& procedure) {
    loadProcedure(procedure);
    return procCache_[procedure.trimmed().toUpper()].second;
}

}  // namespace fb
