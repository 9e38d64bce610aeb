#pragma once
// Lists whose items carry a code: units of measure, VAT rates, mark types.
// The code sits in the item's Qt::UserRole.
#include "CodeTables.h"

#include <QList>

class QComboBox;
class QListWidget;

namespace fb {
class Connection;
class Transaction;
}  // namespace fb

namespace core {

enum RefListKind {
    RefListUnits = 0,      // QUANTITYMEASURESUSED, or all 24 units when it is empty
    RefListVat = 1,        // "НДС 20%" 1 ... "НДС не облаг." 6
    RefListMarkTypes = 3,  // "немаркированный товар" 0 ... then an empty item 0
};

// The items of a kind; kinds other than 0, 1 and 3 give none. Only kind 0
// reads the database.
QList<CodeItem> refListItems(fb::Transaction& tr, int kind);
// The fixed lists (kinds 1 and 3); empty for any other kind.
QList<CodeItem> fixedRefListItems(int kind);
// Kind 0 from rows already read: the rows, or the 24 units when there are none.
QList<CodeItem> unitRefListItems(const QList<CodeItem>& unitsUsed);

// Clears the list and fills it with the items of the kind; nothing is
// selected. Kind 0 reads the database in a transaction of its own.
void FillRefList(QComboBox* list, int kind, fb::Connection& db);
void FillRefList(QListWidget* list, int kind, fb::Connection& db);
void fillCodeList(QComboBox* list, const QList<CodeItem>& items);
void fillCodeList(QListWidget* list, const QList<CodeItem>& items);

// The code of an item of such a list (Qt::UserRole), `fallback` when the
// row is out of range.
int codeItemCode(const QComboBox* list, int row, int fallback = -1);
int codeItemCode(const QListWidget* list, int row, int fallback = -1);
// The row whose code equals `code`, -1 when none.
int findCodeItem(const QComboBox* list, int code);
int findCodeItem(const QListWidget* list, int code);

}  // namespace core
