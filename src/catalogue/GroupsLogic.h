#pragma once
// The rules of goods groups apart from their windows: names, the choice of a
// parent, the groups below a group, and what group settings write.
#include "core/GroupTree.h"
#include "platform/db/Value.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace catalogue {

enum class GroupEditMode { Create = 1, Rename = 2 };

// The refusal of a blank name, by mode.
QString groupNameError(GroupEditMode mode);
// The refusal of a group ID that is not a positive whole number: a group 0
// would stand for the root itself.
std::optional<QString> groupIdError(const QString& idText);

// Parent of every group (ID -> parent ID).
QHash<std::int64_t, std::int64_t> parentMap(const QList<core::GroupRow>& rows);

// True when walking up from `nodeId` meets `ancestorId` (the node itself
// included). A loop in the stored parents ends the walk, never hangs it.
bool isAtOrBelow(std::int64_t nodeId, std::int64_t ancestorId, const QHash<std::int64_t, std::int64_t>& parentOf);

// Whether the node picked in the group picker may become the parent of the
// group being renamed (`renamedId` 0 when a new group is made): nothing when
// it may, else the message.
std::optional<QString> parentChoiceError(GroupEditMode mode, std::int64_t renamedId, const QString& renamedName,
                                         std::int64_t nodeId, const QString& nodeText, bool viaDoubleClick,
                                         const QHash<std::int64_t, std::int64_t>& parentOf);

// The group and every group below it, each once, even where the stored
// parents form a loop.
std::vector<std::int64_t> groupAndSubgroups(std::int64_t groupId, const QList<core::GroupRow>& rows);

// What group settings set: each optional is a chosen entry of a ticked box.
struct ChosenEntry {
    int code = 0;
    QString text;
};
struct GroupSettingsChoice {
    std::optional<ChosenEntry> kind;  // codes 1..4
    std::optional<ChosenEntry> mark;
    std::optional<ChosenEntry> vat;   // codes 1..6
    std::optional<ChosenEntry> unit;  // code of the fiscal data format, text as printed
};
bool anyChosen(const GroupSettingsChoice& c);
// "Т", "АТ", "Р", "У" for 1..4.
QString kindAbbr(int code);
QString groupSettingsConfirmation(const QString& groupName, const GroupSettingsChoice& c);

struct Assignments {
    QString setClause;  // "GOOD_TYPE=? ,GOOD_MARKTYPE=?"...
    std::vector<fb::Value> params;
};
Assignments groupSettingsAssignments(const GroupSettingsChoice& c);

}  // namespace catalogue
