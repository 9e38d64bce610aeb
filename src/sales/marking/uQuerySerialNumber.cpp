#include "sales/marking/uQuerySerialNumber.h"

#include "platform/ui/KeyboardLayout.h"
#include "platform/ui/MessageService.h"
#include "sales/input/ScanInput.h"
#include "sales/marking/MarkedEntry.h"
#include "sales/marking/ScanCapture.h"
#include "sales/marking/uQueryFractionalCount.h"
#include "sales/receipt/ReceiptMessages.h"
#include "sales/receipt/ReceiptModel.h"
#include "sales/receipt/ReceiptRules.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QVBoxLayout>

namespace sales::marking {

namespace {

constexpr int kScanEndMs = 100;

// The database price as the price field takes it: digits, "," and "." only,
// at most eight characters.
QString priceFieldText(const QString& price) {
    QString out;
    for (const QChar c : price)
        if (c.isDigit() || c == QLatin1Char(',') || c == QLatin1Char('.')) out += c;
    return out.left(8);
}


QLabel* makeLabel(QWidget* parent, const char* name, const QString& text = QString()) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

}  // namespace

TfmQuerySerialNumber::TfmQuerySerialNumber(QuerySerialSetup setup, QWidget* parent)
    : QDialog(parent), setup_(std::move(setup)) {
    setObjectName(QStringLiteral("fmQuerySerialNumber"));
    setWindowTitle(kCaption);
    setAttribute(Qt::WA_DeleteOnClose, false);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setVisible(false);
    EdEng = new QLineEdit(this);
    EdEng->setObjectName(QStringLiteral("EdEng"));
    EdEng->setVisible(false);

    lblGoodName = makeLabel(this, "lblGoodName", setup_.goods.good.name);
    lblGoodName->setProperty("Tag", setup_.goods.good.id);
    lblGoodName->setWordWrap(true);
    const QString stored = setup_.barcodes.isEmpty() ? kNoStoredGtin : setup_.barcodes.last();
    lblGTIN = makeLabel(this, "lblGTIN", stored);
    lblSerialGTIN = makeLabel(this, "lblSerialGTIN");
    lblMaxRetailPrice = makeLabel(this, "lblMaxRetailPrice");
    lblMaxPriceGTIN = makeLabel(this, "lblMaxPriceGTIN");
    Label3 = makeLabel(this, "Label3", QStringLiteral("Цена, руб.:"));
    memPrice = new QLineEdit(priceFieldText(setup_.dbPrice), this);
    memPrice->setObjectName(QStringLiteral("memPrice"));
    memPrice->setMaxLength(8);
    memPrice->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9,.]{0,8}")), memPrice));
    CheckBox1 = new QCheckBox(QStringLiteral("этот экземпляр БЕЗ маркировки"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setEnabled(setup_.withoutCodeAllowed);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(QStringLiteral("ОТМЕНА"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    // The scanner's closing Enter must never press a button.
    for (QPushButton* b : {btnOK, btnCancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kScanEndMs);
    Timer1->setSingleShot(true);

    auto* grid = new QGridLayout;
    grid->addWidget(makeLabel(this, "lblGtinCaption", QStringLiteral("GTIN товара:")), 0, 0);
    grid->addWidget(lblGTIN, 0, 1);
    QLabel* serialCaption = makeLabel(this, "lblSerialCaption", QStringLiteral("Серийный номер:"));
    grid->addWidget(serialCaption, 1, 0);
    grid->addWidget(lblSerialGTIN, 1, 1);
    QLabel* mrpCaption = makeLabel(this, "lblMrpCaption", QStringLiteral("МРЦ, руб.:"));
    grid->addWidget(mrpCaption, 2, 0);
    auto* mrpRow = new QHBoxLayout;
    mrpRow->addWidget(lblMaxRetailPrice);
    mrpRow->addWidget(lblMaxPriceGTIN);
    grid->addLayout(mrpRow, 2, 1);
    auto* priceRow = new QHBoxLayout;
    priceRow->addWidget(Label3);
    priceRow->addWidget(memPrice);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblGoodName);
    layout->addLayout(grid);
    layout->addWidget(CheckBox1);
    layout->addLayout(priceRow);
    layout->addWidget(Edit1);
    layout->addWidget(EdEng);
    layout->addStretch();
    layout->addLayout(buttons);

    if (setup_.markType == Shoes) {
        // Shoes show only the GTIN line and the cancel button.
        for (QWidget* w : std::initializer_list<QWidget*>{serialCaption, lblSerialGTIN, mrpCaption, lblMaxRetailPrice,
                                                          lblMaxPriceGTIN, CheckBox1, Label3, memPrice, btnOK})
            w->setVisible(false);
        setFixedHeight(270);
    } else if (setup_.markType != Tobacco) {
        for (QWidget* w : std::initializer_list<QWidget*>{mrpCaption, lblMaxRetailPrice, lblMaxPriceGTIN, CheckBox1,
                                                          Label3, memPrice, btnOK})
            w->setVisible(false);
    }

    connect(Timer1, &QTimer::timeout, this, &TfmQuerySerialNumber::Timer1Timer);
    connect(btnOK, &QPushButton::clicked, this, &TfmQuerySerialNumber::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfmQuerySerialNumber::reject);
    connect(CheckBox1, &QCheckBox::toggled, this, &TfmQuerySerialNumber::updateActions);

    // Key preview: the window sees every key before its controls do.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
    updateActions();
}

TfmQuerySerialNumber::~TfmQuerySerialNumber() = default;

void TfmQuerySerialNumber::updateActions() {
    // Only a unit without a code is ever accepted by the button: a coded
    // unit goes through every check of the scan.
    const bool withoutCode = CheckBox1->isChecked();
    btnOK->setEnabled(withoutCode);
    Label3->setEnabled(withoutCode);
    memPrice->setEnabled(withoutCode);
}

void TfmQuerySerialNumber::FormShow() {
    Edit1->clear();
    EdEng->clear();
    Timer1->stop();
    timerPending_ = false;
    layoutId_ = ui::LayoutEnglish;
}

void TfmQuerySerialNumber::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TfmQuerySerialNumber::closeEvent(QCloseEvent* event) {
    if (!closeAllowed_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TfmQuerySerialNumber::reject() {
    if (!closeAllowed_) return;
    Timer1->stop();
    result_ = MarkedScan{};
    QDialog::reject();
}

bool TfmQuerySerialNumber::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // While a code is being checked the window takes no keys: a second scan
    // must not start a second validation.
    if (evaluating_) return true;
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && timerPending_) {
        scanEndKey();
        return true;
    }
    keyArrived(key);
    if (key->key() == Qt::Key_Escape) return false;
    // The price field still gets what is typed into it; no other control
    // may act on a scanner's characters (a blank would press a button).
    return watched != memPrice;
}

void TfmQuerySerialNumber::keyArrived(QKeyEvent* event) {
    // Key down: the layout of that moment decides the Latin copy. With no
    // layout source but the desktop's input locale, which does not follow
    // the keyboard group under X11, the typed letter tells the layout, as on
    // the main screen's input line; other keys keep the last one.
    const QString text = event->text();
    if (ui::KeyboardLayout::hasLayoutProvider())
        layoutId_ = ui::KeyboardLayout::currentLayoutId();
    else if (!text.isEmpty())
        layoutId_ = sales::layoutFromCharacter(text.at(0), layoutId_);
    const CapturedKey k = captureKey(*event, layoutId_);
    if (!k.used) return;
    Timer1->stop();
    Timer1->start();
    timerPending_ = true;
    if (k.typed.isEmpty()) return;  // Backspace
    Edit1->setText(Edit1->text() + k.typed);
    EdEng->setText(EdEng->text() + k.latin);
}

void TfmQuerySerialNumber::scanEndKey() {
    Timer1->stop();
    timerPending_ = false;
    ui::KeyDrain::drain(kScanEndMs);
    Timer1Timer();
}

void TfmQuerySerialNumber::Timer1Timer() {
    if (evaluating_) return;
    if (sender() != Timer1) {
        Timer1->stop();
        timerPending_ = false;
        const QPointer<TfmQuerySerialNumber> self(this);
        ui::KeyDrain::drain(kScanEndMs);
        if (!self || evaluating_) return;
    }
    Timer1->stop();
    timerPending_ = false;
    result_.fraction = MarkFraction{};
    const QString scan = EdEng->text();
    Edit1->clear();
    EdEng->clear();
    evaluating_ = true;
    closeAllowed_ = false;
    const QPointer<TfmQuerySerialNumber> self(this);
    try {
        evaluate(scan);
    } catch (...) {
        if (self) {
            evaluating_ = false;
            closeAllowed_ = true;
        }
        throw;
    }
    if (!self) return;
    evaluating_ = false;
    closeAllowed_ = true;
    if (result_.validation.accepted) accept();
}

void TfmQuerySerialNumber::evaluate(const QString& scan) {
    const int tag = setup_.markType;
    if (scanDisposition(tag, scan.size()) != ScanDisposition::Evaluate) return;
    if (tag == Tobacco && CheckBox1->isChecked()) {
        lblSerialGTIN->clear();
        lblMaxRetailPrice->clear();
        return;
    }
    const NormalizedMark normal = NormalizeMarkCode(scan, tag);
    if (!normal.ok) {
        ui::messages().show(this, formatMessage(tag), ui::Icon::Error);
        return;
    }
    const MarkParts parts = ExtractMarkParts(tag, scan, normal.code);
    MarkedScan unit;
    unit.code = normal.code;
    unit.gtin = parts.gtin;
    unit.serial = parts.serial;
    unit.codeKind = normal.codeKind;
    lblSerialGTIN->setText(unit.serial);

    if (tag == Tobacco) {
        const bool pack = normal.code.size() == 29;
        unit.mrpText = parts.priceField;
        unit.mrp = TobaccoMrp(parts.priceField, pack);
        unit.priceText = ApplyTobaccoPriceRule(Tobacco, memPrice->text(), QChar(pack ? TobaccoUnitPack : TobaccoGroupPack),
                                               memPrice->text(), Money::fromKopecks(unit.mrp), setup_.tobaccoSetting);
        lblMaxRetailPrice->setText(Money::fromKopecks(unit.mrp).toString());
        lblMaxPriceGTIN->setText(unit.mrpText);
        // A price field that is no base-80 number, or a price outside what
        // the MRP allows, is refused here as on the main screen.
        if (unit.mrp < 0 || !tobaccoPriceAllowed(unit.priceText, Money::fromKopecks(unit.mrp))) {
            lblMaxRetailPrice->clear();
            ui::messages().show(this, receiptMessage(ReceiptMessageId::TobaccoPriceOutOfLimits).text, ui::Icon::Error);
            return;
        }
    }

    if (GtinCheck(tag, unit.gtin, setup_.barcodes) == GtinMatch::Mismatch) {
        const QString question = gtinMismatchQuestion(tag, setup_.goods.good.name);
        const ui::Answer answer = tag == Shoes ? ui::messages().ask(this, question, ui::Icon::Question, false)
                                               : ui::messages().askYesNoCancel(this, question, ui::Icon::Question);
        if (answer != ui::Answer::Yes) return;
    }

    if (setup_.markedItems && IsDuplicateMark(*setup_.markedItems, unit.gtin, unit.serial)) {
        ui::messages().show(this, duplicateMarkText(), ui::Icon::Error);
        return;
    }

    if (setup_.goods.measure && *setup_.goods.measure == 0 && setup_.goods.fractionalAllow) {
        const FractionQuestion ask = setup_.askFraction ? setup_.askFraction : askFractionInWindow;
        const std::optional<MarkFraction> fraction = ask(
            setup_.goods.packCount, setup_.goods.good.name, markTypeCaption(setup_.goods.markType), this);
        if (!fraction) return;
        unit.fraction = *fraction;
    }

    if (tag == Tobacco) {
        const std::optional<QString> price = TobaccoUnitPrice(unit.priceText);
        unit.priceText = price.value_or(unit.priceText);
        if (setup_.receipt) {
            const ReceiptModel& model = *setup_.receipt;
            const int found = FindGoodRowWithPrice(model, setup_.goods.good.id, unit.priceText);
            if (found < 0) {
                const int row = FindGoodRow(model, setup_.goods.good.id);
                ui::messages().show(
                    this, markedPriceConflictText(unit.priceText, row, model.cell(row, ReceiptModel::ColPrice)),
                    ui::Icon::Error);
                return;
            }
            if (found == 0 && model.receiptDiscountKind() != QLatin1Char('N'))
                ui::messages().show(this, tobaccoDiscountWarningText(), ui::Icon::Warning);
        }
    }

    // The rest of what the receipt could refuse, asked before the register
    // checks the code: a code accepted there must go into the receipt.
    if (setup_.receipt) {
        static const QList<QStringList> kNoItems;
        const QString problem = markedPositionProblem(
            *setup_.receipt, setup_.markedItems ? *setup_.markedItems : kNoItems, setup_.goods, unit);
        if (!problem.isEmpty()) {
            ui::messages().show(this, problem, ui::Icon::Error);
            return;
        }
    }

    if (!setup_.openRegister || setup_.openRegister() < 0) {
        if (setup_.registerLost) setup_.registerLost();
        ui::messages().show(this, noRegisterText(), ui::Icon::Error);
        return;
    }

    if (!setup_.validate) return;
    const QPointer<TfmQuerySerialNumber> self(this);
    const MarkValidation validation = setup_.validate(unit.code, unit.fraction, this);
    if (!self || !validation.accepted) return;
    unit.validation = validation;
    result_ = unit;
}

void TfmQuerySerialNumber::btnOKClick() {
    if (setup_.markType != Tobacco || !CheckBox1->isChecked()) return;
    const std::optional<QString> price = ValidateManualTobaccoPrice(memPrice->text());
    if (!price) {
        ui::messages().show(this, badManualPriceText(), ui::Icon::Error);
        return;
    }
    // A unit without a code has no GTIN of its own either: the shop's
    // barcode is no marking datum, and a GTIN without a serial would mark
    // the stored receipt as broken for a later refund.
    MarkedScan unit;
    unit.priceText = *price;
    result_ = unit;
    accept();
}

std::optional<MarkFraction> askFractionInWindow(int packCount, const QString& name, const QString& caption,
                                                QWidget* parent) {
    return queryFractionalCount(parent, name, caption, packCount);
}

std::optional<MarkedScan> querySerialNumber(QuerySerialSetup setup, QWidget* parent) {
    QPointer<TfmQuerySerialNumber> dialog = new TfmQuerySerialNumber(std::move(setup), parent);
    const int rc = dialog->exec();
    std::optional<MarkedScan> out;
    if (dialog && rc == QDialog::Accepted) out = dialog->scanned();
    delete dialog.data();
    return out;
}

}  // namespace sales::marking
