#include "core/ScaleParams.h"

#include <gtest/gtest.h>

namespace {

TEST(ScaleParamsValidation, ReportsTheFirstMissingSettingInOrder) {
    struct Case {
        ScaleParams params;
        QString error;
    };
    const Case cases[] = {
        {{0, "", "", ""}, " Укажите протокол обмена.     "},
        {{0, "ttyS0", "9600", "25"}, " Укажите протокол обмена.     "},
        {{2, "", "", ""}, " Не указан порт.     "},
        {{2, "   ", "9600", "25"}, " Не указан порт.     "},
        {{2, "ttyS0", "", "x"}, " Не указана скорость передачи данных.     "},
        {{2, "ttyS0", "9600", ""}, " Не указано или указано некорректное значение тайм-аута.     "},
        {{2, "ttyS0", "9600", "0"}, " Не указано или указано некорректное значение тайм-аута.     "},
        {{2, "ttyS0", "9600", "-5"}, " Не указано или указано некорректное значение тайм-аута.     "},
        {{2, "ttyS0", "9600", "2.5"}, " Не указано или указано некорректное значение тайм-аута.     "},
        {{2, "ttyS0", "9600", "abc"}, " Не указано или указано некорректное значение тайм-аута.     "},
        {{2, "ttyS0", "9600", "25"}, ""},
        {{2, "/dev/ttyUSB0", "115200", " 300 "}, ""},
        // An unsupported protocol passes validation: the test itself reports it.
        {{3, "ttyS0", "9600", "1"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.params.port + "|" + c.params.baudRate + "|" + c.params.timeout).toStdString());
        EXPECT_EQ(validateScaleParams(c.params), c.error);
    }
}

TEST(ScaleParamsKeyFilters, PortTakesDeviceNameCharactersOnly) {
    const QString accepted = QStringLiteral("azAZ09/_-.\b");
    for (QChar c : accepted)
        EXPECT_TRUE(acceptPortChar(c)) << int(c.unicode());
    const QString refused = QStringLiteral(" :\\*?;,@\"'ЖжÄ\t");
    for (QChar c : refused)
        EXPECT_FALSE(acceptPortChar(c)) << int(c.unicode());
}

TEST(ScaleParamsKeyFilters, TimeoutAndBaudTakeDigits) {
    for (QChar c : QStringLiteral("0123456789")) {
        EXPECT_TRUE(acceptTimeoutChar(c));
        EXPECT_TRUE(acceptBaudChar(c));
    }
    EXPECT_TRUE(acceptTimeoutChar(QLatin1Char('\b')));
    EXPECT_FALSE(acceptBaudChar(QLatin1Char('\b')));
    for (QChar c : QStringLiteral("a-. ٣")) {
        EXPECT_FALSE(acceptTimeoutChar(c)) << int(c.unicode());
        EXPECT_FALSE(acceptBaudChar(c)) << int(c.unicode());
    }
}

}  // namespace
