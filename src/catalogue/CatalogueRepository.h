#pragma once
// The catalogue's reads and writes of GOODS, GOODS_BARCODE and COUNTRIES.
// Each write is one transaction: it commits whole or not at all.
#include "catalogue/CatalogueLogic.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace fb {
class Connection;
}

namespace catalogue {

// A goods row as the card writes it.
struct CardRecord {
    std::int64_t id = 0;
    QString name;
    QString price;  // "12.50"
    QString goodW;  // "да" / "нет"
    QString type;   // "Т", "АТ", "Р", "У" or a stored value kept as it was
    QString unitText;
    int unitCode = 0;
    QString vat;  // "1".."6"
    std::int64_t parent = 0;
    std::optional<QString> country;  // three digits
    int markType = 0;
    std::optional<std::int64_t> packCount;
};

struct DuplicateBarcode {
    int index = -1;  // position in the list that was checked
    QString barcode;
    std::int64_t goodId = 0;
    QString goodName;
};

enum class SaveOutcome {
    Saved,
    IdTaken,          // the changed ID belongs to another row
    IdInUse,          // the opened ID is referred to; `use` says by what
    IdNamedByHistory, // a new item's ID is still named by history; `use` says by what
    RowFailed,        // the GOODS row could not be written
    BarcodesFailed,   // the old barcodes could not be removed
    BarcodeRowFailed  // a barcode could not be written
};

struct SaveResult {
    SaveOutcome outcome = SaveOutcome::Saved;
    QString detail;  // the engine's text on failure
    IdUse use = IdUse::DocumentLines;
};

class CatalogueRepository {
public:
    explicit CatalogueRepository(fb::Connection& db) : db_(db) {}

    // MAX(GOOD_ID) + 1 over goods and groups, or the first code above it
    // that no stored document, lot or working-list row names.
    std::int64_t nextGoodsId();
    // O_MAX_GOOD_ID of MAX_GOOD_ID_PROC (new groups), skipped on past the
    // codes history names in the same way.
    std::int64_t maxGoodIdFromProcedure();
    // What in the database still names a goods code; nullopt when nothing.
    std::optional<IdUse> codeUse(std::int64_t goodId);

    // The barcodes of a goods item in the order they were stored.
    QStringList barcodes(std::int64_t goodId);
    // The group a goods item sits in, nullopt at the top level or when the
    // parent is no group.
    std::optional<std::pair<std::int64_t, QString>> group(std::optional<std::int64_t> groupId);

    // The first barcode of the list (empty ones skipped) that another goods
    // item already carries.
    std::optional<DuplicateBarcode> findDuplicateBarcode(const QStringList& barcodes, std::int64_t goodId);

    // Writes the row (mode 1 insert, 2 update of the row opened as
    // `openedId`) and replaces its barcodes, in one transaction.
    SaveResult saveGood(int mode, std::int64_t openedId, const CardRecord& record, const QStringList& barcodes);

    // Deletes a goods item with its barcodes unless something names its
    // code; then nothing changes and that is returned.
    std::optional<IdUse> deleteGood(std::int64_t goodId);
    // A goods item or a group moved under another group.
    void moveToGroup(std::int64_t id, std::int64_t groupId);
    bool groupHasContents(std::int64_t groupId);
    // Deletes an empty group unless history names its code; then nothing
    // changes and that is returned.
    std::optional<IdUse> deleteGroup(std::int64_t groupId);

    // Countries, through BARCODE_IO_PROC; insert returns the new record ID.
    // The name of another country (not the record given) with the code.
    std::optional<QString> countryWithCode(const QString& code, std::int64_t exceptRecordId);
    std::int64_t insertCountry(const QString& code, const QString& name);
    void updateCountry(std::int64_t recordId, const QString& code, const QString& name);
    void deleteCountry(std::int64_t recordId);

private:
    fb::Connection& db_;
};

}  // namespace catalogue
