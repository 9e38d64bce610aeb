#include "Groups.h"

#include "uGroupEdit.h"
#include "uGroupSelect.h"
#include "uGroupSettings.h"

#include "platform/ui/Guard.h"

#include <QPointer>

namespace catalogue {

std::optional<std::int64_t> editGroup(fb::Connection& db, QWidget* parent, const GroupEditInput& request) {
    QPointer<TfmGroupEdit> w = new TfmGroupEdit(db, request, parent);
    std::optional<std::int64_t> written;
    QObject::connect(w, &QDialog::accepted, w, [&written, w] { written = w->writtenId(); });
    w->exec();
    return written;
}

std::optional<PickedGroup> pickGroup(fb::Connection& db, QWidget* parent, int tag, std::int64_t renamedId,
                                     const QString& renamedName) {
    QPointer<TfmGroupSelect> w = new TfmGroupSelect(db, tag, renamedId, renamedName, parent);
    if (!ui::guarded(w, [&] { w->fill(); })) {
        delete w;
        return std::nullopt;
    }
    std::optional<PickedGroup> chosen;
    QObject::connect(w, &QDialog::accepted, w, [&chosen, w] { chosen = w->chosen(); });
    w->exec();
    return chosen;
}

bool openGroupSettings(fb::Connection& db, QWidget* parent, std::int64_t groupId, const QString& groupName) {
    QPointer<TfmGroupSettings> w = new TfmGroupSettings(db, groupId, groupName, parent);
    if (!ui::guarded(w, [&] { w->fill(); })) {
        delete w;
        return false;
    }
    return w->exec() == QDialog::Accepted;
}

}  // namespace catalogue
