#pragma once
// The choices of the main screen's small dialogs, apart from the windows:
// the receipt-kind choice, the VAT-rate question and the name, kind and unit
// of a free-price position. A choice dialog answers 20 + the chosen code as
// its modal result (receipt kind 21..24, VAT code 21..26); 0 means nothing
// was chosen.
#include "core/CodeTables.h"
#include "sales/receipt/ReceiptModel.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace sales {

inline constexpr int kChoiceResultBase = 20;

// ---- Receipt kind ("Выбор типа операции") -----------------------------------

// "Приход" 1, "Возврат прихода" 2, "Расход" 3, "Возврат расхода" 4.
const QList<core::CodeItem>& operationChoices();

struct OperationChoice {
    int modalResult = 0;  // 21..24 when accepted
    // The receipt holds marked goods and the kind would change: the window
    // shows why and stays open.
    bool refusedForMarkedGoods = false;
};
// `chosenKind` 0 (nothing selected) or a kind outside 1..4 chooses nothing.
OperationChoice chooseOperation(int chosenKind, int currentKind, bool receiptHasMarkedGoods);

// ---- VAT rate ("Укажите ставку НДС") ----------------------------------------

// "НДС 20%" 1, "НДС 10%" 2, "НДС 20/120" 3, "НДС 10/110" 4, "НДС 0%" 5,
// "НДС не облаг." 6.
const QList<core::CodeItem>& vatRateChoices();
// 20 + the VAT code; 0 for a code outside 1..6.
int vatChoiceResult(int vatCode);
// What a VAT-rate dialog returned: the code 1..6, or 0 when none was chosen.
int vatCodeFromChoice(int modalResult);

// ---- Name, kind and unit of a position ("Наименование товара") --------------

// "товар, кроме подакцизного" "Т", "подакцизный товар" "АТ", "работа" "Р",
// "услуга" "У", in this order.
const QStringList& goodKindChoices();
// The entry for column 9 of a row (compared upper-cased after trimming);
// the last entry for a kind that is none of them.
int goodKindChoiceIndex(const QString& subjectKind);
// Column 9 for an entry; "Т" when none is chosen.
QString goodKindOfChoice(int index);
// The unit of measure (index in core::FfdUnits()) for entry 8 of a row; an
// empty entry is unit 0 (pieces). -1 for a code that is no unit.
int unitChoiceIndex(const QString& measureCode);

struct GoodNameEdit {
    QString name;
    int kindIndex = -1;  // index in goodKindChoices()
    int unitIndex = -1;  // index in core::FfdUnits(); -1 keeps the row's unit
};
// The edit from the row's current texts.
GoodNameEdit goodNameEditOf(const ReceiptModel& model, int row);
// Column 4 := trimmed name, column 9 := the kind's abbreviation, entry 8 :=
// the unit's code (kept when no unit is chosen). False, and nothing changed,
// for a row that is not a data row.
bool applyGoodNameEdit(ReceiptModel& model, int row, const GoodNameEdit& edit);

}  // namespace sales
