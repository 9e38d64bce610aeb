#include "ProgramWindows.h"

#include "sales/closing/CloseReceipt.h"
#include "sales/input/ItemEntry.h"
#include "sales/input/KeyRouter.h"
#include "sales/screen/BuyerLogic.h"
#include "sales/screen/MainMenuCommands.h"
#include "sales/screen/PortionsLogic.h"
#include "sales/receipt/PositionEdits.h"
#include "sales/marking/uCountInputMarkGood.h"
#include "sales/closing/PrintSettle.h"
#include "sales/closing/uCheckInfo.h"
#include "sales/screen/Registration_Mode.h"
#include "sales/screen/uCountInput.h"
#include "sales/screen/uDiscountInput.h"
#include "stock/StockDocuments.h"
#include "catalogue/GoodsSettings.h"
#include "catalogue/Partners.h"
#include "sales/input/GoodsLookup.h"
#include "catalogue/Catalogue.h"
#include "catalogue/Groups.h"
#include "catalogue/uPriceTagPrepare.h"
#include "sales/input/NameSearchEntry.h"

#include "core/DataModule.h"
#include "exchange/ExchangeCommands.h"
#include "exchange/uGoodsLoadSettings.h"
#include "core/ScaleConnection.h"
#include "core/uConnectScale.h"
#include "core/uOptions.h"
#include "platform/serial/SerialPortLister.h"
#include "platform/sys/ProgramFolder.h"
#include "platform/ui/Guard.h"
#include "core/UsersRepository.h"
#include "core/uAuthor.h"
#include "core/uNumKeyboard.h"
#include "core/uNumLatKeyBoard.h"

#include <QApplication>
#include <QPointer>
#include <QLineEdit>
#include <QPushButton>

#include <vector>

namespace sales {

namespace {
std::vector<ProgramWindowsExtension>& extensions() {
    static std::vector<ProgramWindowsExtension> list;
    return list;
}
}  // namespace

void addProgramWindowsExtension(ProgramWindowsExtension extension) { extensions().push_back(std::move(extension)); }

void settlePrintsAtLogin(TfmReg& reg) {
    if (!core::DataModule1) return;
    const SettleResult r = settleAtLogin(sys::programFolder(), reg.KKTDriver(), &core::DataModule1->IBDatabase1());
    if (r.answer.connectionLost) showRegisterDisconnected(reg);
    const QString text = settleMessage(r);
    if (text.isEmpty()) return;
    if (settleNeedsAttention(r))
        ui::showWarning(text, &reg);
    else
        ui::showInfo(text, &reg);
}

void createProgramWindows() {
    auto* reg = new TfmReg;
    new ::TfmCountInput(*reg, reg);
    ::installMainMenuCommands(*reg);
    new ::TfmDiscountInput(*reg, reg);
    PositionEditsOptions edits;
    edits.markedQuantity = [](TfmReg& r, const MarkedQuantityRequest& request) { runCountInputMarkGood(r, request); };
    ::installPositionEdits(*reg, std::move(edits));
    SaleServices& services = installSaleCommands(*reg);
    // The receipt's buyer, chosen from the buyers' list or typed, and the
    // address of the electronic receipt, also from the payment window.
    installBuyerCommands(*reg, [](QWidget* caller) -> std::optional<PickedBuyer> {
        const auto p =
            catalogue::pickPartner(core::DataModule1->connectionParams(), catalogue::PartnerMode::Buyer, caller);
        if (!p) return std::nullopt;
        return PickedBuyer{p->nameFull, p->inn};
    });
    services.buyerContact = [reg](QWidget* parent, int kind) { openReceiptAddress(*reg, parent, kind); };
    installPortionCommands(*reg, []() -> fb::Connection* {
        return core::DataModule1 ? &core::DataModule1->IBDatabase1() : nullptr;
    });
    auto* scale = new ::ScaleConnection(reg);
    QObject::connect(scale, &::ScaleConnection::connectionChanged, reg, [reg](bool on) { reg->showScaleState(on); });
    reg->showScaleState(scale->isConnected());
    // Every key passes the router before the active window sees it.
    KeyRouter::install(qApp);
    ItemEntryOptions entry;
    entry.scale = scale;
    ItemEntryController* entryController = installItemEntry(*reg, entry);
    if (!core::fmNumKeyboard) new core::TfmNumKeyboard(reg);

    // Stock documents: the menu item's Tag is the document kind.
    for (const auto& [item, tag] : std::initializer_list<std::pair<const char*, int>>{
             {"MInventory", 1}, {"MGoodsReceipt", 2}, {"MGoodsOverPlus", 3}, {"MGoodsRid", 4}})
        reg->setCommand(QLatin1String(item), [reg, tag] { stock::openStockDocuments(reg, tag); });

    // The goods search by name: into the receipt, into stock documents.
    installNameSearch(*reg, entryController);

    // Counterparties: the directory from the menus, the picker for the
    // stock documents' supplier.
    for (const auto& [item, preset] : std::initializer_list<std::pair<const char*, catalogue::SuppliersPreset>>{
             {"MConractors", catalogue::SuppliersPreset::All},
             {"MSuppliers", catalogue::SuppliersPreset::Suppliers},
             {"MBuyers", catalogue::SuppliersPreset::Buyers}})
        reg->setCommand(QLatin1String(item), [reg, preset] {
            catalogue::openSuppliers(core::DataModule1->connectionParams(), core::DataModule1->IBDatabase1(), reg,
                                     preset);
        });
    stock::setSupplierPicker([](QWidget* caller) -> std::optional<stock::PickedSupplier> {
        const auto p =
            catalogue::pickPartner(core::DataModule1->connectionParams(), catalogue::PartnerMode::Supplier, caller);
        if (!p) return std::nullopt;
        return stock::PickedSupplier{p->id, p->nameFull};
    });

    // A saved list of weight prefixes is what the next scanned code is read against.
    catalogue::setWeightPrefixesSaved([] { weightPrefixesChanged(); });
    // The goods catalogue and the countries directory.
    reg->setCommand(QStringLiteral("MGoodsDB"), [reg] { catalogue::openGoodsCatalogue(reg); });
    // The catalogue opens over a receipt in progress: the goods it holds keep
    // their codes until it is closed.
    catalogue::setOpenReceiptGoods([screen = QPointer<TfmReg>(reg)](std::int64_t id) {
        return screen && sales::receiptNamesGoods(screen->receipt(), id);
    });
    // The catalogue's group windows and goods settings.
    catalogue::setGroupEditor([](QWidget* parent, const catalogue::GroupEditRequest& r) {
        catalogue::GroupEditInput input;
        input.mode = r.mode == 2 ? catalogue::GroupEditMode::Rename : catalogue::GroupEditMode::Create;
        input.idText = QString::number(r.id);
        input.parentId = r.parentId;
        input.parentName = r.parentName;
        input.name = r.name;
        return catalogue::editGroup(core::DataModule1->IBDatabase1(), parent, input);
    });
    catalogue::setGroupSettingsEditor([](QWidget* parent, std::int64_t id, const QString& name) {
        return catalogue::openGroupSettings(core::DataModule1->IBDatabase1(), parent, id, name);
    });
    catalogue::setOtherSettingsEditor(
        [](QWidget* parent) { catalogue::openGoodsOtherSettings(core::DataModule1->IBDatabase1(), parent); });
    catalogue::setGroupPicker(
        [](QWidget* caller) { return catalogue::pickGroup(core::DataModule1->IBDatabase1(), caller, 2); });
    reg->setCommand(QStringLiteral("N13"), [reg] { catalogue::openCountries(reg); });
    reg->setCommand(QStringLiteral("GoodsGridCountry"),
                    [reg] { ::pickPositionCountry(*reg, [](QWidget* parent) { return catalogue::pickCountryForReceipt(parent); }); });
    reg->setCommand(QStringLiteral("MPriceTagPrint"), [reg] {
        catalogue::openPriceTags(core::DataModule1->IBDatabase1(), sys::programFolder(), reg);
    });

    static serial::SystemSerialPortLister ports;
    reg->setCommand(QStringLiteral("MOptions"), [reg, scale] {
        QPointer<core::TfmOptions> w = new core::TfmOptions(core::DataModule1->IBDatabase1(), *scale, ports, reg);
        w->exec();
    });
    reg->setCommand(QStringLiteral("MScaleOn"), [reg, scale] {
        QPointer<core::TfmConnectScale> w =
            new core::TfmConnectScale(core::DataModule1->IBDatabase1(), *scale, ports, reg);
        w->exec();
    });

    // Goods files: the menu items' Tags are the stop flags of a running load.
    auto exchangeHost = [reg] {
        exchange::ExchangeHost host;
        host.mainScreen = reg;
        host.loadFlag = reg->action(QStringLiteral("MGoodsLoad"));
        host.csvFlag = reg->action(QStringLiteral("MLoadCSV"));
        host.database = []() -> fb::Connection& { return core::DataModule1->IBDatabase1(); };
        host.openReceiptGoods = [screen = QPointer<TfmReg>(reg)] {
            return screen ? sales::receiptGoods(screen->receipt()) : std::vector<std::int64_t>{};
        };
        host.programFolder = sys::programFolder();
        return host;
    };
    reg->setCommand(QStringLiteral("MGoodsLoad"), [exchangeHost] { exchange::loadGoodsExchangeFile(exchangeHost()); });
    reg->setCommand(QStringLiteral("MGoodsUnLoad"),
                    [exchangeHost] { exchange::unloadGoodsExchangeFile(exchangeHost()); });
    reg->setCommand(QStringLiteral("MLoadCSV"), [exchangeHost] { exchange::openCsvGoodsWindow(exchangeHost(), 1); });
    reg->setCommand(QStringLiteral("MUnloadCSV"), [exchangeHost] { exchange::openCsvGoodsWindow(exchangeHost(), 2); });

    for (const ProgramWindowsExtension& extend : extensions()) extend(*reg, services);

    if (core::TfmAuthor* login = core::fmAuthor) {
        QObject::connect(reg, &TfmReg::quitRequested, login, &core::TfmAuthor::quitRequested);
        QObject::connect(reg, &TfmReg::loggedOut, login, [login] {
            login->show();
            login->raise();
            login->activateWindow();
        });
        // A changed user list shows at the next login.
        QObject::connect(&core::usersEvents(), &core::UsersEvents::usersChanged, login,
                         [login] { login->CheckBox1Click(); });
        QObject::connect(login, &core::TfmAuthor::latinKeypadRequested, login, [login] {
            if (!core::fmNumLatKeyBoard)
                new core::TfmNumLatKeyBoard(login->passwordEdit(), login->okButton(), login);
            core::fmNumLatKeyBoard->show();
            core::fmNumLatKeyBoard->raise();
        });
        QObject::connect(login, &core::TfmAuthor::loggedIn, login, [reg] {
            if (core::fmNumLatKeyBoard) core::fmNumLatKeyBoard->close();
            // Before the cashier works, whatever the register printed and
            // the database does not hold yet is stored, and what it did not
            // print is dropped from the print journal.
            ui::guarded(reg, [reg] { settlePrintsAtLogin(*reg); });
        });
    }
}

}  // namespace sales
