#include "sales/input/GoodsLookup.h"
#include "sales/input/ZeroCodeLookup.h"

#include "core/CodeTables.h"
#include "core/TextUtils.h"
#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "sales/input/BarcodeClassifier.h"

#include <QHash>

#include <atomic>

namespace sales {

namespace {

// Moves on every saved change of the prefix list; a look-up whose copy was
// read under another value reads the list again.
std::atomic<std::uint64_t> prefixGeneration{1};

constexpr auto kReadOnly = fb::Transaction::Access::ReadOnly;

const QString kGoodsColumns = QStringLiteral(
    "SELECT GOODS.GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_TYPE, GOOD_W, GOOD_EDIZM, GOOD_EDIZM_FFD, GOOD_NALOG, "
    "GOOD_COUNTRY_CODE, COALESCE(GOOD_MARKTYPE, 0) AS GOOD_MARKTYPE, GOOD_PACKCOUNT");
// The barcodes lead and the goods follow by their key, whatever the
// statistics say: "+ 0" keeps the index on GOODS_BARCODE.GOOD_ID out of the
// join, so the only indexed way in is the barcode's own.
const QString kFromGoodsAndBarcodes = QStringLiteral(
    ", GOOD_BARCODE FROM GOODS JOIN GOODS_BARCODE ON GOODS.GOOD_ID = GOODS_BARCODE.GOOD_ID + 0 WHERE ");
const QString kOrder = QStringLiteral(" ORDER BY GOOD_NAME COLLATE PXW_CYRL, GOODS.GOOD_ID");

// The barcode without its leading zeros, as the index on it holds it: one
// probe finds every stored form of a code ("123", "0123", ...).
const QString kStrippedBarcode = QStringLiteral("TRIM(LEADING '0' FROM GOOD_BARCODE)");

QString placeholders(int count, const QString& each, const QString& joiner) {
    QStringList parts;
    for (int i = 0; i < count; ++i) parts << each;
    return parts.join(joiner);
}

QString barcodeIn(int count) {
    return QStringLiteral("GOOD_BARCODE IN (") + placeholders(count, QStringLiteral("?"), QStringLiteral(", ")) +
           QStringLiteral(")");
}

// Columns in select order: rows are read by position, not looked up by
// name per field.
enum GoodsColumn : int {
    ColId = 0,
    ColName,
    ColPrice,
    ColType,
    ColWeighed,
    ColUnit,
    ColMeasure,
    ColVat,
    ColCountry,
    ColMarkType,
    ColPackCount,
    ColBarcode,  // only in the selects over barcodes
};

FoundGoods goodsFromRow(const fb::Row& row) {
    FoundGoods g;
    g.good.id = fb::toString(row.at(ColId));
    g.good.name = fb::toString(row.at(ColName));
    g.good.price = fb::toString(row.at(ColPrice)).trimmed();
    g.good.weighed = fb::toString(row.at(ColWeighed));
    g.good.type = fb::toString(row.at(ColType)).trimmed();
    g.good.country = fb::toString(row.at(ColCountry)).trimmed();
    g.markType = int(fb::toInt64(row.at(ColMarkType)).value_or(0));
    g.good.markType = QString::number(g.markType);
    if (const auto measure = fb::toInt64(row.at(ColMeasure))) {
        g.measure = int(*measure);
        g.good.measure = QString::number(*g.measure);
    }
    g.good.vat = fb::toString(row.at(ColVat)).trimmed();
    g.unitName = fb::toString(row.at(ColUnit));
    g.packCount = int(fb::toInt64(row.at(ColPackCount)).value_or(0));
    g.fractionalAllow = core::isWeighedGood(g.good.weighed);
    if (row.size() > ColBarcode) g.barcode = fb::toString(row.at(ColBarcode));
    return g;
}

// One entry per goods item, in the order the statement returned them: a
// goods item whose barcode is stored twice (with and without zeros) is
// still one choice.
std::vector<FoundGoods> readGoods(fb::Statement& s) {
    std::vector<FoundGoods> out;
    QSet<QString> seen;
    while (s.fetch()) {
        FoundGoods g = goodsFromRow(s.row());
        if (seen.contains(g.good.id)) continue;
        seen.insert(g.good.id);
        out.push_back(std::move(g));
    }
    return out;
}

}  // namespace

struct GoodsLookup::Statements {
    enum Which { Exact = 0, Prefix, MarkedGtin, Count };
    // All seven are prepared in one transaction.
    explicit Statements(fb::Transaction& db)
        : exact(db, kGoodsColumns + kFromGoodsAndBarcodes + kStrippedBarcode + QStringLiteral(" = ?") + kOrder),
          prefix(db, kGoodsColumns + kFromGoodsAndBarcodes + kStrippedBarcode + QStringLiteral(" STARTING WITH ?") +
                         kOrder),
          markedGtin(db, kGoodsColumns + kFromGoodsAndBarcodes + kStrippedBarcode + QStringLiteral(" = ?") +
                             QStringLiteral(" AND COALESCE(GOOD_MARKTYPE, 0) <> 0") + kOrder),
          weighed(db, kGoodsColumns + kFromGoodsAndBarcodes + barcodeIn(6) + QStringLiteral(" AND ") +
                          core::weighedGoodSqlCondition() + QStringLiteral(" AND COALESCE(GOOD_MARKTYPE, 0) = 0") +
                          kOrder),
          byCode(db,
                 kGoodsColumns + QStringLiteral(" FROM GOODS WHERE GOODS.GOOD_ID = ? AND GOOD_ISGOOD = 1") + kOrder),
          barcodes(db, QStringLiteral("SELECT DISTINCT GOOD_BARCODE FROM GOODS_BARCODE WHERE GOOD_ID = ?")),
          prefixes(db, QStringLiteral("SELECT PREF FROM BARCODE_WEIGHT_PREFIX")) {}

    fb::Statement& variantStatement(int which) {
        switch (which) {
        case Prefix: return prefix;
        case MarkedGtin: return markedGtin;
        default: return exact;
        }
    }

    fb::Statement exact;
    fb::Statement prefix;
    fb::Statement markedGtin;
    fb::Statement weighed;
    fb::Statement byCode;
    fb::Statement barcodes;
    fb::Statement prefixes;
};

GoodsLookup::GoodsLookup(fb::Connection& db) : db_(db) {}

GoodsLookup::~GoodsLookup() = default;

void weightPrefixesChanged() {
    prefixGeneration.fetch_add(1);
}

GoodsLookup::Statements& GoodsLookup::st() {
    if (!st_) {
        fb::Transaction tr(db_, kReadOnly);
        st_ = std::make_unique<Statements>(tr);
        tr.commit();
    }
    return *st_;
}

void GoodsLookup::prepare() {
    st();
    prefixes_.reset();
    weightPrefixes();
    // One probe down each index a scan walks (the barcodes, then the goods
    // by id) brings their upper pages into the engine's cache with the
    // session: the first scan then costs what the next ones do.
    byStripped(Statements::Exact, QStringLiteral("1"));
    byCode(1);
}

std::vector<FoundGoods> GoodsLookup::byStripped(int which, const QString& stripped) {
    if (stripped.isEmpty()) return {};
    fb::Transaction tr(db_, kReadOnly);
    std::vector<FoundGoods> out = byStripped(tr, which, stripped);
    tr.commit();
    return out;
}

std::vector<FoundGoods> GoodsLookup::byStripped(fb::Transaction& tr, int which, const QString& stripped) {
    if (stripped.isEmpty()) return {};
    fb::Statement& s = st().variantStatement(which);
    s.bind(0, stripped);
    s.execute(tr);
    return readGoods(s);
}

namespace {
// The code as the index holds barcodes: without leading zeros. Empty for a
// code no stored barcode can match (nothing but zeros, or longer than the
// column).
QString strippedCode(const QString& code) {
    const QString stripped = core::StripLeadingZeros(code.trimmed());
    if (stripped.startsWith(QLatin1Char('0')) || stripped.size() > GoodsLookup::kMaxBarcodeLength) return {};
    return stripped;
}
}  // namespace

std::vector<FoundGoods> GoodsLookup::byBarcodeExact(const QString& code) {
    return byStripped(Statements::Exact, strippedCode(code));
}

std::vector<FoundGoods> GoodsLookup::byBarcodePrefix(const QString& code) {
    return byStripped(Statements::Prefix, strippedCode(code));
}

std::vector<FoundGoods> GoodsLookup::byBarcode(const QString& code) {
    // Both queries of one scan share one transaction.
    const QString stripped = strippedCode(code);
    if (stripped.isEmpty()) return {};
    fb::Transaction tr(db_, kReadOnly);
    std::vector<FoundGoods> found = byStripped(tr, Statements::Exact, stripped);
    if (found.empty()) found = byStripped(tr, Statements::Prefix, stripped);
    tr.commit();
    return found;
}

std::vector<FoundGoods> GoodsLookup::byMarkingGtin(const QString& gtin, bool markedOnly) {
    return byStripped(markedOnly ? Statements::MarkedGtin : Statements::Exact, strippedCode(gtin));
}

std::vector<FoundGoods> GoodsLookup::weighedByNumber(int goodsNumber) {
    const QStringList forms = weighedGoodsBarcodes(goodsNumber);
    if (forms.isEmpty()) return {};
    fb::Statement& s = st().weighed;
    for (int i = 0; i < 6; ++i) s.bind(i, i < forms.size() ? forms[i] : forms.first());
    fb::Transaction tr(db_, kReadOnly);
    s.execute(tr);
    std::vector<FoundGoods> out = readGoods(s);
    tr.commit();
    return out;
}

std::vector<FoundGoods> GoodsLookup::byCode(std::int64_t id) {
    // GOOD_ID is a 32-bit column: a longer number names no goods.
    if (id <= 0 || id > 2147483647LL) return {};
    fb::Statement& s = st().byCode;
    fb::Transaction tr(db_, kReadOnly);
    s.execute(tr, {id});
    std::vector<FoundGoods> out = readGoods(s);
    tr.commit();
    return out;
}

QStringList GoodsLookup::barcodesOf(std::int64_t id) {
    QStringList out;
    if (id <= 0 || id > 2147483647LL) return out;
    fb::Statement& s = st().barcodes;
    fb::Transaction tr(db_, kReadOnly);
    s.execute(tr, {id});
    while (s.fetch()) out << s.row().str(QStringLiteral("GOOD_BARCODE"));
    tr.commit();
    return out;
}

QSet<int> GoodsLookup::weightPrefixes() {
    const std::uint64_t generation = prefixGeneration.load();
    if (!prefixes_ || prefixesGeneration_ != generation) {
        prefixes_ = readWeightPrefixes();
        prefixesGeneration_ = generation;
    }
    return *prefixes_;
}

QSet<int> GoodsLookup::readWeightPrefixes() {
    QSet<int> out;
    fb::Statement& s = st().prefixes;
    fb::Transaction tr(db_, kReadOnly);
    s.execute(tr);
    while (s.fetch()) {
        bool ok = false;
        const int p = s.row().str(QStringLiteral("PREF")).trimmed().toInt(&ok);
        if (ok) out.insert(p);
    }
    tr.commit();
    return out;
}

std::optional<core::UserRow> GoodsLookup::cashierByCard(const QString& code) { return core::userByCard(db_, code); }

// ---- A code of zeros ----------------------------------------------------------

bool isZeroCode(const QString& code) {
    if (code.isEmpty()) return false;
    for (const QChar c : code)
        if (c != QLatin1Char('0')) return false;
    return true;
}

std::vector<FoundGoods> goodsForZeroCode(fb::Connection& db) {
    const QString select = kGoodsColumns + QStringLiteral(", GOOD_BARCODE FROM GOODS JOIN GOODS_BARCODE ON "
                                                          "GOODS.GOOD_ID = GOODS_BARCODE.GOOD_ID");
    fb::Transaction tr(db, kReadOnly);
    fb::Statement exact(tr, select + QStringLiteral(" WHERE TRIM(LEADING '0' FROM GOOD_BARCODE) = ''") + kOrder);
    exact.execute(tr);
    std::vector<FoundGoods> found = readGoods(exact);
    if (found.empty()) {
        fb::Statement all(tr, select + kOrder);
        all.execute(tr);
        found = readGoods(all);
    }
    tr.commit();
    return found;
}

}  // namespace sales
