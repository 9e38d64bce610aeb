#pragma once
// Loading a goods exchange file into the catalogue. The whole load is one
// transaction: it commits at the end of the file or not at all, so a refused
// record, a database failure or a stop leaves the catalogue as it was.
#include "ExchangeFormat.h"

#include "core/GoodsCodeHistory.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QIODevice;

namespace fb {
class Connection;
}

namespace exchange {

class ExchangeReader;

// Where the records go. Every method throws on a database failure.
class GoodsStore {
public:
    virtual ~GoodsStore() = default;
    // Inserts the row or updates every column the file carries, unless the
    // record would turn a goods item into a group, or give a code to a new
    // item or group, while history names that code: then nothing is written
    // and what names the code is returned.
    virtual std::optional<core::GoodsCodeUse> upsertGoods(const GoodsRecord& goods) = 0;
    virtual void deleteBarcodes(std::int32_t goodsId) = 0;
    virtual void insertBarcode(std::int32_t goodsId, const QString& barcode) = 0;
    // A barcode record: added unless the item has it already; a code the
    // database refuses is skipped without touching anything else.
    virtual void addBarcodeIfAbsent(std::int32_t goodsId, const QString& barcode) = 0;
    // Deletes every goods row and group that nothing refers to: goods that
    // stored documents, lots, the working list or the receipt in progress
    // name stay, with the groups they lie in, and the records that follow
    // update them by code like any other existing item.
    virtual void deleteAllGoods() = 0;
    virtual void deleteAllBarcodes() = 0;
    virtual void commit() = 0;
    virtual void rollback() noexcept = 0;
};

// The store over the program's database: one read-write transaction for the
// whole load, statements prepared once and bound per row. `keep`: the goods
// codes the receipt in progress holds, which the delete-all command spares.
std::unique_ptr<GoodsStore> makeDatabaseGoodsStore(fb::Connection& connection, std::vector<std::int64_t> keep = {});

// After a load has changed many goods: the goods' and barcodes' index
// statistics computed again, so the lists and the scan keep their plans. A
// failure here leaves the stored goods as they are.
void refreshGoodsStatistics(fb::Connection& connection);

struct ImportHooks {
    // Called for each line that is neither empty nor a comment; false stops.
    std::function<bool(int line)> line;
    // Texts for the progress window's label and caption.
    std::function<void(const QString&)> label;
    std::function<void(const QString&)> caption;
    // Lets pending window events run (after each goods record and delete).
    std::function<void()> pump;
};

struct ImportResult {
    enum class Outcome { Done, Refused, Failed, Stopped };
    Outcome outcome = Outcome::Done;
    int count = 0;    // goods records written (groups included)
    QString message;  // the summary or the refusal / failure text
};

// Runs the body of a file whose header has been read. Rolls back on any
// outcome but Done.
ImportResult runImport(ExchangeReader& reader, GoodsStore& store, const ImportHooks& hooks = {});

// "Обработка файла завершена." with the count when something was written.
QString importSummary(int count);

namespace msg {
inline const QString kLoadCaption = QStringLiteral("Загрузка базы товаров.");
inline const QString kAddBarcodesLabel = QStringLiteral("Выполняю команду ''Добавить штрихкоды''.");
inline const QString kDeleteGoodsCaption = QStringLiteral("Выполняю команду ''Удалить все товары''. Ждите...");
inline const QString kDeleteBarcodesCaption = QStringLiteral("Выполняю команду ''Удалить все щтрихкоды''. Ждите...");
inline const QString kDeleteGoodsFailed = QStringLiteral("Сбой сервера при выполнении команды DELETEALLWARES.    ");
inline const QString kDeleteBarcodesFailed =
    QStringLiteral("Сбой сервера при выполнении команды DELETEALLBARCODES.     ");
inline const QString kBarcodesDeleteFailed = QStringLiteral(" Сбой сервера БД при записи данных.     ");
inline const QString kBarcodeInsertFailed =
    QStringLiteral(" Сбой сервера БД при записи ШК.     \r\n Загрузка остановлена.     ");
QString goodsWriteFailed(int line);
// A record refused because history names its code: `group` when the record
// would make the code a group, else a goods item.
QString codeKeptByHistory(int line, std::int32_t id, bool group, core::GoodsCodeUse use);
QString commitFailed(const QString& detail);
}  // namespace msg

}  // namespace exchange
