#include "SuppliersRepository.h"

#include "platform/db/Connection.h"
#include "platform/db/Procedure.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

namespace catalogue {

int SuppliersRepository::insert(const SupplierCard& card) {
    const SupplierCard c = trimmedCard(card);
    db_.ensureConnected();
    fb::Transaction tr(db_);
    const auto out = fb::callProcedure(tr, QStringLiteral("SUPPLIERS_EDIT"),
                                       {{QStringLiteral("I_MODE"), std::int64_t{1}},
                                        {QStringLiteral("I_ID"), fb::null()},
                                        {QStringLiteral("I_NAMEFULL"), c.nameFull},
                                        {QStringLiteral("I_NAMESHORT"), c.nameShort},
                                        {QStringLiteral("I_INN"), c.inn},
                                        {QStringLiteral("I_CONTACTS"), c.contacts},
                                        {QStringLiteral("I_PERSON"), c.person},
                                        {QStringLiteral("I_WORK"), std::int64_t{c.working ? 1 : 0}}});
    const int id = out ? out->integer(QStringLiteral("O_SID")) : 0;
    // A new row keeps null for a kind it does not have.
    const fb::Value one = std::int64_t{1};
    fb::execute(tr, QStringLiteral("UPDATE SUPPLIERS SET SU_SUPPLIER=?, SU_BUYER=? WHERE SU_ID=?"),
                {c.supplier ? one : fb::null(), c.buyer ? one : fb::null(), std::int64_t{id}});
    tr.commit();
    return id;
}

bool SuppliersRepository::update(const SupplierCard& card) {
    const SupplierCard c = trimmedCard(card);
    db_.ensureConnected();
    fb::Transaction tr(db_);
    const long n = fb::execute(
        tr,
        QStringLiteral("UPDATE SUPPLIERS SET SU_NAMEFULL=?, SU_NAMESHORT=?, SU_INN=?, SU_CONTACTS=?, SU_PERSON=?, "
                       "SU_WORK=?, SU_SUPPLIER=?, SU_BUYER=? WHERE SU_ID=?"),
        {c.nameFull, c.nameShort, c.inn, c.contacts, c.person, std::int64_t{c.working ? 1 : 0},
         std::int64_t{c.supplier ? 1 : 0}, std::int64_t{c.buyer ? 1 : 0}, std::int64_t{c.id}});
    if (n == 0) return false;
    tr.commit();
    return true;
}

void SuppliersRepository::remove(int id) {
    db_.ensureConnected();
    fb::Transaction tr(db_);
    fb::execute(tr, QStringLiteral("DELETE FROM SUPPLIERS WHERE SU_ID=?"), {std::int64_t{id}});
    tr.commit();
}

}  // namespace catalogue
