#include "platform/fiscal/RegisterState.h"

#include "platform/fiscal/AtomicFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace fiscal {

qint64 OpenReceipt::total() const {
    qint64 sum = 0;
    for (const auto& p : positions) sum += p.sum;
    return sum;
}

qint64 OpenReceipt::paid(int paymentType) const {
    qint64 sum = 0;
    for (const auto& p : payments)
        if (p.type == paymentType) sum += p.sum;
    return sum;
}

qint64 OpenReceipt::paidTotal() const {
    qint64 sum = 0;
    for (const auto& p : payments) sum += p.sum;
    return sum;
}

namespace {

QString dateTimeText(const QDateTime& dt) {
    return dt.isValid() ? dt.toString(Qt::ISODate) : QString();
}

QDateTime dateTimeFrom(const QJsonValue& v) {
    return QDateTime::fromString(v.toString(), Qt::ISODate);
}

}  // namespace

QJsonObject positionToJson(const ReceiptPosition& p) {
    return {{"name", p.name},
            {"price", p.price},
            {"quantity", p.quantity},
            {"sum", p.sum},
            {"taxType", p.taxType},
            {"measurementUnit", p.measurementUnit},
            {"productCode", p.productCode},
            {"markingCode", p.markingCode},
            {"fractionalQuantity", p.fractionalQuantity}};
}

ReceiptPosition positionFromJson(const QJsonObject& o) {
    ReceiptPosition p;
    p.name = o["name"].toString();
    p.price = o["price"].toInteger();
    p.quantity = o["quantity"].toInteger();
    p.sum = o["sum"].toInteger();
    p.taxType = o["taxType"].toInt();
    p.measurementUnit = o["measurementUnit"].toInt();
    p.productCode = o["productCode"].toString();
    p.markingCode = o["markingCode"].toString();
    p.fractionalQuantity = o["fractionalQuantity"].toString();
    return p;
}

namespace {

QJsonObject toJson(const OpenReceipt& r) {
    QJsonArray positions;
    for (const auto& p : r.positions) positions.append(positionToJson(p));
    QJsonArray payments;
    for (const auto& p : r.payments) payments.append(QJsonObject{{"type", p.type}, {"sum", p.sum}});
    return {{"type", r.type},
            {"taxSystem", r.taxSystem},
            {"buyerContact", r.buyerContact},
            {"buyerName", r.buyerName},
            {"buyerInn", r.buyerInn},
            {"refundedFiscalSign", r.refundedFiscalSign},
            {"positions", positions},
            {"payments", payments}};
}

OpenReceipt receiptFrom(const QJsonObject& o) {
    OpenReceipt r;
    r.type = o["type"].toInt();
    r.taxSystem = o["taxSystem"].toInt();
    r.buyerContact = o["buyerContact"].toString();
    r.buyerName = o["buyerName"].toString();
    r.buyerInn = o["buyerInn"].toString();
    r.refundedFiscalSign = o["refundedFiscalSign"].toString();
    for (const auto& v : o["positions"].toArray()) r.positions.append(positionFromJson(v.toObject()));
    for (const auto& v : o["payments"].toArray())
        r.payments.append({v.toObject()["type"].toInt(), v.toObject()["sum"].toInteger()});
    return r;
}

}  // namespace

QJsonObject toJson(const RegisterState& s) {
    QJsonObject json{
        {"serialNumber", s.serialNumber},
        {"generation", s.generation},
        {"shiftNumber", s.shiftNumber},
        {"shiftOpen", s.shiftOpen},
        {"shiftOpenedAt", dateTimeText(s.shiftOpenedAt)},
        {"receiptsInShift", s.receiptsInShift},
        {"lastDocument",
         QJsonObject{{"number", s.lastDocument.number},
                     {"fiscalSign", s.lastDocument.fiscalSign},
                     {"dateTime", dateTimeText(s.lastDocument.dateTime)},
                     {"receiptType", s.lastDocument.receiptType},
                     {"sum", s.lastDocument.sum}}},
        {"cash", s.cash},
        {"cashierName", s.cashierName},
        {"cashierInn", s.cashierInn},
        {"totals",
         QJsonObject{{"sell", s.totals.sell},
                     {"sellReturn", s.totals.sellReturn},
                     {"buy", s.totals.buy},
                     {"buyReturn", s.totals.buyReturn},
                     {"cashIncome", s.totals.cashIncome},
                     {"receipts", s.totals.receipts}}},
        {"acceptedMarkingCodes", QJsonArray::fromStringList(s.acceptedMarkingCodes)},
    };
    if (s.receipt) json["receipt"] = toJson(*s.receipt);
    if (!s.untaped.isEmpty()) {
        QJsonArray untaped;
        for (const TapeDocument& d : s.untaped)
            untaped.append(QJsonObject{{"number", d.number}, {"lines", QJsonArray::fromStringList(d.lines)}});
        json["untaped"] = untaped;
    }
    return json;
}

RegisterState stateFromJson(const QJsonObject& o) {
    RegisterState s;
    s.serialNumber = o["serialNumber"].toString();
    s.generation = o["generation"].toInteger();
    s.shiftNumber = o["shiftNumber"].toInt();
    s.shiftOpen = o["shiftOpen"].toBool();
    s.shiftOpenedAt = dateTimeFrom(o["shiftOpenedAt"]);
    s.receiptsInShift = o["receiptsInShift"].toInt();
    const QJsonObject last = o["lastDocument"].toObject();
    s.lastDocument = {last["number"].toInt(), last["fiscalSign"].toString(), dateTimeFrom(last["dateTime"]),
                      last["receiptType"].toInt(), last["sum"].toInteger()};
    s.cash = o["cash"].toInteger();
    s.cashierName = o["cashierName"].toString();
    s.cashierInn = o["cashierInn"].toString();
    const QJsonObject t = o["totals"].toObject();
    s.totals = {t["sell"].toInteger(), t["sellReturn"].toInteger(), t["buy"].toInteger(),
                t["buyReturn"].toInteger(), t["cashIncome"].toInteger(), t["receipts"].toInt()};
    for (const auto& v : o["acceptedMarkingCodes"].toArray()) s.acceptedMarkingCodes.append(v.toString());
    if (o.contains("receipt")) s.receipt = receiptFrom(o["receipt"].toObject());
    for (const auto& v : o["untaped"].toArray()) {
        TapeDocument d;
        d.number = v.toObject()["number"].toInt();
        for (const auto& line : v.toObject()["lines"].toArray()) d.lines.append(line.toString());
        s.untaped.append(d);
    }
    return s;
}

StateFile readStateFile(const QString& path) {
    StateFile result;
    QFile file(path);
    if (!file.exists()) return result;
    result.status = StateFile::Status::Unreadable;
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        result.error = parseError.errorString();
        return result;
    }
    if (!doc.isObject()) {
        result.error = QStringLiteral("not a JSON object");
        return result;
    }
    RegisterState state = stateFromJson(doc.object());
    if (state.serialNumber.isEmpty()) {
        result.error = QStringLiteral("no serial number");
        return result;
    }
    result.status = StateFile::Status::Loaded;
    result.state = std::move(state);
    return result;
}

std::optional<RegisterState> loadState(const QString& path, QString* error) {
    StateFile file = readStateFile(path);
    if (file.status == StateFile::Status::Loaded) return std::move(file.state);
    if (error) *error = file.error;
    return std::nullopt;
}

bool saveState(const QString& path, const RegisterState& state, QString* error) {
    return writeFileAtomically(path, QJsonDocument(toJson(state)).toJson(QJsonDocument::Indented), error);
}

}  // namespace fiscal
