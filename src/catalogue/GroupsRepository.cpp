#include "GroupsRepository.h"

#include "platform/db/Connection.h"
#include "platform/db/Procedure.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

namespace catalogue {

void writeGroup(fb::Connection& db, GroupEditMode mode, std::int64_t id, const QString& name, std::int64_t parentId) {
    db.ensureConnected();
    fb::Transaction tr(db);
    fb::callProcedure(tr, QStringLiteral("GOODS_IO_PROC"),
                      {{QStringLiteral("IG_MODE"), std::int64_t{static_cast<int>(mode)}},
                       {QStringLiteral("IG_ID"), id},
                       {QStringLiteral("IG_NAME"), name.trimmed()},
                       {QStringLiteral("IG_ISGOOD"), std::int64_t{0}},
                       {QStringLiteral("IG_PARENTGROUP"), parentId}});
    tr.commit();
}

void moveToGroup(fb::Connection& db, std::int64_t id, std::int64_t parentId) {
    db.ensureConnected();
    fb::Transaction tr(db);
    fb::callProcedure(tr, QStringLiteral("PARENTGROUP_CHANGE_PROC"),
                      {{QStringLiteral("I_GOOD_ID"), id}, {QStringLiteral("I_GOOD_PARENTGROUP"), parentId}});
    tr.commit();
}

long applyGroupSettings(fb::Connection& db, std::int64_t groupId, const GroupSettingsChoice& choice) {
    if (!anyChosen(choice)) return 0;
    db.ensureConnected();
    fb::Transaction tr(db);
    // The groups below are gathered here rather than by a recursive query,
    // which a loop in the stored parents would send past the engine's depth.
    const std::vector<std::int64_t> groups = groupAndSubgroups(groupId, core::readGroupRows(tr));
    const Assignments a = groupSettingsAssignments(choice);
    fb::Statement update(tr, QStringLiteral("UPDATE GOODS SET ") + a.setClause +
                                 QStringLiteral(" WHERE GOOD_PARENTGROUP=? AND GOOD_ISGOOD=1"));
    long changed = 0;
    for (const std::int64_t g : groups) {
        std::vector<fb::Value> params = a.params;
        params.emplace_back(g);
        update.bindAll(params);
        update.execute(tr);
        changed += update.affectedRows();
    }
    tr.commit();
    return changed;
}

}  // namespace catalogue
