#include "FreshDatabase.h"

#include "platform/db/Connection.h"
#include "platform/db/Error.h"
#include "platform/db/Script.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace core {

QStringList freshDatabaseScripts() {
    QStringList scripts;
    for (const char* name : {":/sql/01_base_tables.sql", ":/sql/02_procedures.sql",
                             ":/sql/03_correction_procedures.sql",
                             ":/sql/04_catalogue_procedures.sql", ":/sql/05_partner_procedures.sql"}) {
        QFile f(QString::fromLatin1(name));
        if (!f.open(QIODevice::ReadOnly))
            fb::throwUsage(QStringLiteral("Не найден сценарий базы данных %1").arg(QString::fromLatin1(name)));
        scripts << QString::fromUtf8(f.readAll());
    }
    return scripts;
}

QString freshDatabaseBuildPath(const QString& filePath) {
    return filePath + QStringLiteral(".creating");
}

namespace {

// The connection string of the build file: the same engine ("localhost:"
// or none) as the connection's own.
QString buildDatabaseString(const QString& database, const QString& filePath, const QString& buildPath) {
    if (database.endsWith(filePath)) return database.left(database.size() - filePath.size()) + buildPath;
    return buildPath;
}

}  // namespace

void createFreshDatabase(fb::Connection& connection, const QString& filePath) {
    createFreshDatabase(connection, filePath, freshDatabaseScripts());
}

void createFreshDatabase(fb::Connection& connection, const QString& filePath, const QStringList& scripts) {
    const QString folder = QFileInfo(filePath).absolutePath();
    if (!QDir().mkpath(folder))
        fb::throwUsage(QStringLiteral("Не удалось создать папку базы данных %1").arg(QDir::toNativeSeparators(folder)));
    const QString buildPath = freshDatabaseBuildPath(filePath);
    // What a killed creation left: never a database, only in the way.
    if (QFileInfo::exists(buildPath) && !QFile::remove(buildPath))
        fb::throwUsage(QStringLiteral("Не удалось удалить незаконченный файл базы данных %1")
                           .arg(QDir::toNativeSeparators(buildPath)));

    const QString target = connection.params().database;
    connection.detach();
    connection.setDatabase(buildDatabaseString(target, filePath, buildPath));
    try {
        connection.create();
        for (const QString& script : scripts) fb::runScript(connection, script);
        // Detaching writes everything out; only then is the file complete.
        connection.detach();
    } catch (...) {
        connection.detach();
        QFile::remove(buildPath);
        connection.setDatabase(target);
        throw;
    }
    connection.setDatabase(target);
    // rename() replaces nothing here (the target did not exist) and is
    // atomic: the program sees either no database or a whole one.
    if (std::rename(QFile::encodeName(buildPath).constData(), QFile::encodeName(filePath).constData()) != 0) {
        QFile::remove(buildPath);
        fb::throwUsage(QStringLiteral("Не удалось переименовать файл базы данных %1 в %2")
                           .arg(QDir::toNativeSeparators(buildPath), QDir::toNativeSeparators(filePath)));
    }
    connection.attach();
}

void openOrCreateDatabase(fb::Connection& connection, const QString& filePath) {
    if (connection.isConnected()) return;
    if (!QFileInfo::exists(filePath))
        createFreshDatabase(connection, filePath);
    else
        connection.attach();
}

}  // namespace core
