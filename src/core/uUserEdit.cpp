#include "uUserEdit.h"

#include "UsersRepository.h"
#include "platform/db/Error.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace core {

TfmUserEdit* fmUserEdit = nullptr;

namespace {
QLineEdit* field(QWidget* parent, const char* name, int maxLength) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setMaxLength(maxLength);
    e->setContextMenuPolicy(Qt::NoContextMenu);
    return e;
}

QWidget* required(QWidget* parent, QWidget* editor) {
    auto* box = new QWidget(parent);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(editor, 1);
    auto* star = new QLabel(QStringLiteral("*"), box);
    star->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    row->addWidget(star);
    return box;
}
}  // namespace

TfmUserEdit::TfmUserEdit(UsersRepository& users, QWidget* parent) : QDialog(parent), users_(users) {
    setObjectName(QStringLiteral("fmUserEdit"));
    setWindowTitle(QStringLiteral("Пользователь"));
    setAttribute(Qt::WA_DeleteOnClose);
    fmUserEdit = this;

    // Lengths are those of the USERS columns, so nothing typed is cut short
    // by the database.
    edFIO = field(this, "edFIO", 100);
    edINN = field(this, "edINN", 12);
    edPost = field(this, "edPost", 50);
    edCardBarcode = field(this, "edCardBarcode", 50);
    edPassword = field(this, "edPassword", 30);
    cmbRights = new QComboBox(this);
    cmbRights->setObjectName(QStringLiteral("cmbRights"));
    cmbRights->addItems(rightsChoices());
    cmbRights->setCurrentIndex(-1);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("ФИО"), required(this, edFIO));
    form->addRow(QStringLiteral("ИНН"), edINN);
    form->addRow(QStringLiteral("Должность"), edPost);
    form->addRow(QStringLiteral("Карта (ШК)"), edCardBarcode);
    form->addRow(QStringLiteral("Пароль"), required(this, edPassword));
    form->addRow(QStringLiteral("Права"), cmbRights);

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setAutoDefault(false);
    btnCancel = new QPushButton(QStringLiteral("ОТМЕНА"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(btnOK, &QPushButton::clicked, this, &TfmUserEdit::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfmUserEdit::~TfmUserEdit() {
    if (fmUserEdit == this) fmUserEdit = nullptr;
}

void TfmUserEdit::startAdd() {
    mode_ = Add;
    userId_ = 0;
    setWindowTitle(QStringLiteral("Добавить пользователя"));
    for (QLineEdit* e : {edFIO, edINN, edPost, edCardBarcode, edPassword}) e->clear();
    cmbRights->setCurrentIndex(-1);
}

void TfmUserEdit::startEdit(const UserRecord& user) {
    mode_ = Edit;
    userId_ = user.id;
    setWindowTitle(QStringLiteral("Изменить данные пользователя"));
    edFIO->setText(user.fio);
    edINN->setText(user.inn);
    edPost->setText(user.post);
    edPassword->setText(user.password);
    edCardBarcode->setText(user.barcode);
    cmbRights->setCurrentIndex(rightsIndex(rightsChoices(), user.rights));
}

UserRecord TfmUserEdit::typed() const {
    UserRecord u;
    u.id = mode_ == Edit ? userId_ : 0;
    u.fio = edFIO->text();
    u.inn = edINN->text();
    u.post = edPost->text();
    u.password = edPassword->text();
    u.barcode = edCardBarcode->text();
    u.rights = cmbRights->currentIndex() >= 0 ? cmbRights->currentText() : QString();
    return u;
}

void TfmUserEdit::btnOKClick() {
    const UserRecord u = typed();
    const UserCheck check = checkUser(u.fio, u.password);
    if (check != UserCheck::Ok) {
        ui::showError(userCheckMessage(check), this);
        return;
    }
    ui::guarded(this, [&] {
        try {
            const UserRecord stored = normalizedUser(u);
            const QString clash = userClashMessage(stored, users_.all());
            if (!clash.isEmpty()) {
                ui::showError(clash, this);
                return;
            }
            const int id = mode_ == Add ? users_.insert(stored) : users_.update(stored);
            if (id == 0) {
                ui::showError(kUserGoneMessage, this);
                return;
            }
            savedId_ = id;
        } catch (const fb::Error& e) {
            // The write has rolled back; the window keeps what was typed.
            ui::showError(ui::databaseFailureText(e, kUserSaveFailed), this);
            return;
        }
        emit saved(savedId_);
        accept();
    });
}

}  // namespace core
