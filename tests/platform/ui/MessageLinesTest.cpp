#include "platform/ui/MessageService.h"

#include <QApplication>
#include <QFontMetrics>
#include <QRegularExpression>

#include <gtest/gtest.h>

TEST(MessageLines, ALongNameIsCutInsideTheBoxAndEverythingElseStays) {
    const QFontMetrics metrics(QApplication::font());
    const int width = 400;
    const QString longName = QStringLiteral(
        "\"Сыр полутвёрдый Российский молодой 50% в вакуумной упаковке весовой "
        "фасованный 0,3 кг\" ?        ");
    ASSERT_GT(metrics.horizontalAdvance(longName), width);
    struct Case {
        const char* what;
        QString text;
        bool cut;
    };
    const Case cases[] = {
        {"short question", QStringLiteral("Удалить позицию  \n\r\"Хлеб\" ?        "), false},
        {"long name", QStringLiteral("Удалить позицию  \n\r") + longName, true},
        {"long name between lines", QStringLiteral("Начало\r\n") + longName + QStringLiteral("\r\n\r\nКонец"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString shown = ui::fitMessageLines(c.text, metrics, width);
        if (!c.cut) {
            EXPECT_EQ(shown, c.text);
            continue;
        }
        EXPECT_NE(shown, c.text);
        EXPECT_EQ(shown.count(u'\r'), c.text.count(u'\r'));
        EXPECT_EQ(shown.count(u'\n'), c.text.count(u'\n'));
        for (const QString& line : shown.split(QRegularExpression(QStringLiteral("[\\r\\n]+"))))
            EXPECT_LE(metrics.horizontalAdvance(line), width) << line.toStdString();
        // The reader still sees where the name starts and the question it ends with.
        EXPECT_TRUE(shown.contains(QStringLiteral("\"Сыр"))) << shown.toStdString();
        EXPECT_TRUE(shown.contains(QStringLiteral("\" ?"))) << shown.toStdString();
        EXPECT_TRUE(shown.contains(QChar(0x2026)));
        EXPECT_EQ(shown.startsWith(QStringLiteral("Удалить позицию")), c.text.startsWith(QStringLiteral("Удалить")));
    }
}

TEST(MessageLines, AQuotedNameTooLongForItsLineKeepsItsStartAndTheClosingQuote) {
    const QFontMetrics metrics(QApplication::font());
    const QString name = QStringLiteral("Соединённое Королевство Великобритании и Северной Ирландии");
    for (const QString& text : {QStringLiteral("Вы хотите удалить страну  '' ") + name + QStringLiteral(" '' ?     "),
                                QStringLiteral("Удалить группу \"") + name + QStringLiteral("\" ?"),
                                QStringLiteral("Страна ") + name}) {
        SCOPED_TRACE(text.toStdString());
        const int width = metrics.horizontalAdvance(text.trimmed()) * 2 / 3;
        const QString shown = ui::fitMessageLines(text, metrics, width);
        EXPECT_LE(metrics.horizontalAdvance(shown), width) << shown.toStdString();
        EXPECT_TRUE(shown.contains(name.left(12))) << shown.toStdString();
        EXPECT_TRUE(shown.contains(QChar(0x2026)));
        const qsizetype quote = text.lastIndexOf(QRegularExpression(QStringLiteral("[\"']")));
        if (quote > 0) {
            EXPECT_TRUE(shown.trimmed().endsWith(text.mid(quote).trimmed())) << shown.toStdString();
        }
    }
}

TEST(MessageLines, ASentenceThatFitsKeepsEveryWordWhenOnlyItsPaddingOverflows) {
    const QFontMetrics metrics(QApplication::font());
    const QString sentence = QStringLiteral(" Этот признак будет указан для всех позиций в кассовом чеке.");
    const int width = metrics.horizontalAdvance(sentence) + metrics.horizontalAdvance(QLatin1Char(' '));
    const QString text = QStringLiteral("Вопрос\r\n\r\n") + sentence + QStringLiteral("     \r\n\r\n Продолжить? ");
    const QString shown = ui::fitMessageLines(text, metrics, width);
    EXPECT_TRUE(shown.contains(sentence)) << shown.toStdString();
    EXPECT_FALSE(shown.contains(QChar(0x2026))) << shown.toStdString();
    for (const QString& line : shown.split(QRegularExpression(QStringLiteral("[\\r\\n]+"))))
        EXPECT_LE(metrics.horizontalAdvance(line), width) << line.toStdString();
}
