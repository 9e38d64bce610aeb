#include "uNumLatKeyBoard.h"

#include "platform/ui/KeypadGrid.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace core {

TfmNumLatKeyBoard* fmNumLatKeyBoard = nullptr;

namespace {
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
    QList<ui::KeypadKey> keys;
    const QString chars = keyCharacters();
    for (int i = 0; i < chars.size(); ++i) {
        const QChar c = chars.at(i);
        int row = 0;
        int first = 0;
        if (i >= kRowStarts[0]) {
            row = 1;
            first = kRowStarts[0];
            while (row < 3 && i >= kRowStarts[row]) first = kRowStarts[row++];
        }
        // Each lower letter row starts a little further right, as keys do.
        const int shift = row >= 2 ? row - 1 : 0;
        keys.append({QStringLiteral("Button%1").arg(i + 1), QString(c), row, (i - first) * 2 + shift, 1, 2,
                     [this, c] { typeCharacter(c); }});
    }
    keys.append({QStringLiteral("BitBtn1"), QStringLiteral("Очистить"), 4, 0, 1, 6, [this] { BitBtn1Click(); }});
    keys.append({QStringLiteral("BitBtn2"), QStringLiteral("←"), 4, 6, 1, 6, [this] { BitBtn2Click(); }});
    keys.append({QStringLiteral("Button37"), QStringLiteral("OK"), 4, 12, 1, 8, [this] { Button37Click(); }});
    ui::addKeypadKeys(this, grid, keys, {QSize(44, 44), 14});

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
