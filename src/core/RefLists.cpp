#include "RefLists.h"

#include "Settings.h"
#include "platform/db/Connection.h"
#include "platform/db/Transaction.h"

#include <QComboBox>
#include <QListWidget>

namespace core {

QList<CodeItem> fixedRefListItems(int kind) {
    switch (kind) {
    case RefListVat:
        return {{QStringLiteral("НДС 20%"), 1},    {QStringLiteral("НДС 10%"), 2},
                {QStringLiteral("НДС 20/120"), 3}, {QStringLiteral("НДС 10/110"), 4},
                {QStringLiteral("НДС 0%"), 5},     {QStringLiteral("НДС не облаг."), 6}};
    case RefListMarkTypes:
        return {{QStringLiteral("немаркированный товар"), 0},
                {QStringLiteral("табачная продукция"), 4},
                {QStringLiteral("альтерн. табачная продукция"), 12},
                {QStringLiteral("обувь"), 5},
                {QStringLiteral("легкая промышленность"), 11},
                {QStringLiteral("шины"), 10},
                {QStringLiteral("духи и туалетная вода"), 9},
                {QStringLiteral("молочная продукция"), 13},
                {QString(), 0}};
    default:
        return {};
    }
}

QList<CodeItem> unitRefListItems(const QList<CodeItem>& unitsUsed) {
    return unitsUsed.isEmpty() ? FfdUnits() : unitsUsed;
}

QList<CodeItem> refListItems(fb::Transaction& tr, int kind) {
    if (kind == RefListUnits) return unitRefListItems(readUnitsUsed(tr));
    return fixedRefListItems(kind);
}

namespace {
QList<CodeItem> itemsOfKind(int kind, fb::Connection& db) {
    if (kind != RefListUnits) return fixedRefListItems(kind);
    db.ensureConnected();
    fb::Transaction tr(db);
    QList<CodeItem> items = refListItems(tr, kind);
    tr.commit();
    return items;
}
}  // namespace

void fillCodeList(QComboBox* list, const QList<CodeItem>& items) {
    if (!list) return;
    list->clear();
    for (const CodeItem& item : items) list->addItem(item.text, item.code);
    list->setCurrentIndex(-1);
}

void fillCodeList(QListWidget* list, const QList<CodeItem>& items) {
    if (!list) return;
    list->clear();
    for (const CodeItem& item : items) {
        auto* row = new QListWidgetItem(item.text, list);
        row->setData(Qt::UserRole, item.code);
    }
    list->setCurrentRow(-1);
}

void FillRefList(QComboBox* list, int kind, fb::Connection& db) { fillCodeList(list, itemsOfKind(kind, db)); }

void FillRefList(QListWidget* list, int kind, fb::Connection& db) { fillCodeList(list, itemsOfKind(kind, db)); }

int codeItemCode(const QComboBox* list, int row, int fallback) {
    if (!list || row < 0 || row >= list->count()) return fallback;
    return list->itemData(row).toInt();
}

int codeItemCode(const QListWidget* list, int row, int fallback) {
    if (!list || row < 0 || row >= list->count()) return fallback;
    return list->item(row)->data(Qt::UserRole).toInt();
}

int findCodeItem(const QComboBox* list, int code) {
    if (!list) return -1;
    for (int i = 0; i < list->count(); ++i) {
        if (list->itemData(i).toInt() == code) return i;
    }
    return -1;
}

int findCodeItem(const QListWidget* list, int code) {
    if (!list) return -1;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->data(Qt::UserRole).toInt() == code) return i;
    }
    return -1;
}

}  // namespace core
