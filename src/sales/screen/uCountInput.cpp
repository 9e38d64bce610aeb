#include "sales/screen/uCountInput.h"

#include "core/uNumKeyboard.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"
#include "sales/screen/CountInputLogic.h"
#include "sales/receipt/ReceiptRules.h"
#include "sales/screen/Registration_Mode.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

TfmCountInput* fmCountInput = nullptr;

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

    buildDecimalKeypad(this, Memo1);
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
    // Every character is either part of the number or refused here.
    return takeKey(event, false);
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
    if (!isWindowKey(event) && handleKey(event)) return;
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
    // A row the database could never store would make a receipt that prints
    // and is then lost: it goes back as well, totals and all; so does more
    // than a stored sale has left to return, in quantity or, after a new
    // price, in money.
    QString problem = sales::countInputRowProblem(reg_.receipt(), row);
    // A new quantity of goods returned against a sale gives back its share.
    if (problem.isEmpty()) problem = reg_.refundLimitProblem(row, d.outcome == Outcome::Quantity);
    if (!problem.isEmpty()) {
        reg_.receipt().assignContent(before);
        reg_.RecalcReceipt();
        ui::showWarning(problem, this);
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
            // The typing mistakes carry their own titles.
            const QString caption = d.message == sales::countInputText::kPieceFraction ? QStringLiteral("Ошибка набора")
                                    : d.message == sales::countInputText::kBadFormat   ? QStringLiteral("Ошибка ввода")
                                                                                       : QString();
            ui::showCaptioned(caption, d.message, ui::Icon::Warning, this);
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
    return sales::runKeypadWindow(fmCountInput, [&reg] { new TfmCountInput(reg, &reg); }, mode, caption);
}
