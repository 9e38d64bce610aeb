#include "LoginLogic.h"

#include "TextUtils.h"
#include "UserRules.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

namespace core {

namespace {
UserRow rowFrom(const fb::Row& r) {
    UserRow u;
    u.id = r.integer(QStringLiteral("USER_ID"));
    u.fio = r.str(QStringLiteral("USER_FIO"));
    u.inn = r.str(QStringLiteral("USER_INN"));
    if (r.indexOf(QStringLiteral("USER_PASSWORD")) >= 0) u.password = r.str(QStringLiteral("USER_PASSWORD"));
    u.post = r.str(QStringLiteral("USER_POST"));
    u.rights = r.str(QStringLiteral("USER_RIGHTS"));
    return u;
}
}  // namespace

LoginResult sessionFromRow(const UserRow& row, bool cardPath) {
    LoginResult r;
    r.outcome = LoginOutcome::Ok;
    r.user.userId = row.id;
    r.user.postLabel = IfEmptyStr(row.post, QStringLiteral("Кассир")) + (cardPath ? QStringLiteral(": ") : QStringLiteral(" : "));
    r.user.name = cardPath ? row.fio : row.fio.trimmed();
    r.user.inn = ValidateInn(row.inn);
    r.user.isAdmin = row.rights == QStringLiteral("админ");
    r.rightsMode = r.user.isAdmin ? AdminRights : CashierRights;
    return r;
}

LoginResult passwordLogin(const QString& typedName, const QString& typedPassword, const std::vector<UserRow>& rows) {
    LoginResult r;
    const QString name = trimUserName(typedName);
    if (name.isEmpty()) return r;
    if (name == kBuiltinAdmin) {
        r.outcome = LoginOutcome::BuiltinAdmin;
        r.rightsMode = BuiltinAdminRights;
        r.user.postLabel = kBuiltinAdmin + QStringLiteral(" : ");
        r.user.name = QStringLiteral(" ") + kBuiltinAdmin;
        // No previous user's tax number or id survives into this session.
        r.user.userId = 0;
        r.user.inn.clear();
        r.user.isAdmin = false;
        return r;
    }
    const QString password = typedPassword.trimmed();
    if (password.isEmpty()) {
        r.outcome = LoginOutcome::EmptyPassword;
        r.message = QStringLiteral(" Введите пароль!     ");
        return r;
    }
    if (rows.empty()) {
        r.outcome = LoginOutcome::UserNotFound;
        r.message = QStringLiteral("Пользователь ") + name + QStringLiteral(" не найден      ");
        return r;
    }
    for (const UserRow& row : rows) {
        if (row.password.trimmed() == password) {
            if (row.id == 0) break;
            return sessionFromRow(row, false);
        }
    }
    r.outcome = LoginOutcome::WrongPassword;
    r.message = QStringLiteral(" Неверный пароль!!!     ");
    return r;
}

QString cardCode(const QString& buffer) { return removeCrLfAndBlanks(buffer); }

std::vector<UserRow> usersByName(fb::Connection& db, const QString& name) {
    // A name is found however its blanks and letter case were typed or
    // stored, so the few rows are compared here rather than by the server.
    const QString key = userNameKey(name);
    if (key.isEmpty()) return {};
    fb::Transaction tr(db);
    fb::Statement s(tr, QStringLiteral("SELECT USER_ID, USER_FIO ,USER_INN, USER_PASSWORD,USER_POST,USER_RIGHTS "
                                       "FROM USERS ORDER BY USER_ID"));
    s.execute(tr);
    std::vector<UserRow> rows;
    while (s.fetch()) {
        UserRow row = rowFrom(s.row());
        if (isBuiltinAdminName(row.fio) || userNameKey(row.fio) != key) continue;
        rows.push_back(std::move(row));
    }
    tr.commit();
    return rows;
}

std::optional<UserRow> userByCard(fb::Connection& db, const QString& code) {
    // USERS.USER_BARCODE holds at most this many characters: a longer code
    // (a marking code scanned on a locked screen) is no card, and comparing
    // it would make the server refuse the parameter.
    constexpr qsizetype kMaxCardCodeLength = 50;
    if (code.isEmpty() || code.size() > kMaxCardCodeLength) return std::nullopt;
    fb::Transaction tr(db);
    const auto row = fb::queryOne(
        tr, QStringLiteral("SELECT USER_ID, USER_FIO, USER_INN, USER_POST, USER_RIGHTS FROM USERS WHERE USER_BARCODE = ?"),
        {code});
    tr.commit();
    if (!row) return std::nullopt;
    return rowFrom(*row);
}

void CardBurstDetector::keyPressed(QChar ch, qint64 nowMs) {
    if (!buffer_.isEmpty() && nowMs - lastKey_ > kWindowMs) buffer_.clear();
    buffer_ += ch;
    lastKey_ = nowMs;
    if (!windowOpen(nowMs)) {
        open_ = true;
        windowStart_ = nowMs;
    }
}

std::optional<QString> CardBurstDetector::enterPressed(qint64 nowMs) {
    if (!windowOpen(nowMs)) return std::nullopt;
    open_ = false;
    return buffer_;
}

void CardBurstDetector::clear() {
    buffer_.clear();
    open_ = false;
}

}  // namespace core
