// What the main screen's menu items and buttons do, and the screen's side of
// its menus (RegMenuHost): an item chosen in the menus runs the slot of the
// same name here.
#include "sales/screen/Registration_Mode.h"

#include "core/CashierChange.h"
#include "core/DataModule.h"
#include "core/UsersRepository.h"
#include "core/uAppInfo.h"
#include "core/uCompany.h"
#include "core/uReAuthor.h"
#include "core/uUsers.h"
#include "platform/ui/Guard.h"
#include "sales/screen/MainScreenState.h"
#include "sales/screen/RegMenus.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>

using sales::controlTag;

namespace {

const QString kServiceUnavailable = QStringLiteral("Сервис недоступен");

// Runs a window modally and frees it afterwards, whether or not it frees
// itself when closed.
template <class Window>
void runModal(Window* w) {
    QPointer<Window> keep(w);
    keep->exec();
    if (keep) delete keep.data();
}

}  // namespace

// ---------------------------------------------------------------------------
// The screen's side of its menus

void TfmReg::buildMenus() {
    menus_ = new sales::RegMenus(*this);
    PopupMenuGrid = menus_->menu(QStringLiteral("PopupMenuGrid"));
    PopupMenuOperation = menus_->menu(QStringLiteral("PopupMenuOperation"));
    PopupMenuTaxSystem = menus_->menu(QStringLiteral("PopupMenuTaxSystem"));
    PopupMenuScale = menus_->menu(QStringLiteral("PopupMenuScale"));
    for (QMenu* m : {menu(QStringLiteral("MChangeOperation")), PopupMenuOperation})
        connect(m, &QMenu::aboutToShow, this, &TfmReg::offerCorrectionItems);
}

QAction* TfmReg::action(const QString& name) const { return menus_ ? menus_->action(name) : nullptr; }

QMenu* TfmReg::menu(const QString& name) const { return menus_ ? menus_->menu(name) : nullptr; }

namespace {

// Each item runs the slot that bears its name (the grid popup's items the
// buttons they stand for).
const QHash<QString, void (TfmReg::*)()>& menuItemHandlers() {
    static const QHash<QString, void (TfmReg::*)()> handlers{
        {QStringLiteral("MReAuthor"), &TfmReg::MReAuthorClick},
        {QStringLiteral("MWorkPlaceLock"), &TfmReg::MWorkPlaceLockClick},
        {QStringLiteral("MAppClose"), &TfmReg::MAppCloseClick},
        {QStringLiteral("MCashCheck"), &TfmReg::MCashCheckClick},
        {QStringLiteral("MPrihod"), &TfmReg::MPrihodClick},
        {QStringLiteral("MPrihodBack"), &TfmReg::MPrihodBackClick},
        {QStringLiteral("MRashod"), &TfmReg::MRashodClick},
        {QStringLiteral("MRashodBack"), &TfmReg::MRashodBackClick},
        {QStringLiteral("MCorrectionCheckP"), &TfmReg::MCorrectionCheckPClick},
        {QStringLiteral("MCorrectionCheckR"), &TfmReg::MCorrectionCheckRClick},
        {QStringLiteral("M_FullPay"), &TfmReg::M_FullPayClick},
        {QStringLiteral("M_PrePayFull"), &TfmReg::M_PrePayFullClick},
        {QStringLiteral("M_PrePayPart"), &TfmReg::M_PrePayPartClick},
        {QStringLiteral("M_Advance"), &TfmReg::M_AdvanceClick},
        {QStringLiteral("MCommission"), &TfmReg::MCommissionClick},
        {QStringLiteral("MAgentReward"), &TfmReg::MAgentRewardClick},
        {QStringLiteral("MDiscountPos"), &TfmReg::MDiscountPosClick},
        {QStringLiteral("MDiscountCheck"), &TfmReg::MDiscountCheckClick},
        {QStringLiteral("MChangeCount"), &TfmReg::MChangeCountClick},
        {QStringLiteral("MChangePrice"), &TfmReg::MChangePriceClick},
        {QStringLiteral("MDeletePos"), &TfmReg::MDeletePosClick},
        {QStringLiteral("MDeleteCheck"), &TfmReg::MDeleteCheckClick},
        {QStringLiteral("MFindName"), &TfmReg::MFindNameClick},
        {QStringLiteral("MeMail"), &TfmReg::MeMailClick},
        {QStringLiteral("MAvailablePortions"), &TfmReg::MAvailablePortionsClick},
        {QStringLiteral("MCloseCheck"), &TfmReg::MCloseCheckClick},
        {QStringLiteral("MCompany"), &TfmReg::MCompanyClick},
        {QStringLiteral("MGoodsDB"), &TfmReg::MGoodsDBClick},
        {QStringLiteral("MUsersDB"), &TfmReg::MUsersDBClick},
        {QStringLiteral("MConractors"), &TfmReg::MConractorsClick},
        {QStringLiteral("MSuppliers"), &TfmReg::MSuppliersClick},
        {QStringLiteral("MBuyers"), &TfmReg::MBuyersClick},
        {QStringLiteral("N13"), &TfmReg::N13Click},
        {QStringLiteral("MInventory"), &TfmReg::MInventoryClick},
        {QStringLiteral("MGoodsReceipt"), &TfmReg::MGoodsReceiptClick},
        {QStringLiteral("MGoodsOverPlus"), &TfmReg::MGoodsOverPlusClick},
        {QStringLiteral("MGoodsRid"), &TfmReg::MGoodsRidClick},
        {QStringLiteral("MGoodsLoad"), &TfmReg::MGoodsLoadClick},
        {QStringLiteral("MLoadCSV"), &TfmReg::MLoadCSVClick},
        {QStringLiteral("MGoodsUnLoad"), &TfmReg::MGoodsUnLoadClick},
        {QStringLiteral("MUnloadCSV"), &TfmReg::MUnloadCSVClick},
        {QStringLiteral("MUsersUnLoad"), &TfmReg::MUsersUnLoadClick},
        {QStringLiteral("MReportSales"), &TfmReg::MReportSalesClick},
        {QStringLiteral("MFindCheck"), &TfmReg::MFindCheckClick},
        {QStringLiteral("MOptions"), &TfmReg::MOptionsClick},
        {QStringLiteral("MPFSettings"), &TfmReg::MPFSettingsClick},
        {QStringLiteral("MScaleOn"), &TfmReg::MScaleOnClick},
        {QStringLiteral("MPriceTagPrint"), &TfmReg::MPriceTagPrintClick},
        {QStringLiteral("M_KKT_ON"), &TfmReg::M_KKT_ONClick},
        {QStringLiteral("M_OpenSession"), &TfmReg::M_OpenSessionClick},
        {QStringLiteral("Z1"), &TfmReg::Z1Click},
        {QStringLiteral("X1"), &TfmReg::X1Click},
        {QStringLiteral("MIncome"), &TfmReg::MIncomeClick},
        {QStringLiteral("MDriverInfo"), &TfmReg::MDriverInfoClick},
        {QStringLiteral("N4"), &TfmReg::N4Click},
        {QStringLiteral("PMDeletePos"), &TfmReg::btnPosDeleteClick},
        {QStringLiteral("PMDeleteCheck"), &TfmReg::btnCheckDeleteClick},
        {QStringLiteral("PMChangePrice"), &TfmReg::BitBtn1Click},
        {QStringLiteral("PMChangeCount"), &TfmReg::BitBtn2Click},
        {QStringLiteral("PMDiscountPos"), &TfmReg::btnPosDiscountClick},
        {QStringLiteral("PMDiscountCheck"), &TfmReg::btnCheckDiscountClick},
        {QStringLiteral("PMChangeName"), &TfmReg::PMChangeNameClick},
        {QStringLiteral("PMAvailablePortions"), &TfmReg::PMAvailablePortionsClick},
        {QStringLiteral("PMPrihod"), &TfmReg::MPrihodClick},
        {QStringLiteral("PMPrihodBack"), &TfmReg::MPrihodBackClick},
        {QStringLiteral("PMRashod"), &TfmReg::MRashodClick},
        {QStringLiteral("PMRashodBack"), &TfmReg::MRashodBackClick},
        {QStringLiteral("PMCorrectionCheckP"), &TfmReg::MCorrectionCheckPClick},
        {QStringLiteral("PMCorrectionCheckR"), &TfmReg::MCorrectionCheckRClick},
        {QStringLiteral("N11"), &TfmReg::N11Click},
        {QStringLiteral("N18"), &TfmReg::N18Click},
        {QStringLiteral("N19"), &TfmReg::N19Click},
        {QStringLiteral("N8"), &TfmReg::N8Click},
        {QStringLiteral("N17"), &TfmReg::N17Click},
        {QStringLiteral("N20"), &TfmReg::N20Click},
        {QStringLiteral("PMScaleOn"), &TfmReg::MScaleOnClick},
    };
    return handlers;
}

}  // namespace

void TfmReg::menuItemChosen(const QString& itemName) {
    if (refusedCommand(itemName)) {
        // A checkable item has already turned its own mark: it shows again
        // what the locked screen holds.
        if (QAction* a = action(itemName); a && lockedChecks_.contains(itemName))
            a->setChecked(lockedChecks_.value(itemName));
        else if (a && a->isCheckable())
            a->setChecked(!a->isChecked());
        return;
    }
    if (const auto handler = menuItemHandlers().value(itemName)) (this->*handler)();
}

QStringList TfmReg::commandNames() const {
    QStringList names = menuItemHandlers().keys();
    for (auto it = commands_.cbegin(); it != commands_.cend(); ++it)
        if (!names.contains(it.key())) names << it.key();
    names.sort();
    return names;
}

bool TfmReg::refusedCommand(const QString& name) const {
    // A locked workplace answers only a cashier card (it arrives as a scan)
    // and the change of cashier, both of which unlock it.
    static const QStringList unlocking{QStringLiteral("btnBarcode"), QStringLiteral("MReAuthor")};
    if (isWorkplaceLocked()) return !unlocking.contains(name);
    // The built-in administrator keeps the users; a receipt a cashier left
    // on the screen stays as she left it.
    static const QStringList builtinOwn{QStringLiteral("MUsersDB"), QStringLiteral("N4"), QStringLiteral("MAppClose")};
    return builtinSession_ && !builtinOwn.contains(name);
}

bool TfmReg::hasAttachedCommand(const QString& name) const { return hasCommand(name); }
void TfmReg::runAttachedCommand(const QString& name) { runCommand(name); }
bool TfmReg::positionDiscountOffered() const { return btnPosDiscount->isEnabled(); }
bool TfmReg::receiptDiscountOffered() const { return btnCheckDiscount->isEnabled(); }
QString TfmReg::cashierName() const { return lblUser->text(); }
int TfmReg::administratorFlag() const { return controlTag(lblINN); }
bool TfmReg::registerConnected() const { return KKTConnected(); }
bool TfmReg::receiptHasPositions() const { return !receipt_.isEmpty(); }

void TfmReg::showSaleKindNote(const QString& text, const QColor& colour, bool visible) {
    lblCommission->setText(text);
    lblCommission->setStyleSheet(QStringLiteral("color: %1;").arg(colour.name()));
    lblCommission->setVisible(visible);
}

// ---------------------------------------------------------------------------
// Menus as they open

void TfmReg::MDataBaseClick() { menus_->updateDataBaseMenu(); }
void TfmReg::MServiceClick() { menus_->updateServiceMenu(); }
void TfmReg::M_KKTClick() { menus_->updateRegisterMenu(); }

void TfmReg::showGridPopup(const QPoint& pos) {
    if (receiptFrozen()) return;
    // Only a filled row has commands to offer.
    const int tableRow = GoodsGrid->rowAt(pos.y());
    if (tableRow < 0 || !receipt_.isDataRow(tableRow + 1) || receipt_.isFree(tableRow + 1)) return;
    setCurrentReceiptRow(tableRow + 1);
    const int row = currentReceiptRow();
    const bool dataRow = receipt_.isDataRow(row);
    const sales::GridPopupState s = sales::gridPopupState(
        sales::receiptKindFromCaption(lblOperationType->text()), receipt_.receiptDiscountKind() != QLatin1Char('N'),
        dataRow ? receipt_.markType(row) : 0,
        dataRow && !receipt_.cell(row, sales::ReceiptModel::ColId).trimmed().isEmpty());
    menus_->showGridPopup(s, GoodsGrid->viewport()->mapToGlobal(pos));
}

// ---------------------------------------------------------------------------
// Work place

void TfmReg::MReAuthorClick() {
    if (hasCommand(QStringLiteral("MReAuthor"))) return runCommand(QStringLiteral("MReAuthor"));
    if (!core::DataModule1) return;
    ui::guarded(this, [this] { runModal(new core::TfmReAuthor(core::DataModule1->IBDatabase1(), *this, this)); });
}

void TfmReg::MWorkPlaceLockClick() {
    if (isWorkplaceLocked()) return;
    lockWorkplace();
}

// ---------------------------------------------------------------------------
// Document

void TfmReg::MCashCheckClick() {
    if (receiptFrozen()) return;
    action(QStringLiteral("MCashCheck"))->setChecked(true);
}

void TfmReg::MPrihodClick() { receiptKindCommand(sales::KindSale, QStringLiteral("Приход")); }
void TfmReg::MPrihodBackClick() { receiptKindCommand(sales::KindSaleReturn, QStringLiteral("Возврат прихода")); }
void TfmReg::MRashodClick() { receiptKindCommand(sales::KindPurchase, QStringLiteral("Расход")); }
void TfmReg::MRashodBackClick() { receiptKindCommand(sales::KindPurchaseReturn, QStringLiteral("Возврат расхода")); }
// Correction receipts go through the register like its shift commands: a
// locked workplace or a session without a person behind it has none. The
// window itself (command of the same name) is the archive's.
bool TfmReg::correctionOffered() const {
    return !isWorkplaceLocked() && !builtinSession_ && sales::cashierUsable(cashierLabels());
}

void TfmReg::offerCorrectionItems() {
    const bool on = correctionOffered();
    for (const char* name : {"MCorrectionCheckP", "MCorrectionCheckR", "PMCorrectionCheckP", "PMCorrectionCheckR"})
        if (QAction* a = action(QString::fromLatin1(name))) a->setEnabled(on);
}

void TfmReg::MCorrectionCheckPClick() {
    if (correctionOffered()) runCommand(QStringLiteral("MCorrectionCheckP"));
}
void TfmReg::MCorrectionCheckRClick() {
    if (correctionOffered()) runCommand(QStringLiteral("MCorrectionCheckR"));
}

void TfmReg::M_FullPayClick() {
    if (receiptFrozen()) return;
    if (hasCommand(QStringLiteral("M_FullPay"))) return runCommand(QStringLiteral("M_FullPay"));
    menus_->paymentItemToggled(4);
}
void TfmReg::M_PrePayFullClick() {
    if (receiptFrozen()) return;
    if (hasCommand(QStringLiteral("M_PrePayFull"))) return runCommand(QStringLiteral("M_PrePayFull"));
    menus_->paymentItemToggled(1);
}
void TfmReg::M_PrePayPartClick() {
    if (receiptFrozen()) return;
    if (hasCommand(QStringLiteral("M_PrePayPart"))) return runCommand(QStringLiteral("M_PrePayPart"));
    menus_->paymentItemToggled(2);
}
void TfmReg::M_AdvanceClick() {
    if (receiptFrozen()) return;
    if (hasCommand(QStringLiteral("M_Advance"))) return runCommand(QStringLiteral("M_Advance"));
    menus_->paymentItemToggled(3);
}

void TfmReg::MCommissionClick() {
    if (receiptFrozen()) return;
    menus_->commissionToggled();
}
void TfmReg::MAgentRewardClick() {
    if (receiptFrozen()) return;
    menus_->agentRewardToggled();
}

void TfmReg::clickButton(QPushButton* button, void (TfmReg::*handler)()) {
    if (receiptFrozen()) return;
    button->setFocus();
    (this->*handler)();
}

void TfmReg::MDiscountPosClick() { clickButton(btnPosDiscount, &TfmReg::btnPosDiscountClick); }
void TfmReg::MDiscountCheckClick() { clickButton(btnCheckDiscount, &TfmReg::btnCheckDiscountClick); }
void TfmReg::MChangeCountClick() { clickButton(BitBtn2, &TfmReg::BitBtn2Click); }
void TfmReg::MChangePriceClick() { clickButton(BitBtn1, &TfmReg::BitBtn1Click); }
void TfmReg::MDeletePosClick() { clickButton(btnPosDelete, &TfmReg::btnPosDeleteClick); }
void TfmReg::MDeleteCheckClick() { clickButton(btnCheckDelete, &TfmReg::btnCheckDeleteClick); }
void TfmReg::MFindNameClick() { clickButton(btnFindName, &TfmReg::btnFindNameClick); }
void TfmReg::MCloseCheckClick() { clickButton(btnCloseCheck, &TfmReg::btnCloseCheckClick); }
void TfmReg::MeMailClick() { btnTelefonClick(); }
void TfmReg::MAvailablePortionsClick() { runCommand(QStringLiteral("MAvailablePortions")); }

// ---------------------------------------------------------------------------
// Database

void TfmReg::MCompanyClick() {
    if (isWorkplaceLocked()) return;
    if (hasCommand(QStringLiteral("MCompany"))) return runCommand(QStringLiteral("MCompany"));
    if (!core::DataModule1) return;
    ui::guarded(this, [this] { runModal(new core::TfmCompany(core::DataModule1->IBDatabase1(), this)); });
}

void TfmReg::MGoodsDBClick() { runCommand(QStringLiteral("MGoodsDB")); }

void TfmReg::MUsersDBClick() {
    if (isWorkplaceLocked()) return;
    if (hasCommand(QStringLiteral("MUsersDB")))
        runCommand(QStringLiteral("MUsersDB"));
    else if (core::DataModule1)
        ui::guarded(this, [this] { runModal(new core::TfmUsers(core::DataModule1->IBDatabase1(), this)); });
    followSessionUser();
}

void TfmReg::followSessionUser() {
    if (!databaseConnected()) return;
    ui::guarded(this, [this] {
        const core::SessionUser current = currentUser();
        if (current.userId == 0) return;
        core::UsersRepository users(core::DataModule1->IBDatabase1());
        const core::SessionFollow f = core::followSession(current, users.find(current.userId));
        switch (f.kind) {
        case core::SessionFollow::Keep: break;
        case core::SessionFollow::Update:
            setUser(f.user);
            ApplyUserRights(f.rightsMode);
            break;
        case core::SessionFollow::LogOut: logOut(); break;
        }
    });
}

void TfmReg::logOut() {
    // Nothing may go to the register under the name of a user who is gone;
    // the receipt in progress waits for whoever logs in next.
    setUser(core::SessionUser{});
    hide();
    emit loggedOut();
}

void TfmReg::MConractorsClick() { runCommand(QStringLiteral("MConractors")); }
void TfmReg::MSuppliersClick() { runCommand(QStringLiteral("MSuppliers")); }
void TfmReg::MBuyersClick() { runCommand(QStringLiteral("MBuyers")); }
void TfmReg::N13Click() { runCommand(QStringLiteral("N13")); }
void TfmReg::MInventoryClick() { runCommand(QStringLiteral("MInventory")); }
void TfmReg::MGoodsReceiptClick() { runCommand(QStringLiteral("MGoodsReceipt")); }
void TfmReg::MGoodsOverPlusClick() { runCommand(QStringLiteral("MGoodsOverPlus")); }
void TfmReg::MGoodsRidClick() { runCommand(QStringLiteral("MGoodsRid")); }
void TfmReg::MGoodsLoadClick() { runCommand(QStringLiteral("MGoodsLoad")); }
void TfmReg::MLoadCSVClick() { runCommand(QStringLiteral("MLoadCSV")); }
void TfmReg::MGoodsUnLoadClick() { runCommand(QStringLiteral("MGoodsUnLoad")); }
void TfmReg::MUnloadCSVClick() { runCommand(QStringLiteral("MUnloadCSV")); }
void TfmReg::MUsersUnLoadClick() {
    if (isWorkplaceLocked()) return;
    ui::showError(kServiceUnavailable, this);
}

// ---------------------------------------------------------------------------
// Reports and service

void TfmReg::MReportSalesClick() { runCommand(QStringLiteral("MReportSales")); }
void TfmReg::MFindCheckClick() { runCommand(QStringLiteral("MFindCheck")); }
void TfmReg::MOptionsClick() { runCommand(QStringLiteral("MOptions")); }
void TfmReg::MPFSettingsClick() { runCommand(QStringLiteral("MPFSettings")); }
void TfmReg::MScaleOnClick() { runCommand(QStringLiteral("MScaleOn")); }
void TfmReg::MPriceTagPrintClick() { runCommand(QStringLiteral("MPriceTagPrint")); }

void TfmReg::N4Click() {
    if (isWorkplaceLocked()) return;
    if (hasCommand(QStringLiteral("N4"))) return runCommand(QStringLiteral("N4"));
    ui::guarded(this, [this] { runModal(new core::TfmAppInfo(this)); });
}

// ---------------------------------------------------------------------------
// Register

void TfmReg::M_KKT_ONClick() {
    if (isWorkplaceLocked()) return;
    ui::guarded(this, [this] { register_->connectRegister(); });
}

void TfmReg::M_OpenSessionClick() {
    if (isWorkplaceLocked()) return;
    ui::guarded(this, [this] { register_->openShift(cashierLabels()); });
}

void TfmReg::Z1Click() {
    if (isWorkplaceLocked()) return;
    ui::guarded(this, [this] { register_->closeShift(cashierLabels()); });
}

void TfmReg::X1Click() {
    if (isWorkplaceLocked()) return;
    ui::guarded(this, [this] { register_->xReport(cashierLabels()); });
}

void TfmReg::MIncomeClick() {
    if (isWorkplaceLocked()) return;
    // The amount window (command "MIncome") takes the amount and calls cashIncome().
    bool ready = false;
    ui::guarded(this, [&] { ready = register_->prepareCashIncome(cashierLabels()); });
    if (ready) runCommand(QStringLiteral("MIncome"));
}

void TfmReg::MDriverInfoClick() {
    if (isWorkplaceLocked()) return;
    ui::guarded(this, [this] { register_->showDriverVersion(); });
}

// ---------------------------------------------------------------------------
// Tax system popup

void TfmReg::chooseTaxSystem(int code) {
    if (!receiptFrozen()) setTaxSystem(code);
}

void TfmReg::N11Click() { chooseTaxSystem(1); }
void TfmReg::N18Click() { chooseTaxSystem(2); }
void TfmReg::N19Click() { chooseTaxSystem(4); }
void TfmReg::N8Click() { chooseTaxSystem(8); }
void TfmReg::N17Click() { chooseTaxSystem(16); }
void TfmReg::N20Click() { chooseTaxSystem(32); }

// ---------------------------------------------------------------------------
// Grid and buttons

void TfmReg::PMChangeNameClick() { runCommand(QStringLiteral("PMChangeName")); }
void TfmReg::PMAvailablePortionsClick() { runCommand(QStringLiteral("PMAvailablePortions")); }

void TfmReg::GoodsGridDblClick(int column) {
    if (receiptFrozen()) return;
    const int row = currentReceiptRow();
    if (!receipt_.isDataRow(row)) return;
    switch (column) {
    case sales::ReceiptModel::ColName:
        // Only a free-price position's name may be edited.
        if (receipt_.isActive(row) && receipt_.cell(row, sales::ReceiptModel::ColId).trimmed().isEmpty())
            runCommand(QStringLiteral("PMChangeName"));
        break;
    case sales::ReceiptModel::ColPrice: BitBtn1Click(); break;
    case sales::ReceiptModel::ColQty: BitBtn2Click(); break;
    case sales::ReceiptModel::ColCountry: runCommand(QStringLiteral("GoodsGridCountry")); break;
    case sales::ReceiptModel::ColCustoms: runCommand(QStringLiteral("GoodsGridDeclaration")); break;
    default: break;
    }
}

void TfmReg::btnBarcodeClick() { runCommand(QStringLiteral("btnBarcode")); }
void TfmReg::btnCodeClick() { runCommand(QStringLiteral("btnCode")); }
void TfmReg::btnFindNameClick() { runCommand(QStringLiteral("btnFindName")); }
void TfmReg::btnFreePriceClick() { runCommand(QStringLiteral("btnFreePrice")); }
void TfmReg::btnScaleClick() { runCommand(QStringLiteral("btnScale")); }
void TfmReg::btnPosDeleteClick() { runCommand(QStringLiteral("btnPosDelete")); }
void TfmReg::btnCheckDeleteClick() { runCommand(QStringLiteral("btnCheckDelete")); }
void TfmReg::btnPosDiscountClick() { runCommand(QStringLiteral("btnPosDiscount")); }
void TfmReg::btnCheckDiscountClick() { runCommand(QStringLiteral("btnCheckDiscount")); }
void TfmReg::BitBtn1Click() { runCommand(QStringLiteral("BitBtn1")); }
void TfmReg::BitBtn2Click() { runCommand(QStringLiteral("BitBtn2")); }
void TfmReg::btnCloseCheckClick() { runCommand(QStringLiteral("btnCloseCheck")); }
void TfmReg::btnLEClick() { runCommand(QStringLiteral("btnLE")); }
void TfmReg::btnTelefonClick() { runCommand(QStringLiteral("btnTelefon")); }
void TfmReg::chLEClick() { runCommand(QStringLiteral("chLE")); }
