#pragma once
// The cashier's working window: the receipt in progress, its mode labels,
// the register driver, the cashier's labels and the menus through which
// every other window opens.
//
// State other windows read lives here: the receipt kind (lblOperationType,
// Tag = kind 1..4), the tax system (lblTaxSystem, Tag = code), the cashier
// (Label4, lblUser with Tag = USER_ID, lblINN with Tag = 1 admin / 0 cashier),
// the buyer labels and the electronic-receipt address (edTelefon, Tag 1
// e-mail, 2 phone). Tags are kept as the dynamic property "Tag" of each
// control; the typed getters below read the same values.
//
// Commands whose windows are built elsewhere are slots named after their
// menu item or button (MGoodsDBClick, btnBarcodeClick ...). Each runs the
// handler attached with setCommand() under the same name ("MGoodsDB",
// "btnBarcode"); without one it does nothing.
#include "core/MainScreenPort.h"
#include "sales/screen/MainScreenRights.h"
#include "sales/receipt/Money.h"
#include "sales/receipt/ReceiptModel.h"
#include "sales/screen/MainScreenState.h"
#include "sales/screen/RegMenuHost.h"
#include "sales/screen/RegisterMenu.h"

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableWidget;
class QTimer;
class PrintMessageWait;

namespace sales {
class RegMenus;
class ScreenFocus;
// The Tag of a control, as the dynamic property "Tag" (0 when unset).
int controlTag(const QObject* control);
void setControlTag(QObject* control, int tag);
}  // namespace sales

class TfmReg : public QMainWindow, public core::MainScreenPort, public sales::RegMenuHost {
    Q_OBJECT
public:
    using DriverFactory = sales::RegisterMenu::DriverFactory;
    using Command = std::function<void()>;
    using SchemaUpgrade = std::function<void()>;
    using ChoiceDialog = std::function<int()>;

    static inline const QString kCaption = QStringLiteral("Рабочее место кассира - режим регистрации");
    static inline const QString kQuitQuestion = QStringLiteral("Вы желаете завершить работу с программой?     ");
    static inline const QString kMarkedGoodsNoKindChange =
        QStringLiteral(" В чеке есть маркированный товар.     \r\n Изменение признака расчета невозможно.     ");
    static inline const QString kFpdHint =
        QStringLiteral("Фискальный признак документа, \n\r по которому осуществляется возврат ");

    // Without a factory the program's register driver in the program folder
    // is used. The screen registers itself as the program's main screen.
    explicit TfmReg(QWidget* parent = nullptr, DriverFactory driverFactory = {});
    ~TfmReg() override;

    // ---- core::MainScreenPort
    void setUser(const core::SessionUser& user) override;
    core::SessionUser currentUser() const override;
    void ApplyUserRights(int mode) override;
    bool showMain() override;
    void SetWorkplaceLock(bool locked) override;
    bool isWorkplaceLocked() const override { return tag_ == 1; }

    // ---- sales::RegMenuHost (what the menus read and ask)
    QMainWindow* menuWindow() override { return this; }
    void menuItemChosen(const QString& itemName) override;
    bool hasAttachedCommand(const QString& name) const override;
    void runAttachedCommand(const QString& name) override;
    bool positionDiscountOffered() const override;
    bool receiptDiscountOffered() const override;
    QString cashierName() const override;
    int administratorFlag() const override;
    bool databaseConnected() const override;
    bool registerConnected() const override;
    int paymentMethodFlag() const override { return paymentMethodFlag_; }
    bool receiptHasPositions() const override;
    void showSaleKindNote(const QString& text, const QColor& colour, bool visible) override;

    // ---- Screen state
    // The form's Tag: the workplace lock, 0 free, 1 locked.
    int Tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    // Applies the lock state held in Tag.
    void SetWorkplaceLock();
    // As the Pause key: Tag 1, input line cleared, lock applied.
    void lockWorkplace();

    // The register driver object; nullptr when none could be created.
    fiscal::IFiscalDriver* KKTDriver() const { return register_->driver(); }
    bool KKTConnected() const { return register_->connected(); }
    sales::RegisterMenu& registerMenu() { return *register_; }
    sales::CashierLabels cashierLabels() const;

    sales::ReceiptModel& receipt() { return receipt_; }
    const sales::ReceiptModel& receipt() const { return receipt_; }
    const sales::LineAttrTable& LineAttrs() const { return receipt_.lineAttrs(); }
    // Marking records of the receipt and the hand-over table of closing.
    QList<QStringList>& MarkedItems() { return markedItems_; }
    QList<QStringList>& ReceiptLines() { return receiptLines_; }
    // Batches chosen for the receipt's positions: goods ID, lot record ID,
    // quantity taken from that lot.
    QList<QStringList>& PortionChoices() { return portionChoices_; }
    // A buyer is named for the receipt (chLE shows it).
    bool BuyerGiven() const;

    int receiptKind() const;          // lblOperationType Tag
    QString receiptKindText() const;  // lblOperationType caption
    int taxSystemTag() const;         // lblTaxSystem Tag, 0 when none is chosen
    int TaxSystemCode() const { return taxSystemCode_; }
    void setTaxSystemCode(int code) { taxSystemCode_ = code; }
    int PaymentMethodFlag() const { return paymentMethodFlag_; }
    int documentType() const { return documentType_; }
    int userId() const;
    bool userIsAdmin() const;
    // The session of the built-in administrator (rights mode 1).
    bool builtinSession() const { return builtinSession_; }
    // When the receipt in progress is a return of a stored sale (edFPD's Tag
    // holds the sale's DOC_ID, or the sign typed there names one): what is
    // wrong with taking the goods of `row` back as the receipt now stands;
    // with `reprice`, goods just entered are first priced at their share of
    // what the sale has left. A database that cannot tell refuses.
    QString refundLimitProblem(int row, bool reprice = false);
    // Once the users list may have changed, the session keeps only what its
    // user still has: the stored name and rights, or a log-out when the
    // user is gone.
    void followSessionUser();
    // Ends the session: no user on the screen, the screen hidden, loggedOut.
    void logOut();

    // JSON register channel session (empty key: no session).
    QString KktJsonSessionKey;
    QString KktJsonPortName;
    QString KktJsonBaudRate;
    // The port and speed saved in the settings window become the channel's
    // (both empty when the settings cannot be read).
    void takeKktConnectionSettings();

    // While a JSON channel session is open the screen polls it when idle.
    // `poll` sends "GetCommonInfo" with the session key and returns the reply
    // (an empty object when none came, nullopt when the channel is busy with
    // an operation of its own and nothing was sent); `closePorts` sends
    // "ClosePorts".
    using JsonPoll = std::function<std::optional<QJsonObject>(const QString& sessionKey)>;
    using JsonClosePorts = std::function<void()>;
    void attachJsonIdle(JsonPoll poll, JsonClosePorts closePorts);
    void detachJsonIdle();
    bool jsonIdleAttached() const;

    // ---- Receipt routines on the screen
    // Recalculates the receipt and shows it: totals, discount buttons, grid.
    // Returns 0, or 'D' when a discount was refused (the message is shown).
    char RecalcReceipt();
    // Every discount kind back to "N", then RecalcReceipt.
    void DiscountReset();
    // The receipt back to one empty row without discount.
    void resetReceipt();
    // Shows the receipt model in GoodsGrid (texts, layout, column widths).
    void updateGoodsGrid();
    // The current receipt row (1-based, as the model counts); 0 when none.
    int currentReceiptRow() const;
    void setCurrentReceiptRow(int row);
    // Both discount buttons from the one rule of kind, receipt discount and lock.
    void updateDiscountButtons();
    // The receipt-kind commands: kind 1..4 with its caption. Refused while
    // the receipt holds marked goods (the message is shown).
    bool setReceiptKind(int kind);
    // What a receipt-kind choice dialog returned (21..24); others change nothing.
    bool applyReceiptKindChoice(int modalResult);
    // The tax system label: text, colour and Tag of the code.
    void setTaxSystem(int code);
    // Shows the payment-method flag on the screen and in the menu and keeps it.
    void SetPaymentMethodFlag(int flag) override;
    // Clears the visible input line and the two copies of the typed keys.
    void clearInputLine();
    // The scale's state: ImageScaleOn or ImageScaleOff.
    void showScaleState(bool on);

    // Runs when the screen is shown: layout, schema upgrade, receipt flags.
    // False when the upgrade failed (the failure has been shown).
    bool FormShow();
    void ArrangeRegControls();

    // ---- Attachment points for windows built elsewhere
    void setCommand(const QString& name, Command handler);
    // Every command the screen answers: its menu items and the commands
    // attached to it, by name.
    QStringList commandNames() const;
    // While the workplace is locked every command but the unlocking ones
    // (a scanned cashier card, the change of cashier) is refused; in the
    // built-in administrator's session every command but his own (the users,
    // the about box, ending the program).
    bool refusedCommand(const QString& name) const;
    // Nothing may change the receipt on the screen: the workplace is locked,
    // or the built-in administrator works, who has no cashier to sell for.
    bool receiptFrozen() const { return isWorkplaceLocked() || builtinSession_; }
    bool hasCommand(const QString& name) const { return commands_.contains(name); }
    // Replaces the schema upgrade FormShow runs (the data module's by default).
    void setSchemaUpgrade(SchemaUpgrade upgrade) { schemaUpgrade_ = std::move(upgrade); }
    // The receipt-kind choice window; returns its modal result.
    void setOperationChoice(ChoiceDialog dialog) { operationChoice_ = std::move(dialog); }
    // Whether "Завершить работу" ends the application (tests turn it off).
    void setQuitOnClose(bool quit) { quitOnClose_ = quit; }
    // Cash-in of the amount the cash-in window took; false when refused.
    bool cashIncome(sales::Money amount);

    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;

    // ---- Components
    QTableWidget* GoodsGrid;
    QLabel* Label3;
    QLabel* lblOperationType;
    QLabel* lblPSR;
    QLabel* lblTaxCaption;
    QLabel* lblTaxSystem;
    QLabel* lblClock;
    QLabel* Label4;
    QLabel* lblUser;
    QLabel* lblINN;
    QLineEdit* edFPD;
    QCheckBox* chLE;
    QPushButton* btnLE;
    QLabel* Label6;
    QLabel* lblBuyerName;
    QLabel* Label7;
    QLabel* lblINNBuyer;
    QPushButton* btnTelefon;
    QLineEdit* edTelefon;
    QLabel* lblOurEmailCaption;
    QLineEdit* edOurEmail;
    QLabel* lblTotalCaption;
    QLabel* lblChekItogo;
    QLabel* lblDiscountCaption;
    QLabel* lblDiscount;
    QLabel* lblVvod;
    QLabel* lblVvodBegin;
    QLabel* lblVvodBeginEng;
    QFrame* Panel43;
    QFrame* Panel45;
    QFrame* Panel2;
    QFrame* Panel21;
    QFrame* Panel10;
    QFrame* Panel33;
    QFrame* PanelDelete;
    QFrame* PanelDiscount;
    QPushButton* btnBarcode;
    QPushButton* btnCode;
    QPushButton* btnFindName;
    QPushButton* btnFreePrice;
    QPushButton* btnScale;
    QLabel* ImageScaleOn;
    QLabel* ImageScaleOff;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* btnPosDelete;
    QPushButton* btnCheckDelete;
    QPushButton* btnPosDiscount;
    QPushButton* btnCheckDiscount;
    QPushButton* btnCloseCheck;
    QLabel* lblKKTCaption;
    QLabel* lblKKT;
    QLabel* lblCommission;
    QTimer* Timer1;
    QTimer* Timer2;
    QTimer* ApplicationEvents1;  // the idle duty of the JSON channel
    QMenu* PopupMenuGrid;
    QMenu* PopupMenuOperation;
    QMenu* PopupMenuTaxSystem;
    QMenu* PopupMenuScale;

public slots:
    void Timer1Timer();
    void MAppCloseClick();
    void ApplicationEvents1Idle();

    // Work place
    void MReAuthorClick();
    void MWorkPlaceLockClick();
    // Document
    void MCashCheckClick();
    void MPrihodClick();
    void MPrihodBackClick();
    void MRashodClick();
    void MRashodBackClick();
    void MCorrectionCheckPClick();
    void MCorrectionCheckRClick();
    void M_FullPayClick();
    void M_PrePayFullClick();
    void M_PrePayPartClick();
    void M_AdvanceClick();
    void MCommissionClick();
    void MAgentRewardClick();
    void MDiscountPosClick();
    void MDiscountCheckClick();
    void MChangeCountClick();
    void MChangePriceClick();
    void MDeletePosClick();
    void MDeleteCheckClick();
    void MFindNameClick();
    void MCloseCheckClick();
    void MeMailClick();
    void MAvailablePortionsClick();
    // Database
    void MDataBaseClick();
    void MCompanyClick();
    void MGoodsDBClick();
    void MUsersDBClick();
    void MConractorsClick();
    void MSuppliersClick();
    void MBuyersClick();
    void N13Click();
    void MInventoryClick();
    void MGoodsReceiptClick();
    void MGoodsOverPlusClick();
    void MGoodsRidClick();
    void MGoodsLoadClick();
    void MLoadCSVClick();
    void MGoodsUnLoadClick();
    void MUnloadCSVClick();
    void MUsersUnLoadClick();
    // Reports
    void MReportSalesClick();
    void MFindCheckClick();
    // Service
    void MServiceClick();
    void MOptionsClick();
    void MPFSettingsClick();
    void MScaleOnClick();
    void MPriceTagPrintClick();
    // Register
    void M_KKTClick();
    void M_KKT_ONClick();
    void M_OpenSessionClick();
    void Z1Click();
    void X1Click();
    void MIncomeClick();
    void MDriverInfoClick();
    // Help
    void N4Click();
    // Tax system popup
    void N11Click();
    void N18Click();
    void N19Click();
    void N8Click();
    void N17Click();
    void N20Click();
    // Grid popup
    void PMChangeNameClick();
    void PMAvailablePortionsClick();

    // Buttons (their work is built elsewhere; see setCommand)
    void btnBarcodeClick();
    void btnCodeClick();
    void btnFindNameClick();
    void btnFreePriceClick();
    void btnScaleClick();
    void btnPosDeleteClick();
    void btnCheckDeleteClick();
    void btnPosDiscountClick();
    void btnCheckDiscountClick();
    void BitBtn1Click();
    void BitBtn2Click();
    void btnCloseCheckClick();
    void btnLEClick();
    void btnTelefonClick();
    void chLEClick();

    // Double click on the receipt grid at a column (of the current row).
    void GoodsGridDblClick(int column);
    // Double click on lblOperationType / Label3: the receipt-kind choice.
    void lblOperationTypeDblClick();

signals:
    // "Завершить работу" was confirmed; the driver is already released.
    void quitRequested();
    void receiptKindChanged(int kind);
    // FormShow brought the database up to date: a session begins.
    void formShown();
    // The session ended without ending the program (its user is gone): the
    // screen is hidden, the receipt in progress kept, the login is next.
    void loggedOut();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void buildStatusBar();
    void FormCreate();
    void connectButtons();

    void placeDesign(QWidget* w, int x, int y, int width, int height, int fontPoints = 0);
    void applySwitch(const sales::ControlSwitch& sw);

    void runCommand(const QString& name);
    void chooseTaxSystem(int code);
    void clickButton(QPushButton* button, void (TfmReg::*handler)());
    bool receiptKindCommand(int kind, const QString& caption);
    bool correctionOffered() const;
    void offerCorrectionItems();
    void applyTaxSystemLabel(int code);
    void placeUserLabel();
    // Controls whose text must show whole: their font shrinks to fit.
    QList<QWidget*> fittedControls() const;
    // The largest font up to the control's scaled design size at which its
    // text fits its width.
    void fitFont(QWidget* w);
    void showTotal(const QString& text);
    void showGridPopup(const QPoint& pos);
    void openKeypad();
    void applyGridLayout();

    std::unique_ptr<sales::RegisterMenu> register_;
    std::unique_ptr<PrintMessageWait> wait_;
    sales::ReceiptModel receipt_;
    // The receipt revision GoodsGrid shows.
    std::uint64_t gridRevision_ = 0;
    QList<QStringList> markedItems_;
    QList<QStringList> receiptLines_;
    QList<QStringList> portionChoices_;
    QHash<QString, Command> commands_;
    sales::RegMenus* menus_ = nullptr;  // owned by this window
    sales::ScreenFocus* focus_ = nullptr;  // owned by this window
    // Design geometry (800 by 600) and font size of every placed control.
    struct Design {
        QRect rect;
        int fontPoints = 0;
    };
    QHash<QWidget*, Design> design_;
    QWidget* central_ = nullptr;
    sales::LayoutFactors factors_;
    SchemaUpgrade schemaUpgrade_;
    JsonPoll jsonPoll_;
    JsonClosePorts jsonClosePorts_;
    ChoiceDialog operationChoice_;

    int tag_ = 0;
    // The menu check marks as the lock found them: a refused item shows
    // them again.
    QHash<QString, bool> lockedChecks_;
    bool builtinSession_ = false;
    bool quitOnClose_ = true;
    int paymentMethodFlag_ = 4;
    int taxSystemCode_ = -1;
    int documentType_ = 3;
    // The last poll of the JSON session got no answer: a run of failures
    // shows "Ошибка -1" once, not once a second.
    bool jsonPollFailing_ = false;
};

extern TfmReg* fmReg;
