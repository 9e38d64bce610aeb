#include "sales/marking/MarkingCheck.h"

#include "platform/ui/MessageService.h"
#include "sales/marking/uCodeValidationProcess.h"
#include "sales/screen/MainScreenState.h"

#include <QEventLoop>
#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace sales {

namespace {

using namespace fiscal;

const QString kCrLf = QStringLiteral("\r\n");

// The marking system is asked this often while the cashier waits: often
// enough to feel immediate, rarely enough to leave the register's line free.
constexpr int kPollIntervalMs = 200;

bool checkRunning = false;

QString startFailureText(int code, const QString& description) {
    return QStringLiteral(" Не получилось запустить проверку КМ.     ") + kCrLf + QStringLiteral(" Ответ драйвера ККТ :") +
           kCrLf + QStringLiteral("  Код ошибки ") + QString::number(code) + kCrLf + QStringLiteral(" '") + description +
           QStringLiteral("'     ");
}

// The driver's refusal of one of its methods, as the cashier reads it.
QString driverMethodFailure(const QString& method, int code, const QString& description, bool twoBlanks) {
    const QString indent = twoBlanks ? QStringLiteral("  ") : QStringLiteral(" ");
    return QStringLiteral(" Ошибка при выполнении метода драйвера ККТ '") + method + QStringLiteral("'.     ") + kCrLf +
           kCrLf + QStringLiteral(" Ответ драйвера ККТ :") + kCrLf + indent + QStringLiteral("Код ошибки ") +
           QString::number(code) + kCrLf + indent + QStringLiteral("'") + description + QStringLiteral("'     ");
}

class Check {
public:
    Check(IFiscalDriver& kkt, QWidget* owner, ValidationWaitView& view) : kkt_(kkt), owner_(owner), view_(view) {}

    MarkCheckResult run(const MarkCheckRequest& request) {
        kkt_.setParam(LIBFPTR_PARAM_MARKING_CODE_TYPE, LIBFPTR_MCT12_AUTO);
        kkt_.setParam(LIBFPTR_PARAM_MARKING_CODE, request.code);

        const QString fraction = FractionText(request.fractionNumerator, request.fractionDenominator);
        const PlannedStatus planned = PlannedMarkStatus(request.receiptKind, request.fractionNumerator, fraction);
        if (planned.status == 0) {
            ui::messages().show(owner_, planned.refusal, ui::Icon::Error);
            return result_;
        }
        kkt_.setParam(LIBFPTR_PARAM_MARKING_CODE_STATUS, planned.status);
        result_.markCodeStatus = planned.status;
        kkt_.setParam(LIBFPTR_PARAM_MARKING_PROCESSING_MODE, 0);
        if (!fraction.isEmpty()) {
            kkt_.setParam(LIBFPTR_PARAM_QUANTITY, 1);
            kkt_.setParam(LIBFPTR_PARAM_MEASUREMENT_UNIT, LIBFPTR_IU_PIECE);
            kkt_.setParam(LIBFPTR_PARAM_MARKING_FRACTIONAL_QUANTITY, fraction);
        }
        kkt_.setParam(LIBFPTR_PARAM_MARKING_WAIT_FOR_VALIDATION_RESULT, true);

        view_.showStarting();
        startValidation();
        const int startError = kkt_.errorCode();
        if (startError != 0) {
            const QString description = kkt_.errorDescription();
            if (startError == LIBFPTR_ERROR_MARKING_CODE_VALIDATION_IN_PROGRESS) {
                // A check left over from before holds the drive; freeing it
                // lets the cashier's next attempt through.
                kkt_.cancelMarkingCodeValidation();
                view_.hideView();
                ui::messages().show(owner_,
                                    QStringLiteral(" Не получилось запустить проверку КМ.     ") + kCrLf +
                                        QStringLiteral(" Повторите попытку."),
                                    ui::Icon::Error);
                return result_;
            }
            view_.hideView();
            ui::messages().show(owner_, startFailureText(startError, description), ui::Icon::Error);
            return result_;
        }

        result_.validationResult = kkt_.getParamInt(LIBFPTR_PARAM_MARKING_CODE_VALIDATION_RESULT);
        if (result_.validationResult == 0) {
            if (kkt_.getParamInt(LIBFPTR_PARAM_MARKING_CODE_OFFLINE_VALIDATION_ERROR) == LIBFPTR_CER_NO_KEYS) {
                view_.hideView();
                const ui::Answer answer = ui::messages().askYesNoCancel(
                    owner_,
                    QStringLiteral(" Код маркировки не может быть проверен в ФН, т.к.     ") + kCrLf +
                        QStringLiteral(" ФН не содержит ключ проверки кода проверки этого КМ.     ") + kCrLf + kCrLf +
                        QStringLiteral(" Дождаться результат проверки КМ в ИСМ?      "),
                    ui::Icon::Question);
                if (answer != ui::Answer::Yes)
                    return stop(QStringLiteral(" Проверка КМ остановлена пользователем.     "), false);
            }
        } else if (result_.validationResult == 1) {
            view_.hideView();
            const ui::Answer answer = ui::messages().askCaptioned(
                owner_, QString(),
                QStringLiteral(" Результат проверки кода маркировки в ФН - ОТРИЦАТЕЛЬНЫЙ.     ") + kCrLf + kCrLf +
                    QStringLiteral(" Дождаться результата проверки в ИСМ?"),
                ui::Icon::Question, true, ui::Answer::No);
            if (answer != ui::Answer::Yes)
                return stop(QStringLiteral(" Проверка КМ прервана пользователем.     "), true);
        }

        view_.showWaiting();
        if (!waitForAnswer()) return stop(QStringLiteral(" Проверка прервана пользователем.     "), true);
        view_.finish();

        const int onlineError = kkt_.getParamInt(LIBFPTR_PARAM_MARKING_CODE_ONLINE_VALIDATION_ERROR);
        if (onlineError != 0) {
            const QString description =
                kkt_.getParamString(LIBFPTR_PARAM_MARKING_CODE_ONLINE_VALIDATION_ERROR_DESCRIPTION);
            const ui::Answer answer = ui::messages().askCaptioned(
                owner_, QStringLiteral(" Проверка в ИСМ - неудача!"),
                QStringLiteral(" Проверка кода маркировки в ИСМ не удалась.     ") + kCrLf + kCrLf +
                    QStringLiteral(" Ответ драйвера ККТ : ") + kCrLf + QStringLiteral("  Код ошибки ") +
                    QString::number(onlineError) + kCrLf + QStringLiteral("  '") + description +
                    QStringLiteral("'     ") + kCrLf + kCrLf + QStringLiteral(" Покупатель согласен приобрести этот товар?"),
                ui::Icon::Question, false, ui::Answer::No);
            return answer == ui::Answer::Yes ? accept() : decline();
        }
        result_.onlineResult = kkt_.getParamInt(LIBFPTR_PARAM_MARKING_CODE_ONLINE_VALIDATION_RESULT);
        if (result_.onlineResult == 15) return accept();
        const ui::Answer answer = ui::messages().askCaptioned(
            owner_, QStringLiteral("ПРЕДУПРЕЖДЕНИЕ"),
            QStringLiteral(" Результат проверки кода маркировки в 'Честном знаке'.     ") + kCrLf + kCrLf +
                OnlineResultText(result_.onlineResult) + kCrLf + kCrLf +
                QStringLiteral(" Покупатель согласен приобрести этот товар?"),
            ui::Icon::Warning, true, ui::Answer::No);
        return answer == ui::Answer::Yes ? accept() : decline();
    }

private:
    // The drive may take seconds to start the check; the window stays alive
    // meanwhile, so the start runs off the window thread.
    void startValidation() {
        IFiscalDriver* kkt = &kkt_;
        QFutureWatcher<int> watcher;
        QEventLoop loop;
        QObject::connect(&watcher, &QFutureWatcher<int>::finished, &loop, &QEventLoop::quit);
        watcher.setFuture(QtConcurrent::run([kkt] { return kkt->beginMarkingCodeValidation(); }));
        if (!watcher.isFinished()) loop.exec();
        watcher.waitForFinished();
    }

    // Asks the register until the marking system answered (true) or the
    // cashier pressed Stop (false). The marking system may take long; only
    // the cashier decides when to give up.
    bool waitForAnswer() {
        QEventLoop loop;
        QTimer timer;
        timer.setInterval(kPollIntervalMs);
        bool ready = false;
        QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
            if (view_.stopRequested()) {
                loop.quit();
                return;
            }
            kkt_.getMarkingCodeValidationStatus();
            if (kkt_.getParamBool(LIBFPTR_PARAM_MARKING_CODE_VALIDATION_READY)) {
                ready = true;
                loop.quit();
            }
        });
        timer.start();
        loop.exec();
        return ready;
    }

    MarkCheckResult stop(const QString& text, bool twoBlanks) {
        view_.finish();
        if (kkt_.cancelMarkingCodeValidation() != 0) {
            ui::messages().show(owner_,
                                driverMethodFailure(QStringLiteral("Прервать проверку КМ"), kkt_.errorCode(),
                                                    kkt_.errorDescription(), twoBlanks),
                                ui::Icon::Error);
        } else {
            ui::messages().show(owner_, text, ui::Icon::Information);
        }
        return result_;
    }

    MarkCheckResult accept() {
        if (kkt_.acceptMarkingCode() != 0 || kkt_.errorCode() != 0) {
            const int code = kkt_.errorCode();
            const QString description = kkt_.errorDescription();
            // The drive must not stay busy with a code the receipt will not take.
            kkt_.cancelMarkingCodeValidation();
            ui::messages().show(owner_,
                                driverMethodFailure(QStringLiteral("Подтвердить КМ"), code, description, false) +
                                    kCrLf + kCrLf + QStringLiteral(" Товар в чек не добавлен.     "),
                                ui::Icon::Error);
            return result_;
        }
        result_.onlineResult = kkt_.getParamInt(LIBFPTR_PARAM_MARKING_CODE_ONLINE_VALIDATION_RESULT);
        result_.accepted = true;
        return result_;
    }

    MarkCheckResult decline() {
        if (kkt_.declineMarkingCode() != 0 || kkt_.errorCode() != 0) {
            const int code = kkt_.errorCode();
            const QString description = kkt_.errorDescription();
            kkt_.cancelMarkingCodeValidation();
            ui::messages().show(
                owner_, driverMethodFailure(QStringLiteral("Отклонить КМ"), code, description, false), ui::Icon::Error);
        }
        return result_;
    }

    IFiscalDriver& kkt_;
    QWidget* owner_;
    ValidationWaitView& view_;
    MarkCheckResult result_;
};

// The program's waiting window behind the view the check drives.
class WindowWaitView final : public ValidationWaitView {
public:
    explicit WindowWaitView(QWidget* owner) : owner_(owner) {}

    void showStarting() override { window().showStarting(); }
    void showWaiting() override { window().showWaiting(); }
    void hideView() override {
        if (fmCodeValidationProcess) fmCodeValidationProcess->hideKept();
    }
    void finish() override {
        if (fmCodeValidationProcess) fmCodeValidationProcess->finish();
    }
    bool stopRequested() const override { return fmCodeValidationProcess && fmCodeValidationProcess->stopRequested(); }

private:
    TfmCodeValidationProcess& window() {
        // A window kept from an earlier check serves again when it belongs to the same owner.
        if (fmCodeValidationProcess && fmCodeValidationProcess->parentWidget() != owner_) {
            delete fmCodeValidationProcess.data();
            fmCodeValidationProcess = nullptr;
        }
        if (!fmCodeValidationProcess) fmCodeValidationProcess = new TfmCodeValidationProcess(owner_);
        return *fmCodeValidationProcess;
    }

    QWidget* owner_;
};

}  // namespace

PlannedStatus PlannedMarkStatus(int receiptKind, int fractionNumerator, const QString& fractionText) {
    switch (receiptKind) {
    case KindSale: return {fractionNumerator != 0 ? LIBFPTR_MES_DRY_FOR_SALE : LIBFPTR_MES_PIECE_SOLD, {}};
    case KindSaleReturn: return {fractionText.isEmpty() ? LIBFPTR_MES_PIECE_RETURN : LIBFPTR_MES_DRY_RETURN, {}};
    case KindPurchase:
    case KindPurchaseReturn:
        return {0, QStringLiteral(" Для признаков расчета 'РАСХОД' и 'ВОЗВРАТ РАСХОДА'     ") + kCrLf +
                       QStringLiteral(" операции с маркированным товаром НЕ ПОДДЕРЖИВАЮТСЯ!     ")};
    default:
        return {0, QStringLiteral(" Сбой программы: неизвестный признак расчета.     ") + kCrLf + kCrLf +
                       QStringLiteral(" Перезапустите программу и продолжите работу.      ") + kCrLf +
                       QStringLiteral(" При повторении ошибки сообщите о проблеме разработчику.     ")};
    }
}

QString FractionText(int numerator, int denominator) {
    if (numerator == 0) return {};
    return QString::number(numerator) + QLatin1Char('/') + QString::number(denominator);
}

QString OnlineResultText(int onlineResult) {
    switch (onlineResult) {
    case 0: return QStringLiteral("[M] Проверка КП КМ не выполнена, статус товара не проверен.");
    case 1:
        return QStringLiteral("[M-] Проверка КП КМ выполнена в ФН с отрицательным результатом,     ") + kCrLf +
               QStringLiteral("статус товара не проверен.");
    case 3:
        return QStringLiteral("[M] Проверка КП КМ выполнена с положительным результатом,     ") + kCrLf +
               QStringLiteral("статус товара ОИСМ не проверен. ");
    case 5:
        return QStringLiteral("[M-] Проверка КП КМ выполнена с отрицательным результатом,     ") + kCrLf +
               QStringLiteral("статус товара у ОИСМ некорректен.");
    case 7:
        return QStringLiteral("M-] Проверка КП КМ выполнена с положительным результатом,     ") + kCrLf +
               QStringLiteral("статус товара у ОИСМ некорректен.");
    default: return {};
    }
}

MarkCheckResult CheckMarkingCode(IFiscalDriver& kkt, const MarkCheckRequest& request, QWidget* owner,
                                 ValidationWaitView& view) {
    // While the register is asked, the window thread keeps running: a second
    // scan or command must not start a second check on the same drive.
    if (checkRunning) return {};
    checkRunning = true;
    struct Release {
        ~Release() { checkRunning = false; }
    } release;
    return Check(kkt, owner, view).run(request);
}

MarkCheckResult CheckMarkingCode(IFiscalDriver& kkt, const MarkCheckRequest& request, QWidget* owner) {
    WindowWaitView view(owner);
    return CheckMarkingCode(kkt, request, owner, view);
}

bool markingCheckRunning() {
    return checkRunning;
}

}  // namespace sales
