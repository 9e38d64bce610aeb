#pragma once
// The rules of a correction receipt apart from its window: the subject of
// calculation taken from the receipt's first line, the checks before
// anything is sent, the sum in kopecks, the register's clock, and the
// document row written for a printed correction.
#include "platform/db/Procedure.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>

namespace archive {

inline const QString kCorrectionVotar =
    QStringLiteral("Пользователь ''VOTAR'' не имеет прав      \r\nна выполнение этой операции.");
inline const QString kCorrectionNoUser =
    QStringLiteral("Отсутствуют обязательные реквизиты пользователя:     \r\n ФИО .\r\n\r\nОперация невозможна.");
inline const QString kCorrectionEmptyFields = QStringLiteral("Не заполнены обязательные поля.     ");
inline const QString kCorrectionFutureDate =
    QStringLiteral("Дата корректируемого расчета не может быть больше текущей даты!    ");
inline const QString kCorrectionNoRegister = QStringLiteral("ККТ не подключена.     ");
inline const QString kCorrectionZeroSum = QStringLiteral("Сумма чека коррекции должна быть больше 0.     ");
inline const QString kCorrectionAskIncome = QStringLiteral("Провести операцию ''КОРРЕКЦИЯ ПРИХОДА'' ?    ");
inline const QString kCorrectionAskExpense = QStringLiteral("Провести операцию ''КОРРЕКЦИЯ РАСХОДА'' ?    ");
inline const QString kCorrectionDbFailed = QStringLiteral("Ошибка сервера при записи в БД    ");
inline const QString kCorrectionWaitCaption = QStringLiteral("Чек коррекции");
inline const QString kCorrectionWaitOpen = QStringLiteral("Открываю сеанс связи с КТТ. Ждите...");
inline const QString kCorrectionWaitInfo = QStringLiteral("Запрашиваю информацию из ККТ. Ждите...");
inline const QString kCorrectionWaitSend = QStringLiteral("Передаю данные в ККТ. Ждите...");
inline const QString kCorrectionCaptionIncome = QStringLiteral("Чек коррекции ПРИХОДА");
inline const QString kCorrectionCaptionExpense = QStringLiteral("Чек коррекции РАСХОДА");

// Document type of a correction receipt in DOCUMENTS.
inline constexpr int kCorrectionDocType = 31;

struct ProductType {
    QString caption;
    int code = 0;
    bool operator==(const ProductType&) const = default;
};
// The subject of calculation for a goods kind: "" or "Т" goods (1), "АТ"
// excise goods (2), "Р" work (3), "У" service (4), "СПР" composite (12);
// any other kind gives no caption and code 0.
ProductType productTypeFromKind(const QString& kind);
// The popup's items in menu order.
const QList<ProductType>& productTypes();

struct CorrectionEntry {
    QString userName;     // lblUser
    QString causeName;    // edDoc
    QString causeDocNum;  // edDocNum
    QString sumText;      // memSumma
    QDate causeDate;
    QDate today;
    QString portName;
    QString baudRate;
};
// The first check that fails, as its message; empty when all pass.
QString validateCorrection(const CorrectionEntry& e);

// The sum in kopecks, rounded half up from the decimal text (never through a
// binary fraction); 0 for text that is no number.
std::int64_t sumToKopecks(const QString& text);
// True when the sum is above 0 with a tolerance of 0.001.
bool sumIsPositive(const QString& text);

// The register's "yyyy-mm-ddThh:mm:ss" (what follows the seconds is
// ignored); nullopt when it cannot be read.
std::optional<QDateTime> parseRegisterDateTime(const QString& text);

struct PrintedCorrection {
    int tag = 1;  // 1 correction of income, 2 of expense
    std::int64_t kopecks = 0;
    bool cash = true;
    QString fiscalSign;
    QString fiscalDocNum;
    QDateTime registerTime;
    QString userName;
};
// Inputs of DOC_WRITE_PROC for a printed correction.
fb::ProcInputs docWriteParams(const PrintedCorrection& p);

}  // namespace archive
