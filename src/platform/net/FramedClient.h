#pragma once
// The client side of the register service's channel: one TCP connection,
// one request frame, one reply frame, all of it blocking the calling thread
// (the till waits for its register anyway). Every wait has a limit, so a
// silent or dead peer ends in a failure rather than a frozen screen.
#include "platform/net/Frame.h"

#include <QByteArray>
#include <QString>

#include <memory>

class QTcpSocket;

namespace net {

struct ClientOptions {
    QString host = QStringLiteral("localhost");
    quint16 port = 50009;
    int connectTimeoutMs = 5000;
    // How long a whole reply may take to arrive.
    int readTimeoutMs = 35000;
    std::uint32_t maxReplyBytes = kMaxFrameBytes;
};

enum class Failure {
    None,
    Refused,    // no connection could be made
    TimedOut,   // no (whole) reply within the read time-out
    Broken,     // the connection broke while sending or reading
    Oversized,  // the reply announced more than the cap
};

struct Exchange {
    Failure failure = Failure::None;
    QByteArray reply;  // the reply's payload when failure is None
    QString detail;    // the socket's own words on a failure
    bool ok() const { return failure == Failure::None; }
};

class FramedClient {
public:
    explicit FramedClient(ClientOptions options = {});
    ~FramedClient();
    FramedClient(const FramedClient&) = delete;
    FramedClient& operator=(const FramedClient&) = delete;

    const ClientOptions& options() const { return options_; }
    void setOptions(const ClientOptions& options) { options_ = options; }

    bool isConnected() const;
    // Opens the connection; an open one is kept.
    Exchange connectToService();
    void close();
    // Sends `request` as one frame and reads one reply frame; connects
    // first when not connected. A failure leaves the connection closed.
    Exchange exchange(const QByteArray& request);

private:
    Exchange fail(Failure failure, const QString& detail);

    ClientOptions options_;
    std::unique_ptr<QTcpSocket> socket_;
};

// A short Russian word for a failure, for messages that name the cause.
QString failureText(const Exchange& e);

}  // namespace net
