#pragma once
// One user: added (empty fields) or edited (the fields of the chosen row).
// OK checks the name and password, writes through the repository and closes
// with Accepted; savedUserId() then holds the user's USER_ID. A refused
// check or a failed write keeps the window open with what was typed.
#include "UserRules.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace core {

class UsersRepository;

inline const QString kUserSaveFailed = QStringLiteral(" Не удалось сохранить данные пользователя.     ");
inline const QString kUserGoneMessage =
    QStringLiteral(" Пользователь не сохранён: его уже нет в базе данных     \r\n"
                   " (удалён на другом рабочем месте).     \r\n\r\n"
                   " Закройте окно и обновите список пользователей.     ");

class TfmUserEdit : public QDialog {
    Q_OBJECT
public:
    enum Mode { Add = 0, Edit = 1 };

    explicit TfmUserEdit(UsersRepository& users, QWidget* parent = nullptr);
    ~TfmUserEdit() override;

    // Empty fields, caption "Добавить пользователя".
    void startAdd();
    // The fields of `user`, caption "Изменить данные пользователя"; the
    // write goes to user.id.
    void startEdit(const UserRecord& user);

    Mode mode() const { return mode_; }
    int editedUserId() const { return userId_; }
    // O_USER_ID of the last successful save; 0 before.
    int savedUserId() const { return savedId_; }

public slots:
    void btnOKClick();

signals:
    void saved(int userId);

private:
    UserRecord typed() const;

    UsersRepository& users_;
    Mode mode_ = Add;
    int userId_ = 0;
    int savedId_ = 0;

    QLineEdit* edFIO;
    QLineEdit* edINN;
    QLineEdit* edPost;
    QLineEdit* edCardBarcode;
    QLineEdit* edPassword;
    QComboBox* cmbRights;
    QPushButton* btnOK;
    QPushButton* btnCancel;
};

// The window while it exists.
extern TfmUserEdit* fmUserEdit;

}  // namespace core
