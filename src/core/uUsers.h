#pragma once
// The list of users with add, edit and delete. Writes go through
// UsersRepository (USERS_IO_PROC), each in its own transaction; after a
// write the list is read again and positioned on the user written.
#include <QDialog>

#include <functional>
#include <memory>

class QPushButton;
class QTableView;

namespace fb {
class Connection;
}
namespace ui {
class QueryTableModel;
}

namespace core {

class TfmUserEdit;
class UsersRepository;
struct UserRecord;

class TfmUsers : public QDialog {
    Q_OBJECT
public:
    // `db` is the program's main connection (DataModule1->IBDatabase1()).
    explicit TfmUsers(fb::Connection& db, QWidget* parent = nullptr);
    ~TfmUsers() override;

    // The current row, -1 when the list is empty.
    int currentRow() const;
    int rowCount() const;

public slots:
    void btnUserAddClick();
    void btnUserEditClick();
    void btnUserDeleteClick();

signals:
    // USERS changed through this window (the login list reloads on it; the
    // same news reaches usersEvents() for listeners without this window).
    void usersChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openList();
    void fitColumns();
    void selectRow(int row);
    UserRecord currentUser() const;
    void updateActions();
    // Runs the edit window, begun by `start`; after a save the list is read
    // again and positioned on the user saved.
    void runUserEdit(const std::function<void(TfmUserEdit&)>& start);

    std::unique_ptr<UsersRepository> users_;
    ui::QueryTableModel* model_;
    bool attached_ = false;

    QTableView* DBGridUsers;
    QPushButton* btnUserAdd;
    QPushButton* btnUserEdit;
    QPushButton* btnUserDelete;
    QPushButton* btnClose;
};

extern TfmUsers* fmUsers;

}  // namespace core
