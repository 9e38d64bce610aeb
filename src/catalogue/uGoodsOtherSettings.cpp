#include "uGoodsOtherSettings.h"

#include "GoodsSettings.h"

#include "platform/db/Error.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace catalogue {

TfmGoodsOtherSettings* fmGoodsOtherSettings = nullptr;

TfmGoodsOtherSettings::TfmGoodsOtherSettings(fb::Connection& db, QWidget* parent) : QDialog(parent), db_(db) {
    setObjectName(QStringLiteral("fmGoodsOtherSettings"));
    setAttribute(Qt::WA_DeleteOnClose);
    fmGoodsOtherSettings = this;
    setWindowTitle(QStringLiteral("Дополнительные установки"));

    auto* label = new QLabel(QStringLiteral("Префикс ШК весового товара"), this);
    LabeledEdit1 = new QLineEdit(this);
    LabeledEdit1->setObjectName(QStringLiteral("LabeledEdit1"));
    LabeledEdit1->setContextMenuPolicy(Qt::NoContextMenu);
    label->setBuddy(LabeledEdit1);
    btnSet = new QPushButton(QStringLiteral("УСТАНОВИТЬ"), this);
    btnSet->setObjectName(QStringLiteral("btnSet"));
    btnCancel = new QPushButton(QStringLiteral("ЗАКРЫТЬ"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSet);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(LabeledEdit1);
    layout->addLayout(buttons);

    connect(btnSet, &QPushButton::clicked, this, [this] { ui::guarded(this, [this] { btnSetClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfmGoodsOtherSettings::~TfmGoodsOtherSettings() {
    if (fmGoodsOtherSettings == this) fmGoodsOtherSettings = nullptr;
}

void TfmGoodsOtherSettings::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    LabeledEdit1->setFocus();
    ui::guarded(this, [this] { LabeledEdit1->setText(joinPrefixes(readPrefixes(db_))); });
}

void TfmGoodsOtherSettings::btnSetClick() {
    if (ui::messages().ask(this, QStringLiteral("Сохранить данные?       "), ui::Icon::Question, true) !=
        ui::Answer::Yes)
        return;
    const ParsedPrefixes parsed = parsePrefixes(LabeledEdit1->text());
    if (parsed.badPiece) {
        ui::messages().show(
            this, QStringLiteral(" Префикс \"%1\" не является числом. Данные не сохранены.     ").arg(*parsed.badPiece),
            ui::Icon::Error);
        LabeledEdit1->setFocus();
        return;
    }
    try {
        savePrefixes(db_, parsed.prefixes);
    } catch (const fb::Error& e) {
        ui::messages().show(this, ui::withDetail(QStringLiteral("Ошибка сервера при записи данных     "), e.message()),
                            ui::Icon::Error);
        reject();
        return;
    }
    notifyWeightPrefixesSaved();
    accept();
}

}  // namespace catalogue
