#pragma once
// What the goods catalogue window calls for its groups: the group editor,
// the group picker and group settings, each a modal window of its own.
#include "GroupsLogic.h"
#include "catalogue/Catalogue.h"

#include <optional>

class QWidget;

namespace fb {
class Connection;
}

namespace catalogue {

struct GroupEditInput {
    GroupEditMode mode = GroupEditMode::Create;
    QString idText;             // the ID field as filled: a new ID, or the renamed group's
    std::int64_t parentId = 0;  // 0 the top level
    QString parentName;
    QString name;  // the renamed group's name; empty for a new group
};
// Opens the group editor; the group's ID when it was written (the catalogue
// then rebuilds its tree selecting it), nullopt when cancelled.
std::optional<std::int64_t> editGroup(fb::Connection& db, QWidget* parent, const GroupEditInput& request);

// Opens the group picker. Tag 1 picks the parent of a group (`renamedId` the
// group being renamed, 0 when a new one is made), Tag 2 the group of a good.
std::optional<PickedGroup> pickGroup(fb::Connection& db, QWidget* parent, int tag, std::int64_t renamedId = 0,
                                     const QString& renamedName = {});

// Opens group settings for a group; true after the goods were changed (the
// catalogue then reloads its list and says "Операция успешно выполнена!").
bool openGroupSettings(fb::Connection& db, QWidget* parent, std::int64_t groupId, const QString& groupName);

}  // namespace catalogue
