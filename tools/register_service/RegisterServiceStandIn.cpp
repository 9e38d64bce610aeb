#include "tools/register_service/RegisterServiceStandIn.h"

#include "platform/net/Frame.h"

#include <QHostAddress>
#include <QJsonDocument>
#include <QMutexLocker>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <map>

namespace tools {

// Lives on the service's thread: the server, its connections and their
// half-read frames.
class StandInWorker : public QObject {
public:
    StandInWorker(RegisterServiceStandIn& owner, int idleLimitMs) : owner_(owner), idleLimitMs_(idleLimitMs) {}

    quint16 listen(quint16 port) {
        server_ = new QTcpServer(this);
        idle_ = new QTimer(this);
        idle_->setSingleShot(true);
        idle_->setInterval(idleLimitMs_);
        QObject::connect(idle_, &QTimer::timeout, this, [this] { shutdown(); });
        QObject::connect(server_, &QTcpServer::newConnection, this, [this] { accept(); });
        if (!server_->listen(QHostAddress(QHostAddress::LocalHost), port)) return 0;
        idle_->start();
        return server_->serverPort();
    }

    bool listening() const { return server_ && server_->isListening(); }

    void shutdown() {
        if (idle_) idle_->stop();
        if (server_) server_->close();
        // Aborting a socket erases it from the map through its signal.
        std::map<QTcpSocket*, net::FrameReader> open;
        open.swap(readers_);
        for (auto& [socket, reader] : open) socket->abort();
    }

private:
    void accept() {
        while (QTcpSocket* socket = server_->nextPendingConnection()) {
            owner_.noteConnection();
            idle_->start();
            socket->setParent(this);
            readers_.emplace(socket, net::FrameReader(std::uint32_t(64) * 1024 * 1024));
            QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
            QObject::connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                readers_.erase(socket);
                socket->deleteLater();
            });
        }
    }

    void read(QTcpSocket* socket) {
        auto it = readers_.find(socket);
        if (it == readers_.end()) return;
        it->second.append(socket->readAll());
        while (std::optional<QByteArray> request = it->second.next()) {
            idle_->start();
            const ServiceReply reply = owner_.answer(*request);
            QPointer<QTcpSocket> target(socket);
            if (reply.delayMs > 0)
                QTimer::singleShot(reply.delayMs, this, [target, reply] { send(target, reply); });
            else
                send(target, reply);
            if (reply.fault == ServiceReply::Fault::CloseWithoutReply ||
                reply.fault == ServiceReply::Fault::DropMidReply || reply.fault == ServiceReply::Fault::BogusLength)
                return;
        }
    }

    static QByteArray payloadOf(const ServiceReply& reply) {
        if (reply.fault == ServiceReply::Fault::RawText) return reply.raw;
        QJsonObject o = reply.members;
        if (reply.result) o.insert(QStringLiteral("result"), *reply.result);
        if (!o.contains(QStringLiteral("description"))) o.insert(QStringLiteral("description"), reply.description);
        return QJsonDocument(o).toJson(QJsonDocument::Compact);
    }

    static void sendInPieces(const QPointer<QTcpSocket>& socket, const QByteArray& rest, int size) {
        if (!socket || rest.isEmpty()) return;
        socket->write(rest.left(size));
        socket->flush();
        const QByteArray after = rest.mid(size);
        if (after.isEmpty()) return;
        QTimer::singleShot(10, socket, [socket, after, size] { sendInPieces(socket, after, size); });
    }

    static void send(const QPointer<QTcpSocket>& socket, const ServiceReply& reply) {
        if (!socket) return;
        using Fault = ServiceReply::Fault;
        switch (reply.fault) {
            case Fault::NoReply:
                return;
            case Fault::CloseWithoutReply:
                socket->disconnectFromHost();
                return;
            case Fault::BogusLength: {
                QByteArray head(4, '\0');
                qToBigEndian<quint32>(0xFFFFFFF0u, head.data());
                socket->write(head + QByteArray("{\"result\": 0"));
                socket->flush();
                socket->disconnectFromHost();
                return;
            }
            case Fault::DropMidReply: {
                const QByteArray frame = net::encodeFrame(payloadOf(reply));
                socket->write(frame.left(4 + (frame.size() - 4) / 2));
                socket->flush();
                socket->disconnectFromHost();
                return;
            }
            case Fault::None:
            case Fault::RawText:
                if (reply.chunkBytes > 0)
                    sendInPieces(socket, net::encodeFrame(payloadOf(reply)), reply.chunkBytes);
                else {
                    socket->write(net::encodeFrame(payloadOf(reply)));
                    socket->flush();
                }
                return;
        }
    }

    RegisterServiceStandIn& owner_;
    int idleLimitMs_;
    QTcpServer* server_ = nullptr;
    QTimer* idle_ = nullptr;
    std::map<QTcpSocket*, net::FrameReader> readers_;
};

RegisterServiceStandIn::RegisterServiceStandIn(int idleLimitMs) : idleLimitMs_(idleLimitMs) {}

RegisterServiceStandIn::~RegisterServiceStandIn() {
    stop();
}

quint16 RegisterServiceStandIn::start(quint16 port) {
    stop();
    thread_ = std::make_unique<QThread>();
    thread_->setObjectName(QStringLiteral("RegisterServiceStandIn"));
    worker_ = new StandInWorker(*this, idleLimitMs_);
    worker_->moveToThread(thread_.get());
    thread_->start();
    quint16 chosen = 0;
    QMetaObject::invokeMethod(
        worker_, [this, port] { return worker_->listen(port); }, Qt::BlockingQueuedConnection, &chosen);
    port_ = chosen;
    return chosen;
}

void RegisterServiceStandIn::stop() {
    if (!thread_) return;
    QThread* caller = QThread::currentThread();
    QMetaObject::invokeMethod(
        worker_,
        [this, caller] {
            worker_->shutdown();
            worker_->moveToThread(caller);
        },
        Qt::BlockingQueuedConnection);
    thread_->quit();
    thread_->wait();
    delete worker_;
    worker_ = nullptr;
    thread_.reset();
}

bool RegisterServiceStandIn::isListening() const {
    if (!thread_) return false;
    bool on = false;
    QMetaObject::invokeMethod(
        worker_, [this] { return worker_->listening(); }, Qt::BlockingQueuedConnection, &on);
    return on;
}

void RegisterServiceStandIn::scriptOnce(const QString& command, const ServiceReply& reply) {
    QMutexLocker lock(&mutex_);
    once_[command].push_back(reply);
}

void RegisterServiceStandIn::scriptAlways(const QString& command, const ServiceReply& reply) {
    QMutexLocker lock(&mutex_);
    always_[command] = reply;
}

void RegisterServiceStandIn::clearScripts() {
    QMutexLocker lock(&mutex_);
    once_.clear();
    always_.clear();
}

void RegisterServiceStandIn::setRegisterTime(const QDateTime& at) {
    QMutexLocker lock(&mutex_);
    registerTime_ = at;
}

QList<QByteArray> RegisterServiceStandIn::requests() const {
    QMutexLocker lock(&mutex_);
    return requests_;
}

QStringList RegisterServiceStandIn::commands() const {
    QMutexLocker lock(&mutex_);
    return commands_;
}

int RegisterServiceStandIn::printedReceipts() const {
    QMutexLocker lock(&mutex_);
    return printed_;
}

bool RegisterServiceStandIn::receiptOpen() const {
    QMutexLocker lock(&mutex_);
    return receiptOpen_;
}

int RegisterServiceStandIn::connections() const {
    QMutexLocker lock(&mutex_);
    return connections_;
}

void RegisterServiceStandIn::clearRecords() {
    QMutexLocker lock(&mutex_);
    requests_.clear();
    commands_.clear();
}

void RegisterServiceStandIn::noteConnection() {
    QMutexLocker lock(&mutex_);
    ++connections_;
}

namespace {

ServiceReply refused(int code, const QString& description) {
    ServiceReply r;
    r.result = code;
    r.description = description;
    return r;
}

// A fiscal sign of ten digits that differs for every document.
QString fiscalSignFor(int documentNumber) {
    return QString::number(3000000000LL + qint64(documentNumber) * 7919 % 1000000000LL);
}

}  // namespace

ServiceReply RegisterServiceStandIn::answer(const QByteArray& request) {
    QMutexLocker lock(&mutex_);
    requests_ << request;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(request, &error);
    const QJsonObject o = doc.object();
    const QString command = doc.isObject() ? o.value(QStringLiteral("command")).toString() : QString();
    commands_ << (command.isEmpty() ? QStringLiteral("?") : command);

    std::optional<ServiceReply> script;
    if (auto it = once_.find(command); it != once_.end() && !it->second.empty()) {
        script = it->second.front();
        it->second.pop_front();
    } else if (auto a = always_.find(command); a != always_.end()) {
        script = a->second;
    }
    // A scripted refusal leaves the register as it was; any other script
    // (a lost or mangled answer included) lets the register do the work.
    const bool effects = !script || !script->result || *script->result == 0;

    ServiceReply def;
    if (!doc.isObject()) {
        def = refused(2, QStringLiteral("Неверный формат запроса"));
    } else if (command == QLatin1String("ClosePorts")) {
        def.description = QStringLiteral("Порты закрыты");
        if (effects) sessionKey_.clear();
    } else if (command == QLatin1String("OpenSession")) {
        if (o.value(QStringLiteral("portName")).toString().isEmpty() ||
            !o.value(QStringLiteral("baudRate")).isDouble()) {
            def = refused(4, QStringLiteral("Не указаны порт или скорость ККТ"));
        } else if (effects) {
            sessionKey_ = QStringLiteral("SK-%1").arg(++sessionCounter_);
            def.members.insert(QStringLiteral("sessionKey"), sessionKey_);
        }
    } else if (command.isEmpty() || !QStringList{QStringLiteral("CloseSession"), QStringLiteral("GetCommonInfo"),
                                                 QStringLiteral("ResetCheck"), QStringLiteral("OpenCheck"),
                                                 QStringLiteral("AddGoods"), QStringLiteral("CloseCheck")}
                                         .contains(command)) {
        def = refused(1, QStringLiteral("Неизвестная команда"));
    } else if (sessionKey_.isEmpty() || o.value(QStringLiteral("sessionKey")).toString() != sessionKey_) {
        def = refused(3, QStringLiteral("Сеанс связи не открыт"));
    } else if (command == QLatin1String("CloseSession")) {
        if (effects) sessionKey_.clear();
    } else if (command == QLatin1String("GetCommonInfo")) {
        const QDateTime at = registerTime_.value_or(QDateTime::currentDateTime());
        def.members.insert(QStringLiteral("dateTime"), at.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")));
        def.description = QStringLiteral("ККТ готова к работе");
    } else if (command == QLatin1String("ResetCheck")) {
        if (effects) receiptOpen_ = false;
    } else if (command == QLatin1String("OpenCheck")) {
        const int type = o.value(QStringLiteral("checkType")).toInt();
        if (receiptOpen_)
            def = refused(5, QStringLiteral("Чек уже открыт"));
        else if (type != 4 && type != 5)
            def = refused(6, QStringLiteral("Неверный тип чека"));
        else if (!QList<int>{1, 2, 4, 16, 32}.contains(o.value(QStringLiteral("taxSystem")).toInt(-1)))
            def = refused(9, QStringLiteral("Неверная система налогообложения"));
        else if (effects)
            receiptOpen_ = true;
    } else if (command == QLatin1String("AddGoods")) {
        if (!receiptOpen_) def = refused(7, QStringLiteral("Чек не открыт"));
    } else if (command == QLatin1String("CloseCheck")) {
        const QJsonObject payment = o.value(QStringLiteral("payment")).toObject();
        if (!receiptOpen_) {
            def = refused(7, QStringLiteral("Чек не открыт"));
        } else if (payment.size() != 1 ||
                   (!payment.contains(QStringLiteral("cash")) && !payment.contains(QStringLiteral("ecash")))) {
            def = refused(8, QStringLiteral("Неверная оплата"));
        } else if (effects) {
            receiptOpen_ = false;
            ++printed_;
            ++documentNumber_;
            def.members.insert(QStringLiteral("fiscalSign"), fiscalSignFor(documentNumber_));
            def.members.insert(QStringLiteral("fiscalDocNum"), QString::number(documentNumber_));
        }
    }
    if (!script) return def;
    ServiceReply r = *script;
    if (!r.result || *r.result == 0) {
        QJsonObject merged = def.members;
        for (auto it = r.members.begin(); it != r.members.end(); ++it) merged.insert(it.key(), it.value());
        r.members = merged;
    }
    return r;
}

}  // namespace tools
