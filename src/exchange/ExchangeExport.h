#pragma once
// Writing the catalogue into a goods exchange file: groups first, then
// goods, each by ID, with every goods item's barcodes.
#include "ExchangeFormat.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QIODevice;

namespace fb {
class Connection;
}

namespace exchange {

// The rows to write, in file order.
class GoodsSource {
public:
    virtual ~GoodsSource() = default;
    // The next row with its barcodes; false after the last. Throws on a
    // database failure.
    virtual bool next(ExportRow& row) = 0;
};

// Which rows a source reads: every row (the exchange file), or only goods
// (GOOD_ISGOOD 1), optionally of one group (the CSV file).
struct SourceFilter {
    bool goodsOnly = false;
    std::optional<std::int32_t> group;
};

// GOODS ordered by GOOD_ISGOOD, GOOD_ID with their barcodes, read in one
// read-only transaction through a single cursor.
std::unique_ptr<GoodsSource> makeDatabaseGoodsSource(fb::Connection& connection, const SourceFilter& filter = {});

struct ExportHooks {
    // Called before each row; false stops (what is written so far stays).
    std::function<bool(int written)> row;
};

struct ExportResult {
    int count = 0;            // records written
    int droppedBarcodes = 0;  // barcodes the format cannot carry
    bool stopped = false;
};

// Writes the header lines and one record per row, each line ended by CR LF.
// Throws on a failure of the source or of the device.
ExportResult writeExchangeFile(GoodsSource& source, QIODevice& out, const ExportHooks& hooks = {});

QString exportSummary(const ExportResult& result);

namespace msg {
inline const QString kNoConnection = QStringLiteral("Нет соединения с БД      ");
inline const QString kCatalogueEmpty = QStringLiteral("База товаров пуста      ");
inline const QString kUnloadCaption = QStringLiteral("Идёт выгрузка базы товаров в файл. Ждите...");
QString exportFailed(const QString& file, const QString& detail);
inline const QString kDiskFull =
    QStringLiteral("Диск заполнен: на нем не осталось места.     \r\n Файл записан не полностью, загружать его нельзя.     ");
}  // namespace msg

// Why a write to `out` just failed, in words for the cashier: a full disk is
// said so (the device's own text is often "Unknown error" after a partial
// write). Call it right after the failed write, before errno changes.
QString writeFailureText(const QIODevice& out);

}  // namespace exchange
