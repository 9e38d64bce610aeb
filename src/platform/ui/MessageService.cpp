#include "MessageService.h"

#include <QAbstractButton>
#include <QMessageBox>

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

MessageService& realService() {
    static MessageService service;
    return service;
}
MessageService* installed = nullptr;
}  // namespace

void MessageService::show(QWidget* parent, const QString& text, Icon icon) {
    QMessageBox box(toQt(icon), QString(), text, QMessageBox::Ok, parent);
    box.exec();
}

Answer MessageService::ask(QWidget* parent, const QString& text, Icon icon, bool defaultYes) {
    QMessageBox box(toQt(icon), QString(), text, QMessageBox::Yes | QMessageBox::No, parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
    box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

Answer MessageService::askYesNoCancel(QWidget* parent, const QString& text, Icon icon) {
    QMessageBox box(toQt(icon), QString(), text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
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

MessageService& messages() { return installed ? *installed : realService(); }
void setMessageService(MessageService* service) { installed = service; }

void showError(const QString& text, QWidget* parent) { messages().show(parent, text, Icon::Error); }
void showWarning(const QString& text, QWidget* parent) { messages().show(parent, text, Icon::Warning); }
void showInfo(const QString& text, QWidget* parent) { messages().show(parent, text, Icon::Information); }
void showPlain(const QString& text, QWidget* parent) { messages().show(parent, text, Icon::None); }
bool askYesNo(const QString& text, QWidget* parent, Icon icon) {
    return messages().ask(parent, text, icon) == Answer::Yes;
}

QString unexpectedFailureText(const QString& detail) {
    QString text = QStringLiteral(" В работе программы произошел сбой.     \r\n Перезапустите программу и продолжите работу.     ");
    if (!detail.isEmpty()) text += QStringLiteral("\r\n\r\n ") + detail + QStringLiteral("     ");
    return text;
}

}  // namespace ui
