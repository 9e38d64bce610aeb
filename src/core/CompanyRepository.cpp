#include "CompanyRepository.h"

#include "TextUtils.h"
#include "platform/db/Procedure.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

namespace core {

CompanyInfo trimmedCompany(const CompanyInfo& typed) {
    return {trimBlanks(typed.name),     trimBlanks(typed.fullName), trimBlanks(typed.inn),
            trimBlanks(typed.bossPost), trimBlanks(typed.bossFio),  trimBlanks(typed.salesPoint)};
}

CompanyInfo CompanyRepository::load() {
    fb::Transaction tr(db_);
    fb::Statement s(tr, QStringLiteral("SELECT COMPANY_NAME, COMPANY_FULLNAME, COMPANY_INN, BOSS_POST, BOSS_FIO, "
                                       "SALESPOINT_INFO FROM COMPANY_INFO"));
    s.execute(tr);
    CompanyInfo info;
    if (s.fetch()) {
        const fb::Row& r = s.row();
        info.name = r.str(QStringLiteral("COMPANY_NAME"));
        info.fullName = r.str(QStringLiteral("COMPANY_FULLNAME"));
        info.inn = r.str(QStringLiteral("COMPANY_INN"));
        info.bossPost = r.str(QStringLiteral("BOSS_POST"));
        info.bossFio = r.str(QStringLiteral("BOSS_FIO"));
        info.salesPoint = r.str(QStringLiteral("SALESPOINT_INFO"));
        s.closeCursor();
    }
    tr.commit();
    return info;
}

void CompanyRepository::save(const CompanyInfo& info) {
    fb::Transaction tr(db_);
    fb::callProcedure(tr, QStringLiteral("COMPANY_EDIT_PROC"),
                      {{QStringLiteral("I_COMPANY_NAME"), info.name},
                       {QStringLiteral("I_COMPANY_FULLNAME"), info.fullName},
                       {QStringLiteral("I_COMPANY_INN"), info.inn},
                       {QStringLiteral("I_BOSS_POST"), info.bossPost},
                       {QStringLiteral("I_BOSS_FIO"), info.bossFio},
                       {QStringLiteral("I_SALESPOINT_INFO"), info.salesPoint}});
    tr.commit();
}

}  // namespace core
