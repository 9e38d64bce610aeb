// A process that loads a goods file into a database and dies by SIGKILL at a
// given line, as a till does when its power goes: the kill test checks that
// such a load leaves nothing behind.
// Arguments: database file, goods file, line to die at (0: never).
#include "exchange/ExchangeImport.h"
#include "exchange/ExchangeReader.h"

#include "platform/db/Connection.h"

#include <QCoreApplication>
#include <QFile>

#include <csignal>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) return 2;
    fb::ConnectionParams params;
    params.database = args.at(1);
    fb::Connection db(params);
    db.attach();
    QFile file(args.at(2));
    if (!file.open(QIODevice::ReadOnly)) return 3;
    exchange::ExchangeReader reader(file);
    if (reader.readHeader() != exchange::ExchangeReader::Header::Ok) return 4;
    const int killAt = args.at(3).toInt();
    auto store = exchange::makeDatabaseGoodsStore(db);
    exchange::ImportHooks hooks;
    hooks.line = [killAt](int line) {
        if (killAt > 0 && line >= killAt) std::raise(SIGKILL);
        return true;
    };
    const auto result = exchange::runImport(reader, *store, hooks);
    return result.outcome == exchange::ImportResult::Outcome::Done ? 0 : 1;
}
