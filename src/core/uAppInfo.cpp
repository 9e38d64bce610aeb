#include "uAppInfo.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace core {

TfmAppInfo* fmAppInfo = nullptr;

QString TfmAppInfo::description() {
    return QStringLiteral(
        "ТАРВИ-А — рабочее место кассира для магазинов и пунктов обслуживания, "
        "продающих через онлайн-кассу АТОЛ в режиме фискального регистратора.\r\n"
        "\r\n"
        "Программа продаёт товары, весовой товар, работы и услуги; принимает оплату "
        "наличными, безналичными и в счёт предоплаты; продаёт маркированный товар "
        "с проверкой кодов маркировки через кассу; печатает чеки прихода, расхода и их возврата "
        "и хранит их в архиве чеков; печатает чеки коррекции через сервис ККТ.\r\n"
        "\r\n"
        "Программа ведёт остатки товаров и складские документы с партиями товара "
        "и номерами таможенных деклараций; партии, выбранные при продаже покупателю-юрлицу (ИП) "
        "товара иностранного происхождения по предоплате, списываются при записи чека. "
        "Товары загружаются и выгружаются в формате обмена АТОЛ и в формате CSV. "
        "Программа печатает ценники, этикетки и товарные чеки.\r\n"
        "\r\n"
        "Версия 2.12.0.1. Формат фискальных документов ФФД 1.2.");
}

TfmAppInfo::TfmAppInfo(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fmAppInfo"));
    setWindowTitle(QStringLiteral("О программе"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(480, 320);
    fmAppInfo = this;

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setPlainText(description());

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1, 1);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
}

TfmAppInfo::~TfmAppInfo() {
    if (fmAppInfo == this) fmAppInfo = nullptr;
}

}  // namespace core
