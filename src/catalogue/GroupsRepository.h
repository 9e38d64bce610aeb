#pragma once
// Writes of goods groups. Each call is one user action and one transaction.
#include "GroupsLogic.h"

namespace fb {
class Connection;
}

namespace catalogue {

// Creates (Create) or renames and re-parents (Rename) the group `id`.
void writeGroup(fb::Connection& db, GroupEditMode mode, std::int64_t id, const QString& name, std::int64_t parentId);

// Moves a goods item or a group under `parentId` (0 the top level).
void moveToGroup(fb::Connection& db, std::int64_t id, std::int64_t parentId);

// Sets the chosen values on every goods item of the group and of the groups
// below it (group rows untouched), all or nothing. Returns the goods changed.
long applyGroupSettings(fb::Connection& db, std::int64_t groupId, const GroupSettingsChoice& choice);

}  // namespace catalogue
