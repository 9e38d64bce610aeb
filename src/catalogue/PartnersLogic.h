#pragma once
// The rules of the counterparty directory, its card and the partner picker,
// apart from their windows: the list statements (every typed value bound),
// the card's checks and what the directory shows after a save.
#include "catalogue/CatalogueLogic.h"
#include "platform/db/Value.h"

#include <QString>

#include <optional>
#include <vector>

namespace catalogue {

struct SqlWithParams {
    QString sql;
    std::vector<fb::Value> params;
};

// Typed text is escaped for LIKE ... ESCAPE '¤' by escapeLikeText (CatalogueLogic.h).

// A kind flag counts only when it equals 1; null and 0 mean not set.
bool flagSet(const fb::Value& v);
// 1 supplier, 2 buyer, 3 both, 0 neither.
int kindCode(bool supplier, bool buyer);

struct SuppliersFilter {
    bool suppliers = true;
    bool buyers = true;
    bool workOnly = true;
    bool nameFull = true;
    QString name;
    QString inn;
};
SqlWithParams buildSuppliersQuery(const SuppliersFilter& filter);

enum class PartnerMode { None, Buyer, Supplier };
// Working buyers or working suppliers; a picker of no known kind lists nothing.
SqlWithParams buildPartnersQuery(PartnerMode mode, bool nameFull, const QString& name, const QString& inn);

// What the card stores, every text trimmed.
struct SupplierCard {
    int id = 0;
    QString nameFull;
    QString nameShort;
    QString inn;
    QString contacts;
    QString person;
    bool working = true;
    bool supplier = false;
    bool buyer = false;
};
SupplierCard trimmedCard(SupplierCard card);

// The refusal the card shows before anything is written, or nothing.
std::optional<QString> validateSupplierCard(const SupplierCard& card);

// Leaving one name field fills the other when that one is empty.
void copyNameOnLeave(QString& nameFull, QString& nameShort, bool leftFull);

// The directory's filters after a save, so that the saved row is listed:
// kind boxes are only ticked, "only working" unticked for a row that does
// not work, both text filters emptied.
SuppliersFilter visibilityAdjustment(SuppliersFilter filter, const SupplierCard& saved);

// Widths of the columns the card writes, and of the receipt's buyer name.
inline constexpr int kNameFullWidth = 250;
inline constexpr int kNameShortWidth = 100;
inline constexpr int kContactsWidth = 250;
inline constexpr int kPersonWidth = 100;
inline constexpr int kInnWidth = 12;
inline constexpr int kBuyerNameWidth = 50;

}  // namespace catalogue
