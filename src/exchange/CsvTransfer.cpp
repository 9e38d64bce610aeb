#include "CsvTransfer.h"

#include "CsvFormat.h"
#include "ExchangeExport.h"
#include "ExchangeImport.h"
#include "ExchangeReader.h"

#include "core/GoodsCodeHistory.h"
#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QIODevice>

#include <stdexcept>

namespace exchange {
namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kRetry = QStringLiteral("Проверьте, что данные корректны, и попробуйте снова.      ");
const QString kCallUs = QStringLiteral("При повторении ошибки обратитесь к разработчику.     ");

void writeLine(QIODevice& out, const QString& line) {
    QByteArray bytes = encodeCp1251(line);
    bytes.append("\r\n", 2);
    if (out.write(bytes) != bytes.size()) throw std::runtime_error(out.errorString().toStdString());
}

}  // namespace

QString csvmsg::groupQuestion(int line, std::int32_t id, const QString& groupName) {
    return QStringLiteral("Позиция в строке ") + QString::number(line) +
           QStringLiteral(" не может быть загружена/обновлена,     ") + kCrLf + QStringLiteral("т.к. код ") +
           QString::number(id) + QStringLiteral(" назначен группе ") + groupName + QStringLiteral(".      ") + kCrLf +
           kCrLf + QStringLiteral("Продолжить? ");
}
QString csvmsg::codeKeptByHistory(int line, std::int32_t id, core::GoodsCodeUse use) {
    return QStringLiteral("Позиция в строке ") + QString::number(line) +
           QStringLiteral(" не может быть загружена,     ") + kCrLf + QStringLiteral("т.к. код ") +
           QString::number(id) + QStringLiteral(" нельзя дать новому товару: ") + core::goodsCodeUseReason(use) +
           QStringLiteral(".      ");
}
QString csvmsg::insertFailed(int line) {
    return QStringLiteral("Сбой сервера БД при записи строки ") + QString::number(line) + QStringLiteral(".      ") +
           kCrLf + kRetry + kCrLf + kCrLf + kCallUs;
}
QString csvmsg::updateFailed(int line) {
    return QStringLiteral("Сбой сервера БД при обновлении данных (строка ") + QString::number(line) +
           QStringLiteral(").      ") + kCrLf + kRetry + kCrLf + kCrLf + kCallUs + QStringLiteral(" ");
}
QString csvmsg::barcodesAfterInsert(int line, bool deleting) {
    return (deleting ? QStringLiteral("Сбой сервера БД при обработке поля 'ШК' в строке ")
                     : QStringLiteral("Сбой сервера БД при записи поля 'ШК' в строке ")) +
           QString::number(line) + QStringLiteral(".      ");
}
QString csvmsg::barcodesAfterUpdate(int line, bool deleting) {
    return (deleting ? QStringLiteral("Сбой сервера БД при обработке поля 'Штрихкод' в строке ")
                     : QStringLiteral("Сбой сервера БД при записи поля 'Штрихкод' в строке ")) +
           QString::number(line) + QStringLiteral(".      ");
}

CsvLoadResult loadCsvGoods(QIODevice& in, fb::Connection& db, std::int32_t group, const CsvLoadHooks& hooks) {
    using Outcome = CsvLoadResult::Outcome;
    CsvLoadResult result;
    db.ensureConnected();
    fb::Transaction tr(db);
    fb::Statement find(tr,
                       QStringLiteral("SELECT GOOD_ISGOOD, GOOD_PARENTGROUP, GOOD_NAME FROM GOODS WHERE GOOD_ID = ?"));
    fb::Statement insert(
        tr, QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_TYPE, GOOD_W, GOOD_MARKTYPE, "
                           "GOOD_NALOG, GOOD_EDIZM, GOOD_EDIZM_FFD, GOOD_ISGOOD, GOOD_PACKCOUNT, GOOD_PARENTGROUP) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, 1, ?, ?)"));
    fb::Statement update(tr,
                         QStringLiteral("UPDATE GOODS SET GOOD_NAME = ?, GOOD_PRICE = ?, GOOD_TYPE = ?, GOOD_W = ?, "
                                        "GOOD_MARKTYPE = ?, GOOD_NALOG = ?, GOOD_EDIZM = ?, GOOD_EDIZM_FFD = ?, "
                                        "GOOD_PACKCOUNT = ? WHERE GOOD_ID = ?"));
    fb::Statement dropCodes(tr, QStringLiteral("DELETE FROM GOODS_BARCODE WHERE GOOD_ID = ?"));
    fb::Statement addCode(tr, QStringLiteral("INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE) VALUES (?, ?)"));
    core::GoodsCodeHistory history(tr);

    auto end = [&](Outcome outcome, QString message) {
        tr.rollback();
        result.outcome = outcome;
        result.message = std::move(message);
        return result;
    };

    LineSource lines(in);
    QString line;
    for (;;) {
        if (hooks.stop && hooks.stop(result.counters)) return end(Outcome::Stopped, QString());
        if (!lines.next(line)) break;
        const int number = ++result.counters.read;
        if (isBlankCsvLine(line)) continue;
        if (holdsUnmappedByte(line)) return end(Outcome::Refused, msg::unmappedByte(number));
        const QStringList fields = splitCsvLine(line);
        if (number == 1 && isCsvHeader(fields)) continue;
        auto parsed = parseCsvGoods(fields, number);
        if (auto* refusal = std::get_if<Refusal>(&parsed)) return end(Outcome::Refused, refusal->message);
        const CsvGoods& g = std::get<CsvGoods>(parsed);

        find.execute(tr, {std::int64_t(g.id)});
        const bool exists = find.fetch();
        const fb::Row row = exists ? find.row() : fb::Row();
        find.closeCursor();
        bool inserted = false;
        const fb::Value pack = g.packCount ? fb::Value(std::int64_t(*g.packCount)) : fb::null();
        if (!exists) {
            // A code history names goes to no new item: the sales and stock
            // of the old one would become the new one's.
            if (const auto use = history.of(g.id))
                return end(Outcome::Refused, csvmsg::codeKeptByHistory(number, g.id, *use));
            try {
                insert.execute(tr, {std::int64_t(g.id), g.name, g.price, g.type, g.weighed, std::int64_t(g.markType),
                                    g.vat, g.unitName, std::int64_t(g.unitCode), pack, std::int64_t(group)});
            } catch (const std::exception&) {
                return end(Outcome::Failed, csvmsg::insertFailed(number));
            }
            inserted = true;
            ++result.counters.loaded;
        } else if (fb::toInt64(row.at(0)).value_or(0) != 1) {
            // Only GOOD_ISGOOD 1 is goods: anything else (a group, an empty or
            // odd flag another program left) must not be overwritten as goods.
            const QString question = csvmsg::groupQuestion(number, g.id, fb::toString(row.at(2)));
            if (hooks.skipGroupLine && hooks.skipGroupLine(question)) continue;
            return end(Outcome::Stopped, csvmsg::kStoppedByUser);
        } else if (group == 0 || fb::toInt64(row.at(1)).value_or(0) == group) {
            try {
                update.execute(tr, {g.name, g.price, g.type, g.weighed, std::int64_t(g.markType), g.vat, g.unitName,
                                    std::int64_t(g.unitCode), pack, std::int64_t(g.id)});
            } catch (const std::exception&) {
                return end(Outcome::Failed, csvmsg::updateFailed(number));
            }
            ++result.counters.updated;
        } else {
            continue;  // goods of another group stay as they are
        }
        try {
            dropCodes.execute(tr, {std::int64_t(g.id)});
        } catch (const std::exception&) {
            return end(Outcome::Failed, inserted ? csvmsg::barcodesAfterInsert(number, true)
                                                 : csvmsg::barcodesAfterUpdate(number, true));
        }
        try {
            for (const QString& code : g.barcodes) addCode.execute(tr, {std::int64_t(g.id), code});
        } catch (const std::exception&) {
            return end(Outcome::Failed, inserted ? csvmsg::barcodesAfterInsert(number, false)
                                                 : csvmsg::barcodesAfterUpdate(number, false));
        }
    }
    tr.commit();
    refreshGoodsStatistics(db);
    return result;
}

CsvUnloadResult unloadCsvGoods(fb::Connection& db, std::int32_t group, QIODevice& out, bool header, bool textMode,
                               const std::function<bool(int)>& row) {
    CsvUnloadResult result;
    SourceFilter filter;
    filter.goodsOnly = true;
    if (group != 0) filter.group = group;
    auto source = makeDatabaseGoodsSource(db, filter);
    if (header) {
        writeLine(out, kCsvHeader);
        writeLine(out, QString());
    }
    ExportRow r;
    for (;;) {
        if (row && !row(result.count)) {
            result.stopped = true;
            break;
        }
        if (!source->next(r)) break;
        writeLine(out, writeCsvGoods(r, textMode));
        ++result.count;
    }
    return result;
}

}  // namespace exchange
