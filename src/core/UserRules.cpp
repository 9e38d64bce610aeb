#include "UserRules.h"

#include "DataModule.h"
#include "TextUtils.h"

#include <string>

namespace core {

QStringList rightsChoices() { return {kRightsAdmin, kRightsCashier}; }

namespace {

// Shows nothing, or nothing but space.
bool isBlankInName(char32_t c) {
    switch (QChar::category(c)) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_Control:  // tabs, line breaks
    case QChar::Other_Format:   // zero-width spaces and joiners, direction marks, soft hyphen, BOM
        return true;
    default:
        break;
    }
    // Letters and signs drawn as nothing: the Hangul fillers, the blank
    // Braille pattern.
    return c == 0x115F || c == 0x1160 || c == 0x3164 || c == 0xFFA0 || c == 0x2800;
}

// A blank that shows as a gap (a space, a tab), not as nothing.
bool takesRoom(char32_t c) {
    const QChar::Category cat = QChar::category(c);
    return QChar::isSpace(c) || (cat != QChar::Other_Format && cat != QChar::Other_Control);
}

// Latin letters (case folded) drawn like a Cyrillic one, as that letter.
char32_t cyrillicLookalike(char32_t c) {
    switch (c) {
    case U'a': return U'а';
    case U'b': return U'в';
    case U'c': return U'с';
    case U'e': return U'е';
    case U'h': return U'н';
    case U'i': return U'і';
    case U'j': return U'ј';
    case U'k': return U'к';
    case U'm': return U'м';
    case U'o': return U'о';
    case U'p': return U'р';
    case U's': return U'ѕ';
    case U't': return U'т';
    case U'x': return U'х';
    case U'y': return U'у';
    default: return c;
    }
}

}  // namespace

QString trimUserName(const QString& fio) {
    const std::u32string chars = fio.toStdU32String();
    size_t begin = 0;
    size_t end = chars.size();
    while (begin < end && isBlankInName(chars[begin])) ++begin;
    while (end > begin && isBlankInName(chars[end - 1])) --end;
    if (begin == 0 && end == chars.size()) return fio;
    return QString::fromStdU32String(chars.substr(begin, end - begin));
}

QString userNameKey(const QString& fio) {
    const std::u32string chars = trimUserName(fio).toCaseFolded().toStdU32String();
    std::u32string key;
    key.reserve(chars.size());
    bool gap = false;
    for (const char32_t c : chars) {
        if (isBlankInName(c)) {
            // Spaces of any width read as one; invisible characters as none.
            gap = gap || takesRoom(c);
            continue;
        }
        if (gap) key.push_back(U' ');
        gap = false;
        key.push_back(cyrillicLookalike(c));
    }
    return QString::fromStdU32String(key);
}

bool sameUserName(const QString& a, const QString& b) { return userNameKey(a) == userNameKey(b); }

bool isBuiltinAdminName(const QString& fio) { return trimUserName(fio) == kBuiltinAdmin; }

UserCheck checkUser(const QString& fio, const QString& password) {
    // However it is written ("Votar", a no-break space after it, a Cyrillic
    // "А"): a name that reads as the built-in administrator's would be offered
    // at login in his place.
    if (sameUserName(fio, kBuiltinAdmin)) return UserCheck::ReservedName;
    if (trimUserName(fio).isEmpty() || trimBlanks(password).isEmpty()) return UserCheck::MissingRequired;
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
    const QString name = trimUserName(record.fio);
    const QString key = userNameKey(name);
    const QString card = trimBlanks(record.barcode);
    for (const UserRecord& other : others) {
        if (other.id == record.id) continue;
        if (userNameKey(other.fio) == key)
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
    u.fio = trimUserName(typed.fio);
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
