#include "DataModule.h"

#include "FreshDatabase.h"
#include "UserRules.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/sys/DbEngine.h"
#include "platform/sys/ProgramFolder.h"

namespace core {

TDataModule1* DataModule1 = nullptr;

TDataModule1::TDataModule1(QObject* parent) : QObject(parent) {}

TDataModule1::~TDataModule1() {
    if (DataModule1 == this) DataModule1 = nullptr;
}

QString TDataModule1::connectionString() const { return sys::dbEngine().connectionString(sys::databasePath()); }

fb::ConnectionParams TDataModule1::connectionParams() const {
    fb::ConnectionParams p;
    p.database = connectionString();
    return p;
}

std::unique_ptr<fb::Connection> TDataModule1::newConnection() const {
    auto c = std::make_unique<fb::Connection>(connectionParams());
    return c;
}

void TDataModule1::connectDatabase() {
    if (main_.isConnected() && main_.ping()) return;
    main_.detach();
    main_.setDatabase(connectionString());
    openOrCreateDatabase(main_, sys::databasePath());
    emit connectionChanged(true);
}

bool TDataModule1::isConnected() const { return main_.isConnected(); }

fb::Connection& TDataModule1::IBDatabase1() {
    if (!main_.isConnected()) connectDatabase();
    return main_;
}

std::vector<LoginUser> TDataModule1::loginUsers() {
    std::vector<LoginUser> users;
    fb::Transaction tr(IBDatabase1());
    fb::Statement s(tr, QStringLiteral("SELECT USER_ID, USER_FIO, USER_INN, USER_POST FROM USERS ORDER BY USER_FIO"));
    s.execute(tr);
    while (s.fetch()) {
        const fb::Row& r = s.row();
        if (isBuiltinAdminName(r.str(QStringLiteral("USER_FIO")))) continue;
        users.push_back({r.integer(QStringLiteral("USER_ID")), r.str(QStringLiteral("USER_FIO")),
                         r.str(QStringLiteral("USER_POST")), r.str(QStringLiteral("USER_INN"))});
    }
    tr.commit();
    return users;
}

}  // namespace core
