#include "sales/screen/BuyerLogic.h"

#include "core/Settings.h"
#include "platform/sys/ProgramFolder.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"
#include "sales/receipt/ReceiptModel.h"
#include "sales/screen/Registration_Mode.h"
#include "sales/screen/uBuyerData.h"
#include "sales/screen/uTelefon.h"

#include <QCheckBox>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

#include <algorithm>

namespace sales {

namespace {

bool allDigits(const QString& text) {
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}

QString withoutBlanks(QString text, bool dashesToo) {
    text.remove(QLatin1Char(' '));
    text.remove(QLatin1Char('\t'));
    if (dashesToo) text.remove(QLatin1Char('-'));
    return text;
}

}  // namespace

QString buyerInnProblem(const QString& inn) {
    const QString t = inn.trimmed();
    if (t.size() != 0 && t.size() != 10 && t.size() != 12) return buyerText::kInnLength;
    if (!allDigits(t)) return buyerText::kInnDigits;
    return {};
}

BuyerDecision decideBuyer(const QString& nameText, const QString& innText, bool foreignGoodsRefused) {
    BuyerDecision d;
    d.name = nameText.trimmed();
    d.inn = innText.trimmed();
    if (d.name.isEmpty()) {
        d.kind = BuyerDecision::Remove;
        d.inn.clear();
        return d;
    }
    d.kind = BuyerDecision::Refuse;
    if (d.name.size() > kBuyerNameMaxLength) {
        d.message = buyerText::kNameTooLong;
        return d;
    }
    if (const QString problem = buyerInnProblem(d.inn); !problem.isEmpty()) {
        d.message = problem;
        return d;
    }
    if (foreignGoodsRefused) {
        d.message = buyerText::kForeignGoodsOnOk;
        return d;
    }
    d.kind = BuyerDecision::Set;
    return d;
}

bool buyerRefusedForForeignGoods(int paymentFlag, const ReceiptModel& receipt) {
    return paymentFlag == 4 && ReceiptHasForeignGoods(receipt);
}

AddressDecision decideEmail(const QString& text) {
    AddressDecision d;
    const QString mail = withoutBlanks(text.trimmed(), false);
    if (mail.isEmpty()) return d;
    // The at sign must have something before it.
    if (mail.indexOf(QLatin1Char('@')) < 1) {
        d.kind = AddressDecision::Invalid;
        d.message = buyerText::kBadEmail;
        return d;
    }
    d.kind = AddressDecision::Set;
    d.address = mail;
    return d;
}

AddressDecision decidePhone(const QString& text) {
    AddressDecision d;
    const QString digits = withoutBlanks(text, true);
    if (digits.isEmpty()) return d;
    if (!allDigits(digits)) {
        d.kind = AddressDecision::Invalid;
        d.message = buyerText::kBadPhone;
        return d;
    }
    d.address = QStringLiteral("+7") + digits;
    if (digits.size() != 10) {
        d.kind = AddressDecision::Confirm;
        d.message = buyerText::kPhoneLengthQuestion;
        return d;
    }
    d.kind = AddressDecision::Set;
    return d;
}

QString receiptAddressCaption(int kind) {
    switch (kind) {
        case AddressEmail:
            return QStringLiteral(" Отправить чек на e-mail : ");
        case AddressPhone:
            return QStringLiteral(" Отправить чек на телефон : ");
        default:
            return {};
    }
}

// ---------------------------------------------------------------------------
// The main screen's buyer state

namespace {

// One line: the caption, the name as wide as it needs (up to the screen's
// edge less room for the number), the number's caption and the number.
void layoutBuyerLabels(TfmReg& reg) {
    const QString name = reg.lblBuyerName->text();
    const QString inn = reg.lblINNBuyer->text();
    const int right = reg.lblINNBuyer->parentWidget() ? reg.lblINNBuyer->parentWidget()->width() : reg.width();
    const QFontMetrics nameMetrics(reg.lblBuyerName->font());
    const QFontMetrics innMetrics(reg.lblINNBuyer->font());
    const int innWidth = innMetrics.horizontalAdvance(inn) + 6;
    const int nameX = reg.Label6->geometry().right() + 1 + 5;
    const int room = right - nameX - 10 - reg.Label7->width() - 5 - innWidth - 4;
    const int nameWidth = std::max(20, std::min(nameMetrics.horizontalAdvance(name) + 6, room));
    reg.lblBuyerName->setGeometry(nameX, reg.lblBuyerName->y(), nameWidth, reg.lblBuyerName->height());
    reg.Label7->move(reg.lblBuyerName->geometry().right() + 1 + 10, reg.Label7->y());
    reg.lblINNBuyer->setGeometry(reg.Label7->geometry().right() + 1 + 5, reg.lblINNBuyer->y(),
                                 std::max(innWidth, reg.lblINNBuyer->width()), reg.lblINNBuyer->height());
}

// The screen lays its controls out anew on every resize; the buyer's line
// is laid out again after it.
class BuyerLineKeeper : public QObject {
public:
    BuyerLineKeeper(TfmReg& reg, QWidget* watched) : QObject(&reg), reg_(reg) { watched->installEventFilter(this); }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize)
            QTimer::singleShot(0, this, [this] {
                if (reg_.BuyerGiven() && !reg_.lblBuyerName->isHidden()) layoutBuyerLabels(reg_);
            });
        return false;
    }

private:
    TfmReg& reg_;
};

}  // namespace

void setBuyer(TfmReg& reg, const QString& name, const QString& inn) {
    reg.lblBuyerName->setText(name);
    reg.lblINNBuyer->setText(inn);
    layoutBuyerLabels(reg);
    for (QLabel* l : {reg.Label6, reg.lblBuyerName, reg.Label7, reg.lblINNBuyer}) l->show();
    reg.chLE->setChecked(true);
}

void clearBuyer(TfmReg& reg) {
    reg.chLE->setChecked(false);
    for (QLabel* l : {reg.Label6, reg.lblBuyerName, reg.Label7, reg.lblINNBuyer}) l->hide();
    reg.lblBuyerName->clear();
    reg.lblINNBuyer->clear();
    reg.PortionChoices().clear();
    reg.RecalcReceipt();
}

void setReceiptAddress(TfmReg& reg, int kind, const QString& address) {
    if (kind != AddressEmail && kind != AddressPhone) {
        reg.edTelefon->clear();
        setControlTag(reg.edTelefon, AddressNone);
        return;
    }
    reg.edTelefon->setText(address);
    setControlTag(reg.edTelefon, kind);
}

// ---------------------------------------------------------------------------
// Commands

bool openBuyerData(TfmReg& reg, const BuyerPicker& picker) {
    if (reg.isWorkplaceLocked()) return false;
    if (buyerRefusedForForeignGoods(reg.PaymentMethodFlag(), reg.receipt())) {
        ui::showWarning(buyerText::kForeignGoodsOnButton, &reg);
        return false;
    }
    QPointer<TfmBuyerData> window = new TfmBuyerData(reg, picker, &reg);
    window->exec();
    if (window) delete window.data();
    return true;
}

void openReceiptAddress(TfmReg& reg, QWidget* parent, int kind) {
    if (reg.isWorkplaceLocked()) return;
    const core::Settings settings(sys::programFolder());
    QPointer<TfmTelefon> window = new TfmTelefon(reg, settings.email(), kind, parent ? parent : &reg);
    window->exec();
    if (window) delete window.data();
}

void installBuyerCommands(TfmReg& reg, BuyerPicker picker) {
    TfmReg* screen = &reg;
    if (QWidget* central = reg.centralWidget()) new BuyerLineKeeper(reg, central);
    reg.setCommand(QStringLiteral("btnLE"),
                   [screen, picker] { ui::guarded(screen, [&] { openBuyerData(*screen, picker); }); });
    reg.setCommand(QStringLiteral("chLE"), [screen, picker] {
        ui::guarded(screen, [&] {
            if (screen->isWorkplaceLocked()) return;
            if (!screen->chLE->isChecked()) {
                clearBuyer(*screen);
                return;
            }
            // Ticking the box by hand asks for the buyer; the box shows a
            // buyer only once one is given.
            const bool named = !screen->lblBuyerName->text().isEmpty();
            if (named) return;
            screen->chLE->setChecked(false);
            openBuyerData(*screen, picker);
        });
    });
    reg.setCommand(QStringLiteral("btnTelefon"),
                   [screen] { ui::guarded(screen, [&] { openReceiptAddress(*screen, screen); }); });
}

}  // namespace sales
