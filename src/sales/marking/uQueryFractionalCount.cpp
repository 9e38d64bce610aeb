#include "sales/marking/uQueryFractionalCount.h"

#include "platform/ui/MessageService.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

TfmQueryFractionalCount* fmQueryFractionalCount = nullptr;

namespace {

QLineEdit* countField(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setMaxLength(sales::kFractionFieldDigits);
    e->setAlignment(Qt::AlignCenter);
    // Only typed digits reach the field: no pasting, dropping or composing.
    e->setContextMenuPolicy(Qt::NoContextMenu);
    e->setAcceptDrops(false);
    e->setAttribute(Qt::WA_InputMethodEnabled, false);
    QFont f = e->font();
    f.setPointSize(16);
    f.setBold(true);
    e->setFont(f);
    return e;
}

}  // namespace

TfmQueryFractionalCount::TfmQueryFractionalCount(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fmQueryFractionalCount"));
    setWindowTitle(QStringLiteral("Дробная продажа"));
    fmQueryFractionalCount = this;

    lblGoodName = new QLabel(this);
    lblGoodName->setObjectName(QStringLiteral("lblGoodName"));
    lblGoodName->setWordWrap(true);
    lblMarkingName = new QLabel(this);
    lblMarkingName->setObjectName(QStringLiteral("lblMarkingName"));
    Label1 = new QLabel(QStringLiteral("Продать"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("Всего в упаковке"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    auto* slash = new QLabel(QStringLiteral("/"), this);
    slash->setObjectName(QStringLiteral("Label3"));
    memCountSold = countField(this, "memCountSold");
    memTotalPack = countField(this, "memTotalPack");
    chWholly = new QCheckBox(QStringLiteral("продаю всю упаковку"), this);
    chWholly->setObjectName(QStringLiteral("chWholly"));
    btnOK = new QPushButton(QStringLiteral("ОК"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(QStringLiteral("ОТМЕНА"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* fields = new QGridLayout;
    fields->addWidget(Label1, 0, 0, Qt::AlignCenter);
    fields->addWidget(Label2, 0, 2, Qt::AlignCenter);
    fields->addWidget(memCountSold, 1, 0);
    fields->addWidget(slash, 1, 1);
    fields->addWidget(memTotalPack, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblGoodName);
    layout->addWidget(lblMarkingName);
    layout->addLayout(fields);
    layout->addWidget(chWholly);
    layout->addLayout(buttons);

    memCountSold->installEventFilter(this);
    memTotalPack->installEventFilter(this);
    connect(chWholly, &QCheckBox::toggled, this, &TfmQueryFractionalCount::chWhollyClick);
    connect(btnOK, &QPushButton::clicked, this, &TfmQueryFractionalCount::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    chWhollyClick();
}

TfmQueryFractionalCount::~TfmQueryFractionalCount() {
    if (fmQueryFractionalCount == this) fmQueryFractionalCount = nullptr;
}

void TfmQueryFractionalCount::showEvent(QShowEvent* event) {
    memCountSold->clear();
    chWholly->setChecked(false);
    fraction_ = {};
    QDialog::showEvent(event);
    memCountSold->setFocus();
}

bool TfmQueryFractionalCount::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == memCountSold || watched == memTotalPack) && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Backspace:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return QDialog::eventFilter(watched, event);
        default: break;
        }
        const QString text = key->text();
        const auto* field = static_cast<QLineEdit*>(watched);
        const bool digit = text.size() == 1 && text[0] >= QLatin1Char('0') && text[0] <= QLatin1Char('9');
        // Digits only, and no seventh one; every other key that types
        // something (or pastes, or moves text) is refused here.
        if (digit && field->text().size() < sales::kFractionFieldDigits) return false;
        if (digit || !text.isEmpty() || key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Cut) ||
            key->matches(QKeySequence::Delete) || key->matches(QKeySequence::Undo))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfmQueryFractionalCount::chWhollyClick() {
    const bool fields = !chWholly->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(memCountSold), static_cast<QWidget*>(memTotalPack),
                       static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2)})
        w->setEnabled(fields);
}

void TfmQueryFractionalCount::btnOKClick() {
    const sales::FractionCheck check =
        sales::ValidateFraction(memCountSold->text(), memTotalPack->text(), chWholly->isChecked());
    if (!check.fraction) {
        ui::showError(check.message, this);
        return;
    }
    fraction_ = *check.fraction;
    accept();
}

QString packCountText(int packCount) {
    return packCount > 0 && packCount <= 999999 ? QString::number(packCount) : QString();
}

std::optional<sales::Fraction> queryFractionalCount(QWidget* parent, const QString& goodsName,
                                                    const QString& markingName, int packCount) {
    QPointer<TfmQueryFractionalCount> dialog = new TfmQueryFractionalCount(parent);
    dialog->lblGoodName->setText(goodsName);
    dialog->lblMarkingName->setText(markingName);
    dialog->memTotalPack->setText(packCountText(packCount));
    const int result = dialog->exec();
    if (!dialog) return std::nullopt;
    std::optional<sales::Fraction> answer;
    if (result == QDialog::Accepted) answer = dialog->fraction();
    delete dialog.data();
    return answer;
}
