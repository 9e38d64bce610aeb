#include "ReaderChecks.h"

#include "exchange/CsvFormat.h"
#include "exchange/ExchangeFormat.h"
#include "exchange/ExchangeReader.h"

#include <QBuffer>
#include <QRegularExpression>

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

}  // namespace

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
