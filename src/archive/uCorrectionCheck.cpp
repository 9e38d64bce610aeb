#include "archive/uCorrectionCheck.h"

#include "archive/KktJsonChannel.h"
#include "archive/MainScreenChannel.h"
#include "core/DataModule.h"
#include "platform/sys/ProgramFolder.h"
#include "platform/ui/Guard.h"
#include "sales/closing/CloseReceipt.h"
#include "sales/receipt/ReceiptCalc.h"
#include "sales/receipt/ReceiptRules.h"
#include "sales/screen/Registration_Mode.h"
#include "sales/screen/uPrinttMessage.h"

#include <QCloseEvent>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TfmCorrectionCheck* fmCorrectionCheck = nullptr;

namespace {

// The register report's wait window, with the correction's caption and a
// larger text.
class PrintMessageCorrectionWait : public archive::CorrectionWaitView {
public:
    explicit PrintMessageCorrectionWait(QWidget* parent) : parent_(parent) {}
    void open(const QString& caption, const QString& text) override {
        TfmPrinttMessage* w = showPrintMessage(0, parent_);
        w->setWindowTitle(caption);
        QFont f = w->Label1->font();
        f.setPointSize(14);
        w->Label1->setFont(f);
        setText(text);
    }
    void setText(const QString& text) override {
        if (!fmPrinttMessage) return;
        fmPrinttMessage->setText(text);
        fmPrinttMessage->repaint();
    }
    void close() override {
        if (!fmPrinttMessage) return;
        fmPrinttMessage->hide();
        closePrintMessage();
    }

private:
    QWidget* parent_;
};

QLineEdit* memo(QWidget* parent, const QString& name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(true);
    e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    e->setContextMenuPolicy(Qt::NoContextMenu);
    return e;
}

const QString kUnstoredClose =
    QStringLiteral("Чек коррекции напечатан, но не записан в базу данных.     \r\nОн сохранен в журнале печати и "
                   "будет записан     \r\nпри следующем входе в программу.     \r\nЗакрыть окно?     ");

}  // namespace

TfmCorrectionCheck::TfmCorrectionCheck(TfmReg& screen, archive::KktJsonChannel& channel, fb::Connection& db,
                                       const QString& programFolder, QWidget* parent)
    : QDialog(parent ? parent : &screen),
      screen_(screen),
      channel_(channel),
      db_(db),
      programFolder_(programFolder),
      wait_(std::make_unique<PrintMessageCorrectionWait>(this)) {
    setObjectName(QStringLiteral("fmCorrectionCheck"));
    setAttribute(Qt::WA_DeleteOnClose);
    fmCorrectionCheck = this;

    auto* productCaption = new QLabel(QStringLiteral("Предмет расчета:"), this);
    lblProductType = new QLabel(this);
    lblProductType->setObjectName(QStringLiteral("lblProductType"));
    lblProductType->setFrameShape(QFrame::Panel);
    lblProductType->setFrameShadow(QFrame::Sunken);
    lblProductType->setContextMenuPolicy(Qt::CustomContextMenu);
    PM_ProductType = new QMenu(this);
    PM_ProductType->setObjectName(QStringLiteral("PM_ProductType"));
    const QStringList itemNames{QStringLiteral("PM_PT_T"), QStringLiteral("PM_PT_AT"), QStringLiteral("PM_PT_R"),
                                QStringLiteral("PM_PT_U"), QStringLiteral("PM_PT_SPR")};
    for (int i = 0; i < itemNames.size(); ++i) {
        const archive::ProductType type = archive::productTypes().at(i);
        QAction* a = PM_ProductType->addAction(type.caption);
        a->setObjectName(itemNames.at(i));
        connect(a, &QAction::triggered, this, [this, type] { setProductType(type); });
    }
    connect(lblProductType, &QLabel::customContextMenuRequested, this,
            [this](const QPoint& at) { PM_ProductType->popup(lblProductType->mapToGlobal(at)); });

    GroupBox1 = new QGroupBox(QStringLiteral("  Тип коррекции  "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    RadioButton1 = new QRadioButton(QStringLiteral("самостоятельно"), GroupBox1);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton2 = new QRadioButton(QStringLiteral("по предписанию"), GroupBox1);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    auto* kindLayout = new QHBoxLayout(GroupBox1);
    kindLayout->addWidget(RadioButton1);
    kindLayout->addWidget(RadioButton2);
    connect(RadioButton2, &QRadioButton::clicked, this, &TfmCorrectionCheck::RadioButton2Click);

    dtPicker = new QDateEdit(this);
    dtPicker->setObjectName(QStringLiteral("dtPicker"));
    dtPicker->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    dtPicker->setCalendarPopup(true);
    dtPicker->setContextMenuPolicy(Qt::NoContextMenu);
    edDoc = new QLineEdit(this);
    edDoc->setObjectName(QStringLiteral("edDoc"));
    edDoc->setContextMenuPolicy(Qt::NoContextMenu);
    edDocNum = new QLineEdit(this);
    edDocNum->setObjectName(QStringLiteral("edDocNum"));
    edDocNum->setContextMenuPolicy(Qt::NoContextMenu);
    memSumma = memo(this, QStringLiteral("memSumma"));
    QFont big = memSumma->font();
    big.setPointSize(16);
    memSumma->setFont(big);

    GroupBox2 = new QGroupBox(QStringLiteral("Тип оплаты"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    rbNal = new QRadioButton(QStringLiteral("наличными"), GroupBox2);
    rbNal->setObjectName(QStringLiteral("rbNal"));
    rbNal->setChecked(true);
    rbEl = new QRadioButton(QStringLiteral("безналичными"), GroupBox2);
    rbEl->setObjectName(QStringLiteral("rbEl"));
    memNal = memo(GroupBox2, QStringLiteral("memNal"));
    memNal->hide();
    memEl = memo(GroupBox2, QStringLiteral("memEl"));
    memEl->hide();
    auto* payLayout = new QVBoxLayout(GroupBox2);
    payLayout->addWidget(rbNal);
    payLayout->addWidget(rbEl);

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setAutoDefault(false);
    btnCancel = new QPushButton(QStringLiteral("ОТМЕНА"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    connect(btnOK, &QPushButton::clicked, this, &TfmCorrectionCheck::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfmCorrectionCheck::btnCancelClick);

    auto* form = new QGridLayout;
    int row = 0;
    form->addWidget(productCaption, row, 0);
    form->addWidget(lblProductType, row++, 1);
    form->addWidget(GroupBox1, row++, 0, 1, 2);
    form->addWidget(new QLabel(QStringLiteral("Дата совершения корректируемого расчета:"), this), row, 0);
    form->addWidget(dtPicker, row++, 1);
    form->addWidget(new QLabel(QStringLiteral("Описание коррекции:"), this), row, 0);
    form->addWidget(edDoc, row++, 1);
    form->addWidget(new QLabel(QStringLiteral("Номер предписания:"), this), row, 0);
    form->addWidget(edDocNum, row++, 1);
    form->addWidget(new QLabel(QStringLiteral("Сумма"), this), row, 0);
    form->addWidget(memSumma, row++, 1);
    form->addWidget(GroupBox2, row++, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    // Keys reach the read-only sum fields through the window, as typed.
    for (QLineEdit* m : {memSumma, memNal, memEl}) m->installEventFilter(this);

    flow_ = std::make_unique<archive::CorrectionFlow>(
        channel_, db_, *wait_, [this] { screen_.registerMenu().markNotConnected(); }, this,
        sales::PrintJournal(programFolder_));
    setTag(1);
}

TfmCorrectionCheck::~TfmCorrectionCheck() {
    if (fmCorrectionCheck == this) fmCorrectionCheck = nullptr;
}

void TfmCorrectionCheck::setTag(int tag) {
    tag_ = tag;
    setWindowTitle(tag == 2 ? archive::kCorrectionCaptionExpense : archive::kCorrectionCaptionIncome);
}

QDate TfmCorrectionCheck::today() const {
    return today_ ? today_() : QDate::currentDate();
}

void TfmCorrectionCheck::setProductType(const archive::ProductType& type) {
    lblProductType->setText(type.caption);
    sales::setControlTag(lblProductType, type.code);
}

void TfmCorrectionCheck::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TfmCorrectionCheck::FormShow() {
    memSumma->clear();
    memNal->clear();
    memEl->clear();
    edDocNum->clear();
    edDoc->clear();
    RadioButton1->setChecked(true);
    dtPicker->setDate(today());
    const sales::ReceiptModel& receipt = screen_.receipt();
    if (!sales::calcReceiptTotal(receipt).isZero()) memSumma->setText(screen_.lblChekItogo->text().trimmed());
    const QString kind = receipt.dataRowCount() >= 1 ? receipt.cell(1, sales::ReceiptModel::ColSubject) : QString();
    setProductType(archive::productTypeFromKind(kind));
    edDoc->setFocus();
}

bool TfmCorrectionCheck::isMemo(QObject* o) const {
    return o == memSumma || o == memNal || o == memEl;
}

bool TfmCorrectionCheck::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !isMemo(watched)) return QDialog::eventFilter(watched, event);
    auto* memoEdit = static_cast<QLineEdit*>(watched);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & Qt::ShiftModifier) return QDialog::eventFilter(watched, event);
    if (key->key() == Qt::Key_Backspace) {
        memoEdit->setText(memoEdit->text().chopped(memoEdit->text().isEmpty() ? 0 : 1));
        memoEdit->end(false);
        return true;
    }
    if (key->key() == Qt::Key_Delete) {
        if (memoEdit->hasSelectedText()) {
            const int start = memoEdit->selectionStart();
            QString t = memoEdit->text();
            t.remove(start, memoEdit->selectedText().size());
            memoEdit->setText(t);
            memoEdit->setCursorPosition(start);
        }
        return true;
    }
    const QString text = key->text();
    if (text.size() == 1 && text.at(0).isPrint()) {
        const sales::NumericKeyResult r = sales::FilterNumericKey(memoEdit->text(), 10, 2, text.at(0));
        if (r.changed) memoEdit->setText(r.text);
        memoEdit->end(false);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfmCorrectionCheck::RadioButton2Click() {
    // The order's number is asked in both kinds of correction.
    if (RadioButton2->isChecked()) edDocNum->setEnabled(true);
}

void TfmCorrectionCheck::btnOKClick() {
    ui::guarded(this, [this] {
        // Printed already, the database refused it: only the record is missing.
        if (flow_->hasUnstored()) {
            if (flow_->store() == archive::CorrectionFlow::Outcome::Done) accept();
            return;
        }
        archive::CorrectionEntry entry;
        entry.userName = screen_.lblUser->text();
        entry.causeName = edDoc->text();
        entry.causeDocNum = edDocNum->text();
        entry.sumText = memSumma->text();
        entry.causeDate = dtPicker->date();
        entry.today = today();
        entry.portName = screen_.KktJsonPortName;
        entry.baudRate = screen_.KktJsonBaudRate;
        const QString refusal = archive::validateCorrection(entry);
        if (!refusal.isEmpty()) {
            ui::showError(refusal, this);
            return;
        }
        // The shop's tax system is what the screen shows, checked as closing
        // a receipt checks it: the code a closed receipt leaves behind is
        // gone once its window closes.
        const int taxSystem = screen_.taxSystemTag();
        const QString taxRefusal = sales::taxSystemRefusal(taxSystem, screen_.lblTaxSystem->text());
        if (!taxRefusal.isEmpty()) {
            ui::showError(taxRefusal, this);
            return;
        }
        if (!ui::askYesNo(tag_ == 2 ? archive::kCorrectionAskExpense : archive::kCorrectionAskIncome, this)) return;

        archive::CorrectionOrder order;
        order.tag = tag_;
        order.userName = screen_.lblUser->text();
        order.userInn = screen_.lblINN->text();
        order.correctionType = RadioButton1->isChecked() ? 0 : 1;
        order.causeName = edDoc->text();
        order.causeDate = dtPicker->date();
        order.causeDocNum = edDocNum->text();
        order.productTypeCode = sales::controlTag(lblProductType);
        order.kopecks = archive::sumToKopecks(memSumma->text());
        order.cash = rbNal->isChecked();
        order.taxSystem = taxSystem;
        // The receipt in progress, its kind and its controls stay as they
        // were: a correction is printed beside it, not instead of it.
        if (flow_->print(order) != archive::CorrectionFlow::Outcome::Done) return;
        accept();
    });
}

void TfmCorrectionCheck::btnCancelClick() {
    close();
}

void TfmCorrectionCheck::reject() {
    if (flow_->hasUnstored() && !ui::askYesNo(kUnstoredClose, this)) return;
    QDialog::reject();
}

namespace archive {

void openCorrectionCheck(TfmReg& screen, int tag) {
    ui::guarded(&screen, [&] {
        if (!core::DataModule1) return;
        // The port and speed as last saved, also after a failed session
        // cleared them.
        screen.takeKktConnectionSettings();
        QPointer<TfmCorrectionCheck> w = fmCorrectionCheck;
        if (!w)
            w = new TfmCorrectionCheck(screen, kktJsonChannel(screen), core::DataModule1->IBDatabase1(),
                                       sys::programFolder(), &screen);
        w->setTag(tag);
        w->exec();
    });
}

}  // namespace archive
