#include "GroupsLogic.h"

#include <QSet>
#include <QStringList>

#include <limits>

namespace catalogue {

QString groupNameError(GroupEditMode mode) {
    return mode == GroupEditMode::Create ? QStringLiteral("Не задано название новой группы   ")
                                         : QStringLiteral("Не задано название группы   ");
}

std::optional<QString> groupIdError(const QString& idText) {
    bool ok = false;
    const qlonglong id = idText.trimmed().toLongLong(&ok);
    if (ok && id > 0 && id <= std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return QStringLiteral(" Некорректный ID группы.     ");
}

QHash<std::int64_t, std::int64_t> parentMap(const QList<core::GroupRow>& rows) {
    QHash<std::int64_t, std::int64_t> out;
    for (const core::GroupRow& r : rows) out.insert(r.id, r.parent);
    return out;
}

bool isAtOrBelow(std::int64_t nodeId, std::int64_t ancestorId, const QHash<std::int64_t, std::int64_t>& parentOf) {
    QSet<std::int64_t> seen;
    std::int64_t id = nodeId;
    while (true) {
        if (id == ancestorId) return true;
        if (id == 0 || seen.contains(id)) return false;
        seen.insert(id);
        const auto it = parentOf.constFind(id);
        if (it == parentOf.constEnd()) return false;
        id = it.value();
    }
}

std::optional<QString> parentChoiceError(GroupEditMode mode, std::int64_t renamedId, const QString& renamedName,
                                         std::int64_t nodeId, const QString& nodeText, bool viaDoubleClick,
                                         const QHash<std::int64_t, std::int64_t>& parentOf) {
    if (mode != GroupEditMode::Rename || renamedId == 0) return std::nullopt;
    if (nodeId == renamedId)
        return viaDoubleClick ? QStringLiteral("Группа не может родительской для самой себя.     ")
                              : QStringLiteral("Группа не может быть родительской для самой себя.     ");
    if (nodeId != 0 && isAtOrBelow(nodeId, renamedId, parentOf))
        return QStringLiteral("Недопустимое действие :     \r\n  Группа '") + nodeText +
               QStringLiteral("' является дочерней в группе '") + renamedName + QStringLiteral("'     ");
    return std::nullopt;
}

std::vector<std::int64_t> groupAndSubgroups(std::int64_t groupId, const QList<core::GroupRow>& rows) {
    QHash<std::int64_t, QList<std::int64_t>> children;
    bool exists = false;
    for (const core::GroupRow& r : rows) {
        children[r.parent].append(r.id);
        if (r.id == groupId) exists = true;
    }
    std::vector<std::int64_t> out;
    if (!exists) return out;
    QSet<std::int64_t> seen{groupId};
    out.push_back(groupId);
    for (size_t i = 0; i < out.size(); ++i)
        for (const std::int64_t child : children.value(out[i]))
            if (!seen.contains(child)) {
                seen.insert(child);
                out.push_back(child);
            }
    return out;
}

bool anyChosen(const GroupSettingsChoice& c) {
    return c.kind || c.mark || c.vat || c.unit;
}

QString kindAbbr(int code) {
    switch (code) {
        case 2:
            return QStringLiteral("АТ");
        case 3:
            return QStringLiteral("Р");
        case 4:
            return QStringLiteral("У");
        default:
            return QStringLiteral("Т");
    }
}

QString groupSettingsConfirmation(const QString& groupName, const GroupSettingsChoice& c) {
    QString text = QStringLiteral("Для всех товаров в группе '") + groupName +
                   QStringLiteral("' (включая подгруппы)      \r\nбудут установлены следующие параметры: \r\n\r\n");
    const auto line = [&text](const char* lead, const std::optional<ChosenEntry>& e) {
        if (e) text += QString::fromUtf8(lead) + e->text + QStringLiteral("     \r\n");
    };
    line(" Признак предмета расчета:   ", c.kind);
    line(" Тип маркировки:   ", c.mark);
    line(" Ставка НДС:   ", c.vat);
    line(" Мера количества:   ", c.unit);
    return text + QStringLiteral("\r\nПродолжить?");
}

Assignments groupSettingsAssignments(const GroupSettingsChoice& c) {
    Assignments a;
    QStringList parts;
    if (c.kind) {
        parts << QStringLiteral("GOOD_TYPE=?");
        a.params.emplace_back(kindAbbr(c.kind->code));
    }
    if (c.mark) {
        parts << QStringLiteral("GOOD_MARKTYPE=?");
        a.params.emplace_back(std::int64_t{c.mark->code});
    }
    if (c.vat) {
        parts << QStringLiteral("GOOD_NALOG=?");
        a.params.emplace_back(QString::number(c.vat->code));
    }
    if (c.unit) {
        parts << QStringLiteral("GOOD_EDIZM=? , GOOD_EDIZM_FFD=?");
        a.params.emplace_back(c.unit->text);
        a.params.emplace_back(std::int64_t{c.unit->code});
    }
    a.setClause = parts.join(QStringLiteral(" ,"));
    return a;
}

}  // namespace catalogue
