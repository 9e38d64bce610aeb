#include "StockLogic.h"

#include "platform/db/Value.h"

#include <QRegularExpression>

namespace stock {

int docTypeForKind(int kind) {
    return kind >= Inventory && kind <= WriteOff ? kind + 50 : -1;
}

int kindForListTag(int tag) {
    return tag >= 1 && tag <= 4 ? tag - 1 : -1;
}

QString listCaption(int kind) {
    static const char* names[] = {"ИНВЕНТАРИЗАЦИЯ", "ПОСТУПЛЕНИЕ", "ОПРИХОДОВАНИЕ", "СПИСАНИЕ"};
    QString caption = QStringLiteral("Складские документы. ");
    if (docTypeForKind(kind) > 0) caption += QString::fromUtf8(names[kind]);
    return caption;
}

QString editorCaption(int kind) {
    static const char* names[] = {"Инвентаризация", "Поступление", "Оприходование", "Списание"};
    return docTypeForKind(kind) > 0 ? QString::fromUtf8(names[kind]) : QString();
}

QString formatDocNumber(const QVariant& number) {
    if (number.isNull()) return {};
    const QString text = number.toString().trimmed();
    if (text.isEmpty()) return {};
    return text.rightJustified(6, QLatin1Char('0'));
}

QString listStateText(int state) {
    switch (state) {
        case Saved:
            return QStringLiteral("сохранен");
        case Posted:
            return QStringLiteral("проведен");
        default:
            return {};
    }
}

QString editorStateText(int state) {
    switch (state) {
        case New:
            return QStringLiteral("новый");
        case Saved:
            return QStringLiteral("сохранен");
        case Posted:
            return QStringLiteral("проведен");
        default:
            return QStringLiteral("неизвестен");
    }
}

std::pair<QDate, QDate> defaultListRange(const QDate& today) {
    return {today.addMonths(-1), today};
}

QuantityCheck checkQuantity(const QString& input, bool weighed) {
    QString text = input.trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    if (text.isEmpty()) return {QuantityCheck::Cleared, {}, {}};
    static const QRegularExpression number(QStringLiteral("^(\\d+)(?:\\.(\\d*))?$"));
    const auto m = number.match(text);
    QString whole = m.hasMatch() ? m.captured(1) : QString();
    while (whole.size() > 1 && whole.startsWith(QLatin1Char('0'))) whole.remove(0, 1);
    if (!m.hasMatch() || whole.size() > 6) return {QuantityCheck::Refused, {}, kQuantityNotNumber};
    QString fraction = m.captured(2);
    while (fraction.endsWith(QLatin1Char('0'))) fraction.chop(1);
    if (!weighed) {
        if (!fraction.isEmpty()) return {QuantityCheck::Refused, {}, kQuantityNotWhole};
        return {QuantityCheck::Accepted, whole + QStringLiteral(".000"), {}};
    }
    if (fraction.size() > 3) return {QuantityCheck::Refused, {}, kQuantityTooPrecise};
    return {QuantityCheck::Accepted, whole + QLatin1Char('.') + fraction.leftJustified(3, QLatin1Char('0')), {}};
}

QString bookQuantityText(const QString& stockText) {
    const auto scaled = fb::parseScaled(stockText, 3);
    if (!scaled) return stockText;
    const QString text = fb::formatScaled(*scaled, 3);
    return text.size() <= 10 ? text : stockText;
}

QString unreadableStockText(std::int64_t goodsId, const QString& name, const QString& stockText) {
    return QStringLiteral("Остаток товара \"%1\" (код %2) записан не числом: \"%3\".    \n"
                          "Исправьте остаток в карточке товара или проведите инвентаризацию.    ")
        .arg(name.trimmed())
        .arg(goodsId)
        .arg(stockText);
}

QString groupLabel(const QString& groupName, bool isRoot, bool withSubgroups) {
    if (isRoot)
        return withSubgroups ? QStringLiteral("вся номенклатура")
                             : QStringLiteral("товары, не входящие ни в одну из групп");
    return withSubgroups ? groupName + QStringLiteral(", включая подгруппы") : groupName;
}

Enabling enablingForState(int state) {
    Enabling e;
    if (state == Posted) {
        e.menuUnpost = true;
        return e;
    }
    e.editing = true;
    e.gridEditable = true;
    e.menuSave = true;
    e.menuPost = true;
    e.menuDelete = state == Saved;
    return e;
}

KindColumns columnsForKind(int kind) {
    KindColumns c;
    switch (kind) {
        case Inventory:
            c.priceTitle = QStringLiteral("Кол.уч.");
            c.declarTitle = QStringLiteral("Кол.факт.");
            c.declarEditable = true;
            c.declarIsQuantity = true;
            break;
        case GoodsReceipt:
            c.priceTitle = QStringLiteral("Кол-во");
            c.priceEditable = true;
            c.declarTitle = QStringLiteral("Рег. № тамож. декларации");
            c.declarEditable = true;
            break;
        default:
            c.priceTitle = QStringLiteral("Кол-во");
            c.priceEditable = true;
            c.declarVisible = false;
            break;
    }
    return c;
}

int supplierIdFromText(const QString& text) {
    bool ok = false;
    const int id = text.trimmed().toInt(&ok);
    return ok && id > 0 ? id : 0;
}

FillSql fillSql(bool isRoot, bool withSubgroups) {
    static const QString columns = QStringLiteral(
        "SELECT GOODS.GOOD_ID, GOOD_NAME, GOOD_COUNT, GOOD_EDIZM, COUNTRY_NAME "
        " FROM GOODS ");
    static const QString countries = QStringLiteral(" LEFT JOIN COUNTRIES ON GOOD_COUNTRY_CODE=COUNTRY_CODE ");
    static const QString order = QStringLiteral(" ORDER BY GOOD_NAME COLLATE PXW_CYRL");
    if (isRoot && withSubgroups) return {columns + countries + QStringLiteral(" WHERE GOOD_ISGOOD=1 ") + order, false};
    if (!withSubgroups)
        return {columns + countries + QStringLiteral(" WHERE (GOOD_PARENTGROUP=?) AND (GOOD_ISGOOD=1) ") + order, true};
    // Each branch carries the groups it passed through, so a group that is
    // its own ancestor ends the descent instead of recursing without end.
    return {QStringLiteral("WITH RECURSIVE GROUPS AS ("
                           " SELECT GOOD_ID, CAST('|' || GOOD_ID || '|' AS VARCHAR(8000)) AS PATH "
                           " FROM GOODS WHERE GOOD_ID=? AND GOOD_ISGOOD=0 "
                           " UNION ALL "
                           " SELECT GOODS.GOOD_ID, CAST(GROUPS.PATH || GOODS.GOOD_ID || '|' AS VARCHAR(8000)) "
                           " FROM GOODS JOIN GROUPS ON GROUPS.GOOD_ID=GOOD_PARENTGROUP "
                           " WHERE GOOD_ISGOOD=0 AND POSITION('|' || GOODS.GOOD_ID || '|' IN GROUPS.PATH)=0) ") +
                columns + QStringLiteral(" JOIN GROUPS ON GROUPS.GOOD_ID=GOOD_PARENTGROUP ") + countries +
                QStringLiteral(" WHERE GOOD_ISGOOD=1 ") + order,
            true};
}

}  // namespace stock
