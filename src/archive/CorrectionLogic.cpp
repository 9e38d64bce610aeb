#include "archive/CorrectionLogic.h"

#include "platform/db/Value.h"

namespace archive {

const QList<ProductType>& productTypes() {
    static const QList<ProductType> types{
        {QStringLiteral("товар, кроме подакцизного"), 1},
        {QStringLiteral("подакцизный товар"), 2},
        {QStringLiteral("работа"), 3},
        {QStringLiteral("услуга"), 4},
        {QStringLiteral("составной предмет расчета"), 12},
    };
    return types;
}

ProductType productTypeFromKind(const QString& kind) {
    const QString k = kind.trimmed().toUpper();
    if (k.isEmpty() || k == QStringLiteral("Т")) return productTypes().at(0);
    if (k == QStringLiteral("АТ")) return productTypes().at(1);
    if (k == QStringLiteral("Р")) return productTypes().at(2);
    if (k == QStringLiteral("У")) return productTypes().at(3);
    if (k == QStringLiteral("СПР")) return productTypes().at(4);
    return {};
}

namespace {
// The sum in ten-thousandths of a rouble: enough to tell 0.0004 from 0.001.
std::int64_t tenThousandths(const QString& text) {
    return fb::parseScaled(text.trimmed(), 4).value_or(0);
}
}  // namespace

bool sumIsPositive(const QString& text) {
    return tenThousandths(text) > 10;
}

std::int64_t sumToKopecks(const QString& text) {
    const std::int64_t t = tenThousandths(text);
    return t >= 0 ? (t + 50) / 100 : -((-t + 50) / 100);
}

QString validateCorrection(const CorrectionEntry& e) {
    const QString user = e.userName.trimmed();
    if (user.toUpper() == QStringLiteral("VOTAR")) return kCorrectionVotar;
    if (user.isEmpty()) return kCorrectionNoUser;
    if (e.causeName.trimmed().isEmpty() || e.causeDocNum.trimmed().isEmpty() || e.sumText.trimmed().isEmpty())
        return kCorrectionEmptyFields;
    if (e.causeDate > e.today) return kCorrectionFutureDate;
    if (e.portName.trimmed().isEmpty() || e.baudRate.trimmed().isEmpty()) return kCorrectionNoRegister;
    if (!sumIsPositive(e.sumText)) return kCorrectionZeroSum;
    return {};
}

std::optional<QDateTime> parseRegisterDateTime(const QString& text) {
    QString t = text.trimmed().left(19);
    t.replace(u'T', u' ');
    const QDateTime at = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!at.isValid()) return std::nullopt;
    return at;
}

fb::ProcInputs docWriteParams(const PrintedCorrection& p) {
    const QString sum = fb::formatScaled(p.kopecks, 2);
    const QString none = QStringLiteral("0.00");
    bool numberOk = false;
    const qint64 number = p.fiscalDocNum.trimmed().toLongLong(&numberOk);
    return {
        {QStringLiteral("I_DOC_TYPE"), std::int64_t(kCorrectionDocType)},
        {QStringLiteral("I_DOC_CHECKTYPE"), std::int64_t(p.tag == 2 ? 3 : 1)},
        {QStringLiteral("I_DOC_FPD"), p.fiscalSign.trimmed()},
        {QStringLiteral("I_DOC_USER"), p.userName.trimmed().left(50)},
        {QStringLiteral("I_DOC_SUMM_FULL"), sum},
        {QStringLiteral("I_DOC_PAY_NAL"), p.cash ? sum : none},
        {QStringLiteral("I_DOC_PAY_EL"), p.cash ? none : sum},
        {QStringLiteral("I_DOC_PAY_ADVANCE"), fb::null()},
        {QStringLiteral("I_DOC_PAY_CREDIT"), fb::null()},
        {QStringLiteral("I_DOC_PAY_MEETING"), fb::null()},
        {QStringLiteral("I_DOC_NUMBER"), numberOk ? fb::Value(std::int64_t(number)) : fb::null()},
        {QStringLiteral("I_DOC_DATE"), p.registerTime.date().toString(QStringLiteral("dd.MM.yyyy"))},
        {QStringLiteral("I_DOC_TIME"), p.registerTime.time().toString(QStringLiteral("hh:mm"))},
        {QStringLiteral("I_DOC_BUYER_NAME"), fb::null()},
        {QStringLiteral("I_DOC_BUYER_INN"), fb::null()},
    };
}

}  // namespace archive
