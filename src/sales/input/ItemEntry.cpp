#include "sales/input/ItemEntry.h"

#include "core/CashierChange.h"
#include "core/CodeTables.h"
#include "core/DataModule.h"
#include "core/LoginLogic.h"
#include "core/Settings.h"
#include "core/TextUtils.h"
#include "platform/db/Connection.h"
#include "platform/db/Error.h"
#include "platform/sys/ProgramFolder.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"
#include "sales/closing/ReceiptLines.h"
#include "sales/input/FreePrice.h"
#include "sales/input/KeyRouter.h"
#include "sales/receipt/ReceiptCalc.h"
#include "sales/receipt/ReceiptRules.h"
#include "sales/receipt/SumLimits.h"
#include "sales/screen/Registration_Mode.h"
#include "sales/input/ScanInput.h"
#include "sales/input/Weighing.h"
#include "sales/input/uGoodsFound.h"
#include "sales/input/ZeroCodeLookup.h"
#include "sales/marking/MarkedEntry.h"
#include "sales/screen/uQueryTaxRate.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

namespace sales {

namespace {

const QString kBreak = QStringLiteral("\r\n");

}  // namespace

// ---------------------------------------------------------------------------
// Messages

QString notFoundByBarcodeText(const QString& code) {
    return QStringLiteral(" По штрихкоду '") + codeForMessage(code) + QStringLiteral("' ничего не найдено.     ");
}

QString notFoundByCodeText(const QString& code) {
    return QStringLiteral("Товар по коду ") + code + QStringLiteral(" не найден !      ");
}

QString foreignGoodsText(const QString& name) {
    return QStringLiteral(" Страна происхождения найденного товара:     ") + kBreak + QStringLiteral(" < ") +
           shortName(name) + QStringLiteral(" >     ") + kBreak + kBreak + QStringLiteral(" НЕ Российская Федерация.") +
           kBreak + kBreak + kBreak + QStringLiteral(" Текущая версия программы не поддерживает продажу таких     ") +
           kBreak + QStringLiteral(" товаров юрлицам/ИП (т.е. с указанием реквизита 'Покупатель').     ");
}

QString badMeasureText(const QString& name, const QString& typedCode) {
    const QString head = typedCode.isEmpty()
                             ? QStringLiteral(" У найденного товара     ")
                             : QStringLiteral(" У найденного по коду ") + typedCode + QStringLiteral(" товара     ");
    return head + kBreak + QStringLiteral("  < ") + shortName(name) + QStringLiteral(" >      ") + kBreak + kBreak +
           QStringLiteral(" некорректное значение реквизита 'мера количества'.     ") + kBreak + kBreak + kBreak +
           kBreak + QStringLiteral(" Товар не может быть добавлен в чек. ");
}

QString unknownPaymentMethodText() {
    return QStringLiteral(" При работе программы произошла ошибка:     ") + kBreak +
           QStringLiteral("  ''неизвестный признак способа расчета''.     ") + kBreak + kBreak +
           QStringLiteral(" Перезапустите программу и продолжите работу.     ") + kBreak + kBreak +
           QStringLiteral(" Сообщите о проблеме разработчику.     ");
}

QString priceConflictText(const QString& price, int row, const QString& rowPrice) {
    return QStringLiteral(" Наличие в чеке нескольких единиц одного товара     ") + kBreak +
           QStringLiteral(" по разным ценам НЕ допускается.     ") + kBreak + kBreak +
           QStringLiteral(" Добавляемая единица: цена ") + price + QStringLiteral(" руб. ") + kBreak +
           QStringLiteral(" Позиция в чеке (строка ") + QString::number(row) + QStringLiteral("): цена за ед. ") +
           rowPrice + QStringLiteral(" руб. ");
}

QString badCataloguePriceText(const QString& name, const QString& price) {
    return QStringLiteral(" У найденного товара     ") + kBreak + QStringLiteral("  < ") + shortName(name) +
           QStringLiteral(" >      ") + kBreak + kBreak + QStringLiteral(" в справочнике товаров неверно указана цена: '") +
           price + QStringLiteral("'.     ") + kBreak + kBreak + QStringLiteral(" Товар не может быть добавлен в чек. ");
}

QString markedGoodsNotSoldText(const QString& name) {
    return QStringLiteral(" Найден маркированный товар     ") + kBreak + QStringLiteral("  < ") + shortName(name) +
           QStringLiteral(" >      ") + kBreak + kBreak +
           QStringLiteral(" Продажа маркированных товаров в этой версии программы недоступна.     ") + kBreak + kBreak +
           QStringLiteral(" Товар не может быть добавлен в чек. ");
}

bool isAcceptedMeasure(std::optional<int> measure) {
    if (!measure) return false;
    static const QSet<int> accepted{0,  10, 11, 12, 20, 21, 22, 30, 31, 32, 40, 41,
                                    42, 50, 51, 70, 71, 72, 73, 80, 81, 82, 83, 255};
    return accepted.contains(*measure);
}

core::SessionUser cardSessionUser(const core::UserRow& row, bool unlocking) {
    core::SessionUser u;
    u.userId = row.id;
    u.postLabel = QStringLiteral("  ") + core::IfEmptyStr(row.post, QStringLiteral("Кассир")) + QStringLiteral(" : ");
    u.name = row.fio;
    u.inn = core::ValidateInn(row.inn);
    u.isAdmin = cardRightsMode(row, unlocking) == core::AdminRights;
    return u;
}

int cardRightsMode(const core::UserRow& row, bool unlocking) {
    const QString rights = row.rights.trimmed();
    // The lock banner lets in an administrator by the stored word itself;
    // a card read during a sale also takes the other spellings of the users list.
    const bool admin = unlocking ? rights == QStringLiteral("админ")
                                 : rights.toUpper() == QStringLiteral("АДМИН") || rights == QLatin1String("1");
    return admin ? core::AdminRights : core::CashierRights;
}

// ---------------------------------------------------------------------------
// Screens and hooks

bool PlainEntryScreen::receiptChanged(int row) {
    const bool ok = RecalcReceipt(model, ReceiptContext{kindCaption, buyer}).ok();
    if (row > 0) current = row;
    return ok;
}

MarkingOutcome enterMarkingCode(EntryScreen& screen, const MarkingRequest& request) {
    ui::showWarning(markedGoodsNotSoldText(request.goods.good.name), screen.messageParent());
    return MarkingOutcome::Refused;
}

std::optional<int> chooseGoodsInWindow(const std::vector<FoundGoods>& goods, int tag, QWidget* parent) {
    QPointer<TfmGoodsFound> window = new TfmGoodsFound(parent);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->setTag(tag);
    window->setGoods(goods);
    const int result = window->exec();
    std::optional<int> chosen;
    if (window && result == QDialog::Accepted) chosen = window->chosenIndex();
    delete window;
    return chosen;
}

// ---------------------------------------------------------------------------
// Item entry

ItemEntry::ItemEntry(EntryScreen& screen, Database database) : screen_(screen), database_(std::move(database)) {}

ItemEntry::~ItemEntry() = default;

GoodsLookup* ItemEntry::lookup() {
    fb::Connection* db = database_ ? database_() : nullptr;
    if (!db) {
        lookup_.reset();
        lookupConnection_ = nullptr;
        return nullptr;
    }
    if (!lookup_ || db != lookupConnection_) {
        lookup_ = std::make_unique<GoodsLookup>(*db);
        lookupConnection_ = db;
    }
    return lookup_.get();
}

void ItemEntry::prepare() noexcept {
    try {
        if (!screen_.hasDatabase()) return;
        if (GoodsLookup* db = lookup()) db->prepare();
    } catch (...) {
        lookup_.reset();
    }
}

void ItemEntry::refuse(const QString& text) { ui::showError(text, screen_.messageParent()); }

void ItemEntry::btnBarcodeClick(EntrySource source) {
    // The Latin copy belongs to this one scan, whatever becomes of it.
    const QString input = source == EntrySource::Router ? screen_.inputLatin() : screen_.inputLine();
    if (source == EntrySource::Router) screen_.clearTypedCopies();
    screen_.discardQueuedKeys();
    if (!screen_.hasDatabase() || !lookup()) return;
    try {
        if (screen_.workplaceLocked()) {
            screen_.clearInput();
            cashierCard(core::cardCode(input), true);
            return;
        }
        const QString code = input.trimmed();
        if (code.size() < kMinCodeLength) return;
        screen_.clearInput();
        enterBarcode(code);
    } catch (const fb::Error&) {
        // Statements prepared on a connection that has gone are prepared
        // again on the next scan.
        lookup_.reset();
        throw;
    }
}

int ItemEntry::enterBarcode(const QString& code) {
    GoodsLookup* db = lookup();
    if (!db) return 0;
    const CodeKind kind = classifyCode(code, hasWeightBarcodeShape(code) ? db->weightPrefixes() : QSet<int>{});
    switch (kind) {
    case CodeKind::TooShort: return 0;
    case CodeKind::Weight: return enterWeightBarcode(code);
    case CodeKind::Goods:
        if (isZeroCode(code)) return enterGoods(goodsForZeroCode(db->connection()), code, kind, kChoiceByBarcode);
        return enterGoods(db->byBarcode(code), code, kind, kChoiceByBarcode);
    case CodeKind::TobaccoPack:
        return enterGoods(db->byMarkingGtin(markingLookupCode(code, kind), false), code, kind, kChoiceByBarcode);
    case CodeKind::DataMatrix:
        return enterGoods(db->byMarkingGtin(markingLookupCode(code, kind), true), code, kind, kChoiceByBarcode);
    case CodeKind::Unknown: return enterGoods({}, code, kind, kChoiceByBarcode);
    }
    return 0;
}

int ItemEntry::enterWeightBarcode(const QString& code) {
    const WeightBarcode w = decodeWeightBarcode(code);
    if (w.status == WeightBarcode::Status::ZeroWeight) {
        refuse(kZeroWeight);
        return 0;
    }
    std::vector<FoundGoods> found = lookup()->weighedByNumber(w.goodsNumber);
    if (found.empty()) {
        refuse(kWeightNotFound);
        return 0;
    }
    const std::optional<FoundGoods> goods = choose(std::move(found), kChoiceByWeightBarcode);
    if (!goods || !acceptable(*goods, QString()) || !priceUsable(*goods)) return 0;

    ReceiptModel& model = screen_.receipt();
    ReceiptModel::Undo undo(model);
    int row = FindGoodRow(model, goods->good.id);
    if (row > 0) {
        if (!model.addQuantity(row, w.weight)) return 0;
    } else {
        row = addGoodPosition(model, goods->good, goods->good.price, w.weight);
        if (row == 0) return 0;
    }
    return commitAdd(undo, row);
}

bool ItemEntry::priceUsable(const FoundGoods& goods) {
    const QString price = goods.good.price.trimmed();
    if (price.isEmpty() || Rational::parse(price)) return true;
    refuse(badCataloguePriceText(goods.good.name, goods.good.price));
    return false;
}

int ItemEntry::commitAdd(ReceiptModel::Undo& undo, int row) {
    if (screen_.receiptChanged(row)) {
        // One more unit, a weight or a new position must leave every sum
        // storable, nor take a return past what its sale has left; the
        // receipt stays as it was otherwise.
        QString problem = receiptSumProblem(screen_.receipt(), row);
        if (problem.isEmpty()) problem = screen_.refundLimitProblem(row);
        if (!problem.isEmpty()) {
            undo.rollback();
            screen_.receiptChanged(0);
            refuse(problem);
            return 0;
        }
        if (!lineSumIsZero(screen_.receipt(), row)) return row;
        // A position worth nothing would be left out of the receipt unseen:
        // the cashier hears of it now, and the receipt stays as it was.
        const QString name = screen_.receipt().cell(row, ReceiptModel::ColName);
        undo.rollback();
        screen_.receiptChanged(0);
        refuse(zeroSumPositionText(name));
        return 0;
    }
    // The receipt would not add up with the new position: it stays as it was
    // rather than refusing every later recalculation.
    undo.rollback();
    screen_.receiptRestored();
    return 0;
}

std::optional<FoundGoods> ItemEntry::choose(std::vector<FoundGoods> found, int tag) {
    if (found.empty()) return std::nullopt;
    if (found.size() == 1) return std::move(found.front());
    if (!chooser_) return std::nullopt;
    const std::optional<int> index = chooser_(found, tag, screen_.messageParent());
    if (!index || *index < 0 || *index >= int(found.size())) return std::nullopt;
    // Marked goods sold in full to a buyer cannot be registered yet.
    if (found[size_t(*index)].markType != 0 && screen_.paymentMethodFlag() == 4 && screen_.buyerGiven()) {
        refuse(kMarkedGoodsToBuyer);
        return std::nullopt;
    }
    return std::move(found[size_t(*index)]);
}

int ItemEntry::enterGoods(std::vector<FoundGoods> found, const QString& code, CodeKind kind, int choiceTag) {
    if (found.empty()) {
        // A short code nobody sells may be a cashier card.
        if (code.size() < 15 && cashierCard(code, false)) return 0;
        refuse(notFoundByBarcodeText(code));
        return 0;
    }
    const std::optional<FoundGoods> goods = choose(std::move(found), choiceTag);
    if (!goods || !acceptable(*goods, QString())) return 0;
    if (goods->markType != 0) {
        const bool scannedCode = kind == CodeKind::TobaccoPack || kind == CodeKind::DataMatrix;
        enterMarked(*goods, kind, scannedCode ? code : QString());
        return 0;
    }
    return addUnmarked(*goods);
}

void ItemEntry::enterMarked(const FoundGoods& goods, CodeKind kind, const QString& code) {
    MarkingRequest request;
    request.goods = goods;
    request.kind = kind;
    request.code = code;
    if (marking_) marking_(screen_, request);
}

int ItemEntry::enterChosenGoods(const FoundGoods& goods) {
    if (!screen_.hasDatabase() || !acceptable(goods, QString())) return 0;
    if (goods.markType != 0) {
        enterMarked(goods, CodeKind::Goods, QString());
        return 0;
    }
    const int row = addUnmarked(goods);
    if (row > 0) screen_.clearInput();
    return row;
}

QStringList ItemEntry::goodsBarcodes(const QString& goodsId) {
    GoodsLookup* db = lookup();
    if (!db) return {};
    bool ok = false;
    const qint64 id = goodsId.trimmed().toLongLong(&ok);
    if (!ok) return {};
    try {
        return db->barcodesOf(id);
    } catch (const fb::Error&) {
        lookup_.reset();
        throw;
    }
}

bool ItemEntry::acceptable(const FoundGoods& goods, const QString& typedCode) {
    switch (screen_.paymentMethodFlag()) {
    case 1:
    case 2:
    case 3: return true;
    case 4:
        if (screen_.buyerGiven() && core::isForeignCountryCode(goods.good.country)) {
            refuse(foreignGoodsText(goods.good.name));
            return false;
        }
        if (goods.markType == 0 && !isAcceptedMeasure(goods.measure)) {
            refuse(badMeasureText(goods.good.name, typedCode));
            return false;
        }
        return true;
    default: refuse(unknownPaymentMethodText()); return false;
    }
}

int ItemEntry::addUnmarked(const FoundGoods& goods) {
    if (!priceUsable(goods)) return 0;
    ReceiptModel& model = screen_.receipt();
    ReceiptModel::Undo undo(model);
    const QString price = goods.good.price;
    // In a return of a stored sale the goods' row is priced by the sale:
    // one more unit joins it whatever the catalogue says.
    int row = screen_.pricedBySale() ? FindGoodRow(model, goods.good.id)
                                     : FindGoodRowWithPrice(model, goods.good.id, price);
    if (row < 0) {
        const int held = FindGoodRow(model, goods.good.id);
        refuse(priceConflictText(price, held, model.cell(held, ReceiptModel::ColPrice)));
        return 0;
    }
    if (row > 0) {
        if (!model.addQuantity(row, Qty::units(1))) return 0;
    } else {
        row = addGoodPosition(model, goods.good, price, Qty::units(1));
        if (row == 0) return 0;
    }
    return commitAdd(undo, row);
}

bool ItemEntry::cashierCard(const QString& code, bool unlock) {
    GoodsLookup* db = lookup();
    if (!db || code.isEmpty()) return false;
    const std::optional<core::UserRow> user = db->cashierByCard(code);
    if (!user) return false;
    screen_.changeCashier(cardSessionUser(*user, unlock), cardRightsMode(*user, unlock), unlock);
    return true;
}

void ItemEntry::btnCodeClick() {
    // A typed code is never a cashier card: a locked workplace takes none.
    if (screen_.workplaceLocked()) return;
    const QString code = screen_.inputLine().trimmed();
    if (!screen_.hasDatabase() || !lookup()) return;
    screen_.clearInput();
    bool ok = false;
    const qlonglong id = code.toLongLong(&ok);
    if (!ok) {
        refuse(kCodeNotInteger);
        return;
    }
    try {
        std::vector<FoundGoods> found = lookup()->byCode(id);
        if (found.empty()) {
            refuse(notFoundByCodeText(code));
            return;
        }
        const FoundGoods goods = std::move(found.front());
        if (!acceptable(goods, code)) return;
        if (goods.markType != 0) {
            enterMarked(goods, CodeKind::Goods, QString());
            return;
        }
        addUnmarked(goods);
    } catch (const fb::Error&) {
        lookup_.reset();
        throw;
    }
}

// ---------------------------------------------------------------------------
// The main screen as an entry screen

class RegEntryScreen : public EntryScreen {
public:
    explicit RegEntryScreen(TfmReg& reg) : reg_(reg) {}

    ReceiptModel& receipt() override { return reg_.receipt(); }
    QString inputLine() const override { return reg_.lblVvod->text(); }
    QString inputLatin() const override { return reg_.lblVvodBeginEng->text(); }
    void clearInput() override { reg_.clearInputLine(); }
    void clearTypedCopies() override {
        reg_.lblVvodBegin->clear();
        reg_.lblVvodBeginEng->clear();
    }
    void discardQueuedKeys() override {
        if (KeyRouter* router = KeyRouter::instance()) router->discardQueuedInput();
    }
    int paymentMethodFlag() const override { return reg_.PaymentMethodFlag(); }
    bool buyerGiven() const override { return reg_.chLE->isChecked(); }
    bool workplaceLocked() const override { return reg_.isWorkplaceLocked(); }
    int taxSystemTag() const override { return reg_.taxSystemTag(); }
    bool hasDatabase() const override { return !reg_.builtinSession(); }
    bool receiptChanged(int row) override {
        // A refused discount has shown its message; the grid shows the rows anyway.
        const bool ok = reg_.RecalcReceipt() == 0;
        if (!ok) reg_.updateGoodsGrid();
        if (row > 0) reg_.setCurrentReceiptRow(row);
        return ok;
    }
    void receiptRestored() override { reg_.updateGoodsGrid(); }
    QString refundLimitProblem(int row) override { return reg_.refundLimitProblem(row, true); }
    bool pricedBySale() const override {
        return reg_.receiptKind() == KindSaleReturn && !reg_.edFPD->text().trimmed().isEmpty();
    }
    int currentRow() const override { return reg_.currentReceiptRow(); }
    void changeCashier(const core::SessionUser& user, int rightsMode, bool unlock) override {
        reg_.setUser(user);
        if (unlock) reg_.SetWorkplaceLock(false);
        reg_.ApplyUserRights(rightsMode);
    }
    void showScaleState(bool on) override { reg_.showScaleState(on); }
    QWidget* messageParent() override { return &reg_; }

private:
    TfmReg& reg_;
};

// ---------------------------------------------------------------------------
// Wiring

namespace {

fb::Connection* dataModuleConnection() {
    if (!core::DataModule1 || !core::DataModule1->isConnected()) return nullptr;
    return &core::DataModule1->IBDatabase1();
}

}  // namespace

ItemEntryController::ItemEntryController(TfmReg& screen, ItemEntryOptions options)
    : QObject(&screen), reg_(screen), options_(std::move(options)) {
    setObjectName(QStringLiteral("ItemEntry"));
    if (!options_.database) options_.database = dataModuleConnection;
    if (!options_.queryTaxRate) options_.queryTaxRate = [](QWidget* parent) { return ::queryTaxRate(parent); };
    screen_ = std::make_unique<RegEntryScreen>(reg_);
    entry_ = std::make_unique<ItemEntry>(*screen_, options_.database);
    if (!options_.marking) options_.marking = mainScreenMarking();
    entry_->setMarkingEntry(options_.marking);
    if (options_.chooser) entry_->setGoodsChooser(options_.chooser);
    input_ = new ScanInput(reg_, [this] { btnBarcodeClick(EntrySource::Router); }, this);

    // The commands outlive nothing: a controller gone leaves them doing nothing.
    const QPointer<ItemEntryController> self(this);
    reg_.setCommand(QStringLiteral("btnBarcode"), [self] {
        if (self) self->btnBarcodeClick(EntrySource::Button);
    });
    reg_.setCommand(QStringLiteral("btnCode"), [self] {
        if (self) self->btnCodeClick();
    });
    reg_.setCommand(QStringLiteral("btnFreePrice"), [self] {
        if (self) self->btnFreePriceClick();
    });
    reg_.setCommand(QStringLiteral("btnScale"), [self] {
        if (self) self->btnScaleClick();
    });
    // Every showing of the screen opens a session (after its schema check).
    connect(&reg_, &TfmReg::formShown, this, [this] { entry_->prepare(); });
    if (options_.scale) {
        reg_.showScaleState(options_.scale->isConnected());
        connect(options_.scale, &ScaleConnection::connectionChanged, &reg_, &TfmReg::showScaleState);
    }
}

MarkingEntry ItemEntryController::mainScreenMarking() {
    marking::MarkedEntryServices services;
    TfmReg* reg = &reg_;
    services.markedItems = [reg]() -> QList<QStringList>& { return reg->MarkedItems(); };
    services.driver = [reg] { return reg->KKTDriver(); };
    services.registerLost = [reg] { reg->registerMenu().markDisconnected(); };
    services.receiptKind = [reg] { return reg->receiptKind(); };
    ItemEntry* entry = entry_.get();
    services.barcodes = [entry](const QString& id) { return entry->goodsBarcodes(id); };
    services.tobaccoSetting = [] {
        try {
            const core::TobaccoPriceRule rule = core::Settings(sys::programFolder()).tobaccoPriceRule();
            return TobaccoPriceSetting{rule.rule, rule.amount};
        } catch (...) {
            return TobaccoPriceSetting{};  // the rule a missing setting means
        }
    };
    return marking::makeMarkedEntry(std::move(services));
}

// A child of the screen: it goes while the screen is being destroyed, when
// the screen's members may no longer be touched.
ItemEntryController::~ItemEntryController() = default;

EntryScreen& ItemEntryController::entryScreen() { return *screen_; }

void ItemEntryController::btnBarcodeClick(EntrySource source) {
    ui::guarded(&reg_, [&] { entry_->btnBarcodeClick(source); });
}

void ItemEntryController::btnCodeClick() {
    ui::guarded(&reg_, [&] { entry_->btnCodeClick(); });
}

void ItemEntryController::btnFreePriceClick() {
    ui::guarded(&reg_, [&] {
        std::function<int()> ask;
        if (options_.queryTaxRate) ask = [this] { return options_.queryTaxRate(&reg_); };
        sales::btnFreePriceClick(*screen_, ask);
    });
}

void ItemEntryController::btnScaleClick() {
    ui::guarded(&reg_, [&] {
        std::function<ScaleReading()> read;
        if (options_.scale) read = [this] { return options_.scale->readWeight(); };
        sales::btnScaleClick(*screen_, read);
    });
}

ItemEntryController* installItemEntry(TfmReg& screen, ItemEntryOptions options) {
    auto* controller = new ItemEntryController(screen, std::move(options));
    if (KeyRouter* router = KeyRouter::install(QCoreApplication::instance())) router->attachMainScreen(&screen, &controller->input());
    return controller;
}

}  // namespace sales
