#include "sales/screen/Registration_Mode.h"

#include "core/CodeTables.h"
#include "core/DataModule.h"
#include "core/SchemaUpgrade.h"
#include "core/Settings.h"
#include "core/uLockedMessage.h"
#include "core/uNumKeyboard.h"
#include "platform/sys/DbEngine.h"
#include "platform/sys/ProgramFolder.h"
#include "platform/ui/ElidedLabel.h"
#include "platform/db/Transaction.h"
#include "platform/ui/Guard.h"
#include "sales/screen/RefundGuard.h"
#include "sales/screen/MainScreenState.h"
#include "sales/receipt/ReceiptCalc.h"
#include "sales/receipt/ReceiptMessages.h"
#include "sales/receipt/SumLimits.h"
#include "sales/screen/RegGridDelegate.h"
#include "sales/screen/RegMenus.h"
#include "sales/screen/ScreenFocus.h"
#include "sales/screen/uPrinttMessage.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <vector>

TfmReg* fmReg = nullptr;

namespace sales {

int controlTag(const QObject* control) { return control ? control->property("Tag").toInt() : 0; }

void setControlTag(QObject* control, int tag) {
    if (control) control->setProperty("Tag", tag);
}

}  // namespace sales

using sales::controlTag;
using sales::setControlTag;

namespace {

QPixmap scaleImage(const QColor& colour) {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::darkGray, 2));
    p.setBrush(colour);
    p.drawEllipse(QRectF(3, 3, 26, 26));
    return pm;
}

void setTextColour(QWidget* w, const QColor& colour) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, colour);
    pal.setColor(QPalette::ButtonText, colour);
    w->setPalette(pal);
}

}  // namespace

// ---------------------------------------------------------------------------
// Creation

TfmReg::TfmReg(QWidget* parent, DriverFactory driverFactory) : QMainWindow(parent) {
    setObjectName(QStringLiteral("fmReg"));
    setWindowTitle(kCaption);
    resize(sales::kDesignWidth, sales::kDesignHeight);

    if (!driverFactory) driverFactory = [] { return fiscal::createKktDriver(sys::programFolder()); };
    register_ = std::make_unique<sales::RegisterMenu>(std::move(driverFactory));
    wait_ = std::make_unique<PrintMessageWait>(nullptr);
    register_->setWaitIndicator(wait_.get());
    register_->setMessageParent(this);

    buildControls();
    buildMenus();
    buildStatusBar();
    connectButtons();

    register_->setStatusListener([this](const QString& text, bool connected) {
        lblKKT->setText(text);
        setTextColour(lblKKT, connected ? QColor(0, 128, 0) : QColor(Qt::red));
    });

    fmReg = this;
    core::setMainScreen(this);
    FormCreate();
}

TfmReg::~TfmReg() {
    if (core::mainScreen() == this) core::setMainScreen(nullptr);
    if (fmReg == this) fmReg = nullptr;
}

void TfmReg::placeDesign(QWidget* w, int x, int y, int width, int height, int fontPoints) {
    design_.insert(w, Design{QRect(x, y, width, height), fontPoints});
    w->setGeometry(x, y, width, height);
    if (fontPoints > 0) {
        QFont f = w->font();
        f.setPointSize(fontPoints);
        w->setFont(f);
    }
}

void TfmReg::buildControls() {
    central_ = new QWidget(this);
    central_->setObjectName(QStringLiteral("PanelMain"));
    setCentralWidget(central_);
    central_->installEventFilter(this);
    focus_ = new sales::ScreenFocus(*this, *central_);

    auto label = [](QWidget* parent, const QString& name, const QString& text) {
        auto* l = new QLabel(text, parent);
        l->setObjectName(name);
        return l;
    };
    auto button = [](QWidget* parent, const QString& name, const QString& text) {
        auto* b = new QPushButton(text, parent);
        b->setObjectName(name);
        // The scanner ends every code with Enter: no button of this screen
        // may take it as a click. The key router owns Enter.
        b->setAutoDefault(false);
        b->setDefault(false);
        return b;
    };
    auto panel = [](QWidget* parent, const QString& name) {
        auto* f = new QFrame(parent);
        f->setObjectName(name);
        f->setFrameShape(QFrame::StyledPanel);
        return f;
    };
    auto bold = [](QWidget* w) {
        QFont f = w->font();
        f.setBold(true);
        w->setFont(f);
    };

    // Receipt kind, payment method, tax system, clock.
    Label3 = label(central_, QStringLiteral("Label3"), QStringLiteral("Признак расчета :"));
    placeDesign(Label3, 6, 6, 120, 24, 10);
    lblOperationType = label(central_, QStringLiteral("lblOperationType"), QString());
    placeDesign(lblOperationType, 128, 4, 190, 28, 13);
    bold(lblOperationType);
    setTextColour(lblOperationType, QColor(0, 0, 160));
    lblOperationType->setCursor(Qt::PointingHandCursor);
    lblPSR = label(central_, QStringLiteral("lblPSR"), QString());
    placeDesign(lblPSR, 322, 6, 124, 24, 10);
    bold(lblPSR);
    setTextColour(lblPSR, Qt::red);
    lblPSR->hide();
    lblTaxCaption = label(central_, QStringLiteral("lblTaxCaption"), QStringLiteral("СНО :"));
    placeDesign(lblTaxCaption, 448, 6, 42, 24, 10);
    lblTaxSystem = label(central_, QStringLiteral("lblTaxSystem"), QString());
    placeDesign(lblTaxSystem, 490, 6, 150, 24, 10);
    bold(lblTaxSystem);
    lblClock = label(central_, QStringLiteral("lblClock"), QString());
    placeDesign(lblClock, 642, 6, 152, 24, 10);
    lblClock->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // Cashier and the refunded receipt's fiscal sign.
    // A long post or name is cut with "…" inside its own label and never
    // runs under the tax number (placeUserLabel).
    auto elided = [](QWidget* parent, const QString& name) {
        auto* l = new ui::ElidedLabel(QString(), parent);
        l->setObjectName(name);
        return l;
    };
    Label4 = elided(central_, QStringLiteral("Label4"));
    placeDesign(Label4, 6, 38, 120, 22, 10);
    lblUser = elided(central_, QStringLiteral("lblUser"));
    placeDesign(lblUser, 128, 38, 250, 22, 10);
    bold(lblUser);
    lblUser->setMouseTracking(true);
    lblUser->installEventFilter(this);
    lblINN = label(central_, QStringLiteral("lblINN"), QString());
    placeDesign(lblINN, 380, 38, 140, 22, 10);
    edFPD = new QLineEdit(central_);
    edFPD->setObjectName(QStringLiteral("edFPD"));
    edFPD->setPlaceholderText(QStringLiteral("ФПД возвращаемого чека"));
    placeDesign(edFPD, 560, 36, 234, 26, 10);
    sales::attachRefundSignField(*this);

    // Buyer.
    chLE = new QCheckBox(QStringLiteral("Продажа юрлицу (ИП)"), central_);
    chLE->setObjectName(QStringLiteral("chLE"));
    placeDesign(chLE, 6, 68, 170, 22, 9);
    btnLE = button(central_, QStringLiteral("btnLE"), QStringLiteral("Покупатель"));
    placeDesign(btnLE, 178, 66, 90, 26, 9);
    Label6 = label(central_, QStringLiteral("Label6"), QStringLiteral("Покупатель:"));
    placeDesign(Label6, 274, 70, 80, 20, 9);
    lblBuyerName = elided(central_, QStringLiteral("lblBuyerName"));
    placeDesign(lblBuyerName, 356, 70, 260, 20, 9);
    bold(lblBuyerName);
    Label7 = label(central_, QStringLiteral("Label7"), QStringLiteral("ИНН:"));
    placeDesign(Label7, 620, 70, 36, 20, 9);
    lblINNBuyer = label(central_, QStringLiteral("lblINNBuyer"), QString());
    placeDesign(lblINNBuyer, 658, 70, 136, 20, 9);
    bold(lblINNBuyer);

    // Electronic receipt.
    btnTelefon = button(central_, QStringLiteral("btnTelefon"), QStringLiteral("Тлф/e-mail"));
    placeDesign(btnTelefon, 6, 98, 110, 26, 9);
    edTelefon = new QLineEdit(central_);
    edTelefon->setObjectName(QStringLiteral("edTelefon"));
    edTelefon->setReadOnly(true);
    edTelefon->setFocusPolicy(Qt::NoFocus);
    placeDesign(edTelefon, 120, 98, 250, 26, 10);
    lblOurEmailCaption = label(central_, QStringLiteral("lblOurEmailCaption"), QStringLiteral("Наш e-mail:"));
    placeDesign(lblOurEmailCaption, 380, 102, 80, 20, 9);
    edOurEmail = new QLineEdit(central_);
    edOurEmail->setObjectName(QStringLiteral("edOurEmail"));
    edOurEmail->setReadOnly(true);
    edOurEmail->setFocusPolicy(Qt::NoFocus);
    placeDesign(edOurEmail, 462, 98, 332, 26, 10);

    // The receipt.
    GoodsGrid = new QTableWidget(central_);
    GoodsGrid->setObjectName(QStringLiteral("GoodsGrid"));
    GoodsGrid->setColumnCount(sales::ReceiptModel::ColumnCount);
    GoodsGrid->setHorizontalHeaderLabels(sales::ReceiptModel::headerTexts());
    GoodsGrid->verticalHeader()->hide();
    GoodsGrid->horizontalHeader()->setSectionsMovable(false);
    GoodsGrid->horizontalHeader()->setHighlightSections(false);
    GoodsGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GoodsGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    GoodsGrid->setWordWrap(false);
    GoodsGrid->setTabKeyNavigation(false);
    // Typed keys belong to the input line, never to a search in the grid;
    // rows move by the key router.
    GoodsGrid->setFocusPolicy(Qt::NoFocus);
    GoodsGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    GoodsGrid->setItemDelegate(new sales::RegGridDelegate(GoodsGrid));
    GoodsGrid->installEventFilter(this);
    placeDesign(GoodsGrid, 6, 130, 584, 320, 10);

    // Totals.
    lblTotalCaption = label(central_, QStringLiteral("lblTotalCaption"), QStringLiteral("ИТОГО :"));
    placeDesign(lblTotalCaption, 596, 130, 198, 22, 11);
    bold(lblTotalCaption);
    lblChekItogo = label(central_, QStringLiteral("lblChekItogo"), QStringLiteral("0.00 "));
    lblChekItogo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblChekItogo->setFrameShape(QFrame::Panel);
    lblChekItogo->setFrameShadow(QFrame::Sunken);
    // A framed label otherwise keeps half an "x" of its font clear at the
    // right, which grows with the font and pushed a large total's first
    // digit under the frame; fitFont leaves the air.
    lblChekItogo->setIndent(2);
    placeDesign(lblChekItogo, 596, 152, 198, 48, 24);
    bold(lblChekItogo);
    lblDiscountCaption = label(central_, QStringLiteral("lblDiscountCaption"), QStringLiteral("Скидка :"));
    placeDesign(lblDiscountCaption, 596, 204, 90, 22, 10);
    lblDiscount = label(central_, QStringLiteral("lblDiscount"), QStringLiteral("0.00"));
    lblDiscount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    placeDesign(lblDiscount, 688, 204, 106, 22, 10);
    bold(lblDiscount);

    // Entry buttons.
    Panel2 = panel(central_, QStringLiteral("Panel2"));
    placeDesign(Panel2, 596, 230, 198, 52);
    btnBarcode = button(Panel2, QStringLiteral("btnBarcode"), QStringLiteral("ШК"));
    placeDesign(btnBarcode, 2, 2, 95, 48, 14);
    btnCode = button(Panel2, QStringLiteral("btnCode"), QStringLiteral("КОД"));
    placeDesign(btnCode, 101, 2, 95, 48, 14);
    Panel21 = panel(central_, QStringLiteral("Panel21"));
    placeDesign(Panel21, 596, 284, 198, 52);
    btnFindName = button(Panel21, QStringLiteral("btnFindName"), QStringLiteral("ПОИСК"));
    placeDesign(btnFindName, 2, 2, 95, 48, 12);
    btnFreePrice = button(Panel21, QStringLiteral("btnFreePrice"), QString());
    placeDesign(btnFreePrice, 101, 2, 95, 48, 11);
    Panel10 = panel(central_, QStringLiteral("Panel10"));
    placeDesign(Panel10, 596, 338, 198, 52);
    btnScale = button(Panel10, QStringLiteral("btnScale"), QStringLiteral("ВЕС"));
    placeDesign(btnScale, 2, 2, 95, 48, 14);
    ImageScaleOn = label(Panel10, QStringLiteral("ImageScaleOn"), QString());
    ImageScaleOn->setPixmap(scaleImage(QColor(0, 170, 0)));
    ImageScaleOn->setToolTip(QStringLiteral("Весы подключены"));
    placeDesign(ImageScaleOn, 132, 10, 32, 32);
    ImageScaleOff = label(Panel10, QStringLiteral("ImageScaleOff"), QString());
    ImageScaleOff->setPixmap(scaleImage(QColor(190, 190, 190)));
    ImageScaleOff->setToolTip(QStringLiteral("Весы не подключены"));
    placeDesign(ImageScaleOff, 132, 10, 32, 32);
    for (QLabel* image : {ImageScaleOn, ImageScaleOff}) {
        image->setScaledContents(true);
        image->setContextMenuPolicy(Qt::CustomContextMenu);
        image->installEventFilter(this);
    }
    Panel33 = panel(central_, QStringLiteral("Panel33"));
    placeDesign(Panel33, 596, 392, 198, 58);
    auto* changeCaption = label(Panel33, QStringLiteral("lblChangeCaption"), QStringLiteral("ИЗМЕНИТЬ"));
    changeCaption->setAlignment(Qt::AlignCenter);
    placeDesign(changeCaption, 2, 1, 194, 14, 8);
    BitBtn1 = button(Panel33, QStringLiteral("BitBtn1"), QStringLiteral("Цену"));
    placeDesign(BitBtn1, 2, 16, 95, 40, 12);
    BitBtn2 = button(Panel33, QStringLiteral("BitBtn2"), QStringLiteral("Количество"));
    placeDesign(BitBtn2, 101, 16, 95, 40, 12);

    // Input line.
    lblVvod = label(central_, QStringLiteral("lblVvod"), QString());
    lblVvod->setFrameShape(QFrame::Panel);
    lblVvod->setFrameShadow(QFrame::Sunken);
    lblVvod->setAutoFillBackground(true);
    {
        QPalette pal = lblVvod->palette();
        pal.setColor(QPalette::Window, Qt::white);
        lblVvod->setPalette(pal);
    }
    placeDesign(lblVvod, 6, 456, 400, 54, 22);
    bold(lblVvod);
    lblVvodBegin = label(central_, QStringLiteral("lblVvodBegin"), QString());
    lblVvodBegin->hide();
    lblVvodBeginEng = label(central_, QStringLiteral("lblVvodBeginEng"), QString());
    lblVvodBeginEng->hide();
    // The two panels beside the input line act as buttons: their clicks
    // reach eventFilter, their captions let the mouse through.
    auto clickablePanel = [this, &panel, &label](const QString& name, int left, const QString& captionName,
                                                 const QString& caption) {
        auto* p = panel(central_, name);
        placeDesign(p, left, 456, 88, 54);
        p->setCursor(Qt::PointingHandCursor);
        p->installEventFilter(this);
        auto* text = label(p, captionName, caption);
        text->setAlignment(Qt::AlignCenter);
        text->setAttribute(Qt::WA_TransparentForMouseEvents);
        placeDesign(text, 2, 2, 84, 50, 10);
        return p;
    };
    Panel43 = clickablePanel(QStringLiteral("Panel43"), 410, QStringLiteral("lblClearInput"), QStringLiteral("очистить"));
    Panel45 = clickablePanel(QStringLiteral("Panel45"), 502, QStringLiteral("lblKeypad"), QStringLiteral("клавиатура"));

    // Receipt edits.
    PanelDelete = panel(central_, QStringLiteral("PanelDelete"));
    placeDesign(PanelDelete, 6, 516, 300, 80);
    auto* deleteCaption = label(PanelDelete, QStringLiteral("lblDeleteCaption"), QStringLiteral("УДАЛИТЬ"));
    deleteCaption->setAlignment(Qt::AlignCenter);
    placeDesign(deleteCaption, 2, 2, 296, 18, 9);
    btnPosDelete = button(PanelDelete, QStringLiteral("btnPosDelete"), QString());
    placeDesign(btnPosDelete, 2, 22, 146, 56, 12);
    btnCheckDelete = button(PanelDelete, QStringLiteral("btnCheckDelete"), QStringLiteral("Весь чек"));
    placeDesign(btnCheckDelete, 152, 22, 146, 56, 12);
    PanelDiscount = panel(central_, QStringLiteral("PanelDiscount"));
    placeDesign(PanelDiscount, 310, 516, 280, 80);
    auto* discountCaption = label(PanelDiscount, QStringLiteral("lblDiscountButtonsCaption"), QStringLiteral("СКИДКА"));
    discountCaption->setAlignment(Qt::AlignCenter);
    placeDesign(discountCaption, 2, 2, 276, 18, 9);
    btnPosDiscount = button(PanelDiscount, QStringLiteral("btnPosDiscount"), QStringLiteral("на позицию"));
    placeDesign(btnPosDiscount, 2, 22, 136, 56, 11);
    btnCheckDiscount = button(PanelDiscount, QStringLiteral("btnCheckDiscount"), QStringLiteral("на чек"));
    placeDesign(btnCheckDiscount, 142, 22, 136, 56, 11);

    btnCloseCheck = button(central_, QStringLiteral("btnCloseCheck"), QStringLiteral("РАСЧЕТ"));
    placeDesign(btnCloseCheck, 596, 456, 198, 140, 22);
    bold(btnCloseCheck);

    // Receipt kind and tax system are chosen from their labels.
    for (QLabel* l : {Label3, lblOperationType}) {
        l->setContextMenuPolicy(Qt::CustomContextMenu);
        l->installEventFilter(this);
    }
    lblTaxSystem->setContextMenuPolicy(Qt::CustomContextMenu);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TfmReg::Timer1Timer);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(100);
    setControlTag(Timer2, 0);
    // Polling an open JSON session once a second stands in for the idle
    // event: often enough to notice a lost register, never a busy loop.
    ApplicationEvents1 = new QTimer(this);
    ApplicationEvents1->setObjectName(QStringLiteral("ApplicationEvents1"));
    ApplicationEvents1->setInterval(1000);
    connect(ApplicationEvents1, &QTimer::timeout, this, &TfmReg::ApplicationEvents1Idle);
}

void TfmReg::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    lblKKTCaption = new QLabel(QStringLiteral(" ККТ : "), bar);
    lblKKTCaption->setObjectName(QStringLiteral("lblKKTCaption"));
    lblKKT = new QLabel(bar);
    lblKKT->setObjectName(QStringLiteral("lblKKT"));
    lblCommission = new QLabel(bar);
    lblCommission->setObjectName(QStringLiteral("lblCommission"));
    lblCommission->hide();
    bar->addWidget(lblKKTCaption);
    bar->addWidget(lblKKT, 1);
    bar->addPermanentWidget(lblCommission);
}

void TfmReg::connectButtons() {
    connect(btnBarcode, &QPushButton::clicked, this, &TfmReg::btnBarcodeClick);
    connect(btnCode, &QPushButton::clicked, this, &TfmReg::btnCodeClick);
    connect(btnFindName, &QPushButton::clicked, this, &TfmReg::btnFindNameClick);
    connect(btnFreePrice, &QPushButton::clicked, this, &TfmReg::btnFreePriceClick);
    connect(btnScale, &QPushButton::clicked, this, &TfmReg::btnScaleClick);
    connect(btnPosDelete, &QPushButton::clicked, this, &TfmReg::btnPosDeleteClick);
    connect(btnCheckDelete, &QPushButton::clicked, this, &TfmReg::btnCheckDeleteClick);
    connect(btnPosDiscount, &QPushButton::clicked, this, &TfmReg::btnPosDiscountClick);
    connect(btnCheckDiscount, &QPushButton::clicked, this, &TfmReg::btnCheckDiscountClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TfmReg::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TfmReg::BitBtn2Click);
    connect(btnCloseCheck, &QPushButton::clicked, this, &TfmReg::btnCloseCheckClick);
    connect(btnLE, &QPushButton::clicked, this, &TfmReg::btnLEClick);
    connect(btnTelefon, &QPushButton::clicked, this, &TfmReg::btnTelefonClick);
    connect(chLE, &QCheckBox::clicked, this, [this](bool checked) {
        // A click has already turned the box; where the receipt may not
        // change it goes back, and the buyer stays as the receipt has it.
        if (receiptFrozen()) {
            chLE->setChecked(!checked);
            return;
        }
        chLEClick();
    });
    connect(GoodsGrid, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        setCurrentReceiptRow(row + 1);
        GoodsGridDblClick(column);
    });
    connect(GoodsGrid, &QWidget::customContextMenuRequested, this, &TfmReg::showGridPopup);
    auto operationPopup = [this](QWidget* from) {
        return [this, from](const QPoint& pos) {
            if (!receiptFrozen()) PopupMenuOperation->popup(from->mapToGlobal(pos));
        };
    };
    connect(Label3, &QWidget::customContextMenuRequested, this, operationPopup(Label3));
    connect(lblOperationType, &QWidget::customContextMenuRequested, this, operationPopup(lblOperationType));
    connect(lblTaxSystem, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) {
                if (!receiptFrozen()) PopupMenuTaxSystem->popup(lblTaxSystem->mapToGlobal(pos));
            });
    for (QLabel* image : {ImageScaleOn, ImageScaleOff})
        connect(image, &QWidget::customContextMenuRequested, this,
                [this, image](const QPoint& pos) {
                    if (!isWorkplaceLocked()) PopupMenuScale->popup(image->mapToGlobal(pos));
                });
}

void TfmReg::FormCreate() {
    KktJsonSessionKey.clear();
    KktJsonPortName.clear();
    KktJsonBaudRate.clear();
    detachJsonIdle();

    // An empty receipt: header and one empty row, layout 5, first row current.
    receipt_.reset();
    updateGoodsGrid();
    setCurrentReceiptRow(1);

    btnPosDelete->setText(QStringLiteral("Позицию"));
    setControlTag(btnPosDelete, 1);
    clearInputLine();
    chLE->setChecked(false);
    btnLE->setPalette(QPalette());
    for (QLabel* l : {Label6, lblBuyerName, Label7, lblINNBuyer}) l->hide();
    lblBuyerName->clear();
    lblINNBuyer->clear();
    btnFreePrice->setText(QStringLiteral("Своб.\nцена"));

    edTelefon->clear();
    setControlTag(edTelefon, 0);
    const core::Settings settings(sys::programFolder());
    edOurEmail->setText(settings.email());

    int taxCode = 0;
    if (databaseConnected()) {
        try {
            core::Settings withDb(sys::programFolder(), &core::DataModule1->IBDatabase1());
            taxCode = withDb.taxSystemCode();
        } catch (...) {
            // Unreadable: shown as not chosen, and closing a receipt asks for it.
            taxCode = 0;
        }
    }
    applyTaxSystemLabel(taxCode);
    takeKktConnectionSettings();

    markedItems_.clear();
    receiptLines_.clear();

    const QString kind = settings.operationCaption();
    lblOperationType->setText(kind);
    setControlTag(lblOperationType, sales::receiptKindFromCaption(kind));

    edFPD->clear();
    setControlTag(edFPD, 0);
    edFPD->setVisible(sales::fiscalSignFieldVisible(receiptKind()));
    edFPD->setToolTip(kFpdHint);
    // The starting kind may be a return, which takes no discount.
    updateDiscountButtons();

    if (QAction* commission = action(QStringLiteral("MCommission"))) commission->setChecked(false);
    SetPaymentMethodFlag(4);
    showScaleState(false);

    register_->startAtCreate();
    Timer1Timer();
    Timer1->start();
}

void TfmReg::takeKktConnectionSettings() {
    KktJsonPortName.clear();
    KktJsonBaudRate.clear();
    if (!databaseConnected()) return;
    try {
        const core::Settings::KktConnection kkt =
            core::Settings(sys::programFolder(), &core::DataModule1->IBDatabase1()).kktConnection();
        KktJsonPortName = kkt.portName;
        KktJsonBaudRate = kkt.baudRate;
    } catch (...) {
        // Unreadable: the correction window says the register is not connected.
    }
}

// ---------------------------------------------------------------------------
// The cashier

void TfmReg::setUser(const core::SessionUser& user) {
    Label4->setText(user.postLabel);
    lblUser->setText(user.name);
    setControlTag(lblUser, user.userId);
    lblINN->setText(user.inn);
    setControlTag(lblINN, user.isAdmin ? 1 : 0);
    lblUser->setToolTip(QStringLiteral("ИНН  ") + user.inn);
    placeUserLabel();
}

core::SessionUser TfmReg::currentUser() const {
    core::SessionUser u;
    u.userId = controlTag(lblUser);
    u.name = lblUser->text();
    u.postLabel = Label4->text();
    u.inn = lblINN->text();
    u.isAdmin = controlTag(lblINN) == 1;
    return u;
}

int TfmReg::userId() const { return controlTag(lblUser); }

bool TfmReg::userIsAdmin() const { return controlTag(lblINN) == 1; }

sales::CashierLabels TfmReg::cashierLabels() const { return {Label4->text(), lblUser->text(), lblINN->text()}; }

void TfmReg::placeUserLabel() {
    // The post takes what it needs up to half the room before the tax
    // number, the name the rest; each cuts its own text, neither covers
    // the tax number.
    const int gap = 4;
    const int right = lblINN->x() - gap;
    const int room = qMax(0, right - Label4->x());
    const int postWidth = qMin(Label4->fontMetrics().horizontalAdvance(Label4->text()) + 2, room / 2);
    Label4->resize(postWidth, Label4->height());
    const int x = Label4->x() + postWidth + gap;
    lblUser->setGeometry(x, lblUser->y(), qMax(0, right - x), lblUser->height());
}

bool TfmReg::databaseConnected() const { return core::DataModule1 && core::DataModule1->isConnected(); }

// ---------------------------------------------------------------------------
// Rights and the workplace lock

void TfmReg::applySwitch(const sales::ControlSwitch& sw) {
    using S = sales::ControlSwitch;
    if (sw.what == S::ItemsEnabled) {
        menus_->setItemsEnabled(menu(sw.name), sw.on);
        return;
    }
    if (QAction* a = action(sw.name)) {
        if (sw.what == S::Enabled) a->setEnabled(sw.on);
        else a->setVisible(sw.on);
        return;
    }
    if (QWidget* w = findChild<QWidget*>(sw.name)) {
        if (sw.what == S::Enabled) w->setEnabled(sw.on);
        else w->setVisible(sw.on);
    }
}

void TfmReg::ApplyUserRights(int mode) {
    builtinSession_ = mode == core::BuiltinAdminRights;
    sales::RightsContext context;
    context.engineExists = sys::dbEngine().exists();
    context.databaseConnected = databaseConnected();
    for (const sales::ControlSwitch& sw : sales::userRightsSwitches(mode, context)) applySwitch(sw);
}

void TfmReg::SetWorkplaceLock(bool locked) {
    // What was typed before the lock is no part of a card.
    if (locked && !isWorkplaceLocked()) clearInputLine();
    tag_ = locked ? 1 : 0;
    SetWorkplaceLock();
}

void TfmReg::SetWorkplaceLock() {
    const bool locked = isWorkplaceLocked();
    lockedChecks_.clear();
    if (locked) {
        for (QAction* a : findChildren<QAction*>())
            if (a->isCheckable() && !a->objectName().isEmpty()) lockedChecks_.insert(a->objectName(), a->isChecked());
        if (!core::fmLockedMessage) new core::TfmLockedMessage(this);
        core::fmLockedMessage->show();
        if (core::fmNumKeyboard && core::fmNumKeyboard->isVisible()) core::fmNumKeyboard->close();
    } else if (core::fmLockedMessage) {
        core::fmLockedMessage->close();
        delete core::fmLockedMessage;
    }
    const QChar receiptDiscount = receipt_.receiptDiscountKind();
    const sales::DiscountButtons discounts = sales::discountButtons(
        sales::receiptKindFromCaption(lblOperationType->text()), receiptDiscount != QLatin1Char('N'), locked);
    for (const sales::ControlSwitch& sw : sales::workplaceLockSwitches(locked, builtinSession_, discounts))
        applySwitch(sw);
    // Whatever control had the focus, a locked screen's keys are a card's.
    if (locked) focus_->rest();
}

void TfmReg::lockWorkplace() {
    // The built-in administrator has no card and no place in the change of
    // cashier: a lock of his would never open again.
    if (builtinSession_) return;
    tag_ = 1;
    clearInputLine();
    SetWorkplaceLock();
}

void TfmReg::clearInputLine() {
    Timer2->stop();
    setControlTag(Timer2, 0);
    lblVvod->clear();
    lblVvodBegin->clear();
    lblVvodBeginEng->clear();
}

// ---------------------------------------------------------------------------
// Showing, layout, clock, closing

bool TfmReg::FormShow() {
    ArrangeRegControls();
    int flag = 4;
    int docType = 3;
    const bool upgraded = ui::guarded(this, [&] {
        if (schemaUpgrade_) {
            schemaUpgrade_();
            return;
        }
        if (!core::DataModule1) return;
        const core::SchemaUpgradeResult r = core::SchemaUpgrade(core::DataModule1->IBDatabase1());
        flag = r.paymentMethodFlag;
        docType = r.documentType;
    });
    if (!upgraded) return false;
    // A receipt kept across a log-out keeps the payment method it was begun
    // with; only an empty one starts again from the default.
    if (receipt_.isEmpty()) SetPaymentMethodFlag(flag);
    documentType_ = docType;
    emit formShown();
    return true;
}

bool TfmReg::showMain() {
    if (!FormShow()) return false;
    show();
    raise();
    activateWindow();
    return true;
}

void TfmReg::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    ArrangeRegControls();
}

void TfmReg::ArrangeRegControls() {
    const sales::LayoutFactors f = sales::layoutFactors(central_->size());
    if (f.kxThousandths <= 0 || f.kyThousandths <= 0) return;
    factors_ = f;
    for (auto it = design_.cbegin(); it != design_.cend(); ++it) {
        QWidget* w = it.key();
        w->setGeometry(sales::scaleDesignRect(it->rect, f));
        if (it->fontPoints > 0) {
            QFont font = w->font();
            font.setPointSize(sales::scaleFontPoints(it->fontPoints, f));
            w->setFont(font);
        }
    }
    for (QWidget* w : fittedControls()) fitFont(w);
    // Two buttons of one panel read as a pair: one size for both.
    for (const auto& [first, second] : {std::pair<QWidget*, QWidget*>{BitBtn1, BitBtn2},
                                        std::pair<QWidget*, QWidget*>{btnPosDelete, btnCheckDelete},
                                        std::pair<QWidget*, QWidget*>{btnPosDiscount, btnCheckDiscount}}) {
        QFont font = first->font();
        font.setPointSize(qMin(first->font().pointSize(), second->font().pointSize()));
        first->setFont(font);
        second->setFont(font);
    }
    placeUserLabel();
    applyGridLayout();
}

QList<QWidget*> TfmReg::fittedControls() const {
    return {lblChekItogo, lblOperationType, Label3,   lblPSR,         lblTaxSystem,  lblClock,
            lblDiscount,  BitBtn1,          BitBtn2,  btnPosDelete,   btnCheckDelete, btnPosDiscount,
            btnCheckDiscount, btnFreePrice, btnFindName, btnCloseCheck};
}

void TfmReg::fitFont(QWidget* w) {
    const auto design = design_.constFind(w);
    if (design == design_.cend() || design->fontPoints <= 0) return;
    QString text;
    int padding = 2;
    if (auto* l = qobject_cast<QLabel*>(w)) {
        text = l->text();
        padding += 2 * (l->frameWidth() + l->margin());
        // A little air inside a frame, so that no digit touches it.
        if (l->frameWidth() > 0) padding += 6;
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        text = b->text();
        padding += 12;  // the button's own frame and margins
    }
    QFont font = w->font();
    const int available = w->width() - padding;
    const int points = sales::fittingFontPoints(sales::scaleFontPoints(design->fontPoints, factors_), available,
                                                [&](int p) {
                                                    font.setPointSize(p);
                                                    const QFontMetrics fm(font);
                                                    int widest = 0;
                                                    for (const QString& line : text.split(QLatin1Char('\n')))
                                                        widest = qMax(widest, fm.horizontalAdvance(line));
                                                    return widest;
                                                });
    if (font.pointSize() != points || w->font().pointSize() != points) {
        font.setPointSize(points);
        w->setFont(font);
    }
}

void TfmReg::showTotal(const QString& text) {
    lblChekItogo->setText(text);
    fitFont(lblChekItogo);
}

void TfmReg::Timer1Timer() {
    lblClock->setText(sales::clockText(QDateTime::currentDateTime()));
    fitFont(lblClock);
}

void TfmReg::closeEvent(QCloseEvent* event) {
    // Closing the window is ending the program, which is asked first.
    event->ignore();
    MAppCloseClick();
}

void TfmReg::MAppCloseClick() {
    // Ending the program would drop the receipt the lock keeps.
    if (isWorkplaceLocked()) return;
    if (!ui::askYesNo(kQuitQuestion, this)) return;
    register_->releaseDriver();
    emit quitRequested();
    if (quitOnClose_) QCoreApplication::quit();
}

void TfmReg::attachJsonIdle(JsonPoll poll, JsonClosePorts closePorts) {
    jsonPoll_ = std::move(poll);
    jsonClosePorts_ = std::move(closePorts);
    jsonPollFailing_ = false;
    ApplicationEvents1->start();
}

void TfmReg::detachJsonIdle() { ApplicationEvents1->stop(); }

bool TfmReg::jsonIdleAttached() const { return ApplicationEvents1->isActive(); }

void TfmReg::ApplicationEvents1Idle() {
    if (KktJsonSessionKey.isEmpty() || !jsonPoll_) return;
    // A poll blocks; no second one may start from inside it.
    ApplicationEvents1->stop();
    bool keep = true;
    ui::guarded(this, [&] {
        const std::optional<QJsonObject> reply = jsonPoll_(KktJsonSessionKey);
        if (!reply) return;
        const sales::JsonIdleOutcome outcome = sales::jsonIdleOutcome(*reply);
        switch (outcome.kind) {
        case sales::JsonIdleOutcome::NoAnswer:
            if (!jsonPollFailing_) {
                jsonPollFailing_ = true;
                ui::showError(QStringLiteral("Ошибка -1"), this);
            }
            break;
        case sales::JsonIdleOutcome::SessionFine:
            jsonPollFailing_ = false;
            break;
        case sales::JsonIdleOutcome::SessionLost:
            jsonPollFailing_ = false;
            lblKKT->setText(outcome.registerStatus);
            KktJsonSessionKey.clear();
            KktJsonPortName.clear();
            KktJsonBaudRate.clear();
            keep = false;
            if (jsonClosePorts_) jsonClosePorts_();
            break;
        }
    });
    if (keep) ApplicationEvents1->start();
}

bool TfmReg::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == central_ && type == QEvent::Resize) {
        ArrangeRegControls();
    } else if (watched == GoodsGrid && type == QEvent::Resize) {
        applyGridLayout();
    } else if ((watched == lblOperationType || watched == Label3) && type == QEvent::MouseButtonDblClick) {
        lblOperationTypeDblClick();
        return true;
    } else if (watched == lblUser && (type == QEvent::MouseMove || type == QEvent::Enter)) {
        lblUser->setToolTip(QStringLiteral("ИНН  ") + lblINN->text());
    } else if (watched == Panel43 && type == QEvent::MouseButtonRelease) {
        clearInputLine();
        return true;
    } else if (watched == Panel45 && type == QEvent::MouseButtonRelease) {
        openKeypad();
        return true;
    } else if ((watched == ImageScaleOn || watched == ImageScaleOff) && type == QEvent::MouseButtonDblClick) {
        // A locked workplace opens no windows.
        if (!isWorkplaceLocked()) MScaleOnClick();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfmReg::openKeypad() {
    if (isWorkplaceLocked()) return;
    if (hasCommand(QStringLiteral("Panel45"))) {
        runCommand(QStringLiteral("Panel45"));
        return;
    }
    if (!core::fmNumKeyboard) new core::TfmNumKeyboard(this);
    core::fmNumKeyboard->setTarget(this);
    core::fmNumKeyboard->setTag(1);
    core::fmNumKeyboard->show();
}

void TfmReg::showScaleState(bool on) {
    ImageScaleOn->setVisible(on);
    ImageScaleOff->setVisible(!on);
}

// ---------------------------------------------------------------------------
// The receipt

int TfmReg::receiptKind() const { return controlTag(lblOperationType); }

QString TfmReg::refundLimitProblem(int row, bool reprice) { return sales::refundEntryProblem(*this, row, reprice); }

QString TfmReg::receiptKindText() const { return lblOperationType->text(); }

int TfmReg::taxSystemTag() const { return controlTag(lblTaxSystem); }

void TfmReg::updateGoodsGrid() {
    // Only rows the receipt changed since the grid last showed it are
    // written: a scan on a long receipt touches one or two rows, not all.
    const int rows = receipt_.dataRowCount();
    const int shownRows = GoodsGrid->rowCount();
    if (shownRows != rows) GoodsGrid->setRowCount(rows);
    std::vector<int> changed;
    receipt_.rowsChangedSince(gridRevision_, changed);
    // Rows the grid did not have yet are written whatever their revision.
    if (shownRows < rows) {
        for (int r = shownRows + 1; r <= rows; ++r) changed.push_back(r);
        std::sort(changed.begin(), changed.end());
        changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    }
    for (const int r : changed) {
        if (r < 1 || r > rows) continue;
        for (int c = 0; c < sales::ReceiptModel::ColumnCount; ++c) {
            const QString text = receipt_.cell(r, c);
            QTableWidgetItem* item = GoodsGrid->item(r - 1, c);
            if (!item) {
                item = new QTableWidgetItem(text);
                item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
                GoodsGrid->setItem(r - 1, c, item);
            } else if (item->text() != text) {
                item->setText(text);
            }
        }
    }
    gridRevision_ = receipt_.revision();
    setControlTag(GoodsGrid, receipt_.layout());
    applyGridLayout();
}

void TfmReg::applyGridLayout() {
    const sales::GridLayout gl = sales::SetGoodsGridLayout(receipt_.layout(), GoodsGrid->viewport()->width());
    for (int c = 0; c < sales::ReceiptModel::ColumnCount; ++c) {
        const int w = gl.widths[size_t(c)];
        GoodsGrid->setColumnHidden(c, w <= 0);
        if (w > 0) GoodsGrid->setColumnWidth(c, w);
    }
    GoodsGrid->setSelectionMode(gl.rangeSelection ? QAbstractItemView::ExtendedSelection
                                                  : QAbstractItemView::SingleSelection);
    GoodsGrid->setHorizontalScrollBarPolicy(gl.horizontalScrollBar ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

int TfmReg::currentReceiptRow() const {
    const int r = GoodsGrid->currentRow();
    return r < 0 ? 0 : r + 1;
}

void TfmReg::setCurrentReceiptRow(int row) {
    if (!receipt_.isDataRow(row)) return;
    // A hidden column as the current one highlights nothing and scrolls
    // nowhere: the name is in every layout.
    int column = GoodsGrid->currentColumn();
    if (column < 0 || GoodsGrid->isColumnHidden(column)) column = sales::ReceiptModel::ColName;
    // That row alone, whatever modifier the command came with (Ctrl+W would
    // add it to the selection, Shift stretch the selection to it).
    const QModelIndex index = GoodsGrid->model()->index(row - 1, column);
    GoodsGrid->selectionModel()->setCurrentIndex(index,
                                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    // The position just added or changed is the one the cashier sees.
    GoodsGrid->scrollTo(index);
}

char TfmReg::RecalcReceipt() {
    const sales::ReceiptContext context{lblOperationType->text(), chLE->isChecked()};
    const sales::RecalcResult r = sales::RecalcReceipt(receipt_, context);
    if (!r.ok()) {
        if (r.message) {
            const sales::ReceiptMessage m = sales::recalcMessage(r, receipt_);
            ui::showCaptioned(m.caption, m.text,
                              m.icon == sales::ReceiptMessageIcon::Error ? ui::Icon::Error : ui::Icon::Warning, this);
        }
        return r.code;
    }
    showTotal(r.totalText);
    lblDiscount->setText(r.discountText);
    fitFont(lblDiscount);
    receipt_.setLayout(r.layout);
    updateDiscountButtons();
    updateGoodsGrid();
    return 0;
}

namespace {

void dropAllDiscounts(sales::ReceiptModel& receipt) {
    receipt.setAttr(0, sales::ReceiptModel::AttrReceiptDiscountKind, QStringLiteral("N"));
    for (int r = 1; r < receipt.rowCount(); ++r)
        receipt.setAttr(r, sales::ReceiptModel::AttrDiscountKind, QStringLiteral("N"));
}

}  // namespace

void TfmReg::DiscountReset() {
    dropAllDiscounts(receipt_);
    RecalcReceipt();
}

void TfmReg::resetReceipt() {
    receipt_.reset();
    markedItems_.clear();
    receiptLines_.clear();
    portionChoices_.clear();
    showTotal(QStringLiteral("0.00 "));
    lblDiscount->setText(QStringLiteral("0.00"));
    fitFont(lblDiscount);
    updateGoodsGrid();
    setCurrentReceiptRow(1);
    updateDiscountButtons();
}

bool TfmReg::BuyerGiven() const { return chLE->isChecked(); }

void TfmReg::updateDiscountButtons() {
    const sales::DiscountButtons d =
        sales::discountButtons(sales::receiptKindFromCaption(lblOperationType->text()),
                               receipt_.receiptDiscountKind() != QLatin1Char('N'), isWorkplaceLocked());
    btnPosDiscount->setEnabled(d.position);
    btnCheckDiscount->setEnabled(d.receipt);
}

bool TfmReg::receiptKindCommand(int kind, const QString& caption) {
    if (receiptFrozen()) return false;
    const QString text = caption.toUpper();
    const bool changes = kind != receiptKind() || text != lblOperationType->text();
    if (changes && core::ReceiptHasMarkedGoods(receipt_.lineAttrs())) {
        ui::showError(kMarkedGoodsNoKindChange, this);
        return false;
    }
    // Every kind but a sale drops the discounts: not when the receipt would
    // then hold more than can be stored.
    if (const bool dropsDiscounts = sales::receiptKindFromCaption(text) != kind || kind != sales::KindSale;
        dropsDiscounts && !receipt_.isEmpty()) {
        const QString problem = sales::receiptSumsProblemAfter(
            receipt_, {text, chLE->isChecked()}, [](sales::ReceiptModel& trial) { dropAllDiscounts(trial); });
        if (!problem.isEmpty()) {
            ui::showWarning(problem, this);
            return false;
        }
    }
    lblOperationType->setText(text);
    fitFont(lblOperationType);
    setControlTag(lblOperationType, kind);
    const bool isKindCaption = sales::receiptKindFromCaption(text) == kind;
    edFPD->setVisible(isKindCaption && sales::fiscalSignFieldVisible(kind));
    // A sale keeps its discounts; every other kind drops them.
    if (isKindCaption && kind == sales::KindSale) RecalcReceipt();
    else DiscountReset();
    updateDiscountButtons();
    emit receiptKindChanged(kind);
    return true;
}

bool TfmReg::setReceiptKind(int kind) {
    const QString caption = sales::receiptKindCaption(kind);
    if (caption.isEmpty()) return false;
    return receiptKindCommand(kind, caption);
}

bool TfmReg::applyReceiptKindChoice(int modalResult) {
    const int kind = sales::receiptKindFromChoice(modalResult);
    return kind != sales::KindUnknown && setReceiptKind(kind);
}

void TfmReg::lblOperationTypeDblClick() {
    // A disabled label still passes its mouse events to this screen's
    // filter: the lock itself must refuse the kind change.
    if (!operationChoice_ || receiptFrozen()) return;
    ui::guarded(this, [this] { applyReceiptKindChoice(operationChoice_()); });
}

void TfmReg::applyTaxSystemLabel(int code) {
    const sales::TaxSystemLabel l = sales::taxSystemLabel(code);
    lblTaxSystem->setText(l.text);
    fitFont(lblTaxSystem);
    setControlTag(lblTaxSystem, l.tag);
    setTextColour(lblTaxSystem, l.valid ? QColor(0, 128, 0) : QColor(Qt::red));
}

void TfmReg::setTaxSystem(int code) { applyTaxSystemLabel(code); }

void TfmReg::SetPaymentMethodFlag(int flag) {
    const std::optional<sales::PaymentFlagView> view = sales::paymentFlagView(flag);
    if (!view) return;
    paymentMethodFlag_ = flag;
    menus_->setPaymentChecks(view->checks);
    lblPSR->setText(view->text);
    fitFont(lblPSR);
    lblPSR->setToolTip(view->hint);
    lblPSR->setVisible(view->visible);
}

bool TfmReg::cashIncome(sales::Money amount) {
    bool done = false;
    ui::guarded(this, [&] { done = register_->cashIncome(amount, cashierLabels()); });
    return done;
}

void TfmReg::setCommand(const QString& name, Command handler) {
    if (handler) commands_.insert(name, std::move(handler));
    else commands_.remove(name);
}

void TfmReg::runCommand(const QString& name) {
    // Every button, menu item and hot key of the screen ends here: a locked
    // workplace refuses them in one place, whatever their control's state.
    if (refusedCommand(name)) return;
    const Command handler = commands_.value(name);
    if (!handler) return;
    ui::guarded(this, handler);
}
