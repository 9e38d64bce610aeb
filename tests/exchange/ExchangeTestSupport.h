#pragma once
// Building goods-file lines for tests: a record from the fields that matter,
// every other field empty.
#include <QString>
#include <QStringList>

#include <map>

namespace exchangetest {

inline QString u(const char* s) {
    return QString::fromUtf8(s);
}

// A record of `width` fields; fields not named are empty.
inline QString record(const std::map<int, QString>& fields, int width = 66) {
    QStringList f;
    for (int n = 1; n <= width; ++n) {
        const auto it = fields.find(n);
        f << (it == fields.end() ? QString() : it->second);
    }
    return f.join(QLatin1Char(';'));
}

// A valid goods record: ID, name, price, kind 1 and the overrides.
inline QString goods(int id, const QString& name, const QString& price, std::map<int, QString> more = {}) {
    more.try_emplace(1, QString::number(id));
    more.try_emplace(3, name);
    more.try_emplace(5, price);
    more.try_emplace(13, QStringLiteral("1"));
    return record(more);
}

inline QString group(int id, const QString& name, int parent = 0) {
    return record({{1, QString::number(id)}, {3, name}, {16, QString::number(parent)}, {17, QStringLiteral("0")}}, 17);
}

// A file: header, status and the lines, joined by CR LF.
inline QString file(const QStringList& body) {
    return (QStringList{QStringLiteral("##@@&&"), QStringLiteral("#")} + body).join(QStringLiteral("\r\n")) +
           QStringLiteral("\r\n");
}

}  // namespace exchangetest
