// The main screen's keyboard: the input line's edit rules, the Latin copy of
// a scan typed in the Russian layout, the 100 ms end of a scan, and the keys
// that reach the screen's commands.
#include "core/DataModule.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "sales/input/ItemEntry.h"
#include "sales/input/KeyRouter.h"
#include "sales/screen/Registration_Mode.h"
#include "sales/input/ScanInput.h"
#include "support/FakeMessages.h"
#include "support/TypeText.h"
#include "support/UpgradedDbFixture.h"

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using sales::ReceiptModel;

namespace {

// ---- the line's rules, without a window ---------------------------------

QString typed(const QString& keys, bool rowActive = false) {
    QString line;
    for (const QChar k : keys) line = sales::applyInputKey(line, k, rowActive).line;
    return line;
}

TEST(InputLine, EditsFollowTheNumberRules) {
    struct Case {
        const char* keys;
        const char* line;
    };
    const Case cases[] = {
        {"05", "5"},        {"5,257", "5.25"},    {"5.2.5", "5.25"},  {",5", "0.5"},
        {"00", "0"},        {"0.05", "0.05"},     {"3*", "3 x"},      {"150*0.25", "150 x0.25"},
        {"150*0.2555", "150 x0.255"},             {"150*2*", "150 x2"}, {"0*", "0"},
        {"*", ""},          {"12a3", "123"},      {"4600000000017", "4600000000017"},
        {"2*,5", "2 x0.5"}, {"2*05", "2 x5"},
    };
    for (const Case& c : cases) EXPECT_EQ(typed(QString::fromLatin1(c.keys)), QString::fromLatin1(c.line)) << c.keys;
}

TEST(InputLine, StarAndTheQuantityPartEndPendingInput) {
    EXPECT_TRUE(sales::applyInputKey(QString(), QLatin1Char('4'), false).keepsPending);
    EXPECT_TRUE(sales::applyInputKey(QStringLiteral("46"), QLatin1Char('A'), false).keepsPending);
    EXPECT_FALSE(sales::applyInputKey(QStringLiteral("46"), QLatin1Char('*'), false).keepsPending);
    EXPECT_FALSE(sales::applyInputKey(QStringLiteral("46 x"), QLatin1Char('1'), false).keepsPending);
    EXPECT_TRUE(sales::applyInputKey(QString(), QLatin1Char('*'), true).openQuantity);
    EXPECT_FALSE(sales::applyInputKey(QString(), QLatin1Char('*'), false).openQuantity);
    EXPECT_FALSE(sales::applyInputKey(QStringLiteral("3"), QLatin1Char('*'), true).openQuantity);
    // Inside a scanner burst "*" still marks the quantity on the line, but
    // opens no window and keeps the scan going (marking codes carry "*").
    const sales::InputKeyEffect scanned = sales::applyInputKey(QStringLiteral("46"), QLatin1Char('*'), true, true);
    EXPECT_TRUE(scanned.keepsPending);
    EXPECT_FALSE(scanned.openQuantity);
    EXPECT_EQ(scanned.line, QStringLiteral("46 x"));
    EXPECT_TRUE(sales::applyInputKey(QString(), QLatin1Char('*'), true, true).line.isEmpty());
    EXPECT_FALSE(sales::applyInputKey(QString(), QLatin1Char('*'), true, true).openQuantity);
    EXPECT_TRUE(sales::applyInputKey(QString(), QLatin1Char('*'), true, true).keepsPending);
    EXPECT_EQ(sales::inputLineBackspace(QStringLiteral("150 x")), QStringLiteral("150"));
    EXPECT_EQ(sales::inputLineDelete(QStringLiteral("150 x2")), QStringLiteral("150"));
    EXPECT_EQ(sales::inputLineDelete(QStringLiteral("150")), QString());
}

TEST(KeyboardLayouts, LatinCopyAndShortcutsInBothLayouts) {
    using sales::LayoutEnglish;
    using sales::LayoutRussian;
    EXPECT_EQ(sales::latinCharFor(QChar(u'ф'), LayoutRussian), QLatin1Char('a'));
    EXPECT_EQ(sales::latinCharFor(QChar(u'Ж'), LayoutRussian), QLatin1Char(':'));
    EXPECT_EQ(sales::latinCharFor(QLatin1Char('.'), LayoutRussian), QLatin1Char('/'));
    EXPECT_EQ(sales::latinCharFor(QLatin1Char('7'), LayoutRussian), QLatin1Char('7'));
    EXPECT_EQ(sales::latinCharFor(QLatin1Char('.'), LayoutEnglish), QLatin1Char('.'));
    EXPECT_TRUE(sales::latinCharFor(QLatin1Char('a'), sales::LayoutOther).isNull());
    // GS (the group separator of GS1 codes) and "_" are the same in every layout.
    for (const int layout : {int(LayoutEnglish), int(LayoutRussian), int(sales::LayoutOther)}) {
        EXPECT_EQ(sales::latinCharFor(QChar(0x1D), layout), QChar(0x1D)) << layout;
        if (layout != sales::LayoutOther) {
            EXPECT_EQ(sales::latinCharFor(QLatin1Char('_'), layout), QLatin1Char('_'));
        }
    }
    EXPECT_EQ(sales::layoutFromCharacter(QChar(u'ы'), LayoutEnglish), LayoutRussian);
    EXPECT_EQ(sales::layoutFromCharacter(QLatin1Char('q'), LayoutRussian), LayoutEnglish);
    EXPECT_EQ(sales::layoutFromCharacter(QLatin1Char('5'), LayoutRussian), LayoutRussian);
    EXPECT_EQ(sales::latinShortcutKey(0x0426), Qt::Key_W);  // Ц
    EXPECT_EQ(sales::latinShortcutKey(0x0428), Qt::Key_I);  // Ш
    EXPECT_EQ(sales::latinShortcutKey(0x0412), Qt::Key_D);  // В
    EXPECT_EQ(sales::latinShortcutKey(Qt::Key_P), Qt::Key_P);
    EXPECT_EQ(sales::latinShortcutKey(Qt::Key_Return), Qt::Key_Return);
}

TEST(KeyboardLayouts, PhysicalKeysGiveTheUsLayoutCharacter) {
    struct Case {
        quint32 scanCode;
        bool shift;
        char16_t typed;
        char latin;  // 0: not on the table
    };
    const Case cases[] = {
        {10, false, u'1', '1'},  {19, false, u'0', '0'},  {17, true, u'*', '*'},  {61, false, u'.', '/'},
        {61, true, u',', '?'},   {59, false, u'б', ','},  {60, true, u'Ю', '>'},  {47, false, u'ж', ';'},
        {48, true, u'Э', '"'},   {34, false, u'х', '['},  {51, true, u'/', '|'},  {20, true, u'_', '_'},
        {38, false, u'ф', 'a'},  {38, true, u'Ф', 'A'},   {38, false, u'Ф', 'A'}, {54, true, u'с', 'c'},
        {58, false, u'm', 'm'},  {24, false, u'й', 'q'},  {63, false, u'*', '*'}, {65, false, u' ', ' '},
        {0, false, u'a', 0},     {22, false, u'x', 0},    {36, false, u'x', 0},   {200, false, u'x', 0},
    };
    for (const Case& c : cases) {
        const QChar got = sales::latinCharForScanCode(c.scanCode, c.shift, QChar(c.typed));
        if (c.latin == 0) EXPECT_TRUE(got.isNull()) << c.scanCode;
        else EXPECT_EQ(got, QLatin1Char(c.latin)) << c.scanCode << " shift " << c.shift;
    }
}

// ---- the main screen with item entry installed ------------------------------

class ScanInputScreen : public testsupport::UpgradedDbTest {
protected:
    void SetUp() override {
        UpgradedDbTest::SetUp();
        if (HasFatalFailure()) return;
        module = std::make_unique<core::TDataModule1>();
        core::DataModule1 = module.get();
        module->connectDatabase();
        screen = std::make_unique<TfmReg>(nullptr, [this]() -> std::unique_ptr<fiscal::IFiscalDriver> {
            return std::make_unique<fiscal::RegisterEmulator>(programFolder());
        });
        screen->setQuitOnClose(false);
        sales::ItemEntryOptions options;
        options.marking = [this](sales::EntryScreen&, const sales::MarkingRequest& r) {
            markingCodes << r.code;
            return sales::MarkingOutcome::NotHandled;
        };
        options.queryTaxRate = [](QWidget*) { return 0; };
        controller = sales::installItemEntry(*screen, options);
        for (const char* name : {"BitBtn2", "btnPosDiscount", "btnCloseCheck"})
            screen->setCommand(QString::fromLatin1(name), [this, name] { commands << QString::fromLatin1(name); });
    }

    void TearDown() override {
        screen.reset();
        sales::KeyRouter::uninstall();
        module.reset();
        core::DataModule1 = nullptr;
        UpgradedDbTest::TearDown();
    }

    void addGoods(int id, const QString& name, const QString& price, int markType, const QString& barcode) {
        fb::Transaction tr(db());
        fb::execute(tr,
                    QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_NALOG, "
                                   "GOOD_ISGOOD, GOOD_COUNTRY_CODE, GOOD_MARKTYPE, GOOD_EDIZM, GOOD_EDIZM_FFD) "
                                   "VALUES (?, ?, ?, 'нет', 'Т', '6', 1, '643', ?, 'шт', 0)"),
                    {std::int64_t{id}, name, price, std::int64_t{markType}});
        fb::execute(tr, QStringLiteral("INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE) VALUES (?, ?)"),
                    {std::int64_t{id}, barcode});
        tr.commit();
    }

    // Keys as a keyboard or scanner sends them to the focused screen.
    void type(const QString& text) { testsupport::typeText(screen.get(), text); }
    // Keys typed by hand: each one comes after the end-of-scan timer expired.
    void typeByHand(const QString& text) {
        for (const QChar c : text) {
            testsupport::typeText(screen.get(), QString(c));
            if (screen->Timer2->isActive()) controller->input().Timer2Timer();
        }
    }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier, QWidget* to = nullptr) {
        QTest::keyClick(to ? to : screen.get(), Qt::Key(k), m);
    }
    QString line() const { return screen->lblVvod->text(); }
    QString rowText(int row, int column) const {
        const QTableWidgetItem* item = screen->GoodsGrid->item(row - 1, column);
        return item ? item->text() : QString();
    }

    testsupport::FakeMessages messages;
    std::unique_ptr<core::TDataModule1> module;
    std::unique_ptr<TfmReg> screen;
    sales::ItemEntryController* controller = nullptr;
    QStringList markingCodes;
    QStringList commands;
};

TEST_F(ScanInputScreen, ScannerBurstEndedByEnterAddsTheGoods) {
    addGoods(1, QStringLiteral("Хлеб"), QStringLiteral("30.00"), 0, QStringLiteral("4600000000017"));
    type(QStringLiteral("4600000000017"));
    EXPECT_TRUE(controller->input().scanPending());
    key(Qt::Key_Return);
    EXPECT_FALSE(controller->input().scanPending());
    EXPECT_EQ(rowText(1, ReceiptModel::ColName), QStringLiteral("Хлеб"));
    EXPECT_EQ(screen->lblChekItogo->text(), QStringLiteral("30.00 "));
    EXPECT_TRUE(line().isEmpty());
    EXPECT_TRUE(screen->lblVvodBeginEng->text().isEmpty());
    type(QStringLiteral("4600000000017"));
    key(Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(rowText(1, ReceiptModel::ColQty), QStringLiteral("2"));
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(ScanInputScreen, ScanTypedInTheRussianLayoutReachesTheHandlerInLatinEvenEndingInALetter) {
    addGoods(5, QStringLiteral("Туфли"), QStringLiteral("3000.00"), 5, QStringLiteral("4600000000017"));
    // The serial "AbC" comes from the keys that type "ФиС" in the Russian layout.
    type(QStringLiteral("010460000000001721ФиС"));
    EXPECT_TRUE(controller->input().scanPending());
    EXPECT_EQ(controller->input().layout(), sales::LayoutRussian);
    EXPECT_EQ(screen->lblVvodBegin->text(), QStringLiteral("010460000000001721ФиС"));
    key(Qt::Key_Return);
    EXPECT_EQ(markingCodes, QStringList{"010460000000001721AbC"});

    // The same code typed in the Latin layout.
    type(QStringLiteral("010460000000001721AbC"));
    key(Qt::Key_Return);
    EXPECT_EQ(markingCodes, (QStringList{"010460000000001721AbC", "010460000000001721AbC"}));

    // Punctuation moves with the layout the desktop reports.
    controller->input().setLayoutProvider([] { return int(sales::LayoutRussian); });
    type(QStringLiteral("0104600000000017215."));
    EXPECT_EQ(screen->lblVvodBeginEng->text(), QStringLiteral("0104600000000017215/"));
    key(Qt::Key_Return);
    EXPECT_EQ(markingCodes.last(), QStringLiteral("0104600000000017215/"));
}

TEST_F(ScanInputScreen, StarInsideAScannedMarkingCodeIsACharacterOfTheCode) {
    addGoods(7, QStringLiteral("Сигареты"), QStringLiteral("150.00"), 4, QStringLiteral("4606203084326"));
    const QString pack = QStringLiteral("04606203084326AB*c1dEab*Cxyz1");
    type(pack);
    EXPECT_TRUE(controller->input().scanPending());
    EXPECT_EQ(screen->lblVvodBeginEng->text(), pack);
    key(Qt::Key_Return);
    EXPECT_EQ(markingCodes, QStringList{pack});
    EXPECT_TRUE(commands.isEmpty());
    EXPECT_TRUE(line().isEmpty());

    // The next scan is not swallowed by a quantity mode.
    const QString next = QStringLiteral("04606203084326CD*e2fGhi*Jklm2");
    type(next);
    key(Qt::Key_Return);
    EXPECT_EQ(markingCodes, (QStringList{pack, next}));

    // The same key typed by hand still marks the quantity.
    typeByHand(QStringLiteral("3*"));
    EXPECT_EQ(line(), QStringLiteral("3 x"));
    EXPECT_FALSE(controller->input().scanPending());
}

TEST_F(ScanInputScreen, UnderscoreAndGroupSeparatorInsideAScanReachBothCopies) {
    addGoods(5, QStringLiteral("Туфли"), QStringLiteral("3000.00"), 5, QStringLiteral("4600000000017"));
    const QString gs(QChar(0x1D));
    struct Case {
        int layout;
        QString typed;  // as the keys type it in that layout
        QString latin;  // what the barcode handler must get
        bool marking;   // the handler takes it for a marking code
    };
    const Case cases[] = {
        {sales::LayoutEnglish, QStringLiteral("0104600000000017215a_b_C") + gs + QStringLiteral("93Ab_1"),
         QStringLiteral("0104600000000017215a_b_C") + gs + QStringLiteral("93Ab_1"), true},
        {sales::LayoutRussian, QStringLiteral("0104600000000017215ф_и_С") + gs + QStringLiteral("93Фи_1"),
         QStringLiteral("0104600000000017215a_b_C") + gs + QStringLiteral("93Ab_1"), true},
        // A code that starts with GS (FNC1 sent as GS) reaches the handler
        // as it came, which finds no goods for it.
        {sales::LayoutEnglish, gs + QStringLiteral("0104600000000017215xy_z"),
         gs + QStringLiteral("0104600000000017215xy_z"), false},
    };
    for (const Case& c : cases) {
        const int layout = c.layout;
        controller->input().setLayoutProvider([layout] { return layout; });
        markingCodes.clear();
        messages.clear();
        type(c.typed);
        EXPECT_TRUE(controller->input().scanPending()) << c.layout;
        EXPECT_EQ(screen->lblVvodBegin->text(), c.typed) << c.layout;
        EXPECT_EQ(screen->lblVvodBeginEng->text(), c.latin) << c.layout;
        key(Qt::Key_Return);
        if (c.marking) {
            EXPECT_EQ(markingCodes, QStringList{c.latin}) << c.layout;
            EXPECT_TRUE(messages.boxes.empty());
        } else {
            EXPECT_TRUE(markingCodes.isEmpty());
            EXPECT_EQ(messages.last(), sales::notFoundByBarcodeText(c.latin));
        }
    }
    // Shift+minus inside a scan is a character, not the line discount.
    EXPECT_TRUE(commands.isEmpty());
}

TEST_F(ScanInputScreen, GroupSeparatorFromTheRussianLayoutAndShiftMinusOutsideAScan) {
    addGoods(5, QStringLiteral("Туфли"), QStringLiteral("3000.00"), 5, QStringLiteral("4600000000017"));
    controller->input().setLayoutProvider([] { return int(sales::LayoutRussian); });
    // Ctrl with the "]" key reports the Cyrillic letter on it and no text.
    type(QStringLiteral("0104600000000017215фи"));
    QTest::sendKeyEvent(QTest::Press, screen.get(), Qt::Key(0x042A), QString(), Qt::ControlModifier);
    QTest::sendKeyEvent(QTest::Release, screen.get(), Qt::Key(0x042A), QString(), Qt::ControlModifier);
    type(QStringLiteral("93"));
    const QString expected = QStringLiteral("0104600000000017215ab") + QChar(0x1D) + QStringLiteral("93");
    EXPECT_EQ(screen->lblVvodBeginEng->text(), expected);
    key(Qt::Key_Return);
    EXPECT_EQ(markingCodes, QStringList{expected});
    // With nothing pending Shift+minus gives the line discount and types nothing.
    testsupport::typeKey(screen.get(), testsupport::keyStrokeFor(QLatin1Char('_')));
    EXPECT_EQ(commands, QStringList{"btnPosDiscount"});
    EXPECT_TRUE(screen->lblVvodBegin->text().isEmpty());
    EXPECT_FALSE(controller->input().scanPending());
}

TEST_F(ScanInputScreen, PriceAndQuantityTypedAtScannerSpeedMakeAFreePriceOfThatQuantity) {
    type(QStringLiteral("150*2"));
    EXPECT_EQ(line(), QStringLiteral("150 x2"));
    key(Qt::Key_W, Qt::ControlModifier);
    ASSERT_EQ(screen->receipt().dataRowCount(), 1);
    EXPECT_EQ(rowText(1, ReceiptModel::ColPrice), QStringLiteral("150.00"));
    EXPECT_EQ(rowText(1, ReceiptModel::ColQty), QStringLiteral("2"));
    EXPECT_EQ(rowText(1, ReceiptModel::ColSum), QStringLiteral("300.00"));
    EXPECT_EQ(screen->lblChekItogo->text(), QStringLiteral("300.00 "));
    // The same with a fractional quantity, and a "*" inside a burst on an
    // empty line opens no quantity window even with an active row.
    type(QStringLiteral("12.5*0.25"));
    EXPECT_EQ(line(), QStringLiteral("12.5 x0.25"));
    screen->clearInputLine();
    type(QStringLiteral("A*"));
    EXPECT_TRUE(line().isEmpty());
    EXPECT_TRUE(commands.isEmpty());
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(ScanInputScreen, CtrlNOpensTheNameOfTheCurrentFreePriceRow) {
    for (const char* name : {"PMChangeName", "BitBtn1"})
        screen->setCommand(QString::fromLatin1(name), [this, name] { commands << QString::fromLatin1(name); });
    typeByHand(QStringLiteral("99"));
    key(Qt::Key_W, Qt::ControlModifier);
    ASSERT_EQ(screen->currentReceiptRow(), 1);
    // Whatever column the grid's cursor is in.
    for (const int column : {int(ReceiptModel::ColPrice), int(ReceiptModel::ColQty), 0}) {
        commands.clear();
        screen->GoodsGrid->setCurrentCell(0, column);
        key(Qt::Key_N, Qt::ControlModifier);
        EXPECT_EQ(commands, QStringList{"PMChangeName"}) << column;
    }
    // Ctrl+Т, the same key in the Russian layout.
    commands.clear();
    QTest::sendKeyEvent(QTest::Press, screen.get(), Qt::Key(0x0422), QString(), Qt::ControlModifier);
    EXPECT_EQ(commands, QStringList{"PMChangeName"});
}

TEST_F(ScanInputScreen, KeysQueuedBehindAScanAreDiscarded) {
    addGoods(1, QStringLiteral("Хлеб"), QStringLiteral("30.00"), 0, QStringLiteral("4600000000017"));
    type(QStringLiteral("4600000000017"));
    // What the scanner sent after its Enter is still in the queue when the
    // barcode handler starts.
    for (const QChar c : QStringLiteral("46000")) {
        const testsupport::KeyStroke k = testsupport::keyStrokeFor(c);
        QCoreApplication::postEvent(screen.get(), new QKeyEvent(QEvent::KeyPress, k.key, k.modifiers, k.text));
        QCoreApplication::postEvent(screen.get(), new QKeyEvent(QEvent::KeyRelease, k.key, k.modifiers, k.text));
    }
    key(Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(rowText(1, ReceiptModel::ColName), QStringLiteral("Хлеб"));
    EXPECT_TRUE(line().isEmpty());
    EXPECT_TRUE(screen->lblVvodBegin->text().isEmpty());
    EXPECT_FALSE(controller->input().scanPending());
    // Keys typed afterwards are taken as ever.
    type(QStringLiteral("46"));
    EXPECT_EQ(line(), QStringLiteral("46"));
}

TEST_F(ScanInputScreen, KeyEventsWithScanCodesBuildTheLatinCopyFromThePhysicalKeys) {
    // Typed in the Russian layout while the last letter seen was Latin: the
    // point before the first letter sits on the US "/" key.
    addGoods(5, QStringLiteral("Туфли"), QStringLiteral("3000.00"), 5, QStringLiteral("4600000000017"));
    controller->input().setLayoutProvider(nullptr);
    struct Key {
        char16_t text;
        quint32 scanCode;
        bool shift;
    };
    std::vector<Key> keys;
    const char* digits = "0104600000000017215";
    for (const char* d = digits; *d; ++d) keys.push_back({char16_t(*d), quint32(*d == '0' ? 19 : 9 + (*d - '0')), false});
    keys.push_back({u'.', 61, false});
    keys.push_back({u'Ф', 38, true});
    keys.push_back({u'и', 56, false});
    keys.push_back({u'С', 54, true});
    QString typedText;
    for (const Key& k : keys) {
        const Qt::KeyboardModifiers m = k.shift ? Qt::ShiftModifier : Qt::NoModifier;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, m, k.scanCode, 0, 0, QString(QChar(k.text)));
        QCoreApplication::sendEvent(screen.get(), &press);
        typedText += QChar(k.text);
    }
    EXPECT_EQ(screen->lblVvodBegin->text(), typedText);
    EXPECT_EQ(screen->lblVvodBeginEng->text(), QStringLiteral("0104600000000017215/AbC"));
    key(Qt::Key_Return);
    EXPECT_EQ(markingCodes, QStringList{"0104600000000017215/AbC"});
}

TEST_F(ScanInputScreen, EnterAfterAPauseDoesNotStartTheBarcodeHandler) {
    addGoods(1, QStringLiteral("Хлеб"), QStringLiteral("30.00"), 0, QStringLiteral("4600000000017"));
    type(QStringLiteral("4600000000017"));
    QTest::qWait(250);
    EXPECT_FALSE(controller->input().scanPending());
    EXPECT_TRUE(screen->lblVvodBeginEng->text().isEmpty());
    key(Qt::Key_Return);
    EXPECT_TRUE(screen->receipt().isEmpty());
    EXPECT_EQ(line(), QStringLiteral("4600000000017"));
    // The "ШК" button takes the visible line.
    screen->btnBarcode->click();
    EXPECT_EQ(rowText(1, ReceiptModel::ColName), QStringLiteral("Хлеб"));
    EXPECT_TRUE(line().isEmpty());
}

TEST_F(ScanInputScreen, VisibleLineAndItsEditingKeys) {
    type(QStringLiteral("5,257"));
    EXPECT_EQ(line(), QStringLiteral("5.25"));
    key(Qt::Key_Delete);
    EXPECT_TRUE(line().isEmpty());
    typeByHand(QStringLiteral("150*2"));
    EXPECT_EQ(line(), QStringLiteral("150 x2"));
    EXPECT_FALSE(controller->input().scanPending());
    key(Qt::Key_Backspace);
    EXPECT_EQ(line(), QStringLiteral("150 x"));
    key(Qt::Key_Delete);
    EXPECT_EQ(line(), QStringLiteral("150"));
}

TEST_F(ScanInputScreen, FreePriceFromTheKeyboardInTheRussianLayout) {
    typeByHand(QStringLiteral("150*2"));
    // Ctrl+Ц, as the Russian layout reports it.
    QTest::sendKeyEvent(QTest::Press, screen.get(), Qt::Key(0x0426), QString(), Qt::ControlModifier);
    QTest::sendKeyEvent(QTest::Release, screen.get(), Qt::Key(0x0426), QString(), Qt::ControlModifier);
    EXPECT_EQ(rowText(1, ReceiptModel::ColPrice), QStringLiteral("150.00"));
    EXPECT_EQ(rowText(1, ReceiptModel::ColQty), QStringLiteral("2"));
    EXPECT_EQ(rowText(1, ReceiptModel::ColSum), QStringLiteral("300.00"));
    EXPECT_EQ(screen->lblChekItogo->text(), QStringLiteral("300.00 "));
    EXPECT_TRUE(line().isEmpty());
    type(QStringLiteral("0"));
    key(Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(screen->receipt().dataRowCount(), 1);
}

TEST_F(ScanInputScreen, StarOnAnEmptyLineAsksTheQuantityOfAnActiveRow) {
    typeByHand(QStringLiteral("*"));
    EXPECT_TRUE(commands.isEmpty());  // no active row yet
    typeByHand(QStringLiteral("99"));
    key(Qt::Key_W, Qt::ControlModifier);
    typeByHand(QStringLiteral("*"));
    EXPECT_EQ(commands, QStringList{"BitBtn2"});
    key(Qt::Key_8, Qt::ControlModifier);
    EXPECT_EQ(commands, (QStringList{"BitBtn2", "BitBtn2"}));
}

TEST_F(ScanInputScreen, EnterAndSpaceNeverPressTheFocusedButton) {
    QPushButton* button = screen->btnPosDiscount;
    ASSERT_TRUE(button->isEnabled());
    button->setFocus();
    for (const Qt::KeyboardModifiers m :
         {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::ControlModifier),
          Qt::KeyboardModifiers(Qt::AltModifier), Qt::KeyboardModifiers(Qt::ShiftModifier),
          Qt::KeyboardModifiers(Qt::ControlModifier | Qt::AltModifier)}) {
        key(Qt::Key_Space, m, button);
        if (m != Qt::ControlModifier) {
            key(Qt::Key_Return, m, button);
            key(Qt::Key_Enter, m | Qt::KeypadModifier, button);
        }
    }
    EXPECT_TRUE(commands.isEmpty());
    type(QStringLiteral("46"));
    key(Qt::Key_Return, Qt::NoModifier, button);  // a short scan: nothing, and still no click
    EXPECT_TRUE(commands.isEmpty());
    button->click();
    EXPECT_EQ(commands, QStringList{"btnPosDiscount"});
    key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(commands, (QStringList{"btnPosDiscount", "btnCloseCheck"}));
}

TEST_F(ScanInputScreen, CashierCardMidReceiptAndWhileLocked) {
    addGoods(1, QStringLiteral("Хлеб"), QStringLiteral("30.00"), 0, QStringLiteral("4600000000017"));
    exec(QStringLiteral("INSERT INTO USERS (USER_ID, USER_FIO, USER_INN, USER_POST, USER_PASSWORD, USER_BARCODE, "
                        "USER_RIGHTS) VALUES (9, 'Орлова А.А.', '123', 'Старший кассир', '1', '990011', 'кассир')"));
    type(QStringLiteral("4600000000017"));
    key(Qt::Key_Return);
    type(QStringLiteral("990011"));
    key(Qt::Key_Return);
    EXPECT_EQ(screen->lblUser->text(), QStringLiteral("Орлова А.А."));
    EXPECT_EQ(screen->Label4->text(), QStringLiteral("  Старший кассир : "));
    EXPECT_EQ(screen->userId(), 9);
    EXPECT_TRUE(screen->lblINN->text().isEmpty());  // not a valid personal tax number
    EXPECT_FALSE(screen->userIsAdmin());
    EXPECT_EQ(rowText(1, ReceiptModel::ColQty), QStringLiteral("1"));
    EXPECT_TRUE(messages.boxes.empty());

    key(Qt::Key_Pause);
    ASSERT_TRUE(screen->isWorkplaceLocked());
    type(QStringLiteral("150"));
    key(Qt::Key_W, Qt::ControlModifier);  // nothing but a card while locked
    EXPECT_EQ(screen->receipt().dataRowCount(), 1);
    screen->clearInputLine();
    type(QStringLiteral("990011"));
    key(Qt::Key_Return);
    EXPECT_FALSE(screen->isWorkplaceLocked());
    EXPECT_EQ(rowText(1, ReceiptModel::ColQty), QStringLiteral("1"));
}

TEST_F(ScanInputScreen, ArrowsMoveTheCurrentReceiptRow) {
    for (const char* price : {"10", "20", "30"}) {
        type(QString::fromLatin1(price));
        key(Qt::Key_W, Qt::ControlModifier);
    }
    ASSERT_EQ(screen->currentReceiptRow(), 3);
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    EXPECT_EQ(screen->currentReceiptRow(), 1);
    key(Qt::Key_Down);
    EXPECT_EQ(screen->currentReceiptRow(), 2);
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    EXPECT_EQ(screen->currentReceiptRow(), 3);
}

}  // namespace

namespace {

TEST_F(ScanInputScreen, NewAndChangedPositionsAreCurrentAndInView) {
    addGoods(1, QStringLiteral("Хлеб"), QStringLiteral("30.00"), 0, QStringLiteral("4600000000017"));
    screen->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(screen.get()));
    // The row is the current one, the only one highlighted, and shown whole.
    const auto shown = [this](int row) {
        QTableWidget* grid = screen->GoodsGrid;
        const QModelIndex current = grid->currentIndex();
        const QModelIndexList selected = grid->selectionModel()->selectedRows();
        return current.row() == row - 1 && !grid->isColumnHidden(current.column()) && selected.size() == 1 &&
               selected.front().row() == row - 1 && grid->viewport()->rect().contains(grid->visualRect(current));
    };
    type(QStringLiteral("4600000000017"));
    key(Qt::Key_Return);
    EXPECT_TRUE(shown(1));
    for (int n = 2; n <= 30; ++n) {
        type(QString::number(n));
        key(Qt::Key_W, Qt::ControlModifier);
        ASSERT_EQ(screen->receipt().dataRowCount(), n);
        EXPECT_TRUE(shown(n)) << n;
    }
    // The first goods again: its row, scrolled away long ago, is the one shown.
    type(QStringLiteral("4600000000017"));
    key(Qt::Key_Return);
    ASSERT_EQ(rowText(1, ReceiptModel::ColQty), QStringLiteral("2"));
    EXPECT_TRUE(shown(1));
}

}  // namespace
