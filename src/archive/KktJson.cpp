#include "archive/KktJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

namespace archive {

namespace {

QString member(const QString& name, const QString& value) {
    return u'"' + name + QStringLiteral("\": ") + value;
}

QString object(std::initializer_list<QString> members) {
    QString s = QStringLiteral("{");
    bool first = true;
    for (const QString& m : members) {
        if (m.isEmpty()) continue;
        if (!first) s += u',';
        s += m;
        first = false;
    }
    return s + u'}';
}

QString keyMember(const QString& sessionKey) {
    return member(QStringLiteral("sessionKey"), jsonText(sessionKey));
}

QString commandMember(const QString& command) {
    return member(QStringLiteral("command"), jsonText(command));
}

bool isDecimal(const QString& s) {
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (c < u'0' || c > u'9') return false;
    return true;
}

}  // namespace

QString jsonText(const QString& text) {
    QString s;
    s.reserve(text.size() + 2);
    s += u'"';
    for (QChar c : text) {
        switch (c.unicode()) {
            case u'"':
                s += QStringLiteral("\\\"");
                break;
            case u'\\':
                s += QStringLiteral("\\\\");
                break;
            case u'\n':
                s += QStringLiteral("\\n");
                break;
            case u'\r':
                s += QStringLiteral("\\r");
                break;
            case u'\t':
                s += QStringLiteral("\\t");
                break;
            case u'\b':
                s += QStringLiteral("\\b");
                break;
            case u'\f':
                s += QStringLiteral("\\f");
                break;
            default:
                if (c.unicode() < 0x20)
                    s += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
                else
                    s += c;
        }
    }
    s += u'"';
    return s;
}

QString BuildKktJsonCommand(KktCommand command, const QString& sessionKey) {
    switch (command) {
        case KktCommand::ClosePorts:
            return object({commandMember(QStringLiteral("ClosePorts"))});
        case KktCommand::OpenSession:
            return object({member(QStringLiteral("sessionKey"), QStringLiteral("null")),
                           commandMember(QStringLiteral("OpenSession"))});
        case KktCommand::CloseSession:
            return object({keyMember(sessionKey), commandMember(QStringLiteral("CloseSession"))});
        case KktCommand::GetCommonInfo:
            return object({keyMember(sessionKey), commandMember(QStringLiteral("GetCommonInfo"))});
        case KktCommand::ResetCheck:
            return object({keyMember(sessionKey), commandMember(QStringLiteral("ResetCheck"))});
    }
    return {};
}

std::optional<QString> openSessionRequest(const QString& portName, const QString& baudRate) {
    const QString baud = baudRate.trimmed();
    if (!isDecimal(baud)) return std::nullopt;
    return object(
        {member(QStringLiteral("sessionKey"), QStringLiteral("null")), commandMember(QStringLiteral("OpenSession")),
         member(QStringLiteral("portName"), jsonText(portName.toLower())), member(QStringLiteral("baudRate"), baud),
         member(QStringLiteral("model"), jsonText(QStringLiteral("185F")))});
}

QString openCheckRequest(const OpenCheckRequest& r) {
    const QString cashier =
        object({member(QStringLiteral("cashierName"), jsonText(r.cashierName)),
                r.cashierInn.isEmpty() ? QString() : member(QStringLiteral("cashierINN"), jsonText(r.cashierInn))});
    const QString correction =
        object({member(QStringLiteral("correctionType"), QString::number(r.correctionType)),
                member(QStringLiteral("causeName"), jsonText(r.causeName)),
                member(QStringLiteral("causeDocDate"), jsonText(r.causeDocDate.toString(QStringLiteral("yyyy-MM-dd")))),
                member(QStringLiteral("causeDocNum"), jsonText(r.causeDocNum))});
    return object({keyMember(r.sessionKey), commandMember(QStringLiteral("OpenCheck")),
                   member(QStringLiteral("checkType"), QString::number(r.checkType)),
                   member(QStringLiteral("taxSystem"), QString::number(r.taxSystem)),
                   member(QStringLiteral("cashierInfo"), cashier),
                   member(QStringLiteral("correctionInfo"), correction)});
}

QString addGoodsRequest(const QString& sessionKey, int productTypeCode, std::int64_t priceKopecks) {
    return object({keyMember(sessionKey), commandMember(QStringLiteral("AddGoods")),
                   member(QStringLiteral("productName"), jsonText(QString())),
                   member(QStringLiteral("qty"), QStringLiteral("10000")),
                   member(QStringLiteral("taxCode"), QStringLiteral("6")),
                   member(QStringLiteral("paymentFormCode"), QStringLiteral("4")),
                   member(QStringLiteral("productTypeCode"), QString::number(productTypeCode)),
                   member(QStringLiteral("price"), QString::number(priceKopecks))});
}

QString closeCheckRequest(const QString& sessionKey, bool cash, std::int64_t kopecks) {
    const QString payment =
        object({member(cash ? QStringLiteral("cash") : QStringLiteral("ecash"), QString::number(kopecks))});
    return object({keyMember(sessionKey), commandMember(QStringLiteral("CloseCheck")),
                   member(QStringLiteral("payment"), payment)});
}

QString ExtractJsonValue(const QString& key, const QString& json) {
    QString value;
    const qsizetype at = key.isEmpty() ? -1 : json.indexOf(key);
    if (at < 0) return value;
    int state = 1;
    bool inString = false;
    for (qsizetype i = at; i < json.size(); ++i) {
        const QChar c = json.at(i);
        if (state == 1) {
            if (c == u'"') state = 2;
        } else if (state == 2) {
            if (c == u':') {
                state = 3;
                inString = false;
            }
        } else {
            if (c == u'"') {
                if (inString) break;
                value.clear();
                inString = true;
            } else if (c == u',' || c == u'}') {
                if (!inString) break;
                value += c;
            } else {
                value += c;
            }
        }
    }
    // Leading and trailing blanks and control characters go.
    qsizetype b = 0, e = value.size();
    while (b < e && value.at(b).unicode() <= 0x20) ++b;
    while (e > b && value.at(e - 1).unicode() <= 0x20) --e;
    return value.mid(b, e - b);
}

std::optional<QString> replyMember(const QString& name, const QByteArray& reply) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(reply, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        const QString text = QString::fromUtf8(reply);
        if (!text.contains(name)) return std::nullopt;
        return ExtractJsonValue(name, text);
    }
    const QJsonObject o = doc.object();
    const auto it = o.constFind(name);
    if (it == o.constEnd()) return std::nullopt;
    const QJsonValue v = it.value();
    switch (v.type()) {
        case QJsonValue::String:
            return v.toString();
        case QJsonValue::Double: {
            const double d = v.toDouble();
            if (d == double(qint64(d)) && d > -9.0e15 && d < 9.0e15) return QString::number(qint64(d));
            return QString::number(d, 'g', 17);
        }
        case QJsonValue::Bool:
            return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
        case QJsonValue::Null:
            return QStringLiteral("null");
        case QJsonValue::Array:
            return QString::fromUtf8(QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact));
        case QJsonValue::Object:
            return QString::fromUtf8(QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact));
        case QJsonValue::Undefined:
            break;
    }
    return std::nullopt;
}

std::optional<int> replyResult(const QByteArray& reply) {
    const std::optional<QString> text = replyMember(QStringLiteral("result"), reply);
    if (!text) return std::nullopt;
    bool ok = false;
    const int n = text->trimmed().toInt(&ok);
    if (!ok) return std::nullopt;
    return n;
}

}  // namespace archive
