#include "sales/screen/RegMenus.h"

#include "platform/ui/MessageService.h"
#include "sales/screen/RegMenuHost.h"

#include <QAction>
#include <QColor>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace sales {

namespace {

const QString kReceiptNotEmptyFullPay =
    QStringLiteral(" Чек не пустой.      \r\n Установка признака ''ПОЛНЫЙ РАСЧЕТ'' невозможна.     ");
const QString kReceiptNotEmptyBackToFull =
    QStringLiteral(" Чек не пустой.     \r\n Переключение на признак ''ПОЛНЫЙ РАСЧЕТ'' невозможно.     ");
const QString kReceiptNotEmptyBackToFullAdvance =
    QStringLiteral(" Чек не пустой.      \r\n Переключение на признак ''ПОЛНЫЙ РАСЧЕТ'' невозможно.     ");

const char* const kPaymentItems[] = {"M_FullPay", "M_PrePayFull", "M_PrePayPart", "M_Advance"};

// Marks an item that stays disabled whatever switches whole menus on.
void keepOff(QAction* a) {
    a->setProperty("permanentlyOff", true);
    a->setEnabled(false);
    a->setVisible(false);
}

}  // namespace

RegMenus::RegMenus(RegMenuHost& host) : QObject(host.menuWindow()), host_(host) {
    setObjectName(QStringLiteral("RegMenus"));
    buildMainMenu();
    buildPopups();
}

RegMenus::~RegMenus() = default;

QAction* RegMenus::action(const QString& name) const { return actions_.value(name, nullptr); }

QMenu* RegMenus::menu(const QString& name) const { return menus_.value(name, nullptr); }

QAction* RegMenus::addItem(QMenu* parent, const QString& name, const QString& caption, bool chosen) {
    QAction* a = parent->addAction(caption);
    a->setObjectName(name);
    if (chosen) connect(a, &QAction::triggered, this, [this, name] { host_.menuItemChosen(name); });
    actions_.insert(name, a);
    return a;
}

QMenu* RegMenus::addSubmenu(QMenu* parent, const QString& name, const QString& caption) {
    QMenu* m = parent ? parent->addMenu(caption) : host_.menuWindow()->menuBar()->addMenu(caption);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    menus_.insert(name, m);
    actions_.insert(name, m->menuAction());
    return m;
}

QMenu* RegMenus::addPopup(const QString& name) {
    auto* m = new QMenu(host_.menuWindow());
    m->setObjectName(name);
    menus_.insert(name, m);
    return m;
}

void RegMenus::buildMainMenu() {
    host_.menuWindow()->menuBar()->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* work = addSubmenu(nullptr, QStringLiteral("MWorkPlace"), QStringLiteral("Рабочее место"));
    addItem(work, QStringLiteral("MReAuthor"), QStringLiteral("Смена кассира"));
    addItem(work, QStringLiteral("MWorkPlaceLock"), QStringLiteral("Блокировка РМ"));
    work->addSeparator();
    addItem(work, QStringLiteral("MAppClose"), QStringLiteral("Завершить работу"));

    QMenu* doc = addSubmenu(nullptr, QStringLiteral("MDocument"), QStringLiteral("Документ"));
    connect(doc, &QMenu::aboutToShow, this, &RegMenus::updateDocumentMenu);
    QAction* cashCheck = addItem(doc, QStringLiteral("MCashCheck"), QStringLiteral("Кассовый чек"));
    cashCheck->setCheckable(true);
    cashCheck->setChecked(true);
    QAction* correction = addItem(doc, QStringLiteral("MCorrectionCheck"), QStringLiteral("Чек коррекции"), false);
    correction->setCheckable(true);
    keepOff(correction);
    QMenu* kinds = addSubmenu(doc, QStringLiteral("MChangeOperation"), QStringLiteral("Признак расчета"));
    addItem(kinds, QStringLiteral("MPrihod"), QStringLiteral("Приход"));
    addItem(kinds, QStringLiteral("MPrihodBack"), QStringLiteral("Возврат прихода"));
    addItem(kinds, QStringLiteral("MRashod"), QStringLiteral("Расход"));
    addItem(kinds, QStringLiteral("MRashodBack"), QStringLiteral("Возврат расхода"));
    kinds->addSeparator();
    addItem(kinds, QStringLiteral("MCorrectionCheckP"), QStringLiteral("Чек коррекции прихода"));
    addItem(kinds, QStringLiteral("MCorrectionCheckR"), QStringLiteral("Чек коррекции расхода"));
    QMenu* pay = addSubmenu(doc, QStringLiteral("MPaymentMethod"), QStringLiteral("Признак способа расчета"));
    for (QAction* a : {addItem(pay, QStringLiteral("M_FullPay"), QStringLiteral("Полный расчет")),
                       addItem(pay, QStringLiteral("M_PrePayFull"), QStringLiteral("Предоплата 100%")),
                       addItem(pay, QStringLiteral("M_PrePayPart"), QStringLiteral("Предоплата (частичная)")),
                       addItem(pay, QStringLiteral("M_Advance"), QStringLiteral("Аванс"))})
        a->setCheckable(true);
    QAction* commission =
        addItem(doc, QStringLiteral("MCommission"), QStringLiteral("Комиссионная продажа"));
    QAction* agent = addItem(doc, QStringLiteral("MAgentReward"), QStringLiteral("Агентское вознаграждение"));
    for (QAction* a : {commission, agent}) {
        a->setCheckable(true);
        keepOff(a);
    }
    doc->addSeparator();
    addItem(doc, QStringLiteral("MDiscountPos"), QStringLiteral("Скидка на позицию"));
    addItem(doc, QStringLiteral("MDiscountCheck"), QStringLiteral("Скидка на чек"));
    addItem(doc, QStringLiteral("MChangeCount"), QStringLiteral("Изменить количество"));
    addItem(doc, QStringLiteral("MChangePrice"), QStringLiteral("Изменить цену"));
    addItem(doc, QStringLiteral("MDeletePos"), QStringLiteral("Удалить позицию"));
    addItem(doc, QStringLiteral("MDeleteCheck"), QStringLiteral("Удалить чек"));
    addItem(doc, QStringLiteral("MFindName"), QStringLiteral("Поиск по наименованию"));
    addItem(doc, QStringLiteral("MeMail"), QStringLiteral("Отправить на тлф/e-mail"));
    QAction* portionsSeparator = doc->addSeparator();
    portionsSeparator->setObjectName(QStringLiteral("NPortionsSeparator"));
    actions_.insert(portionsSeparator->objectName(), portionsSeparator);
    addItem(doc, QStringLiteral("MAvailablePortions"), QStringLiteral("Доступные партии"));
    doc->addSeparator();
    addItem(doc, QStringLiteral("MCloseCheck"), QStringLiteral("Расчет"));

    QMenu* db = addSubmenu(nullptr, QStringLiteral("MDataBase"), QStringLiteral("База данных"));
    connect(db, &QMenu::aboutToShow, this, &RegMenus::updateDataBaseMenu);
    addItem(db, QStringLiteral("MCompany"), QStringLiteral("Организация"));
    addItem(db, QStringLiteral("MGoodsDB"), QStringLiteral("Товары"));
    addItem(db, QStringLiteral("MUsersDB"), QStringLiteral("Пользователи"));
    addItem(db, QStringLiteral("MConractors"), QStringLiteral("Контрагенты"));
    keepOff(addItem(db, QStringLiteral("MSuppliers"), QStringLiteral("Поставщики")));
    keepOff(addItem(db, QStringLiteral("MBuyers"), QStringLiteral("Покупатели")));
    addItem(db, QStringLiteral("N13"), QStringLiteral("Страны мира"));
    db->addSeparator();
    QMenu* stock = addSubmenu(db, QStringLiteral("MStockDocs"), QStringLiteral("Складские документы"));
    addItem(stock, QStringLiteral("MInventory"), QStringLiteral("Инвентаризация"));
    addItem(stock, QStringLiteral("MGoodsReceipt"), QStringLiteral("Поступление товаров"));
    addItem(stock, QStringLiteral("MGoodsOverPlus"), QStringLiteral("Оприходование"));
    addItem(stock, QStringLiteral("MGoodsRid"), QStringLiteral("Списание"));
    db->addSeparator();
    QMenu* load = addSubmenu(db, QStringLiteral("MLoadGoods"), QStringLiteral("Загрузить товары"));
    addItem(load, QStringLiteral("MGoodsLoad"), QStringLiteral("Формат АТОЛ"));
    addItem(load, QStringLiteral("MLoadCSV"), QStringLiteral("Формат  csv"));
    QMenu* unload = addSubmenu(db, QStringLiteral("MUnloadGoods"), QStringLiteral("Выгрузить товары"));
    addItem(unload, QStringLiteral("MGoodsUnLoad"), QStringLiteral("Формат АТОЛ"));
    addItem(unload, QStringLiteral("MUnloadCSV"), QStringLiteral("Формат  csv"));
    keepOff(addItem(unload, QStringLiteral("MUsersUnLoad"), QStringLiteral("список пользователей")));

    QMenu* reports = addSubmenu(nullptr, QStringLiteral("MReports"), QStringLiteral("Отчеты"));
    addItem(reports, QStringLiteral("MReportSales"), QStringLiteral("Продажи"));
    addItem(reports, QStringLiteral("MFindCheck"), QStringLiteral("Найти чек"));

    QMenu* service = addSubmenu(nullptr, QStringLiteral("MService"), QStringLiteral("Сервис"));
    connect(service, &QMenu::aboutToShow, this, &RegMenus::updateServiceMenu);
    addItem(service, QStringLiteral("MOptions"), QStringLiteral("Настройки"));
    addItem(service, QStringLiteral("MPFSettings"), QStringLiteral("Настройки ПФ"));
    addItem(service, QStringLiteral("MScaleOn"), QStringLiteral("Подключить весы"));
    addItem(service, QStringLiteral("MPriceTagPrint"), QStringLiteral("Печать ценников"));

    QMenu* kkt = addSubmenu(nullptr, QStringLiteral("M_KKT"), QStringLiteral("   ККТ   "));
    connect(kkt, &QMenu::aboutToShow, this, &RegMenus::updateRegisterMenu);
    addItem(kkt, QStringLiteral("M_KKT_ON"), QStringLiteral("Подключение ККТ"));
    addItem(kkt, QStringLiteral("M_OpenSession"), QStringLiteral("Открыть смену "));
    addItem(kkt, QStringLiteral("Z1"), QStringLiteral("Закрыть смену"));
    addItem(kkt, QStringLiteral("X1"), QStringLiteral("X-отчет суточный"));
    addItem(kkt, QStringLiteral("MIncome"), QStringLiteral("Внесение в кассу"));
    kkt->addSeparator();
    addItem(kkt, QStringLiteral("MDriverInfo"), QStringLiteral("Версия драйвера"));

    QMenu* help = addSubmenu(nullptr, QStringLiteral("MHelp"), QStringLiteral("Справка"));
    addItem(help, QStringLiteral("N4"), QStringLiteral("О программе"));
}

void RegMenus::buildPopups() {
    QMenu* grid = addPopup(QStringLiteral("PopupMenuGrid"));
    addItem(grid, QStringLiteral("PMDeletePos"), QStringLiteral("Удалить позицию"));
    addItem(grid, QStringLiteral("PMDeleteCheck"), QStringLiteral("Удалить чек"));
    addItem(grid, QStringLiteral("PMChangePrice"), QStringLiteral("Изменить цену"));
    addItem(grid, QStringLiteral("PMChangeCount"), QStringLiteral("Изменить количество"));
    addItem(grid, QStringLiteral("PMDiscountPos"), QStringLiteral("Скидка на позицию"));
    addItem(grid, QStringLiteral("PMDiscountCheck"), QStringLiteral("Скидка на чек"));
    addItem(grid, QStringLiteral("PMChangeName"), QStringLiteral("Изменить наименование"));
    QAction* portionsSeparator = grid->addSeparator();
    portionsSeparator->setObjectName(QStringLiteral("PM15"));
    actions_.insert(portionsSeparator->objectName(), portionsSeparator);
    addItem(grid, QStringLiteral("PMAvailablePortions"), QStringLiteral("Доступные партии"));

    QMenu* operation = addPopup(QStringLiteral("PopupMenuOperation"));
    addItem(operation, QStringLiteral("PMPrihod"), QStringLiteral("Приход"));
    addItem(operation, QStringLiteral("PMPrihodBack"), QStringLiteral("Возврат прихода"));
    addItem(operation, QStringLiteral("PMRashod"), QStringLiteral("Расход"));
    addItem(operation, QStringLiteral("PMRashodBack"), QStringLiteral("Возврат расхода"));
    operation->addSeparator();
    addItem(operation, QStringLiteral("PMCorrectionCheckP"), QStringLiteral("Чек коррекции прихода"));
    addItem(operation, QStringLiteral("PMCorrectionCheckR"), QStringLiteral("Чек коррекции расхода"));

    QMenu* tax = addPopup(QStringLiteral("PopupMenuTaxSystem"));
    addItem(tax, QStringLiteral("N11"), QStringLiteral("ОСН (общая)"));
    addItem(tax, QStringLiteral("N18"), QStringLiteral("УСН (доход)"));
    addItem(tax, QStringLiteral("N19"), QStringLiteral("УСН (доход-расход)"));
    addItem(tax, QStringLiteral("N8"), QStringLiteral("ЕНВД"));
    addItem(tax, QStringLiteral("N17"), QStringLiteral("ЕСХН"));
    addItem(tax, QStringLiteral("N20"), QStringLiteral("Патент"));

    QMenu* scale = addPopup(QStringLiteral("PopupMenuScale"));
    addItem(scale, QStringLiteral("PMScaleOn"), QStringLiteral("Подключить весы"));
}


void RegMenus::setItemsEnabled(QMenu* m, bool on) {
    if (!m) return;
    for (QAction* a : m->actions()) {
        if (a->isSeparator() || a->property("permanentlyOff").toBool()) continue;
        a->setEnabled(on);
        if (a->menu()) setItemsEnabled(a->menu(), on);
    }
}

void RegMenus::setPaymentChecks(const std::array<bool, 4>& checks) {
    // The items' handlers must not answer their own check changes.
    updatingPaymentChecks_ = true;
    for (size_t i = 0; i < checks.size(); ++i)
        if (QAction* a = action(QString::fromLatin1(kPaymentItems[i]))) a->setChecked(checks[i]);
    updatingPaymentChecks_ = false;
}

// ---------------------------------------------------------------------------
// Menus as they open

void RegMenus::updateDocumentMenu() {
    action(QStringLiteral("MDiscountCheck"))->setEnabled(host_.receiptDiscountOffered());
    action(QStringLiteral("MDiscountPos"))->setEnabled(host_.positionDiscountOffered());
    // The batches item is offered only where batches apply; whoever knows
    // the batches decides (command "MDocumentOpen"), otherwise it stays hidden.
    action(QStringLiteral("NPortionsSeparator"))->setVisible(false);
    action(QStringLiteral("MAvailablePortions"))->setVisible(false);
    host_.runAttachedCommand(QStringLiteral("MDocumentOpen"));
}

void RegMenus::updateDataBaseMenu() {
    const DataBaseMenuState s = dataBaseMenuState(host_.cashierName(), host_.databaseConnected());
    setItemsEnabled(menu(QStringLiteral("MDataBase")), s.allItems);
    action(QStringLiteral("MUsersDB"))->setEnabled(s.usersItem);
    if (s.priceTags) action(QStringLiteral("MPriceTagPrint"))->setEnabled(*s.priceTags);
}

void RegMenus::updateServiceMenu() {
    const std::optional<ServiceMenuState> s = serviceMenuState(host_.administratorFlag(), host_.databaseConnected());
    if (!s) return;
    action(QStringLiteral("MOptions"))->setEnabled(s->options);
    action(QStringLiteral("MPriceTagPrint"))->setEnabled(s->priceTags);
}

void RegMenus::updateRegisterMenu() {
    const bool on = host_.registerConnected();
    for (const char* name : {"M_OpenSession", "Z1", "X1", "MIncome"})
        action(QString::fromLatin1(name))->setEnabled(on);
}

void RegMenus::showGridPopup(const GridPopupState& s, const QPoint& globalPos) {
    action(QStringLiteral("PMDiscountPos"))->setVisible(s.discountPosVisible);
    action(QStringLiteral("PMDiscountCheck"))->setVisible(s.discountCheckVisible);
    action(QStringLiteral("PMChangePrice"))->setVisible(s.changePriceVisible);
    action(QStringLiteral("PMChangeName"))->setEnabled(s.changeNameEnabled);
    // As in the "Документ" menu: batches are offered by whoever knows them.
    action(QStringLiteral("PM15"))->setVisible(false);
    action(QStringLiteral("PMAvailablePortions"))->setVisible(false);
    host_.runAttachedCommand(QStringLiteral("PopupMenuGridOpen"));
    menu(QStringLiteral("PopupMenuGrid"))->popup(globalPos);
}

// ---------------------------------------------------------------------------
// Payment method, commission and agent sale

void RegMenus::paymentItemToggled(int flag) {
    if (updatingPaymentChecks_) return;
    static const QHash<int, QString> items{{1, QStringLiteral("M_PrePayFull")},
                                           {2, QStringLiteral("M_PrePayPart")},
                                           {3, QStringLiteral("M_Advance")},
                                           {4, QStringLiteral("M_FullPay")}};
    QAction* item = action(items.value(flag));
    if (!item) return;
    const bool checked = item->isChecked();
    const bool hasPositions = host_.receiptHasPositions();
    QWidget* parent = host_.menuWindow();
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
        if (hasPositions && host_.paymentMethodFlag() != 4) {
            setCheck(false);
            ui::showWarning(kReceiptNotEmptyFullPay, parent);
            return;
        }
        host_.SetPaymentMethodFlag(4);
        return;
    }
    if (checked) {
        host_.SetPaymentMethodFlag(flag);
        return;
    }
    if (hasPositions) {
        ui::showWarning(flag == 3 ? kReceiptNotEmptyBackToFullAdvance : kReceiptNotEmptyBackToFull, parent);
        setCheck(true);
        return;
    }
    host_.SetPaymentMethodFlag(4);
}

void RegMenus::commissionToggled() {
    QAction* commission = action(QStringLiteral("MCommission"));
    if (commission->isChecked()) action(QStringLiteral("MAgentReward"))->setChecked(false);
    host_.showSaleKindNote(QStringLiteral("Продажа комиссионного товара"), QColor(Qt::red), commission->isChecked());
}

void RegMenus::agentRewardToggled() {
    QAction* agent = action(QStringLiteral("MAgentReward"));
    if (agent->isChecked()) action(QStringLiteral("MCommission"))->setChecked(false);
    host_.showSaleKindNote(QStringLiteral("Агентское вознаграждение"), QColor(Qt::green), agent->isChecked());
}

}  // namespace sales
