#include "sales/screen/uTelefon.h"

#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"
#include "sales/screen/BuyerLogic.h"
#include "sales/screen/Registration_Mode.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>

TfmTelefon* fmTelefon = nullptr;

namespace {

QString ourEmailText(const QString& ourEmail) {
    const QString caption = QStringLiteral(
                                "<span style=\"color:blue; font-family:'Times New Roman'; "
                                "font-size:12pt\">%1</span>")
                                .arg(sales::buyerText::kOurEmailCaption.toHtmlEscaped());
    const QString address = ourEmail.trimmed();
    if (address.isEmpty())
        return caption + QStringLiteral("<span style=\"color:red\">%1</span>").arg(sales::buyerText::kOurEmailMissing);
    return caption + QStringLiteral("&nbsp;&nbsp;") + address.toHtmlEscaped();
}

}  // namespace

TfmTelefon::TfmTelefon(TfmReg& reg, const QString& ourEmail, int kind, QWidget* parent) : QDialog(parent), reg_(reg) {
    setObjectName(QStringLiteral("fmTelefon"));
    setWindowTitle(QStringLiteral("Отправить чек покупателю на:"));
    fmTelefon = this;

    RadioButton1 = new QRadioButton(QStringLiteral("e-mail :"), this);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton2 = new QRadioButton(QStringLiteral("телефон :"), this);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    edMail = new QLineEdit(this);
    edMail->setObjectName(QStringLiteral("edMail"));
    edMail->setContextMenuPolicy(Qt::NoContextMenu);
    edMail->setMinimumWidth(280);
    Label1 = new QLabel(QStringLiteral("+7"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    edTlf = new QLineEdit(this);
    edTlf->setObjectName(QStringLiteral("edTlf"));
    edTlf->setContextMenuPolicy(Qt::NoContextMenu);

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnClose = new QPushButton(QStringLiteral("ЗАКРЫТЬ"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAutoDefault(false);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    lblOurEmail = new QLabel(this);
    lblOurEmail->setObjectName(QStringLiteral("lblOurEmail"));
    lblOurEmail->setTextFormat(Qt::RichText);
    lblOurEmail->setText(ourEmailText(ourEmail));
    StatusBar1->addWidget(lblOurEmail, 1);

    auto* grid = new QGridLayout;
    grid->addWidget(RadioButton1, 0, 0);
    grid->addWidget(edMail, 0, 2);
    grid->addWidget(RadioButton2, 1, 0);
    grid->addWidget(Label1, 1, 1);
    grid->addWidget(edTlf, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->addWidget(StatusBar1);

    // A fresh window starts empty in the e-mail field.
    edTlf->clear();
    (kind == sales::AddressPhone ? RadioButton2 : RadioButton1)->setChecked(true);
    connect(RadioButton1, &QRadioButton::toggled, this, &TfmTelefon::updateActions);
    connect(RadioButton2, &QRadioButton::toggled, this, &TfmTelefon::updateActions);
    connect(btnOK, &QPushButton::clicked, this, &TfmTelefon::btnOKClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    updateActions();
}

TfmTelefon::~TfmTelefon() {
    if (fmTelefon == this) fmTelefon = nullptr;
}

void TfmTelefon::updateActions() {
    const bool mail = RadioButton1->isChecked();
    edMail->setEnabled(mail);
    edTlf->setEnabled(!mail);
    (mail ? edMail : edTlf)->setFocus();
}

void TfmTelefon::btnOKClick() {
    ui::guarded(this, [this] {
        const bool mail = RadioButton1->isChecked();
        const sales::AddressDecision d = mail ? sales::decideEmail(edMail->text()) : sales::decidePhone(edTlf->text());
        const int kind = mail ? sales::AddressEmail : sales::AddressPhone;
        switch (d.kind) {
            case sales::AddressDecision::Remove:
                sales::setReceiptAddress(reg_, sales::AddressNone, {});
                accept();
                return;
            case sales::AddressDecision::Invalid:
                ui::showWarning(d.message, this);
                return;
            case sales::AddressDecision::Confirm:
                if (ui::messages().askOkCancel(this, d.message, ui::Icon::Warning) != ui::Answer::Ok) return;
                break;
            case sales::AddressDecision::Set:
                break;
        }
        sales::setReceiptAddress(reg_, kind, d.address);
        accept();
    });
}
