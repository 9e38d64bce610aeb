#include "Script.h"

#include "Transaction.h"

#include <QRegularExpression>

namespace fb {

QStringList splitScript(const QString& script) {
    QStringList out;
    QString term = QStringLiteral(";");
    QString cur;
    const qsizetype n = script.size();
    qsizetype i = 0;
    auto flush = [&] {
        const QString s = cur.trimmed();
        cur.clear();
        if (s.isEmpty()) return;
        static const QRegularExpression setTerm(QStringLiteral("^SET\\s+TERM\\s+(\\S+)\\s*$"),
                                                QRegularExpression::CaseInsensitiveOption);
        const auto m = setTerm.match(s);
        if (m.hasMatch()) {
            term = m.captured(1);
            return;
        }
        out << s;
    };
    while (i < n) {
        const QChar c = script[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype end = script.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? n : end + 1;
            cur += script.mid(i, stop - i);
            i = stop;
            continue;
        }
        if (c == QLatin1Char('-') && i + 1 < n && script[i + 1] == QLatin1Char('-')) {
            const qsizetype end = script.indexOf(QLatin1Char('\n'), i);
            i = end < 0 ? n : end;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < n && script[i + 1] == QLatin1Char('*')) {
            const qsizetype end = script.indexOf(QStringLiteral("*/"), i + 2);
            i = end < 0 ? n : end + 2;
            cur += QLatin1Char(' ');
            continue;
        }
        if (script.mid(i, term.size()) == term) {
            flush();
            i += term.size();
            continue;
        }
        cur += c;
        ++i;
    }
    flush();
    return out;
}

void runScript(Connection& connection, const QString& script) {
    for (const QString& statement : splitScript(script)) {
        Transaction tr(connection);
        tr.executeImmediate(statement);
        tr.commit();
    }
}

}  // namespace fb
