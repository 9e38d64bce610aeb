#pragma once
// The change of cashier on the open main screen: the chosen user's stored
// password is compared with the typed one, trimmed and ignoring letter
// case; a match hands the screen to that user and releases the workplace
// lock, anything else leaves the screen (and its lock) as it was.
#include "MainScreenPort.h"
#include "UserRules.h"

#include <QString>

#include <optional>

namespace core {

enum class CashierChangeOutcome { Accepted, EmptyPassword, UserNotFound, WrongPassword };

struct CashierChangeVerdict {
    CashierChangeOutcome outcome = CashierChangeOutcome::WrongPassword;
    SessionUser user;       // the new cashier, when accepted
    int rightsMode = 0;     // AdminRights or CashierRights, when accepted
    QString message;        // the message to show, when refused
};

// Stored and typed passwords agree once trimmed, ignoring letter case.
bool passwordsMatchIgnoringCase(const QString& stored, const QString& typed);

// The main screen's labels for `user`: post (or "Кассир") + " : ", the name
// as stored, the tax number when it is a valid personal one.
SessionUser sessionUserFor(const UserRecord& user);

// `user` is the row found for the chosen USER_ID (nullopt when none).
CashierChangeVerdict judgeCashierChange(const std::optional<UserRecord>& user, const QString& typedPassword);

// Writes the accepted user into the main screen, unlocks it and applies
// the user's rights, in that order.
void applyCashierChange(MainScreenPort& screen, const CashierChangeVerdict& verdict);

// What becomes of the session of `current` once the users list may have
// changed: `stored` is its USERS row read again (nullopt when it is gone).
// The built-in administrator (no USERS row) keeps his session; a user who is
// gone is logged out; anyone else goes on with the name, post, tax number
// and rights stored now.
struct SessionFollow {
    enum Kind { Keep, Update, LogOut };
    Kind kind = Keep;
    SessionUser user;    // for Update
    int rightsMode = 0;  // for Update: AdminRights or CashierRights
};
SessionFollow followSession(const SessionUser& current, const std::optional<UserRecord>& stored);

}  // namespace core
