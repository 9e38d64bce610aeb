#include "sales/closing/uCheckInfo.h"

#include "core/Settings.h"
#include "platform/db/Connection.h"
#include "platform/db/Transaction.h"
#include "sales/closing/RefundLimits.h"
#include "platform/sys/ProgramFolder.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"
#include "sales/screen/MainScreenState.h"
#include "sales/screen/PortionsLogic.h"
#include "sales/closing/PrintProgress.h"
#include "sales/closing/PrintSettle.h"
#include "sales/closing/ReceiptStore.h"
#include "sales/screen/RegisterMenu.h"
#include "sales/screen/Registration_Mode.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

TfmCheckInfo* fmCheckInfo = nullptr;

namespace sales {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString dashOr(Money m) { return m.isZero() ? QStringLiteral("- ") : m.toString(); }

}  // namespace

PrintJob printJobFromScreen(TfmReg& reg, const PaymentEntered& payment) {
    PrintJob job;
    job.cashierName = reg.lblUser->text().trimmed();
    job.cashierInn = reg.lblINN->text().trimmed();
    job.kind = reg.receiptKind();
    job.paymentFlag = reg.PaymentMethodFlag();
    job.taxSystemCode = reg.TaxSystemCode();
    job.legalEntity = reg.chLE->isChecked();
    job.buyerName = reg.lblBuyerName->text().trimmed();
    job.buyerInn = reg.lblINNBuyer->text().trimmed();
    job.buyerContact = reg.edTelefon->text().trimmed();
    job.ourEmail = reg.edOurEmail->text().trimmed();
    job.refundedFiscalSign = reg.edFPD->text().trimmed();
    if (job.kind == KindSaleReturn) job.refundedDocId = controlTag(reg.edFPD);
    job.lines = reg.ReceiptLines();
    job.portions = portionChoicesWithinReceipt(reg.PortionChoices(), reg.receipt());
    job.total = payment.total;
    job.totalText = payment.total.toString();
    job.cash = payment.cash;
    job.card = payment.card;
    job.prepay = payment.prepay;
    return job;
}

void showRegisterDisconnected(TfmReg& reg) { reg.registerMenu().markDisconnected(); }

namespace {

// A return printed against a stored sale gives back no more than the sale
// has left, counting the returns printed and not stored yet, whatever was
// added to it after the copy and whatever the payment-method flag. A sign
// typed without a sale taken names its sale here, or the one it names alone.
// A return that names a sale never prints unless the database tells what is
// left of it; one that names none has no limit to ask for.
QString refundProblem(fb::Connection* db, PrintJob& job, const PrintJournal& journal) {
    if (job.kind != KindSaleReturn) return {};
    if (job.refundedDocId <= 0 && job.refundedFiscalSign.trimmed().isEmpty()) return {};
    if (!db) return refundLimitText::kCannotTell;
    try {
        fb::Transaction tr(*db, fb::Transaction::Access::ReadOnly);
        if (job.refundedDocId <= 0) {
            const std::optional<QString> sign = normalizedFiscalSign(job.refundedFiscalSign);
            if (!sign) return refundLimitText::kSignNotNumber;
            const std::vector<SaleBySign> sales = salesBySign(tr, *sign);
            if (sales.size() > 1) return refundLimitText::kSeveralSales;
            job.refundedFiscalSign = sales.empty() ? *sign : sales.front().fiscalSign;
            if (!sales.empty()) job.refundedDocId = sales.front().docId;
        }
        if (job.refundedDocId <= 0) return {};
        const SaleLedger sale = readSaleLedger(tr, job.refundedDocId, journal.jobs());
        tr.commit();
        if (!sale.found()) return {};
        // What the register prints is the sale's own sign.
        job.refundedFiscalSign = sale.fiscalSign;
        return refundProblemOf(sale, wantedFromLines(job.lines, job.paymentFlag));
    } catch (const std::exception&) {
        return refundLimitText::kCannotTell;
    }
}

fb::Connection* databaseOf(SaleServices& services) { return services.database ? services.database() : nullptr; }

}  // namespace

bool settleBeforeRegisterOperation(TfmReg& reg, SaleServices& services, QWidget* parent, QString* refusal) {
    PrintJournal& journal = services.printer.journal();
    if (journal.isEmpty() && !journal.blocked()) return true;
    if (!journal.readable()) {
        if (refusal) *refusal = journalUnreadableMessage(journal);
        return false;
    }
    const SettleResult r =
        settlePrintJournal(journal, reg.KKTDriver(), databaseStorer(databaseOf(services), reg.documentType()));
    if (r.answer.connectionLost) showRegisterDisconnected(reg);
    // While a print is unresolved the register menu says why it refuses.
    const QString text = settleMessage(r, false);
    if (!text.isEmpty()) {
        if (settleNeedsAttention(r)) ui::showWarning(text, parent);
        else ui::showInfo(text, parent);
    }
    return !r.blocked();
}

void resetScreenAfterReceipt(TfmReg& reg, fb::Connection* db) {
    reg.resetReceipt();
    reg.RecalcReceipt();

    const core::Settings settings(sys::programFolder(), db);
    const QString caption = settings.operationCaption();
    const int kind = receiptKindFromCaption(caption);
    if (kind != KindUnknown) {
        reg.setReceiptKind(kind);
    } else {
        reg.lblOperationType->setText(caption);
        setControlTag(reg.lblOperationType, 0);
    }
    if (db) {
        try {
            const int code = settings.taxSystemCode();
            if (core::isTaxSystemCode(code)) reg.setTaxSystem(code);
        } catch (...) {
            // An unreadable setting leaves the label as it is.
        }
    }
    reg.setTaxSystemCode(-1);
    reg.SetPaymentMethodFlag(PayFull);

    reg.edFPD->clear();
    setControlTag(reg.edFPD, 0);
    reg.edFPD->setVisible(fiscalSignFieldVisible(reg.receiptKind()));
    reg.chLE->setChecked(false);
    for (QLabel* l : {reg.Label6, reg.lblBuyerName, reg.Label7, reg.lblINNBuyer}) l->hide();
    reg.lblBuyerName->clear();
    reg.lblINNBuyer->clear();
    reg.edTelefon->clear();
    setControlTag(reg.edTelefon, 0);
    reg.updateDiscountButtons();
}

}  // namespace sales

using namespace sales;

TfmCheckInfo::TfmCheckInfo(TfmReg& reg, SaleServices& services, const PaymentEntered& payment, QWidget* parent)
    : QDialog(parent), reg_(reg), services_(services), payment_(payment) {
    setObjectName(QStringLiteral("fmCheckInfo"));
    setWindowTitle(kCaption);
    fmCheckInfo = this;

    auto label = [this](const QString& name, const QString& text = QString()) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        return l;
    };
    auto value = [&](const QString& name) {
        QLabel* l = label(name);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QFont f = l->font();
        f.setPointSize(14);
        f.setBold(true);
        l->setFont(f);
        return l;
    };
    lblSumCheck = value(QStringLiteral("lblSumCheck"));
    lblEl = value(QStringLiteral("lblEl"));
    lblNal = value(QStringLiteral("lblNal"));
    lblPrepay = value(QStringLiteral("lblPrepay"));
    lblGive = value(QStringLiteral("lblGive"));
    lblChange = value(QStringLiteral("lblChange"));
    Label6 = label(QStringLiteral("Label6"));
    Label7 = label(QStringLiteral("Label7"));
    txtPrefNumber = new QLineEdit(this);
    txtPrefNumber->setObjectName(QStringLiteral("txtPrefNumber"));
    txtPrefNumber->hide();

    auto button = [this](const QString& name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        b->setMinimumHeight(40);
        return b;
    };
    btnPrintCheck = button(QStringLiteral("btnPrintCheck"), QStringLiteral("ПЕЧАТЬ"));
    btnGoodsCheck = button(QStringLiteral("btnGoodsCheck"), QStringLiteral("ТОВАРНЫЙ ЧЕК"));
    btnStoreAgain = button(QStringLiteral("btnStoreAgain"), QStringLiteral("ЗАПИСАТЬ В БД"));
    btnStoreAgain->hide();
    btnCancel = button(QStringLiteral("btnCancel"), QStringLiteral("ОТМЕНА"));
    setControlTag(btnPrintCheck, 0);
    setControlTag(btnGoodsCheck, 0);
    pbPrint = new QProgressBar(this);
    pbPrint->setObjectName(QStringLiteral("pbPrint"));
    pbPrint->setFormat(QStringLiteral("Печать чека: позиция %v из %m"));
    pbPrint->hide();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(100);

    auto* grid = new QGridLayout;
    const QList<QPair<QString, QLabel*>> rows{
        {QStringLiteral("Сумма чека:"), lblSumCheck},    {QStringLiteral("Безналичными:"), lblEl},
        {QStringLiteral("Наличными:"), lblNal},          {QStringLiteral("Предоплатой:"), lblPrepay},
        {QStringLiteral("Получено от покупателя:"), lblGive}, {QStringLiteral("Сдача:"), lblChange},
    };
    for (int i = 0; i < rows.size(); ++i) {
        grid->addWidget(new QLabel(rows[i].first, this), i, 0);
        grid->addWidget(rows[i].second, i, 1);
    }
    auto* contact = new QHBoxLayout;
    contact->addWidget(Label6);
    contact->addWidget(Label7, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnPrintCheck);
    buttons->addWidget(btnStoreAgain);
    buttons->addWidget(btnGoodsCheck);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(contact);
    layout->addWidget(pbPrint);
    layout->addLayout(buttons);

    connect(Timer1, &QTimer::timeout, this, &TfmCheckInfo::Timer1Timer);
    connect(btnPrintCheck, &QPushButton::clicked, this, &TfmCheckInfo::btnPrintCheckClick);
    connect(btnStoreAgain, &QPushButton::clicked, this, &TfmCheckInfo::btnStoreAgainClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnGoodsCheck, &QPushButton::clicked, this, [this] {
        if (!services_.goodsCheck) return;
        ui::guarded(this, [this] { services_.goodsCheck(this); });
    });
    btnGoodsCheck->setVisible(false);
}

TfmCheckInfo::~TfmCheckInfo() {
    if (fmCheckInfo == this) fmCheckInfo = nullptr;
}

int TfmCheckInfo::printState() const { return controlTag(btnPrintCheck); }

void TfmCheckInfo::setPrintState(int state) { setControlTag(btnPrintCheck, state); }

void TfmCheckInfo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TfmCheckInfo::FormShow() {
    lblSumCheck->setText(payment_.total.toString());
    lblEl->setText(dashOr(payment_.card));
    lblNal->setText(dashOr(payment_.cash));
    lblPrepay->setText(dashOr(payment_.prepay));
    if (payment_.changeKnown()) {
        lblGive->setText(payment_.given.toString());
        lblChange->setText(dashOr(payment_.change()));
    } else {
        lblGive->setText(QStringLiteral("- "));
        lblChange->setText(QStringLiteral("- "));
    }
    Label6->setText(payment_.contactCaption);
    Label7->setText(payment_.contact);
    btnGoodsCheck->setVisible(static_cast<bool>(services_.goodsCheck));
    if (printState() != 0) return;  // shown again after printing: nothing starts anew
    if (payment_.printOnRegister) {
        btnPrintCheck->setEnabled(false);
        btnCancel->setText(QStringLiteral("ЗАКРЫТЬ"));
        Timer1->start();
    } else {
        btnPrintCheck->setVisible(true);
        btnPrintCheck->setEnabled(true);
        btnCancel->setText(QStringLiteral("ОТМЕНА"));
    }
}

void TfmCheckInfo::Timer1Timer() {
    Timer1->stop();
    btnPrintCheckClick();
}

void TfmCheckInfo::showMessage(const PrintMessage& m) {
    switch (m.kind) {
    case PrintMessage::Kind::Error: ui::showError(m.text, this); break;
    case PrintMessage::Kind::Warning: ui::showWarning(m.text, this); break;
    case PrintMessage::Kind::Information: ui::showInfo(m.text, this); break;
    case PrintMessage::Kind::Plain: ui::showPlain(m.text, this); break;
    }
}

void TfmCheckInfo::btnPrintCheckClick() {
    // A second press or a late timer tick must never print again.
    if (printState() != 0 || printing_ || closed_) return;
    printing_ = true;
    ui::guarded(this, [this] {
        PrintJob job = printJobFromScreen(reg_, payment_);
        if (!settleJournal(job)) return;
        // What the register prints must be storable, its stock too.
        QString problem;
        fb::Connection* db = databaseOf(services_);
        try {
            if (db) problem = stockWidthProblem(*db, job);
        } catch (const std::exception&) {
            // A database that cannot answer now is the storing's business:
            // the journal keeps what prints.
        }
        if (problem.isEmpty()) problem = refundProblem(db, job, services_.printer.journal());
        {
            if (!problem.isEmpty()) {
                setPrintState(0);
                btnPrintCheck->setEnabled(true);
                btnCancel->setText(QStringLiteral("ЗАКРЫТЬ"));
                ui::showError(problem, this);
                return;
            }
        }
        const PrintOutcome outcome = [&] {
            const PrintProgressView progress(pbPrint, services_.printer);
            return services_.printer.print(reg_.KKTDriver(), job);
        }();
        if (outcome.connectionLost) showRegisterDisconnected(reg_);
        switch (outcome.state) {
        case PrintOutcome::State::NotPrinted:
            setPrintState(0);
            // A refusal before the register opened the receipt leaves it
            // untouched: the cashier may put things right and print again.
            btnPrintCheck->setEnabled(!outcome.afterOpen);
            btnCancel->setText(QStringLiteral("ЗАКРЫТЬ"));
            // An earlier receipt turned out printed: it is stored before the
            // cashier hears of it; this one stays unprinted on the screen.
            if (outcome.earlier) settleJournal(job);
            for (const PrintMessage& m : outcome.messages) showMessage(m);
            break;
        case PrintOutcome::State::Unknown:
            // Pressing again asks the register once more; nothing prints twice.
            // An unresolved print of another sale must be settled first.
            setPrintState(0);
            btnPrintCheck->setEnabled(outcome.unresolvedIsThisSale);
            btnCancel->setText(QStringLiteral("ЗАКРЫТЬ"));
            for (const PrintMessage& m : outcome.messages) showMessage(m);
            break;
        case PrintOutcome::State::Printed:
            printed(outcome.job, outcome.document, outcome.recordId, outcome.messages);
            break;
        }
    });
    printing_ = false;
}

bool TfmCheckInfo::settleJournal(const PrintJob& job) {
    PrintJournal& journal = services_.printer.journal();
    if (journal.isEmpty() && !journal.blocked()) return true;
    // What was unresolved before: one of those found printed and of this
    // same sale is this receipt, whatever split it is paid with now.
    QStringList unresolved;
    for (const JournalRecord& r : journal.records())
        if (r.needsRegister()) unresolved << r.id;
    const SettleResult r = settlePrintJournal(journal, reg_.KKTDriver(), databaseStorer(databaseOf(services_), reg_.documentType()));
    if (r.answer.connectionLost) showRegisterDisconnected(reg_);

    for (const JournalRecord& p : r.answer.printedNow) {
        if (!unresolved.contains(p.id) || !sameSale(p.job, job)) continue;
        btnPrintCheck->setEnabled(false);
        btnCancel->setText(QStringLiteral("ЗАКРЫТЬ"));
        setPrintState(-1);
        // The settling stored it already; a refusal is tried once more here,
        // so that the window offers storing again. The cashier hears of it after.
        const SettledReceipt* settled = r.find(p.id);
        if (settled && settled->result.ok()) setPrintState(receiptIsStored(p.job.kind) ? settled->result.docId : -1);
        else store(p.id, p.job, p.document);
        ui::showInfo(earlierPrintedText(p.document.number), this);
        return false;
    }

    QString text = settleMessage(r, false);
    bool otherPrinted = false;
    for (const JournalRecord& p : r.answer.printedNow) {
        otherPrinted = true;
        text = earlierOtherPrintedText(p.document.number) + (text.isEmpty() ? QString() : kCrLf + kCrLf + text);
    }
    if (r.blocked()) {
        bool thisSale = false;
        for (const JournalRecord& u : r.answer.unresolved) thisSale = thisSale || sameSale(u.job, job);
        setPrintState(0);
        // Asking again is the way on for this very sale; another sale's
        // print must be settled before this one may print.
        btnPrintCheck->setEnabled(thisSale);
        btnCancel->setText(QStringLiteral("ЗАКРЫТЬ"));
        QStringList why;
        for (const PrintMessage& m : r.answer.messages) why << m.text;
        if (!thisSale)
            why << QStringLiteral(" Ранее напечатанный чек не записан: ККТ не сообщила, напечатан ли он.     ") + kCrLf +
                       QStringLiteral(" Этот чек не будет напечатан, пока это не выяснится.     ");
        if (!text.isEmpty()) why << text;
        ui::showError(why.join(kCrLf + kCrLf), this);
        return false;
    }
    if (otherPrinted) {
        // The cashier checks the receipt on the screen and prints it when asked.
        setPrintState(0);
        btnPrintCheck->setVisible(true);
        btnPrintCheck->setEnabled(true);
        btnCancel->setText(QStringLiteral("ЗАКРЫТЬ"));
        ui::showWarning(text, this);
        return false;
    }
    if (!text.isEmpty()) {
        if (settleNeedsAttention(r)) ui::showWarning(text, this);
        else ui::showInfo(text, this);
    }
    return true;
}

void TfmCheckInfo::printed(const PrintJob& job, const FiscalDocumentInfo& document, const QString& recordId,
                           const QList<PrintMessage>& messages) {
    btnPrintCheck->setEnabled(false);
    btnCancel->setText(QStringLiteral("ЗАКРЫТЬ"));
    setPrintState(-1);
    // Stored first: no window may stand between the register's close and
    // the database's commit.
    if (documentKnown(document)) store(recordId, job, document);
    for (const PrintMessage& m : messages) showMessage(m);
    raise();
    activateWindow();
}

void TfmCheckInfo::store(const QString& recordId, const PrintJob& job, const FiscalDocumentInfo& document) {
    // Only once the receipt is committed does its record leave the journal.
    const StoreResult result = storePrinted(services_.printer.journal(), recordId, job, document,
                                            databaseStorer(databaseOf(services_), reg_.documentType()));
    if (result.ok()) {
        if (receiptIsStored(job.kind)) setPrintState(result.docId);
        btnStoreAgain->hide();
        recordId_.clear();
        if (!result.lotShortfall.isEmpty()) ui::showWarning(result.lotShortfall, this);
        return;
    }
    // Printed but not stored: the record stays in the journal until the
    // database takes it, here or at the next login.
    recordId_ = recordId;
    unstoredJob_ = job;
    unstoredDocument_ = document;
    raise();
    activateWindow();
    // One message, and a true one: the database's refusal, then that the
    // receipt is printed and kept, not that it will never be stored.
    QString lead = result.message;
    lead.remove(QStringLiteral(" Чек не будет зафиксирован в БД.     "));
    lead = lead.trimmed();
    QString keep = QStringLiteral(" ") + lead + QStringLiteral("     ") + kCrLf +
                   QStringLiteral(" Чек напечатан, но не записан в Базу Данных.     ") + kCrLf;
    if (!result.databaseError.isEmpty())
        keep += QStringLiteral(" Ответ базы данных: ") + result.databaseError + QStringLiteral("     ") + kCrLf;
    keep += kCrLf + QStringLiteral(" Чек сохранен в журнале печати и будет записан при следующем входе в программу.     ") +
            kCrLf + QStringLiteral(" Нажмите 'ЗАПИСАТЬ В БД', чтобы повторить запись сейчас.     ");
    btnStoreAgain->show();
    btnStoreAgain->setEnabled(true);
    ui::showWarning(keep, this);
}

void TfmCheckInfo::btnStoreAgainClick() {
    if (printState() != -1 || recordId_.isEmpty()) return;
    ui::guarded(this, [this] {
        store(recordId_, unstoredJob_, unstoredDocument_);
        if (printState() > 0) ui::showInfo(QStringLiteral(" Чек записан в Базу Данных.     "), this);
    });
}

void TfmCheckInfo::done(int result) {
    if (printing_) return;  // the register dialogue runs; closing waits for it
    if (!closed_) {
        closed_ = true;
        Timer1->stop();
        FormClose();
    }
    QDialog::done(result);
}

void TfmCheckInfo::FormClose() {
    const int state = printState();
    ui::guarded(this, [this, state] {
        fb::Connection* db = services_.database ? services_.database() : nullptr;
        if (state != 0) resetScreenAfterReceipt(reg_, db);
        // A goods check that went to paper or to a file spends its number,
        // whether or not the receipt itself was printed or stored: the next
        // one must never carry the same number.
        if (GoodsCheckPrinted && services_.goodsCheckClosed)
            services_.goodsCheckClosed(state, controlTag(btnGoodsCheck), txtPrefNumber->text().trimmed());
    });
    GoodsCheckPrinted = false;
}
