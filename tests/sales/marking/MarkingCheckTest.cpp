// A marking code checked through the register emulator: what is sent before
// the start, every answer of the fiscal drive and the marking system, the
// cashier's decisions, and the register's refusals on the way.
#include "sales/marking/MarkingCheck.h"

#include "platform/fiscal/RegisterEmulator.h"
#include "sales/screen/MainScreenState.h"
#include "support/FakeMessages.h"

#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

using namespace fiscal;
using sales::CheckMarkingCode;
using sales::MarkCheckRequest;
using sales::MarkCheckResult;

const QString kCode = QStringLiteral("0104600000000017215abcdef\x1d" "93dGVz");
const QString kCrLf = QStringLiteral("\r\n");

// Stands in for the waiting window: records what the check shows, and
// presses Stop after a given number of looks at the button.
class RecordingView final : public sales::ValidationWaitView {
public:
    void showStarting() override { calls << QStringLiteral("starting"); }
    void showWaiting() override {
        calls << QStringLiteral("waiting");
        if (onWaiting) onWaiting();
    }
    void hideView() override { calls << QStringLiteral("hide"); }
    void finish() override { calls << QStringLiteral("finish"); }
    bool stopRequested() const override {
        ++looks;
        return stopAfterLooks >= 0 && looks > stopAfterLooks;
    }

    QStringList calls;
    int stopAfterLooks = -1;  // never
    mutable int looks = 0;
    std::function<void()> onWaiting;
};

struct Register {
    Register() {
        EXPECT_TRUE(dir.isValid());
        kkt = std::make_unique<RegisterEmulator>(dir.path());
        EXPECT_EQ(kkt->open(), 0);
    }
    // The marking methods called, in order.
    QStringList markingCalls() const {
        QStringList names;
        for (const JournalEntry& e : kkt->journal())
            if (e.method.contains(QLatin1String("Marking"))) names << e.method;
        return names;
    }
    std::optional<JournalEntry> lastCall(const QString& method) const {
        std::optional<JournalEntry> found;
        for (const JournalEntry& e : kkt->journal())
            if (e.method == method) found = e;
        return found;
    }
    QTemporaryDir dir;
    std::unique_ptr<RegisterEmulator> kkt;
};

MarkingScript script(int fn, int offline, int onlineError, int online, int polls = 1) {
    MarkingScript s;
    s.validationResult = fn;
    s.offlineError = offline;
    s.onlineError = onlineError;
    s.onlineErrorDescription = onlineError ? QStringLiteral("Нет связи с ИСМ") : QString();
    s.onlineResult = online;
    s.pollsUntilReady = polls;
    return s;
}

QString stopFailure(int code, const QString& description, const QString& indent) {
    return QStringLiteral(" Ошибка при выполнении метода драйвера ККТ 'Прервать проверку КМ'.     ") + kCrLf + kCrLf +
           QStringLiteral(" Ответ драйвера ККТ :") + kCrLf + indent + QStringLiteral("Код ошибки ") +
           QString::number(code) + kCrLf + indent + QStringLiteral("'") + description + QStringLiteral("'     ");
}

TEST(PlannedMarkStatus, FollowsReceiptKindAndFraction) {
    const QString purchase = QStringLiteral(" Для признаков расчета 'РАСХОД' и 'ВОЗВРАТ РАСХОДА'     ") + kCrLf +
                             QStringLiteral(" операции с маркированным товаром НЕ ПОДДЕРЖИВАЮТСЯ!     ");
    const QString unknown = QStringLiteral(" Сбой программы: неизвестный признак расчета.     ") + kCrLf + kCrLf +
                            QStringLiteral(" Перезапустите программу и продолжите работу.      ") + kCrLf +
                            QStringLiteral(" При повторении ошибки сообщите о проблеме разработчику.     ");
    struct Case {
        int kind;
        int numerator;
        QString fractionText;
        int status;
        QString refusal;
    };
    const Case cases[] = {
        {sales::KindSale, 0, {}, LIBFPTR_MES_PIECE_SOLD, {}},
        {sales::KindSale, 1, QStringLiteral("1/4"), LIBFPTR_MES_DRY_FOR_SALE, {}},
        {sales::KindSaleReturn, 0, {}, LIBFPTR_MES_PIECE_RETURN, {}},
        {sales::KindSaleReturn, 3, QStringLiteral("3/10"), LIBFPTR_MES_DRY_RETURN, {}},
        {sales::KindPurchase, 0, {}, 0, purchase},
        {sales::KindPurchaseReturn, 1, QStringLiteral("1/4"), 0, purchase},
        {0, 0, {}, 0, unknown},
        {7, 0, {}, 0, unknown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const sales::PlannedStatus planned = sales::PlannedMarkStatus(c.kind, c.numerator, c.fractionText);
        EXPECT_EQ(planned.status, c.status);
        EXPECT_EQ(planned.refusal, c.refusal);
    }
    EXPECT_EQ(sales::FractionText(1, 4), QStringLiteral("1/4"));
    EXPECT_TRUE(sales::FractionText(0, 0).isEmpty());
}

TEST(CheckMarkingCode, RefusesMarkedGoodsOnPurchaseReceiptsBeforeAnyStart) {
    for (int kind : {int(sales::KindPurchase), int(sales::KindPurchaseReturn), 0}) {
        SCOPED_TRACE(kind);
        Register reg;
        testsupport::FakeMessages boxes;
        RecordingView view;
        const MarkCheckResult r = CheckMarkingCode(*reg.kkt, {kCode, kind}, nullptr, view);
        EXPECT_FALSE(r.accepted);
        EXPECT_TRUE(reg.markingCalls().isEmpty());
        EXPECT_TRUE(view.calls.isEmpty());
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].icon, ui::Icon::Error);
        EXPECT_EQ(boxes.last(), sales::PlannedMarkStatus(kind, 0, {}).refusal);
        // Only the code type and the code itself were handed to the driver:
        // the next method takes exactly those two.
        reg.kkt->cancelMarkingCodeValidation();
        const auto pending = reg.lastCall(QStringLiteral("cancelMarkingCodeValidation"));
        ASSERT_TRUE(pending);
        ASSERT_EQ(pending->params.items.size(), 2);
        EXPECT_EQ(pending->params.value(LIBFPTR_PARAM_MARKING_CODE_TYPE).toInt(), LIBFPTR_MCT12_AUTO);
        EXPECT_EQ(pending->params.value(LIBFPTR_PARAM_MARKING_CODE).toString(), kCode);
    }
}

TEST(CheckMarkingCode, SendsPlannedStatusAndFractionBeforeTheStart) {
    struct Case {
        int kind;
        int numerator;
        int denominator;
        int status;
    };
    const Case cases[] = {
        {sales::KindSale, 0, 0, LIBFPTR_MES_PIECE_SOLD},
        {sales::KindSale, 1, 4, LIBFPTR_MES_DRY_FOR_SALE},
        {sales::KindSaleReturn, 0, 0, LIBFPTR_MES_PIECE_RETURN},
        {sales::KindSaleReturn, 1, 4, LIBFPTR_MES_DRY_RETURN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        Register reg;
        testsupport::FakeMessages boxes;
        RecordingView view;
        const MarkCheckResult r = CheckMarkingCode(*reg.kkt, {kCode, c.kind, c.numerator, c.denominator}, nullptr, view);
        EXPECT_TRUE(r.accepted);
        EXPECT_EQ(r.markCodeStatus, c.status);
        EXPECT_TRUE(boxes.boxes.empty());
        const auto begin = reg.lastCall(QStringLiteral("beginMarkingCodeValidation"));
        ASSERT_TRUE(begin);
        const ParamList& in = begin->params;
        EXPECT_EQ(in.value(LIBFPTR_PARAM_MARKING_CODE).toString(), kCode);
        EXPECT_EQ(in.value(LIBFPTR_PARAM_MARKING_CODE_TYPE).toInt(), LIBFPTR_MCT12_AUTO);
        EXPECT_EQ(in.value(LIBFPTR_PARAM_MARKING_CODE_STATUS).toInt(), c.status);
        EXPECT_EQ(in.value(LIBFPTR_PARAM_MARKING_PROCESSING_MODE).toInt(), 0);
        EXPECT_TRUE(in.value(LIBFPTR_PARAM_MARKING_WAIT_FOR_VALIDATION_RESULT).toBool());
        if (c.numerator) {
            EXPECT_EQ(in.value(LIBFPTR_PARAM_QUANTITY).toInt(), 1);
            EXPECT_TRUE(in.has(LIBFPTR_PARAM_MEASUREMENT_UNIT));
            EXPECT_EQ(in.value(LIBFPTR_PARAM_MEASUREMENT_UNIT).toInt(), LIBFPTR_IU_PIECE);
            EXPECT_EQ(in.value(LIBFPTR_PARAM_MARKING_FRACTIONAL_QUANTITY).toString(), QStringLiteral("1/4"));
        } else {
            EXPECT_FALSE(in.has(LIBFPTR_PARAM_QUANTITY));
            EXPECT_FALSE(in.has(LIBFPTR_PARAM_MARKING_FRACTIONAL_QUANTITY));
        }
        EXPECT_EQ(reg.kkt->state().acceptedMarkingCodes, QStringList{kCode});
    }
}

// Every way a started check can end, from the register's answers and the
// cashier's decisions.
TEST(CheckMarkingCode, EndsAsTheAnswersAndTheCashierDecide) {
    const QString noKeys = QStringLiteral(" Код маркировки не может быть проверен в ФН, т.к.     ") + kCrLf +
                           QStringLiteral(" ФН не содержит ключ проверки кода проверки этого КМ.     ") + kCrLf + kCrLf +
                           QStringLiteral(" Дождаться результат проверки КМ в ИСМ?      ");
    const QString negative = QStringLiteral(" Результат проверки кода маркировки в ФН - ОТРИЦАТЕЛЬНЫЙ.     ") + kCrLf +
                             kCrLf + QStringLiteral(" Дождаться результата проверки в ИСМ?");
    const QString onlineFailed = QStringLiteral(" Проверка кода маркировки в ИСМ не удалась.     ") + kCrLf + kCrLf +
                                 QStringLiteral(" Ответ драйвера ККТ : ") + kCrLf + QStringLiteral("  Код ошибки 7") +
                                 kCrLf + QStringLiteral("  'Нет связи с ИСМ'     ") + kCrLf + kCrLf +
                                 QStringLiteral(" Покупатель согласен приобрести этот товар?");
    const auto warning = [](int online) {
        return QStringLiteral(" Результат проверки кода маркировки в 'Честном знаке'.     ") + QStringLiteral("\r\n\r\n") +
               sales::OnlineResultText(online) + QStringLiteral("\r\n\r\n") +
               QStringLiteral(" Покупатель согласен приобрести этот товар?");
    };
    const QString begin = QStringLiteral("beginMarkingCodeValidation");
    const QString status = QStringLiteral("getMarkingCodeValidationStatus");
    const QString accept = QStringLiteral("acceptMarkingCode");
    const QString decline = QStringLiteral("declineMarkingCode");
    const QString cancel = QStringLiteral("cancelMarkingCodeValidation");

    struct Box {
        QString text;
        ui::Icon icon;
        QString caption;
    };
    struct Case {
        const char* name;
        MarkingScript script;
        std::vector<ui::Answer> answers;
        QString failingMethod;  // refused by the register with code 77
        int stopAfterLooks;
        bool accepted;
        QStringList calls;  // marking methods, status polls folded into one
        std::vector<Box> boxes;
        int onlineResult;
    };
    const QString refusal = QStringLiteral("Отказ ККТ");
    const Case cases[] = {
        {"all positive", script(3, 0, 0, 15), {}, {}, -1, true, {begin, status, accept}, {}, 15},
        {"no keys, wait", script(0, LIBFPTR_CER_NO_KEYS, 0, 15), {ui::Answer::Yes}, {}, -1, true,
         {begin, status, accept}, {{noKeys, ui::Icon::Question, {}}}, 15},
        {"no keys, no", script(0, LIBFPTR_CER_NO_KEYS, 0, 15), {ui::Answer::No}, {}, -1, false, {begin, cancel},
         {{noKeys, ui::Icon::Question, {}},
          {QStringLiteral(" Проверка КМ остановлена пользователем.     "), ui::Icon::Information, {}}}, 0},
        {"no keys, cancel refused", script(0, LIBFPTR_CER_NO_KEYS, 0, 15), {ui::Answer::Cancel}, cancel, -1, false,
         {begin, cancel},
         {{noKeys, ui::Icon::Question, {}}, {stopFailure(77, refusal, QStringLiteral(" ")), ui::Icon::Error, {}}}, 0},
        {"not checked otherwise waits", script(0, LIBFPTR_CER_OTHER, 0, 15), {}, {}, -1, true, {begin, status, accept},
         {}, 15},
        {"negative, wait", script(1, 0, 0, 15), {ui::Answer::Yes}, {}, -1, true, {begin, status, accept},
         {{negative, ui::Icon::Question, {}}}, 15},
        {"negative, no", script(1, 0, 0, 15), {ui::Answer::No}, {}, -1, false, {begin, cancel},
         {{negative, ui::Icon::Question, {}},
          {QStringLiteral(" Проверка КМ прервана пользователем.     "), ui::Icon::Information, {}}}, 0},
        {"negative, cancel refused", script(1, 0, 0, 15), {ui::Answer::No}, cancel, -1, false, {begin, cancel},
         {{negative, ui::Icon::Question, {}}, {stopFailure(77, refusal, QStringLiteral("  ")), ui::Icon::Error, {}}},
         0},
        {"stop while waiting", script(3, 0, 0, 15, MarkingScript::kNeverReady), {}, {}, 3, false,
         {begin, status, cancel},
         {{QStringLiteral(" Проверка прервана пользователем.     "), ui::Icon::Information, {}}}, 0},
        {"result 5, no", script(3, 0, 0, 5), {ui::Answer::No}, {}, -1, false, {begin, status, decline},
         {{warning(5), ui::Icon::Warning, QStringLiteral("ПРЕДУПРЕЖДЕНИЕ")}}, 5},
        {"result 7, yes", script(3, 0, 0, 7), {ui::Answer::Yes}, {}, -1, true, {begin, status, accept},
         {{warning(7), ui::Icon::Warning, QStringLiteral("ПРЕДУПРЕЖДЕНИЕ")}}, 7},
        {"online error, yes", script(3, 0, 7, 0), {ui::Answer::Yes}, {}, -1, true, {begin, status, accept},
         {{onlineFailed, ui::Icon::Question, QStringLiteral(" Проверка в ИСМ - неудача!")}}, 0},
        {"online error, no", script(3, 0, 7, 0), {ui::Answer::No}, {}, -1, false, {begin, status, decline},
         {{onlineFailed, ui::Icon::Question, QStringLiteral(" Проверка в ИСМ - неудача!")}}, 0},
        {"accept refused", script(3, 0, 0, 15), {}, accept, -1, false, {begin, status, accept, cancel},
         {{QStringLiteral(" Ошибка при выполнении метода драйвера ККТ 'Подтвердить КМ'.     \r\n\r\n"
                          " Ответ драйвера ККТ :\r\n Код ошибки 77\r\n 'Отказ ККТ'     \r\n\r\n"
                          " Товар в чек не добавлен.     "),
           ui::Icon::Error, {}}},
         15},
        {"decline refused", script(3, 0, 0, 5), {ui::Answer::No}, decline, -1, false,
         {begin, status, decline, cancel},
         {{warning(5), ui::Icon::Warning, QStringLiteral("ПРЕДУПРЕЖДЕНИЕ")},
          {QStringLiteral(" Ошибка при выполнении метода драйвера ККТ 'Отклонить КМ'.     \r\n\r\n"
                          " Ответ драйвера ККТ :\r\n Код ошибки 77\r\n 'Отказ ККТ'     "),
           ui::Icon::Error, {}}},
         5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Register reg;
        reg.kkt->scriptMarkingCode(kCode, c.script);
        if (!c.failingMethod.isEmpty()) reg.kkt->failNext(c.failingMethod, 77, refusal);
        testsupport::FakeMessages boxes;
        for (ui::Answer a : c.answers) boxes.answer(a);
        RecordingView view;
        view.stopAfterLooks = c.stopAfterLooks;

        const MarkCheckResult r = CheckMarkingCode(*reg.kkt, {kCode, sales::KindSale}, nullptr, view);

        EXPECT_EQ(r.accepted, c.accepted);
        EXPECT_EQ(r.validationResult, c.script.validationResult);
        EXPECT_EQ(r.onlineResult, c.onlineResult);
        QStringList calls = reg.markingCalls();
        calls.removeDuplicates();  // the polls in a row count once
        EXPECT_EQ(calls, c.calls);
        ASSERT_EQ(boxes.boxes.size(), c.boxes.size());
        for (std::size_t i = 0; i < c.boxes.size(); ++i) {
            EXPECT_EQ(boxes.boxes[i].text, c.boxes[i].text) << i;
            EXPECT_EQ(boxes.boxes[i].icon, c.boxes[i].icon) << i;
            EXPECT_EQ(boxes.boxes[i].caption, c.boxes[i].caption) << i;
        }
        EXPECT_EQ(reg.kkt->state().acceptedMarkingCodes.contains(kCode), c.accepted);
        // The window is always gone at the end, and the drive free for the
        // next code; a drive that refused to stop is freed by the next
        // attempt, which asks the cashier to try again.
        EXPECT_EQ(view.calls.first(), QStringLiteral("starting"));
        EXPECT_EQ(view.calls.last(), QStringLiteral("finish"));
        reg.kkt->clearFailures();
        reg.kkt->scriptMarkingCode(kCode, script(3, 0, 0, 15, 1));
        const int attempts = c.failingMethod == cancel ? 2 : 1;
        for (int attempt = 1; attempt <= attempts; ++attempt) {
            RecordingView next;
            EXPECT_EQ(CheckMarkingCode(*reg.kkt, {kCode, sales::KindSale}, nullptr, next).accepted, attempt == attempts)
                << attempt;
        }
    }
}

TEST(CheckMarkingCode, ReportsAFailedStart) {
    struct Case {
        const char* name;
        int code;
        QString description;
        bool disconnected;
        QString text;
        QStringList calls;
    };
    const QString begin = QStringLiteral("beginMarkingCodeValidation");
    const QString cancel = QStringLiteral("cancelMarkingCodeValidation");
    const Case cases[] = {
        {"check already running", LIBFPTR_ERROR_MARKING_CODE_VALIDATION_IN_PROGRESS,
         QStringLiteral("Проверка КМ уже выполняется"), false,
         QStringLiteral(" Не получилось запустить проверку КМ.     \r\n Повторите попытку."), {begin, cancel}},
        {"other refusal", 405, QStringLiteral("Неверный планируемый статус товара"), false,
         QStringLiteral(" Не получилось запустить проверку КМ.     \r\n Ответ драйвера ККТ :\r\n  Код ошибки 405\r\n"
                        " 'Неверный планируемый статус товара'     "),
         {begin}},
        {"register not connected", LIBFPTR_ERROR_CONNECTION_DISABLED, {}, true,
         QStringLiteral(" Не получилось запустить проверку КМ.     \r\n Ответ драйвера ККТ :\r\n  Код ошибки 1\r\n"
                        " 'Соединение с ККТ не установлено'     "),
         {begin}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Register reg;
        if (c.disconnected)
            reg.kkt->close();
        else
            reg.kkt->failNext(QStringLiteral("beginMarkingCodeValidation"), c.code, c.description);
        testsupport::FakeMessages boxes;
        RecordingView view;
        EXPECT_FALSE(CheckMarkingCode(*reg.kkt, {kCode, sales::KindSale}, nullptr, view).accepted);
        EXPECT_EQ(reg.markingCalls(), c.calls);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.last(), c.text);
        EXPECT_EQ(boxes.boxes[0].icon, ui::Icon::Error);
        EXPECT_EQ(view.calls, (QStringList{QStringLiteral("starting"), QStringLiteral("hide")}));
    }
}

TEST(CheckMarkingCode, NeverRunsTwoChecksAtOnce) {
    Register reg;
    testsupport::FakeMessages boxes;
    RecordingView view;
    std::optional<MarkCheckResult> nested;
    bool runningInside = false;
    view.onWaiting = [&] {
        runningInside = sales::markingCheckRunning();
        RecordingView other;
        nested = CheckMarkingCode(*reg.kkt, {kCode, sales::KindSale}, nullptr, other);
    };
    EXPECT_TRUE(CheckMarkingCode(*reg.kkt, {kCode, sales::KindSale}, nullptr, view).accepted);
    EXPECT_TRUE(runningInside);
    ASSERT_TRUE(nested);
    EXPECT_FALSE(nested->accepted);
    EXPECT_EQ(reg.markingCalls().count(QStringLiteral("beginMarkingCodeValidation")), 1);
    EXPECT_FALSE(sales::markingCheckRunning());
}

}  // namespace
