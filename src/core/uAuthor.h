#pragma once
// The login window: the program's main window, first created, hidden while
// the main cashier screen is in use, and closing it ends the program.
#include "LoginLogic.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QKeyEvent;
class QTimer;

namespace core {

// Connecting: at start; Retrying: the cashier pressed "Подключиться к БД";
// Reloading: the user list is read again.
enum class DbStatus { Disconnected, Connecting, Retrying, Reloading, Connected };

struct StatusView {
    QString text;
    QColor color;
};
StatusView statusView(DbStatus status);

class TfmAuthor : public QWidget {
    Q_OBJECT
public:
    explicit TfmAuthor(QWidget* parent = nullptr);
    ~TfmAuthor() override;

    // The service part of creation: engine check, data module, connection,
    // user list. False when the database engine is missing (the box has
    // been shown and the program must end).
    bool FormCreate();

    void btnOpenDBClick();
    void CheckBox1Click();
    void btnOKClick();
    void btnCancelClick();
    void Button1Click();
    void Button2Click();
    // The card reader's end of code (Ctrl+I) and the Delete key.
    void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    // Enter while this window is active: ends a card code when it comes
    // within the reader's 100 ms window, else does nothing. Always consumed.
    void routeEnter();

    // Milliseconds clock for the card timing; tests set a fake one.
    void setClock(std::function<qint64()> clock) { clock_ = std::move(clock); }
    DbStatus dbStatus() const { return status_; }
    QLineEdit* passwordEdit() const { return edPassword_; }
    QPushButton* okButton() const { return btnOK_; }

signals:
    // The user asked to end the program and confirmed.
    void quitRequested();
    // The on-screen Latin keypad was asked for.
    void latinKeypadRequested();
    // A user logged in and the main screen took over.
    void loggedIn();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void setStatus(DbStatus status);
    bool connectDatabase();
    void fillUserList();
    void finishLogin(const LoginResult& result);
    void keyTyped(const QString& text);

    QComboBox* cmbLogin_;
    QListWidget* ListBoxUserPost_;
    QListWidget* ListBoxUserINN_;
    QLineEdit* edPassword_;
    QLineEdit* Edit1_;
    QTimer* Timer1_;
    QLabel* lblStatusDB_;
    QPushButton* btnOK_;
    QPushButton* btnCancel_;
    QPushButton* Button1_;
    QPushButton* Button2_;
    QPushButton* btnOpenDB_;
    QCheckBox* CheckBox1_;
    CardBurstDetector card_;
    std::function<qint64()> clock_;
    DbStatus status_ = DbStatus::Disconnected;
    const QKeyEvent* lastKey_ = nullptr;
    const QWidget* lastReceiver_ = nullptr;
};

extern TfmAuthor* fmAuthor;

// Texts of the start-up and connection checks. The program's own start,
// before any window exists, words the missing engine with other blanks than
// the login window does; each box keeps its own text.
inline const QString kEngineMissingBeforeWindows = QStringLiteral(
    " Программа ТАРВИ-М не обнаружила службу FireBird.      \r\n Установите СУБД FireBird 2.5.    \r\n\r\n"
    " Если СУБД FireBird установлена, попробуйте запустить     \r\n программу ТАРВИ-М от имени администратора.     ");
inline const QString kEngineMissingAtStart = QStringLiteral(
    " Программа ТАРВИ-М не обнаружила службу FireBird.     \r\n Установите СУБД FireBird 2.5.     \r\n\r\n"
    " Если СУБД FireBird установлена, попробуйте запустить     \r\n программу ТАРВИ-М от имени администратора.     ");
inline const QString kEngineMissingOnReconnect = QStringLiteral(
    " Программа не обнаружила службу FireBird.     \r\n Подключение к Базе Данных невозможно.     \r\n\r\n"
    " Перезапустите программу ТАРВИ.     ");
inline const QString kEngineMissingAtLogin =
    QStringLiteral("Не установлена СУБД FireBird 2.5.    \n\rРежим работы ''С Базой Данных'' недоступен.   ");
inline const QString kQuitQuestion = QStringLiteral("Вы желаете завершить работу с программой?     ");
inline const QString kNoDatabaseConnection =
    QStringLiteral(" Нет соединения с базой данных.     \r\n Проверьте сервер базы данных и нажмите \"Подключиться к БД\".     ");

}  // namespace core
