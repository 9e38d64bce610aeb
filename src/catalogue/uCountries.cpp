#include "uCountries.h"

#include "CatalogueLogic.h"
#include "CatalogueRepository.h"

#include "platform/db/Error.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"
#include "platform/ui/QueryTableModel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace catalogue {

QPointer<TfmCountries> fmCountries;
QPointer<TfmCountryEdit> fmCountryEdit;

namespace {
const QString kListSql = QStringLiteral(
    "SELECT COUNTRY_ID_RECORD, COUNTRY_CODE, COUNTRY_NAME  FROM COUNTRIES  ORDER BY COUNTRY_NAME COLLATE PXW_CYRL");
}

TfmCountries::TfmCountries(const fb::ConnectionParams& params, QWidget* parent)
    : QDialog(parent), db_(params), model_(new ui::QueryTableModel(this)) {
    setObjectName(QStringLiteral("fmCountries"));
    setWindowTitle(QStringLiteral("Страны по ОКСМ"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    fmCountries = this;

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->horizontalHeader()->setSectionsMovable(false);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    DBGrid1->verticalHeader()->hide();
    model_->setColumns({{QStringLiteral("COUNTRY_CODE"), QStringLiteral("Код")},
                        {QStringLiteral("COUNTRY_NAME"), QStringLiteral("Наименование")}});
    DBGrid1->setModel(model_);

    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    btnAdd = button("btnAdd", QStringLiteral("ДОБАВИТЬ"));
    btnEdit = button("btnEdit", QStringLiteral("ИЗМЕНИТЬ"));
    btnDelete = button("btnDelete", QStringLiteral("УДАЛИТЬ"));
    btnClose = button("btnClose", QStringLiteral("ЗАКРЫТЬ"));

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {btnAdd, btnEdit, btnDelete}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DBGrid1);
    layout->addLayout(buttons);
    resize(520, 480);

    connect(btnAdd, &QPushButton::clicked, this, [this] { ui::guarded(this, [this] { btnAddClick(); }); });
    connect(btnEdit, &QPushButton::clicked, this, [this] { ui::guarded(this, [this] { btnEditClick(); }); });
    connect(btnDelete, &QPushButton::clicked, this, [this] { ui::guarded(this, [this] { btnDeleteClick(); }); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(DBGrid1, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        // A double-click on a data row picks; the directory ignores it.
        if (index.isValid() && tag_ != 1) ui::guarded(this, [this] { btnAddClick(); });
    });

    DBGrid1->viewport()->installEventFilter(this);
    ui::guarded(this, [this] {
        db_.attach();
        model_->setQuery(db_, kListSql);
    });
    if (model_->rowCount() > 0) DBGrid1->selectRow(0);
    updateActions();
}

TfmCountries::~TfmCountries() {
    model_->clear();
}

void TfmCountries::setTag(int tag) {
    tag_ = tag;
    updateActions();
}

void TfmCountries::updateActions() {
    const bool picker = tag_ != 1;
    btnAdd->setText(picker ? QStringLiteral("OK") : QStringLiteral("ДОБАВИТЬ"));
    btnEdit->setVisible(!picker);
    btnDelete->setVisible(!picker);
}

bool TfmCountries::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DBGrid1->viewport() && event->type() == QEvent::Wheel) {
        // The wheel moves one record.
        const int row = currentRow() + (static_cast<QWheelEvent*>(event)->angleDelta().y() > 0 ? -1 : 1);
        if (row >= model_->rowCount() && model_->canFetchMore({})) model_->fetchMore({});
        if (row >= 0 && row < model_->rowCount()) DBGrid1->selectRow(row);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

int TfmCountries::currentRow() const {
    const QModelIndex i = DBGrid1->currentIndex();
    return i.isValid() ? i.row() : -1;
}

void TfmCountries::reopen(std::optional<std::int64_t> recordId, int fallbackRow) {
    model_->reload(fallbackRow + 1);
    int row = recordId ? model_->findRow(QStringLiteral("COUNTRY_ID_RECORD"), QString::number(*recordId)) : -1;
    if (row < 0) row = std::min(fallbackRow, model_->rowCount() - 1);
    if (row >= 0) DBGrid1->selectRow(row);
}

void TfmCountries::pick() {
    const int row = currentRow();
    if (row < 0) return;  // an empty list hands nothing over
    const fb::Row& r = model_->rowAt(row);
    const QString code = r.str(QStringLiteral("COUNTRY_CODE"));
    const QString name = r.str(QStringLiteral("COUNTRY_NAME"));
    if (tag_ == 3) {
        picked_ = PickedCountry{code, name, countryDisplay(code.toInt(), name), code.toInt()};
        accept();
        return;
    }
    const auto padded = pickableCountry(code);
    if (!padded) {
        ui::showError(QStringLiteral("Некорректный код страны.    "), this);
        return;
    }
    picked_ =
        PickedCountry{*padded, name, QStringLiteral("(") + *padded + QStringLiteral(") ") + name, padded->toInt()};
    accept();
}

void TfmCountries::btnAddClick() {
    if (tag_ != 1) {
        pick();
        return;
    }
    QPointer<TfmCountryEdit> dlg = new TfmCountryEdit(db_, 1, 0, this);
    if (dlg->exec() == QDialog::Accepted && dlg) reopen(dlg->savedRecord(), std::max(currentRow(), 0));
    delete dlg.data();
}

void TfmCountries::btnEditClick() {
    const int row = currentRow();
    if (tag_ != 1 || row < 0) return;
    const fb::Row& r = model_->rowAt(row);
    QPointer<TfmCountryEdit> dlg = new TfmCountryEdit(db_, 2, r.int64(QStringLiteral("COUNTRY_ID_RECORD")), this);
    dlg->Edit1->setText(r.str(QStringLiteral("COUNTRY_NAME")));
    dlg->Edit2->setText(r.str(QStringLiteral("COUNTRY_CODE")));
    if (dlg->exec() == QDialog::Accepted && dlg) reopen(dlg->savedRecord(), row);
    delete dlg.data();
}

void TfmCountries::btnDeleteClick() {
    const int row = currentRow();
    if (tag_ != 1 || row < 0) return;
    const fb::Row& r = model_->rowAt(row);
    const QString code = r.str(QStringLiteral("COUNTRY_CODE"));
    const QString name = r.str(QStringLiteral("COUNTRY_NAME"));
    const std::int64_t id = r.int64(QStringLiteral("COUNTRY_ID_RECORD"));
    if (isProtectedCountry(code)) {
        ui::showWarning(QStringLiteral("Удаление записи невозможно!!!    "), this);
        return;
    }
    if (ui::messages().askCaptioned(this, QStringLiteral("Удалить?"), deleteCountryQuestion(code, name),
                                    ui::Icon::Question, false, ui::Answer::No) != ui::Answer::Yes)
        return;
    try {
        CatalogueRepository(db_).deleteCountry(id);
    } catch (const fb::Error& e) {
        ui::showError(ui::withDetail(QStringLiteral("Ошибка БД при удалении записи.    "), e.message()), this);
        return;
    }
    reopen(std::nullopt, row);
}

TfmCountryEdit::TfmCountryEdit(fb::Connection& db, int tag, std::int64_t recordId, QWidget* parent)
    : QDialog(parent), db_(db), tag_(tag), recordId_(recordId) {
    setObjectName(QStringLiteral("fmCountryEdit"));
    setWindowTitle(tag == 1 ? QStringLiteral("Страны мира: НОВАЯ") : QStringLiteral("Страны мира: РЕДАКТИРОВАТЬ"));
    fmCountryEdit = this;
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(100);
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setAutoDefault(false);
    auto* close = new QPushButton(QStringLiteral("ЗАКРЫТЬ"), this);
    close->setObjectName(QStringLiteral("btnClose"));
    close->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Наименование страны"), this));
    layout->addWidget(Edit1);
    layout->addWidget(new QLabel(QStringLiteral("Код по ОКСМ"), this));
    layout->addWidget(Edit2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, [this] { ui::guarded(this, [this] { btnOKClick(); }); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

TfmCountryEdit::~TfmCountryEdit() = default;

void TfmCountryEdit::btnOKClick() {
    const QString code = Edit2->text().trimmed();
    if (!countryCodeValid(code)) {
        ui::showError(QStringLiteral("Некорректный код страны.     "), this);
        return;
    }
    CatalogueRepository repo(db_);
    // One code, one country: goods find their country by the code alone.
    if (const auto other = repo.countryWithCode(code, tag_ == 1 ? 0 : recordId_)) {
        ui::showError(countryCodeTakenText(code, *other), this);
        return;
    }
    try {
        if (tag_ == 1) {
            saved_ = repo.insertCountry(code, Edit1->text());
        } else {
            repo.updateCountry(recordId_, code, Edit1->text());
            saved_ = recordId_;
        }
    } catch (const fb::Error& e) {
        ui::showError(ui::withDetail(tag_ == 1 ? QStringLiteral("Ошибка БД при записи страны.     ")
                                               : QStringLiteral("Ошибка БД при редактировании записи.      "),
                                     e.message()),
                      this);
        return;
    }
    accept();
}

}  // namespace catalogue
