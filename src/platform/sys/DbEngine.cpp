#include "DbEngine.h"

#include <QFileInfo>
#include <QTcpSocket>

#include <firebird/Interface.h>

namespace sys {

bool DbEngine::serverRunning() const {
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), 3050);
    const bool ok = socket.waitForConnected(300);
    socket.abort();
    return ok;
}

bool DbEngine::exists() const {
    if (serverRunning()) return true;
    Firebird::IMaster* master = Firebird::fb_get_master_interface();
    if (!master) return false;
    const char* dir = master->getConfigManager()->getDirectory(Firebird::IConfigManager::DIR_PLUGINS);
    return dir && QFileInfo::exists(QString::fromLocal8Bit(dir) + QStringLiteral("/libEngine12.so"));
}

QString DbEngine::connectionString(const QString& path) const {
    return serverRunning() ? QStringLiteral("localhost:") + path : path;
}

namespace {
DbEngine& realEngine() {
    static DbEngine engine;
    return engine;
}
DbEngine* installed = nullptr;
}  // namespace

DbEngine& dbEngine() { return installed ? *installed : realEngine(); }

void setDbEngine(DbEngine* engine) { installed = engine; }

}  // namespace sys
