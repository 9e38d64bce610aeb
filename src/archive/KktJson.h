#pragma once
// The texts of the register service's JSON channel: the requests the till
// sends, byte for byte as the service expects them, and the readers of its
// replies. Pure functions, no socket.
//
// Request layout, for every command: "{" members "}", members joined by a
// bare ",", each member its quoted name, ": " and the value; text values in
// double quotes, numbers, true/false and null bare; no line breaks; nested
// objects the same way.
#include <QByteArray>
#include <QDate>
#include <QString>

#include <cstdint>
#include <optional>

namespace archive {

// Local result codes of "OpenSession" (the service's own codes are its own).
inline constexpr int kJsonTimedOut = 11000;
inline constexpr int kJsonExchangeFailed = 11001;

inline const QString kOpenSessionTimedOutText = QStringLiteral(
    "Истекло время ожидания ответа от ККТ.     \r\nВозможно ККТ зависла или не находится в режиме ФР.     "
    "\r\n\r\nПерезагрузите ККТ и повторите попытку.     ");
inline const QString kOpenSessionFailedText = QStringLiteral(
    "Ошибка при открытии сеанса связи с ККТ.     \r\nВозможно ККТ зависла или не находится в режиме ФР.     "
    "\r\n\r\nПерезагрузите ККТ и повторите попытку.     ");

// A text value in double quotes. Quotes, backslashes and control characters
// are escaped as JSON wants them, so a cause text cannot end its string and
// add members of its own; any other text comes out exactly as it is.
QString jsonText(const QString& text);

// Session commands that carry nothing but the key.
enum class KktCommand { ClosePorts, OpenSession, CloseSession, GetCommonInfo, ResetCheck };

// The request text of a command without further values; "OpenSession" gets
// its port and speed through openSessionRequest.
QString BuildKktJsonCommand(KktCommand command, const QString& sessionKey);

// {"sessionKey": null,"command": "OpenSession","portName": "<port>","baudRate": <baud>,"model": "185F"}
// The port goes in lower case, the speed bare as given; nullopt when the
// speed is not a decimal number (it would break the request).
std::optional<QString> openSessionRequest(const QString& portName, const QString& baudRate);

struct OpenCheckRequest {
    QString sessionKey;
    int checkType = 4;  // 4 correction of income, 5 of expense
    int taxSystem = -1;
    QString cashierName;
    QString cashierInn;      // left out of the request when empty
    int correctionType = 0;  // 0 on one's own, 1 by order
    QString causeName;
    QDate causeDocDate;
    QString causeDocNum;
};
QString openCheckRequest(const OpenCheckRequest& r);
QString addGoodsRequest(const QString& sessionKey, int productTypeCode, std::int64_t priceKopecks);
QString closeCheckRequest(const QString& sessionKey, bool cash, std::int64_t kopecks);

// The service's own value scanner, kept for replies that are not valid JSON:
// the value of the first member whose name contains `key` (a plain,
// case-sensitive search); a string without its quotes, a bare value up to
// the next "," or "}". Escapes are not decoded; an absent key gives "".
QString ExtractJsonValue(const QString& key, const QString& json);

// A member of the reply by its exact top-level name: a string unescaped,
// any other value as its JSON text. A reply that is not a JSON object is read
// with ExtractJsonValue. nullopt when the member is missing.
std::optional<QString> replyMember(const QString& name, const QByteArray& reply);

// "result" as a whole number; nullopt when missing or not a whole number.
std::optional<int> replyResult(const QByteArray& reply);

}  // namespace archive
