#include "sales/uDiscountInput.h"

#include "core/Settings.h"
#include "platform/sys/ProgramFolder.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"
#include "sales/Registration_Mode.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TfmDiscountInput* fmDiscountInput = nullptr;

namespace {

QPushButton* keypadButton(QWidget* parent, const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    // The keypad types into the field in use; the focus stays where it is.
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoDefault(false);
    b->setMinimumSize(64, 52);
    QFont f = b->font();
    f.setPointSize(16);
    f.setBold(true);
    b->setFont(f);
    return b;
}

QLineEdit* discountField(QWidget* parent, const QString& name, int kind) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaxLength(sales::discountFieldLimits(kind).maxLength);
    e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Only the window's key handler writes the fields, so nothing but a
    // number the filter let through ever stands in them.
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    e->setContextMenuPolicy(Qt::NoContextMenu);
    e->setAcceptDrops(false);
    QFont f = e->font();
    f.setPointSize(18);
    f.setBold(true);
    e->setFont(f);
    return e;
}

}  // namespace

TfmDiscountInput::TfmDiscountInput(TfmReg& reg, QWidget* parent) : QDialog(parent), reg_(reg) {
    setObjectName(QStringLiteral("fmDiscountInput"));
    setWindowTitle(sales::discountInputText::kCaption);
    fmDiscountInput = this;

    GroupBox1 = new QGroupBox(sales::discountInputText::kGroupCaption, this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    RadioPercent = new QRadioButton(QStringLiteral("Процентная скидка"), GroupBox1);
    RadioPercent->setObjectName(QStringLiteral("RadioPercent"));
    RadioSumma = new QRadioButton(QStringLiteral("Суммовая скидка"), GroupBox1);
    RadioSumma->setObjectName(QStringLiteral("RadioSumma"));
    RadioRoundTo = new QRadioButton(QStringLiteral("Округлить до..."), GroupBox1);
    RadioRoundTo->setObjectName(QStringLiteral("RadioRoundTo"));
    MemoPercent = discountField(GroupBox1, QStringLiteral("MemoPercent"), sales::DiscountKindPercent);
    MemoSumma = discountField(GroupBox1, QStringLiteral("MemoSumma"), sales::DiscountKindSum);
    MemoRoundTo = discountField(GroupBox1, QStringLiteral("MemoRoundTo"), sales::DiscountKindRoundTo);
    lblPercentUnit = new QLabel(QStringLiteral("%"), GroupBox1);
    lblPercentUnit->setObjectName(QStringLiteral("lblPercentUnit"));
    lblSummaUnit = new QLabel(QStringLiteral("руб."), GroupBox1);
    lblSummaUnit->setObjectName(QStringLiteral("lblSummaUnit"));
    // Rounding the receipt is not offered.
    RadioRoundTo->hide();
    MemoRoundTo->hide();

    auto* kinds = new QGridLayout(GroupBox1);
    kinds->addWidget(RadioPercent, 0, 0);
    kinds->addWidget(MemoPercent, 0, 1);
    kinds->addWidget(lblPercentUnit, 0, 2);
    kinds->addWidget(RadioSumma, 1, 0);
    kinds->addWidget(MemoSumma, 1, 1);
    kinds->addWidget(lblSummaUnit, 1, 2);
    kinds->addWidget(RadioRoundTo, 2, 0);
    kinds->addWidget(MemoRoundTo, 2, 1);

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
    layout->addWidget(GroupBox1);
    layout->addLayout(keys);
    layout->addWidget(BitBtn15);

    const QList<QPair<QRadioButton*, int>> radios{{RadioPercent, sales::DiscountKindPercent},
                                                  {RadioSumma, sales::DiscountKindSum},
                                                  {RadioRoundTo, sales::DiscountKindRoundTo}};
    for (const auto& [radio, k] : radios) {
        connect(radio, &QRadioButton::toggled, this, [this, k = k](bool on) {
            if (on) chooseKind(k);
        });
        radio->installEventFilter(this);
    }
    for (QPushButton* b : {BitBtn14, BitBtn15}) b->installEventFilter(this);

    const QList<QPair<QPushButton*, QChar>> typed{
        {BitBtn1, u'1'}, {BitBtn2, u'2'}, {BitBtn3, u'3'}, {BitBtn4, u'4'},  {BitBtn5, u'5'},  {BitBtn6, u'6'},
        {BitBtn7, u'7'}, {BitBtn8, u'8'}, {BitBtn9, u'9'}, {BitBtn10, u'0'}, {BitBtn13, u'.'},
    };
    for (const auto& [button, key] : typed)
        connect(button, &QPushButton::clicked, this, [this, key = key] { typeKey(key); });
    connect(BitBtn12, &QPushButton::clicked, this, &TfmDiscountInput::typeDoubleZero);
    connect(BitBtn11, &QPushButton::clicked, this, &TfmDiscountInput::backspace);
    connect(BitBtnReset, &QPushButton::clicked, this, &TfmDiscountInput::clearText);
    connect(BitBtn14, &QPushButton::clicked, this, &TfmDiscountInput::BitBtn14Click);
    connect(BitBtn15, &QPushButton::clicked, this, &TfmDiscountInput::BitBtn15Click);

    clearFields();
    RadioPercent->setChecked(true);
    chooseKind(sales::DiscountKindPercent);
}

TfmDiscountInput::~TfmDiscountInput() {
    if (fmDiscountInput == this) fmDiscountInput = nullptr;
}

int TfmDiscountInput::kind() const {
    return sales::controlTag(GroupBox1);
}

void TfmDiscountInput::chooseKind(int kind) {
    const QList<QPair<QLineEdit*, int>> fields{{MemoPercent, sales::DiscountKindPercent},
                                               {MemoSumma, sales::DiscountKindSum},
                                               {MemoRoundTo, sales::DiscountKindRoundTo}};
    for (const auto& [field, k] : fields) field->setEnabled(k == kind);
    lblPercentUnit->setEnabled(kind == sales::DiscountKindPercent);
    lblSummaUnit->setEnabled(kind == sales::DiscountKindSum);
    sales::setControlTag(GroupBox1, kind);
}

QLineEdit* TfmDiscountInput::currentField() const {
    switch (kind()) {
        case sales::DiscountKindPercent:
            return MemoPercent;
        case sales::DiscountKindSum:
            return MemoSumma;
        case sales::DiscountKindRoundTo:
            return MemoRoundTo;
        default:
            return nullptr;
    }
}

void TfmDiscountInput::typeKey(QChar key) {
    QLineEdit* field = currentField();
    if (!field) return;
    const QString next = sales::discountFieldKey(field->text(), kind(), key);
    if (next != field->text()) field->setText(next);
}

void TfmDiscountInput::typeDoubleZero() {
    typeKey(u'0');
    typeKey(u'0');
}

void TfmDiscountInput::backspace() {
    QLineEdit* field = currentField();
    if (!field) return;
    const QString t = field->text();
    if (!t.isEmpty()) field->setText(t.left(t.size() - 1));
}

void TfmDiscountInput::clearText() {
    if (QLineEdit* field = currentField()) field->clear();
}

void TfmDiscountInput::clearFields() {
    MemoPercent->clear();
    MemoSumma->clear();
    MemoRoundTo->clear();
}

bool TfmDiscountInput::handleKey(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Backspace:
            backspace();
            return true;
        case Qt::Key_Delete:
            clearText();
            return true;
        default:
            break;
    }
    const QString typed = event->text();
    if (typed.isEmpty() || !typed.at(0).isPrint()) return false;
    // Every printable character is either part of the number or refused here.
    typeKey(typed.at(0));
    return true;
}

bool TfmDiscountInput::eventFilter(QObject* watched, QEvent* event) {
    auto* radio = qobject_cast<QRadioButton*>(watched);
    if (radio && event->type() == QEvent::FocusIn) {
        // Entering a kind's radio button chooses that kind.
        radio->setChecked(true);
    } else if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                // A focused button is pressed by Enter; anywhere else Enter applies.
                if (radio) {
                    BitBtn14Click();
                    return true;
                }
                return false;
            case Qt::Key_Escape:
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_Left:
            case Qt::Key_Right:
            case Qt::Key_Space:
                return false;
            default:
                break;
        }
        if (handleKey(key)) return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfmDiscountInput::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape && event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter &&
        handleKey(event))
        return;
    QDialog::keyPressEvent(event);
}

void TfmDiscountInput::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    RadioPercent->setChecked(true);
    chooseKind(sales::DiscountKindPercent);
    RadioPercent->setFocus();
}

void TfmDiscountInput::hideEvent(QHideEvent* event) {
    clearFields();
    sales::setControlTag(GroupBox1, sales::DiscountKindNone);
    QDialog::hideEvent(event);
}

void TfmDiscountInput::BitBtn15Click() {
    reject();
}

void TfmDiscountInput::BitBtn14Click() {
    using Outcome = sales::DiscountInputDecision::Outcome;
    ui::guarded(this, [this] {
        sales::DiscountInputRequest request;
        request.target = tag_;
        request.kind = kind();
        request.row = reg_.currentReceiptRow();
        request.text = currentField() ? currentField()->text() : QString();
        request.maxDiscount = core::Settings(sys::programFolder()).maxDiscountText();

        const sales::DiscountInputDecision d = sales::decideDiscountInput(reg_.receipt(), request);
        switch (d.outcome) {
            case Outcome::BadFormat:
                ui::showWarning(d.message, this);
                reject();
                return;
            case Outcome::TooLarge:
                ui::showWarning(d.message, this);
                return;
            case Outcome::Close:
                reject();
                return;
            default:
                break;
        }
        const sales::ReceiptModel before = reg_.receipt();
        sales::applyDiscountInput(reg_.receipt(), request, d);
        if (reg_.RecalcReceipt() != 0) {
            // The recalculation refused the discount (and said why): the
            // receipt goes back to what it was, the cashier may type another.
            reg_.receipt().assignContent(before);
            reg_.updateGoodsGrid();
            reg_.updateDiscountButtons();
            return;
        }
        accept();
    });
}

int runDiscountInput(TfmReg& reg, int target, const QString& caption) {
    if (!fmDiscountInput) new TfmDiscountInput(reg, &reg);
    QPointer<TfmDiscountInput> window = fmDiscountInput;
    if (window->isVisible()) window->hide();
    window->setWindowTitle(caption);
    window->setTag(target);
    const int result = window->exec();
    return window ? result : QDialog::Rejected;
}
