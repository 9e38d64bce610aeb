#pragma once
#include <QString>
#include <QStringList>

namespace fb {

class Connection;

// Splits an isql-style script into statements: ";" ends a statement until
// "SET TERM x ;" names another terminator; terminators inside quotes and
// comments do not count. Blank statements are dropped.
QStringList splitScript(const QString& script);

// Runs every statement of the script, each in its own committed transaction,
// so that later statements see the objects made by earlier ones.
void runScript(Connection& connection, const QString& script);

}  // namespace fb
