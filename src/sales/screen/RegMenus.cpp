// The main screen's menus and popups and what their items do.
#include "sales/screen/Registration_Mode.h"

#include "core/DataModule.h"
#include "core/uAppInfo.h"
#include "core/uCompany.h"
#include "core/uReAuthor.h"
#include "core/uUsers.h"
#include "platform/ui/Guard.h"
#include "sales/screen/MainScreenState.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>

using sales::controlTag;

namespace {

const QString kReceiptNotEmptyFullPay =
    QStringLiteral(" Чек не пустой.      \r\n Установка признака ''ПОЛНЫЙ РАСЧЕТ'' невозможна.     ");
const QString kReceiptNotEmptyBackToFull =
    QStringLiteral(" Чек не пустой.     \r\n Переключение на признак ''ПОЛНЫЙ РАСЧЕТ'' невозможно.     ");
const QString kReceiptNotEmptyBackToFullAdvance =
    QStringLiteral(" Чек не пустой.      \r\n Переключение на признак ''ПОЛНЫЙ РАСЧЕТ'' невозможно.     ");
const QString kServiceUnavailable = QStringLiteral("Сервис недоступен");

// Marks an item that stays disabled whatever switches whole menus on.
void keepOff(QAction* a) {
    a->setProperty("permanentlyOff", true);
    a->setEnabled(false);
    a->setVisible(false);
}

// Runs a window modally and frees it afterwards, whether or not it frees
// itself when closed.
template <class Window>
void runModal(Window* w) {
    QPointer<Window> keep(w);
    keep->exec();
    if (keep) delete keep.data();
}

}  // namespace

QAction* TfmReg::addItem(QMenu* parent, const QString& name, const QString& caption, void (TfmReg::*slot)()) {
    QAction* a = parent->addAction(caption);
    a->setObjectName(name);
    if (slot) connect(a, &QAction::triggered, this, slot);
    actions_.insert(name, a);
    return a;
}

QMenu* TfmReg::addSubmenu(QMenu* parent, const QString& name, const QString& caption) {
    QMenu* m = parent ? parent->addMenu(caption) : menuBar()->addMenu(caption);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    menus_.insert(name, m);
    actions_.insert(name, m->menuAction());
    return m;
}

void TfmReg::buildMenus() {
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* work = addSubmenu(nullptr, QStringLiteral("MWorkPlace"), QStringLiteral("Рабочее место"));
    addItem(work, QStringLiteral("MReAuthor"), QStringLiteral("Смена кассира"), &TfmReg::MReAuthorClick);
    addItem(work, QStringLiteral("MWorkPlaceLock"), QStringLiteral("Блокировка РМ"), &TfmReg::MWorkPlaceLockClick);
    work->addSeparator();
    addItem(work, QStringLiteral("MAppClose"), QStringLiteral("Завершить работу"), &TfmReg::MAppCloseClick);

    QMenu* doc = addSubmenu(nullptr, QStringLiteral("MDocument"), QStringLiteral("Документ"));
    connect(doc, &QMenu::aboutToShow, this, &TfmReg::updateDocumentMenu);
    QAction* cashCheck = addItem(doc, QStringLiteral("MCashCheck"), QStringLiteral("Кассовый чек"), &TfmReg::MCashCheckClick);
    cashCheck->setCheckable(true);
    cashCheck->setChecked(true);
    QAction* correction = addItem(doc, QStringLiteral("MCorrectionCheck"), QStringLiteral("Чек коррекции"));
    correction->setCheckable(true);
    keepOff(correction);
    QMenu* kinds = addSubmenu(doc, QStringLiteral("MChangeOperation"), QStringLiteral("Признак расчета"));
    addItem(kinds, QStringLiteral("MPrihod"), QStringLiteral("Приход"), &TfmReg::MPrihodClick);
    addItem(kinds, QStringLiteral("MPrihodBack"), QStringLiteral("Возврат прихода"), &TfmReg::MPrihodBackClick);
    addItem(kinds, QStringLiteral("MRashod"), QStringLiteral("Расход"), &TfmReg::MRashodClick);
    addItem(kinds, QStringLiteral("MRashodBack"), QStringLiteral("Возврат расхода"), &TfmReg::MRashodBackClick);
    keepOff(addItem(kinds, QStringLiteral("MCorrectionCheckP"), QStringLiteral("Чек коррекции прихода"),
                    &TfmReg::MCorrectionCheckPClick));
    keepOff(addItem(kinds, QStringLiteral("MCorrectionCheckR"), QStringLiteral("Чек коррекции расхода"),
                    &TfmReg::MCorrectionCheckRClick));
    QMenu* pay = addSubmenu(doc, QStringLiteral("MPaymentMethod"), QStringLiteral("Признак способа расчета"));
    for (QAction* a : {addItem(pay, QStringLiteral("M_FullPay"), QStringLiteral("Полный расчет"), &TfmReg::M_FullPayClick),
                       addItem(pay, QStringLiteral("M_PrePayFull"), QStringLiteral("Предоплата 100%"),
                               &TfmReg::M_PrePayFullClick),
                       addItem(pay, QStringLiteral("M_PrePayPart"), QStringLiteral("Предоплата (частичная)"),
                               &TfmReg::M_PrePayPartClick),
                       addItem(pay, QStringLiteral("M_Advance"), QStringLiteral("Аванс"), &TfmReg::M_AdvanceClick)})
        a->setCheckable(true);
    QAction* commission =
        addItem(doc, QStringLiteral("MCommission"), QStringLiteral("Комиссионная продажа"), &TfmReg::MCommissionClick);
    QAction* agent = addItem(doc, QStringLiteral("MAgentReward"), QStringLiteral("Агентское вознаграждение"),
                             &TfmReg::MAgentRewardClick);
    for (QAction* a : {commission, agent}) {
        a->setCheckable(true);
        keepOff(a);
    }
    doc->addSeparator();
    addItem(doc, QStringLiteral("MDiscountPos"), QStringLiteral("Скидка на позицию"), &TfmReg::MDiscountPosClick);
    addItem(doc, QStringLiteral("MDiscountCheck"), QStringLiteral("Скидка на чек"), &TfmReg::MDiscountCheckClick);
    addItem(doc, QStringLiteral("MChangeCount"), QStringLiteral("Изменить количество"), &TfmReg::MChangeCountClick);
    addItem(doc, QStringLiteral("MChangePrice"), QStringLiteral("Изменить цену"), &TfmReg::MChangePriceClick);
    addItem(doc, QStringLiteral("MDeletePos"), QStringLiteral("Удалить позицию"), &TfmReg::MDeletePosClick);
    addItem(doc, QStringLiteral("MDeleteCheck"), QStringLiteral("Удалить чек"), &TfmReg::MDeleteCheckClick);
    addItem(doc, QStringLiteral("MFindName"), QStringLiteral("Поиск по наименованию"), &TfmReg::MFindNameClick);
    addItem(doc, QStringLiteral("MeMail"), QStringLiteral("Отправить на тлф/e-mail"), &TfmReg::MeMailClick);
    QAction* portionsSeparator = doc->addSeparator();
    portionsSeparator->setObjectName(QStringLiteral("NPortionsSeparator"));
    actions_.insert(portionsSeparator->objectName(), portionsSeparator);
    addItem(doc, QStringLiteral("MAvailablePortions"), QStringLiteral("Доступные партии"),
            &TfmReg::MAvailablePortionsClick);
    doc->addSeparator();
    addItem(doc, QStringLiteral("MCloseCheck"), QStringLiteral("Расчет"), &TfmReg::MCloseCheckClick);

    QMenu* db = addSubmenu(nullptr, QStringLiteral("MDataBase"), QStringLiteral("База данных"));
    connect(db, &QMenu::aboutToShow, this, &TfmReg::MDataBaseClick);
    addItem(db, QStringLiteral("MCompany"), QStringLiteral("Организация"), &TfmReg::MCompanyClick);
    addItem(db, QStringLiteral("MGoodsDB"), QStringLiteral("Товары"), &TfmReg::MGoodsDBClick);
    addItem(db, QStringLiteral("MUsersDB"), QStringLiteral("Пользователи"), &TfmReg::MUsersDBClick);
    addItem(db, QStringLiteral("MConractors"), QStringLiteral("Контрагенты"), &TfmReg::MConractorsClick);
    keepOff(addItem(db, QStringLiteral("MSuppliers"), QStringLiteral("Поставщики"), &TfmReg::MSuppliersClick));
    keepOff(addItem(db, QStringLiteral("MBuyers"), QStringLiteral("Покупатели"), &TfmReg::MBuyersClick));
    addItem(db, QStringLiteral("N13"), QStringLiteral("Страны мира"), &TfmReg::N13Click);
    db->addSeparator();
    QMenu* stock = addSubmenu(db, QStringLiteral("MStockDocs"), QStringLiteral("Складские документы"));
    addItem(stock, QStringLiteral("MInventory"), QStringLiteral("Инвентаризация"), &TfmReg::MInventoryClick);
    addItem(stock, QStringLiteral("MGoodsReceipt"), QStringLiteral("Поступление товаров"), &TfmReg::MGoodsReceiptClick);
    addItem(stock, QStringLiteral("MGoodsOverPlus"), QStringLiteral("Оприходование"), &TfmReg::MGoodsOverPlusClick);
    addItem(stock, QStringLiteral("MGoodsRid"), QStringLiteral("Списание"), &TfmReg::MGoodsRidClick);
    db->addSeparator();
    QMenu* load = addSubmenu(db, QStringLiteral("MLoadGoods"), QStringLiteral("Загрузить товары"));
    addItem(load, QStringLiteral("MGoodsLoad"), QStringLiteral("Формат АТОЛ"), &TfmReg::MGoodsLoadClick);
    addItem(load, QStringLiteral("MLoadCSV"), QStringLiteral("Формат  csv"), &TfmReg::MLoadCSVClick);
    QMenu* unload = addSubmenu(db, QStringLiteral("MUnloadGoods"), QStringLiteral("Выгрузить товары"));
    addItem(unload, QStringLiteral("MGoodsUnLoad"), QStringLiteral("Формат АТОЛ"), &TfmReg::MGoodsUnLoadClick);
    addItem(unload, QStringLiteral("MUnloadCSV"), QStringLiteral("Формат  csv"), &TfmReg::MUnloadCSVClick);
    keepOff(addItem(unload, QStringLiteral("MUsersUnLoad"), QStringLiteral("список пользователей"),
                    &TfmReg::MUsersUnLoadClick));

    QMenu* reports = addSubmenu(nullptr, QStringLiteral("MReports"), QStringLiteral("Отчеты"));
    addItem(reports, QStringLiteral("MReportSales"), QStringLiteral("Продажи"), &TfmReg::MReportSalesClick);
    addItem(reports, QStringLiteral("MFindCheck"), QStringLiteral("Найти чек"), &TfmReg::MFindCheckClick);

    QMenu* service = addSubmenu(nullptr, QStringLiteral("MService"), QStringLiteral("Сервис"));
    connect(service, &QMenu::aboutToShow, this, &TfmReg::MServiceClick);
    addItem(service, QStringLiteral("MOptions"), QStringLiteral("Настройки"), &TfmReg::MOptionsClick);
    addItem(service, QStringLiteral("MPFSettings"), QStringLiteral("Настройки ПФ"), &TfmReg::MPFSettingsClick);
    addItem(service, QStringLiteral("MScaleOn"), QStringLiteral("Подключить весы"), &TfmReg::MScaleOnClick);
    addItem(service, QStringLiteral("MPriceTagPrint"), QStringLiteral("Печать ценников"), &TfmReg::MPriceTagPrintClick);

    QMenu* kkt = addSubmenu(nullptr, QStringLiteral("M_KKT"), QStringLiteral("   ККТ   "));
    connect(kkt, &QMenu::aboutToShow, this, &TfmReg::M_KKTClick);
    addItem(kkt, QStringLiteral("M_KKT_ON"), QStringLiteral("Подключение ККТ"), &TfmReg::M_KKT_ONClick);
    addItem(kkt, QStringLiteral("M_OpenSession"), QStringLiteral("Открыть смену "), &TfmReg::M_OpenSessionClick);
    addItem(kkt, QStringLiteral("Z1"), QStringLiteral("Закрыть смену"), &TfmReg::Z1Click);
    addItem(kkt, QStringLiteral("X1"), QStringLiteral("X-отчет суточный"), &TfmReg::X1Click);
    addItem(kkt, QStringLiteral("MIncome"), QStringLiteral("Внесение в кассу"), &TfmReg::MIncomeClick);
    kkt->addSeparator();
    addItem(kkt, QStringLiteral("MDriverInfo"), QStringLiteral("Версия драйвера"), &TfmReg::MDriverInfoClick);

    QMenu* help = addSubmenu(nullptr, QStringLiteral("MHelp"), QStringLiteral("Справка"));
    addItem(help, QStringLiteral("N4"), QStringLiteral("О программе"), &TfmReg::N4Click);
}

void TfmReg::buildPopups() {
    auto popup = [this](const QString& name) {
        auto* m = new QMenu(this);
        m->setObjectName(name);
        menus_.insert(name, m);
        return m;
    };

    PopupMenuGrid = popup(QStringLiteral("PopupMenuGrid"));
    addItem(PopupMenuGrid, QStringLiteral("PMDeletePos"), QStringLiteral("Удалить позицию"), &TfmReg::btnPosDeleteClick);
    addItem(PopupMenuGrid, QStringLiteral("PMDeleteCheck"), QStringLiteral("Удалить чек"), &TfmReg::btnCheckDeleteClick);
    addItem(PopupMenuGrid, QStringLiteral("PMChangePrice"), QStringLiteral("Изменить цену"), &TfmReg::BitBtn1Click);
    addItem(PopupMenuGrid, QStringLiteral("PMChangeCount"), QStringLiteral("Изменить количество"), &TfmReg::BitBtn2Click);
    addItem(PopupMenuGrid, QStringLiteral("PMDiscountPos"), QStringLiteral("Скидка на позицию"),
            &TfmReg::btnPosDiscountClick);
    addItem(PopupMenuGrid, QStringLiteral("PMDiscountCheck"), QStringLiteral("Скидка на чек"),
            &TfmReg::btnCheckDiscountClick);
    addItem(PopupMenuGrid, QStringLiteral("PMChangeName"), QStringLiteral("Изменить наименование"),
            &TfmReg::PMChangeNameClick);
    addItem(PopupMenuGrid, QStringLiteral("PMAvailablePortions"), QStringLiteral("Доступные партии"),
            &TfmReg::PMAvailablePortionsClick);

    PopupMenuOperation = popup(QStringLiteral("PopupMenuOperation"));
    addItem(PopupMenuOperation, QStringLiteral("PMPrihod"), QStringLiteral("Приход"), &TfmReg::MPrihodClick);
    addItem(PopupMenuOperation, QStringLiteral("PMPrihodBack"), QStringLiteral("Возврат прихода"),
            &TfmReg::MPrihodBackClick);
    addItem(PopupMenuOperation, QStringLiteral("PMRashod"), QStringLiteral("Расход"), &TfmReg::MRashodClick);
    addItem(PopupMenuOperation, QStringLiteral("PMRashodBack"), QStringLiteral("Возврат расхода"),
            &TfmReg::MRashodBackClick);
    addItem(PopupMenuOperation, QStringLiteral("PMCorrectionCheckP"), QStringLiteral("Чек коррекции прихода"),
            &TfmReg::MCorrectionCheckPClick)
        ->setVisible(false);
    addItem(PopupMenuOperation, QStringLiteral("PMCorrectionCheckR"), QStringLiteral("Чек коррекции расхода"),
            &TfmReg::MCorrectionCheckRClick)
        ->setVisible(false);

    PopupMenuTaxSystem = popup(QStringLiteral("PopupMenuTaxSystem"));
    addItem(PopupMenuTaxSystem, QStringLiteral("N11"), QStringLiteral("ОСН (общая)"), &TfmReg::N11Click);
    addItem(PopupMenuTaxSystem, QStringLiteral("N18"), QStringLiteral("УСН (доход)"), &TfmReg::N18Click);
    addItem(PopupMenuTaxSystem, QStringLiteral("N19"), QStringLiteral("УСН (доход-расход)"), &TfmReg::N19Click);
    addItem(PopupMenuTaxSystem, QStringLiteral("N8"), QStringLiteral("ЕНВД"), &TfmReg::N8Click);
    addItem(PopupMenuTaxSystem, QStringLiteral("N17"), QStringLiteral("ЕСХН"), &TfmReg::N17Click);
    addItem(PopupMenuTaxSystem, QStringLiteral("N20"), QStringLiteral("Патент"), &TfmReg::N20Click);

    PopupMenuScale = popup(QStringLiteral("PopupMenuScale"));
    addItem(PopupMenuScale, QStringLiteral("PMScaleOn"), QStringLiteral("Подключить весы"), &TfmReg::MScaleOnClick);
}

// ---------------------------------------------------------------------------
// Menus as they open

void TfmReg::updateDocumentMenu() {
    action(QStringLiteral("MDiscountCheck"))->setEnabled(btnCheckDiscount->isEnabled());
    action(QStringLiteral("MDiscountPos"))->setEnabled(btnPosDiscount->isEnabled());
    // The batches item is offered only where batches apply; whoever knows
    // the batches decides (command "MDocumentOpen"), otherwise it stays hidden.
    action(QStringLiteral("NPortionsSeparator"))->setVisible(false);
    action(QStringLiteral("MAvailablePortions"))->setVisible(false);
    runCommand(QStringLiteral("MDocumentOpen"));
}

void TfmReg::MDataBaseClick() {
    const sales::DataBaseMenuState s = sales::dataBaseMenuState(lblUser->text(), databaseConnected());
    setItemsEnabled(menu(QStringLiteral("MDataBase")), s.allItems);
    action(QStringLiteral("MUsersDB"))->setEnabled(s.usersItem);
    if (s.priceTags) action(QStringLiteral("MPriceTagPrint"))->setEnabled(*s.priceTags);
}

void TfmReg::MServiceClick() {
    const std::optional<sales::ServiceMenuState> s = sales::serviceMenuState(controlTag(lblINN), databaseConnected());
    if (!s) return;
    action(QStringLiteral("MOptions"))->setEnabled(s->options);
    action(QStringLiteral("MPriceTagPrint"))->setEnabled(s->priceTags);
}

void TfmReg::M_KKTClick() {
    const bool on = KKTConnected();
    for (const char* name : {"M_OpenSession", "Z1", "X1", "MIncome"})
        action(QString::fromLatin1(name))->setEnabled(on);
}

void TfmReg::showGridPopup(const QPoint& pos) {
    const int tableRow = GoodsGrid->rowAt(pos.y());
    if (tableRow >= 0) setCurrentReceiptRow(tableRow + 1);
    const int row = currentReceiptRow();
    const bool dataRow = receipt_.isDataRow(row);
    const sales::GridPopupState s = sales::gridPopupState(
        sales::receiptKindFromCaption(lblOperationType->text()), receipt_.receiptDiscountKind() != QLatin1Char('N'),
        dataRow ? receipt_.markType(row) : 0,
        dataRow && !receipt_.cell(row, sales::ReceiptModel::ColId).trimmed().isEmpty());
    action(QStringLiteral("PMDiscountPos"))->setVisible(s.discountPosVisible);
    action(QStringLiteral("PMDiscountCheck"))->setVisible(s.discountCheckVisible);
    action(QStringLiteral("PMChangePrice"))->setVisible(s.changePriceVisible);
    action(QStringLiteral("PMChangeName"))->setEnabled(s.changeNameEnabled);
    runCommand(QStringLiteral("PopupMenuGridOpen"));
    PopupMenuGrid->popup(GoodsGrid->viewport()->mapToGlobal(pos));
}

// ---------------------------------------------------------------------------
// Work place

void TfmReg::MReAuthorClick() {
    if (hasCommand(QStringLiteral("MReAuthor"))) return runCommand(QStringLiteral("MReAuthor"));
    if (!core::DataModule1) return;
    ui::guarded(this, [this] { runModal(new core::TfmReAuthor(core::DataModule1->IBDatabase1(), *this, this)); });
}

void TfmReg::MWorkPlaceLockClick() { lockWorkplace(); }

// ---------------------------------------------------------------------------
// Document

void TfmReg::MCashCheckClick() { action(QStringLiteral("MCashCheck"))->setChecked(true); }

void TfmReg::MPrihodClick() { receiptKindCommand(sales::KindSale, QStringLiteral("Приход")); }
void TfmReg::MPrihodBackClick() { receiptKindCommand(sales::KindSaleReturn, QStringLiteral("Возврат прихода")); }
void TfmReg::MRashodClick() { receiptKindCommand(sales::KindPurchase, QStringLiteral("Расход")); }
void TfmReg::MRashodBackClick() { receiptKindCommand(sales::KindPurchaseReturn, QStringLiteral("Возврат расхода")); }
void TfmReg::MCorrectionCheckPClick() {
    receiptKindCommand(receiptKind(), action(QStringLiteral("MCorrectionCheckP"))->text());
}
void TfmReg::MCorrectionCheckRClick() {
    receiptKindCommand(receiptKind(), action(QStringLiteral("MCorrectionCheckR"))->text());
}

void TfmReg::paymentFlagItemToggled(int flag) {
    if (updatingPaymentChecks_) return;
    static const QHash<int, QString> items{{1, QStringLiteral("M_PrePayFull")},
                                           {2, QStringLiteral("M_PrePayPart")},
                                           {3, QStringLiteral("M_Advance")},
                                           {4, QStringLiteral("M_FullPay")}};
    QAction* item = action(items.value(flag));
    const bool checked = item->isChecked();
    const bool hasPositions = !receipt_.isEmpty();
    auto setCheck = [&](bool on) {
        updatingPaymentChecks_ = true;
        item->setChecked(on);
        updatingPaymentChecks_ = false;
    };
    if (flag == 4) {
        if (!checked) {
            // Full payment cannot be switched off, only replaced.
            setCheck(true);
            return;
        }
        if (hasPositions && paymentMethodFlag_ != 4) {
            setCheck(false);
            ui::showWarning(kReceiptNotEmptyFullPay, this);
            return;
        }
        SetPaymentMethodFlag(4);
        return;
    }
    if (checked) {
        SetPaymentMethodFlag(flag);
        return;
    }
    if (hasPositions) {
        ui::showWarning(flag == 3 ? kReceiptNotEmptyBackToFullAdvance : kReceiptNotEmptyBackToFull, this);
        setCheck(true);
        return;
    }
    SetPaymentMethodFlag(4);
}

void TfmReg::M_FullPayClick() {
    if (hasCommand(QStringLiteral("M_FullPay"))) return runCommand(QStringLiteral("M_FullPay"));
    paymentFlagItemToggled(4);
}
void TfmReg::M_PrePayFullClick() {
    if (hasCommand(QStringLiteral("M_PrePayFull"))) return runCommand(QStringLiteral("M_PrePayFull"));
    paymentFlagItemToggled(1);
}
void TfmReg::M_PrePayPartClick() {
    if (hasCommand(QStringLiteral("M_PrePayPart"))) return runCommand(QStringLiteral("M_PrePayPart"));
    paymentFlagItemToggled(2);
}
void TfmReg::M_AdvanceClick() {
    if (hasCommand(QStringLiteral("M_Advance"))) return runCommand(QStringLiteral("M_Advance"));
    paymentFlagItemToggled(3);
}

void TfmReg::MCommissionClick() {
    QAction* commission = action(QStringLiteral("MCommission"));
    if (commission->isChecked()) action(QStringLiteral("MAgentReward"))->setChecked(false);
    lblCommission->setText(QStringLiteral("Продажа комиссионного товара"));
    lblCommission->setStyleSheet(QStringLiteral("color: red;"));
    lblCommission->setVisible(commission->isChecked());
}

void TfmReg::MAgentRewardClick() {
    QAction* agent = action(QStringLiteral("MAgentReward"));
    if (agent->isChecked()) action(QStringLiteral("MCommission"))->setChecked(false);
    lblCommission->setText(QStringLiteral("Агентское вознаграждение"));
    lblCommission->setStyleSheet(QStringLiteral("color: green;"));
    lblCommission->setVisible(agent->isChecked());
}

void TfmReg::clickButton(QPushButton* button, void (TfmReg::*handler)()) {
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
    if (hasCommand(QStringLiteral("MCompany"))) return runCommand(QStringLiteral("MCompany"));
    if (!core::DataModule1) return;
    ui::guarded(this, [this] { runModal(new core::TfmCompany(core::DataModule1->IBDatabase1(), this)); });
}

void TfmReg::MGoodsDBClick() { runCommand(QStringLiteral("MGoodsDB")); }

void TfmReg::MUsersDBClick() {
    if (hasCommand(QStringLiteral("MUsersDB"))) return runCommand(QStringLiteral("MUsersDB"));
    if (!core::DataModule1) return;
    ui::guarded(this, [this] { runModal(new core::TfmUsers(core::DataModule1->IBDatabase1(), this)); });
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
void TfmReg::MUsersUnLoadClick() { ui::showError(kServiceUnavailable, this); }

// ---------------------------------------------------------------------------
// Reports and service

void TfmReg::MReportSalesClick() { runCommand(QStringLiteral("MReportSales")); }
void TfmReg::MFindCheckClick() { runCommand(QStringLiteral("MFindCheck")); }
void TfmReg::MOptionsClick() { runCommand(QStringLiteral("MOptions")); }
void TfmReg::MPFSettingsClick() { runCommand(QStringLiteral("MPFSettings")); }
void TfmReg::MScaleOnClick() { runCommand(QStringLiteral("MScaleOn")); }
void TfmReg::MPriceTagPrintClick() { runCommand(QStringLiteral("MPriceTagPrint")); }

void TfmReg::N4Click() {
    if (hasCommand(QStringLiteral("N4"))) return runCommand(QStringLiteral("N4"));
    ui::guarded(this, [this] { runModal(new core::TfmAppInfo(this)); });
}

// ---------------------------------------------------------------------------
// Register

void TfmReg::M_KKT_ONClick() {
    ui::guarded(this, [this] { register_->connectRegister(); });
}

void TfmReg::M_OpenSessionClick() {
    ui::guarded(this, [this] { register_->openShift(cashierLabels()); });
}

void TfmReg::Z1Click() {
    ui::guarded(this, [this] { register_->closeShift(cashierLabels()); });
}

void TfmReg::X1Click() {
    ui::guarded(this, [this] { register_->xReport(cashierLabels()); });
}

void TfmReg::MIncomeClick() {
    // The amount window (command "MIncome") takes the amount and calls cashIncome().
    bool ready = false;
    ui::guarded(this, [&] { ready = register_->prepareCashIncome(cashierLabels()); });
    if (ready) runCommand(QStringLiteral("MIncome"));
}

void TfmReg::MDriverInfoClick() {
    ui::guarded(this, [this] { register_->showDriverVersion(); });
}

// ---------------------------------------------------------------------------
// Tax system popup

void TfmReg::N11Click() { setTaxSystem(1); }
void TfmReg::N18Click() { setTaxSystem(2); }
void TfmReg::N19Click() { setTaxSystem(4); }
void TfmReg::N8Click() { setTaxSystem(8); }
void TfmReg::N17Click() { setTaxSystem(16); }
void TfmReg::N20Click() { setTaxSystem(32); }

// ---------------------------------------------------------------------------
// Grid and buttons

void TfmReg::PMChangeNameClick() { runCommand(QStringLiteral("PMChangeName")); }
void TfmReg::PMAvailablePortionsClick() { runCommand(QStringLiteral("PMAvailablePortions")); }

void TfmReg::GoodsGridDblClick(int column) {
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
