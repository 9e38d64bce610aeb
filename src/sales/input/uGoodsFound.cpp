#include "sales/input/uGoodsFound.h"

#include "core/CodeTables.h"
#include "core/Settings.h"
#include "platform/sys/ProgramFolder.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

TfmGoodsFound* fmGoodsFound = nullptr;

namespace sales {

QString markTypeShortName(int markType) {
    switch (markType) {
    case 0: return {};
    case 4: return QStringLiteral("табак");
    case 5: return QStringLiteral("обувь");
    case 9: return QStringLiteral("парфюм");
    case 10: return QStringLiteral("шины");
    case 11: return QStringLiteral("легпром");
    case 12: return QStringLiteral("альт.табак");
    case 13: return QStringLiteral("молочка");
    default: return QStringLiteral("M?");
    }
}

QString choicePriceText(const FoundGoods& goods, int tobaccoRule) {
    if (goods.markType == 4 && tobaccoRule != 0) return QStringLiteral("--.--");
    return goods.good.price;
}

QString weighedText(const QString& goodW) {
    return isWeighedGoodFlag(goodW) ? QStringLiteral("да") : QStringLiteral("нет");
}

QString choiceUnitText(const FoundGoods& goods) {
    return goods.measure && core::isFfdUnitCode(*goods.measure) ? goods.unitName : QString();
}

QString goodsFoundCaption(int tag) {
    switch (tag) {
    case 0: return QStringLiteral("По заданному ШТРИХКОДУ найдено:");
    case 1: return QStringLiteral("По заданному  КОДУ найдено:");
    case 2: return QStringLiteral("По считанному ШК GS1-DataMatrix найдено:");
    case 10: return QStringLiteral("По ШТРИХКОДУ найдено:");
    case 11: return QStringLiteral("По 'весовому' ШК найдено: ");
    default: return QStringLiteral("По  ШК найдено:");
    }
}

}  // namespace sales

namespace {

enum Column { ColId, ColBarcode, ColName, ColPrice, ColUnit, ColWeighed, ColMark, ColCount };

}  // namespace

TfmGoodsFound::TfmGoodsFound(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fmGoodsFound"));
    setWindowTitle(sales::goodsFoundCaption(-1));
    setModal(true);
    // Wide enough for the widest layout (code, weighed barcode and unit) to
    // show every column, the mark type included, without sideways scrolling.
    resize(860, 360);

    DBGrid1 = new QTableWidget(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setColumnCount(ColCount);
    DBGrid1->setHorizontalHeaderLabels({QStringLiteral("КОД (ID)"), QStringLiteral("Штрихкод"),
                                        QStringLiteral("Наименование"), QStringLiteral("Цена"),
                                        QStringLiteral("Ед.изм."), QStringLiteral("Вес."),
                                        QStringLiteral("Маркировка")});
    DBGrid1->verticalHeader()->hide();
    DBGrid1->horizontalHeader()->setSectionsMovable(false);
    DBGrid1->horizontalHeader()->setStretchLastSection(false);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setTabKeyNavigation(false);
    DBGrid1->viewport()->installEventFilter(this);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setMaximumHeight(60);
    Memo1->hide();

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("ЗАКРЫТЬ"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(buttons);

    connect(btnOK, &QPushButton::clicked, this, &TfmGoodsFound::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(DBGrid1, &QTableWidget::cellDoubleClicked, this, [this](int, int) { btnOKClick(); });

    try {
        tobaccoRule_ = core::Settings(sys::programFolder()).tobaccoPriceRule().rule;
    } catch (...) {
        tobaccoRule_ = 1;  // the rule a missing setting means
    }
    fmGoodsFound = this;
    setTag(0);
}

TfmGoodsFound::~TfmGoodsFound() {
    if (fmGoodsFound == this) fmGoodsFound = nullptr;
}

void TfmGoodsFound::setTag(int tag) {
    tag_ = tag;
    setWindowTitle(sales::goodsFoundCaption(tag));
    const bool showsId = tag == 1 || tag == 11;
    const bool showsBarcode = tag != 1;
    DBGrid1->setColumnHidden(ColId, !showsId);
    DBGrid1->setColumnHidden(ColBarcode, !showsBarcode);
    DBGrid1->setColumnWidth(ColId, 80);
    DBGrid1->setColumnWidth(ColBarcode, tag == 11 ? 150 : 136);
    DBGrid1->setColumnWidth(ColName, 300);
    DBGrid1->setColumnWidth(ColPrice, 80);
    DBGrid1->setColumnWidth(ColUnit, 65);
    DBGrid1->setColumnWidth(ColWeighed, 45);
    DBGrid1->setColumnWidth(ColMark, 90);
    DBGrid1->setColumnHidden(ColUnit, tag != 10 && tag != 11);
    Memo1->setVisible(tag == 2);
    fill();
}

void TfmGoodsFound::setGoods(const std::vector<sales::FoundGoods>& goods) {
    goods_ = goods;
    fill();
}

void TfmGoodsFound::fill() {
    DBGrid1->setRowCount(int(goods_.size()));
    for (int r = 0; r < int(goods_.size()); ++r) {
        const sales::FoundGoods& g = goods_[size_t(r)];
        const QStringList texts{g.good.id + QStringLiteral("  "),
                                g.barcode,
                                g.good.name,
                                sales::choicePriceText(g, tobaccoRule_),
                                sales::choiceUnitText(g),
                                sales::weighedText(g.good.weighed),
                                sales::markTypeShortName(g.markType)};
        for (int c = 0; c < ColCount; ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            DBGrid1->setItem(r, c, item);
        }
    }
    if (!goods_.empty()) DBGrid1->setCurrentCell(0, ColName);
}

int TfmGoodsFound::chosenIndex() const {
    const int r = DBGrid1->currentRow();
    return r >= 0 && r < int(goods_.size()) ? r : -1;
}

void TfmGoodsFound::btnOKClick() {
    if (chosenIndex() < 0) return;
    accept();
}

bool TfmGoodsFound::eventFilter(QObject* watched, QEvent* event) {
    // The wheel moves the current row one goods item at a time.
    if (watched == DBGrid1->viewport() && event->type() == QEvent::Wheel) {
        const int dy = static_cast<QWheelEvent*>(event)->angleDelta().y();
        const int row = DBGrid1->currentRow();
        const int next = dy > 0 ? row - 1 : dy < 0 ? row + 1 : row;
        if (next >= 0 && next < DBGrid1->rowCount()) DBGrid1->setCurrentCell(next, ColName);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
