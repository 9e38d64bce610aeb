// Opens the database of a program folder as the program does at start, in a
// process of its own, so that a test can kill it while it creates the
// database and then start it again.
//   create_database_helper <program folder> slow
//     creates the database followed by one statement that runs for
//     minutes: kill it while it works;
//   create_database_helper <program folder>
//     opens the database, creating it when missing; exit code 0 when it
//     then holds the delivered tables.
#include "core/FreshDatabase.h"
#include "platform/db/Connection.h"
#include "platform/db/Error.h"
#include "platform/db/Metadata.h"
#include "platform/db/Transaction.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) return 2;
    const QString file = QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("DB/TARVI_BASE.FDB"));
    fb::ConnectionParams params;
    params.database = file;
    fb::Connection connection(params);
    try {
        if (argc > 2 && std::strcmp(argv[2], "slow") == 0) {
            QStringList scripts = core::freshDatabaseScripts();
            scripts << QStringLiteral(
                "SET TERM ^ ;\n"
                "EXECUTE BLOCK AS DECLARE I BIGINT = 0; BEGIN WHILE (I < 100000000000) DO I = I + 1; END^\n"
                "SET TERM ; ^\n");
            core::createFreshDatabase(connection, file, scripts);
            return 0;
        }
        core::openOrCreateDatabase(connection, file);
        fb::Transaction tr(connection);
        const bool whole = fb::meta::tableExists(tr, QStringLiteral("GOODS")) &&
                           fb::meta::procedureExists(tr, QStringLiteral("USERS_IO_PROC"));
        tr.commit();
        return whole ? 0 : 3;
    } catch (const fb::Error& e) {
        std::fprintf(stderr, "%s\n", e.message().toLocal8Bit().constData());
        return 1;
    }
}
