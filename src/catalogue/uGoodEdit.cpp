#include "uGoodEdit.h"

#include "Catalogue.h"
#include "CatalogueLogic.h"
#include "uCountries.h"

#include "core/CodeTables.h"
#include "core/DataModule.h"
#include "core/RefLists.h"
#include "platform/db/Connection.h"
#include "platform/db/Value.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"
#include "platform/ui/ReadOnlyField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <QVBoxLayout>

namespace catalogue {

QPointer<TfmGoodEdit> fmGoodEdit;

std::int64_t fieldTag(const QObject* field) {
    return field ? field->property("Tag").toLongLong() : 0;
}

void setFieldTag(QObject* field, std::int64_t tag) {
    if (field) field->setProperty("Tag", QVariant::fromValue<qlonglong>(tag));
}

namespace {

const QStringList& kindNames() {
    static const QStringList names{QStringLiteral("товар, кроме подакцизного"), QStringLiteral("подакцизный товар"),
                                   QStringLiteral("работа"), QStringLiteral("услуга")};
    return names;
}

// Stored values the lists do not know are appended under a code no list
// item uses, so that saving writes them back unchanged.
constexpr int kStoredKindCode = 100;

template <class W>
W* named(W* w, const char* name) {
    w->setObjectName(QLatin1String(name));
    w->setContextMenuPolicy(Qt::NoContextMenu);
    return w;
}

}  // namespace

TfmGoodEdit::TfmGoodEdit(fb::Connection& db, CardContext context, QWidget* parent)
    : QDialog(parent), db_(db), context_(std::move(context)) {
    setObjectName(QStringLiteral("fmGoodEdit"));
    fmGoodEdit = this;

    edGoodID = named(new QLineEdit(this), "edGoodID");
    edGoodID->setEnabled(false);
    edGoodID->setFocusPolicy(Qt::NoFocus);
    edGoodID->installEventFilter(this);
    edGoodName = named(new QLineEdit(this), "edGoodName");
    edGoodName->setMaxLength(80);
    edGoodPrice = named(new QLineEdit(this), "edGoodPrice");
    edGoodPrice->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.,]*")), edGoodPrice));
    cmbGoodType = named(new QComboBox(this), "cmbGoodType");
    cmbEdIzm = named(new QComboBox(this), "cmbEdIzm");
    cmbNalog = named(new QComboBox(this), "cmbNalog");
    chW = named(new QCheckBox(QStringLiteral("разрешена продажа дробного количества"), this), "chW");
    edParentGroup = named(new QLineEdit(this), "edParentGroup");
    edParentGroup->setReadOnly(true);
    ui::showStartOfText(edParentGroup);
    edCountry = named(new QLineEdit(this), "edCountry");
    edCountry->setReadOnly(true);
    ui::showStartOfText(edCountry);
    cmbMarkingType = named(new QComboBox(this), "cmbMarkingType");
    edPackCount = named(new QLineEdit(this), "edPackCount");
    edPackCount->setMaxLength(6);
    edPackCount->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), edPackCount));
    edPackCount->setVisible(false);

    auto button = [this](const char* name, const QString& text) {
        auto* b = named(new QPushButton(text, this), name);
        b->setAutoDefault(false);
        return b;
    };
    auto* btnEllipsis = button("btnEllipsis", QStringLiteral("..."));
    auto* btnClear = button("btnClear", QStringLiteral("X"));
    auto* btnSelectCountry = button("btnSelectCountry", QStringLiteral("..."));
    auto* BitBtn1 = button("BitBtn1", QStringLiteral("X"));
    btnRecAdd = button("btnRecAdd", QStringLiteral("+"));
    btnRecDel = button("btnRecDel", QStringLiteral("-"));
    btnOK = button("btnOK", QStringLiteral("OK"));
    btnCancel = button("btnCancel", QStringLiteral("ЗАКРЫТЬ"));

    sgBarcodeGrid = named(new QTableWidget(1, 2, this), "sgBarcodeGrid");
    sgBarcodeGrid->setHorizontalHeaderLabels({QStringLiteral("Штрихкоды"), QStringLiteral("Коэффициент")});
    QFont bold = sgBarcodeGrid->horizontalHeader()->font();
    bold.setBold(true);
    sgBarcodeGrid->horizontalHeader()->setFont(bold);
    sgBarcodeGrid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    sgBarcodeGrid->horizontalHeader()->setStretchLastSection(true);
    sgBarcodeGrid->setColumnWidth(0, 220);
    sgBarcodeGrid->verticalHeader()->hide();
    sgBarcodeGrid->installEventFilter(this);

    lblIdCaption = named(new QLabel(QStringLiteral("Код (ID)"), this), "lblIdCaption");
    lblIdCaption->installEventFilter(this);
    lblBarcodes = named(new QLabel(this), "lblBarcodes");

    auto* form = new QFormLayout;
    form->addRow(lblIdCaption, edGoodID);
    form->addRow(QStringLiteral("Наименование товара/услуги"), edGoodName);
    form->addRow(QStringLiteral("Розничная цена"), edGoodPrice);
    form->addRow(QStringLiteral("Признак (тип)"), cmbGoodType);
    form->addRow(QStringLiteral("Ед.изм."), cmbEdIzm);
    form->addRow(QStringLiteral("Налог (НДС)"), cmbNalog);
    form->addRow(QString(), chW);
    auto* parentRow = new QHBoxLayout;
    parentRow->addWidget(edParentGroup);
    parentRow->addWidget(btnEllipsis);
    parentRow->addWidget(btnClear);
    form->addRow(QStringLiteral("Родительская группа"), parentRow);
    auto* countryRow = new QHBoxLayout;
    countryRow->addWidget(edCountry);
    countryRow->addWidget(btnSelectCountry);
    countryRow->addWidget(BitBtn1);
    form->addRow(QStringLiteral("Страна происхождения"), countryRow);
    form->addRow(QStringLiteral("Маркировка"), cmbMarkingType);
    auto* lblPackCount = named(new QLabel(QStringLiteral("Кол-во в упаковке"), this), "lblPackCount");
    lblPackCount->setVisible(false);
    form->addRow(lblPackCount, edPackCount);

    auto* gridButtons = new QHBoxLayout;
    gridButtons->addWidget(lblBarcodes);
    gridButtons->addStretch();
    gridButtons->addWidget(btnRecAdd);
    gridButtons->addWidget(btnRecDel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(gridButtons);
    layout->addWidget(sgBarcodeGrid);
    layout->addLayout(buttons);
    resize(560, 640);

    connect(btnOK, &QPushButton::clicked, this, [this] { ui::guarded(this, [this] { btnOKClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(chW, &QCheckBox::clicked, this, [this] { chWClick(); });
    connect(cmbEdIzm, &QComboBox::currentIndexChanged, this, [this] { updatePackCount(); });
    connect(cmbMarkingType, &QComboBox::currentIndexChanged, this, [this] { updatePackCount(); });
    connect(btnClear, &QPushButton::clicked, this, [this] { setParentGroup(0, QString()); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { setCountry(0, QString()); });
    connect(btnEllipsis, &QPushButton::clicked, this, [this] {
        ui::guarded(this, [this] {
            if (!groupPicker()) return;
            if (const auto g = groupPicker()(this)) setParentGroup(g->id, g->name);
        });
    });
    connect(btnSelectCountry, &QPushButton::clicked, this, [this] {
        ui::guarded(this, [this] {
            if (!core::DataModule1) return;
            QPointer<TfmCountries> w = new TfmCountries(core::DataModule1->connectionParams(), this);
            w->setTag(2);
            if (w->exec() == QDialog::Accepted && w && w->picked()) setCountry(w->picked()->number, w->picked()->name);
            delete w.data();
        });
    });
    connect(btnRecAdd, &QPushButton::clicked, this, [this] {
        sgBarcodeGrid->setRowCount(sgBarcodeGrid->rowCount() + 1);
        sgBarcodeGrid->setCurrentCell(sgBarcodeGrid->rowCount() - 1, 0);
    });
    connect(btnRecDel, &QPushButton::clicked, this, [this] {
        if (sgBarcodeGrid->rowCount() > 1) {
            sgBarcodeGrid->removeRow(std::max(sgBarcodeGrid->currentRow(), 0));
        } else {
            sgBarcodeGrid->setItem(0, 0, new QTableWidgetItem(QString()));
        }
    });

    fillLists();
    setCountry(0, QString());
    setParentGroup(0, QString());
    setBarcodeAreaTexts(true);
}

TfmGoodEdit::~TfmGoodEdit() = default;

void TfmGoodEdit::fillLists() {
    cmbGoodType->clear();
    for (int i = 0; i < kindNames().size(); ++i) cmbGoodType->addItem(kindNames().at(i), i + 1);
    core::FillRefList(cmbEdIzm, core::RefListUnits, db_);
    core::fillCodeList(cmbNalog, core::fixedRefListItems(core::RefListVat));
    core::fillCodeList(cmbMarkingType, core::fixedRefListItems(core::RefListMarkTypes));
    for (QComboBox* c : {cmbGoodType, cmbEdIzm, cmbNalog, cmbMarkingType}) c->setCurrentIndex(-1);
}

void TfmGoodEdit::prepareNew(std::int64_t id, std::int64_t parentId, const QString& parentName) {
    openedId_ = id;
    edGoodID->setText(QString::number(id));
    setParentGroup(parentId, parentName);
    updatePackCount();
}

void TfmGoodEdit::selectCode(QComboBox* list, int code, const QString& textIfMissing) {
    int row = core::findCodeItem(list, code);
    if (row < 0) {
        list->addItem(textIfMissing, code);
        row = list->count() - 1;
    }
    list->setCurrentIndex(row);
}

void TfmGoodEdit::fillFromRow(const fb::Row& row, std::int64_t id, std::int64_t parentId, const QString& parentName,
                              const QStringList& barcodes) {
    openedId_ = id;
    edGoodID->setText(QString::number(id));
    edGoodName->setText(row.str(QStringLiteral("GOOD_NAME")));
    edGoodPrice->setText(row.str(QStringLiteral("GOOD_PRICE")));

    const auto unit = fb::toInt64(row[QStringLiteral("GOOD_EDIZM_FFD")]);
    if (unit && isUnitCode(static_cast<int>(*unit)))
        selectCode(cmbEdIzm, static_cast<int>(*unit), row.str(QStringLiteral("GOOD_EDIZM")));

    const QString kind = row.str(QStringLiteral("GOOD_TYPE"));
    const int kindRow = core::GoodTypeAbbrs().indexOf(kind);
    if (kindRow >= 0) {
        cmbGoodType->setCurrentIndex(kindRow);
    } else if (!kind.trimmed().isEmpty()) {
        storedKind_ = kind;
        cmbGoodType->addItem(kind, kStoredKindCode);
        cmbGoodType->setCurrentIndex(cmbGoodType->count() - 1);
    }

    chW->setChecked(fractionalFromGoodW(row.str(QStringLiteral("GOOD_W"))));
    selectCode(cmbNalog, vatFromNalog(row.str(QStringLiteral("GOOD_NALOG"))), row.str(QStringLiteral("GOOD_NALOG")));

    // A code without a COUNTRIES row (or with an empty name) is kept.
    if (const auto code = storedCountryCode(row.str(QStringLiteral("GOOD_COUNTRY_CODE"))))
        setCountry(*code, row.str(QStringLiteral("COUNTRY_NAME")));
    else
        setCountry(0, QString());

    if (const auto mark = fb::toInt64(row[QStringLiteral("GOOD_MARKTYPE")]))
        selectCode(cmbMarkingType, static_cast<int>(*mark), QString::number(*mark));

    updatePackCount();
    const auto pack = fb::toInt64(row[QStringLiteral("GOOD_PACKCOUNT")]);
    if (edPackCount->isVisibleTo(this) && pack && *pack > 0 && QString::number(*pack).size() <= 6)
        edPackCount->setText(QString::number(*pack));

    sgBarcodeGrid->setRowCount(std::max<int>(1, static_cast<int>(barcodes.size())));
    for (int i = 0; i < barcodes.size(); ++i) sgBarcodeGrid->setItem(i, 0, new QTableWidgetItem(barcodes.at(i)));
    setParentGroup(parentId, parentName);
    setBarcodeAreaTexts(true);
}

void TfmGoodEdit::setParentGroup(std::int64_t id, const QString& name) {
    edParentGroup->setText(id > 0 ? name : QString());
    setFieldTag(edParentGroup, id > 0 ? id : 0);
}

void TfmGoodEdit::setCountry(int code, const QString& name) {
    edCountry->setText(code > 0 ? countryDisplay(code, name) : QString());
    setFieldTag(edCountry, code > 0 ? code : 0);
}

QStringList TfmGoodEdit::barcodes() const {
    QStringList out;
    for (int r = 0; r < sgBarcodeGrid->rowCount(); ++r) {
        const QTableWidgetItem* item = sgBarcodeGrid->item(r, 0);
        out << (item ? item->text() : QString());
    }
    return out;
}

void TfmGoodEdit::cleanBarcodes() {
    for (int r = 0; r < sgBarcodeGrid->rowCount(); ++r)
        if (QTableWidgetItem* item = sgBarcodeGrid->item(r, 0)) item->setText(normalizeBarcode(item->text()));
}

void TfmGoodEdit::setBarcodeAreaTexts(bool onShow) {
    const bool ticked = chW->isChecked();
    lblBarcodes->setText(ticked ? QStringLiteral("ШК EAN-8, EAN-13/Коды весового товара")
                                : QStringLiteral("Штрихкоды (EAN-8, EAN-13)"));
    sgBarcodeGrid->horizontalHeaderItem(0)->setText(ticked ? QStringLiteral("ШК/Код вес.товара")
                                                           : QStringLiteral("Штрихкоды"));
    if (ticked) {
        btnRecAdd->setToolTip(onShow ? QStringLiteral("Добавить 'ШК EAN/код весового товара'")
                                     : QStringLiteral("Добавить 'ШК/код весового товара'"));
        btnRecDel->setToolTip(onShow ? QStringLiteral("Удалить 'ШК EAN/код весового товара'")
                                     : QStringLiteral("Удалить 'ШК/код весового товара'"));
    } else {
        btnRecAdd->setToolTip(QStringLiteral("Добавить штрихкод"));
        btnRecDel->setToolTip(QStringLiteral("Удалить штрихкод"));
    }
}

void TfmGoodEdit::chWClick() {
    setBarcodeAreaTexts(false);
    updatePackCount();
}

void TfmGoodEdit::updatePackCount() {
    const bool visible =
        packCountVisible(cmbEdIzm->currentIndex() >= 0, core::codeItemCode(cmbEdIzm, cmbEdIzm->currentIndex()),
                         cmbMarkingType->currentIndex() >= 0,
                         core::codeItemCode(cmbMarkingType, cmbMarkingType->currentIndex()), chW->isChecked());
    edPackCount->setVisible(visible);
    // A caption without its field would ask for something the cashier cannot enter.
    if (auto* caption = findChild<QLabel*>(QStringLiteral("lblPackCount"))) caption->setVisible(visible);
    if (!visible) edPackCount->clear();
}

bool TfmGoodEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblIdCaption && event->type() == QEvent::MouseButtonDblClick) {
        // Only on purpose: the code is unlocked by a double-click on its caption.
        edGoodID->setEnabled(true);
        edGoodID->setFocusPolicy(Qt::StrongFocus);
        edGoodID->setFocus();
        return true;
    }
    if (watched == edGoodID && event->type() == QEvent::FocusOut) {
        edGoodID->setEnabled(false);
        edGoodID->setFocusPolicy(Qt::NoFocus);
    }
    if (watched == sgBarcodeGrid && event->type() == QEvent::FocusOut) cleanBarcodes();
    return QDialog::eventFilter(watched, event);
}

std::optional<CardRecord> TfmGoodEdit::readRecord(std::int64_t id, const QString& price) {
    CardRecord r;
    r.id = id;
    r.name = edGoodName->text();
    r.price = price;
    r.goodW = chW->isChecked() ? QStringLiteral("да") : QStringLiteral("нет");
    const int kind = core::codeItemCode(cmbGoodType, cmbGoodType->currentIndex(), 0);
    r.type = kind == kStoredKindCode  ? storedKind_
             : kind >= 1 && kind <= 4 ? core::GoodTypeAbbrs().at(kind - 1)
                                      : QStringLiteral("Т");
    r.unitText = cmbEdIzm->currentText();
    r.unitCode = core::codeItemCode(cmbEdIzm, cmbEdIzm->currentIndex(), 0);
    const int vat = core::codeItemCode(cmbNalog, cmbNalog->currentIndex(), 6);
    r.vat = QString::number(vat);
    r.parent = fieldTag(edParentGroup);
    r.country = countryCodeText(static_cast<int>(fieldTag(edCountry)));
    r.markType = core::codeItemCode(cmbMarkingType, cmbMarkingType->currentIndex(), 0);
    return r;
}

void TfmGoodEdit::btnOKClick() {
    if (QWidget* editor = sgBarcodeGrid->focusWidget()) editor->clearFocus();
    sgBarcodeGrid->setCurrentItem(nullptr);
    cleanBarcodes();

    const auto id = parseGoodsId(edGoodID->text());
    if (!id) {
        ui::showError(kBadIdText, this);
        return;
    }
    CatalogueRepository repo(db_);
    const QStringList codes = barcodes();
    // The card's own barcodes are no duplicates, whatever code it is given.
    if (const auto dup = repo.findDuplicateBarcode(codes, tag_ == 1 ? *id : openedId_)) {
        ui::showError(duplicateBarcodeMessage(dup->barcode, dup->goodId, dup->goodName), this);
        sgBarcodeGrid->setCurrentCell(dup->index, 0);
        return;
    }
    if (cmbEdIzm->currentIndex() < 0) {
        ui::showError(kNoUnitText, this);
        return;
    }
    bool unitReadable = false;
    const int unit = cmbEdIzm->currentData().toInt(&unitReadable);
    if (!unitReadable) {
        ui::showError(kUnreadableUnitText, this);
        return;
    }
    if (!isUnitCode(unit)) {
        ui::showError(kBadUnitText, this);
        return;
    }
    const auto price = normalizePrice(edGoodPrice->text());
    if (!price) {
        ui::showError(kBadPriceText, this);
        return;
    }
    const int mark = core::codeItemCode(cmbMarkingType, cmbMarkingType->currentIndex(), 0);
    const int kind = core::codeItemCode(cmbGoodType, cmbGoodType->currentIndex(), 0);
    if (cmbMarkingType->currentIndex() >= 0 && mark >= 1 && cmbGoodType->currentIndex() >= 0 && kind != 1 &&
        kind != 2) {
        ui::showError(kindForMarkedText(), this);
        return;
    }
    std::optional<std::int64_t> pack;
    if (edPackCount->isVisibleTo(this)) {
        const QString text = edPackCount->text().trimmed();
        if (!text.isEmpty()) {
            bool ok = false;
            pack = text.toLongLong(&ok);
            if (!ok) {
                ui::showError(kBadPackCountText, this);
                return;
            }
        } else if (ui::messages().askOkCancel(this, packCountQuestion(), ui::Icon::Information) != ui::Answer::Ok) {
            edPackCount->setFocus();
            return;
        }
    }
    if (!ui::askYesNo(QStringLiteral("Сохранить данные?       "), this)) return;
    bool refresh = true;
    if (filterMismatch(context_.filterText, edGoodName->text())) {
        if (ui::messages().ask(this, filterMismatchQuestion(), ui::Icon::Warning) != ui::Answer::Yes) return;
        refresh = false;
    }

    // The receipt on the main screen names its goods by code: the item it
    // holds keeps its code until that receipt is closed.
    if (tag_ == 1 ? goodsInOpenReceipt(*id) : (*id != openedId_ && goodsInOpenReceipt(openedId_))) {
        ui::showError(tag_ == 1 ? idNamedByHistoryText(*id, IdUse::OpenReceipt)
                                : idInUseText(openedId_, IdUse::OpenReceipt),
                      this);
        return;
    }
    auto record = readRecord(*id, *price);
    record->packCount = pack;
    const SaveResult result = repo.saveGood(tag_ == 1 ? 1 : 2, tag_ == 1 ? *id : openedId_, *record, codes);
    switch (result.outcome) {
        case SaveOutcome::Saved:
            break;
        case SaveOutcome::IdTaken:
            ui::showError(idTakenText(*id), this);
            return;
        case SaveOutcome::IdInUse:
            ui::showError(idInUseText(openedId_, result.use), this);
            return;
        case SaveOutcome::IdNamedByHistory:
            ui::showError(idNamedByHistoryText(*id, result.use), this);
            return;
        case SaveOutcome::RowFailed:
            ui::showError(ui::withDetail(tag_ == 1 ? QStringLiteral(" [1]Сбой сервера БД при записи данных.     ")
                                                   : QStringLiteral(" [2]Сбой сервера БД при обновлении данных.     "),
                                         result.detail),
                          this);
            return;
        case SaveOutcome::BarcodesFailed:
            ui::showError(ui::withDetail(QStringLiteral("Ошибка сервера при обработке данных.     "), result.detail),
                          this);
            return;
        case SaveOutcome::BarcodeRowFailed:
            ui::showError(ui::withDetail(QStringLiteral("Ошибка сервера при обработке штрихкодов"), result.detail),
                          this);
            return;
    }
    openedId_ = *id;
    if (refresh && context_.refresh) context_.refresh(*id, record->parent);
    accept();
}

}  // namespace catalogue
