#include "GoodsSettings.h"

#include "uGoodsOtherSettings.h"

#include "platform/db/Connection.h"
#include "platform/db/Procedure.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QPointer>
#include <QRegularExpression>

namespace catalogue {

namespace {
std::function<void()>& savedHook() {
    static std::function<void()> hook;
    return hook;
}
}  // namespace

QString joinPrefixes(const QStringList& stored) {
    QStringList out;
    for (const QString& s : stored) out << s.trimmed();
    return out.join(QLatin1Char(';'));
}

ParsedPrefixes parsePrefixes(const QString& text) {
    ParsedPrefixes out;
    QString t = text.trimmed();
    static const QRegularExpression separators(QStringLiteral("[\\s,]"));
    t.replace(separators, QStringLiteral(";"));
    for (const QString& piece : t.split(QLatin1Char(';'))) {
        const QString p = piece.trimmed();
        if (p.isEmpty()) continue;
        bool ok = false;
        const int value = p.toInt(&ok);
        if (!ok) {
            // A prefix 0 would send every code starting "00", and every code
            // that does not start with digits, down the weight road.
            out.badPiece = p;
            out.prefixes.clear();
            return out;
        }
        out.prefixes.push_back(value);
    }
    return out;
}

QStringList readPrefixes(fb::Connection& db) {
    db.ensureConnected();
    fb::Transaction tr(db, fb::Transaction::Access::ReadOnly);
    QStringList out;
    for (const fb::Row& r : fb::query(tr, QStringLiteral("SELECT PREF FROM BARCODE_WEIGHT_PREFIX ORDER BY PREF")))
        out << r.str(QStringLiteral("PREF"));
    return out;
}

void savePrefixes(fb::Connection& db, const std::vector<int>& prefixes) {
    db.ensureConnected();
    fb::Transaction tr(db);
    fb::callProcedure(tr, QStringLiteral("BARCODE_PREFIX_IO"),
                      {{QStringLiteral("I_MODE"), std::int64_t{1}}, {QStringLiteral("I_PREFIX"), std::int64_t{0}}});
    for (int p : prefixes)
        fb::callProcedure(tr, QStringLiteral("BARCODE_PREFIX_IO"),
                          {{QStringLiteral("I_MODE"), std::int64_t{2}}, {QStringLiteral("I_PREFIX"), std::int64_t{p}}});
    tr.commit();
}

void setWeightPrefixesSaved(std::function<void()> hook) {
    savedHook() = std::move(hook);
}

void notifyWeightPrefixesSaved() {
    if (savedHook()) savedHook()();
}

void openGoodsOtherSettings(fb::Connection& db, QWidget* parent) {
    QPointer<TfmGoodsOtherSettings> w = new TfmGoodsOtherSettings(db, parent);
    w->exec();
}

}  // namespace catalogue
