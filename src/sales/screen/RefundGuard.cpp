#include "sales/screen/RefundGuard.h"

#include "core/DataModule.h"
#include "platform/db/Connection.h"
#include "platform/db/Transaction.h"
#include "platform/ui/MessageService.h"
#include "sales/closing/PrintJob.h"
#include "sales/receipt/ReceiptModel.h"
#include "sales/screen/Registration_Mode.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace sales {

namespace {

RefundSaleChooser& chooser() {
    static RefundSaleChooser c = chooseRefundSaleInWindow;
    return c;
}

std::function<QList<PrintJob>()>& pendingSource() {
    static std::function<QList<PrintJob>()> s;
    return s;
}

fb::Connection* database(const TfmReg& reg) {
    if (reg.builtinSession() || !core::DataModule1) return nullptr;
    return &core::DataModule1->IBDatabase1();
}

bool isReturn(const TfmReg& reg) {
    return reg.receiptKind() == KindSaleReturn;
}

// The sale's ledger, or why it cannot be known.
struct LedgerRead {
    SaleLedger ledger;
    QString problem;
};

LedgerRead readLedger(TfmReg& reg) {
    LedgerRead r;
    const int docId = controlTag(reg.edFPD);
    if (docId <= 0) return r;
    fb::Connection* db = database(reg);
    if (!db) {
        r.problem = refundLimitText::kCannotTell;
        return r;
    }
    try {
        fb::Transaction tr(*db, fb::Transaction::Access::ReadOnly);
        r.ledger = readSaleLedger(tr, docId, pendingReturns());
        tr.commit();
    } catch (const std::exception&) {
        r.problem = refundLimitText::kCannotTell;
    }
    return r;
}

}  // namespace

std::optional<int> chooseRefundSaleInWindow(const std::vector<SaleBySign>& sales, QWidget* parent) {
    QPointer<QDialog> dialog = new QDialog(parent);
    dialog->setObjectName(QStringLiteral("fmRefundSaleChoice"));
    dialog->setWindowTitle(QStringLiteral("Выбор чека продажи"));
    auto* list = new QListWidget(dialog);
    list->setObjectName(QStringLiteral("lstSales"));
    for (const SaleBySign& s : sales)
        list->addItem(s.date + QStringLiteral("   чек № ") + QString::number(s.number) + QStringLiteral("   сумма ") +
                      s.total);
    list->setCurrentRow(0);
    // Wide enough for every sale's date, number and total, without scrolling.
    list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() +
                          list->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    auto* buttons = new QDialogButtonBox(dialog);
    buttons->addButton(QStringLiteral("ОК"), QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("btnOK"));
    buttons->addButton(QStringLiteral("ОТМЕНА"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("btnCancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(list);
    layout->addWidget(buttons);
    const int result = dialog->exec();
    std::optional<int> chosen;
    if (dialog && result == QDialog::Accepted && list->currentRow() >= 0) chosen = list->currentRow();
    delete dialog;
    return chosen;
}

void setRefundSaleChooser(RefundSaleChooser c) {
    chooser() = c ? std::move(c) : chooseRefundSaleInWindow;
}

void setPendingReturnsSource(std::function<QList<PrintJob>()> source) {
    pendingSource() = std::move(source);
}

QList<PrintJob> pendingReturns() {
    return pendingSource() ? pendingSource()() : QList<PrintJob>{};
}

QString resolveRefundedSale(TfmReg& reg, bool ask) {
    if (!isReturn(reg) || controlTag(reg.edFPD) != 0) return {};
    const QString typed = reg.edFPD->text().trimmed();
    if (typed.isEmpty()) return {};
    const std::optional<QString> sign = normalizedFiscalSign(typed);
    if (!sign) return refundLimitText::kSignNotNumber;
    fb::Connection* db = database(reg);
    if (!db) return {};
    std::vector<SaleBySign> sales;
    try {
        fb::Transaction tr(*db, fb::Transaction::Access::ReadOnly);
        sales = salesBySign(tr, *sign);
        tr.commit();
    } catch (const std::exception&) {
        return refundLimitText::kCannotTell;
    }
    // A sign no stored sale carries (a sale of another till, say): the
    // return goes on with no limit known here; the register gets the sign
    // as a number.
    if (sales.empty()) {
        if (*sign != typed) reg.edFPD->setText(*sign);
        return {};
    }
    std::size_t chosen = 0;
    if (sales.size() > 1) {
        if (!ask) return refundLimitText::kSeveralSales;
        const std::optional<int> index = chooser()(sales, &reg);
        if (!index || *index < 0 || std::size_t(*index) >= sales.size()) return refundLimitText::kSeveralSales;
        chosen = std::size_t(*index);
    }
    reg.edFPD->setText(sales[chosen].fiscalSign);
    setControlTag(reg.edFPD, sales[chosen].docId);
    return {};
}

QString refundEntryProblem(TfmReg& reg, int row, bool reprice) {
    if (!isReturn(reg)) return {};
    if (const QString p = resolveRefundedSale(reg, true); !p.isEmpty()) return p;
    if (controlTag(reg.edFPD) <= 0) return {};
    const LedgerRead read = readLedger(reg);
    if (!read.problem.isEmpty()) return read.problem;
    ReceiptModel& m = reg.receipt();
    // The row gives back its share of what is left, to the kopeck.
    if (reprice && m.isActive(row) && priceRefundRow(read.ledger, m, row, reg.MarkedItems())) reg.RecalcReceipt();
    return refundProblemOf(read.ledger, wantedFromReceipt(m, reg.MarkedItems()));
}

QString refundReceiptProblem(TfmReg& reg) {
    return refundEntryProblem(reg, 0, false);
}

void attachRefundSignField(TfmReg& reg) {
    QLineEdit* field = reg.edFPD;
    QObject::connect(field, &QLineEdit::textEdited, field, [field] {
        // Another sign typed: the sale of the earlier one is no longer meant.
        if (!field->isReadOnly()) setControlTag(field, 0);
    });
    QObject::connect(field, &QLineEdit::textChanged, field, [field](const QString& text) {
        // Cleared: no sale named, and the field open for the next sign.
        if (!text.isEmpty()) return;
        setControlTag(field, 0);
        field->setReadOnly(false);
    });
}

}  // namespace sales
