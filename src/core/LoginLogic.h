#pragma once
// The rules of logging in, apart from the login window: password login over
// the rows of one name, the cashier card code, and the timing that tells a
// card reader's burst of keys from typing by hand.
#include "DataModule.h"
#include "MainScreenPort.h"

#include <QString>

#include <optional>
#include <vector>

namespace fb {
class Connection;
}

namespace core {

// A USERS row as the login reads it.
struct UserRow {
    int id = 0;
    QString fio;
    QString inn;
    QString password;
    QString post;
    QString rights;
};

enum class LoginOutcome { NoName, BuiltinAdmin, EmptyPassword, UserNotFound, WrongPassword, Ok };

struct LoginResult {
    LoginOutcome outcome = LoginOutcome::NoName;
    SessionUser user;
    int rightsMode = CashierRights;
    QString message;  // the box to show, empty when none
};

// Password login: `rows` are the USERS rows of the trimmed name. The first
// row whose trimmed password equals the trimmed typed one (case matters)
// logs in.
LoginResult passwordLogin(const QString& typedName, const QString& typedPassword, const std::vector<UserRow>& rows);

// The session of a USERS row; `cardPath` writes "Post: " and keeps the name
// as stored, the password path "Post : " and the trimmed name.
LoginResult sessionFromRow(const UserRow& row, bool cardPath);

// Card code: the buffer without carriage returns, line feeds and blanks.
QString cardCode(const QString& buffer);

// Database look-ups, with the typed text always as a bound parameter. The
// rows of a name are those whose name reads the same (UserRules), leaving out
// a row that stands for the built-in administrator.
std::vector<UserRow> usersByName(fb::Connection& db, const QString& name);
std::optional<UserRow> userByCard(fb::Connection& db, const QString& code);

// A card reader types its code far faster than a person and ends it with
// Enter. The first key after the window last closed opens a 100 ms window;
// an Enter inside it ends a card code. A key more than 100 ms after the
// previous one starts a new code, so keys typed by hand before a swipe are
// never glued in front of the card's code.
class CardBurstDetector {
public:
    static constexpr qint64 kWindowMs = 100;

    void keyPressed(QChar ch, qint64 nowMs);
    // The buffered code when this Enter ends a card burst; the window closes.
    std::optional<QString> enterPressed(qint64 nowMs);
    bool windowOpen(qint64 nowMs) const { return open_ && nowMs - windowStart_ <= kWindowMs; }
    const QString& buffer() const { return buffer_; }
    void clear();

private:
    QString buffer_;
    bool open_ = false;
    qint64 windowStart_ = 0;
    qint64 lastKey_ = 0;
};

}  // namespace core
