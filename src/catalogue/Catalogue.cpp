#include "Catalogue.h"

#include "uCountries.h"
#include "uGoods.h"

#include "core/DataModule.h"

#include <QPointer>

namespace catalogue {

namespace {
template <class T>
T& slot() {
    static T value;
    return value;
}
}  // namespace

void openGoodsCatalogue(QWidget* parent) {
    if (!core::DataModule1) return;
    QPointer<TfmGoods> w = fmGoods ? fmGoods.data() : new TfmGoods(core::DataModule1->IBDatabase1(), parent);
    w->exec();
    delete w.data();
}

void openCountries(QWidget* parent) {
    if (!core::DataModule1) return;
    QPointer<TfmCountries> w = new TfmCountries(core::DataModule1->connectionParams(), parent);
    w->setTag(1);
    w->exec();
    delete w.data();
}

std::optional<QString> pickCountryForReceipt(QWidget* parent) {
    if (!core::DataModule1) return std::nullopt;
    QPointer<TfmCountries> w = new TfmCountries(core::DataModule1->connectionParams(), parent);
    w->setTag(3);
    std::optional<QString> code;
    if (w->exec() == QDialog::Accepted && w && w->picked()) code = w->picked()->code;
    delete w.data();
    return code;
}

void setOpenReceiptGoods(OpenReceiptGoods probe) {
    slot<OpenReceiptGoods>() = std::move(probe);
}
bool goodsInOpenReceipt(std::int64_t goodId) {
    const OpenReceiptGoods& probe = slot<OpenReceiptGoods>();
    return probe && probe(goodId);
}

void setGroupEditor(GroupEditor editor) {
    slot<GroupEditor>() = std::move(editor);
}
const GroupEditor& groupEditor() {
    return slot<GroupEditor>();
}
void setGroupSettingsEditor(GroupSettingsEditor editor) {
    slot<GroupSettingsEditor>() = std::move(editor);
}
const GroupSettingsEditor& groupSettingsEditor() {
    return slot<GroupSettingsEditor>();
}
void setOtherSettingsEditor(OtherSettingsEditor editor) {
    slot<OtherSettingsEditor>() = std::move(editor);
}
const OtherSettingsEditor& otherSettingsEditor() {
    return slot<OtherSettingsEditor>();
}
void setGroupPicker(GroupPicker picker) {
    slot<GroupPicker>() = std::move(picker);
}
const GroupPicker& groupPicker() {
    return slot<GroupPicker>();
}

}  // namespace catalogue
