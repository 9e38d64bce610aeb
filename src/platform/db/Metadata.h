#pragma once
#include <QString>
#include <QStringList>

#include <optional>

namespace fb {

class Connection;
class Transaction;

// Look-ups in the system tables. Names are compared trimmed and upper-cased
// (RDB$ names are CHAR(31) padded with blanks).
namespace meta {
bool tableExists(Transaction& tr, const QString& table);
bool columnExists(Transaction& tr, const QString& table, const QString& column);
int columnCount(Transaction& tr, const QString& table);
QStringList columns(Transaction& tr, const QString& table);
QStringList tables(Transaction& tr);  // user tables only
bool procedureExists(Transaction& tr, const QString& procedure);
// RDB$PROCEDURE_INPUTS / _OUTPUTS; nullopt for a missing procedure, 0 for NULL.
std::optional<int> procedureInputCount(Transaction& tr, const QString& procedure);
std::optional<int> procedureOutputCount(Transaction& tr, const QString& procedure);
bool generatorExists(Transaction& tr, const QString& generator);
bool triggerExists(Transaction& tr, const QString& trigger);
bool indexExists(Transaction& tr, const QString& index);

// The planner weighs indexes by their stored statistics, which the engine
// computes only when an index is made: one made on an empty table claims
// forever that it picks nothing out. These recompute them where the data
// grew. Each runs in a transaction of its own and commits it.
// Every index of the given tables.
void refreshIndexStatistics(Connection& connection, const QStringList& tables);
// Every index whose statistics were never computed (0) while its table holds
// rows; an up-to-date database costs one read of the system tables and one
// statement probing such tables for a row. Returns the indexes recomputed.
QStringList refreshStaleIndexStatistics(Connection& connection);
}  // namespace meta

}  // namespace fb
