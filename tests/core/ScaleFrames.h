#pragma once
// Weight replies as a scale sends them, built here independently of the
// program's own frame code so that the tests check it rather than echo it.
#include <QByteArray>
#include <QtGlobal>

namespace scaletest {

inline QByteArray weightReply(quint8 low, quint8 high, bool goodCheck = true,
                              char command = ':') {
    QByteArray r(15, '\0');
    r[0] = 0x02;
    r[1] = 0x0D;
    r[2] = 0x01;
    r[3] = command;
    r[4] = 0x11;
    r[7] = static_cast<char>(low);
    r[8] = static_cast<char>(high);
    r[11] = 0x40;
    quint8 check = 0;
    for (int i = 2; i <= 13; ++i)
        check = static_cast<quint8>(check ^ static_cast<quint8>(r[i]));
    r[14] = static_cast<char>(goodCheck ? check : check ^ 0x5A);
    return r;
}

inline QByteArray weightReplyGrams(qint16 grams) {
    const auto u = static_cast<quint16>(grams);
    return weightReply(static_cast<quint8>(u & 0xFF), static_cast<quint8>(u >> 8));
}

}  // namespace scaletest
