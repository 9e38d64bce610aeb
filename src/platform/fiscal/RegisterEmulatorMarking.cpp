// Marking-code validation and the TLV utility.
#include "platform/fiscal/Amounts.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "platform/fiscal/Tlv.h"

#include <QThread>

namespace fiscal {

int RegisterEmulator::beginMarkingCodeValidation() {
    // The drive takes its time; the caller waits in a worker thread. The
    // pause is taken before the lock so that other calls are not held up.
    if (const int delay = validationStartDelay_.load(); delay > 0) QThread::msleep(static_cast<unsigned long>(delay));
    auto call = enter("beginMarkingCodeValidation");
    if (call.refused) return -1;
    if (validation_)
        return refuse(LIBFPTR_ERROR_MARKING_CODE_VALIDATION_IN_PROGRESS, QStringLiteral("Проверка КМ уже выполняется"));
    const ParamList& in = call.in;
    const QString code = in.value(LIBFPTR_PARAM_MARKING_CODE).toString();
    if (code.isEmpty()) return refuse(LIBFPTR_ERROR_NO_REQUIRED_PARAM, QStringLiteral("Не указан код маркировки"));
    if (in.has(LIBFPTR_PARAM_MARKING_CODE_TYPE) &&
        toWholeNumber(in.value(LIBFPTR_PARAM_MARKING_CODE_TYPE)) != LIBFPTR_MCT12_AUTO)
        return refuse(LIBFPTR_ERROR_NOT_SUPPORTED, QStringLiteral("Неподдерживаемый тип кода маркировки"));
    const auto status = toWholeNumber(in.value(LIBFPTR_PARAM_MARKING_CODE_STATUS));
    if (!status || *status < LIBFPTR_MES_PIECE_SOLD || *status > LIBFPTR_MES_DRY_RETURN)
        return refuse(LIBFPTR_ERROR_INVALID_MARKING_CODE_STATUS, QStringLiteral("Неверный планируемый статус товара"));
    if (in.has(LIBFPTR_PARAM_MARKING_PROCESSING_MODE) &&
        toWholeNumber(in.value(LIBFPTR_PARAM_MARKING_PROCESSING_MODE)) != 0)
        return refuse(LIBFPTR_ERROR_INVALID_PARAM, QStringLiteral("Неверный режим обработки кода маркировки"));
    if (isFractionalStatus(*status) &&
        !isValidFraction(in.value(LIBFPTR_PARAM_MARKING_FRACTIONAL_QUANTITY).toString()))
        return refuse(LIBFPTR_ERROR_INVALID_PARAM, QStringLiteral("Неверное дробное количество"));
    if (in.has(LIBFPTR_PARAM_QUANTITY)) {
        const auto quantity = toScaled(in.value(LIBFPTR_PARAM_QUANTITY), 3);
        if (!quantity || *quantity <= 0)
            return refuse(LIBFPTR_ERROR_INVALID_QUANTITY, QStringLiteral("Неверное количество"));
    }
    MarkingValidation validation;
    validation.code = code;
    validation.plannedStatus = *status;
    validation.script = markingScripts_.value(code, defaultMarkingScript_);
    validation_ = validation;
    outputs_[LIBFPTR_PARAM_MARKING_CODE_VALIDATION_RESULT] = validation.script.validationResult;
    outputs_[LIBFPTR_PARAM_MARKING_CODE_OFFLINE_VALIDATION_ERROR] = validation.script.offlineError;
    return 0;
}

int RegisterEmulator::getMarkingCodeValidationStatus() {
    auto call = enter("getMarkingCodeValidationStatus");
    if (call.refused) return -1;
    if (!validation_)
        return refuse(LIBFPTR_ERROR_MARKING_CODE_VALIDATION_NOT_STARTED, QStringLiteral("Проверка КМ не запущена"));
    validation_->polls += 1;
    const MarkingScript& script = validation_->script;
    const bool ready = validation_->ready();
    outputs_[LIBFPTR_PARAM_MARKING_CODE_VALIDATION_READY] = ready;
    outputs_[LIBFPTR_PARAM_MARKING_CODE_VALIDATION_RESULT] = script.validationResult;
    if (ready) {
        outputs_[LIBFPTR_PARAM_MARKING_CODE_ONLINE_VALIDATION_ERROR] = script.onlineError;
        outputs_[LIBFPTR_PARAM_MARKING_CODE_ONLINE_VALIDATION_ERROR_DESCRIPTION] = script.onlineErrorDescription;
        outputs_[LIBFPTR_PARAM_MARKING_CODE_ONLINE_VALIDATION_RESULT] = script.onlineResult;
    }
    return 0;
}

int RegisterEmulator::acceptMarkingCode() {
    auto call = enter("acceptMarkingCode");
    if (call.refused) return -1;
    if (!validation_)
        return refuse(LIBFPTR_ERROR_MARKING_CODE_VALIDATION_NOT_STARTED, QStringLiteral("Проверка КМ не запущена"));
    if (!validation_->ready())
        return refuse(LIBFPTR_ERROR_MARKING_CODE_NOT_READY, QStringLiteral("Результат проверки КМ еще не получен"));
    RegisterState next = state_;
    if (!next.acceptedMarkingCodes.contains(validation_->code)) next.acceptedMarkingCodes.append(validation_->code);
    if (!commit(next)) return -1;
    outputs_[LIBFPTR_PARAM_MARKING_CODE_ONLINE_VALIDATION_RESULT] = validation_->script.onlineResult;
    validation_.reset();
    return 0;
}

int RegisterEmulator::declineMarkingCode() {
    auto call = enter("declineMarkingCode");
    if (call.refused) return -1;
    if (!validation_)
        return refuse(LIBFPTR_ERROR_MARKING_CODE_VALIDATION_NOT_STARTED, QStringLiteral("Проверка КМ не запущена"));
    if (!validation_->ready())
        return refuse(LIBFPTR_ERROR_MARKING_CODE_NOT_READY, QStringLiteral("Результат проверки КМ еще не получен"));
    validation_.reset();
    return 0;
}

int RegisterEmulator::cancelMarkingCodeValidation() {
    auto call = enter("cancelMarkingCodeValidation");
    if (call.refused) return -1;
    // Cancelling when nothing runs is harmless: the caller only wants the drive free.
    validation_.reset();
    return 0;
}

int RegisterEmulator::clearMarkingCodeValidationResult() {
    auto call = enter("clearMarkingCodeValidationResult");
    if (call.refused) return -1;
    // The code being checked is not in the table yet; its check must be
    // ended first, or it could be accepted right after the clearing.
    if (validation_)
        return refuse(LIBFPTR_ERROR_MARKING_CODE_VALIDATION_IN_PROGRESS, QStringLiteral("Проверка КМ уже выполняется"));
    // A code registered in the open receipt stays: closing that receipt uses it up.
    QStringList kept;
    for (const QString& code : state_.acceptedMarkingCodes) {
        if (!state_.receipt) break;
        for (const auto& p : state_.receipt->positions)
            if (p.markingCode == code) {
                kept.append(code);
                break;
            }
    }
    if (kept == state_.acceptedMarkingCodes) return 0;
    RegisterState next = state_;
    next.acceptedMarkingCodes = kept;
    return commit(next) ? 0 : -1;
}

int RegisterEmulator::utilFormTlv() {
    // Works in the driver alone, with or without the register connected.
    auto call = enter("utilFormTlv", false);
    if (call.refused) return -1;
    QByteArray block;
    for (const auto& [id, value] : call.in.items) {
        if (id <= 0 || id > 0xFFFF) continue;  // not a tag
        QByteArray bytes;
        if (value.typeId() == QMetaType::QByteArray) {
            bytes = value.toByteArray();
        } else {
            const QString text = value.toString().trimmed();
            const int limit = id == tag::BuyerInn ? 12 : 256;
            if (text.size() > limit)
                return refuse(LIBFPTR_ERROR_INVALID_PARAM, QStringLiteral("Слишком длинное значение реквизита %1").arg(id));
            const auto encoded = toCp866(text);
            if (!encoded)
                return refuse(LIBFPTR_ERROR_INVALID_PARAM, QStringLiteral("Недопустимые символы в реквизите %1").arg(id));
            bytes = *encoded;
        }
        block += encodeTlv(id, bytes);
    }
    if (block.isEmpty()) return refuse(LIBFPTR_ERROR_NO_REQUIRED_PARAM, QStringLiteral("Не указаны реквизиты"));
    outputs_[LIBFPTR_PARAM_TAG_VALUE] = block;
    return 0;
}

}  // namespace fiscal
