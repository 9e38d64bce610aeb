#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace sys {

QString SingleInstance::defaultKey() { return QStringLiteral("TfmAuthor|Авторизация"); }

SingleInstance::SingleInstance(QString key, QObject* parent) : QObject(parent) {
    const QByteArray hash =
        QCryptographicHash::hash((key + QLatin1Char('|') + QString::number(getuid())).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    name_ = QStringLiteral("tarvi-") + QString::fromLatin1(hash);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::tryBecomePrimary() {
    {
        QLocalSocket probe;
        probe.connectToServer(name_);
        if (probe.waitForConnected(500)) {
            probe.write("activate\n");
            probe.waitForBytesWritten(500);
            probe.disconnectFromServer();
            return false;
        }
    }
    // Nobody answers: whatever socket file is there belongs to a dead copy.
    QLocalServer::removeServer(name_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name_)) return true;  // still the only copy; just unreachable for others
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = server_->nextPendingConnection()) {
            connect(s, &QLocalSocket::readyRead, this, [this, s] {
                if (s->readAll().contains("activate")) emit activationRequested();
            });
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        }
    });
    return true;
}

}  // namespace sys
