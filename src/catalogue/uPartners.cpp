#include "uPartners.h"

#include "PartnerListModel.h"

#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace catalogue {

TfmPartners* fmPartners = nullptr;

TfmPartners::TfmPartners(const fb::ConnectionParams& params, PartnerMode mode, QWidget* parent)
    : QDialog(parent), mode_(mode), conn_(params), model_(new PartnerListModel(this)) {
    setObjectName(QStringLiteral("fmPartners"));
    setAttribute(Qt::WA_DeleteOnClose);
    fmPartners = this;
    const bool buyers = mode == PartnerMode::Buyer;
    setWindowTitle(mode == PartnerMode::None ? QStringLiteral("Партнеры")
                   : buyers                  ? QStringLiteral("Покупатели")
                                             : QStringLiteral("Поставщики"));
    resize(600, 450);

    chNameFull = new QCheckBox(QStringLiteral("показывать полное название"), this);
    chNameFull->setObjectName(QStringLiteral("chNameFull"));
    chNameFull->setChecked(true);
    edFilterName = new QLineEdit(this);
    edFilterName->setObjectName(QStringLiteral("edFilterName"));
    edFilterName->setPlaceholderText(QStringLiteral("фильтр по названию"));
    edFilterName->setContextMenuPolicy(Qt::NoContextMenu);
    edFilterINN = new QLineEdit(this);
    edFilterINN->setObjectName(QStringLiteral("edFilterINN"));
    edFilterINN->setContextMenuPolicy(Qt::NoContextMenu);
    edFilterINN->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), edFilterINN));
    BitBtn1 = new QToolButton(this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setText(QStringLiteral("X"));
    BitBtn2 = new QToolButton(this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setText(QStringLiteral("X"));
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(1500);
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    model_->setColumns(
        {{QStringLiteral("SU_NAME"), buyers ? QStringLiteral("ПОКУПАТЕЛЬ") : QStringLiteral("ПОСТАВЩИК")},
         {QStringLiteral("SU_INN"), QStringLiteral("ИНН")}});
    setUpPartnerGrid(DBGrid1, model_);
    Button2 = new QPushButton(QStringLiteral("ОК"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button1 = new QPushButton(QStringLiteral("ЗАКРЫТЬ"), this);
    Button1->setObjectName(QStringLiteral("Button1"));

    auto* filters = new QHBoxLayout;
    filters->addWidget(edFilterName, 1);
    filters->addWidget(BitBtn1);
    filters->addWidget(edFilterINN);
    filters->addWidget(BitBtn2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(chNameFull);
    buttons->addStretch();
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(buttons);

    for (QLineEdit* e : {edFilterName, edFilterINN})
        connect(e, &QLineEdit::textEdited, Timer1, qOverload<>(&QTimer::start));
    connect(Timer1, &QTimer::timeout, this, [this] { ui::guarded(this, [this] { reload(currentId()); }); });
    connect(chNameFull, &QCheckBox::toggled, this, [this] { ui::guarded(this, [this] { reload(currentId()); }); });
    connect(BitBtn1, &QToolButton::clicked, this, [this] {
        edFilterName->clear();
        ui::guarded(this, [this] { reload(currentId()); });
    });
    connect(BitBtn2, &QToolButton::clicked, this, [this] {
        edFilterINN->clear();
        ui::guarded(this, [this] { reload(currentId()); });
    });
    connect(Button2, &QPushButton::clicked, this, &TfmPartners::Button2Click);
    connect(DBGrid1, &QTableView::doubleClicked, this, [this](const QModelIndex& i) {
        if (i.isValid()) Button2Click();
    });
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
}

TfmPartners::~TfmPartners() {
    if (fmPartners == this) fmPartners = nullptr;
}

void TfmPartners::reload(int selectId) {
    Timer1->stop();
    const SqlWithParams q =
        buildPartnersQuery(mode_, chNameFull->isChecked(), edFilterName->text(), edFilterINN->text());
    conn_.ensureConnected();
    model_->setQuery(conn_, q.sql, q.params);
    selectPartner(DBGrid1, model_, selectId);
}

int TfmPartners::rowCount() const {
    return model_->rowCount();
}
int TfmPartners::currentId() const {
    return currentPartnerId(DBGrid1, model_);
}

void TfmPartners::Button2Click() {
    const int row = DBGrid1->currentIndex().row();
    if (row < 0 || row >= model_->rowCount()) return;
    const fb::Row& r = model_->rowAt(row);
    PickedPartner p{r.integer(QStringLiteral("SU_ID")), r.str(QStringLiteral("SU_NAMEFULL")).trimmed(),
                    r.str(QStringLiteral("SU_INN")).trimmed()};
    // The receipt keeps at most 50 characters of a buyer's name; a longer
    // one would be printed by the register and then refused by the database.
    if (mode_ == PartnerMode::Buyer && p.nameFull.size() > kBuyerNameWidth) {
        ui::messages().show(
            this, QStringLiteral(" Полное название покупателя длиннее %1 символов.     ").arg(kBuyerNameWidth),
            ui::Icon::Error);
        return;
    }
    chosen_ = p;
    accept();
}

}  // namespace catalogue
