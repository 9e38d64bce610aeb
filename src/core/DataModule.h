#pragma once
// The one holder of the shared database connection. Windows that keep their
// own transaction open make their own connection with the same recipe
// (newConnection()).
#include "platform/db/Connection.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

namespace core {

// A row of the login list.
struct LoginUser {
    int id = 0;
    QString fio;
    QString post;
    QString inn;
};

// The built-in administrator, never listed.
inline const QString kBuiltinAdmin = QStringLiteral("VOTAR");

class TDataModule1 : public QObject {
    Q_OBJECT
public:
    explicit TDataModule1(QObject* parent = nullptr);
    ~TDataModule1() override;

    // "localhost:" + file with a running local server, else the file itself.
    QString connectionString() const;
    fb::ConnectionParams connectionParams() const;
    std::unique_ptr<fb::Connection> newConnection() const;

    // Attaches the main connection, creating the database from the
    // delivered scripts when the file does not exist yet. Throws fb::Error.
    void connectDatabase();
    bool isConnected() const;
    // The main connection; it attaches on first use.
    fb::Connection& IBDatabase1();

    // Users for the login list, ordered by name, without the built-in
    // administrator (compared trimmed).
    std::vector<LoginUser> loginUsers();

signals:
    void connectionChanged(bool connected);

private:
    fb::Connection main_;
};

// The program's instance; nullptr until the login window makes it.
extern TDataModule1* DataModule1;

}  // namespace core
