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

// Where a new database is built before it takes its place: beside the
// target, so that the final rename stays on one file system.
QString freshDatabaseBuildPath(const QString& filePath);

// Creates the database file of the connection and runs the scripts in it,
// atomically: the file is built under freshDatabaseBuildPath() and renamed
// to `filePath` only when every statement went through, so a failed or
// killed creation never leaves a half-made database where the program
// looks for one. A build file left by a killed creation is removed first.
// On success the connection is attached to `filePath`; on failure it is
// detached, nothing is left behind and fb::Error is thrown. The folder of
// the file is made when missing.
void createFreshDatabase(fb::Connection& connection, const QString& filePath);
void createFreshDatabase(fb::Connection& connection, const QString& filePath, const QStringList& scripts);

// Attaches; a database file that does not exist yet is created first.
void openOrCreateDatabase(fb::Connection& connection, const QString& filePath);

}  // namespace core
