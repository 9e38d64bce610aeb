#include "archive/uQueryEdizm.h"

#include "core/RefLists.h"
#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/ui/MessageService.h"
#include "sales/input/ItemEntry.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

TfmQueryEdizm* fmQueryEdizm = nullptr;

TfmQueryEdizm::TfmQueryEdizm(UnitSource units, QWidget* parent) : QDialog(parent), units_(std::move(units)) {
    build();
}

TfmQueryEdizm::TfmQueryEdizm(fb::Connection& db, QWidget* parent)
    : QDialog(parent), units_([&db] {
          fb::Transaction tr(db, fb::Transaction::Access::ReadOnly);
          QList<core::CodeItem> items = core::refListItems(tr, core::RefListUnits);
          tr.commit();
          return items;
      }) {
    build();
}

void TfmQueryEdizm::build() {
    setObjectName(QStringLiteral("fmQueryEdizm"));
    setWindowTitle(QStringLiteral("Не указана \"мера количества\""));
    fmQueryEdizm = this;

    auto label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    lblStr1 = label("lblStr1", QStringLiteral(" У найденного по коду товара:"));
    lblGoodName = label("lblGoodName", QString());
    {
        QFont f = lblGoodName->font();
        f.setBold(true);
        lblGoodName->setFont(f);
    }
    lblStr3 = label("lblStr3", QStringLiteral(" некорректное значение реквизита \"мера количества\""));
    Label2 = label("Label2", QStringLiteral("Укажите меру количества"));
    Label1 = label("Label1", QStringLiteral(" (единицы измерения)"));
    cmbEdizm = new QComboBox(this);
    cmbEdizm->setObjectName(QStringLiteral("cmbEdizm"));
    cmbEdizm->setContextMenuPolicy(Qt::NoContextMenu);
    CheckBox1 = new QCheckBox(QStringLiteral("сохранить в карточке товара"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    btnApply = new QPushButton(QStringLiteral("ПРИМЕНИТЬ"), this);
    btnApply->setObjectName(QStringLiteral("btnApply"));
    btnCancel = new QPushButton(QStringLiteral("ОТМЕНА"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnApply->setAutoDefault(false);
    btnCancel->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    for (QWidget* w : {static_cast<QWidget*>(lblStr1), static_cast<QWidget*>(lblGoodName),
                       static_cast<QWidget*>(lblStr3), static_cast<QWidget*>(Label2), static_cast<QWidget*>(Label1),
                       static_cast<QWidget*>(cmbEdizm), static_cast<QWidget*>(CheckBox1)})
        layout->addWidget(w);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnApply);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);

    connect(btnApply, &QPushButton::clicked, this, &TfmQueryEdizm::btnApplyClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfmQueryEdizm::btnCancelClick);
    attachListHandler();
    cmbEdizmChange();
}

TfmQueryEdizm::~TfmQueryEdizm() {
    if (fmQueryEdizm == this) fmQueryEdizm = nullptr;
}

void TfmQueryEdizm::detachListHandler() {
    if (listHandler_) disconnect(listHandler_);
    listHandler_ = {};
}

void TfmQueryEdizm::attachListHandler() {
    if (!listHandler_)
        listHandler_ = connect(cmbEdizm, &QComboBox::currentIndexChanged, this, &TfmQueryEdizm::cmbEdizmChange);
}

void TfmQueryEdizm::showEvent(QShowEvent* event) {
    cmbEdizm->clear();
    if (units_)
        for (const core::CodeItem& unit : units_()) cmbEdizm->addItem(unit.text, unit.code);
    cmbEdizm->setCurrentIndex(-1);
    QDialog::showEvent(event);
}

void TfmQueryEdizm::cmbEdizmChange() {
    const bool chosen = cmbEdizm->currentIndex() >= 0;
    if (!chosen) CheckBox1->setChecked(false);
    CheckBox1->setEnabled(chosen);
}

void TfmQueryEdizm::btnApplyClick() {
    if (cmbEdizm->currentIndex() < 0) return;
    saveToCard = CheckBox1->isChecked();
    chosenText = cmbEdizm->currentText();
    done(cmbEdizm->currentData().toInt() + kUnitResultBase);
}

void TfmQueryEdizm::btnCancelClick() {
    done(QDialog::Rejected);
}

void TfmQueryEdizm::done(int result) {
    QDialog::done(result);
    attachListHandler();
    if (freeOnClose) deleteLater();
}

namespace archive {

bool isValidUnitCode(std::optional<int> code) {
    return sales::isAcceptedMeasure(code);
}

bool saveUnitToGoodsCard(fb::Connection& db, qint64 goodId, const QString& unitText, int unitCode) {
    try {
        fb::Transaction tr(db);
        // GOOD_EDIZM holds ten characters; the unit list's texts are shorter.
        fb::execute(tr, QStringLiteral("UPDATE GOODS SET GOOD_EDIZM=?, GOOD_EDIZM_FFD=? WHERE GOOD_ID=?"),
                    {unitText.left(10), std::int64_t{unitCode}, std::int64_t{goodId}});
        tr.commit();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::optional<int> unitFromModalResult(int result) {
    if (result < kUnitResultBase) return std::nullopt;
    const int code = result - kUnitResultBase;
    return isValidUnitCode(code) ? std::optional<int>(code) : std::nullopt;
}

QString unitQueryNameLabel(const QString& name) {
    const QString shown = name.size() >= 46 ? name.left(42) + QStringLiteral("...") : name;
    return QStringLiteral("  < ") + shown + QStringLiteral(" >");
}

std::optional<AskedUnit> askChosenGoodsUnit(fb::Connection& db, QWidget* parent, qint64 goodId,
                                            const QString& goodsName) {
    QPointer<TfmQueryEdizm> window = new TfmQueryEdizm(db, parent);
    window->freeOnClose = false;
    window->lblStr1->setText(QStringLiteral(" У выбранного Вами товара:"));
    window->lblGoodName->setText(unitQueryNameLabel(goodsName));
    const int result = window->exec();
    if (!window) return std::nullopt;
    const std::optional<int> code = unitFromModalResult(result);
    AskedUnit unit;
    const bool save = window->saveToCard;
    unit.text = window->chosenText;
    delete window;
    if (!code) return std::nullopt;
    unit.code = *code;
    if (save) {
        unit.saved = saveUnitToGoodsCard(db, goodId, unit.text, unit.code);
        // The sale goes on with the unit chosen; only the card keeps none.
        if (!unit.saved) ui::showWarning(kUnitNotSaved, parent);
    }
    return unit;
}

WindowUnitQuery::WindowUnitQuery(TfmQueryEdizm::UnitSource units, QWidget* parent)
    : units_(std::move(units)), parent_(parent) {}

WindowUnitQuery::~WindowUnitQuery() {
    delete window_;
}

std::optional<int> WindowUnitQuery::ask(const QString& contextLine, const QString& goodsName) {
    if (!window_) {
        window_ = new TfmQueryEdizm(units_, parent_);
        // Kept hidden between the positions of one receipt; freed with us.
        window_->freeOnClose = false;
    }
    window_->lblStr1->setText(contextLine);
    window_->lblGoodName->setText(unitQueryNameLabel(goodsName));
    // The refund never writes the goods card.
    window_->CheckBox1->setChecked(false);
    window_->CheckBox1->setEnabled(false);
    window_->CheckBox1->setVisible(false);
    window_->detachListHandler();
    return unitFromModalResult(window_->exec());
}

}  // namespace archive
