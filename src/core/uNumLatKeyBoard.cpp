#include "uNumLatKeyBoard.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace core {

TfmNumLatKeyBoard* fmNumLatKeyBoard = nullptr;

namespace {
QPushButton* key(QWidget* parent, const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoDefault(false);
    b->setMinimumSize(44, 44);
    QFont f = b->font();
    f.setPointSize(14);
    f.setBold(true);
    b->setFont(f);
    return b;
}

// Letters row by row as on a keyboard.
const int kRowStarts[] = {10, 20, 29, 36};
}  // namespace

QString TfmNumLatKeyBoard::keyCharacters() { return QStringLiteral("1234567890QWERTYUIOPASDFGHJKLZXCVBNM"); }

TfmNumLatKeyBoard::TfmNumLatKeyBoard(QLineEdit* password, QAbstractButton* okButton, QWidget* loginWindow)
    : QDialog(loginWindow, Qt::Dialog | Qt::WindowStaysOnTopHint), password_(password), ok_(okButton) {
    setObjectName(QStringLiteral("fmNumLatKeyBoard"));
    setWindowTitle(QStringLiteral("Клавиатура"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    fmNumLatKeyBoard = this;

    auto* grid = new QGridLayout(this);
    grid->setSpacing(3);
    const QString chars = keyCharacters();
    for (int i = 0; i < chars.size(); ++i) {
        const QChar c = chars.at(i);
        auto* b = key(this, QStringLiteral("Button%1").arg(i + 1), QString(c));
        int row = 0;
        int first = 0;
        if (i >= kRowStarts[0]) {
            row = 1;
            first = kRowStarts[0];
            while (row < 3 && i >= kRowStarts[row]) first = kRowStarts[row++];
        }
        // Each lower letter row starts a little further right, as keys do.
        const int shift = row >= 2 ? row - 1 : 0;
        grid->addWidget(b, row, (i - first) * 2 + shift, 1, 2);
        connect(b, &QPushButton::clicked, this, [this, c] { typeCharacter(c); });
    }

    auto* clear = key(this, QStringLiteral("BitBtn1"), QStringLiteral("Очистить"));
    auto* back = key(this, QStringLiteral("BitBtn2"), QStringLiteral("←"));
    auto* ok = key(this, QStringLiteral("Button37"), QStringLiteral("OK"));
    grid->addWidget(clear, 4, 0, 1, 6);
    grid->addWidget(back, 4, 6, 1, 6);
    grid->addWidget(ok, 4, 12, 1, 8);
    connect(clear, &QPushButton::clicked, this, &TfmNumLatKeyBoard::BitBtn1Click);
    connect(back, &QPushButton::clicked, this, &TfmNumLatKeyBoard::BitBtn2Click);
    connect(ok, &QPushButton::clicked, this, &TfmNumLatKeyBoard::Button37Click);

    adjustSize();
    placeBelowMiddleOf(loginWindow);
}

TfmNumLatKeyBoard::~TfmNumLatKeyBoard() {
    if (fmNumLatKeyBoard == this) fmNumLatKeyBoard = nullptr;
}

void TfmNumLatKeyBoard::setPasswordEdit(QLineEdit* password) { password_ = password; }
void TfmNumLatKeyBoard::setOkButton(QAbstractButton* okButton) { ok_ = okButton; }

void TfmNumLatKeyBoard::placeBelowMiddleOf(QWidget* loginWindow) {
    QScreen* screen = loginWindow ? loginWindow->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    const int top = loginWindow ? loginWindow->geometry().top() + loginWindow->height() / 2 : area.top();
    move(area.left() + (area.width() - width()) / 2, top);
}

void TfmNumLatKeyBoard::typeCharacter(QChar c) {
    if (!password_) return;
    password_->end(false);
    password_->insert(QString(c));
}

void TfmNumLatKeyBoard::BitBtn1Click() {
    if (password_) password_->clear();
}

void TfmNumLatKeyBoard::BitBtn2Click() {
    if (!password_) return;
    password_->end(false);
    password_->backspace();
}

void TfmNumLatKeyBoard::Button37Click() {
    if (ok_) ok_->click();
}

}  // namespace core
