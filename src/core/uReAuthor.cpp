#include "uReAuthor.h"

#include "CashierChange.h"
#include "TextUtils.h"
#include "UsersRepository.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace core {

TfmReAuthor* fmReAuthor = nullptr;

TfmReAuthor::TfmReAuthor(fb::Connection& db, MainScreenPort& screen, QWidget* parent)
    : QDialog(parent), db_(db), screen_(screen) {
    setObjectName(QStringLiteral("fmReAuthor"));
    setWindowTitle(QStringLiteral("Смена пользователя"));
    setAttribute(Qt::WA_DeleteOnClose);
    fmReAuthor = this;

    cmbLogin = new QComboBox(this);
    cmbLogin->setObjectName(QStringLiteral("cmbLogin"));
    cmbLogin->setMinimumWidth(260);
    cmbLogin->setContextMenuPolicy(Qt::NoContextMenu);
    edPassword = new QLineEdit(this);
    edPassword->setObjectName(QStringLiteral("edPassword"));
    edPassword->setEchoMode(QLineEdit::Password);
    edPassword->setContextMenuPolicy(Qt::NoContextMenu);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Пользователь"), cmbLogin);
    form->addRow(QStringLiteral("Пароль"), edPassword);

    btnOK = new QPushButton(QStringLiteral("ОК"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("ОТМЕНА"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(Button2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(btnOK, &QPushButton::clicked, this, &TfmReAuthor::btnOKClick);
    connect(Button2, &QPushButton::clicked, this, &TfmReAuthor::Button2Click);
}

TfmReAuthor::~TfmReAuthor() {
    if (fmReAuthor == this) fmReAuthor = nullptr;
}

void TfmReAuthor::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TfmReAuthor::FormShow() {
    cmbLogin->clear();
    cmbLogin->setCurrentIndex(-1);
    edPassword->clear();
    ui::guarded(this, [&] {
        UsersRepository users(db_);
        for (const UserChoice& u : users.choices()) cmbLogin->addItem(u.fio, u.id);
        cmbLogin->setCurrentIndex(-1);
    });
    edPassword->setFocus();
}

void TfmReAuthor::btnOKClick() {
    if (cmbLogin->currentIndex() < 0) return;
    ui::guarded(this, [&] {
        const int userId = cmbLogin->currentData().toInt();
        std::optional<UserRecord> user;
        // The password is checked before the user is looked up.
        if (!trimBlanks(edPassword->text()).isEmpty()) user = UsersRepository(db_).find(userId);
        const CashierChangeVerdict verdict = judgeCashierChange(user, edPassword->text());
        switch (verdict.outcome) {
        case CashierChangeOutcome::Accepted:
            applyCashierChange(screen_, verdict);
            accept();
            return;
        case CashierChangeOutcome::WrongPassword:
            ui::showError(verdict.message, this);
            edPassword->clear();
            edPassword->setFocus();
            return;
        case CashierChangeOutcome::EmptyPassword:
            ui::showError(verdict.message, this);
            edPassword->setFocus();
            return;
        case CashierChangeOutcome::UserNotFound:
            ui::showError(verdict.message, this);
            return;
        }
    });
}

void TfmReAuthor::Button2Click() { reject(); }

}  // namespace core
