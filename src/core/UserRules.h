#pragma once
// What a user record must satisfy before it is written, how the edit form's
// text becomes the stored values, and the small decisions of the users list.
#include <QString>
#include <QStringList>

#include <vector>

namespace core {

// One row of USERS as the windows show and edit it.
struct UserRecord {
    int id = 0;
    QString fio;
    QString inn;
    QString post;
    QString password;
    QString barcode;
    QString rights;
};

// The two roles, in the order the edit form lists them.
inline const QString kRightsAdmin = QStringLiteral("админ");
inline const QString kRightsCashier = QStringLiteral("кассир");
QStringList rightsChoices();

// The post a user gets when none is typed.
inline const QString kDefaultPost = QStringLiteral("Кассир");

// ---- Names ------------------------------------------------------------------
// A name typed, pasted or loaded may carry characters nobody sees: spaces of
// any width, the no-break space, tabs and line breaks, zero-width and other
// invisible format characters. Around a name they would make a second name
// that reads like the first (or like the built-in administrator's).

// The name as stored: every such character taken off both ends.
QString trimUserName(const QString& fio);
// What a name reads as: trimmed as above, every run of blanks inside it one
// space, invisible characters inside it dropped, letter case ignored, and
// Latin letters that look like Cyrillic ones ("A" and "А", "P" and "Р") taken
// as those. Names with the same key are one name.
QString userNameKey(const QString& fio);
bool sameUserName(const QString& a, const QString& b);
// A row that stands for the built-in administrator (the lists leave it out and
// the login finds no one by it): his exact name once trimmed as above.
bool isBuiltinAdminName(const QString& fio);

enum class UserCheck { Ok, ReservedName, MissingRequired };

// A name that reads as the built-in administrator's is refused; the name and
// the password are required.
UserCheck checkUser(const QString& fio, const QString& password);
// The message for a refused check; empty for Ok.
QString userCheckMessage(UserCheck check);

// A name or a login card belongs to one user: the first other user (`id`
// differs from the record's) whose name reads the same, or with the same
// card code; a user without a card takes none. `record` and
// `others` as stored (trimmed). The message is empty when nothing clashes.
QString userClashMessage(const UserRecord& record, const std::vector<UserRecord>& others);

// The values to store: every field trimmed (the name of every invisible
// character at its ends), the post "Кассир" and the rights "кассир" when left
// empty.
UserRecord normalizedUser(const UserRecord& typed);

// Index of `rights` among the choices, ignoring case and surrounding
// blanks; -1 when none matches.
int rightsIndex(const QStringList& choices, const QString& rights);

// The question asked before a user is deleted.
QString deleteUserQuestion(const QString& fio);

// The row made current after a delete: the same row number while the list
// still reaches it, else the last row; -1 for an empty list.
int rowAfterDelete(int deletedRow, int rowsLeft);

}  // namespace core
