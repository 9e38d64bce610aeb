#pragma once
// Real-shaped marking codes for the window and entry tests, built from their
// parts so each test can say what it expects of GTIN and serial.
#include <QChar>
#include <QString>

namespace marktest {

inline const QString kGs = QString(QChar(29));

inline QString crypto(int length) {
    static const QString alphabet =
        QStringLiteral("Ab1+/=cD2.,;eF3:?\"gH4!%&iJ5*-_kL6<>'mN7qR8xYZz9Yy8Xx7Ww6Vv5Uu4Tt3Ss2Rr1Qq0Pp");
    QString out;
    while (out.size() < length) out += alphabet;
    return out.left(length);
}

// 01 GTIN 21 serial(13) GS 91 key GS 92 crypto(44 or 88): shoes (88), types
// 7 and 9-11 (44).
inline QString dataMatrix(const QString& gtin14, const QString& serial13, int cryptoLength,
                          const QString& sep = kGs) {
    return QStringLiteral("01") + gtin14 + QStringLiteral("21") + serial13 + sep + QStringLiteral("91EE07") + sep +
           QStringLiteral("92") + crypto(cryptoLength);
}

// A tobacco pack code: GTIN, serial(7), price field(4), crypto(4).
inline QString tobaccoPack(const QString& gtin14, const QString& serial7, const QString& priceField) {
    return gtin14 + serial7 + priceField + QStringLiteral("xY.;");
}

// A tobacco block code with its MRP as six digits of kopecks.
inline QString tobaccoBlock(const QString& gtin14, const QString& serial7, const QString& mrp6,
                            const QString& sep = kGs) {
    return QStringLiteral("01") + gtin14 + QStringLiteral("21") + serial7 + sep + QStringLiteral("8005") + mrp6 + sep +
           QStringLiteral("93ab,?");
}

inline QString altTobacco(const QString& gtin14, const QString& serial7, const QString& sep = kGs) {
    return QStringLiteral("01") + gtin14 + QStringLiteral("21") + serial7 + sep + QStringLiteral("93Zq.;");
}

inline QString dairy(const QString& gtin14, const QString& serial6, const QString& sep = kGs) {
    return QStringLiteral("01") + gtin14 + QStringLiteral("21") + serial6 + sep + QStringLiteral("93k9/:");
}

}  // namespace marktest
