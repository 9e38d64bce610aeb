#pragma once
// A stand-in for the local register service that prints correction receipts:
// it listens on the loopback address only, reads framed JSON requests,
// answers them like the service (a session key, the register's clock, a
// fiscal sign and document number for a closed receipt) and records every
// request exactly as it came. Each command's answer can be scripted, faults
// included, so the till's handling of a misbehaving service can be tried.
//
// It runs on a thread of its own: the till's client blocks the thread it
// runs on, so a service on that same thread could never answer. It stops by
// itself after a spell without traffic, and with its owner.
#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>

class QThread;

namespace tools {

struct ServiceReply {
    enum class Fault {
        None,
        NoReply,            // reads the request and stays silent
        CloseWithoutReply,  // reads the request and hangs up
        BogusLength,        // announces a reply of about 4 GB and sends a few bytes
        DropMidReply,       // sends the length and half the reply, then hangs up
        RawText,            // sends `raw` as the reply's payload, as it is
    };
    // "result" of the reply; nullopt leaves the member out.
    std::optional<int> result = 0;
    QString description;
    // Further members (sessionKey, dateTime, fiscalSign, fiscalDocNum ...);
    // they replace what the stand-in would put there itself.
    QJsonObject members;
    Fault fault = Fault::None;
    QByteArray raw;
    // Waits this long before answering.
    int delayMs = 0;
    // Sends the answer's frame in pieces of this many bytes, 10 ms apart.
    int chunkBytes = 0;
};

class RegisterServiceStandIn {
public:
    // Stops by itself after `idleLimitMs` without a connection or a request.
    explicit RegisterServiceStandIn(int idleLimitMs = 30000);
    ~RegisterServiceStandIn();
    RegisterServiceStandIn(const RegisterServiceStandIn&) = delete;
    RegisterServiceStandIn& operator=(const RegisterServiceStandIn&) = delete;

    // Listens on 127.0.0.1 at `port` (0: a free port of the system's
    // choosing). Returns the port, or 0 when it could not listen.
    quint16 start(quint16 port = 0);
    void stop();
    quint16 port() const { return port_; }
    bool isListening() const;

    // The next request of `command` gets this answer (answers queue up in
    // order); without one the stand-in answers as the service would.
    void scriptOnce(const QString& command, const ServiceReply& reply);
    // Every request of `command` gets this answer until cleared.
    void scriptAlways(const QString& command, const ServiceReply& reply);
    void clearScripts();
    // The register's clock as GetCommonInfo reports it (now by default).
    void setRegisterTime(const QDateTime& at);

    // Every request payload, byte for byte, in order of arrival.
    QList<QByteArray> requests() const;
    // The "command" member of every request ("?" when unreadable).
    QStringList commands() const;
    // Correction receipts closed (printed) so far.
    int printedReceipts() const;
    // A receipt is open on the register (OpenCheck without CloseCheck or
    // ResetCheck).
    bool receiptOpen() const;
    // Connections accepted so far.
    int connections() const;
    void clearRecords();

private:
    friend class StandInWorker;
    // Called on the service's thread: the answer to one request.
    ServiceReply answer(const QByteArray& request);
    void noteConnection();

    int idleLimitMs_;
    quint16 port_ = 0;
    std::unique_ptr<QThread> thread_;
    class StandInWorker* worker_ = nullptr;

    mutable QMutex mutex_;
    std::map<QString, std::deque<ServiceReply>> once_;
    std::map<QString, ServiceReply> always_;
    std::optional<QDateTime> registerTime_;
    QList<QByteArray> requests_;
    QStringList commands_;
    QString sessionKey_;
    int sessionCounter_ = 0;
    bool receiptOpen_ = false;
    int printed_ = 0;
    int documentNumber_ = 100;
    int connections_ = 0;
};

}  // namespace tools
