#include "FreshDatabase.h"

#include "platform/db/Connection.h"
#include "platform/db/Error.h"
#include "platform/db/Script.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace core {

QStringList freshDatabaseScripts() {
    QStringList scripts;
    for (const char* name : {":/sql/01_base_tables.sql", ":/sql/02_procedures.sql",
                             ":/sql/03_correction_procedures.sql"}) {
        QFile f(QString::fromLatin1(name));
        if (!f.open(QIODevice::ReadOnly))
            fb::throwUsage(QStringLiteral("Не найден сценарий базы данных %1").arg(QString::fromLatin1(name)));
        scripts << QString::fromUtf8(f.readAll());
    }
    return scripts;
}

void createFreshDatabase(fb::Connection& connection, const QString& filePath) {
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    connection.create();
    for (const QString& script : freshDatabaseScripts()) fb::runScript(connection, script);
}

void openOrCreateDatabase(fb::Connection& connection, const QString& filePath) {
    if (connection.isConnected()) return;
    if (!QFileInfo::exists(filePath))
        createFreshDatabase(connection, filePath);
    else
        connection.attach();
}

}  // namespace core
