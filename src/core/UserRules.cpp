#include "UserRules.h"

#include "DataModule.h"
#include "TextUtils.h"

namespace core {

QStringList rightsChoices() { return {kRightsAdmin, kRightsCashier}; }

UserCheck checkUser(const QString& fio, const QString& password) {
    const QString name = trimBlanks(fio);
    // In any letter case: a stored "Votar" would be offered at login in place
    // of the built-in administrator.
    if (name.compare(kBuiltinAdmin, Qt::CaseInsensitive) == 0) return UserCheck::ReservedName;
    if (name.isEmpty() || trimBlanks(password).isEmpty()) return UserCheck::MissingRequired;
    return UserCheck::Ok;
}

QString userCheckMessage(UserCheck check) {
    switch (check) {
    case UserCheck::ReservedName: return QStringLiteral("Недопустимые ФИО    ");
    case UserCheck::MissingRequired: return QStringLiteral("Не заполнены обязательные поля.     ");
    case UserCheck::Ok: break;
    }
    return {};
}

QString userClashMessage(const UserRecord& record, const std::vector<UserRecord>& others) {
    const QString name = trimBlanks(record.fio);
    const QString card = trimBlanks(record.barcode);
    for (const UserRecord& other : others) {
        if (other.id == record.id) continue;
        if (trimBlanks(other.fio).compare(name, Qt::CaseInsensitive) == 0)
            return QStringLiteral(" Пользователь с ФИО \"") + name + QStringLiteral("\" уже есть.     ");
    }
    if (card.isEmpty()) return {};
    for (const UserRecord& other : others) {
        if (other.id == record.id) continue;
        // A card logs in whoever the database finds first: one card, one user.
        if (trimBlanks(other.barcode) == card)
            return QStringLiteral(" Карта (ШК) \"") + card + QStringLiteral("\" уже выдана пользователю \"") +
                   trimBlanks(other.fio) + QStringLiteral("\".     ");
    }
    return {};
}

UserRecord normalizedUser(const UserRecord& typed) {
    UserRecord u;
    u.id = typed.id;
    u.fio = trimBlanks(typed.fio);
    u.inn = trimBlanks(typed.inn);
    u.post = trimBlanks(typed.post);
    if (u.post.isEmpty()) u.post = kDefaultPost;
    u.password = trimBlanks(typed.password);
    u.barcode = trimBlanks(typed.barcode);
    u.rights = trimBlanks(typed.rights);
    if (u.rights.isEmpty()) u.rights = kRightsCashier;
    return u;
}

int rightsIndex(const QStringList& choices, const QString& rights) {
    const QString wanted = trimBlanks(rights);
    for (int i = 0; i < choices.size(); ++i)
        if (choices.at(i).compare(wanted, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QString deleteUserQuestion(const QString& fio) {
    return QStringLiteral("Удалить пользователя \"") + fio + QStringLiteral("\"?     ");
}

int rowAfterDelete(int deletedRow, int rowsLeft) {
    if (rowsLeft <= 0) return -1;
    if (deletedRow < 0) return 0;
    return deletedRow < rowsLeft ? deletedRow : rowsLeft - 1;
}

}  // namespace core
