#include "UsersRepository.h"

#include "DataModule.h"
#include "TextUtils.h"
#include "platform/db/Procedure.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

namespace core {

namespace {
const QString kProc = QStringLiteral("USERS_IO_PROC");
}  // namespace

UserRecord UsersRepository::fromRow(const fb::Row& r) {
    UserRecord u;
    u.id = r.integer(QStringLiteral("USER_ID"));
    u.fio = r.str(QStringLiteral("USER_FIO"));
    u.inn = r.str(QStringLiteral("USER_INN"));
    u.post = r.str(QStringLiteral("USER_POST"));
    u.password = r.str(QStringLiteral("USER_PASSWORD"));
    u.barcode = r.str(QStringLiteral("USER_BARCODE"));
    u.rights = r.str(QStringLiteral("USER_RIGHTS"));
    return u;
}

UsersEvents& usersEvents() {
    static UsersEvents events;
    return events;
}

QString UsersRepository::listSql() {
    return QStringLiteral(
        "SELECT USER_ID,USER_FIO,USER_INN,USER_POST,USER_PASSWORD,USER_BARCODE,USER_RIGHTS FROM USERS ORDER BY "
        "USER_FIO COLLATE PXW_CYRL");
}

int UsersRepository::write(Mode mode, const UserRecord& u) {
    fb::Transaction tr(db_);
    const auto out = fb::callProcedure(tr, kProc,
                                       {{QStringLiteral("F_VIBOR"), std::int64_t{mode}},
                                        {QStringLiteral("F_USER_ID"), std::int64_t{mode == Insert ? 0 : u.id}},
                                        {QStringLiteral("F_USER_FIO"), u.fio},
                                        {QStringLiteral("F_USER_INN"), u.inn},
                                        {QStringLiteral("F_USER_POST"), u.post},
                                        {QStringLiteral("F_USER_PASSWORD"), u.password},
                                        {QStringLiteral("F_USER_BARCODE"), u.barcode},
                                        {QStringLiteral("F_USER_RIGHTS"), u.rights}});
    // The procedure updates no row when the user is gone; asked inside the
    // same transaction, after the update holds the row, the answer stays true.
    if (mode == Update && !fb::queryOne(tr, QStringLiteral("SELECT USER_ID FROM USERS WHERE USER_ID = ?"),
                                        {std::int64_t{u.id}}))
        return 0;
    tr.commit();
    usersEvents().notifyChanged();
    const int id = out ? out->integer(QStringLiteral("O_USER_ID")) : 0;
    return id != 0 ? id : u.id;
}

int UsersRepository::insert(const UserRecord& record) { return write(Insert, record); }
int UsersRepository::update(const UserRecord& record) { return write(Update, record); }

void UsersRepository::remove(int userId) {
    UserRecord blank;
    blank.id = userId;
    write(Delete, blank);
}

std::optional<UserRecord> UsersRepository::find(int userId) {
    fb::Transaction tr(db_);
    auto row = fb::queryOne(tr,
                            QStringLiteral("SELECT USER_ID, USER_FIO, USER_INN, USER_POST, USER_PASSWORD, "
                                           "USER_BARCODE, USER_RIGHTS FROM USERS WHERE USER_ID = ?"),
                            {std::int64_t{userId}});
    tr.commit();
    if (!row) return std::nullopt;
    return fromRow(*row);
}

std::vector<UserRecord> UsersRepository::all() {
    std::vector<UserRecord> list;
    fb::Transaction tr(db_);
    for (const fb::Row& r : fb::query(tr, listSql())) list.push_back(fromRow(r));
    tr.commit();
    return list;
}

std::vector<UserChoice> UsersRepository::choices() {
    std::vector<UserChoice> list;
    fb::Transaction tr(db_);
    for (const fb::Row& r : fb::query(tr, QStringLiteral("SELECT USER_ID, USER_FIO FROM USERS ORDER BY USER_FIO"))) {
        const QString fio = r.str(QStringLiteral("USER_FIO"));
        if (isBuiltinAdminName(fio)) continue;
        list.push_back({r.integer(QStringLiteral("USER_ID")), fio});
    }
    tr.commit();
    return list;
}

}  // namespace core
