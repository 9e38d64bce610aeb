#include "archive/KktJsonChannel.h"

#include <QJsonDocument>

namespace archive {

KktJsonChannel::KktJsonChannel(KktJsonSessionVars vars, net::ClientOptions options)
    : vars_(vars), client_(std::move(options)) {}

KktJsonChannel::~KktJsonChannel() = default;

int exchangeFailureCode(const KktJsonResult& r) {
    return r.failure == net::Failure::TimedOut ? kJsonTimedOut : kJsonExchangeFailed;
}

QString exchangeFailureText(const KktJsonResult& r) {
    if (r.noResult) return QStringLiteral("ответ службы ККТ без кода результата");
    net::Exchange e;
    e.failure = r.failure;
    return net::failureText(e);
}

KktJsonResult KktJsonChannel::exchange(const QString& request, bool freshConnection) {
    ++holds_;
    if (freshConnection) client_.close();
    const net::Exchange e = client_.exchange(request.toUtf8());
    --holds_;
    KktJsonResult r;
    if (!e.ok()) {
        r.failure = e.failure;
        r.failureDetail = e.detail;
    } else {
        r.reply = e.reply;
        const std::optional<int> result = replyResult(e.reply);
        if (!result) {
            r.noResult = true;
            client_.close();
        } else {
            r.result = *result;
            r.description = replyMember(QStringLiteral("description"), e.reply).value_or(QString());
        }
    }
    if (!r.exchanged()) {
        r.result = exchangeFailureCode(r);
        r.description = exchangeFailureText(r);
    }
    return r;
}

void KktJsonChannel::KktJsonClosePorts() {
    exchange(BuildKktJsonCommand(KktCommand::ClosePorts, {}), false);
}

KktJsonResult KktJsonChannel::KktJsonOpenSession(const QString& portName, const QString& baudRate) {
    lastOpFailed_ = 0;
    const std::optional<QString> request = openSessionRequest(portName, baudRate);
    KktJsonResult r;
    if (!request) {
        // A speed that is not a number would break the request: nothing is sent.
        r.noResult = true;
    } else {
        r = exchange(*request, true);
    }
    if (!r.exchanged()) {
        r.result = exchangeFailureCode(r);
        r.description = r.result == kJsonTimedOut ? kOpenSessionTimedOutText : kOpenSessionFailedText;
        client_.close();
    }
    lastOpFailed_ = r.result;
    if (r.ok()) {
        *vars_.sessionKey = replyMember(QStringLiteral("sessionKey"), r.reply).value_or(QString());
        if (sessionOpened_ && !vars_.sessionKey->isEmpty()) sessionOpened_();
    } else {
        vars_.sessionKey->clear();
    }
    return r;
}

KktJsonResult KktJsonChannel::KktJsonCloseSession(const QString& sessionKey) {
    lastOpFailed_ = 0;
    KktJsonResult r = exchange(BuildKktJsonCommand(KktCommand::CloseSession, sessionKey), true);
    lastOpFailed_ = r.result;
    vars_.sessionKey->clear();
    KktJsonClosePorts();
    client_.close();
    return r;
}

KktJsonResult KktJsonChannel::KktJsonGetCommonInfo(const QString& sessionKey) {
    lastOpFailed_ = 0;
    KktJsonResult r = exchange(BuildKktJsonCommand(KktCommand::GetCommonInfo, sessionKey), true);
    lastOpFailed_ = r.result;
    client_.close();
    return r;
}

KktJsonResult KktJsonChannel::KktJsonResetCheck(const QString& sessionKey) {
    lastOpFailed_ = 0;
    KktJsonResult r = exchange(BuildKktJsonCommand(KktCommand::ResetCheck, sessionKey), true);
    lastOpFailed_ = r.result;
    client_.close();
    return r;
}

KktJsonResult KktJsonChannel::KktJsonSendRequest(const QString& request) { return sendAndClose(request, true); }

KktJsonResult KktJsonChannel::KktJsonSendRequestReply(const QString& request) {
    return KktJsonSendRequest(request);
}

KktJsonResult KktJsonChannel::KktJsonSendOnConnection(const QString& request) { return sendAndClose(request, false); }

KktJsonResult KktJsonChannel::sendAndClose(const QString& request, bool freshConnection) {
    lastOpFailed_ = 0;
    KktJsonResult r = exchange(request, freshConnection);
    lastOpFailed_ = r.result;
    client_.close();
    return r;
}

std::optional<QJsonObject> KktJsonChannel::pollSession(const QString& sessionKey) {
    if (held()) return std::nullopt;
    const KktJsonResult r = exchange(BuildKktJsonCommand(KktCommand::GetCommonInfo, sessionKey), false);
    if (!r.exchanged()) return QJsonObject();
    const QJsonDocument doc = QJsonDocument::fromJson(r.reply);
    if (doc.isObject()) return doc.object();
    // Not JSON: what the scanner read, as the watch needs it.
    return QJsonObject{{QStringLiteral("result"), r.result}, {QStringLiteral("description"), r.description}};
}

}  // namespace archive
