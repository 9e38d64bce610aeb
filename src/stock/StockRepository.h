#pragma once
// The stock documents' SQL: the documents list, headers, numbering, the
// database procedures that save, post, unpost and delete, and the working
// list GOODS_TEMP that the open document's lines pass through. Every function
// works in the caller's transaction, so one user action commits whole or not
// at all.
#include "platform/db/Value.h"

#include <QDate>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace fb {
class Connection;
class Transaction;
}

namespace stock {

// One line of the open document, as GOODS_TEMP holds it.
struct Line {
    std::int64_t goodsId = 0;  // G_ID
    QString name;              // G_NAME
    QString country;           // G_COUNTRY
    QString unit;              // G_EDIZM
    QString price;             // G_PRICE: a quantity (book quantity of an inventory)
    QString declar;            // G_DECLAR_NUMBER: counted quantity or customs declaration
    bool operator==(const Line&) const = default;
};

// What the cached lines hold that GOODS_TEMP does not have yet.
struct LineChanges {
    std::vector<std::int64_t> deleted;  // G_ID of rows to remove
    std::vector<Line> modified;         // new G_PRICE / G_DECLAR_NUMBER, keyed by goodsId
    std::vector<Line> inserted;
    bool empty() const { return deleted.empty() && modified.empty() && inserted.empty(); }
};

// The list window's statement: type, from-date and to-date as parameters;
// DL_ID, DL_ST, DL_NUM, DL_DAT, newest first, then the highest ID first.
QString documentListSql();

// Next number of a document of the kind (numbering is per document type).
int nextDocNumber(fb::Transaction& tr, int kind);

struct DocHeader {
    int number = 0;
    int state = 0;
    QDate date;
    int supplierId = 0;
};
std::optional<DocHeader> readHeader(fb::Transaction& tr, int docId);

struct DocStatus {
    int state = 0;
    int docId = 0;
};
DocStatus docStatus(fb::Transaction& tr, int kind, int number);

// Loads a stored document's lines into GOODS_TEMP.
void dragLines(fb::Transaction& tr, int docId);
// True when GOODS_TEMP has no line with a value to post.
bool isEmptyForPosting(fb::Transaction& tr, int kind);

// The first goods item (by code) of the working list whose stock a posting
// of the kind would add to or take from although its text is no number the
// posting can read; an inventory replaces the stock and never has one.
struct UnreadableStock {
    std::int64_t goodsId = 0;
    QString name;
    QString stock;
};
std::optional<UnreadableStock> unreadableStock(fb::Transaction& tr, int kind);

struct SaveRequest {
    bool post = false;
    bool existing = false;  // I_MODE 1
    QString user;
    QDate date;
    int docId = 0;  // for an existing document
    int number = 0;
    int kind = 0;
    int supplierId = 0;  // goods receipts only; 0 none
};
// DOC_GOODMOVE_SAVE; returns the document's ID.
int saveDocument(fb::Transaction& tr, const SaveRequest& request);
// After a posting has committed: the index statistics of the lots computed
// again, and those of the documents and their lines once the archive has
// grown enough to need it. A failure leaves the
// posted document as it is.
void refreshStatisticsAfterPosting(fb::Connection& connection);
// DOC_GOODMOVE_BACK, unless a lot the document brought in has had goods
// written off it: taking such a document back would offer again what was
// sold from its lots once it is posted anew. False then, and nothing of the
// document changes.
bool unpostDocument(fb::Transaction& tr, int docId);
// True when the document was deleted.
bool deleteDocument(fb::Transaction& tr, int docId);

void clearLines(fb::Transaction& tr);

// GOODS_TEMP is one table for every window and every copy of the program on
// the database, and another copy may empty it whenever it likes (its login
// does). So the stock editor keeps its lines itself and lends them to the
// table only inside one transaction of its own: the loan sets aside the rows
// others left there (rows others have not committed are not seen at all),
// empties the table for this editor's work, and giveBack() removes what the
// work left and puts the others' rows back before the commit. A row another
// transaction is changing at that moment makes the loan fail with a lock
// conflict, which the caller reports: nothing is lost either way.
class WorkingListLoan {
public:
    explicit WorkingListLoan(fb::Transaction& tr);
    WorkingListLoan(const WorkingListLoan&) = delete;
    WorkingListLoan& operator=(const WorkingListLoan&) = delete;
    // Writes the editor's lines into the emptied table.
    void put(const std::vector<Line>& lines);
    void giveBack();

private:
    fb::Transaction& tr_;
    std::vector<fb::Row> others_;
};
// GOODS_TEMP ordered by name.
std::vector<Line> readLines(fb::Transaction& tr, bool descending);
// Applies cached line changes with statements prepared once per call.
void writeLineChanges(fb::Transaction& tr, const LineChanges& changes);

// Empties GOODS_TEMP and fills it with the goods of a group, one
// GOODS_TEMP_EDIT call each; the book quantity is filled for an inventory
// only. Returns the lines as written, in name order, each goods item once.
std::vector<Line> fillFromGroup(fb::Transaction& tr, int kind, std::int64_t groupId, bool isRoot, bool withSubgroups);

bool isWeighed(fb::Transaction& tr, std::int64_t goodsId);
// SU_NAMEFULL of a counterparty; nullopt when it no longer exists.
std::optional<QString> supplierName(fb::Transaction& tr, int supplierId);

}  // namespace stock
