#include "uCompany.h"

#include "platform/db/Error.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace core {

TfmCompany* fmCompany = nullptr;

namespace {
QLineEdit* field(QWidget* parent, const char* name, int maxLength) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    if (maxLength > 0) e->setMaxLength(maxLength);
    e->setContextMenuPolicy(Qt::NoContextMenu);
    return e;
}
}  // namespace

TfmCompany::TfmCompany(fb::Connection& db, QWidget* parent) : QDialog(parent), company_(db) {
    setObjectName(QStringLiteral("fmCompany"));
    setWindowTitle(QStringLiteral("Организация"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(560, 0);
    fmCompany = this;

    // Lengths follow the COMPANY_INFO columns.
    edCompanyName = field(this, "edCompanyName", 150);
    edCompanyFullName = field(this, "edCompanyFullName", 250);
    edCompanyINN = field(this, "edCompanyINN", 12);
    edBossPost = field(this, "edBossPost", 100);
    edBossFIO = field(this, "edBossFIO", 100);
    edSalesPointInfo = field(this, "edSalesPointInfo", 250);
    edCompanyOGRN = field(this, "edCompanyOGRN", 15);
    edCompanyTel = field(this, "edCompanyTel", 0);

    auto* form = new QFormLayout;
    form->setRowWrapPolicy(QFormLayout::WrapAllRows);
    form->addRow(QStringLiteral("Наименование организации"), edCompanyName);
    form->addRow(QStringLiteral("Полное наименование"), edCompanyFullName);
    form->addRow(QStringLiteral("ИНН организации"), edCompanyINN);
    form->addRow(QStringLiteral("ОГРН организации"), edCompanyOGRN);
    form->addRow(QStringLiteral("Телефон организации"), edCompanyTel);

    auto* boss = new QGroupBox(QStringLiteral(" Руководитель "), this);
    auto* bossForm = new QFormLayout(boss);
    bossForm->addRow(QStringLiteral("Должность"), edBossPost);
    bossForm->addRow(QStringLiteral("ФИО"), edBossFIO);

    auto* salesForm = new QFormLayout;
    salesForm->setRowWrapPolicy(QFormLayout::WrapAllRows);
    salesForm->addRow(QStringLiteral("Информация о торговой точке (для печати в ценниках)"), edSalesPointInfo);

    Button1 = new QPushButton(QStringLiteral("ОК"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);
    btnClose = new QPushButton(QStringLiteral("ЗАКРЫТЬ"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(btnClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(boss);
    layout->addLayout(salesForm);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &TfmCompany::Button1Click);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
}

TfmCompany::~TfmCompany() {
    if (fmCompany == this) fmCompany = nullptr;
}

void TfmCompany::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

CompanyInfo TfmCompany::typed() const {
    return {edCompanyName->text(), edCompanyFullName->text(), edCompanyINN->text(),
            edBossPost->text(),    edBossFIO->text(),         edSalesPointInfo->text()};
}

void TfmCompany::FormShow() {
    loaded_ = ui::guarded(this, [&] {
        const CompanyInfo info = company_.load();
        edCompanyName->setText(info.name);
        edCompanyFullName->setText(info.fullName);
        edCompanyINN->setText(info.inn);
        edBossPost->setText(info.bossPost);
        edBossFIO->setText(info.bossFio);
        edSalesPointInfo->setText(info.salesPoint);
    });
    Button1->setEnabled(loaded_);
}

void TfmCompany::Button1Click() {
    if (!loaded_) return;
    ui::guarded(this, [&] {
        try {
            company_.save(trimmedCompany(typed()));
        } catch (const fb::Error& e) {
            // Rolled back; the window stays open with what was typed.
            ui::showError(ui::databaseFailureText(e, QStringLiteral(" Не удалось сохранить сведения об организации.     ")),
                          this);
            return;
        }
        accept();
    });
}

}  // namespace core
