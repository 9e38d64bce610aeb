#include "archive/ReceiptSearch.h"

#include <array>

namespace archive {

namespace {
const QChar kEscape(0x00A4);  // "¤", which code page 1251 holds
}

QString likeContains(const QString& text) {
    QString escaped;
    escaped.reserve(text.size() + 8);
    for (const QChar c : text.toUpper()) {
        if (c == kEscape || c == QLatin1Char('%') || c == QLatin1Char('_')) escaped += kEscape;
        escaped += c;
    }
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

bool isSaleReturnKind(const QString& kindCaption) {
    return kindCaption.trimmed().compare(QStringLiteral("ВОЗВРАТ ПРИХОДА"), Qt::CaseInsensitive) == 0;
}

bool storedReceiptCopyable(const QString& kindCaption, const fb::Row& receipt) {
    if (!isSaleReturnKind(kindCaption)) return false;
    auto code = [&receipt](const QString& column) -> std::optional<std::int64_t> {
        if (receipt.indexOf(column) < 0) return std::nullopt;
        return fb::toInt64(receipt[column]);
    };
    return code(QStringLiteral("DOC_TYPE")) == 3 && code(QStringLiteral("DOC_CHECK_TYPE")) == 1;
}

ReceiptSearchQuery buildReceiptSearchQuery(const ReceiptSearchFilter& f) {
    // A value longer than its column can match no stored receipt; bound as
    // it is, the engine would refuse it ("string right truncation") instead
    // of finding nothing.
    constexpr int kFpdWidth = 15, kInnWidth = 12, kBuyerNameWidth = 50;
    const QString kNothing = QStringLiteral(" AND 1=0");
    ReceiptSearchQuery q;
    const QString fpd = f.fpd.trimmed();
    const bool buyerOnly =
        f.buyerOn && !f.dateOn && (!f.buyerInn.trimmed().isEmpty() || !f.buyerName.trimmed().isEmpty());
    // The type leads through the newest-first index, so that the list is
    // read in its order and its first screen costs the same whatever the
    // archive holds; a date range bounds that walk. With a fiscal sign the
    // receipt is one look-up in its own index instead, and a buyer alone
    // picks out few receipts from anywhere in the archive: walking the whole
    // index for them costs about three times sorting the ones found.
    q.sql = fpd.isEmpty() && !buyerOnly ? QStringLiteral("SELECT * FROM DOCUMENTS WHERE DOC_TYPE=3")
                                        : QStringLiteral("SELECT * FROM DOCUMENTS WHERE DOC_TYPE+0=3");
    if (f.returnMode) q.sql += QStringLiteral(" AND DOC_CHECK_TYPE=1");
    if (fpd.size() > kFpdWidth) {
        q.sql += kNothing;
    } else if (!fpd.isEmpty()) {
        q.sql += QStringLiteral(" AND DOC_FPD=?");
        q.params.emplace_back(fpd);
    }
    if (f.dateOn) {
        q.sql += QStringLiteral(" AND (DOC_DATE_D BETWEEN ? AND ?)");
        q.params.emplace_back(f.from);
        q.params.emplace_back(f.to);
    }
    if (f.buyerOn) {
        if (const QString inn = f.buyerInn.trimmed(); inn.size() > kInnWidth) {
            q.sql += kNothing;
        } else if (!inn.isEmpty()) {
            q.sql += QStringLiteral(" AND DOC_BUYER_INN=?");
            q.params.emplace_back(inn);
        }
        if (const QString name = f.buyerName.trimmed(); name.size() > kBuyerNameWidth) {
            q.sql += kNothing;
        } else if (!name.isEmpty()) {
            // The escaped pattern may be longer than the column; the cast
            // keeps the engine from cutting it to the column's size.
            q.sql += QStringLiteral(" AND UPPER(DOC_BUYER_NAME) LIKE CAST(? AS VARCHAR(200)) ESCAPE '") + kEscape +
                     QLatin1Char('\'');
            q.params.emplace_back(likeContains(name));
        }
    }
    q.sql += QStringLiteral(" ORDER BY DOC_DATE_D DESC, DOC_TIME_T DESC");
    return q;
}

const QString kReceiptLinesSql = QStringLiteral(
    "SELECT DD_GOOD_ID, DD_GOOD_NAME, DD_GOOD_TYPE, DD_GOOD_PRICE_MAIN, DD_GOOD_PRICE_CURRENT, DD_GOOD_COUNT, "
    "CAST(COALESCE(NULLIF(TRIM(DD_GOOD_COUNT), ''), '0') AS DECIMAL(10,3)) AS GC, DD_GOOD_EDIZM, DD_TAXRATE, "
    "DD_GOOD_PAYTYPE, DD_DECLARE_NUMBER, DD_GTIN, DD_SERIAL_GTIN, DD_DM_FULL, DD_MARKTYPE, DD_COUNTRY_CODE, "
    "DD_FRACTIONAL_COUNT FROM DOCUMENTS_DETAIL WHERE DD_DOC_ID=?");

namespace {
QString pick(std::optional<int> code, int first, std::initializer_list<const char*> words, const QString& other) {
    if (!code || *code < first || *code >= first + int(words.size())) return other;
    return QString::fromUtf8(*(words.begin() + (*code - first)));
}
}  // namespace

QString receiptKindShort(std::optional<int> kind) {
    return pick(kind, 1, {"приход", "взв.прихода", "расход", "взв.расхода"}, {});
}

QString paymentMethodShort(std::optional<int> method) {
    return pick(method, 1, {"предопл.100%", "предопл.", "аванс", "полный расчет"}, {});
}

QString vatShortText(std::optional<int> vat) {
    return pick(vat, 1, {"НДС 20%", "НДС 10%", "НДС 20/120", "НДС 10/110", "НДС 0%", "НДС не обл."},
                QStringLiteral("- - -"));
}

QString markTypeShort(std::optional<int> markType) {
    if (!markType) return {};
    // A code outside the table is shown as unknown rather than as nothing.
    if (*markType < 0 || *markType > 13) return QStringLiteral("? ? ?");
    return pick(markType, 0,
                {"", "", "", "", "табак", "обувь", "", "", "", "парфюм", "шины", "легпром", "альт.табак", "молочка"},
                {});
}

QString countryImportMark(std::optional<int> country) {
    if (!country || *country == 0 || *country == 643) return {};
    return QStringLiteral("импорт");
}

QString unitShort(std::optional<int> unit) {
    struct Unit {
        int code;
        const char* text;
    };
    static const std::array<Unit, 24> units{{{0, "шт"},     {10, "г"},     {11, "кг"},    {12, "т"},     {20, "см"},
                                             {21, "дм"},    {22, "м"},     {30, "кв.см"}, {31, "кв.дм"}, {32, "кв.м"},
                                             {40, "мл"},    {41, "л"},     {42, "куб.м"}, {50, "кВт*ч"}, {51, "Гкал"},
                                             {70, "сутки"}, {71, "час"},   {72, "мин"},   {73, "с"},     {80, "Кбайт"},
                                             {81, "Мбайт"}, {82, "Гбайт"}, {83, "Тбайт"}, {255, "иные"}}};
    if (!unit) return {};
    for (const Unit& u : units)
        if (u.code == *unit) return QString::fromUtf8(u.text);
    return {};
}

QString paymentCell(const QString& stored) {
    bool ok = false;
    const double v = stored.trimmed().toDouble(&ok);
    if (!ok || qAbs(v) <= 0.01 + 1e-9) return {};
    return stored;
}

}  // namespace archive
