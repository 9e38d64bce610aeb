#pragma once
// What the login window, the change of cashier and the card reader need of
// the main cashier screen. The main screen implements it; tests of those
// windows use a small fake.
#include <QString>

namespace core {

// The logged-in user as the main screen shows it: Label4 (post label),
// lblUser (name; its Tag the USER_ID) and lblINN (tax number; its Tag 1 for
// an administrator, 0 for a cashier).
struct SessionUser {
    int userId = 0;
    QString name;
    QString postLabel;  // "Кассир : " or "Кассир: " as the login path writes it
    QString inn;
    bool isAdmin = false;
};

// Rights modes of ApplyUserRights: 1 the built-in administrator (only the
// users window), 2 cashier, 3 administrator.
enum RightsMode { BuiltinAdminRights = 1, CashierRights = 2, AdminRights = 3 };

class MainScreenPort {
public:
    virtual ~MainScreenPort() = default;
    virtual void setUser(const SessionUser& user) = 0;
    virtual SessionUser currentUser() const = 0;
    virtual void ApplyUserRights(int mode) = 0;
    // Shows the main screen, which brings the database schema up to date
    // first. False when that failed: the failure has been shown and the
    // cashier stays at the login window.
    virtual bool showMain() = 0;
    virtual void SetWorkplaceLock(bool locked) = 0;
    virtual bool isWorkplaceLocked() const = 0;
};

// The one main screen of the running program (nullptr before it exists).
MainScreenPort* mainScreen();
void setMainScreen(MainScreenPort* screen);

}  // namespace core
