#include "sales/input/BarcodeClassifier.h"

#include "core/TextUtils.h"

namespace sales {

namespace {

bool allDigits(const QString& text) {
    if (text.isEmpty()) return false;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}

}  // namespace

bool hasWeightBarcodeShape(const QString& code) {
    return (code.size() == 12 || code.size() == 13) && allDigits(code);
}

int weightPrefixOf(const QString& code) {
    const QString head = code.left(2);
    bool ok = false;
    const int prefix = head.toInt(&ok);
    return ok && allDigits(head) ? prefix : 0;
}

CodeKind classifyCode(const QString& code, const QSet<int>& weightPrefixes) {
    if (code.size() < kMinCodeLength) return CodeKind::TooShort;
    if (hasWeightBarcodeShape(code) && weightPrefixes.contains(weightPrefixOf(code))) return CodeKind::Weight;
    if (code.size() < 18) return CodeKind::Goods;
    if (code.size() == 29) return CodeKind::TobaccoPack;
    if (code.startsWith(QLatin1String("01")) && code.mid(16, 2) == QLatin1String("21")) return CodeKind::DataMatrix;
    return CodeKind::Unknown;
}

WeightBarcode decodeWeightBarcode(const QString& code) {
    WeightBarcode w;
    if (!hasWeightBarcodeShape(code)) return w;
    w.goodsNumber = code.mid(2, 5).toInt();
    QString grams = code.mid(7, 5);
    while (grams.size() < 5) grams += QLatin1Char('0');
    w.weight = Qty::fromThousandths(grams.toInt());
    w.status = w.weight.isPositive() ? WeightBarcode::Status::Ok : WeightBarcode::Status::ZeroWeight;
    return w;
}

QStringList weighedGoodsBarcodes(int goodsNumber) {
    QStringList out;
    if (goodsNumber < 0 || goodsNumber > 99999) return out;
    QString s = QString::number(goodsNumber);
    for (; s.size() <= 5; s.prepend(QLatin1Char('0'))) out << s;
    return out;
}

QString markingLookupCode(const QString& code, CodeKind kind) {
    switch (kind) {
    case CodeKind::TobaccoPack: return core::StripLeadingZeros(code.left(14));
    case CodeKind::DataMatrix: return core::StripLeadingZeros(code.mid(2, 14));
    default: return {};
    }
}

QString codeForMessage(const QString& code) {
    return code.size() >= 25 ? code.left(22) + QStringLiteral("...") : code;
}

}  // namespace sales
