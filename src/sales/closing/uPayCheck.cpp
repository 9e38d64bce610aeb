#include "sales/closing/uPayCheck.h"

#include "sales/screen/BuyerLogic.h"

#include "core/Settings.h"
#include "platform/sys/ProgramFolder.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"
#include "sales/receipt/ReceiptCalc.h"
#include "sales/closing/ReceiptPrinter.h"
#include "sales/screen/Registration_Mode.h"
#include "sales/closing/uCheckInfo.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

TfmPayCheck* fmPayCheck = nullptr;

using sales::controlTag;
using sales::PayField;
using sales::setControlTag;

namespace {

QString contactCaptionOf(int tag) { return sales::receiptAddressCaption(tag); }

}  // namespace

TfmPayCheck::TfmPayCheck(TfmReg& reg, sales::SaleServices& services, QWidget* parent)
    : QDialog(parent), reg_(reg), services_(services) {
    setObjectName(QStringLiteral("fmPayCheck"));
    setWindowTitle(kCaption);
    fmPayCheck = this;

    auto label = [this](const QString& name, const QString& text = QString()) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        return l;
    };
    auto button = [this](const QString& name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
        b->setMinimumHeight(36);
        return b;
    };

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto field = [this](const QString& name, const QString& hint) {
        auto* e = new QLineEdit(GroupBox1);
        e->setObjectName(name);
        e->setAlignment(Qt::AlignRight);
        e->setContextMenuPolicy(Qt::NoContextMenu);
        e->setDragEnabled(false);
        e->setAcceptDrops(false);
        e->setToolTip(hint);
        QFont f = e->font();
        f.setPointSize(16);
        f.setBold(true);
        e->setFont(f);
        e->installEventFilter(this);
        return e;
    };
    Memo1 = field(QStringLiteral("Memo1"), QStringLiteral("очистить поле ввода\r\n''наличными''"));
    Memo2 = field(QStringLiteral("Memo2"), QStringLiteral("очистить поле ввода\r\n''безналичными''"));
    memoPrePay = field(QStringLiteral("memoPrePay"), QStringLiteral("очистить поле ввода\r\n''предоплатой''"));
    Memo3 = field(QStringLiteral("Memo3"), QStringLiteral("очистить поле ввода\r\n''получено от покупателя''"));
    auto box = [this](const QString& name, const QString& text) {
        auto* c = new QCheckBox(text, GroupBox1);
        c->setObjectName(name);
        c->setFocusPolicy(Qt::NoFocus);
        return c;
    };
    CheckBox1 = box(QStringLiteral("CheckBox1"), QStringLiteral("наличными"));
    CheckBox2 = box(QStringLiteral("CheckBox2"), QStringLiteral("безналичными"));
    chPrePay = box(QStringLiteral("chPrePay"), QStringLiteral("предоплатой"));
    auto arrow = [this](const QString& name) {
        auto* l = new QLabel(QStringLiteral("◄"), GroupBox1);
        l->setObjectName(name);
        l->setStyleSheet(QStringLiteral("color: red"));
        return l;
    };
    ImgArrowNal = arrow(QStringLiteral("ImgArrowNal"));
    imgArrowBeznal = arrow(QStringLiteral("imgArrowBeznal"));
    ImgArrowPrePay = arrow(QStringLiteral("ImgArrowPrePay"));
    imgArrowFromBuyer = arrow(QStringLiteral("imgArrowFromBuyer"));

    auto* fields = new QGridLayout(GroupBox1);
    fields->addWidget(CheckBox1, 0, 0);
    fields->addWidget(Memo1, 0, 1);
    fields->addWidget(ImgArrowNal, 0, 2);
    fields->addWidget(CheckBox2, 1, 0);
    fields->addWidget(Memo2, 1, 1);
    fields->addWidget(imgArrowBeznal, 1, 2);
    fields->addWidget(chPrePay, 2, 0);
    fields->addWidget(memoPrePay, 2, 1);
    fields->addWidget(ImgArrowPrePay, 2, 2);
    fields->addWidget(new QLabel(QStringLiteral("получено от покупателя"), GroupBox1), 3, 0);
    fields->addWidget(Memo3, 3, 1);
    fields->addWidget(imgArrowFromBuyer, 3, 2);

    lblCheckSumm = label(QStringLiteral("lblCheckSumm"));
    {
        QFont f = lblCheckSumm->font();
        f.setPointSize(20);
        f.setBold(true);
        lblCheckSumm->setFont(f);
    }
    Label2 = label(QStringLiteral("Label2"));
    Label3 = label(QStringLiteral("Label3"));
    Label5 = label(QStringLiteral("Label5"));
    Label7 = label(QStringLiteral("Label7"));
    for (QLabel* l : {Label2, Label3}) l->installEventFilter(this);

    CheckBox3 = new QCheckBox(QStringLiteral("печатать чек"), this);
    CheckBox3->setObjectName(QStringLiteral("CheckBox3"));
    CheckBox3->setToolTip(QStringLiteral("Переключение:\r\nCtrl + P"));
    CheckBox3->setFocusPolicy(Qt::NoFocus);

    Button1 = button(QStringLiteral("Button1"), QStringLiteral("1"));
    Button2 = button(QStringLiteral("Button2"), QStringLiteral("2"));
    Button3 = button(QStringLiteral("Button3"), QStringLiteral("3"));
    Button4 = button(QStringLiteral("Button4"), QStringLiteral("4"));
    Button5 = button(QStringLiteral("Button5"), QStringLiteral("5"));
    Button6 = button(QStringLiteral("Button6"), QStringLiteral("6"));
    Button7 = button(QStringLiteral("Button7"), QStringLiteral("7"));
    Button8 = button(QStringLiteral("Button8"), QStringLiteral("8"));
    Button9 = button(QStringLiteral("Button9"), QStringLiteral("9"));
    Button10 = button(QStringLiteral("Button10"), QStringLiteral("0"));
    Button11 = button(QStringLiteral("Button11"), QStringLiteral("00"));
    BitBtn2 = button(QStringLiteral("BitBtn2"), QStringLiteral("←"));
    BitBtn3 = button(QStringLiteral("BitBtn3"), QStringLiteral("C"));
    btnClearGet = button(QStringLiteral("btnClearGet"), QStringLiteral("X"));
    btnClearGet->setToolTip(QStringLiteral("Очистить поле \r\n''получено от покупателя''"));
    const QList<QPushButton*> digits{Button1, Button2, Button3, Button4, Button5,
                                     Button6, Button7, Button8, Button9, Button10};
    auto* keypad = new QGridLayout;
    for (int i = 0; i < 9; ++i) keypad->addWidget(digits[i], i / 3, i % 3);
    keypad->addWidget(Button10, 3, 0);
    keypad->addWidget(Button11, 3, 1);
    keypad->addWidget(BitBtn2, 3, 2);
    keypad->addWidget(BitBtn3, 4, 0);
    keypad->addWidget(btnClearGet, 4, 1);

    const QList<int> notes{10, 50, 100, 200, 500, 1000, 2000, 5000};
    QList<QPushButton*> panels;
    auto* banknotes = new QHBoxLayout;
    for (int n : notes) {
        QPushButton* p = button(QStringLiteral("pan%1rub").arg(n), QString::number(n));
        p->setMinimumSize(40, 98);
        banknotes->addWidget(p);
        panels.append(p);
        connect(p, &QPushButton::clicked, this, [this, n] {
            split_.addBanknote(n);
            updateActions();
        });
    }
    pan10rub = panels[0];
    pan50rub = panels[1];
    pan100rub = panels[2];
    pan200rub = panels[3];
    pan500rub = panels[4];
    pan1000rub = panels[5];
    pan2000rub = panels[6];
    pan5000rub = panels[7];

    Button12 = button(QStringLiteral("Button12"), QStringLiteral("ОК"));
    Button13 = button(QStringLiteral("Button13"), QStringLiteral("ОТМЕНА"));
    Button12->setMinimumHeight(50);
    Button13->setMinimumHeight(50);

    MTelefon = new QAction(QStringLiteral("Отправить на тлф/e-mail"), this);
    MTelefon->setObjectName(QStringLiteral("MTelefon"));
    addAction(MTelefon);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Сумма чека:"), this));
    top->addWidget(lblCheckSumm, 1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(GroupBox1, 1);
    middle->addLayout(keypad);
    auto* contact = new QHBoxLayout;
    contact->addWidget(Label2);
    contact->addWidget(Label3, 1);
    auto* buyer = new QHBoxLayout;
    buyer->addWidget(Label5, 1);
    buyer->addWidget(Label7);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(CheckBox3);
    bottom->addStretch(1);
    bottom->addWidget(Button12);
    bottom->addWidget(Button13);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle);
    layout->addLayout(banknotes);
    layout->addLayout(contact);
    layout->addLayout(buyer);
    layout->addLayout(bottom);

    for (int i = 0; i < digits.size(); ++i) {
        const QString key = digits[i]->text();
        connect(digits[i], &QPushButton::clicked, this, [this, key] { typeIntoActive(key); });
    }
    connect(Button11, &QPushButton::clicked, this, [this] { typeIntoActive(QStringLiteral("00")); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] {
        split_.backspace(split_.active());
        updateActions();
    });
    connect(BitBtn3, &QPushButton::clicked, this, [this] {
        split_.clear(split_.active());
        updateActions();
    });
    connect(btnClearGet, &QPushButton::clicked, this, [this] {
        split_.clear(PayField::Given);
        updateActions();
    });
    connect(CheckBox1, &QCheckBox::clicked, this, [this](bool on) { boxClicked(PayField::Cash, on); });
    connect(CheckBox2, &QCheckBox::clicked, this, [this](bool on) { boxClicked(PayField::Card, on); });
    connect(chPrePay, &QCheckBox::clicked, this, [this](bool on) { boxClicked(PayField::Prepay, on); });
    connect(Button12, &QPushButton::clicked, this, &TfmPayCheck::Button12Click);
    connect(Button13, &QPushButton::clicked, this, &TfmPayCheck::Button13Click);
    connect(MTelefon, &QAction::triggered, this, [this] { openContactDialog(2); });
    auto* ctrlP = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), this);
    connect(ctrlP, &QShortcut::activated, this, [this] { CheckBox3->toggle(); });

    handOver_ = [this](const sales::PaymentEntered& payment) {
        QPointer<TfmCheckInfo> info = new TfmCheckInfo(reg_, services_, payment, parentWidget());
        info->setTag(1);
        setControlTag(info->btnPrintCheck, 0);
        setControlTag(info->btnGoodsCheck, 0);
        info->txtPrefNumber->clear();
        info->GoodsCheckPrinted = false;
        info->exec();
        if (info) delete info.data();
    };
    updateActions();
}

TfmPayCheck::~TfmPayCheck() {
    if (fmPayCheck == this) fmPayCheck = nullptr;
}

QLineEdit* TfmPayCheck::editOf(PayField f) const {
    switch (f) {
    case PayField::Cash: return Memo1;
    case PayField::Card: return Memo2;
    case PayField::Prepay: return memoPrePay;
    case PayField::Given: return Memo3;
    default: return nullptr;
    }
}

PayField TfmPayCheck::fieldOf(QObject* o) const {
    if (o == Memo1) return PayField::Cash;
    if (o == Memo2) return PayField::Card;
    if (o == memoPrePay) return PayField::Prepay;
    if (o == Memo3) return PayField::Given;
    return PayField::None;
}

void TfmPayCheck::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TfmPayCheck::FormShow() {
    const sales::Money total = sales::calcReceiptTotal(reg_.receipt());
    const core::Settings settings(sys::programFolder());
    split_.start(total, settings.payTypeDefault());
    CheckBox3->setChecked(true);
    setControlTag(GroupBox1, 0);
    showContact();
    Label5->setText(reg_.lblBuyerName->text());
    Label7->setText(reg_.lblINNBuyer->text());
    lblCheckSumm->setText(total.toString());
    updateActions();
}

void TfmPayCheck::showContact() {
    const int tag = controlTag(reg_.edTelefon);
    const QString caption = contactCaptionOf(tag);
    Label2->setText(caption);
    Label3->setText(caption.isEmpty() ? QString() : reg_.edTelefon->text());
}

void TfmPayCheck::openContactDialog(int tag) {
    if (!services_.buyerContact) return;
    ui::guarded(this, [this, tag] { services_.buyerContact(this, tag); });
    showContact();
}

void TfmPayCheck::updateActions() {
    const struct {
        PayField field;
        QLineEdit* edit;
        QLabel* arrow;
    } all[] = {{PayField::Cash, Memo1, ImgArrowNal},
               {PayField::Card, Memo2, imgArrowBeznal},
               {PayField::Prepay, memoPrePay, ImgArrowPrePay},
               {PayField::Given, Memo3, imgArrowFromBuyer}};
    for (const auto& f : all) {
        if (f.edit->text() != split_.text(f.field)) f.edit->setText(split_.text(f.field));
        f.arrow->setVisible(split_.active() == f.field);
    }
    CheckBox1->setChecked(split_.checked(PayField::Cash));
    CheckBox2->setChecked(split_.checked(PayField::Card));
    chPrePay->setChecked(split_.checked(PayField::Prepay));
    setControlTag(GroupBox1, static_cast<int>(split_.active()));
    Button12->setEnabled(split_.okEnabled());
}

void TfmPayCheck::typeIntoActive(const QString& keys) {
    split_.typeKeys(split_.active(), keys);
    updateActions();
}

void TfmPayCheck::boxClicked(PayField field, bool on) {
    split_.setChecked(field, on);
    updateActions();
    if (QLineEdit* e = editOf(split_.active())) e->setFocus();
}

bool TfmPayCheck::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == Label2 || watched == Label3) && event->type() == QEvent::MouseButtonDblClick) {
        openContactDialog(controlTag(reg_.edTelefon) == 1 ? 1 : 2);
        return true;
    }
    const PayField f = fieldOf(watched);
    if (f == PayField::None) return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    // Focus alone does not choose the field: banknotes go to the handed-over
    // cash until the cashier picks a field.
    case QEvent::MouseButtonPress:
        split_.setActive(f);
        updateActions();
        return false;
    case QEvent::MouseButtonDblClick:
        split_.setActive(f);
        split_.clear(f);
        updateActions();
        return true;
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        split_.setActive(f);
        switch (key->key()) {
        case Qt::Key_Backspace: split_.backspace(f); break;
        case Qt::Key_Delete: split_.clear(f); break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (Button12->isEnabled()) Button12Click();
            return true;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Escape: return false;
        default:
            if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
            for (const QChar c : key->text()) split_.typeKey(f, c);
            break;
        }
        updateActions();
        return true;
    }
    case QEvent::InputMethod:
        return true;
    default: return QDialog::eventFilter(watched, event);
    }
}

void TfmPayCheck::Button12Click() {
    ui::guarded(this, [this] {
        if (CheckBox3->isChecked()) {
            const sales::RegisterCheck check = sales::checkRegisterBeforePayment(reg_.KKTDriver());
            if (!check.ok) {
                if (check.connectionLost) sales::showRegisterDisconnected(reg_);
                ui::showError(check.message, this);
                return;
            }
        }
        const sales::PaymentSplit::OkCheck ok = split_.checkOk();
        if (ok.outcome == sales::PaymentSplit::OkCheck::Outcome::Stop) {
            ui::showError(ok.message, this);
            return;
        }
        if (ok.outcome == sales::PaymentSplit::OkCheck::Outcome::Ask && !ui::askYesNo(ok.message, this)) return;

        sales::PaymentEntered payment = split_.entered();
        payment.printOnRegister = CheckBox3->isChecked();
        payment.contactCaption = Label2->text();
        payment.contact = Label3->text();
        hide();
        if (handOver_) handOver_(payment);
        accept();
    });
}

void TfmPayCheck::Button13Click() { reject(); }
