#include "sales/closing/ReceiptPrinter.h"

#include "core/DataModule.h"
#include "platform/fiscal/FiscalDriver.h"
#include "sales/closing/ColumnLimits.h"
#include "sales/closing/PrintSettle.h"
#include "sales/closing/ReceiptLines.h"

#include <QThread>

namespace sales {

using namespace fiscal;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

PrintOutcome failed(const QString& text, PrintMessage::Kind kind = PrintMessage::Kind::Error) {
    PrintOutcome o;
    o.state = PrintOutcome::State::NotPrinted;
    o.messages.append({text, kind});
    return o;
}

std::optional<int> wholeNumber(const QString& text) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

}  // namespace

std::optional<FiscalDocumentInfo> readLastDocument(IFiscalDriver& kkt) {
    kkt.setParam(LIBFPTR_PARAM_FN_DATA_TYPE, LIBFPTR_FNDT_LAST_DOCUMENT);
    if (kkt.fnQueryData() != 0 || kkt.errorCode() != 0) return std::nullopt;
    FiscalDocumentInfo doc;
    doc.number = kkt.getParamInt(LIBFPTR_PARAM_DOCUMENT_NUMBER);
    doc.fiscalSign = kkt.getParamString(LIBFPTR_PARAM_FISCAL_SIGN);
    doc.dateTime = kkt.getParamDateTime(LIBFPTR_PARAM_DATE_TIME);
    doc.receiptType = kkt.getParamInt(LIBFPTR_PARAM_RECEIPT_TYPE);
    doc.sum = Money::fromKopecks(qRound64(kkt.getParamDouble(LIBFPTR_PARAM_RECEIPT_SUM) * 100.0));
    doc.read = true;
    return doc;
}

bool receiptOpenInRegister(IFiscalDriver& kkt) {
    kkt.setParam(LIBFPTR_PARAM_DATA_TYPE, LIBFPTR_DT_STATUS);
    if (kkt.queryData() != 0 || kkt.errorCode() != 0) return false;
    return kkt.getParamInt(LIBFPTR_PARAM_RECEIPT_TYPE) != LIBFPTR_RT_CLOSED;
}

namespace {

QString driverAnswer(const QString& description) {
    return QStringLiteral(" Ответ драйвера: '") + description + QStringLiteral("'     ");
}

QString cancelledTail() {
    return kCrLf + kCrLf + QStringLiteral(" Чек отменен и не будет записан в Базу Данных.     ");
}

// When the register would not cancel either, the receipt is still open in
// it: the next print cancels it before anything else.
QString notCancelledTail(const QString& cancelDescription) {
    return kCrLf + kCrLf + QStringLiteral(" Отменить чек в ККТ не удалось.     ") + kCrLf + driverAnswer(cancelDescription) +
           kCrLf + QStringLiteral(" Чек не напечатан и не будет записан в Базу Данных;     ") + kCrLf +
           QStringLiteral(" незакрытый чек будет отменен перед следующей печатью.     ");
}

// Cancels the open receipt; the tail of the message says how that went.
QString cancelAndTell(IFiscalDriver& kkt) {
    if (kkt.cancelReceipt() == 0 && kkt.errorCode() == 0) return cancelledTail();
    return notCancelledTail(kkt.errorDescription());
}

QString registrationRefused(int row, const QString& description, const QString& tail) {
    return QStringLiteral(" Позиция ") + QString::number(row) + QStringLiteral(" не принята ККТ.     ") + kCrLf +
           driverAnswer(description) + tail;
}

QString paymentRefused(const QString& description, const QString& tail) {
    return QStringLiteral(" Оплата не принята ККТ.     ") + kCrLf + driverAnswer(description) + tail;
}

QString unresolvedTextImpl(const QString& description) {
    return QStringLiteral(" При печати чека произошла ошибка.     ") + kCrLf + driverAnswer(description) + kCrLf + kCrLf +
           QStringLiteral(" Не удалось узнать у ККТ, напечатан ли чек.     ") + kCrLf +
           QStringLiteral(" Проверьте связь с ККТ и нажмите 'ПЕЧАТЬ' ещё раз:     ") + kCrLf +
           QStringLiteral(" повторно чек напечатан не будет.     ");
}

// The register's own words come too: they may say what the cashier must
// see to (the paper, say).
QString printedDespiteError(int number, const QString& description) {
    QString text = QStringLiteral(" ККТ сообщила об ошибке при закрытии чека,     ") + kCrLf +
                   QStringLiteral(" но чек оформлен (ФД № ") + QString::number(number) + QStringLiteral(").     ") +
                   kCrLf + QStringLiteral(" Чек будет записан в Базу Данных.     ");
    if (!description.trimmed().isEmpty())
        text += kCrLf + kCrLf + QStringLiteral(" Ответ драйвера: '") + description.trimmed() + QStringLiteral("'     ");
    return text;
}

QString earlierPrintedImpl(int number) {
    return QStringLiteral(" Чек, при печати которого произошла ошибка,     ") + kCrLf +
           QStringLiteral(" напечатан ККТ (ФД № ") + QString::number(number) + QStringLiteral(").     ") + kCrLf +
           QStringLiteral(" Чек будет записан в Базу Данных и повторно не печатается.     ");
}

QString earlierOtherPrintedImpl(int number) {
    return QStringLiteral(" Чек, при печати которого ранее произошла ошибка,     ") + kCrLf +
           QStringLiteral(" напечатан ККТ (ФД № ") + QString::number(number) + QStringLiteral(").     ") + kCrLf +
           QStringLiteral(" Он будет записан в Базу Данных.     ") + kCrLf + kCrLf +
           QStringLiteral(" Текущий чек отличается от него и НЕ напечатан.     ") + kCrLf +
           QStringLiteral(" Проверьте чек и нажмите 'ПЕЧАТЬ', чтобы напечатать его.     ");
}

QString journalNotWritten(const QString& error) {
    return QStringLiteral(" Не удалось записать журнал печати чеков:     ") + kCrLf + QStringLiteral(" ") + error +
           QStringLiteral("     ") + kCrLf + kCrLf + QStringLiteral(" Чек не напечатан.     ");
}

QString journalNotUpdated(const QString& error) {
    return QStringLiteral(" Чек напечатан, но его номер не удалось записать в журнал печати:     ") + kCrLf +
           QStringLiteral(" ") + error + QStringLiteral("     ") + kCrLf +
           QStringLiteral(" Не закрывайте программу, пока чек не будет записан в Базу Данных.     ");
}

QString documentNotRead() {
    return QStringLiteral(" Чек напечатан, но ККТ не сообщила его номер и фискальный признак.     ") + kCrLf +
           QStringLiteral(" Чек сохранен в журнале печати и будет записан в Базу Данных,     ") + kCrLf +
           QStringLiteral(" как только ККТ их сообщит.     ");
}

QString rowError(const QString& what) {
    return QStringLiteral(" При работе программы произошла ошибка:     ") + kCrLf + QStringLiteral("   ") + what +
           QStringLiteral("     ") + failureTail();
}

// A country the register is told about: a numeric code of one to three
// digits, not 0.
bool realCountry(const QString& country) {
    const QString c = country.trimmed();
    if (c.isEmpty() || c.size() > 3) return false;
    for (const QChar ch : c)
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) return false;
    return c.toInt() != 0;
}

// A tobacco unit the cashier sold "без маркировки": neither serial nor code.
bool soldWithoutCode(const QStringList& line) {
    return line[LineMarkCode].trimmed().isEmpty() && line[LineSerial].trimmed().isEmpty();
}

void registerRowParams(IFiscalDriver& kkt, const QStringList& line, const PrintJob& job) {
    const int markType = wholeNumber(line[LineMarkType]).value_or(0);
    kkt.setParam(LIBFPTR_PARAM_COMMODITY_NAME, job.paymentFlag == PayAdvance ? QStringLiteral(" ") : line[LineName]);
    if (markType == 0) {
        kkt.setParam(LIBFPTR_PARAM_PRICE, line[LinePrice].trimmed());
        kkt.setParam(LIBFPTR_PARAM_QUANTITY, line[LineQty].trimmed());
    } else {
        kkt.setParam(LIBFPTR_PARAM_QUANTITY, 1);
        kkt.setParam(LIBFPTR_PARAM_PRICE, registeredLineSum(line).value_or(Money{}).toString());
    }
    kkt.setParam(tag::MeasurementUnit, measureCodeOf(line[LineMeasure]));
    const int tax = job.taxSystemCode == kTaxOsn ? vatTypeOf(wholeNumber(line[LineVat]).value_or(0)).value_or(0)
                                                 : LIBFPTR_TAX_NO;
    kkt.setParam(LIBFPTR_PARAM_TAX_TYPE, tax);
    kkt.setParam(tag::PaymentObject, wholeNumber(line[LineSubject]).value_or(0));
    kkt.setParam(tag::PaymentMethod, job.paymentFlag);
    if (markType == 0) {
        const QString code = line[LineGtin].trimmed();
        if (!code.isEmpty() && sendsProductCode(code)) kkt.setParam(LIBFPTR_PARAM_PRODUCT_CODE, code);
    } else if (soldWithoutCode(line)) {
        // Excise goods sold without a code carry no marking requisites.
    } else {
        kkt.setParam(LIBFPTR_PARAM_MARKING_CODE, line[LineMarkCode]);
        kkt.setParam(LIBFPTR_PARAM_MARKING_CODE_STATUS, wholeNumber(line[LineMarkStatus]).value_or(0));
        kkt.setParam(LIBFPTR_PARAM_MARKING_PROCESSING_MODE, 0);
        kkt.setParam(LIBFPTR_PARAM_MARKING_CODE_ONLINE_VALIDATION_RESULT,
                     wholeNumber(line[LineOnlineResult]).value_or(0));
        if (!line[LineFraction].trimmed().isEmpty())
            kkt.setParam(LIBFPTR_PARAM_MARKING_FRACTIONAL_QUANTITY, line[LineFraction].trimmed());
    }
    if (job.legalEntity && realCountry(line[LineCountry])) {
        kkt.setParam(tag::OriginCountry, line[LineCountry].trimmed());
        if (!line[LineCustoms].trimmed().isEmpty()) kkt.setParam(tag::CustomsDeclaration, line[LineCustoms].trimmed());
    }
}

}  // namespace

QString unresolvedPrintText(const QString& driverDescription) { return unresolvedTextImpl(driverDescription); }
QString earlierPrintedText(int number) { return earlierPrintedImpl(number); }
QString earlierOtherPrintedText(int number) { return earlierOtherPrintedImpl(number); }

QString printErrorText(const QString& driverDescription) {
    return QStringLiteral(" При печати чека произошла ошибка.     ") + kCrLf + driverAnswer(driverDescription) + kCrLf +
           kCrLf + QStringLiteral(" Чек не будет записан в Базу Данных.     ");
}

RegisterCheck checkRegisterBeforePayment(IFiscalDriver* driver) {
    RegisterCheck check;
    if (!driver) {
        check.message = printText::kNoDriver;
        return check;
    }
    if (driver->open() != 0) {
        check.connectionLost = true;
        check.message = printText::kNoLink;
        return check;
    }
    driver->setParam(LIBFPTR_PARAM_DATA_TYPE, LIBFPTR_DT_STATUS);
    if (driver->queryData() != 0 || driver->errorCode() != 0) {
        check.message = driver->errorDescription() + QStringLiteral("    ");
        return check;
    }
    switch (driver->getParamInt(LIBFPTR_PARAM_SHIFT_STATE)) {
    case LIBFPTR_SS_CLOSED: check.message = printText::kPayShiftClosed; return check;
    case LIBFPTR_SS_EXPIRED: check.message = printText::kPayShiftExpired; return check;
    default: break;
    }
    check.ok = true;
    return check;
}

std::optional<int> receiptTypeOf(int kind) {
    switch (kind) {
    case 1: return LIBFPTR_RT_SELL;
    case 2: return LIBFPTR_RT_SELL_RETURN;
    case 3: return LIBFPTR_RT_BUY;
    case 4: return LIBFPTR_RT_BUY_RETURN;
    default: return std::nullopt;
    }
}

std::optional<int> taxSystemOf(int taxSystemCode) {
    switch (taxSystemCode) {
    case 1: return LIBFPTR_TT_OSN;
    case 2: return LIBFPTR_TT_USN_INCOME;
    case 4: return LIBFPTR_TT_USN_INCOME_OUTCOME;
    case 16: return LIBFPTR_TT_ESN;
    case 32: return LIBFPTR_TT_PATENT;
    default: return std::nullopt;
    }
}

std::optional<int> vatTypeOf(int vatCode) {
    switch (vatCode) {
    case 1: return LIBFPTR_TAX_VAT20;
    case 2: return LIBFPTR_TAX_VAT10;
    case 3: return LIBFPTR_TAX_VAT120;
    case 4: return LIBFPTR_TAX_VAT110;
    case 5: return LIBFPTR_TAX_VAT0;
    case 6: return LIBFPTR_TAX_NO;
    default: return std::nullopt;
    }
}

bool sendsProductCode(const QString& code) {
    QString digits = code.trimmed();
    while (digits.startsWith(QLatin1Char('0'))) digits.remove(0, 1);
    if (digits.size() == 13) {
        const std::optional<int> prefix = wholeNumber(digits.left(2));
        if (prefix && *prefix >= 20 && *prefix <= 29) return false;
    }
    return true;
}

QString rowProblem(const QStringList& line, int row, int paymentFlag, int taxSystemCode) {
    const QString n = QString::number(row);
    if (line.size() < kReceiptLineSize) return rowError(QStringLiteral("Некорректные данные позиции ") + n + QLatin1Char('.'));
    if (paymentFlag != PayAdvance && line[LineName].trimmed().isEmpty())
        return QStringLiteral(" При работе приложения произошла ошибка:     ") + kCrLf +
               QStringLiteral("   Отсутствует наименование товара.     ") + failureTail();
    const std::optional<int> markType = wholeNumber(line[LineMarkType]);
    if (!markType || (*markType != 0 && !isRegisteredMarkType(*markType)))
        return QStringLiteral(" При работе программы произошла ошибка:     ") + kCrLf +
               QStringLiteral("   Неизвестный тип маркировки.     ") + failureTail();
    if (taxSystemCode == kTaxOsn && !vatTypeOf(wholeNumber(line[LineVat]).value_or(0)))
        return QStringLiteral(" При работе программы произошла ошибка:      ") + kCrLf +
               QStringLiteral("   Неизвестное значение реквизита 'Ставка НДС'.     ") + failureTail();
    if (!isMeasureCode(measureCodeOf(line[LineMeasure])))
        return rowError(QStringLiteral("Некорректное значение реквизита 'мера количества' в позиции ") + n + QLatin1Char('.'));
    const std::optional<Money> price = Money::parse(line[LinePrice]);
    const std::optional<Qty> qty = Qty::parse(line[LineQty]);
    if (!price || price->kopecks < 0 || !qty || !qty->isPositive() || !registeredLineSum(line))
        return rowError(QStringLiteral("Некорректная цена или количество в позиции ") + n + QLatin1Char('.'));
    const std::optional<int> subject = wholeNumber(line[LineSubject]);
    if (!subject || *subject < 1 || *subject > 33)
        return rowError(QStringLiteral("Некорректный признак предмета расчета в позиции ") + n + QLatin1Char('.'));
    if (*markType != 0 && !soldWithoutCode(line) &&
        (line[LineMarkCode].isEmpty() || !wholeNumber(line[LineMarkStatus]) || !wholeNumber(line[LineOnlineResult])))
        return rowError(QStringLiteral("Некорректные данные кода маркировки в позиции ") + n + QLatin1Char('.'));
    return lineWidthProblem(line, row);
}

ReceiptPrinter::ReceiptPrinter(const QString& stateFolder) : journal_(stateFolder) { journal_.adoptOldFiles(); }

PrintOutcome ReceiptPrinter::print(IFiscalDriver* driver, const PrintJob& job) {
    if (!driver) return failed(printText::kNoDriver);
    const RegisterAnswer answer = askRegisterAboutJournal(journal_, driver);
    PrintOutcome o;
    o.job = job;
    o.connectionLost = answer.connectionLost;
    if (answer.blocked) {
        o.state = PrintOutcome::State::Unknown;
        o.messages = answer.messages;
        for (const JournalRecord& r : answer.unresolved) {
            if (sameSale(r.job, job)) {
                o.unresolvedIsThisSale = true;
                o.recordId = r.id;
            }
        }
        return o;
    }
    for (const JournalRecord& r : answer.printedNow) {
        if (!sameSale(r.job, job)) continue;
        // The receipt on the screen is the one printed: it is done, with
        // what the register was sent then.
        o.state = PrintOutcome::State::Printed;
        o.job = r.job;
        o.document = r.document;
        o.recordId = r.id;
        o.messages.append({earlierPrintedImpl(r.document.number), PrintMessage::Kind::Information});
        return o;
    }
    if (!answer.printedNow.isEmpty()) {
        const JournalRecord& r = answer.printedNow.first();
        o.state = PrintOutcome::State::NotPrinted;
        o.earlier = PrintOutcome::Earlier{r.job, r.document, r.id};
        o.messages.append({earlierOtherPrintedImpl(r.document.number), PrintMessage::Kind::Warning});
        return o;
    }
    return printNew(*driver, job);
}

PrintOutcome ReceiptPrinter::resolveUnresolved(IFiscalDriver* driver) {
    PrintOutcome o;
    if (!driver) return failed(printText::kNoDriver);
    const RegisterAnswer answer = askRegisterAboutJournal(journal_, driver);
    o.connectionLost = answer.connectionLost;
    if (answer.blocked) {
        o.state = PrintOutcome::State::Unknown;
        o.messages = answer.messages;
        return o;
    }
    if (!answer.printedNow.isEmpty()) {
        const JournalRecord& r = answer.printedNow.first();
        o.earlier = PrintOutcome::Earlier{r.job, r.document, r.id};
        o.messages.append({earlierPrintedImpl(r.document.number), PrintMessage::Kind::Information});
    }
    return o;
}

PrintOutcome ReceiptPrinter::printNew(IFiscalDriver& kkt, const PrintJob& job) {
    PrintOutcome o = printOnRegister(kkt, job);
    startClean_ = o.state != PrintOutcome::State::Printed;
    return o;
}

namespace {

// The marking system's answer is awaited this often and this many times
// before a resent code is given up.
constexpr int kResendPollMs = 100;
constexpr int kResendPolls = 100;

QString markResendRefused(int row, const QString& description) {
    return QStringLiteral(" Код маркировки позиции ") + QString::number(row) +
           QStringLiteral(" не принят ККТ при повторной печати.     ") + kCrLf + driverAnswer(description) + kCrLf +
           kCrLf + QStringLiteral(" Чек не напечатан.     ");
}

// What the register's failed call said, and the check it had running ended.
QString endCheck(IFiscalDriver& kkt) {
    const QString description = kkt.errorDescription();
    kkt.cancelMarkingCodeValidation();
    return description;
}

}  // namespace

QString ReceiptPrinter::resendMarkingCodes(IFiscalDriver& kkt, const PrintJob& job) {
    // A check left running holds the drive.
    kkt.cancelMarkingCodeValidation();
    for (int i = 0; i < job.lines.size(); ++i) {
        const QStringList& line = job.lines[i];
        if (wholeNumber(line[LineMarkType]).value_or(0) == 0 || soldWithoutCode(line)) continue;
        kkt.setParam(LIBFPTR_PARAM_MARKING_CODE_TYPE, LIBFPTR_MCT12_AUTO);
        kkt.setParam(LIBFPTR_PARAM_MARKING_CODE, line[LineMarkCode]);
        kkt.setParam(LIBFPTR_PARAM_MARKING_CODE_STATUS, wholeNumber(line[LineMarkStatus]).value_or(0));
        kkt.setParam(LIBFPTR_PARAM_MARKING_PROCESSING_MODE, 0);
        if (!line[LineFraction].trimmed().isEmpty()) {
            kkt.setParam(LIBFPTR_PARAM_QUANTITY, 1);
            kkt.setParam(LIBFPTR_PARAM_MEASUREMENT_UNIT, LIBFPTR_IU_PIECE);
            kkt.setParam(LIBFPTR_PARAM_MARKING_FRACTIONAL_QUANTITY, line[LineFraction].trimmed());
        }
        kkt.setParam(LIBFPTR_PARAM_MARKING_WAIT_FOR_VALIDATION_RESULT, true);
        if (kkt.beginMarkingCodeValidation() != 0 || kkt.errorCode() != 0)
            return markResendRefused(i + 1, endCheck(kkt));
        for (int poll = 0;; ++poll) {
            if (kkt.getMarkingCodeValidationStatus() != 0 || kkt.errorCode() != 0)
                return markResendRefused(i + 1, endCheck(kkt));
            if (kkt.getParamBool(LIBFPTR_PARAM_MARKING_CODE_VALIDATION_READY)) break;
            if (poll >= kResendPolls) {
                kkt.cancelMarkingCodeValidation();
                return markResendRefused(i + 1, QStringLiteral("Нет ответа о результате проверки кода маркировки"));
            }
            QThread::msleep(kResendPollMs);
            tell(0, int(job.lines.size()));
        }
        // The cashier took the code when it was scanned, whatever the
        // marking system said; the receipt carries that answer.
        if (kkt.acceptMarkingCode() != 0 || kkt.errorCode() != 0) return markResendRefused(i + 1, endCheck(kkt));
    }
    return {};
}

PrintOutcome ReceiptPrinter::printOnRegister(IFiscalDriver& kkt, const PrintJob& job) {
    const QString cashier = job.cashierName.trimmed();
    if (cashier.isEmpty() || cashier == core::kBuiltinAdmin) return failed(printText::kBadUser);

    if (kkt.open() != 0) {
        PrintOutcome o = failed(printText::kNoLink);
        o.connectionLost = true;
        return o;
    }
    kkt.resetError();
    kkt.setParam(LIBFPTR_PARAM_DATA_TYPE, LIBFPTR_DT_STATUS);
    if (kkt.queryData() != 0 || kkt.errorCode() != 0) return failed(kkt.errorDescription() + QStringLiteral("    "));
    const int shift = kkt.getParamInt(LIBFPTR_PARAM_SHIFT_STATE);
    if (shift == LIBFPTR_SS_CLOSED) return failed(printText::kShiftClosed);
    if (shift == LIBFPTR_SS_EXPIRED) return failed(printText::kShiftExpired);
    // A receipt someone opened and never finished was never fiscalised:
    // it would only block this one.
    if (kkt.getParamInt(LIBFPTR_PARAM_RECEIPT_TYPE) != LIBFPTR_RT_CLOSED && kkt.cancelReceipt() != 0)
        return failed(kkt.errorDescription() + QStringLiteral("    "));

    const std::optional<FiscalDocumentInfo> before = readLastDocument(kkt);
    if (!before) return failed(kkt.errorDescription() + QStringLiteral("    "));

    // Everything that can be refused is refused before the receipt opens.
    const std::optional<int> receiptType = receiptTypeOf(job.kind);
    if (!receiptType)
        return failed(QStringLiteral(" В программе произошел сбой:     ") + kCrLf +
                      QStringLiteral(" 'некорректное значение признака расчета'.     ") + failureTail());
    const std::optional<int> taxSystem = taxSystemOf(job.taxSystemCode);
    if (!taxSystem) {
        if (job.taxSystemCode == kTaxEnvd)
            return failed(failureText(QStringLiteral("некорректная СНО - ЕНВД"), taxSystemAdvice()));
        return failed(failureText(QStringLiteral("неизвестная система налогообложения (СНО)"), taxSystemAdvice()));
    }
    for (int i = 0; i < job.lines.size(); ++i) {
        const QString problem = rowProblem(job.lines[i], i + 1, job.paymentFlag, job.taxSystemCode);
        if (!problem.isEmpty()) return failed(problem);
    }
    // What the register prints must fit the database afterwards.
    if (const QString sums = receiptSumsProblem(job.totalText, job.cash, job.card, job.prepay); !sums.isEmpty())
        return failed(sums);
    tell(0, int(job.lines.size()));
    if (startClean_) {
        if (const QString refused = resendMarkingCodes(kkt, job); !refused.isEmpty()) return failed(refused);
    }

    kkt.setParam(tag::CashierName, cashier);
    // Sent even when empty: the receipt never carries the tax number of
    // whoever logged in on the register before.
    kkt.setParam(tag::CashierInn, job.cashierInn.trimmed());
    kkt.operatorLogin();
    kkt.resetError();

    if (job.legalEntity) {
        kkt.setParam(tag::BuyerName, job.buyerName.trimmed());
        kkt.setParam(tag::BuyerInn, job.buyerInn.trimmed());
        if (kkt.utilFormTlv() != 0 || kkt.errorCode() != 0)
            return failed(kkt.errorDescription() + QStringLiteral("    "));
        const QByteArray buyer = kkt.getParamByteArray(LIBFPTR_PARAM_TAG_VALUE);
        kkt.setParam(tag::BuyerInfo, buyer);
    }
    kkt.setParam(LIBFPTR_PARAM_RECEIPT_TYPE, *receiptType);
    if (!job.buyerContact.trimmed().isEmpty()) {
        kkt.setParam(tag::BuyerContact, job.buyerContact.trimmed());
        kkt.setParam(tag::SenderEmail, job.ourEmail.trimmed());
    }
    kkt.setParam(tag::TaxSystem, *taxSystem);
    if (job.kind == 2 && !job.refundedFiscalSign.trimmed().isEmpty())
        kkt.setParam(tag::AdditionalRequisite, job.refundedFiscalSign.trimmed());

    // The whole job is in the journal before the register may print any of
    // it: a crash from here on leaves a record the next login settles.
    JournalRecord record;
    record.id = journal_.newId();
    record.job = job;
    record.documentBefore = before->number;
    if (!journal_.put(record)) return failed(journalNotWritten(journal_.lastError()));
    // A refusal the register took back (the receipt cancelled) printed
    // nothing: the record goes. One it could not take back stays, and is
    // settled before anything else prints.
    const auto refusedAfterOpen = [&](const QString& text, bool cancelled) {
        if (cancelled) journal_.remove(record.id);
        PrintOutcome o = failed(text);
        o.afterOpen = true;
        return o;
    };

    if (kkt.openReceipt() != 0) {
        const QString text = QString::number(kkt.errorCode()) + QStringLiteral("   ") + kkt.errorDescription();
        if (!receiptOpenInRegister(kkt)) journal_.remove(record.id);
        return failed(text, PrintMessage::Kind::Plain);
    }

    for (int i = 0; i < job.lines.size(); ++i) {
        registerRowParams(kkt, job.lines[i], job);
        if (kkt.registration() != 0 || kkt.errorCode() != 0) {
            const QString description = kkt.errorDescription();
            const QString tail = cancelAndTell(kkt);
            return refusedAfterOpen(registrationRefused(i + 1, description, tail), tail == cancelledTail());
        }
        tell(i + 1, int(job.lines.size()));
    }

    const struct {
        Money sum;
        int type;
    } payments[] = {{job.card, LIBFPTR_PT_ELECTRONICALLY}, {job.prepay, LIBFPTR_PT_PREPAID}, {job.cash, LIBFPTR_PT_CASH}};
    for (const auto& p : payments) {
        if (p.sum.isZero()) continue;
        kkt.setParam(LIBFPTR_PARAM_PAYMENT_TYPE, p.type);
        kkt.setParam(LIBFPTR_PARAM_PAYMENT_SUM, p.sum.toString());
        if (kkt.payment() != 0 || kkt.errorCode() != 0) {
            const QString description = kkt.errorDescription();
            const QString tail = cancelAndTell(kkt);
            return refusedAfterOpen(paymentRefused(description, tail), tail == cancelledTail());
        }
    }

    const bool closeOk = kkt.closeReceipt() == 0 && kkt.errorCode() == 0;
    QString description = closeOk ? QString() : kkt.errorDescription();
    const bool checkOk = kkt.checkDocumentClosed() == 0 && kkt.errorCode() == 0;
    std::optional<bool> closed;
    if (checkOk) closed = kkt.getParamBool(LIBFPTR_PARAM_DOCUMENT_CLOSED);
    else if (description.isEmpty()) description = kkt.errorDescription();

    if (!closeOk || !checkOk) return afterFailedClose(kkt, record, description, closed);

    if (!*closed) {
        const bool cancelled = kkt.cancelReceipt() == 0 && kkt.errorCode() == 0;
        return refusedAfterOpen(printText::kNotClosed, cancelled);
    }

    PrintOutcome o;
    o.state = PrintOutcome::State::Printed;
    o.job = job;
    o.recordId = record.id;
    record.closed = true;
    std::optional<FiscalDocumentInfo> doc = readLastDocument(kkt);
    if (!doc || !documentKnown(*doc)) doc = readLastDocument(kkt);
    if (doc && documentKnown(*doc)) {
        o.document = *doc;
        record.document = *doc;
    } else {
        // Printed, but its number and sign are not known: it stays in the
        // journal until the register tells them; nothing prints before.
        o.messages.append({documentNotRead(), PrintMessage::Kind::Warning});
    }
    if (!journal_.put(record)) o.messages.append({journalNotUpdated(journal_.lastError()), PrintMessage::Kind::Warning});
    return o;
}

PrintOutcome ReceiptPrinter::afterFailedClose(IFiscalDriver& kkt, JournalRecord record, const QString& description,
                                              std::optional<bool> documentClosed) {
    PrintOutcome o;
    o.job = record.job;
    o.afterOpen = true;
    o.recordId = record.id;
    const std::optional<FiscalDocumentInfo> doc = readLastDocument(kkt);
    if (!doc) {
        // Neither printed nor surely not: the record stays, so that no new
        // print runs before the register has told, even after a restart.
        o.state = PrintOutcome::State::Unknown;
        o.unresolvedIsThisSale = true;
        o.messages.append({unresolvedTextImpl(description), PrintMessage::Kind::Error});
        return o;
    }
    if (doc->number > record.documentBefore) {
        o.state = PrintOutcome::State::Printed;
        record.closed = true;
        if (documentKnown(*doc)) {
            o.document = *doc;
            record.document = *doc;
        }
        o.messages.append({printedDespiteError(doc->number, description), PrintMessage::Kind::Information});
        if (!documentKnown(*doc)) o.messages.append({documentNotRead(), PrintMessage::Kind::Warning});
        if (!journal_.put(record))
            o.messages.append({journalNotUpdated(journal_.lastError()), PrintMessage::Kind::Warning});
        return o;
    }
    // Not fiscalised: nothing may stay open in the register.
    bool open = documentClosed == false || receiptOpenInRegister(kkt);
    if (open) open = !(kkt.cancelReceipt() == 0 && kkt.errorCode() == 0);
    if (!open) journal_.remove(record.id);
    o.state = PrintOutcome::State::NotPrinted;
    o.messages.append({printErrorText(description), PrintMessage::Kind::Error});
    return o;
}

}  // namespace sales
