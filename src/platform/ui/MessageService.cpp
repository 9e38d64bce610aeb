#include "MessageService.h"

#include "platform/db/Error.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QMessageBox>
#include <QRegularExpression>

namespace ui {

namespace {
QMessageBox::Icon toQt(Icon icon) {
    switch (icon) {
    case Icon::Information: return QMessageBox::Information;
    case Icon::Warning: return QMessageBox::Warning;
    case Icon::Error: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

// Wider than this a box would wrap a name anywhere or run past its parent.
constexpr int kQuestionWidth = 420;

// Questions quote names; the text the caller passed stays whole for whoever
// reads it back, only what the box draws is cut.
void fitQuestion(QMessageBox& box, const QString& text) {
    box.setText(fitMessageLines(text, box.fontMetrics(), kQuestionWidth));
}

MessageService& realService() {
    static MessageService service;
    return service;
}
MessageService* installed = nullptr;
}  // namespace

void MessageService::show(QWidget* parent, const QString& text, Icon icon, const QString& caption) {
    QMessageBox box(toQt(icon), caption, text, QMessageBox::Ok, parent);
    box.exec();
}

Answer MessageService::ask(QWidget* parent, const QString& text, Icon icon, bool defaultYes) {
    QMessageBox box(toQt(icon), QString(), text, QMessageBox::Yes | QMessageBox::No, parent);
    fitQuestion(box, text);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
    box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

Answer MessageService::askYesNoCancel(QWidget* parent, const QString& text, Icon icon) {
    QMessageBox box(toQt(icon), QString(), text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    fitQuestion(box, text);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("Отмена"));
    box.setDefaultButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

Answer MessageService::askOkCancel(QWidget* parent, const QString& text, Icon icon) {
    QMessageBox box(toQt(icon), QString(), text, QMessageBox::Ok | QMessageBox::Cancel, parent);
    fitQuestion(box, text);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("ОТМЕНА"));
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
}

Answer MessageService::askCaptioned(QWidget* parent, const QString& caption, const QString& text, Icon icon,
                                    bool withCancel, Answer defaultAnswer) {
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel) buttons |= QMessageBox::Cancel;
    QMessageBox box(toQt(icon), caption, text, buttons, parent);
    fitQuestion(box, text);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
    if (withCancel) box.button(QMessageBox::Cancel)->setText(QStringLiteral("Отмена"));
    switch (defaultAnswer) {
    case Answer::Yes: box.setDefaultButton(QMessageBox::Yes); break;
    case Answer::Cancel: box.setDefaultButton(withCancel ? QMessageBox::Cancel : QMessageBox::No); break;
    default: box.setDefaultButton(QMessageBox::No); break;
    }
    box.setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::No);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return withCancel ? Answer::Cancel : Answer::No;
    }
}

namespace {

// A line too long for the box loses the end of what it quotes: the reader
// still sees how a name starts, and the closing quote and the question mark
// that follow it.
QString elideKeepingStart(const QString& line, const QFontMetrics& metrics, int maxWidth) {
    static const QRegularExpression closing(QStringLiteral("\\s*[\"'»]+[^\"'»]*$"));
    const QRegularExpressionMatch m = closing.match(line);
    const QString tail = m.hasMatch() && m.capturedStart() > 0 ? m.captured() : QString();
    const int room = maxWidth - metrics.horizontalAdvance(tail);
    if (tail.isEmpty() || room <= metrics.horizontalAdvance(QChar(0x2026)))
        return metrics.elidedText(line, Qt::ElideRight, maxWidth);
    return metrics.elidedText(line.left(line.size() - tail.size()), Qt::ElideRight, room) + tail;
}

}  // namespace

QString fitMessageLines(const QString& text, const QFontMetrics& metrics, int maxWidth) {
    // Split after each line break so that CR LF and LF CR pairs come back as
    // they were.
    static const QRegularExpression lineEnd(QStringLiteral("[\\r\\n]+"));
    QString out;
    qsizetype from = 0;
    while (from <= text.size()) {
        const QRegularExpressionMatch m = lineEnd.match(text, from);
        const qsizetype end = m.hasMatch() ? m.capturedStart() : text.size();
        QString line = text.mid(from, end - from);
        if (metrics.horizontalAdvance(line) > maxWidth) {
            // The blanks messages end their lines with are padding: a
            // sentence they push over the edge loses them, not a word.
            qsizetype kept = line.size();
            while (kept > 0 && line.at(kept - 1) == QLatin1Char(' ')) --kept;
            line.truncate(kept);
            if (metrics.horizontalAdvance(line) > maxWidth) line = elideKeepingStart(line, metrics, maxWidth);
        }
        out += line;
        if (!m.hasMatch()) break;
        out += m.captured();
        from = m.capturedEnd();
    }
    return out;
}

MessageService& messages() { return installed ? *installed : realService(); }
void setMessageService(MessageService* service) { installed = service; }

void showError(const QString& text, QWidget* parent) { messages().show(parent, text, Icon::Error); }
void showWarning(const QString& text, QWidget* parent) { messages().show(parent, text, Icon::Warning); }
void showInfo(const QString& text, QWidget* parent) { messages().show(parent, text, Icon::Information); }
void showPlain(const QString& text, QWidget* parent) { messages().show(parent, text, Icon::None); }
void showCaptioned(const QString& caption, const QString& text, Icon icon, QWidget* parent) {
    messages().show(parent, text, icon, caption);
}
bool askYesNo(const QString& text, QWidget* parent, Icon icon) {
    return messages().ask(parent, text, icon) == Answer::Yes;
}

QString withDetail(const QString& text, const QString& detail) {
    const QString d = detail.trimmed();
    if (d.isEmpty()) return text;
    return text + QStringLiteral("\r\n\r\n ") + d + QStringLiteral("     ");
}

QString unexpectedFailureText(const QString& detail) {
    return withDetail(
        QStringLiteral(" В работе программы произошел сбой.     \r\n Перезапустите программу и продолжите работу.     "),
        detail);
}

QString databaseFailureSentence(const fb::Error& error) {
    switch (error.category()) {
    case fb::ErrorCategory::LockConflict:
        return QStringLiteral(" Данные сейчас изменяет другая операция или другое рабочее место.     \r\n"
                              " Повторите действие через несколько секунд.     ");
    case fb::ErrorCategory::ConstraintViolation:
        return QStringLiteral(" База данных не приняла изменения:     \r\n"
                              " такая запись уже есть или на неё ссылаются другие данные.     ");
    case fb::ErrorCategory::ConnectionLost:
        return QStringLiteral(" Потеряно соединение с базой данных.     \r\n"
                              " Перезапустите программу и продолжите работу.     ");
    case fb::ErrorCategory::NotFound:
        return QStringLiteral(" Не найдена база данных или нужная программе её часть.     \r\n"
                              " Перезапустите программу; при повторении сообщите администратору.     ");
    case fb::ErrorCategory::Encoding:
        return QStringLiteral(" Текст содержит символы, которые база данных не может сохранить.     ");
    case fb::ErrorCategory::Usage:
    case fb::ErrorCategory::Other:
        break;
    }
    return QStringLiteral(" Ошибка при обращении к базе данных.     \r\n Действие не выполнено.     ");
}

QString databaseFailureText(const fb::Error& error, const QString& lead) {
    return withDetail(lead.isEmpty() ? databaseFailureSentence(error) : lead, error.message());
}

}  // namespace ui
