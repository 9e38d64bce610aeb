#include "uGroupSettings.h"

#include "GroupsRepository.h"

#include "core/RefLists.h"
#include "platform/db/Error.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace catalogue {

TfmGroupSettings* fmGroupSettings = nullptr;

namespace {
QCheckBox* box(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QCheckBox(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}
QComboBox* list(QWidget* parent, const char* name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setEnabled(false);
    return c;
}
std::optional<ChosenEntry> entry(const QCheckBox* box, const QComboBox* list) {
    if (!box->isChecked() || list->currentIndex() < 0) return std::nullopt;
    return ChosenEntry{list->currentData().toInt(), list->currentText()};
}
}  // namespace

TfmGroupSettings::TfmGroupSettings(fb::Connection& db, std::int64_t groupId, const QString& groupName, QWidget* parent)
    : QDialog(parent), db_(db), groupId_(groupId), groupName_(groupName) {
    setObjectName(QStringLiteral("fmGroupSettings"));
    setAttribute(Qt::WA_DeleteOnClose);
    fmGroupSettings = this;
    setWindowTitle(QStringLiteral("Параметры для всех товаров в группе"));

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setFixedHeight(Memo1->fontMetrics().lineSpacing() * 3 + 12);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setPlainText(QStringLiteral("Указанные параметры будут применены ко всем товарам в группе '") + groupName +
                        QStringLiteral("' (включая подгруппы). "));
    chGoodType = box(this, "chGoodType", QStringLiteral(" Признак (тип)"));
    cmbGoodType = list(this, "cmbGoodType");
    chMarkType = box(this, "chMarkType", QStringLiteral(" Маркировка"));
    cmbMarkType = list(this, "cmbMarkType");
    chNalog = box(this, "chNalog", QStringLiteral(" Ставка НДС"));
    cmbNalog = list(this, "cmbNalog");
    chEdizm = box(this, "chEdizm", QStringLiteral("Мера количества"));
    cmbEdizm = list(this, "cmbEdizm");
    Button2 = new QPushButton(QStringLiteral("ОК"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button1 = new QPushButton(QStringLiteral("ОТМЕНА"), this);
    Button1->setObjectName(QStringLiteral("Button1"));

    auto* grid = new QGridLayout;
    int row = 0;
    for (auto [b, c] : {std::pair{chGoodType, cmbGoodType}, std::pair{chMarkType, cmbMarkType},
                        std::pair{chNalog, cmbNalog}, std::pair{chEdizm, cmbEdizm}}) {
        grid->addWidget(b, row, 0);
        grid->addWidget(c, row++, 1);
        QComboBox* target = c;
        connect(b, &QCheckBox::toggled, target, &QComboBox::setEnabled);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(Button2, &QPushButton::clicked, this, [this] { ui::guarded(this, [this] { Button2Click(); }); });
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
}

TfmGroupSettings::~TfmGroupSettings() {
    if (fmGroupSettings == this) fmGroupSettings = nullptr;
}

void TfmGroupSettings::fill() {
    cmbGoodType->clear();
    const char* kinds[] = {"товар, кроме подакцизного", "подакцизный товар", "работа", "услуга"};
    for (int i = 0; i < 4; ++i) cmbGoodType->addItem(QString::fromUtf8(kinds[i]), i + 1);
    cmbNalog->clear();
    const char* vats[] = {"НДС 20%", "НДС 10%", "НДС 20/120", "НДС 10/110", "НДС 0%", "НДС не облагается"};
    for (int i = 0; i < 6; ++i) cmbNalog->addItem(QString::fromUtf8(vats[i]), i + 1);
    core::FillRefList(cmbMarkType, core::RefListMarkTypes, db_);
    core::FillRefList(cmbEdizm, 0, db_);
    for (QComboBox* c : {cmbGoodType, cmbMarkType, cmbNalog, cmbEdizm}) c->setCurrentIndex(-1);
}

GroupSettingsChoice TfmGroupSettings::choice() const {
    return {entry(chGoodType, cmbGoodType), entry(chMarkType, cmbMarkType), entry(chNalog, cmbNalog),
            entry(chEdizm, cmbEdizm)};
}

void TfmGroupSettings::Button2Click() {
    const GroupSettingsChoice c = choice();
    if (!anyChosen(c) || groupId_ <= 0) return;
    if (ui::messages().askYesNoCancel(this, groupSettingsConfirmation(groupName_, c), ui::Icon::Question) !=
        ui::Answer::Yes)
        return;
    try {
        applyGroupSettings(db_, groupId_, c);
    } catch (const fb::Error& e) {
        ui::messages().show(
            this,
            ui::withDetail(QStringLiteral("При выполнении операции произошел сбой сервера БД.      "), e.message()),
            ui::Icon::Error);
        return;
    }
    accept();
}

}  // namespace catalogue
