#include "Partners.h"

#include "uSuppliers.h"

#include "platform/ui/Guard.h"

#include <QPointer>

namespace catalogue {

SuppliersFilter presetFilter(SuppliersPreset preset) {
    SuppliersFilter f;
    f.suppliers = preset != SuppliersPreset::Buyers;
    f.buyers = preset != SuppliersPreset::Suppliers;
    f.workOnly = true;
    f.nameFull = true;
    return f;
}

void openSuppliers(const fb::ConnectionParams& params, fb::Connection& db, QWidget* parent, SuppliersPreset preset) {
    QPointer<TfmSuppliers> w = new TfmSuppliers(params, db, parent);
    w->presetFilter(presetFilter(preset));
    if (!ui::guarded(w, [&] { w->LoadSuppliersList(); })) {
        delete w;
        return;
    }
    w->exec();
}

std::optional<PickedPartner> pickPartner(const fb::ConnectionParams& params, PartnerMode mode, QWidget* parent) {
    QPointer<TfmPartners> w = new TfmPartners(params, mode, parent);
    if (!ui::guarded(w, [&] { w->reload(); })) {
        delete w;
        return std::nullopt;
    }
    // The window deletes itself on closing: the choice is read before.
    std::optional<PickedPartner> chosen;
    QObject::connect(w, &QDialog::accepted, w, [&chosen, w] { chosen = w->chosen(); });
    w->exec();
    return chosen;
}

}  // namespace catalogue
