#include "core/ScaleTester.h"

#include "core/Pos2m.h"
#include "core/ScalePolling.h"
#include "platform/serial/Clock.h"
#include "platform/serial/SerialPort.h"

namespace {

const QString kNoLink = QStringLiteral(" Нет связи");

ScaleTestResult failure(serial::SerialPort& port, const QString& resultText,
                        const QString& errorText) {
    port.close();
    ScaleTestResult r;
    r.resultText = resultText;
    r.errorText = errorText;
    return r;
}

}  // namespace

ScaleTestResult ScaleTester::run(serial::SerialPort& port, serial::Clock& clock,
                                 const ScaleParams& params,
                                 const std::function<void()>& dropConnection) {
    const QString invalid = validateScaleParams(params);
    if (!invalid.isEmpty()) {
        ScaleTestResult r;
        r.validationFailed = true;
        r.errorText = invalid;
        return r;
    }

    if (dropConnection)
        dropConnection();
    port.close();

    if (params.protocol != pos2m::kProtocolCode)
        return failure(port, {},
                       QStringLiteral(" Указанный протокол обмена не поддерживается     \r\n"
                                      " этим релизом программы.     "));

    if (!port.open(params.port.trimmed()).isEmpty())
        return failure(port, kNoLink,
                       QStringLiteral(" Указанный порт не открылся.     \r\n"
                                      " Возможно, такой порт не существует     \r\n"
                                      " или занят другим приложением/устройством.     "));

    bool baudOk = false;
    const qint32 baud = params.baudRate.trimmed().toInt(&baudOk);
    if (!baudOk || !port.configure(baud))
        return failure(port, kNoLink, QStringLiteral(" Ошибка записи настроек порта.     "));
    if (!port.setReadIntervalTimeout(scaleTimeoutMs(params.timeout)))
        return failure(port, kNoLink,
                       QStringLiteral(" Ошибка при установке параметров порта.     \r\n"
                                      " (параметр ''тайм-ауты'')     "));
    if (!port.purge())
        return failure(port, kNoLink, QStringLiteral(" Ошибка при инициализации порта.     "));

    if (!port.write(pos2m::stateRequest()))
        return failure(port, {},
                       QStringLiteral(" Ошибка при передаче данных в порт.     \r\n"
                                      "  (запрос состояния)"));
    if (!waitForScaleBytes(port, clock, 1))
        return failure(port, QStringLiteral(" Нет связи (тайм-аут)"), {});
    const QByteArray state = port.read(1);
    if (state.size() != 1)
        return failure(port, {},
                       QStringLiteral(" Ошибка чтения данных из порта.     \r\n"
                                      "  (запрос состояния)"));
    if (state[0] != pos2m::kReady)
        return failure(port,
                       QStringLiteral(" Нет связи (состояние %1)")
                           .arg(static_cast<quint8>(state[0])),
                       {});

    if (!port.write(pos2m::weightRequest()))
        return failure(port, {},
                       QStringLiteral(" Ошибка при передаче данных в порт.     \r\n"
                                      " (запрос веса)"));
    if (!waitForScaleBytes(port, clock, pos2m::kWeightReplySize))
        return failure(port, QStringLiteral(" Нет связи (тайм-аут)"), {});
    const QByteArray reply = port.read(pos2m::kWeightReplySize);
    if (reply.size() != pos2m::kWeightReplySize)
        return failure(port, {},
                       QStringLiteral(" Ошибка чтения данных из порта.     \r\n"
                                      " (запрос веса)"));
    const std::optional<int> grams = pos2m::parseWeightReply(reply);
    if (!grams)
        return failure(port, QStringLiteral(" Нет связи (запрос веса)"), {});

    ScaleTestResult r;
    r.ok = true;
    r.grams = *grams;
    r.resultText = QStringLiteral(" Есть соединение. Вес ") + pos2m::formatKg(*grams)
                 + QStringLiteral(" кг");
    return r;
}
