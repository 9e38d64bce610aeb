#include "uGroupEdit.h"

#include "GroupsRepository.h"

#include "platform/db/Error.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"
#include "platform/ui/ReadOnlyField.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace catalogue {

TfmGroupEdit* fmGroupEdit = nullptr;

TfmGroupEdit::TfmGroupEdit(fb::Connection& db, const GroupEditInput& request, QWidget* parent)
    : QDialog(parent), db_(db), mode_(request.mode) {
    setObjectName(QStringLiteral("fmGroupEdit"));
    setAttribute(Qt::WA_DeleteOnClose);
    fmGroupEdit = this;
    const bool rename = mode_ == GroupEditMode::Rename;
    setWindowTitle(rename ? QStringLiteral("Изменить группу") : QStringLiteral("Новая группа"));

    edGroupID = new QLineEdit(request.idText, this);
    edGroupID->setObjectName(QStringLiteral("edGroupID"));
    edGroupID->setEnabled(false);
    edGroupID->setToolTip(QStringLiteral("ID присваивается автоматически."));
    edParentGroupName = new QLineEdit(request.parentName, this);
    edParentGroupName->setObjectName(QStringLiteral("edParentGroupName"));
    edParentGroupName->setReadOnly(true);
    ui::showStartOfText(edParentGroupName);
    ui::widenToText(edParentGroupName);
    edParentGroupName->setProperty("Tag", QVariant::fromValue<qlonglong>(request.parentId));
    btnEllipsis = new QToolButton(this);
    btnEllipsis->setObjectName(QStringLiteral("btnEllipsis"));
    btnEllipsis->setText(QStringLiteral("..."));
    BitBtn1 = new QToolButton(this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setText(QStringLiteral("X"));
    Label3 = new QLabel(rename ? QStringLiteral("Название группы:") : QStringLiteral("Название новой группы :"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    edNewGroupName = new QLineEdit(request.name, this);
    edNewGroupName->setObjectName(QStringLiteral("edNewGroupName"));
    edNewGroupName->setMaxLength(80);
    editedId_ = rename ? request.idText.trimmed().toLongLong() : 0;
    edNewGroupName->setProperty("Tag", QVariant::fromValue<qlonglong>(editedId_));
    btnCreateGroup = new QPushButton(rename ? QStringLiteral("ОК") : QStringLiteral("СОЗДАТЬ"), this);
    btnCreateGroup->setObjectName(QStringLiteral("btnCreateGroup"));
    btnCancel = new QPushButton(QStringLiteral("ОТМЕНА"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* parentRow = new QHBoxLayout;
    parentRow->addWidget(edParentGroupName, 1);
    parentRow->addWidget(btnEllipsis);
    parentRow->addWidget(BitBtn1);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("ID группы"), edGroupID);
    form->addRow(QStringLiteral("Родительская группа:"), parentRow);
    form->addRow(Label3, edNewGroupName);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCreateGroup);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(btnEllipsis, &QToolButton::clicked, this, [this] { ui::guarded(this, [this] { btnEllipsisClick(); }); });
    connect(BitBtn1, &QToolButton::clicked, this, [this] {
        edParentGroupName->clear();
        edParentGroupName->setProperty("Tag", QVariant::fromValue<qlonglong>(0));
    });
    connect(btnCreateGroup, &QPushButton::clicked, this,
            [this] { ui::guarded(this, [this] { btnCreateGroupClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    edNewGroupName->setFocus();
}

TfmGroupEdit::~TfmGroupEdit() {
    if (fmGroupEdit == this) fmGroupEdit = nullptr;
}

std::int64_t TfmGroupEdit::parentId() const {
    return edParentGroupName->property("Tag").toLongLong();
}

void TfmGroupEdit::btnEllipsisClick() {
    const auto picked = pickGroup(db_, this, 1, editedId_, edNewGroupName->text().trimmed());
    if (!picked) return;
    edParentGroupName->setText(picked->id == 0 ? QString() : picked->name);
    edParentGroupName->setProperty("Tag", QVariant::fromValue<qlonglong>(picked->id));
}

void TfmGroupEdit::btnCreateGroupClick() {
    const QString name = edNewGroupName->text().trimmed();
    if (name.isEmpty()) {
        ui::messages().show(this, groupNameError(mode_), ui::Icon::Error);
        return;
    }
    if (const auto error = groupIdError(edGroupID->text())) {
        ui::messages().show(this, *error, ui::Icon::Error);
        return;
    }
    const std::int64_t id = edGroupID->text().trimmed().toLongLong();
    try {
        writeGroup(db_, mode_, id, name, parentId());
    } catch (const fb::Error& e) {
        const QString lead = mode_ == GroupEditMode::Create
                                 ? QStringLiteral("Сбой сервера при создании новой группы   ")
                                 : QStringLiteral("Сбой сервера при обновлении данных    ");
        ui::messages().show(this, ui::withDetail(lead, e.message()), ui::Icon::Error);
        return;
    }
    writtenId_ = id;
    accept();
}

}  // namespace catalogue
