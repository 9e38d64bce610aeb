#include "ReaderChecks.h"

#include "exchange/CsvFormat.h"
#include "exchange/ExchangeFormat.h"
#include "exchange/ExchangeReader.h"
#include "platform/db/Value.h"

#include <QBuffer>
#include <QRegularExpression>

#include <cstdint>
#include <limits>
#include <optional>

namespace fuzzchecks {
namespace {

using namespace exchange;

// Everything the exchange reader makes of the bytes, as one text.
QString readExchange(const QByteArray& bytes, QString& problem) {
    QByteArray copy = bytes;
    QBuffer in(&copy);
    in.open(QIODevice::ReadOnly);
    ExchangeReader reader(in);
    const auto header = reader.readHeader();
    QString trace = QString::number(int(header));
    if (header != ExchangeReader::Header::Ok) return trace;
    ImportEvent e;
    static const QRegularExpression lineRef(QStringLiteral("в строке (\\d+)"));
    while (reader.next(e)) {
        trace += QLatin1Char('\n') + QString::number(int(e.type)) + QLatin1Char('@') + QString::number(e.line);
        if (e.line < 1 || e.line > reader.lineNumber()) problem = QStringLiteral("event outside the file");
        switch (e.type) {
            case ImportEvent::Type::Refused: {
                trace += e.message;
                const auto m = lineRef.match(e.message);
                if (m.hasMatch() && m.captured(1).toInt() != e.line)
                    problem = QStringLiteral("refusal names another line");
                if (!m.hasMatch() && !e.message.contains(QStringLiteral("Позиция ")))
                    problem = QStringLiteral("refusal names no line");
                break;
            }
            case ImportEvent::Type::Goods: {
                const GoodsRecord& g = e.goods;
                trace +=
                    QString::number(g.id) + g.name + g.price.value_or(QString()) + g.barcodes.join(QLatin1Char(','));
                // What was read is written and read back alike.
                ExportRow row;
                row.id = g.id;
                row.name = g.name;
                row.price = g.price.value_or(QString());
                row.weighed = g.weighed.value_or(QString());
                row.type = g.type.value_or(QString());
                row.parent = g.parent;
                row.isGood = g.isGood ? 1 : 0;
                row.vat = g.vat.value_or(QString());
                row.markType = g.markType;
                row.country = g.country.value_or(QString());
                row.unitCode = g.unitCode;
                row.barcodes = g.barcodes;
                const WrittenRecord w = writeGoodsRecord(row);
                auto again = parseGoodsRecord(w.line, 1, 0);
                const auto* back = std::get_if<GoodsRecord>(&again);
                if (!back) {
                    problem = QStringLiteral("written record refused: ") + std::get<Refusal>(again).message;
                    break;
                }
                if (back->id != g.id || back->isGood != g.isGood || back->price != g.price || back->type != g.type ||
                    back->vat != g.vat || back->markType != g.markType || back->country != g.country ||
                    back->parent != g.parent)
                    problem = QStringLiteral("written record reads back otherwise");
                break;
            }
            case ImportEvent::Type::Barcode:
                trace += e.barcode.barcode + QString::number(e.barcode.goodsId);
                if (e.barcode.barcode.isEmpty() || e.barcode.barcode.size() > 40)
                    problem = QStringLiteral("bad barcode");
                break;
            default:
                break;
        }
    }
    return trace;
}

QString readCsv(const QByteArray& bytes, QString& problem) {
    QByteArray copy = bytes;
    QBuffer in(&copy);
    in.open(QIODevice::ReadOnly);
    LineSource lines(in);
    QString line;
    QString trace;
    while (lines.next(line)) {
        const int number = lines.lineNumber();
        if (isBlankCsvLine(line)) continue;
        const QStringList fields = splitCsvLine(line);
        if (fields.size() < 11) problem = QStringLiteral("fields not padded");
        if (number == 1 && isCsvHeader(fields)) continue;
        auto parsed = parseCsvGoods(fields, number);
        if (const auto* refusal = std::get_if<Refusal>(&parsed)) {
            if (!refusal->message.contains(QString::number(number))) problem = QStringLiteral("refusal names no line");
            trace += refusal->message;
            break;  // a load ends at its first refusal
        }
        const CsvGoods& g = std::get<CsvGoods>(parsed);
        trace += QString::number(g.id) + g.name + g.price + QLatin1Char('\n');
        for (bool textMode : {true, false}) {
            ExportRow row;
            row.id = g.id;
            row.name = g.name;
            row.price = g.price;
            row.weighed = g.weighed;
            row.type = g.type;
            row.vat = g.vat;
            row.markType = g.markType;
            row.unitCode = g.unitCode;
            row.packCount = g.packCount;
            row.barcodes = g.barcodes;
            auto again = parseCsvGoods(splitCsvLine(writeCsvGoods(row, textMode)), 1);
            const auto* back = std::get_if<CsvGoods>(&again);
            if (!back) {
                problem = QStringLiteral("written line refused: ") + std::get<Refusal>(again).message;
                continue;
            }
            CsvGoods expected = g;
            expected.barcodes.sort();
            CsvGoods got = *back;
            got.barcodes.sort();
            // Names lose their outer blanks and double quotes both ways.
            if (got.id != expected.id || got.price != expected.price || got.type != expected.type ||
                got.weighed != expected.weighed || got.unitCode != expected.unitCode ||
                got.markType != expected.markType || got.vat != expected.vat || got.packCount != expected.packCount)
                problem = QStringLiteral("written line reads back otherwise");
        }
    }
    return trace;
}

// Slow and plain: the digits stay text until they are few enough for 128
// bits, so nothing here can wrap.
std::optional<std::int64_t> referenceScaled(const QString& text, int scale) {
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    static const QRegularExpression number(QStringLiteral("^([+-]?)([0-9]*)(?:\\.([0-9]*))?$"));
    const auto m = number.match(t);
    if (!m.hasMatch() || m.capturedLength(2) + m.capturedLength(3) == 0) return std::nullopt;
    QString whole = m.captured(2);
    while (whole.startsWith(QLatin1Char('0'))) whole.remove(0, 1);
    if (whole.size() > 19) return std::nullopt;
    const QString fraction = m.captured(3);
    __int128 v = 0;
    for (const QChar c : whole) v = v * 10 + (c.unicode() - u'0');
    for (int i = 0; i < scale; ++i) v = v * 10 + (i < fraction.size() ? fraction.at(i).unicode() - u'0' : 0);
    if (fraction.size() > scale && fraction.at(scale) >= QLatin1Char('5')) ++v;
    if (v > __int128(std::numeric_limits<std::int64_t>::max())) return std::nullopt;
    return m.captured(1) == QLatin1String("-") ? -std::int64_t(v) : std::int64_t(v);
}

QString shown(const std::optional<std::int64_t>& v) {
    return v ? QString::number(*v) : QStringLiteral("refused");
}

}  // namespace

QString checkDecimalText(const QByteArray& bytes) {
    const QString text = QString::fromUtf8(bytes);
    for (const int scale : {0, 2, 3, 4}) {
        const auto got = fb::parseScaled(text, scale);
        const auto want = referenceScaled(text, scale);
        if (got != want)
            return QStringLiteral("\"%1\" at scale %2: %3 instead of %4").arg(text).arg(scale).arg(shown(got), shown(want));
        if (got && fb::parseScaled(fb::formatScaled(*got, scale), scale) != got)
            return QStringLiteral("%1 at scale %2 does not read back").arg(*got).arg(scale);
    }
    return {};
}

QString checkExchangeFile(const QByteArray& bytes) {
    QString problem;
    const QString first = readExchange(bytes, problem);
    if (!problem.isEmpty()) return problem;
    if (readExchange(bytes, problem) != first) return QStringLiteral("same bytes, another result");
    return problem;
}

QString checkCsvFile(const QByteArray& bytes) {
    QString problem;
    const QString first = readCsv(bytes, problem);
    if (!problem.isEmpty()) return problem;
    if (readCsv(bytes, problem) != first) return QStringLiteral("same bytes, another result");
    return problem;
}

}  // namespace fuzzchecks
