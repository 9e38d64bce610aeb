#include "GoodNameFindLogic.h"

#include "catalogue/CatalogueLogic.h"
#include "core/CodeTables.h"
#include "core/GoodsQueries.h"

namespace catalogue {

namespace {

const QString kBreak = QStringLiteral("\r\n");

const QString kListHead = QStringLiteral(
    "SELECT GOOD_ID , GOOD_NAME, GOOD_PRICE, LPAD(GOOD_PRICE ,15, '0') AS PRICE_NORM, GOOD_W, CASE WHEN "
    "UPPER(GOOD_W)='ДА' OR GOOD_W='1' THEN 1  ELSE 0 END AS FRACTIONAL_ALLOW,  GOOD_TYPE, GOOD_NALOG, "
    "GOOD_EDIZM_FFD,GOOD_EDIZM, CASE WHEN (GOOD_EDIZM_FFD IN "
    "(0,10,11,12,20,21,22,30,31,32,40,41,42,50,51,70,71,72,73,80,81,82,83,255)) THEN GOOD_EDIZM  ELSE '' END "
    "GOOD_EDIZM1, GOOD_COUNT, COALESCE(GOOD_MARKTYPE,0) AS GOOD_MARKTYPE, GOOD_PACKCOUNT, GOOD_COUNTRY_CODE, "
    // One name per goods row even where an older database repeats a code.
    "(SELECT FIRST 1 C.COUNTRY_NAME FROM COUNTRIES C WHERE C.COUNTRY_CODE=GOODS.GOOD_COUNTRY_CODE ORDER BY "
    "C.COUNTRY_ID_RECORD) AS COUNTRY_NAME  FROM GOODS ");
const QString kListTail = QStringLiteral(" ORDER BY GOOD_NAME, PRICE_NORM COLLATE PXW_CYRL");

QString cutName(const QString& name) {
    return name.size() > 42 ? name.left(42) + QStringLiteral("...") : name;
}

}  // namespace

GoodNameFindQuery BuildGoodsListQuery(const QString& filterText, bool startsWith, bool wholeBase,
                                      std::int64_t groupId) {
    GoodNameFindQuery q;
    QString where = QStringLiteral(" WHERE GOOD_ISGOOD=1");
    if (!wholeBase) {
        where += QStringLiteral(" AND GOOD_PARENTGROUP=?");
        q.params.emplace_back(groupId);
    }
    const QString text = filterText.trimmed().toUpper();
    // The value is cast wide so that a text longer than the column finds
    // nothing instead of failing on the parameter's width.
    if (!text.isEmpty()) {
        if (startsWith) {
            where += QStringLiteral(" AND UPPER(GOOD_NAME) STARTING WITH CAST(? AS VARCHAR(1000))");
            q.params.emplace_back(text);
        } else {
            where += QStringLiteral(" AND UPPER(GOOD_NAME) LIKE CAST(? AS VARCHAR(1000)) ESCAPE '") +
                     QChar(kLikeEscape) + QLatin1Char('\'');
            q.params.emplace_back(QLatin1Char('%') + escapeLikeText(text) + QLatin1Char('%'));
        }
    }
    // Without a name the whole list is read along the index of its order
    // (the same order as one key); with one, its few matches are sorted.
    q.sql = kListHead + where + (text.isEmpty() ? QStringLiteral(" ORDER BY ") + core::kGoodsNamePriceKey : kListTail);
    return q;
}

QList<core::GroupNode> BuildGroupTree(const QList<core::GroupRow>& rows) {
    return core::buildGroupTree(rows);
}

bool IsFfdUnitCode(int code) {
    return core::isFfdUnitCode(code);
}
bool IsFfdUnitCode(std::optional<int> code) {
    return code && core::isFfdUnitCode(*code);
}

std::optional<int> EffectiveMarkType(int paymentFlag, int markType) {
    if (paymentFlag >= 1 && paymentFlag <= 3) return 0;
    if (paymentFlag == 4) return markType;
    return std::nullopt;
}

bool ForeignGoodsToBuyerRefused(int paymentFlag, bool buyerGiven, const QString& countryCode) {
    return paymentFlag == 4 && buyerGiven && core::isForeignCountryCode(countryCode);
}

ReceiptAddCheck CheckReceiptAdd(int paymentFlag, bool buyerGiven, const QString& countryCode,
                                std::optional<int> unitCode, int markType, const QString& name) {
    ReceiptAddCheck r;
    if (ForeignGoodsToBuyerRefused(paymentFlag, buyerGiven, countryCode)) {
        r.outcome = ReceiptAddCheck::Refuse;
        r.clearInput = true;
        r.message = foreignGoodsChosenText();
        return r;
    }
    if (unitCode && !IsFfdUnitCode(*unitCode)) {
        r.outcome = ReceiptAddCheck::Refuse;
        r.message = badUnitChosenText(name);
        return r;
    }
    const std::optional<int> mark = EffectiveMarkType(paymentFlag, markType);
    if (!mark) {
        r.outcome = ReceiptAddCheck::Refuse;
        r.message = unknownPaymentFlagText();
        return r;
    }
    r.markType = *mark;
    // A card without a unit is asked for one rather than refused: the unit
    // window may also write it into the card for next time.
    r.outcome = unitCode ? ReceiptAddCheck::Add : ReceiptAddCheck::AskUnit;
    return r;
}

GoodsSearchLayoutSpec GoodsSearchLayout(int mode, bool countryShown) {
    GoodsSearchLayoutSpec s;
    // The code, price and stock columns are kept narrow enough for every
    // shown column to fit the grid beside its vertical scroll bar.
    s.width[ColId] = 75;
    s.width[ColName] = 325;
    s.width[ColPrice] = 80;
    s.width[ColUnit] = 70;
    s.width[ColStock] = 70;
    s.hidden[ColWeighed] = true;
    switch (mode) {
        case FindForPriceTags:
            s.countryBoxVisible = false;
            s.width[ColCountry] = 100;
            s.hidden[ColStock] = true;
            s.gridWidth = 700;
            s.windowWidth = 950;
            break;
        case FindForStockDocument:
            s.countryBoxVisible = false;
            s.hidden[ColPrice] = true;
            s.width[ColCountry] = 95;
            s.bigFont = true;
            s.gridWidth = 665;
            s.windowWidth = 915;
            break;
        default:
            s.stockTitle = QStringLiteral("Остаток");
            s.hidden[ColCountry] = !countryShown;
            s.gridWidth = countryShown ? 750 : 655;
            s.windowWidth = countryShown ? 1000 : 905;
            break;
    }
    return s;
}

QString goodsIdCell(const QString& id) {
    return id + QStringLiteral("  ");
}

QString foreignGoodsChosenText() {
    return QStringLiteral(" Страна происхождения выбранного Вами товара      ") + kBreak +
           QStringLiteral("  НЕ Российская Федерация.") + kBreak + kBreak +
           QStringLiteral(" Текущая версия программы не поддерживает продажу таких     ") + kBreak +
           QStringLiteral(" товаров юрлицам/ИП (т.е. с указанием реквизита 'Покупатель').     ");
}

QString badUnitChosenText(const QString& name) {
    return QStringLiteral(" У выбранного Вами товара :     ") + kBreak + QStringLiteral("  < ") + cutName(name) +
           QStringLiteral(" >     ") + kBreak +
           QStringLiteral(" некорректное значение реквизита 'мера количества'     ") + kBreak +
           QStringLiteral(" (единицы измерения)") + kBreak + kBreak +
           QStringLiteral(" Товар не может быть добавлен в чек.     ");
}

QString unknownPaymentFlagText() {
    return QStringLiteral(" При работе программы произошла ошибка:     ") + kBreak +
           QStringLiteral("   ''неизвестный признак способа расчета''.     ") + kBreak + kBreak +
           QStringLiteral(" Перезапустите программу и продолжите работу.     ") + kBreak + kBreak +
           QStringLiteral(" Сообщите о возникшей проблеме разработчику программы.     ");
}

QString priceTagAddFailedText() {
    return QStringLiteral("При добавлении в  список произошла ошибка БД.    ") + kBreak +
           QStringLiteral(" Проверьте, запущен ли сервер FireBird, ") + kBreak +
           QStringLiteral("и попробуйте ещё раз.");
}

}  // namespace catalogue
