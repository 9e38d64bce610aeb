#include "sales/screen/uDiscountInput.h"

#include "core/Settings.h"
#include "platform/sys/ProgramFolder.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"
#include "sales/receipt/SumLimits.h"
#include "sales/screen/Registration_Mode.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

TfmDiscountInput* fmDiscountInput = nullptr;

namespace {

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

    buildDecimalKeypad(this, GroupBox1);

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
    // Every printable character is either part of the number or refused here.
    return takeKey(event, true);
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
    if (!isWindowKey(event) && handleKey(event)) return;
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
                ui::showCaptioned(sales::discountInputText::kBadFormatCaption, d.message, ui::Icon::Warning, this);
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
        // Less discount is more money: a position or the receipt beyond what
        // the database stores is refused as entering it would be, and the
        // receipt goes back to what it was.
        if (const QString problem = sales::receiptSumsProblem(reg_.receipt()); !problem.isEmpty()) {
            reg_.receipt().assignContent(before);
            reg_.RecalcReceipt();
            ui::showWarning(problem, this);
            return;
        }
        accept();
    });
}

int runDiscountInput(TfmReg& reg, int target, const QString& caption) {
    return sales::runKeypadWindow(fmDiscountInput, [&reg] { new TfmDiscountInput(reg, &reg); }, target, caption);
}
