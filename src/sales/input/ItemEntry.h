#pragma once
// Item entry: a scanned or typed code becomes a position of the receipt in
// progress. btnBarcodeClick takes the code of the scanner or of the input
// line and finds what it is (a cashier card while the workplace is locked, a
// weight barcode, a goods barcode, a tobacco pack or DataMatrix marking code,
// or a cashier card after all); btnCodeClick takes a goods code. Both run
// the checks of the receipt's payment method and add or increase a position.
//
// The logic works on an EntryScreen: the main screen itself (through
// installItemEntry) or a plain screen of a receipt model and input texts.
//
// Marked goods go to one entry point, MarkingEntry. On the main screen it is
// the marked road of sales/marking (scan window, format checks, validation
// through the register); a bare ItemEntry keeps enterMarkingCode(), which
// adds nothing and tells the cashier the goods cannot be sold here.
#include "core/MainScreenPort.h"
#include "sales/input/BarcodeClassifier.h"
#include "sales/input/GoodsLookup.h"
#include "sales/receipt/ReceiptModel.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QWidget;
class TfmReg;
class ScaleConnection;

namespace fb {
class Connection;
}

namespace sales {

class ScanInput;

// Where the barcode handler reads its code.
enum class EntrySource {
    Button,  // the "ШК" button, its menu item, Ctrl+I: the visible input line
    Router,  // the key router's Enter that ended a scan: the Latin copy
};

// What item entry reads and changes on the main screen.
class EntryScreen {
public:
    virtual ~EntryScreen() = default;
    virtual ReceiptModel& receipt() = 0;
    virtual QString inputLine() const = 0;   // lblVvod
    virtual QString inputLatin() const = 0;  // lblVvodBeginEng
    // The visible line and both copies, Timer2 stopped with Tag 0.
    virtual void clearInput() = 0;
    // Only the two copies of the typed keys.
    virtual void clearTypedCopies() = 0;
    // Keys still queued (the rest of a fast scan) are dropped unread.
    virtual void discardQueuedKeys() {}
    virtual int paymentMethodFlag() const = 0;
    virtual bool buyerGiven() const = 0;  // chLE: a sale to a legal entity
    virtual bool workplaceLocked() const = 0;
    virtual int taxSystemTag() const = 0;
    // The session works with a database (not the built-in administrator's
    // session without one).
    virtual bool hasDatabase() const = 0;
    // The receipt changed: RecalcReceipt and the grid layout; `row` (when
    // above 0) becomes the current row.
    // False when the recalculation refused (its message shown).
    virtual bool receiptChanged(int row) = 0;
    // The receipt was put back as it was: show it again without recalculating.
    virtual void receiptRestored() {}
    // Why the receipt as it now stands would take a return of a stored sale
    // past what that sale has left; empty when it would not, or when the
    // receipt returns no stored sale. Goods just entered into `row` are first
    // priced at their share of what the sale has left of them.
    virtual QString refundLimitProblem(int row) {
        (void)row;
        return {};
    }
    // The receipt returns a stored sale (or a sign that may name one): its
    // goods are priced by the sale, whatever the catalogue's price.
    virtual bool pricedBySale() const { return false; }
    virtual int currentRow() const = 0;
    // A cashier card: the user's labels, rights, and the lock released
    // when `unlock`.
    virtual void changeCashier(const core::SessionUser& user, int rightsMode, bool unlock) = 0;
    virtual void showScaleState(bool on) = 0;
    virtual QWidget* messageParent() = 0;
};

// A screen without a window: the receipt model and the input texts. Item
// entry runs on it where no main window exists (benchmarks, tools).
class PlainEntryScreen : public EntryScreen {
public:
    ReceiptModel model;
    QString line;
    QString latin;
    int flag = 4;
    bool buyer = false;
    bool locked = false;
    bool database = true;
    int taxSystem = 0;
    int current = 0;
    QString kindCaption = QStringLiteral("ПРИХОД");
    core::SessionUser user;
    int rightsMode = 0;
    bool scaleOn = false;

    ReceiptModel& receipt() override { return model; }
    QString inputLine() const override { return line; }
    QString inputLatin() const override { return latin; }
    void clearInput() override {
        line.clear();
        latin.clear();
    }
    void clearTypedCopies() override { latin.clear(); }
    int paymentMethodFlag() const override { return flag; }
    bool buyerGiven() const override { return buyer; }
    bool workplaceLocked() const override { return locked; }
    int taxSystemTag() const override { return taxSystem; }
    bool hasDatabase() const override { return database; }
    bool receiptChanged(int row) override;
    int currentRow() const override { return current; }
    void changeCashier(const core::SessionUser& u, int mode, bool unlock) override {
        user = u;
        rightsMode = mode;
        if (unlock) locked = false;
    }
    void showScaleState(bool on) override { scaleOn = on; }
    QWidget* messageParent() override { return nullptr; }
};

// ---- Marked goods ------------------------------------------------------------

struct MarkingRequest {
    // The marking code scanned (a tobacco pack or DataMatrix code); empty
    // when the goods was found by an ordinary barcode or by its code, in
    // which case its marking code is still to be scanned.
    QString code;
    CodeKind kind = CodeKind::Goods;
    FoundGoods goods;
};

enum class MarkingOutcome {
    NotHandled,  // nobody took the unit: nothing added, nothing shown
    Refused,     // the marking dialogs refused the unit (and said why)
    Added,       // the marking dialogs added the unit to the receipt
};

using MarkingEntry = std::function<MarkingOutcome(EntryScreen& screen, const MarkingRequest& request)>;

// The entry point for marked goods where no register and no scan window
// are at hand: says that the goods cannot be sold and returns Refused.
MarkingOutcome enterMarkingCode(EntryScreen& screen, const MarkingRequest& request);

// ---- Choice among several goods -------------------------------------------

// Tag 10: several goods under one barcode; 11: under one weight barcode.
inline constexpr int kChoiceByBarcode = 10;
inline constexpr int kChoiceByWeightBarcode = 11;

// Returns the index of the chosen goods, nullopt when the cashier cancelled.
using GoodsChooser =
    std::function<std::optional<int>(const std::vector<FoundGoods>& goods, int tag, QWidget* parent)>;
// The choice list window TfmGoodsFound, modal.
std::optional<int> chooseGoodsInWindow(const std::vector<FoundGoods>& goods, int tag, QWidget* parent);

// ---- Messages ------------------------------------------------------------------

QString notFoundByBarcodeText(const QString& code);
QString notFoundByCodeText(const QString& code);
QString foreignGoodsText(const QString& name);
QString badMeasureText(const QString& name, const QString& typedCode = QString());
QString unknownPaymentMethodText();
QString priceConflictText(const QString& price, int row, const QString& rowPrice);
// Goods whose catalogue price is not a number cannot be sold.
QString badCataloguePriceText(const QString& name, const QString& price);
// Marked goods cannot be sold until the marking windows are there.
QString markedGoodsNotSoldText(const QString& name);
inline const QString kWeightNotFound = QStringLiteral(" По 'весовому' штрихкоду ничего не найдено.     ");
inline const QString kZeroWeight =
    QStringLiteral(" В 'весовом' штрихкоде указан нулевой вес.     \r\n Товар не может быть добавлен в чек.     ");
inline const QString kMarkedGoodsToBuyer = QStringLiteral(
    "Продажа маркированного товара юрлицам/ИП      \r\nв этой версии программы НЕ ПОДДЕРЖИВАЕТСЯ!   ");
inline const QString kCodeNotInteger = QStringLiteral("Код товара должен быть ЦЕЛЫМ ЧИСЛОМ !!!      ");

// Measure-of-quantity codes a position may carry (GOOD_EDIZM_FFD).
bool isAcceptedMeasure(std::optional<int> measure);
// The cashier of a card's USERS row, as the main screen shows them.
// `unlocking`: the card was read on the locked screen, where only the
// rights "админ" make an administrator; during a sale "АДМИН" in any case
// and "1" do too.
core::SessionUser cardSessionUser(const core::UserRow& row, bool unlocking = false);
int cardRightsMode(const core::UserRow& row, bool unlocking = false);

// ---- Item entry ------------------------------------------------------------------

class ItemEntry {
public:
    using Database = std::function<fb::Connection*()>;

    ItemEntry(EntryScreen& screen, Database database);
    ~ItemEntry();

    void setMarkingEntry(MarkingEntry entry) { marking_ = std::move(entry); }
    // Where marked goods go; the name search hands its marked goods here too.
    const MarkingEntry& markingEntry() const { return marking_; }
    void setGoodsChooser(GoodsChooser chooser) { chooser_ = std::move(chooser); }

    EntryScreen& screen() { return screen_; }

    // A session starts: the look-up statements are prepared and the weight
    // prefixes read now rather than on the first scan. A database that cannot
    // be reached is left for that scan to report.
    void prepare() noexcept;

    // The barcode handler: the code from the input line or its Latin copy.
    void btnBarcodeClick(EntrySource source);
    // The goods-code handler: the code from the input line.
    void btnCodeClick();

    // A trimmed code of 5 or more characters taken from the input (the
    // barcode handler from its classification on). Returns the row that got
    // the goods, 0 when none did.
    int enterBarcode(const QString& code);

    // A goods item the cashier picked from a list: the payment method's
    // checks, then the marking scan for marked goods or a new or increased
    // position. Returns the row that got the goods, 0 when none did.
    int enterChosenGoods(const FoundGoods& goods);

    // Every barcode of a goods item (the GTINs its marking codes may carry);
    // empty when the database cannot be reached.
    QStringList goodsBarcodes(const QString& goodsId);

private:
    GoodsLookup* lookup();
    int enterWeightBarcode(const QString& code);
    int enterGoods(std::vector<FoundGoods> found, const QString& code, CodeKind kind, int choiceTag);
    std::optional<FoundGoods> choose(std::vector<FoundGoods> found, int tag);
    // The checks of the receipt's payment method; false after a refusal
    // (the message has been shown).
    bool acceptable(const FoundGoods& goods, const QString& typedCode);
    int addUnmarked(const FoundGoods& goods);
    // Hands a marked goods item to the marking entry; `code` is the marking
    // code when one was scanned.
    void enterMarked(const FoundGoods& goods, CodeKind kind, const QString& code);
    // Refuses goods whose catalogue price is no number (message shown).
    bool priceUsable(const FoundGoods& goods);
    // RecalcReceipt after a position was added or increased; when it
    // refuses, `undo` puts the receipt back. The row on success, else 0.
    int commitAdd(ReceiptModel::Undo& undo, int row);
    bool cashierCard(const QString& code, bool unlock);
    void refuse(const QString& text);

    EntryScreen& screen_;
    Database database_;
    MarkingEntry marking_ = enterMarkingCode;
    GoodsChooser chooser_ = chooseGoodsInWindow;
    fb::Connection* lookupConnection_ = nullptr;
    std::unique_ptr<GoodsLookup> lookup_;
};

// ---- Wiring on the main screen --------------------------------------------

struct ItemEntryOptions {
    // The database item entry reads; by default the data module's connection
    // while it is attached.
    ItemEntry::Database database;
    MarkingEntry marking;  // default the marked road over the screen and its register
    GoodsChooser chooser;  // default the TfmGoodsFound window
    // The VAT rate question of the free price; returns the modal result of
    // the rate window (21..26 for VAT codes 1..6). By default TfmQueryTaxRate.
    std::function<int(QWidget* parent)> queryTaxRate;
    // The scale the weighing button reads; none: the button does nothing.
    ScaleConnection* scale = nullptr;
};

class RegEntryScreen;

// What installItemEntry attached to the screen: the screen's keyboard input
// and item entry. A child of the screen, named "ItemEntry".
class ItemEntryController : public QObject {
public:
    ItemEntryController(TfmReg& screen, ItemEntryOptions options);
    ~ItemEntryController() override;

    ItemEntry& entry() { return *entry_; }
    ScanInput& input() { return *input_; }
    EntryScreen& entryScreen();

    void btnBarcodeClick(EntrySource source);
    void btnCodeClick();
    void btnFreePriceClick();
    void btnScaleClick();

private:
    // The marked road over this screen: its marking records, its register
    // and receipt kind, the goods' barcodes and the tobacco price setting.
    MarkingEntry mainScreenMarking();

    TfmReg& reg_;
    ItemEntryOptions options_;
    std::unique_ptr<RegEntryScreen> screen_;
    std::unique_ptr<ItemEntry> entry_;
    ScanInput* input_ = nullptr;
};

// Attaches the keyboard input, the barcode, code, free-price and scale
// handlers to the main screen and puts the main screen under the key
// router (installing the router on the application when needed).
ItemEntryController* installItemEntry(TfmReg& screen, ItemEntryOptions options = {});

}  // namespace sales
