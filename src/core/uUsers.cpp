#include "uUsers.h"

#include "UserRules.h"
#include "UsersRepository.h"
#include "uUserEdit.h"
#include "platform/db/Error.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"
#include "platform/ui/QueryTableModel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace core {

TfmUsers* fmUsers = nullptr;

TfmUsers::TfmUsers(fb::Connection& db, QWidget* parent)
    : QDialog(parent), users_(std::make_unique<UsersRepository>(db)), model_(new ui::QueryTableModel(this)) {
    setObjectName(QStringLiteral("fmUsers"));
    setWindowTitle(QStringLiteral("Пользователи"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(860, 420);
    fmUsers = this;

    model_->setColumns({{QStringLiteral("USER_FIO"), QStringLiteral("ФИО")},
                        {QStringLiteral("USER_POST"), QStringLiteral("Должность")},
                        {QStringLiteral("USER_INN"), QStringLiteral("ИНН")},
                        {QStringLiteral("USER_PASSWORD"), QStringLiteral("Пароль")},
                        {QStringLiteral("USER_BARCODE"), QStringLiteral("ШК карты")},
                        {QStringLiteral("USER_RIGHTS"), QStringLiteral("Права")}});
    model_->setHeaderStyle(Qt::blue, true, Qt::AlignCenter);

    DBGridUsers = new QTableView(this);
    DBGridUsers->setObjectName(QStringLiteral("DBGridUsers"));
    DBGridUsers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGridUsers->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGridUsers->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGridUsers->horizontalHeader()->setSectionsMovable(false);
    DBGridUsers->horizontalHeader()->setStretchLastSection(true);
    DBGridUsers->verticalHeader()->hide();
    DBGridUsers->viewport()->installEventFilter(this);

    auto makeButton = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    btnUserAdd = makeButton("btnUserAdd", QStringLiteral("ДОБАВИТЬ"));
    btnUserEdit = makeButton("btnUserEdit", QStringLiteral("ИЗМЕНИТЬ"));
    btnUserDelete = makeButton("btnUserDelete", QStringLiteral("УДАЛИТЬ"));
    btnClose = makeButton("btnClose", QStringLiteral("ЗАКРЫТЬ"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnUserAdd);
    buttons->addWidget(btnUserEdit);
    buttons->addWidget(btnUserDelete);
    buttons->addStretch();
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DBGridUsers, 1);
    layout->addLayout(buttons);

    connect(btnUserAdd, &QPushButton::clicked, this, &TfmUsers::btnUserAddClick);
    connect(btnUserEdit, &QPushButton::clicked, this, &TfmUsers::btnUserEditClick);
    connect(btnUserDelete, &QPushButton::clicked, this, &TfmUsers::btnUserDeleteClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::close);
    connect(DBGridUsers, &QTableView::doubleClicked, this, &TfmUsers::btnUserEditClick);
    connect(model_, &QAbstractItemModel::modelReset, this, &TfmUsers::updateActions);
    connect(model_, &QAbstractItemModel::rowsInserted, this, &TfmUsers::updateActions);

    openList();
    updateActions();
}

TfmUsers::~TfmUsers() {
    if (fmUsers == this) fmUsers = nullptr;
}

void TfmUsers::openList() {
    ui::guarded(this, [&] {
        model_->setQuery(users_->connection(), UsersRepository::listSql());
        DBGridUsers->setModel(model_);
        fitColumns();
        attached_ = true;
        selectRow(0);
    });
}

void TfmUsers::showEvent(QShowEvent* event) {
    if (!attached_) openList();
    QDialog::showEvent(event);
}

void TfmUsers::hideEvent(QHideEvent* event) {
    // A hidden list holds no cursor open.
    DBGridUsers->setModel(nullptr);
    model_->clear();
    attached_ = false;
    QDialog::hideEvent(event);
}

void TfmUsers::fitColumns() {
    // Names and posts differ in length from shop to shop: every column is as
    // wide as what it shows, the last one takes what is left.
    DBGridUsers->resizeColumnsToContents();
}

int TfmUsers::rowCount() const { return model_->rowCount(); }

int TfmUsers::currentRow() const {
    if (!DBGridUsers->model() || model_->rowCount() == 0) return -1;
    const QModelIndex i = DBGridUsers->currentIndex();
    return i.isValid() ? i.row() : -1;
}

void TfmUsers::selectRow(int row) {
    if (!DBGridUsers->model() || model_->rowCount() == 0) return;
    // A row that cannot be found leaves the first one current, so the
    // buttons always have a user to act on.
    if (row < 0 || row >= model_->rowCount()) row = 0;
    DBGridUsers->setCurrentIndex(model_->index(row, 0));
    DBGridUsers->selectRow(row);
}

UserRecord TfmUsers::currentUser() const { return UsersRepository::fromRow(model_->rowAt(currentRow())); }

void TfmUsers::updateActions() {
    const bool hasRows = DBGridUsers->model() && model_->rowCount() > 0;
    btnUserEdit->setEnabled(hasRows);
    btnUserDelete->setEnabled(hasRows);
}

void TfmUsers::runUserEdit(const std::function<void(TfmUserEdit&)>& start) {
    ui::guarded(this, [&] {
        int savedId = 0;
        QPointer<TfmUserEdit> edit = new TfmUserEdit(*users_, this);
        connect(edit, &TfmUserEdit::saved, this, [&savedId](int id) { savedId = id; });
        start(*edit);
        edit->exec();
        if (savedId == 0) return;
        model_->reload();
        fitColumns();
        selectRow(model_->findRow(QStringLiteral("USER_ID"), QString::number(savedId)));
        updateActions();
        emit usersChanged();
    });
}

void TfmUsers::btnUserAddClick() {
    runUserEdit([](TfmUserEdit& edit) { edit.startAdd(); });
}

void TfmUsers::btnUserEditClick() {
    if (currentRow() < 0) return;
    runUserEdit([this](TfmUserEdit& edit) { edit.startEdit(currentUser()); });
}

void TfmUsers::btnUserDeleteClick() {
    const int row = currentRow();
    if (row < 0) return;
    ui::guarded(this, [&] {
        const UserRecord user = currentUser();
        if (!ui::askYesNo(deleteUserQuestion(user.fio), this)) return;
        try {
            users_->remove(user.id);
        } catch (const fb::Error& e) {
            // Nothing was deleted; the list stays as it was.
            ui::showError(ui::databaseFailureText(e, QStringLiteral("Ошибка при удалении записи")), this);
            return;
        }
        model_->reload(row + 1);
        fitColumns();
        selectRow(rowAfterDelete(row, model_->rowCount()));
        updateActions();
        emit usersChanged();
    });
}

bool TfmUsers::eventFilter(QObject* watched, QEvent* event) {
    // The wheel steps one user at a time, as the arrow keys do.
    if (watched == DBGridUsers->viewport() && event->type() == QEvent::Wheel) {
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        const int row = currentRow();
        if (row >= 0 && delta != 0) {
            const int next = delta < 0 ? row + 1 : row - 1;
            if (next == model_->rowCount() && model_->canFetchMore({})) model_->fetchMore({});
            if (next >= 0 && next < model_->rowCount()) selectRow(next);
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace core
