#include "platform/ui/ChoiceDialog.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace ui {

ChoiceButtons layOutChoiceDialog(QDialog* dialog, QWidget* chooser) {
    QFont f = chooser->font();
    f.setPointSize(14);
    chooser->setFont(f);

    auto* ok = new QPushButton(QStringLiteral("OK"), dialog);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setAutoDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("ОТМЕНА"), dialog);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    cancel->setAutoDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(chooser);
    layout->addLayout(buttons);

    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return {ok, cancel};
}

}  // namespace ui
