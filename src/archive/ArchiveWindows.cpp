#include "archive/ArchiveWindows.h"

#include "archive/CorrectionFlow.h"
#include "archive/CorrectionUnansweredWindow.h"
#include "archive/GoodsCheck.h"
#include "archive/ReceiptGoodsCheck.h"
#include "archive/RefundScreen.h"
#include "archive/uCorrectionCheck.h"
#include "archive/uFindCheck.h"
#include "archive/uPrintFormsSettings.h"
#include "archive/uQueryEdizm.h"
#include "archive/uReportSales.h"

#include "core/DataModule.h"
#include "platform/sys/ProgramFolder.h"
#include "sales/closing/uCheckInfo.h"
#include "sales/input/NameSearchEntry.h"
#include "sales/screen/Registration_Mode.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace archive {

namespace {

void receiptGoodsCheck(TfmReg& reg, sales::SaleServices& services, QWidget* parent) {
    fb::Connection* db = services.database ? services.database() : nullptr;
    if (!db) return;
    QPointer<TfmCheckInfo> info = qobject_cast<TfmCheckInfo*>(parent);
    ReceiptGoodsCheckRequest request;
    request.kindCaption = reg.receiptKindText();
    request.lines = goodsCheckLinesFromReceipt(reg.receipt());
    request.printState = info ? info->printState() : 0;
    request.total = reg.lblChekItogo->text();
    request.cashier = reg.lblUser->text();
    request.today = QDate::currentDate();
    const ReceiptGoodsCheckResult r = printReceiptGoodsCheck(parent, *db, sys::programFolder(), request, [info] {
        if (info) info->GoodsCheckPrinted = true;
    });
    if (info && r.assigned) {
        sales::setControlTag(info->btnGoodsCheck, r.assigned->number);
        info->txtPrefNumber->setText(r.assigned->prefix);
    }
}

}  // namespace

void installArchiveWindows(TfmReg& reg, sales::SaleServices& services) {
    // Goods chosen by name without a unit get one from the unit window.
    sales::setChosenGoodsUnitQuestion(
        [&services](QWidget* parent, std::int64_t id, const QString& name) -> std::optional<sales::ChosenUnit> {
            fb::Connection* db = services.database ? services.database() : nullptr;
            if (!db) return std::nullopt;
            const std::optional<AskedUnit> unit = askChosenGoodsUnit(*db, parent, id, name);
            if (!unit) return std::nullopt;
            return sales::ChosenUnit{unit->code, unit->text};
        });
    services.goodsCheck = [&reg, &services](QWidget* parent) { receiptGoodsCheck(reg, services, parent); };
    // Corrections the journal holds are written whenever the journal is
    // settled: at login and before every print.
    const auto database = [&services]() -> fb::Connection* {
        return services.database ? services.database() : nullptr;
    };
    installCorrectionSettler(database);
    // What the register service never answered an administrator settles.
    installUnansweredCorrections(reg, database);
    services.goodsCheckClosed = [&services](int docId, int number, const QString& prefix) {
        // Only a number this window took is recorded; a reprint of a
        // numbered receipt keeps its number and spends none.
        if (number < 1) return;
        fb::Connection* db = services.database ? services.database() : nullptr;
        if (db) GoodsCheckStore(*db).recordNumber(docId, number, prefix);
    };
    // A locked workplace opens none of them, however they are reached.
    reg.setCommand(QStringLiteral("MPFSettings"), [&reg, &services] {
        if (reg.isWorkplaceLocked()) return;
        fb::Connection* db = services.database ? services.database() : nullptr;
        if (!db) return;
        QPointer<TfmPrintFormsSettings> w = new TfmPrintFormsSettings(*db, sys::programFolder(), &reg);
        w->exec();
    });
    reg.setCommand(QStringLiteral("MReportSales"), [&reg] {
        if (!core::DataModule1 || reg.isWorkplaceLocked()) return;
        QPointer<TfmReportSales> w = new TfmReportSales(core::DataModule1->connectionParams(), &reg);
        w->exec();
    });
    reg.setCommand(QStringLiteral("MCorrectionCheckP"), [&reg] { openCorrectionCheck(reg, 1); });
    reg.setCommand(QStringLiteral("MCorrectionCheckR"), [&reg] { openCorrectionCheck(reg, 2); });
    reg.setCommand(QStringLiteral("MFindCheck"), [&reg, &services] {
        if (!core::DataModule1 || reg.isWorkplaceLocked()) return;
        QPointer<TfmFindCheck> w = fmFindCheck ? fmFindCheck
                                               : new TfmFindCheck(core::DataModule1->connectionParams(),
                                                                  reg.receiptKindText(), sys::programFolder(), &reg);
        // Copying a stored sale for its return; each marked line's code is
        // checked by the register first.
        fb::Connection* db = services.database ? services.database() : nullptr;
        attachRefunds(*w, reg, db ? *db : core::DataModule1->IBDatabase1());
        w->exec();
    });
}

}  // namespace archive
