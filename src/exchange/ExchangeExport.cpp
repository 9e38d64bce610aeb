#include "ExchangeExport.h"

#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QFileDevice>
#include <QFileInfo>
#include <QIODevice>
#include <QStorageInfo>

#include <cerrno>

#include <stdexcept>

namespace exchange {
namespace {

class DatabaseGoodsSource final : public GoodsSource {
public:
    DatabaseGoodsSource(fb::Connection& db, const SourceFilter& filter)
        : tr_(db, fb::Transaction::Access::ReadOnly),
          // One cursor instead of a barcode query per row: the rows of one
          // item come together, so memory stays flat however big the catalogue.
          query_(tr_,
                 QStringLiteral(
                     "SELECT G.GOOD_ID, G.GOOD_NAME, G.GOOD_PRICE, G.GOOD_W, G.GOOD_TYPE, G.GOOD_PARENTGROUP, "
                     "G.GOOD_ISGOOD, G.GOOD_NALOG, G.GOOD_MARKTYPE, G.GOOD_COUNTRY_CODE, G.GOOD_EDIZM_FFD, "
                     "B.GOOD_BARCODE, G.GOOD_PACKCOUNT FROM GOODS G LEFT JOIN GOODS_BARCODE B ON B.GOOD_ID = G.GOOD_ID "
                     "WHERE (? = 0 OR G.GOOD_ISGOOD = 1) AND (? = 0 OR G.GOOD_PARENTGROUP = ?) "
                     "ORDER BY G.GOOD_ISGOOD, G.GOOD_ID")) {
        query_.execute(tr_, {std::int64_t(filter.goodsOnly ? 1 : 0), std::int64_t(filter.group ? 1 : 0),
                             std::int64_t(filter.group.value_or(0))});
        more_ = query_.fetch();
    }

    bool next(ExportRow& row) override {
        if (!more_) return false;
        const fb::Row& r = query_.row();
        const auto id = fb::toInt64(r.at(0)).value_or(0);
        row = ExportRow{};
        row.id = static_cast<std::int32_t>(id);
        row.name = fb::toString(r.at(1));
        row.price = fb::toString(r.at(2));
        row.weighed = fb::toString(r.at(3));
        row.type = fb::toString(r.at(4));
        if (const auto p = fb::toInt64(r.at(5))) row.parent = static_cast<std::int32_t>(*p);
        row.isGood = static_cast<int>(fb::toInt64(r.at(6)).value_or(1));
        row.vat = fb::toString(r.at(7));
        if (const auto m = fb::toInt64(r.at(8))) row.markType = static_cast<int>(*m);
        row.country = fb::toString(r.at(9));
        if (const auto u = fb::toInt64(r.at(10))) row.unitCode = static_cast<int>(*u);
        if (const auto p = fb::toInt64(r.at(12))) row.packCount = static_cast<int>(*p);
        do {
            const fb::Row& b = query_.row();
            if (fb::toInt64(b.at(0)).value_or(0) != id) break;
            if (!fb::isNull(b.at(11))) row.barcodes << fb::toString(b.at(11));
            more_ = query_.fetch();
        } while (more_);
        return true;
    }

private:
    fb::Transaction tr_;
    fb::Statement query_;
    bool more_ = false;
};

void writeLine(QIODevice& out, const QString& line) {
    QByteArray bytes = encodeCp1251(line);
    bytes.append("\r\n", 2);
    if (out.write(bytes) != bytes.size()) throw std::runtime_error(writeFailureText(out).toStdString());
}

}  // namespace

std::unique_ptr<GoodsSource> makeDatabaseGoodsSource(fb::Connection& connection, const SourceFilter& filter) {
    connection.ensureConnected();
    return std::make_unique<DatabaseGoodsSource>(connection, filter);
}

ExportResult writeExchangeFile(GoodsSource& source, QIODevice& out, const ExportHooks& hooks) {
    ExportResult result;
    for (const QString& line : fileHeaderLines()) writeLine(out, line);
    ExportRow row;
    for (;;) {
        if (hooks.row && !hooks.row(result.count)) {
            result.stopped = true;
            break;
        }
        if (!source.next(row)) break;
        const WrittenRecord record = writeGoodsRecord(row);
        writeLine(out, record.line);
        result.droppedBarcodes += record.droppedBarcodes;
        ++result.count;
    }
    return result;
}

QString exportSummary(const ExportResult& result) {
    QString text = QStringLiteral("Выгрузка базы товаров завершена.     \r\nВыгружено ") +
                   QString::number(result.count) + QStringLiteral(" позиций.     ");
    if (result.droppedBarcodes > 0)
        text += QStringLiteral("\r\n\r\nНе выгружено штрихкодов с символами ';' или ',': ") +
                QString::number(result.droppedBarcodes) + QStringLiteral(".     ");
    return text;
}

QString writeFailureText(const QIODevice& out) {
    const int error = errno;
    if (error == ENOSPC || error == EDQUOT) return msg::kDiskFull;
    if (const auto* file = qobject_cast<const QFileDevice*>(&out)) {
        const QStorageInfo storage(QFileInfo(file->fileName()).absolutePath());
        if (storage.isValid() && storage.bytesAvailable() == 0) return msg::kDiskFull;
    }
    return out.errorString();
}

QString msg::exportFailed(const QString& file, const QString& detail) {
    return QStringLiteral(" Выгрузка базы товаров в файл     \r\n ") + file +
           QStringLiteral("     \r\n прервана из-за сбоя:     \r\n\r\n ") + detail;
}

}  // namespace exchange
