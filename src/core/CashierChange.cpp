#include "CashierChange.h"

#include "TextUtils.h"

namespace core {

bool passwordsMatchIgnoringCase(const QString& stored, const QString& typed) {
    return trimBlanks(stored).compare(trimBlanks(typed), Qt::CaseInsensitive) == 0;
}

SessionUser sessionUserFor(const UserRecord& user) {
    SessionUser s;
    s.userId = user.id;
    s.name = user.fio;
    s.postLabel = IfEmptyStr(user.post, kDefaultPost) + QStringLiteral(" : ");
    s.inn = ValidateInn(user.inn);
    s.isAdmin = trimBlanks(user.rights) == kRightsAdmin;
    return s;
}

CashierChangeVerdict judgeCashierChange(const std::optional<UserRecord>& user, const QString& typedPassword) {
    CashierChangeVerdict v;
    if (trimBlanks(typedPassword).isEmpty()) {
        v.outcome = CashierChangeOutcome::EmptyPassword;
        v.message = QStringLiteral("Введите пароль.    ");
    } else if (!user) {
        v.outcome = CashierChangeOutcome::UserNotFound;
        v.message = QStringLiteral("Пользователь не найден.   ");
    } else if (!passwordsMatchIgnoringCase(user->password, typedPassword)) {
        v.outcome = CashierChangeOutcome::WrongPassword;
        v.message = QStringLiteral("Неверный пароль.     ");
    } else {
        v.outcome = CashierChangeOutcome::Accepted;
        v.user = sessionUserFor(*user);
        v.rightsMode = v.user.isAdmin ? AdminRights : CashierRights;
    }
    return v;
}

void applyCashierChange(MainScreenPort& screen, const CashierChangeVerdict& verdict) {
    if (verdict.outcome != CashierChangeOutcome::Accepted) return;
    screen.setUser(verdict.user);
    screen.SetWorkplaceLock(false);
    screen.ApplyUserRights(verdict.rightsMode);
}

SessionFollow followSession(const SessionUser& current, const std::optional<UserRecord>& stored) {
    SessionFollow f;
    if (current.userId == 0) return f;
    if (!stored) {
        f.kind = SessionFollow::LogOut;
        return f;
    }
    f.kind = SessionFollow::Update;
    f.user = sessionUserFor(*stored);
    f.rightsMode = f.user.isAdmin ? AdminRights : CashierRights;
    return f;
}

}  // namespace core
