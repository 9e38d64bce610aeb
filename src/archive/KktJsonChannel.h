#pragma once
// The second channel to the fiscal register: synchronous request/reply
// operations over one TCP client to the register service on this computer,
// used for correction receipts and for the main screen's watch over an open
// session. Everything else fiscal goes through the register driver.
//
// The session lives in three variables the main screen owns (the key, the
// register's port and its speed); the channel sets and clears them by the
// session's rules. A failed exchange (no connection, no reply in time, a
// reply that is too long or has no "result") is a result like any other,
// never an exception: the caller shows it and the session is closed.
#include "archive/KktJson.h"
#include "platform/net/FramedClient.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <functional>
#include <optional>

namespace archive {

// Where the session's three variables live.
struct KktJsonSessionVars {
    QString* sessionKey;
    QString* portName;
    QString* baudRate;
};

// The variables held by value, for a channel that has no main screen.
struct KktJsonSession {
    QString sessionKey;
    QString portName;
    QString baudRate;
    KktJsonSessionVars vars() { return {&sessionKey, &portName, &baudRate}; }
};

// What one operation ended with.
struct KktJsonResult {
    net::Failure failure = net::Failure::None;
    // The reply came but carried no whole-number "result".
    bool noResult = false;
    QString failureDetail;
    int result = 0;       // the reply's "result" (0 success), or 11000/11001
    QString description;  // the reply's "description", or the local cause
    QByteArray reply;     // the whole reply

    bool exchanged() const { return failure == net::Failure::None && !noResult; }
    bool ok() const { return exchanged() && result == 0; }
};

class KktJsonChannel {
public:
    explicit KktJsonChannel(KktJsonSessionVars vars, net::ClientOptions options = {});
    ~KktJsonChannel();
    KktJsonChannel(const KktJsonChannel&) = delete;
    KktJsonChannel& operator=(const KktJsonChannel&) = delete;

    net::FramedClient& client() { return client_; }
    const KktJsonSessionVars& vars() const { return vars_; }
    // The result word of the last operation (ClosePorts leaves it).
    int LastOpFailed() const { return lastOpFailed_; }

    // Called after every session that OpenSession opened: the main screen
    // starts watching the session.
    void setSessionOpenedHandler(std::function<void()> handler) { sessionOpened_ = std::move(handler); }

    // "ClosePorts": connects only when not connected, ignores the reply and
    // every failure, leaves the connection as it is.
    void KktJsonClosePorts();
    // "OpenSession" on a fresh connection, left open. Result 0 keeps the
    // reply's session key; anything else clears it. A failed exchange gives
    // 11000 (time-out) or 11001 with the fixed texts.
    KktJsonResult KktJsonOpenSession(const QString& portName, const QString& baudRate);
    // "CloseSession"; then, whatever the answer, the key is cleared, the ports
    // closed and the connection too.
    KktJsonResult KktJsonCloseSession(const QString& sessionKey);
    // "GetCommonInfo"; the whole reply in `reply`.
    KktJsonResult KktJsonGetCommonInfo(const QString& sessionKey);
    KktJsonResult KktJsonResetCheck(const QString& sessionKey);
    // A composed request ("OpenCheck").
    KktJsonResult KktJsonSendRequest(const QString& request);
    // A composed request whose whole reply the caller reads ("AddGoods",
    // "CloseCheck").
    KktJsonResult KktJsonSendRequestReply(const QString& request);

    // A composed request on the connection already open (connectToService),
    // which is closed afterwards: whoever must note that a request is about
    // to go out does so once the service is known to be there.
    KktJsonResult KktJsonSendOnConnection(const QString& request);

    // The register may hold a receipt a correction left open: true for a new
    // channel (the program has just started) and after a failed correction;
    // the next correction cancels it first.
    bool registerMayHoldReceipt() const { return registerMayHoldReceipt_; }
    void setRegisterMayHoldReceipt(bool may) { registerMayHoldReceipt_ = may; }

    // The main screen's watch: "GetCommonInfo" on the connection as it is
    // (connecting only when none is open). The reply as an object; an empty
    // one when the exchange failed; nullopt while another operation of the
    // channel is under way (nothing was sent).
    std::optional<QJsonObject> pollSession(const QString& sessionKey);

    void closeConnection() { client_.close(); }
    bool isConnected() const { return client_.isConnected(); }

    // While held, the watch sends nothing: a correction is talking to the
    // register and the session is its own.
    class Hold {
    public:
        explicit Hold(KktJsonChannel& ch) : ch_(ch) { ++ch_.holds_; }
        ~Hold() { --ch_.holds_; }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        KktJsonChannel& ch_;
    };
    bool held() const { return holds_ > 0; }

private:
    // One request on a fresh connection; the reply's result and description.
    KktJsonResult exchange(const QString& request, bool freshConnection);
    // One request, its reply noted as the last result, the connection closed.
    KktJsonResult sendAndClose(const QString& request, bool freshConnection);

    KktJsonSessionVars vars_;
    net::FramedClient client_;
    std::function<void()> sessionOpened_;
    int lastOpFailed_ = 0;
    int holds_ = 0;
    bool registerMayHoldReceipt_ = true;
};

// The code and cause of a failed exchange for a message: 11000 for a
// time-out, 11001 otherwise.
int exchangeFailureCode(const KktJsonResult& r);
QString exchangeFailureText(const KktJsonResult& r);

}  // namespace archive
