#include "sales/screen/SmallDialogsLogic.h"

namespace sales {

const QList<core::CodeItem>& operationChoices() {
    static const QList<core::CodeItem> items{
        {QStringLiteral("Приход"), 1},
        {QStringLiteral("Возврат прихода"), 2},
        {QStringLiteral("Расход"), 3},
        {QStringLiteral("Возврат расхода"), 4},
    };
    return items;
}

OperationChoice chooseOperation(int chosenKind, int currentKind, bool receiptHasMarkedGoods) {
    OperationChoice c;
    if (chosenKind < 1 || chosenKind > 4) return c;
    if (chosenKind != currentKind && receiptHasMarkedGoods) {
        c.refusedForMarkedGoods = true;
        return c;
    }
    c.modalResult = kChoiceResultBase + chosenKind;
    return c;
}

const QList<core::CodeItem>& vatRateChoices() {
    static const QList<core::CodeItem> items{
        {QStringLiteral("НДС 20%"), 1},    {QStringLiteral("НДС 10%"), 2}, {QStringLiteral("НДС 20/120"), 3},
        {QStringLiteral("НДС 10/110"), 4}, {QStringLiteral("НДС 0%"), 5},  {QStringLiteral("НДС не облаг."), 6},
    };
    return items;
}

int vatChoiceResult(int vatCode) { return vatCode >= 1 && vatCode <= 6 ? kChoiceResultBase + vatCode : 0; }

int vatCodeFromChoice(int modalResult) {
    const int code = modalResult - kChoiceResultBase;
    return code >= 1 && code <= 6 ? code : 0;
}

namespace {
const QStringList& goodKindAbbrs() {
    static const QStringList abbrs{QStringLiteral("Т"), QStringLiteral("АТ"), QStringLiteral("Р"),
                                   QStringLiteral("У")};
    return abbrs;
}
}  // namespace

const QStringList& goodKindChoices() {
    static const QStringList items{QStringLiteral("товар, кроме подакцизного"), QStringLiteral("подакцизный товар"),
                                   QStringLiteral("работа"), QStringLiteral("услуга")};
    return items;
}

int goodKindChoiceIndex(const QString& subjectKind) {
    const int i = int(goodKindAbbrs().indexOf(subjectKind.trimmed().toUpper()));
    return i >= 0 ? i : int(goodKindChoices().size()) - 1;
}

QString goodKindOfChoice(int index) {
    return index >= 0 && index < goodKindAbbrs().size() ? goodKindAbbrs().at(index) : goodKindAbbrs().first();
}

int unitChoiceIndex(const QString& measureCode) {
    const QString t = measureCode.trimmed();
    int code = 0;
    if (!t.isEmpty()) {
        bool ok = false;
        code = t.toInt(&ok);
        if (!ok) return -1;
    }
    const QList<core::CodeItem>& units = core::FfdUnits();
    for (int i = 0; i < units.size(); ++i)
        if (units[i].code == code) return i;
    return -1;
}

GoodNameEdit goodNameEditOf(const ReceiptModel& model, int row) {
    GoodNameEdit e;
    if (!model.isDataRow(row)) return e;
    e.name = model.cell(row, ReceiptModel::ColName).trimmed();
    e.kindIndex = goodKindChoiceIndex(model.cell(row, ReceiptModel::ColSubject));
    e.unitIndex = unitChoiceIndex(model.attr(row, ReceiptModel::AttrMeasure));
    return e;
}

bool applyGoodNameEdit(ReceiptModel& model, int row, const GoodNameEdit& edit) {
    if (!model.isDataRow(row)) return false;
    model.setCell(row, ReceiptModel::ColName, edit.name.trimmed());
    model.setCell(row, ReceiptModel::ColSubject, goodKindOfChoice(edit.kindIndex));
    const QList<core::CodeItem>& units = core::FfdUnits();
    if (edit.unitIndex >= 0 && edit.unitIndex < units.size())
        model.setAttr(row, ReceiptModel::AttrMeasure, QString::number(units[edit.unitIndex].code));
    return true;
}

}  // namespace sales
