#include "sales/marking/uCountInputMarkGood.h"

#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"
#include "sales/closing/ReceiptLines.h"
#include "sales/input/ScanInput.h"
#include "sales/marking/FractionalCount.h"
#include "sales/marking/MarkCodeFormat.h"
#include "sales/screen/CountInputLogic.h"
#include "sales/screen/Registration_Mode.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

TfmCountInputMarkGood* fmCountInputMarkGood = nullptr;

namespace sales {

namespace {

// The scan dialog's own format check and captions.
MarkCodeFormat programFormat() {
    return {[](const QString& scan, int markType) -> std::optional<QString> {
                const marking::NormalizedMark m = marking::NormalizeMarkCode(scan, markType);
                if (!m.ok) return std::nullopt;
                return m.code;
            },
            [](int markType) { return marking::markTypeCaption(markType); }};
}

MarkCodeFormat& formatSlot() {
    static MarkCodeFormat format = programFormat();
    return format;
}

}  // namespace

const MarkCodeFormat& markCodeFormat() { return formatSlot(); }

void setMarkCodeFormat(MarkCodeFormat format) {
    formatSlot() = format.normalise && format.caption ? std::move(format) : programFormat();
}

}  // namespace sales

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text = {}) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

// Ctrl+] is how scanners type the group separator of GS1 codes.
bool groupSeparatorKey(const QKeyEvent* event) {
    if ((event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != Qt::ControlModifier) return false;
    return event->text() == QString(sales::kGroupSeparator) || event->key() == Qt::Key_BracketRight ||
           event->nativeScanCode() == sales::kBracketRightScanCode;
}

}  // namespace

TfmCountInputMarkGood::TfmCountInputMarkGood(TfmReg& reg, const sales::MarkedQuantityRequest& request,
                                             QWidget* parent)
    : QDialog(parent),
      reg_(reg),
      row_(request.row),
      markType_(request.markType),
      serialMode_(request.tag),
      layout_(sales::systemKeyboardLayout()) {
    setObjectName(QStringLiteral("fmCountInputMarkGood"));
    setWindowTitle(QStringLiteral("Изменить количество"));
    fmCountInputMarkGood = this;

    auto* warning = label(this, "Label1",
                          QStringLiteral("Изменение количества МАРКИРОВАННОГО товара в чеке возможно только в "
                                         "сторону УМЕНЬШЕНИЯ"));
    warning->setWordWrap(true);
    auto* advice = label(this, "Label2",
                         QStringLiteral("Отсканируйте код DataMatrix с упаковки того экземпляра, который Вы "
                                        "желаете убрать из чека"));
    advice->setWordWrap(true);
    lblName = label(this, "lblName", request.name.trimmed());
    lblName->setWordWrap(true);
    {
        QFont f = lblName->font();
        f.setBold(true);
        lblName->setFont(f);
    }
    sales::setControlTag(lblName, request.goodsId.toInt());
    lblName->setProperty("goodsId", request.goodsId);
    const auto& format = sales::markCodeFormat();
    lblMarkType = label(this, "lblMarkType", format.caption ? format.caption(markType_) : QString());
    lblCount = label(this, "lblCount");
    lblCountMark = label(this, "lblCountMark", QString::number(request.withSerial));
    lblCountNoMark = label(this, "lblCountNoMark", QString::number(request.withoutSerial));
    {
        QFont f = lblCount->font();
        f.setPointSize(20);
        f.setBold(true);
        lblCount->setFont(f);
    }
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->hide();
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(100);
    btnMinus = new QPushButton(QStringLiteral("-"), this);
    btnMinus->setObjectName(QStringLiteral("btnMinus"));
    btnPlus = new QPushButton(QStringLiteral("+"), this);
    btnPlus->setObjectName(QStringLiteral("btnPlus"));
    btnClose = new QPushButton(QStringLiteral("ЗАКРЫТЬ"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    // Keys are for the scanner: no button takes Enter or Space from it.
    for (QPushButton* b : {btnMinus, btnPlus, btnClose}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
    }

    auto* counts = new QHBoxLayout;
    counts->addWidget(btnMinus);
    counts->addWidget(lblCount, 1, Qt::AlignCenter);
    counts->addWidget(btnPlus);
    auto* split = new QHBoxLayout;
    split->addWidget(label(this, "Label3", QStringLiteral("с маркировкой:")));
    split->addWidget(lblCountMark);
    split->addWidget(label(this, "Label4", QStringLiteral("без маркировки:")));
    split->addWidget(lblCountNoMark);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblName);
    layout->addWidget(lblMarkType);
    layout->addWidget(warning);
    layout->addLayout(counts);
    layout->addLayout(split);
    layout->addWidget(advice);
    layout->addWidget(Edit1);
    layout->addWidget(btnClose);

    setMinimumWidth(440);
    showCount(request.quantity);
    connect(Timer1, &QTimer::timeout, this, &TfmCountInputMarkGood::Timer1Timer);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    setFocusPolicy(Qt::StrongFocus);
}

TfmCountInputMarkGood::~TfmCountInputMarkGood() {
    if (fmCountInputMarkGood == this) fmCountInputMarkGood = nullptr;
}

int TfmCountInputMarkGood::count() const { return sales::controlTag(lblCount); }

void TfmCountInputMarkGood::showCount(int count) {
    lblCount->setText(QString::number(count));
    sales::setControlTag(lblCount, count);
}

void TfmCountInputMarkGood::FormKeyPress(QChar typed, QChar latin) {
    Timer1->start();
    sales::setControlTag(Timer1, 1);
    if (typed == sales::kGroupSeparator) {
        Edit1->setText(Edit1->text() + typed);
        return;
    }
    layout_ = layoutProvider_ ? layoutProvider_() : sales::layoutFromCharacter(typed, layout_);
    const QChar c = latin.isNull() ? sales::latinCharFor(typed, layout_) : latin;
    // Under a layout the program does not know the key is not read.
    if (!c.isNull()) Edit1->setText(Edit1->text() + c);
}

bool TfmCountInputMarkGood::takeKey(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) return false;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // The scanner's Enter ends its scan at once; by hand it does nothing.
        if (sales::controlTag(Timer1) == 1) {
            Timer1Timer();
        }
        return true;
    }
    if (groupSeparatorKey(event)) {
        FormKeyPress(sales::kGroupSeparator);
        return true;
    }
    const QString text = event->text();
    if (text.isEmpty() || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) return false;
    QChar latin;
    if (event->nativeScanCode() != 0 && text.size() == 1 && !(event->modifiers() & Qt::KeypadModifier))
        latin = sales::latinCharForScanCode(event->nativeScanCode(), event->modifiers() & Qt::ShiftModifier,
                                            text.at(0));
    for (const QChar c : text)
        if (c.isPrint() || c == sales::kGroupSeparator) FormKeyPress(c, text.size() == 1 ? latin : QChar());
    return true;
}

void TfmCountInputMarkGood::keyPressEvent(QKeyEvent* event) {
    if (takeKey(event)) return;
    QDialog::keyPressEvent(event);
}

void TfmCountInputMarkGood::Timer1Timer() {
    ui::guarded(this, [this] { evaluateScan(); });
}

void TfmCountInputMarkGood::evaluateScan() {
    Timer1->stop();
    sales::setControlTag(Timer1, 0);
    const QString scan = Edit1->text().trimmed();
    Edit1->clear();
    if (scan.isEmpty()) return;
    const sales::MarkCodeFormat& format = sales::markCodeFormat();
    const std::optional<QString> code = format.normalise ? format.normalise(scan, markType_) : std::nullopt;
    if (!code) {
        ui::showError(sales::markCodeFormatMessage(format.caption ? format.caption(markType_) : QString()), this);
        return;
    }
    const std::optional<sales::GtinSerial> parts = sales::ExtractGtinSerialForLowering(markType_, *code);
    if (!parts) return;  // not a code of an item: the next scan is awaited
    const QString goodsId = lblName->property("goodsId").toString();
    const int index = sales::FindMarkedItem(reg_.MarkedItems(), goodsId, *parts);
    if (index < 0) {
        ui::showError(sales::fractionText::kSerialNotInReceipt, this);
        return;
    }
    // The count is checked before the record is touched, so a failure
    // leaves the receipt as it was.
    const sales::LowerDecision next = sales::LowerMarkedCount(count());
    switch (next.kind) {
    case sales::LowerDecision::Kind::Error: ui::showError(sales::markedCountFailureMessage(), this); return;
    case sales::LowerDecision::Kind::Delete: {
        sales::PositionEdits* edits = sales::findPositionEdits(reg_);
        if (edits) edits->annulPosition(row_, false);
        // A deletion that did not happen (the database failed and said so)
        // keeps the window open with the item still in the receipt.
        if (sales::FindMarkedItem(reg_.MarkedItems(), goodsId, *parts) >= 0) return;
        done(PositionRemoved);
        return;
    }
    case sales::LowerDecision::Kind::Update: takeOut(index, next.count); return;
    }
}

void TfmCountInputMarkGood::takeOut(int index, int newCount) {
    sales::ReceiptModel& model = reg_.receipt();
    QList<QStringList>& items = reg_.MarkedItems();
    const sales::ReceiptModel before = model;
    const QStringList record = items[index];
    for (QString& entry : items[index]) entry.clear();
    const QString goodsId = lblName->property("goodsId").toString();
    const std::optional<sales::Qty> quantity = sales::markedGoodsQuantity(items, goodsId);
    // What is left of the position is what its remaining codes add up to.
    const bool written = quantity && model.setQuantity(row_, *quantity);
    if (!written) {
        items[index] = record;
        ui::showError(sales::markedCountFailureMessage(), this);
        return;
    }
    model.setAttr(row_, sales::ReceiptModel::AttrPackParts, sales::packPartsOf(items, goodsId));
    // A sum discount was set for what the position held; like any other
    // change of quantity, taking a unit out drops it.
    sales::dropSumDiscounts(model, row_);
    if (reg_.RecalcReceipt() != 0) {
        // Refused (and said why): the unit stays, the receipt is as it was.
        model.assignContent(before);
        items[index] = record;
        reg_.updateGoodsGrid();
        reg_.updateDiscountButtons();
        return;
    }
    showCount(newCount);
    reg_.setCurrentReceiptRow(row_);
}

int runCountInputMarkGood(TfmReg& reg, const sales::MarkedQuantityRequest& request) {
    QPointer<TfmCountInputMarkGood> window = new TfmCountInputMarkGood(reg, request, &reg);
    const int result = window->exec();
    delete window.data();
    return result;
}
