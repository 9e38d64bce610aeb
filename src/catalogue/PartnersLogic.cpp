#include "PartnersLogic.h"

namespace catalogue {

namespace {

void addFilters(SqlWithParams& q, bool nameFull, const QString& name, const QString& inn) {
    const QString n = name.trimmed();
    if (!n.isEmpty()) {
        // Cast wide so that a long typed text finds nothing instead of
        // failing on the column's width.
        q.sql += nameFull ? QStringLiteral(" AND (UPPER(SU_NAMEFULL) LIKE CAST(? AS VARCHAR(1000)) ESCAPE '¤') ")
                          : QStringLiteral(" AND (UPPER(SU_NAMESHORT) LIKE CAST(? AS VARCHAR(1000)) ESCAPE '¤') ");
        q.params.emplace_back(QLatin1Char('%') + escapeLikeText(n.toUpper()) + QLatin1Char('%'));
    }
    const QString i = inn.trimmed();
    if (!i.isEmpty()) {
        q.sql += QStringLiteral(" AND (SU_INN LIKE CAST(? AS VARCHAR(1000)) ESCAPE '¤') ");
        q.params.emplace_back(QLatin1Char('%') + escapeLikeText(i) + QLatin1Char('%'));
    }
}
}  // namespace

bool flagSet(const fb::Value& v) {
    return fb::toInt64(v).value_or(0) == 1;
}

int kindCode(bool supplier, bool buyer) {
    return (supplier ? 1 : 0) + (buyer ? 2 : 0);
}

SqlWithParams buildSuppliersQuery(const SuppliersFilter& f) {
    SqlWithParams q;
    q.sql = QStringLiteral(
        "SELECT SU_ID, SU_NAMEFULL, SU_NAMESHORT, SU_INN, SU_CONTACTS, SU_PERSON, SU_WORK, SU_MOBILTEL, "
        "SU_SUPPLIER, SU_BUYER, SU_LOYALTYPROG, ");
    q.sql += f.nameFull ? QStringLiteral("SU_NAMEFULL AS SU_NAME FROM SUPPLIERS ")
                        : QStringLiteral("SU_NAMESHORT AS SU_NAME FROM SUPPLIERS ");
    switch (kindCode(f.suppliers, f.buyers)) {
        case 0:
            q.sql += QStringLiteral("WHERE (NOT(COALESCE(SU_SUPPLIER,0)=1)  AND NOT(COALESCE(SU_BUYER,0)=1)) ");
            break;
        case 1:
            q.sql += QStringLiteral("WHERE (SU_SUPPLIER=1) ");
            break;
        case 2:
            q.sql += QStringLiteral("WHERE (SU_BUYER=1) ");
            break;
        default:
            q.sql += QStringLiteral("WHERE (SU_SUPPLIER=1 OR SU_BUYER=1) ");
            break;
    }
    if (f.workOnly) q.sql += QStringLiteral("AND (SU_WORK=1) ");
    addFilters(q, f.nameFull, f.name, f.inn);
    q.sql += QStringLiteral("ORDER BY SU_NAME COLLATE PXW_CYRL");
    return q;
}

SqlWithParams buildPartnersQuery(PartnerMode mode, bool nameFull, const QString& name, const QString& inn) {
    SqlWithParams q;
    q.sql = QStringLiteral("SELECT SU_ID, SU_NAMEFULL, SU_NAMESHORT, ") +
            (nameFull ? QStringLiteral(" SU_NAMEFULL AS SU_NAME, ") : QStringLiteral(" SU_NAMESHORT AS SU_NAME, ")) +
            QStringLiteral("SU_INN  FROM SUPPLIERS ");
    switch (mode) {
        case PartnerMode::Buyer:
            q.sql += QStringLiteral(" WHERE SU_BUYER=1 AND SU_WORK=1 ");
            break;
        case PartnerMode::Supplier:
            q.sql += QStringLiteral(" WHERE SU_SUPPLIER=1 AND SU_WORK=1 ");
            break;
        case PartnerMode::None:
            q.sql += QStringLiteral(" WHERE 1=0 ");
            break;
    }
    addFilters(q, nameFull, name, inn);
    q.sql += QStringLiteral(" ORDER BY SU_NAME COLLATE PXW_CYRL");
    return q;
}

SupplierCard trimmedCard(SupplierCard c) {
    c.nameFull = c.nameFull.trimmed();
    c.nameShort = c.nameShort.trimmed();
    c.inn = c.inn.trimmed();
    c.contacts = c.contacts.trimmed();
    c.person = c.person.trimmed();
    return c;
}

std::optional<QString> validateSupplierCard(const SupplierCard& card) {
    const SupplierCard c = trimmedCard(card);
    if (c.nameFull.isEmpty() && c.nameShort.isEmpty()) return QStringLiteral("Отсутствует название Контрагента.    ");
    if (!c.supplier && !c.buyer) return QStringLiteral("Не указан статус контрагента (покупатель/поставщик).     ");
    // A buyer's full name goes into the receipt's 50-character buyer field:
    // a longer one would be printed by the register and then refused by the
    // database, so it is refused here, before anything is stored.
    if (c.buyer && c.nameFull.size() > kBuyerNameWidth)
        return QStringLiteral(" Полное название покупателя длиннее %1 символов.     ").arg(kBuyerNameWidth);
    const struct {
        const QString& text;
        int width;
        const char* what;
    } fields[] = {{c.nameFull, kNameFullWidth, "Полное название"},
                  {c.nameShort, kNameShortWidth, "Сокращенное название"},
                  {c.inn, kInnWidth, "ИНН"},
                  {c.contacts, kContactsWidth, "Контакты"},
                  {c.person, kPersonWidth, "Контактное лицо"}};
    for (const auto& f : fields)
        if (f.text.size() > f.width)
            return QStringLiteral(" Поле \"%1\" длиннее %2 символов.     ").arg(QString::fromUtf8(f.what)).arg(f.width);
    return std::nullopt;
}

void copyNameOnLeave(QString& nameFull, QString& nameShort, bool leftFull) {
    if (leftFull) {
        if (!nameFull.trimmed().isEmpty() && nameShort.trimmed().isEmpty()) nameShort = nameFull;
    } else {
        if (!nameShort.trimmed().isEmpty() && nameFull.trimmed().isEmpty()) nameFull = nameShort;
    }
}

SuppliersFilter visibilityAdjustment(SuppliersFilter f, const SupplierCard& saved) {
    if (saved.supplier) f.suppliers = true;
    if (saved.buyer) f.buyers = true;
    if (!saved.working) f.workOnly = false;
    f.name.clear();
    f.inn.clear();
    return f;
}

}  // namespace catalogue
