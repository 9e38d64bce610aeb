#include "CatalogueLogic.h"

#include "core/GoodsQueries.h"

#include <QSet>

#include <algorithm>

namespace catalogue {

namespace {

const QChar kEscape(0x00A4);  // "¤"

const QString kListColumns = QStringLiteral(
    "SELECT GOOD_ID, GOOD_NAME, GOOD_PRICE, LPAD(GOOD_PRICE,12, '0') AS PRICE_NORM,  GOOD_W, GOOD_TYPE, "
    "GOOD_EDIZM_FFD,GOOD_EDIZM, CASE  WHEN (GOOD_EDIZM_FFD IN "
    "(0,10,11,12,20,21,22,30,31,32,40,41,42,50,51,70,71,72,73,80,81,82,83,255)) THEN GOOD_EDIZM  ELSE '' END "
    "GOOD_EDIZM1 ,  GOOD_NALOG, GOOD_PARENTGROUP,  GOOD_COUNTRY_CODE, GOOD_MARKTYPE, GOOD_PACKCOUNT, "
    // One name per goods row even where an older database repeats a code.
    "(SELECT FIRST 1 C.COUNTRY_NAME FROM COUNTRIES C WHERE C.COUNTRY_CODE=GOODS.GOOD_COUNTRY_CODE ORDER BY "
    "C.COUNTRY_ID_RECORD) AS COUNTRY_NAME FROM GOODS ");

}  // namespace

QString escapeLikeText(const QString& text) {
    QString out;
    out.reserve(text.size() * 2);
    for (const QChar c : text) {
        if (c == kEscape || c == QLatin1Char('%') || c == QLatin1Char('_')) out += kEscape;
        out += c;
    }
    return out;
}

GoodsListQuery buildGoodsListQuery(std::int64_t groupId, bool wholeBase, const QString& filterText, NameFilter mode,
                                   bool firstOpening) {
    GoodsListQuery q;
    QString where = QStringLiteral("WHERE GOOD_ISGOOD=1");
    if (!wholeBase) {
        where += QStringLiteral(" AND GOOD_PARENTGROUP=?");
        q.params.emplace_back(groupId);
    }
    const QString text = filterText.trimmed().toUpper();
    if (!text.isEmpty()) {
        // Cast wide: a typed text longer than the column finds nothing
        // instead of failing on the column's width.
        if (mode == NameFilter::StartsWith) {
            where += QStringLiteral(" AND UPPER(GOOD_NAME) STARTING WITH CAST(? AS VARCHAR(1000))");
            q.params.emplace_back(text);
        } else {
            where += QStringLiteral(" AND UPPER(GOOD_NAME) LIKE CAST(? AS VARCHAR(1000)) ESCAPE '") + kEscape +
                     QLatin1Char('\'');
            q.params.emplace_back(QLatin1Char('%') + escapeLikeText(text) + QLatin1Char('%'));
        }
    }
    q.sql = kListColumns + where;
    if (firstOpening)
        q.sql += QStringLiteral(" ORDER BY GOOD_NAME COLLATE PXW_CYRL");
    else if (!text.isEmpty())
        // The name filter's matches are few: they are found first and sorted.
        q.sql += QStringLiteral(" ORDER BY GOOD_NAME, PRICE_NORM COLLATE PXW_CYRL");
    else
        // The same order read along its index: the first screen of a whole
        // catalogue without sorting all of it.
        q.sql += QStringLiteral(" ORDER BY ") + core::kGoodsNamePriceKey;
    return q;
}

std::int64_t nextGoodsId(std::optional<std::int64_t> maxId) {
    return maxId ? std::max<std::int64_t>(*maxId, 0) + 1 : 1;
}

int rowAfterDelete(int deletedRow, int count) {
    if (count <= 0) return -1;
    return std::clamp(deletedRow - 1, 0, count - 1);
}

bool groupDropAllowed(std::int64_t targetId, std::int64_t draggedId,
                      const std::function<std::optional<std::int64_t>(std::int64_t)>& parentOf) {
    QSet<std::int64_t> seen;
    std::int64_t node = targetId;
    while (true) {
        if (node == draggedId) return false;
        if (node == 0) return true;
        if (seen.contains(node)) return false;
        seen.insert(node);
        const auto parent = parentOf(node);
        if (!parent) return false;
        node = *parent;
    }
}

QString deleteGoodQuestion(const QString& name) {
    return QStringLiteral("Удалить позицию  \n\r\"") + name + QStringLiteral("\" ?        ");
}

QString deleteGroupQuestion(const QString& name) {
    return QStringLiteral("Вы желаете удалить группу '") + name + QStringLiteral("' ?    ");
}

QString groupNotEmptyMessage(const QString& name) {
    return QStringLiteral("Группа '") + name + QStringLiteral("' не может быть удалена,      \r\n") +
           QStringLiteral("т.к. содержит вложения (группы, товары). ");
}

std::optional<std::int64_t> parseGoodsId(const QString& text) {
    bool ok = false;
    const qlonglong id = text.trimmed().toLongLong(&ok);
    if (!ok || id <= 0 || id > 2147483647) return std::nullopt;
    return id;
}

std::optional<QString> normalizePrice(const QString& text) {
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    if (t.isEmpty()) return std::nullopt;
    for (const QChar c : t)
        if (!c.isDigit() && c != QLatin1Char('.')) return std::nullopt;
    if (t.count(QLatin1Char('.')) > 1 || t == QLatin1String(".")) return std::nullopt;
    const auto kopecks = fb::parseScaled(t, 2);
    if (!kopecks || *kopecks < 0) return std::nullopt;
    const QString stored = fb::formatScaled(*kopecks, 2);
    // The price travels into ten-character columns of the receipts.
    if (stored.size() > 10) return std::nullopt;
    return stored;
}

bool isUnitCode(int code) {
    static const QSet<int> codes{0,  10, 11, 12, 20, 21, 22, 30, 31, 32, 40, 41,
                                 42, 50, 51, 70, 71, 72, 73, 80, 81, 82, 83, 255};
    return codes.contains(code);
}

bool packCountVisible(bool unitChosen, int unitCode, bool markChosen, int markCode, bool fractional) {
    return unitChosen && markChosen && fractional && unitCode == 0 && markCode > 0;
}

QString normalizeBarcode(const QString& cell) {
    QString out = cell;
    out.remove(QLatin1Char(' '));
    out.remove(QLatin1Char('\n'));
    out.remove(QLatin1Char('\r'));
    return out;
}

bool fractionalFromGoodW(const QString& goodW) {
    const QString w = goodW.trimmed().toLower();
    return w == QStringLiteral("да") || w == QLatin1String("1");
}

int vatFromNalog(const QString& nalog) {
    bool ok = false;
    const int code = nalog.trimmed().toInt(&ok);
    return ok ? code : 6;
}

std::optional<int> storedCountryCode(const QString& code) {
    if (code.size() != 3) return std::nullopt;
    bool ok = false;
    const int n = code.toInt(&ok);
    if (!ok || n <= 0) return std::nullopt;
    return n;
}

QString countryDisplay(int code, const QString& name) {
    return QStringLiteral("(") + QStringLiteral("%1").arg(code, 3, 10, QLatin1Char('0')) + QStringLiteral(") ") + name;
}

std::optional<QString> countryCodeText(int code) {
    if (code <= 0) return std::nullopt;
    return QStringLiteral("%1").arg(code, 3, 10, QLatin1Char('0'));
}

bool filterMismatch(const QString& filterText, const QString& name) {
    const QString f = filterText.trimmed();
    return !f.isEmpty() && !name.toUpper().contains(f.toUpper());
}

QString duplicateBarcodeMessage(const QString& barcode, std::int64_t gid, const QString& goodName) {
    return QStringLiteral(" Штрих-код ") + barcode + QStringLiteral(" уже назначен другому товару:     \r\n") +
           QStringLiteral("  код ") + QString::number(gid) + QStringLiteral("    ") + goodName + QStringLiteral("    ");
}

QString kindForMarkedText() {
    return QStringLiteral(
        " Некорректное значение реквизита 'Признак предмета расчета'.     \r\n\r\n"
        "Допустимые значения для маркированного товара:     \r\n"
        " 'ТОВАР' , 'ПОДАКЦИЗНЫЙ ТОВАР'.     ");
}

QString packCountQuestion() {
    return QStringLiteral(
        " Для маркированного товара с установленным признаком     \r\n"
        " 'Разрешена продажа дробного количества' можно указать     \r\n"
        " количество единиц в упаковке.     \r\n"
        " (поле 'Кол-во в упаковке') \r\n\r\n"
        " кн. ОК - понял, оставить как есть\r\n"
        " кн. ОТМЕНА - понял, хочу указать количество в упаковке ");
}

QString filterMismatchQuestion() {
    return QStringLiteral(
        "Вводимая информация не будет отображена в списке,     \n\r"
        "т.к. наименование не соответствует условию отбора.\n\r\n\r"
        "Всё равно продолжить?");
}

namespace {

const QString kHistoryKeptText = QStringLiteral(" История товара хранится под его кодом.     ");

}  // namespace

QString idInUseText(std::int64_t id, IdUse use) {
    return QStringLiteral(" Код (ID) ") + QString::number(id) + QStringLiteral(" изменить нельзя: ") +
           core::goodsCodeUseReason(use) + QStringLiteral(".     \r\n") + kHistoryKeptText;
}

QString deleteInUseText(const QString& name, IdUse use) {
    return QStringLiteral(" Товар \"") + name.trimmed() + QStringLiteral("\" удалить нельзя:     \r\n ") +
           core::goodsCodeUseReason(use) + QStringLiteral(".     \r\n") + kHistoryKeptText;
}

QString idNamedByHistoryText(std::int64_t id, IdUse use) {
    return QStringLiteral(" Код (ID) ") + QString::number(id) +
           QStringLiteral(" нельзя дать новому товару:     \r\n ") + core::goodsCodeUseReason(use) +
           QStringLiteral(".     ");
}

QString deleteGroupInUseText(const QString& name, std::int64_t id, IdUse use) {
    return QStringLiteral(" Группу \"") + name.trimmed() + QStringLiteral("\" удалить нельзя: её код (ID) ") +
           QString::number(id) + QStringLiteral(" остаётся за товаром:     \r\n ") + core::goodsCodeUseReason(use) +
           QStringLiteral(".     \r\n") + kHistoryKeptText;
}

QString countryCodeTakenText(const QString& code, const QString& countryName) {
    return QStringLiteral("Код страны ") + code + QStringLiteral(" уже назначен стране \"") + countryName.trimmed() +
           QStringLiteral("\".     ");
}

QString idTakenText(std::int64_t id) {
    return QStringLiteral(" Код (ID) ") + QString::number(id) +
           QStringLiteral(" уже занят другой позицией номенклатуры.     ");
}

bool countryCodeValid(const QString& text) {
    const QString t = text.trimmed();
    if (t.size() != 3) return false;
    return std::all_of(t.begin(), t.end(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

std::optional<QString> pickableCountry(const QString& code) {
    bool ok = false;
    const int n = code.trimmed().toInt(&ok);
    if (!ok || n == 0) return std::nullopt;
    return code.trimmed().rightJustified(3, QLatin1Char('0'));
}

bool isProtectedCountry(const QString& code) {
    bool ok = false;
    return code.trimmed().toInt(&ok) == 643 && ok;
}

QString deleteCountryQuestion(const QString& code, const QString& name) {
    static const QSet<int> named{233, 428, 440, 616, 804, 826, 840};
    bool ok = false;
    const int n = code.trimmed().toInt(&ok);
    const QString prefix = ok && named.contains(n) ? QStringLiteral("Вы хотите удалить страну ")
                                                   : QStringLiteral("Удалить из списка запись ");
    return prefix + QStringLiteral(" '' ") + name + QStringLiteral(" '' ?     ");
}

}  // namespace catalogue
