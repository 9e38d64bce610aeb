#pragma once
// The one row of COMPANY_INFO: the organisation's names and tax number, its
// head, and the point-of-sale text printed on price tags.
#include <QString>

namespace fb {
class Connection;
}

namespace core {

struct CompanyInfo {
    QString name;        // COMPANY_NAME
    QString fullName;    // COMPANY_FULLNAME
    QString inn;         // COMPANY_INN
    QString bossPost;    // BOSS_POST
    QString bossFio;     // BOSS_FIO
    QString salesPoint;  // SALESPOINT_INFO
    bool operator==(const CompanyInfo&) const = default;
};

// Every field trimmed, as it is stored.
CompanyInfo trimmedCompany(const CompanyInfo& typed);

class CompanyRepository {
public:
    explicit CompanyRepository(fb::Connection& db) : db_(db) {}

    // The first row; empty fields when there is none.
    CompanyInfo load();
    // Replaces the row through COMPANY_EDIT_PROC in one transaction; on
    // failure it rolls back and throws fb::Error with the database's text.
    void save(const CompanyInfo& info);

private:
    fb::Connection& db_;
};

}  // namespace core
