#include "core/uOptions.h"

#include "core/CodeTables.h"
#include "core/OptionsModel.h"
#include "core/RefLists.h"
#include "core/ScaleConnection.h"
#include "core/SettingsFile.h"
#include "platform/serial/SerialPortLister.h"
#include "platform/sys/ProgramFolder.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace core {

TfmOptions* fmOptions = nullptr;

namespace {

QLineEdit* edit(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setContextMenuPolicy(Qt::NoContextMenu);
    return e;
}

QComboBox* dropDownList(QWidget* parent, const char* name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setContextMenuPolicy(Qt::NoContextMenu);
    return c;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QListWidget* list(QWidget* parent, const char* name) {
    auto* l = new QListWidget(parent);
    l->setObjectName(QLatin1String(name));
    l->setContextMenuPolicy(Qt::NoContextMenu);
    l->setSelectionMode(QAbstractItemView::SingleSelection);
    return l;
}

QWidget* page(QTabWidget* tabs, const char* name, const QString& caption) {
    auto* w = new QWidget(tabs);
    w->setObjectName(QLatin1String(name));
    tabs->addTab(w, caption);
    return w;
}

}  // namespace

TfmOptions::TfmOptions(fb::Connection& db, ScaleConnection& scale, const serial::SerialPortLister& ports,
                       QWidget* parent)
    : QDialog(parent), db_(db), scale_(scale) {
    setObjectName(QStringLiteral("fmOptions"));
    setWindowTitle(QStringLiteral("Настройки"));
    setAttribute(Qt::WA_DeleteOnClose);
    fmOptions = this;

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheetGeneral = page(PageControl1, "TabSheetGeneral", QStringLiteral("  Общие  "));
    TabSheetMarking = page(PageControl1, "TabSheetMarking", QStringLiteral("Маркировка"));
    TabSheetEquipment = page(PageControl1, "TabSheetEquipment", QStringLiteral("Оборудование"));
    TabSheetUnits = page(PageControl1, "TabSheetUnits", QStringLiteral("Ед. измер."));
    TabSheetUsers = page(PageControl1, "TabSheetUsers", QStringLiteral("Пользователи"));

    // --- general
    ComboBox1 = dropDownList(TabSheetGeneral, "ComboBox1");
    ComboBox1->addItems(OperDefaultItems());
    ComboBox1->setCurrentIndex(-1);
    cmbTaxSystem = dropDownList(TabSheetGeneral, "cmbTaxSystem");
    cmbPayTypeDefault = dropDownList(TabSheetGeneral, "cmbPayTypeDefault");
    cmbPayTypeDefault->addItems(PayTypeItems());
    cmbPayTypeDefault->setCurrentIndex(-1);
    meMaxDisc = edit(TabSheetGeneral, "meMaxDisc");
    meMaxDisc->setMaxLength(5);
    meMaxDisc->setText(QStringLiteral("25"));
    edEmail = edit(TabSheetGeneral, "edEmail");
    // Read from the file but never offered or saved.
    meMaxSumPos = edit(TabSheetGeneral, "meMaxSumPos");
    meMaxSumPos->hide();
    chListClear = new QCheckBox(TabSheetGeneral);
    chListClear->setObjectName(QStringLiteral("chListClear"));
    chListClear->setChecked(true);
    chListClear->hide();
    chPosDelete = new QCheckBox(TabSheetGeneral);
    chPosDelete->setObjectName(QStringLiteral("chPosDelete"));
    chPosDelete->setChecked(true);
    chPosDelete->hide();
    rgMode = new QGroupBox(TabSheetGeneral);
    rgMode->setObjectName(QStringLiteral("rgMode"));
    auto* modes = new QVBoxLayout(rgMode);
    for (const QString& mode : {QStringLiteral("с БД"), QStringLiteral("без БД")}) {
        auto* item = new QRadioButton(mode, rgMode);
        modes->addWidget(item);
    }
    static_cast<QRadioButton*>(modes->itemAt(0)->widget())->setChecked(true);
    rgMode->hide();

    auto* general = new QFormLayout(TabSheetGeneral);
    general->addRow(QStringLiteral("Тип операции по умолчанию"), ComboBox1);
    general->addRow(QStringLiteral("Система налогообложения"), cmbTaxSystem);
    general->addRow(QStringLiteral("Оплата по умолчанию"), cmbPayTypeDefault);
    general->addRow(QStringLiteral("Максимальная скидка, %"), meMaxDisc);
    general->addRow(QStringLiteral("E-mail магазина"), edEmail);

    // --- marking
    rgPriceRuleTobacco = new QGroupBox(QStringLiteral(" Цена табачной продукции в чеке "), TabSheetMarking);
    rgPriceRuleTobacco->setObjectName(QStringLiteral("rgPriceRuleTobacco"));
    tobaccoRules_ = new QButtonGroup(this);
    edDiscountPercent = edit(rgPriceRuleTobacco, "edDiscountPercent");
    edDiscountRUB = edit(rgPriceRuleTobacco, "edDiscountRUB");
    const QStringList ruleTexts{QStringLiteral("указанной в БД"), QStringLiteral("по максимальной розничной цене ( МРЦ )"),
                                QStringLiteral("по МРЦ -             %"), QStringLiteral("по МРЦ -                руб.")};
    auto* rules = new QGridLayout(rgPriceRuleTobacco);
    for (int i = 0; i < ruleTexts.size(); ++i) {
        auto* item = new QRadioButton(ruleTexts[i], rgPriceRuleTobacco);
        item->setObjectName(QStringLiteral("rgPriceRuleTobacco_%1").arg(i));
        tobaccoRules_->addButton(item, i);
        rules->addWidget(item, i, 0);
    }
    rules->addWidget(edDiscountPercent, 2, 1);
    rules->addWidget(edDiscountRUB, 3, 1);
    rules->setColumnStretch(2, 1);
    rgPriceRuleTobacco->setStyleSheet(
        QStringLiteral("QGroupBox#rgPriceRuleTobacco { color: red; } QRadioButton { color: blue; }"));
    auto* marking = new QVBoxLayout(TabSheetMarking);
    marking->addWidget(rgPriceRuleTobacco);
    marking->addStretch();

    // --- equipment
    auto* scaleGroup = new QGroupBox(QStringLiteral(" Подключение весов"), TabSheetEquipment);
    scaleGroup->setObjectName(QStringLiteral("GroupBoxScale"));
    QStringList portNames;
    ui::guarded(this, [&] { portNames = ports.ports(); });
    scaleFields_ = makeScaleControls(scaleGroup, portNames);
    cmbScaleProtocol = scaleFields_.protocol;
    cmbScalePort = scaleFields_.port;
    cmbScaleBaudRate = scaleFields_.baudRate;
    edScaleTimeout = scaleFields_.timeout;
    UpDown1 = scaleFields_.upDown;
    Button6 = button(scaleGroup, "Button6", QStringLiteral("Проверка"));
    edScaleConnectResult = edit(scaleGroup, "edScaleConnectResult");
    edScaleConnectResult->setReadOnly(true);

    auto* timeoutRow = new QHBoxLayout;
    timeoutRow->setSpacing(0);
    timeoutRow->addWidget(edScaleTimeout);
    timeoutRow->addWidget(UpDown1);
    timeoutRow->addStretch();
    auto* testRow = new QHBoxLayout;
    testRow->addWidget(Button6);
    testRow->addWidget(edScaleConnectResult, 1);
    auto* scaleForm = new QFormLayout(scaleGroup);
    scaleForm->addRow(QStringLiteral("Протокол обмена"), cmbScaleProtocol);
    scaleForm->addRow(QStringLiteral("Порт"), cmbScalePort);
    scaleForm->addRow(QStringLiteral("Скорость, бод"), cmbScaleBaudRate);
    scaleForm->addRow(QStringLiteral("Тайм-аут, мс"), timeoutRow);
    scaleForm->addRow(testRow);
    // The register's port and speed, which the register service needs to
    // print correction receipts.
    GroupBoxKKT = new QGroupBox(QStringLiteral("  Подключение ККТ  "), TabSheetEquipment);
    GroupBoxKKT->setObjectName(QStringLiteral("GroupBoxKKT"));
    ComboBox3 = makePortField(GroupBoxKKT, "ComboBox3", portNames);
    ComboBox4 = makeBaudRateField(GroupBoxKKT, "ComboBox4");
    auto* kkt = new QFormLayout(GroupBoxKKT);
    kkt->addRow(QStringLiteral("Порт"), ComboBox3);
    kkt->addRow(QStringLiteral("Скорость, бод"), ComboBox4);

    auto* equipment = new QVBoxLayout(TabSheetEquipment);
    equipment->addWidget(scaleGroup);
    equipment->addWidget(GroupBoxKKT);
    equipment->addStretch();

    // --- units of measure
    EdizmFFDList = list(TabSheetUnits, "EdizmFFDList");
    EdizmUsedList = list(TabSheetUnits, "EdizmUsedList");
    btnAddToList = button(TabSheetUnits, "btnAddToList", QStringLiteral(">>"));
    btnDeleteFromList = button(TabSheetUnits, "btnDeleteFromList", QStringLiteral("<<"));
    btnMoveUp = button(TabSheetUnits, "btnMoveUp", QStringLiteral("Вверх"));
    btnMoveUp->hide();
    auto* unitButtons = new QVBoxLayout;
    unitButtons->addStretch();
    unitButtons->addWidget(btnAddToList);
    unitButtons->addWidget(btnDeleteFromList);
    unitButtons->addWidget(btnMoveUp);
    unitButtons->addStretch();
    auto* units = new QGridLayout(TabSheetUnits);
    units->addWidget(new QLabel(QStringLiteral("Все по ФФД 1.2"), TabSheetUnits), 0, 0);
    units->addWidget(new QLabel(QStringLiteral("Использовать в ПО"), TabSheetUnits), 0, 2);
    units->addWidget(EdizmFFDList, 1, 0);
    units->addLayout(unitButtons, 1, 1);
    units->addWidget(EdizmUsedList, 1, 2);

    // --- users: kept for the names, never shown
    UsersGrid = new QTableWidget(TabSheetUsers);
    UsersGrid->setObjectName(QStringLiteral("UsersGrid"));
    Button4 = button(TabSheetUsers, "Button4", QString());
    Button5 = button(TabSheetUsers, "Button5", QString());

    // --- window buttons
    Button1 = button(this, "Button1", QStringLiteral("ОК"));
    Button3 = button(this, "Button3", QStringLiteral("ПРИМЕНИТЬ"));
    Button2 = button(this, "Button2", QStringLiteral("ЗАКРЫТЬ"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button3);
    buttons->addWidget(Button2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &TfmOptions::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TfmOptions::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TfmOptions::Button3Click);
    connect(Button6, &QPushButton::clicked, this, &TfmOptions::Button6Click);
    connect(btnAddToList, &QPushButton::clicked, this, &TfmOptions::btnAddToListClick);
    connect(btnDeleteFromList, &QPushButton::clicked, this, &TfmOptions::btnDeleteFromListClick);
    connect(btnMoveUp, &QPushButton::clicked, this, &TfmOptions::btnMoveUpClick);

    FormCreate();
}

TfmOptions::~TfmOptions() {
    if (fmOptions == this) fmOptions = nullptr;
}

void TfmOptions::FormCreate() {
    fillCodeList(cmbTaxSystem, TaxSystemItems());
    cmbTaxSystem->setCurrentIndex(-1);
    fillCodeList(EdizmFFDList, FfdUnits());
    EdizmFFDList->setCurrentRow(0);
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheetUsers), false);
    setTobaccoRule(1);

    loaded_ = ui::guarded(this, [&] {
        const OptionsFormData data = loadOptionsForm(sys::programFolder(), db_, scale_);

        cmbTaxSystem->setCurrentIndex(data.taxSystemIndex);
        // A code the list cannot show (set by another program or an older
        // version) is not dropped by an OK that never touched the list.
        keptTaxSystemCode_.clear();
        keptTaxSystemFileText_.clear();
        if (data.taxSystemIndex < 0 && data.storedTaxSystem.toInt() != 0) {
            keptTaxSystemCode_ = data.storedTaxSystem;
            keptTaxSystemFileText_ = ReadFileOption(sys::programFolder(), QStringLiteral("[TaxSystem]"));
        }
        showScaleFields(scaleFields_, data.scale);
        showListText(ComboBox3, data.kktPortName);
        showListText(ComboBox4, data.kktBaudRate);

        const OptionsFileValues& file = data.file;
        edEmail->setText(file.email);
        // An unusual stored value must be shown whole for the save to judge it.
        // Until a largest discount has been saved the window offers its own 25.
        if (file.maxDiscountStored) {
            meMaxDisc->setMaxLength(qMax(5, static_cast<int>(file.maxDiscount.size())));
            meMaxDisc->setText(file.maxDiscount);
        }
        meMaxSumPos->setText(file.maxSumPos);
        ComboBox1->setCurrentIndex(file.operDefaultIndex);
        cmbPayTypeDefault->setCurrentIndex(file.payTypeIndex);
        setTobaccoRule(file.tobaccoRule);
        edDiscountPercent->setText(file.tobaccoPercent);
        edDiscountRUB->setText(file.tobaccoRoubles);

        showUnitsUsed(data.unitsUsed, data.unitsUsed.isEmpty() ? -1 : 0);
    });
    Button1->setEnabled(loaded_);
    Button3->setEnabled(loaded_);
}

int TfmOptions::tobaccoRule() const { return tobaccoRules_->checkedId(); }

void TfmOptions::setTobaccoRule(int rule) {
    if (QAbstractButton* item = tobaccoRules_->button(rule)) item->setChecked(true);
}

SettingsInput TfmOptions::typed() const {
    SettingsInput in;
    in.taxSystemText = cmbTaxSystem->currentText();
    if (cmbTaxSystem->currentIndex() < 0) {
        in.keptTaxSystemCode = keptTaxSystemCode_;
        in.keptTaxSystemFileText = keptTaxSystemFileText_;
    }
    in.operDefault = ComboBox1->currentText();
    in.payTypeIndex = cmbPayTypeDefault->currentIndex();
    in.maxDiscount = meMaxDisc->text();
    in.email = edEmail->text();
    in.tobaccoRule = tobaccoRule();
    in.tobaccoPercent = edDiscountPercent->text();
    in.tobaccoRoubles = edDiscountRUB->text();
    const int protocolRow = cmbScaleProtocol->currentIndex();
    if (protocolRow >= 0) in.scaleProtocol = scaleProtocolCode(protocolRow);
    in.scalePort = cmbScalePort->currentText();
    in.scaleBaudRate = cmbScaleBaudRate->currentText();
    in.scaleTimeout = edScaleTimeout->text();
    in.kktPortName = ComboBox3->currentText();
    in.kktBaudRate = ComboBox4->currentText();
    in.units = unitsUsed();
    return in;
}

bool TfmOptions::save() {
    if (!loaded_) return false;
    bool saved = false;
    ui::guarded(this, [&] {
        const SettingsInput input = typed();
        const SettingsSaveResult result = saveOptions(input, sys::programFolder(), db_);
        // The amount in roubles is kept with a point, in the edit as well.
        if (input.tobaccoRule == 3) edDiscountRUB->setText(result.tobaccoRoubles);
        if (!result.ok) {
            ui::showError(result.message, this);
            focusField(result.field);
            return;
        }
        saved = true;
    });
    return saved;
}

void TfmOptions::focusField(SettingsField field) {
    QWidget* target = nullptr;
    switch (field) {
    case SettingsField::TaxSystem: target = cmbTaxSystem; break;
    case SettingsField::OperDefault: target = ComboBox1; break;
    case SettingsField::MaxDiscount: target = meMaxDisc; break;
    case SettingsField::Email: target = edEmail; break;
    case SettingsField::TobaccoPercent: target = edDiscountPercent; break;
    case SettingsField::TobaccoRoubles: target = edDiscountRUB; break;
    case SettingsField::ScaleProtocol: target = cmbScaleProtocol; break;
    case SettingsField::ScalePort: target = cmbScalePort; break;
    case SettingsField::ScaleBaudRate: target = cmbScaleBaudRate; break;
    case SettingsField::ScaleTimeout: target = edScaleTimeout; break;
    case SettingsField::KktPortName: target = ComboBox3; break;
    case SettingsField::KktBaudRate: target = ComboBox4; break;
    case SettingsField::Units: target = EdizmUsedList; break;
    case SettingsField::None: break;
    }
    if (!target) return;
    for (int i = 0; i < PageControl1->count(); ++i) {
        if (PageControl1->widget(i)->isAncestorOf(target)) {
            PageControl1->setCurrentIndex(i);
            break;
        }
    }
    target->setFocus(Qt::OtherFocusReason);
}

void TfmOptions::Button1Click() {
    if (save()) accept();
}

void TfmOptions::Button2Click() { reject(); }

void TfmOptions::Button3Click() { save(); }

void TfmOptions::Button6Click() {
    ui::guarded(this, [&] {
        testScaleConnection(this, scale_, typedScaleParams(scaleFields_),
                            [this](const QString& text) { edScaleConnectResult->setText(text); });
    });
}

QList<CodeItem> TfmOptions::unitsUsed() const {
    QList<CodeItem> units;
    for (int row = 0; row < EdizmUsedList->count(); ++row) {
        const QListWidgetItem* item = EdizmUsedList->item(row);
        units.append({item->text(), item->data(Qt::UserRole).toInt()});
    }
    return units;
}

void TfmOptions::showUnitsUsed(const QList<CodeItem>& units, int current) {
    fillCodeList(EdizmUsedList, units);
    EdizmUsedList->setCurrentRow(current);
}

void TfmOptions::btnAddToListClick() {
    const int row = EdizmFFDList->currentRow();
    if (row < 0) return;
    const QListWidgetItem* chosen = EdizmFFDList->item(row);
    const UnitListChange change = addUnitToList(unitsUsed(), {chosen->text(), chosen->data(Qt::UserRole).toInt()});
    showUnitsUsed(change.units, change.current);
}

void TfmOptions::btnDeleteFromListClick() {
    const int row = EdizmUsedList->currentRow();
    if (row < 0) return;
    const UnitListChange change = deleteUnitFromList(unitsUsed(), row, row);
    showUnitsUsed(change.units, change.current);
}

// Kept hidden: the order of the units offered is the order they were added.
void TfmOptions::btnMoveUpClick() {}

}  // namespace core
