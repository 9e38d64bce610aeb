#include "Metadata.h"

#include <QHash>

#include "Connection.h"
#include "Statement.h"
#include "Transaction.h"

namespace fb::meta {

namespace {
QString up(const QString& s) { return s.trimmed().toUpper(); }

bool any(Transaction& tr, const QString& sql, std::initializer_list<Value> params) {
    return queryOne(tr, sql, params).has_value();
}

std::optional<int> procCount(Transaction& tr, const QString& procedure, const char* column) {
    const auto row = queryOne(tr,
                              QStringLiteral("SELECT %1 FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME = ?")
                                  .arg(QLatin1String(column)),
                              {up(procedure)});
    if (!row) return std::nullopt;
    return static_cast<int>(toInt64(row->at(0)).value_or(0));
}
}  // namespace

bool tableExists(Transaction& tr, const QString& table) {
    return any(tr, QStringLiteral("SELECT 1 FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = ?"), {up(table)});
}

bool columnExists(Transaction& tr, const QString& table, const QString& column) {
    return any(tr,
               QStringLiteral("SELECT 1 FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = ? AND RDB$FIELD_NAME = ?"),
               {up(table), up(column)});
}

int columnCount(Transaction& tr, const QString& table) {
    const auto row = queryOne(
        tr, QStringLiteral("SELECT COUNT(RDB$FIELD_NAME) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = ?"),
        {up(table)});
    return row ? static_cast<int>(toInt64(row->at(0)).value_or(0)) : 0;
}

QStringList columns(Transaction& tr, const QString& table) {
    QStringList out;
    for (const Row& r : query(tr,
                              QStringLiteral("SELECT TRIM(RDB$FIELD_NAME) FROM RDB$RELATION_FIELDS "
                                             "WHERE RDB$RELATION_NAME = ? ORDER BY RDB$FIELD_POSITION"),
                              {up(table)}))
        out << toString(r.at(0));
    return out;
}

QStringList tables(Transaction& tr) {
    QStringList out;
    for (const Row& r : query(tr, QStringLiteral("SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS "
                                                 "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 AND RDB$VIEW_BLR IS NULL "
                                                 "ORDER BY 1")))
        out << toString(r.at(0));
    return out;
}

bool procedureExists(Transaction& tr, const QString& procedure) {
    return any(tr, QStringLiteral("SELECT 1 FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME = ?"), {up(procedure)});
}

std::optional<int> procedureInputCount(Transaction& tr, const QString& procedure) {
    return procCount(tr, procedure, "RDB$PROCEDURE_INPUTS");
}

std::optional<int> procedureOutputCount(Transaction& tr, const QString& procedure) {
    return procCount(tr, procedure, "RDB$PROCEDURE_OUTPUTS");
}

bool generatorExists(Transaction& tr, const QString& generator) {
    return any(tr, QStringLiteral("SELECT 1 FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME = ?"), {up(generator)});
}

bool triggerExists(Transaction& tr, const QString& trigger) {
    return any(tr, QStringLiteral("SELECT 1 FROM RDB$TRIGGERS WHERE RDB$TRIGGER_NAME = ?"), {up(trigger)});
}

bool indexExists(Transaction& tr, const QString& index) {
    return any(tr, QStringLiteral("SELECT 1 FROM RDB$INDICES WHERE RDB$INDEX_NAME = ?"), {up(index)});
}

namespace {

QString quoted(const QString& name) {
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

void recompute(Connection& connection, const QStringList& indexes) {
    if (indexes.isEmpty()) return;
    Transaction tr(connection);
    for (const QString& index : indexes) tr.executeImmediate(QStringLiteral("SET STATISTICS INDEX ") + quoted(index));
    tr.commit();
}

// The program's own active indexes with their table and stored statistics.
const QString kIndexes = QStringLiteral(
    "SELECT TRIM(RDB$INDEX_NAME), TRIM(RDB$RELATION_NAME), COALESCE(RDB$STATISTICS, 0) FROM RDB$INDICES "
    "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 AND COALESCE(RDB$INDEX_INACTIVE, 0) = 0");

}  // namespace

void refreshIndexStatistics(Connection& connection, const QStringList& tables) {
    QStringList indexes;
    {
        Transaction tr(connection, Transaction::Access::ReadOnly);
        for (const Row& r : query(tr, kIndexes))
            if (tables.contains(toString(r.at(1)), Qt::CaseInsensitive)) indexes << toString(r.at(0));
        tr.commit();
    }
    recompute(connection, indexes);
}

QStringList refreshStaleIndexStatistics(Connection& connection) {
    QStringList stale;
    {
        Transaction tr(connection, Transaction::Access::ReadOnly);
        QHash<QString, QStringList> byTable;  // never-computed indexes by table
        for (const Row& r : query(tr, kIndexes))
            if (toDouble(r.at(2)).value_or(0) <= 0) byTable[toString(r.at(1))] << toString(r.at(0));
        if (!byTable.isEmpty()) {
            // Which of those tables hold a row, in one statement: at every
            // login of a new shop they are all empty.
            QStringList probes;
            for (auto it = byTable.cbegin(); it != byTable.cend(); ++it)
                probes << QStringLiteral("SELECT CAST('%1' AS VARCHAR(63)) FROM RDB$DATABASE WHERE EXISTS (SELECT 1 FROM %2)")
                              .arg(QString(it.key()).replace(QLatin1Char('\''), QStringLiteral("''")), quoted(it.key()));
            for (const Row& r : query(tr, probes.join(QStringLiteral(" UNION ALL "))))
                stale << byTable.value(toString(r.at(0)));
        }
        tr.commit();
    }
    recompute(connection, stale);
    return stale;
}

}  // namespace fb::meta
