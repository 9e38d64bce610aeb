#pragma once
// The SQL of the users windows and the change of cashier. Every write is one
// transaction through USERS_IO_PROC: it commits whole or, on any failure,
// rolls back and throws fb::Error with the database's message.
#include "UserRules.h"

#include <QObject>
#include <QString>

#include <optional>
#include <vector>

namespace fb {
class Connection;
class Row;
}

namespace core {

// Tells whoever lists users (the login window) that USERS changed.
class UsersEvents : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
signals:
    void usersChanged();

private:
    friend class UsersRepository;
    void notifyChanged() { emit usersChanged(); }
};
UsersEvents& usersEvents();

// A name for a pick list, with the row it stands for.
struct UserChoice {
    int id = 0;
    QString fio;
};

class UsersRepository {
public:
    // Modes of USERS_IO_PROC's F_VIBOR.
    enum Mode { Insert = 1, Update = 2, Delete = 3 };

    explicit UsersRepository(fb::Connection& db) : db_(db) {}

    fb::Connection& connection() { return db_; }

    // The users list, in Russian alphabetical order.
    static QString listSql();
    // A row of that list (or of find()) as a record.
    static UserRecord fromRow(const fb::Row& row);

    // Inserts (record.id ignored) or updates record.id with the values as
    // given; returns the user's USER_ID after the write (O_USER_ID). An
    // update of a user that no longer exists (deleted at another workstation
    // meanwhile) writes nothing and returns 0.
    int insert(const UserRecord& record);
    int update(const UserRecord& record);
    void remove(int userId);

    std::optional<UserRecord> find(int userId);
    // Every user, as stored.
    std::vector<UserRecord> all();
    // Users to choose from, by name, without the built-in administrator.
    std::vector<UserChoice> choices();

private:
    int write(Mode mode, const UserRecord& record);

    fb::Connection& db_;
};

}  // namespace core
