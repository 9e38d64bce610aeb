#pragma once
#include <QString>
#include <QStringList>

namespace fb {
class Connection;
}

namespace core {

// The statements of a delivered database: base tables, keys, indexes,
// generators, triggers and the procedures it comes with.
QStringList freshDatabaseScripts();

// Creates the database file of the connection and runs the scripts in it.
// The folder of the file is made when missing.
void createFreshDatabase(fb::Connection& connection, const QString& filePath);

// Attaches; a database file that does not exist yet is created first.
void openOrCreateDatabase(fb::Connection& connection, const QString& filePath);

}  // namespace core
