#pragma once
// What the rest of the program uses of the goods catalogue: the commands
// that open its windows, and the hooks through which the group windows,
// the group settings and the other goods settings serve the catalogue.
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QWidget;

namespace catalogue {

// The goods catalogue ("Номенклатура"), modal.
void openGoodsCatalogue(QWidget* parent);
// The countries directory ("Страны по ОКСМ"), modal.
void openCountries(QWidget* parent);
// The countries list as a picker for a receipt position: the code as
// stored, nullopt when the cashier chose nothing.
std::optional<QString> pickCountryForReceipt(QWidget* parent);

// A group chosen in a group picker.
struct PickedGroup {
    std::int64_t id = 0;  // 0: the top level
    QString name;
};

// Creating (mode 1) or renaming (mode 2) a group, as the catalogue asks it.
struct GroupEditRequest {
    int mode = 1;
    std::int64_t id = 0;  // the new ID (mode 1) or the group's own
    QString name;         // empty for a new group
    std::int64_t parentId = 0;
    QString parentName;  // empty at the top level
};
// Shows the group window; returns the ID of the saved group, nullopt when
// nothing was saved.
using GroupEditor = std::function<std::optional<std::int64_t>(QWidget* parent, const GroupEditRequest& request)>;
void setGroupEditor(GroupEditor editor);
const GroupEditor& groupEditor();

// Group-wide settings for a group and its subgroups; true when applied.
using GroupSettingsEditor = std::function<bool(QWidget* parent, std::int64_t groupId, const QString& groupName)>;
void setGroupSettingsEditor(GroupSettingsEditor editor);
const GroupSettingsEditor& groupSettingsEditor();

// The weight-barcode prefixes and other goods settings.
using OtherSettingsEditor = std::function<void(QWidget* parent)>;
void setOtherSettingsEditor(OtherSettingsEditor editor);
const OtherSettingsEditor& otherSettingsEditor();

// Whether the receipt on the main screen holds a goods code: such an item
// is neither deleted nor given another code while the receipt is open.
using OpenReceiptGoods = std::function<bool(std::int64_t goodId)>;
void setOpenReceiptGoods(OpenReceiptGoods probe);
bool goodsInOpenReceipt(std::int64_t goodId);

// The group picker of the goods card.
using GroupPicker = std::function<std::optional<PickedGroup>(QWidget* caller)>;
void setGroupPicker(GroupPicker picker);
const GroupPicker& groupPicker();

}  // namespace catalogue
