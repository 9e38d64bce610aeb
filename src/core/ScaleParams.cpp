#include "core/ScaleParams.h"

bool operator==(const ScaleParams& a, const ScaleParams& b) {
    return a.protocol == b.protocol && a.port == b.port && a.baudRate == b.baudRate
        && a.timeout == b.timeout;
}

int scaleTimeoutMs(const QString& timeout) {
    bool ok = false;
    const int ms = timeout.trimmed().toInt(&ok);
    return ok && ms > 0 ? ms : 0;
}

QString validateScaleParams(const ScaleParams& params) {
    if (params.protocol == 0)
        return QStringLiteral(" Укажите протокол обмена.     ");
    if (params.port.trimmed().isEmpty())
        return QStringLiteral(" Не указан порт.     ");
    if (params.baudRate.trimmed().isEmpty())
        return QStringLiteral(" Не указана скорость передачи данных.     ");
    if (scaleTimeoutMs(params.timeout) == 0)
        return QStringLiteral(" Не указано или указано некорректное значение тайм-аута.     ");
    return {};
}

namespace {
bool isBackspace(QChar c) {
    return c == QLatin1Char('\b');
}
bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
}  // namespace

bool acceptPortChar(QChar c) {
    const char16_t u = c.unicode();
    const bool latin = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
    return isBackspace(c) || latin || isAsciiDigit(c) || u == u'/' || u == u'_' || u == u'-'
        || u == u'.';
}

bool acceptTimeoutChar(QChar c) {
    return isBackspace(c) || isAsciiDigit(c);
}

bool acceptBaudChar(QChar c) {
    // The baud list's filter takes digits only.
    return isAsciiDigit(c);
}
