#include "sales/uCountInput.h"

#include "core/uNumKeyboard.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"
#include "sales/CountInputLogic.h"
#include "sales/ReceiptRules.h"
#include "sales/Registration_Mode.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

TfmCountInput* fmCountInput = nullptr;

namespace {

QPushButton* keypadButton(QWidget* parent, const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    // The keypad types into the field; the focus stays there.
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoDefault(false);
    b->setMinimumSize(64, 52);
    QFont f = b->font();
    f.setPointSize(16);
    f.setBold(true);
    b->setFont(f);
    return b;
}

}  // namespace

TfmCountInput::TfmCountInput(TfmReg& reg, QWidget* parent) : QDialog(parent), reg_(reg) {
    setObjectName(QStringLiteral("fmCountInput"));
    setWindowTitle(sales::countInputText::kQuantityCaption);
    fmCountInput = this;

    Memo1 = new QLineEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setMaxLength(sales::kCountInputMaxLength);
    Memo1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Only the key handler writes the field: no pasting, dropping or
    // composing text past it.
    Memo1->setContextMenuPolicy(Qt::NoContextMenu);
    Memo1->setAcceptDrops(false);
    Memo1->setAttribute(Qt::WA_InputMethodEnabled, false);
    {
        QFont f = Memo1->font();
        f.setPointSize(20);
        f.setBold(true);
        Memo1->setFont(f);
    }
    Memo1->installEventFilter(this);

    BitBtn1 = keypadButton(this, QStringLiteral("BitBtn1"), QStringLiteral("1"));
    BitBtn2 = keypadButton(this, QStringLiteral("BitBtn2"), QStringLiteral("2"));
    BitBtn3 = keypadButton(this, QStringLiteral("BitBtn3"), QStringLiteral("3"));
    BitBtn4 = keypadButton(this, QStringLiteral("BitBtn4"), QStringLiteral("4"));
    BitBtn5 = keypadButton(this, QStringLiteral("BitBtn5"), QStringLiteral("5"));
    BitBtn6 = keypadButton(this, QStringLiteral("BitBtn6"), QStringLiteral("6"));
    BitBtn7 = keypadButton(this, QStringLiteral("BitBtn7"), QStringLiteral("7"));
    BitBtn8 = keypadButton(this, QStringLiteral("BitBtn8"), QStringLiteral("8"));
    BitBtn9 = keypadButton(this, QStringLiteral("BitBtn9"), QStringLiteral("9"));
    BitBtn10 = keypadButton(this, QStringLiteral("BitBtn10"), QStringLiteral("0"));
    BitBtn11 = keypadButton(this, QStringLiteral("BitBtn11"), QStringLiteral("←"));
    BitBtn12 = keypadButton(this, QStringLiteral("BitBtn12"), QStringLiteral("00"));
    BitBtn13 = keypadButton(this, QStringLiteral("BitBtn13"), QStringLiteral("."));
    BitBtnReset = keypadButton(this, QStringLiteral("BitBtnReset"), QStringLiteral("С"));
    BitBtn14 = keypadButton(this, QStringLiteral("BitBtn14"), QStringLiteral("ВВОД"));
    BitBtn15 = keypadButton(this, QStringLiteral("BitBtn15"), QStringLiteral("ОТМЕНА"));
    // These two take the focus, so that Enter presses the one that has it.
    for (QPushButton* b : {BitBtn14, BitBtn15}) {
        b->setFocusPolicy(Qt::StrongFocus);
        b->setAutoDefault(true);
    }

    auto* keys = new QGridLayout;
    keys->addWidget(BitBtn7, 0, 0);
    keys->addWidget(BitBtn8, 0, 1);
    keys->addWidget(BitBtn9, 0, 2);
    keys->addWidget(BitBtnReset, 0, 3);
    keys->addWidget(BitBtn4, 1, 0);
    keys->addWidget(BitBtn5, 1, 1);
    keys->addWidget(BitBtn6, 1, 2);
    keys->addWidget(BitBtn11, 1, 3);
    keys->addWidget(BitBtn1, 2, 0);
    keys->addWidget(BitBtn2, 2, 1);
    keys->addWidget(BitBtn3, 2, 2);
    keys->addWidget(BitBtn12, 2, 3);
    keys->addWidget(BitBtn10, 3, 0);
    keys->addWidget(BitBtn13, 3, 1);
    keys->addWidget(BitBtn14, 3, 2, 1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1);
    layout->addLayout(keys);
    layout->addWidget(BitBtn15);

    const QList<QPair<QPushButton*, QChar>> digits{
        {BitBtn1, u'1'}, {BitBtn2, u'2'}, {BitBtn3, u'3'}, {BitBtn4, u'4'},  {BitBtn5, u'5'},
        {BitBtn6, u'6'}, {BitBtn7, u'7'}, {BitBtn8, u'8'}, {BitBtn9, u'9'}, {BitBtn10, u'0'},
        {BitBtn13, u'.'},
    };
    for (const auto& [button, key] : digits)
        connect(button, &QPushButton::clicked, this, [this, key = key] { typeKey(key); });
    connect(BitBtn12, &QPushButton::clicked, this, &TfmCountInput::typeDoubleZero);
    connect(BitBtn11, &QPushButton::clicked, this, &TfmCountInput::backspace);
    connect(BitBtnReset, &QPushButton::clicked, this, &TfmCountInput::clearText);
    connect(BitBtn14, &QPushButton::clicked, this, &TfmCountInput::BitBtn14Click);
    connect(BitBtn15, &QPushButton::clicked, this, &TfmCountInput::BitBtn15Click);
}

TfmCountInput::~TfmCountInput() {
    if (fmCountInput == this) fmCountInput = nullptr;
}

QString TfmCountInput::text() const { return Memo1->text(); }

void TfmCountInput::setText(const QString& text) {
    // The field holds a number and nothing else: no line breaks, no blanks.
    Memo1->setText(sales::StripCrLfSpaces(text));
    Memo1->end(false);
}

void TfmCountInput::typeKey(QChar key) {
    const sales::NumericKeyResult r =
        sales::FilterNumericKey(text(), Memo1->maxLength(), sales::countInputDecimals(tag_), key);
    if (r.changed) setText(r.text);
}

void TfmCountInput::typeDoubleZero() { setText(sales::countInputDoubleZero(text(), Memo1->maxLength(), tag_)); }

void TfmCountInput::backspace() {
    const QString t = text();
    if (!t.isEmpty()) setText(t.left(t.size() - 1));
}

void TfmCountInput::clearText() { Memo1->clear(); }

bool TfmCountInput::handleKey(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Backspace: backspace(); return true;
    case Qt::Key_Delete: clearText(); return true;
    default: break;
    }
    const QString typed = event->text();
    if (typed.isEmpty()) return false;
    // Every other character is either part of the number or refused here.
    typeKey(typed.at(0));
    return true;
}

bool TfmCountInput::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Memo1 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: BitBtn14Click(); return true;
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return false;
        default: break;
        }
        if (handleKey(key)) return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfmCountInput::keyPressEvent(QKeyEvent* event) {
    // Keys that reach the window itself (a focused button passed them on).
    if (event->key() != Qt::Key_Escape && event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter &&
        handleKey(event))
        return;
    QDialog::keyPressEvent(event);
}

void TfmCountInput::closeKeypad() {
    if (core::fmNumKeyboard && core::fmNumKeyboard->isVisible()) core::fmNumKeyboard->close();
}

void TfmCountInput::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    closeKeypad();
    Memo1->setFocus();
}

bool TfmCountInput::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) closeKeypad();
    return QDialog::event(event);
}

void TfmCountInput::hideEvent(QHideEvent* event) {
    Memo1->clear();
    tag_ = 0;
    QDialog::hideEvent(event);
}

void TfmCountInput::BitBtn15Click() { reject(); }

void TfmCountInput::applyToRow(const sales::CountInputDecision& d) {
    using Outcome = sales::CountInputDecision::Outcome;
    const int row = reg_.currentReceiptRow();
    const sales::ReceiptModel before = reg_.receipt();
    const bool written = d.outcome == Outcome::Quantity
                             ? sales::applyCountInputQuantity(reg_.receipt(), row, d.quantity)
                             : sales::applyCountInputPrice(reg_.receipt(), row, d.amount);
    if (!written) {
        reject();
        return;
    }
    if (reg_.RecalcReceipt() != 0) {
        // The recalculation refused (and said why): the receipt goes back to
        // what it was, and the cashier may type another number.
        reg_.receipt().assignContent(before);
        reg_.updateGoodsGrid();
        reg_.updateDiscountButtons();
        Memo1->setFocus();
        return;
    }
    accept();
}

void TfmCountInput::BitBtn14Click() {
    using Outcome = sales::CountInputDecision::Outcome;
    ui::guarded(this, [this] {
        const int row = reg_.currentReceiptRow();
        const bool hasRow = reg_.receipt().isDataRow(row);
        const QString rowKind =
            hasRow ? reg_.receipt().cell(row, sales::ReceiptModel::ColKind) : QString();
        const sales::CountInputDecision d = sales::decideCountInput(tag_, text(), rowKind);
        if (d.keepsWindowOpen()) {
            ui::showWarning(d.message, this);
            Memo1->setFocus();
            return;
        }
        switch (d.outcome) {
        case Outcome::Quantity:
        case Outcome::Price: applyToRow(d); return;
        case Outcome::CashIn: {
            // Without a driver object there is no register to put cash in.
            const bool done = reg_.KKTDriver() && reg_.cashIncome(d.amount);
            done ? accept() : reject();
            return;
        }
        default: reject(); return;
        }
    });
}

int runCountInput(TfmReg& reg, int mode, const QString& caption) {
    if (!fmCountInput) new TfmCountInput(reg, &reg);
    QPointer<TfmCountInput> window = fmCountInput;
    if (window->isVisible()) window->hide();
    window->setWindowTitle(caption);
    window->setTag(mode);
    const int result = window->exec();
    return window ? result : QDialog::Rejected;
}
