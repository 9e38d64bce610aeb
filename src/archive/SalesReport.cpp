#include "archive/SalesReport.h"

#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QCollator>
#include <QHash>
#include <QLocale>

#include <algorithm>
#include <map>
#include <set>
#include <unordered_set>

namespace archive {

std::optional<SalesVariant> chooseSalesVariant(bool nodeSelected, bool isRoot, bool subGroupsOn) {
    if (!nodeSelected) return std::nullopt;
    if (!subGroupsOn) return SalesVariant::OneLevel;
    return isRoot ? SalesVariant::All : SalesVariant::WithSubGroups;
}

namespace {

// value × thousandths / 1000, half away from zero.
std::int64_t roundThousandths(std::int64_t product) {
    return (product + (product >= 0 ? 500 : -500)) / 1000;
}

struct Group {
    QString goodsId, name;
    std::int64_t price = 0;
    std::int64_t count = 0;
    std::int64_t sum = 0, sumMain = 0;
    std::int64_t exactSum = 0;  // kopecks × 1000, unrounded
};

SalesRow label(int section, const QString& name) {
    SalesRow r;
    r.section = section;
    r.name = name;
    return r;
}

// The positions of one payment method, grouped by goods, name and price,
// sorted by name as the Cyrillic collation sorts.
struct GroupKey {
    QString goodsId, name;
    std::int64_t price = 0;
    bool operator==(const GroupKey&) const = default;
};
size_t qHash(const GroupKey& k, size_t seed = 0) {
    return qHashMulti(seed, k.goodsId, k.name, k.price);
}

std::vector<SalesRow> positions(const std::vector<const SalesLine*>& lines, int section, bool full, bool roundEach) {
    // A year holds a million lines of a few thousand groups: hashed, not
    // ordered; the rows are sorted by name once at the end.
    QHash<GroupKey, Group> groups;
    for (const SalesLine* l : lines) {
        Group& g = groups[GroupKey{l->goodsId, l->name, l->price}];
        g.goodsId = l->goodsId;
        g.name = l->name;
        g.price = l->price;
        g.count += l->count;
        const std::int64_t main = l->mainPrice != 0 ? l->mainPrice : l->price;
        g.sum += roundThousandths(l->count * l->price);
        g.sumMain += roundThousandths(l->count * main);
        g.exactSum += l->count * l->price;
    }
    std::vector<SalesRow> rows;
    rows.reserve(std::size_t(groups.size()));
    for (const Group& g : std::as_const(groups)) {
        SalesRow r;
        r.section = section;
        r.goodsId = g.goodsId;
        r.name = g.name;
        r.count = g.count;
        r.price = g.price;
        r.sum = roundEach ? g.sum : roundThousandths(g.exactSum);
        if (full) {
            r.sumMain = g.sumMain;
            if (g.sumMain - g.sum != 0) r.discount = g.sumMain - g.sum;
            // Sold at no price: there is no share to show.
            if (g.sumMain != 0 && g.sumMain != g.sum) {
                const std::int64_t p = (g.sumMain - g.sum) * 1000000 / g.sumMain;  // percent × 10^4
                r.percent = (p + (p >= 0 ? 50 : -50)) / 100;
            }
        }
        rows.push_back(std::move(r));
    }
    // Each name's collation key is made once: comparing through the
    // collator for every pair costs more than reading the month's lines.
    QCollator collator{QLocale(QLocale::Russian)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(rows.size());
    for (const SalesRow& r : rows) keys.push_back(collator.sortKey(r.name));
    std::vector<std::size_t> order(rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    // Ties by name keep the order of goods code and price, as before the
    // rows were hashed.
    std::sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
        const SalesRow &a = rows[x], &b = rows[y];
        if (const int c = keys[x].compare(keys[y]); c != 0) return c < 0;
        if (a.goodsId != b.goodsId) return a.goodsId < b.goodsId;
        if (a.name != b.name) return a.name < b.name;
        return *a.price < *b.price;
    });
    std::vector<SalesRow> sorted;
    sorted.reserve(rows.size());
    for (const std::size_t i : order) sorted.push_back(std::move(rows[i]));
    rows = std::move(sorted);
    return rows;
}

void append(std::vector<SalesRow>& out, std::vector<SalesRow>&& rows) {
    std::move(rows.begin(), rows.end(), std::back_inserter(out));
}

}  // namespace

std::vector<SalesRow> buildSalesReport(const std::vector<SalesLine>& lines, SalesVariant variant) {
    std::vector<SalesRow> out;
    std::vector<const SalesLine*> byKindMethod[3][5];
    for (const SalesLine& l : lines) {
        if ((l.kind == 1 || l.kind == 2) && l.payMethod >= 1 && l.payMethod <= 4)
            byKindMethod[l.kind][l.payMethod].push_back(&l);
    }
    auto hasLines = [&](int kind) {
        for (int m = 1; m <= 4; ++m)
            if (!byKindMethod[kind][m].empty()) return true;
        return false;
    };
    // A label and its positions, only when the method has lines.
    auto methodSection = [&](int kind, int method, int labelCode, int rowsCode, const QString& text, bool full,
                             bool roundEach) {
        const auto& ls = byKindMethod[kind][method];
        if (ls.empty()) return;
        out.push_back(label(labelCode, text));
        append(out, positions(ls, rowsCode, full, roundEach));
    };
    // Advance lines show their number and the sum of their prices.
    auto advance = [&](int kind, int code) {
        const auto& ls = byKindMethod[kind][3];
        if (ls.empty()) return;
        SalesRow r = label(code, QStringLiteral("Аванс "));
        std::int64_t sum = 0;
        for (const SalesLine* l : ls) sum += l->price;
        r.count = std::int64_t(ls.size()) * 1000;
        r.sum = sum;
        out.push_back(std::move(r));
    };

    if (variant == SalesVariant::All) {
        // Money by receipt: each receipt once, however many lines it has.
        // Lines come receipt by receipt; the set only catches a receipt whose
        // lines were not read together.
        std::unordered_set<int> seen;
        int last = 0;
        bool anyLine = false;
        std::int64_t cash[3] = {}, card[3] = {}, prepaid[3] = {};
        bool any[3] = {};
        for (const SalesLine& l : lines) {
            if (l.kind != 1 && l.kind != 2) continue;
            if (anyLine && l.docId == last) continue;
            anyLine = true;
            last = l.docId;
            if (!seen.insert(l.docId).second) continue;
            any[l.kind] = true;
            cash[l.kind] += l.cash;
            card[l.kind] += l.card;
            prepaid[l.kind] += l.prepaid;
        }
        auto money = [&](int code, const QString& text, std::int64_t sum) {
            SalesRow r = label(code, text);
            r.count = 0;
            r.price = 0;
            r.sum = sum;
            r.sumMain = 0;
            out.push_back(std::move(r));
        };
        if (any[1]) {
            money(10, QStringLiteral("ПРИХОД"), cash[1] + card[1]);
            money(11, QStringLiteral("нал"), cash[1]);
            money(12, QStringLiteral("безнал"), card[1]);
            if (prepaid[1] > 0) money(13, QStringLiteral("предоплатой"), prepaid[1]);
        }
        if (any[2]) {
            money(20, QStringLiteral("ВОЗВРАТ ПРИХОДА"), cash[2] + card[2]);
            money(21, QStringLiteral("нал"), cash[2]);
            money(22, QStringLiteral("безнал"), card[2]);
        }
        if (hasLines(1)) {
            out.push_back(label(39, {}));
            out.push_back(label(40, QStringLiteral("позиции Приход")));
            methodSection(1, 1, 41, 42, QStringLiteral("Предоплата 100% "), true, true);
            methodSection(1, 2, 43, 44, QStringLiteral("Предоплата "), true, true);
            advance(1, 45);
            methodSection(1, 4, 47, 48, QStringLiteral("Полный расчет "), true, true);
        }
        if (hasLines(2)) {
            out.push_back(label(599, {}));
            out.push_back(label(600, QStringLiteral("позиции Возврат прихода")));
            methodSection(2, 1, 610, 620, QStringLiteral("Предоплата 100% "), false, true);
            methodSection(2, 2, 630, 640, QStringLiteral("Предоплата "), false, false);
            advance(2, 650);
            methodSection(2, 4, 670, 680, QStringLiteral("Полный расчет "), false, true);
        }
    } else {
        const bool b = variant == SalesVariant::OneLevel;
        const bool sales = !byKindMethod[1][1].empty() || !byKindMethod[1][2].empty() || !byKindMethod[1][4].empty();
        const bool returns = !byKindMethod[2][1].empty() || !byKindMethod[2][2].empty() || !byKindMethod[2][4].empty();
        if (sales) {
            out.push_back(label(40, b ? QStringLiteral("позиции Приход ") : QStringLiteral("prihod")));
            methodSection(1, 1, 41, 42, QStringLiteral("Предоплата 100% "), true, true);
            methodSection(1, 2, 43, 44, QStringLiteral("Предоплата "), true, true);
            methodSection(1, 4, 247, 248, QStringLiteral("Полный расчет "), true, true);
        }
        if (returns) {
            if (sales) out.push_back(label(259, {}));
            out.push_back(label(260, b ? QStringLiteral("возвраты ") : QStringLiteral("возвраты")));
            methodSection(2, 1, 261, 262, QStringLiteral("Предоплата 100% "), true, true);
            methodSection(2, 2, 263, 264, QStringLiteral("Предоплата "), true, true);
            methodSection(2, 4, 265, 266, QStringLiteral("Полный расчет "), true, true);
        }
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const SalesRow& a, const SalesRow& b) { return a.section < b.section; });
    return out;
}

std::vector<SalesLine> readSalesLines(fb::Connection& db, const QDate& from, const QDate& to, SalesVariant variant,
                                      const std::vector<std::int64_t>& groups) {
    // The receipts of the period lead through the type and date index and
    // each brings its lines through their own index: "+ 0" keeps the engine
    // from starting at the lines of every year and looking each receipt up.
    QString sql = QStringLiteral(
        "SELECT D.DOC_ID, D.DOC_CHECK_TYPE, D.DOC_PAY_NAL, D.DOC_PAY_EL, D.DOC_PAY_ADVANCE, DD.DD_GOOD_ID, "
        "DD.DD_GOOD_NAME, DD.DD_GOOD_PRICE_CURRENT, DD.DD_GOOD_PRICE_MAIN, DD.DD_GOOD_COUNT, DD.DD_GOOD_PAYTYPE "
        "FROM DOCUMENTS D JOIN DOCUMENTS_DETAIL DD ON DD.DD_DOC_ID = D.DOC_ID + 0 "
        "WHERE D.DOC_TYPE = 3 AND D.DOC_CHECK_TYPE IN (1, 2) AND D.DOC_DATE_D BETWEEN ? AND ?");
    std::vector<fb::Value> params{from, to};
    if (variant != SalesVariant::All) {
        if (groups.empty()) return {};
        QStringList marks;
        for (std::int64_t g : groups) {
            marks << QStringLiteral("?");
            params.emplace_back(g);
        }
        sql += QStringLiteral(
                   " AND EXISTS (SELECT 1 FROM GOODS G WHERE G.GOOD_ID = DD.DD_GOOD_ID AND "
                   "G.GOOD_PARENTGROUP IN (") +
               marks.join(QLatin1Char(',')) + QStringLiteral("))");
    }
    fb::Transaction tr(db, fb::Transaction::Access::ReadOnly);
    fb::Statement st(tr, sql);
    st.bindAll(params);
    st.execute(tr);
    std::vector<SalesLine> lines;
    // Stored texts that are empty or no number count as 0.
    auto scaled = [](const fb::Value& v, int scale) { return fb::toScaled(v, scale).value_or(0); };
    auto whole = [](const fb::Value& v, int fallback) {
        return static_cast<int>(fb::toInt64(v).value_or(fallback));
    };
    // Columns by their place in the select above; a receipt's money is read
    // once for all its lines, which come one after another.
    enum { DocId, Kind, Cash, Card, Prepaid, GoodsId, Name, Price, MainPrice, Count, PayMethod };
    SalesLine receipt;
    bool anyReceipt = false;
    while (st.fetch()) {
        const fb::Row& r = st.row();
        const int docId = whole(r.at(DocId), 0);
        if (!anyReceipt || docId != receipt.docId) {
            anyReceipt = true;
            receipt.docId = docId;
            receipt.kind = whole(r.at(Kind), 0);
            receipt.cash = scaled(r.at(Cash), 2);
            receipt.card = scaled(r.at(Card), 2);
            receipt.prepaid = scaled(r.at(Prepaid), 2);
        }
        SalesLine l = receipt;
        l.goodsId = fb::toString(r.at(GoodsId));
        l.name = fb::toString(r.at(Name));
        l.price = scaled(r.at(Price), 2);
        l.mainPrice = scaled(r.at(MainPrice), 2);
        l.count = scaled(r.at(Count), 3);
        l.payMethod = whole(r.at(PayMethod), 0);
        lines.push_back(std::move(l));
    }
    tr.commit();
    return lines;
}

std::vector<std::int64_t> groupWithSubGroups(fb::Connection& db, std::int64_t group) {
    fb::Transaction tr(db, fb::Transaction::Access::ReadOnly);
    const std::vector<fb::Row> rows =
        fb::query(tr, QStringLiteral("SELECT GOOD_ID, GOOD_PARENTGROUP FROM GOODS WHERE GOOD_ISGOOD = 0"));
    tr.commit();
    std::multimap<std::int64_t, std::int64_t> children;
    for (const fb::Row& r : rows) children.emplace(r.int64("GOOD_PARENTGROUP"), r.int64("GOOD_ID"));
    std::vector<std::int64_t> out{group};
    std::set<std::int64_t> seen{group};
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto [b, e] = children.equal_range(out[i]);
        for (auto it = b; it != e; ++it)
            if (seen.insert(it->second).second) out.push_back(it->second);
    }
    return out;
}

SalesRowStyle salesRowStyle(const SalesRow& row) {
    const QColor green(0, 128, 0), red(Qt::red), blue(Qt::blue);
    switch (row.section) {
        case 10:
            return {QStringLiteral("ПРИХОД (нал + безнал)"), green, true, true};
        case 20:
            return {QStringLiteral("ВОЗВРАТ ПРИХОДА"), red, true, true};
        case 11:
        case 21:
            return {QStringLiteral("нал  "), blue, false, true};
        case 12:
        case 22:
            return {QStringLiteral("безнал  "), blue, false, true};
        case 13:
            return {QStringLiteral("предоплатой  "), blue, false, true};
        case 40:
            return {QStringLiteral(" По чекам 'ПРИХОД':"), green, true};
        case 260:
        case 600:
            return {QStringLiteral(" По чекам 'ВОЗВРАТ ПРИХОДА':"), red, false};
        case 41:
        case 43:
        case 45:
        case 47:
        case 247:
        case 261:
        case 263:
        case 265:
        case 610:
        case 630:
        case 650:
        case 670:
            return {row.name, blue, false};
        default:
            return {row.name, QColor(), false};
    }
}

}  // namespace archive
