#include "platform/net/FramedClient.h"

#include <QDeadlineTimer>
#include <QTcpSocket>

namespace net {

FramedClient::FramedClient(ClientOptions options) : options_(std::move(options)), socket_(new QTcpSocket) {}

FramedClient::~FramedClient() {
    close();
}

bool FramedClient::isConnected() const {
    return socket_->state() == QAbstractSocket::ConnectedState;
}

void FramedClient::close() {
    if (socket_->state() == QAbstractSocket::UnconnectedState) return;
    socket_->abort();
}

Exchange FramedClient::fail(Failure failure, const QString& detail) {
    close();
    Exchange e;
    e.failure = failure;
    e.detail = detail;
    return e;
}

Exchange FramedClient::connectToService() {
    if (isConnected()) return {};
    close();
    socket_->connectToHost(options_.host, options_.port);
    if (!socket_->waitForConnected(options_.connectTimeoutMs)) return fail(Failure::Refused, socket_->errorString());
    return {};
}

Exchange FramedClient::exchange(const QByteArray& request) {
    if (!isConnected()) {
        Exchange c = connectToService();
        if (!c.ok()) return c;
    }
    // Whatever an earlier, unread reply left behind is not this reply.
    socket_->readAll();

    const QByteArray frame = encodeFrame(request);
    if (socket_->write(frame) != frame.size()) return fail(Failure::Broken, socket_->errorString());
    QDeadlineTimer deadline(options_.readTimeoutMs);
    while (socket_->bytesToWrite() > 0) {
        if (!socket_->waitForBytesWritten(int(deadline.remainingTime())))
            return fail(deadline.hasExpired() ? Failure::TimedOut : Failure::Broken, socket_->errorString());
    }

    FrameReader reader(options_.maxReplyBytes);
    for (;;) {
        reader.append(socket_->readAll());
        if (std::optional<QByteArray> payload = reader.next()) {
            Exchange e;
            e.reply = std::move(*payload);
            return e;
        }
        if (reader.oversized())
            return fail(Failure::Oversized, QStringLiteral("%1 bytes announced").arg(*reader.announced()));
        if (deadline.hasExpired()) return fail(Failure::TimedOut, QStringLiteral("read time-out"));
        if (socket_->state() != QAbstractSocket::ConnectedState) return fail(Failure::Broken, socket_->errorString());
        if (!socket_->waitForReadyRead(int(deadline.remainingTime()))) {
            reader.append(socket_->readAll());
            if (std::optional<QByteArray> payload = reader.next()) {
                Exchange e;
                e.reply = std::move(*payload);
                return e;
            }
            if (socket_->error() == QAbstractSocket::SocketTimeoutError || deadline.hasExpired())
                return fail(Failure::TimedOut, QStringLiteral("read time-out"));
            return fail(Failure::Broken, socket_->errorString());
        }
    }
}

QString failureText(const Exchange& e) {
    switch (e.failure) {
        case Failure::None:
            return {};
        case Failure::Refused:
            return QStringLiteral("нет соединения со службой ККТ");
        case Failure::TimedOut:
            return QStringLiteral("истекло время ожидания ответа");
        case Failure::Broken:
            return QStringLiteral("соединение со службой ККТ прервано");
        case Failure::Oversized:
            return QStringLiteral("ответ службы ККТ непомерной длины");
    }
    return {};
}

}  // namespace net
