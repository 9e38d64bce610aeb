#include "sales/closing/CloseReceipt.h"
#include "sales/screen/RefundGuard.h"

#include "core/CodeTables.h"
#include "core/DataModule.h"
#include "platform/sys/ProgramFolder.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"
#include "sales/screen/MainScreenState.h"
#include "sales/receipt/ReceiptCalc.h"
#include "sales/screen/Registration_Mode.h"
#include "sales/closing/uCheckInfo.h"
#include "sales/closing/uPayCheck.h"
#include "sales/screen/uQueryTaxRate.h"

#include <QLabel>
#include <QCheckBox>
#include <QPointer>

namespace sales {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

using Outcome = CloseReceiptResult::Outcome;

CloseReceiptResult stopped(const QString& message, std::optional<int> taxSystemCode = std::nullopt) {
    CloseReceiptResult r;
    r.outcome = Outcome::Stopped;
    r.message = message;
    r.taxSystemCode = taxSystemCode;
    return r;
}

bool isNamedTaxSystem(int tag) { return tag == 1 || tag == 2 || tag == 4 || tag == 16 || tag == 32; }

QString flagNotForKind(int flag, int kind) {
    return QStringLiteral(" Признак способа расчета ''") + paymentMethodName(flag) + QStringLiteral("''") +
           QStringLiteral(" не поддерживается     ") + kCrLf + QStringLiteral(" для признака расчета ''") +
           receiptKindName(kind) + QStringLiteral("''.     ");
}

QString markedNotForKind(int kind) {
    return QStringLiteral(" Признак расчета '") + receiptKindName(kind) + QStringLiteral("' для кассовых чеков,     ") +
           kCrLf + QStringLiteral(" содержащих маркированный товар,     ") + kCrLf +
           QStringLiteral("    НЕ ПОДДЕРЖИВАЕТСЯ!");
}

QString noNameAtPosition(int row) {
    return QStringLiteral(" Позиция ") + QString::number(row) + kCrLf +
           QStringLiteral(" Отсутствует наименование товара/услуги.     ");
}

QString badMeasureAtPosition(int row) {
    return QStringLiteral(" Позиция ") + QString::number(row) + kCrLf +
           QStringLiteral(" некорректное значение реквизита 'мера количества'.     ");
}

QString questionOpening(int flag) {
    return QStringLiteral(" Установлен признак способа расчета ''") + paymentMethodName(flag) + QStringLiteral("''.     ") +
           kCrLf + kCrLf;
}

QString zeroSumAtClose(const QString& name, int row) {
    return QStringLiteral(" Сумма позиции     ") + kCrLf + QStringLiteral("  < ") + shortName(name.trimmed()) +
           QStringLiteral(" > (строка ") + QString::number(row) + QStringLiteral(")     ") + kCrLf +
           QStringLiteral(" составляет 0.00 руб.     ") + kCrLf + kCrLf +
           QStringLiteral(" Удалите позицию или измените её цену, количество или скидку.     ");
}

}  // namespace

QString taxSystemRefusal(int tag, const QString& caption) {
    if (tag == kTaxEnvd) return failureText(QStringLiteral("некорректное значение СНО - ЕНВД"), taxSystemAdvice());
    if (!isNamedTaxSystem(tag)) return QStringLiteral(" Не указана или некорректное значение СНО.     ");
    if (caption.trimmed().compare(taxSystemLabel(tag).text, Qt::CaseInsensitive) != 0)
        return failureText(QStringLiteral("некорректное значение системы налогообложения (СНО)"), taxSystemAdvice());
    return {};
}

QString payWindowCaption(int kind) {
    switch (kind) {
    case 1: return QStringLiteral(" Расчет с покупателем (ПРИХОД)");
    case 2: return QStringLiteral(" ВОЗВРАТ ПРИХОДА");
    case 3: return QStringLiteral(" Расчет с клиентом (РАСХОД)");
    case 4: return QStringLiteral(" ВОЗВРАТ РАСХОДА");
    default: return {};
    }
}

QString prepaymentQuestion(int flag) {
    return questionOpening(flag) + QStringLiteral(" Этот признак будет указан для всех позиций в кассовом чеке.     ") +
           kCrLf + kCrLf + QStringLiteral(" Продолжить? ");
}

QString advanceQuestion(const QString& totalCaption) {
    return questionOpening(PayAdvance) +
           QStringLiteral(" Кассовый чек будет содержать только одну позицию без наименования     ") + kCrLf +
           QStringLiteral(" на сумму ") + totalCaption.trimmed() + kCrLf + kCrLf + QStringLiteral(" Продолжить? ");
}

CloseReceiptResult CloseReceipt(const CloseReceiptInput& in, const VatQuery& vatQuery, const Confirm& confirm) {
    CloseReceiptResult nothing;
    if (in.documentType != 3 || !in.receipt) return nothing;
    const ReceiptModel& m = *in.receipt;
    if (!isPositiveSum(calcReceiptTotal(m))) return nothing;

    if (in.kind < 1 || in.kind > 4) return stopped(failureText(QStringLiteral("некорректный признак расчета"), restartAdvice()));
    const int flag = in.paymentFlag;
    if (flag >= 1 && flag <= 3 && (in.kind == 3 || in.kind == 4)) return stopped(flagNotForKind(flag, in.kind));
    if (flag < 1 || flag > 4)
        return stopped(failureText(QStringLiteral("неизвестный признак способа расчета"), restartAdvice()));

    if (const QString refusal = taxSystemRefusal(in.taxTag, in.taxCaption); !refusal.isEmpty()) return stopped(refusal);
    const int taxSystemCode = in.taxTag;

    if ((in.kind == 3 || in.kind == 4) && core::ReceiptHasMarkedGoods(m.lineAttrs()))
        return stopped(markedNotForKind(in.kind), taxSystemCode);

    if (flag != PayAdvance) {
        for (int row = 1; row < m.rowCount(); ++row)
            if (m.isActive(row) && m.cell(row, ReceiptModel::ColName).trimmed().isEmpty())
                return stopped(noNameAtPosition(row), taxSystemCode);
    }
    // A position at 0.00 cannot be registered, and leaving it out would sell
    // less than the cashier entered: the cashier decides what becomes of it.
    if (flag != PayAdvance) {
        for (int row = 1; row < m.rowCount(); ++row)
            if (m.isActive(row) && !isPositiveSum(m.lineSum(row)))
                return stopped(zeroSumAtClose(m.cell(row, ReceiptModel::ColName), row), taxSystemCode);
    }
    if (flag == PayFull) {
        for (int row = 1; row < m.rowCount(); ++row) {
            if (!m.isActive(row) || !isPositiveSum(m.lineSum(row))) continue;
            if (!isMeasureCode(measureCodeOf(m.attr(row, ReceiptModel::AttrMeasure))))
                return stopped(badMeasureAtPosition(row), taxSystemCode);
        }
    }

    CloseReceiptResult cancelled;
    cancelled.outcome = Outcome::Cancelled;
    cancelled.taxSystemCode = taxSystemCode;
    if (flag == PayPrepayFull || flag == PayPrepayPartial) {
        if (!confirm || !confirm(prepaymentQuestion(flag))) return cancelled;
    } else if (flag == PayAdvance) {
        if (!confirm || !confirm(advanceQuestion(in.totalCaption))) return cancelled;
    }

    ReceiptLinesInput linesInput;
    linesInput.receipt = in.receipt;
    linesInput.markedItems = in.markedItems;
    linesInput.paymentFlag = flag;
    linesInput.taxSystemCode = taxSystemCode;
    linesInput.totalCaption = in.totalCaption;
    linesInput.legalEntity = in.legalEntity;
    linesInput.buyerName = in.buyerName;
    linesInput.buyerInn = in.buyerInn;
    const ReceiptLinesResult built = buildReceiptLines(linesInput, vatQuery, confirm);
    if (built.outcome == ReceiptLinesResult::Outcome::Cancelled) return cancelled;
    if (!built.built()) return stopped(built.message, taxSystemCode);

    CloseReceiptResult r;
    r.taxSystemCode = taxSystemCode;
    if (!isPositiveSum(calcReceiptTotal(m))) return r;
    r.outcome = Outcome::ReadyToPay;
    r.lines = built.lines;
    return r;
}

namespace {

// The commands of one main screen; they live as long as the screen.
class SaleCommands : public QObject {
public:
    SaleCommands(TfmReg& reg, SaleServices&& services) : QObject(&reg), reg_(reg), services_(std::move(services)) {
        setObjectName(QStringLiteral("SaleCommands"));
        if (!services_.vatQuery)
            services_.vatQuery = [this](const QString& prompt) {
                return queryTaxRate(&reg_, prompt);
            };
        if (!services_.database)
            services_.database = []() -> fb::Connection* {
                return core::DataModule1 ? &core::DataModule1->IBDatabase1() : nullptr;
            };
        // The print journal lives in the program folder, so that a restart
        // neither loses nor repeats a receipt.
        if (services_.printer.stateFolder().isEmpty() && !services_.printer.hasUnresolved())
            services_.printer = ReceiptPrinter(sys::programFolder());
        QPointer<SaleCommands> self(this);
        // Returns printed and not stored yet count against their sale.
        setPendingReturnsSource(
            [self]() { return self ? self->services_.printer.journal().jobs() : QList<PrintJob>{}; });
        reg_.registerMenu().setPrintSettler([self](QString& refusal) -> bool {
            if (!self) return true;
            bool settled = false;
            ui::guarded(&self->reg_, [&] {
                settled = settleBeforeRegisterOperation(self->reg_, self->services_, &self->reg_, &refusal);
            });
            return settled;
        });
    }

    SaleServices& services() { return services_; }

    void btnCloseCheckClick() {
        CloseReceiptInput in;
        in.documentType = reg_.documentType();
        in.kind = reg_.receiptKind();
        in.paymentFlag = reg_.PaymentMethodFlag();
        in.taxTag = reg_.taxSystemTag();
        in.taxCaption = reg_.lblTaxSystem->text();
        in.receipt = &reg_.receipt();
        in.markedItems = &reg_.MarkedItems();
        in.totalCaption = reg_.lblChekItogo->text();
        in.legalEntity = reg_.chLE->isChecked();
        in.buyerName = reg_.lblBuyerName->text();
        in.buyerInn = reg_.lblINNBuyer->text();

        reg_.ReceiptLines().clear();
        // A return of a stored sale is checked whole before anything is asked.
        if (in.documentType == 3 && in.kind == KindSaleReturn) {
            const QString problem = refundReceiptProblem(reg_);
            if (!problem.isEmpty()) {
                ui::showError(problem, &reg_);
                return;
            }
        }
        const Confirm confirm = [this](const QString& question) { return ui::askYesNo(question, &reg_); };
        const CloseReceiptResult r = CloseReceipt(in, services_.vatQuery, confirm);
        if (r.taxSystemCode) reg_.setTaxSystemCode(*r.taxSystemCode);
        switch (r.outcome) {
        case CloseReceiptResult::Outcome::Nothing:
        case CloseReceiptResult::Outcome::Cancelled: return;
        case CloseReceiptResult::Outcome::Stopped: ui::showError(r.message, &reg_); return;
        case CloseReceiptResult::Outcome::ReadyToPay: break;
        }
        reg_.ReceiptLines() = r.lines;

        QPointer<TfmPayCheck> pay = new TfmPayCheck(reg_, services_, &reg_);
        pay->setWindowTitle(payWindowCaption(in.kind));
        pay->setTag(in.kind);
        pay->exec();
        if (pay) delete pay.data();
    }

private:
    TfmReg& reg_;
    SaleServices services_;
};

}  // namespace

SaleServices& installSaleCommands(TfmReg& reg) { return installSaleCommands(reg, SaleServices{}); }

SaleServices& installSaleCommands(TfmReg& reg, SaleServices&& services) {
    if (QObject* old = reg.findChild<QObject*>(QStringLiteral("SaleCommands"), Qt::FindDirectChildrenOnly))
        delete old;
    auto* commands = new SaleCommands(reg, std::move(services));
    reg.setCommand(QStringLiteral("btnCloseCheck"), [commands] { commands->btnCloseCheckClick(); });
    return commands->services();
}

}  // namespace sales
