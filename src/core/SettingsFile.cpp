#include "SettingsFile.h"

#include "TextUtils.h"
#include "platform/db/Codec.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>


namespace core {

QString optionsFilePath(const QString& programFolder) {
    return QDir(programFolder).filePath(QStringLiteral("options.sys"));
}

QStringList readOptionsFileLines(const QString& programFolder) {
    QFile file(optionsFilePath(programFolder));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QString text = fb::fromWin1251(file.readAll());
    text.remove(QLatin1Char('\r'));
    QStringList lines = text.split(QLatin1Char('\n'));
    // The last line ends with a line break: no empty line after it.
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

QStringList splitDelimitedValue(const QString& value, QChar delim) {
    // Parts of a delimited list, as the settings have always been split:
    // blanks and control characters end a part just like the delimiter.
    const auto isBlank = [](QChar c) { return c.unicode() >= 1 && c.unicode() <= 0x20; };
    const QChar quote = QLatin1Char('"');
    QStringList parts;
    qsizetype i = 0;
    const qsizetype n = value.size();
    while (i < n && isBlank(value.at(i))) ++i;
    while (i < n) {
        QString part;
        if (value.at(i) == quote) {
            ++i;
            while (i < n) {
                if (value.at(i) == quote) {
                    if (i + 1 < n && value.at(i + 1) == quote) {
                        part += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                part += value.at(i++);
            }
        } else {
            const qsizetype start = i;
            while (i < n && value.at(i).unicode() > 0x20 && value.at(i) != delim) ++i;
            part = value.mid(start, i - start);
        }
        parts.append(part);
        while (i < n && isBlank(value.at(i))) ++i;
        if (i < n && value.at(i) == delim) {
            if (i + 1 == n) parts.append(QString());
            ++i;
            while (i < n && isBlank(value.at(i))) ++i;
        }
    }
    return parts;
}

QString readOptionFromLines(const QStringList& lines, const QString& key, int mode, QChar delim) {
    if (key.isEmpty()) return {};
    for (const QString& line : lines) {
        if (!line.startsWith(key)) continue;
        const QString value = trimBlanks(line.mid(key.size()));
        switch (mode) {
        case 0:
            return value;
        case 1:
        case 2: {
            const QStringList parts = splitDelimitedValue(value, delim);
            const int index = mode - 1;
            return index < parts.size() ? parts.at(index) : QString();
        }
        default:
            continue;
        }
    }
    return {};
}

QString ReadFileOption(const QString& programFolder, const QString& key, int mode, QChar delim) {
    return readOptionFromLines(readOptionsFileLines(programFolder), key, mode, delim);
}

QByteArray renderOptionsFile(const QList<OptionsFileLine>& lines) {
    QString text = QStringLiteral("Настройки\r\n");
    for (const auto& [key, value] : lines) text += key + QStringLiteral("  ") + value + QStringLiteral("\r\n");
    return fb::toWin1251(text);
}

bool writeOptionsFile(const QString& programFolder, const QByteArray& bytes, QString* error) {
    QSaveFile file(optionsFilePath(programFolder));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace core
