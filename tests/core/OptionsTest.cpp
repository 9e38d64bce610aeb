// The settings window: what it reads from both stores, how it hands them
// back, and the checks that keep a save from going through half-done.
#include "support/FakeMessages.h"
#include "support/TypeText.h"
#include "support/UpgradedDbFixture.h"

#include "core/OptionsModel.h"
#include "core/ScaleConnection.h"
#include "core/Settings.h"
#include "core/SettingsFile.h"
#include "core/uOptions.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/serial/Clock.h"
#include "platform/serial/FakeSerialPort.h"
#include "platform/serial/SerialPortLister.h"

#include "ScaleFrames.h"
#include "SettingsTestSupport.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace core;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

const QString kPercentRange =
    u("Недопустимое значение процентной скидки.   \r\n\r\n"
      "Допустимое значение: целое положительное число от 1 до 25.      ");
const QString kPercentFormat =
    u("Некорректный формат значения процентной скидки.   \r\n\r\n"
      "Допустимый формат: целое положительное число от 1 до 25.     ");
const QString kRoublesRange =
    u("Недопустимое значение суммовой скидки.    \r\n\r\n"
      " Допустимое значение: положительное число.   ");
const QString kRoublesFormat =
    u("Некорректный формат значения суммовой скидки.    \r\n\r\n"
      " Допустимый формат: положительное число.   ");

// ---------------------------------------------------------------- rules

TEST(OptionsFileValues, EachKeyByItsOwnRule) {
    struct Case {
        const char* what;
        QStringList lines;
        OptionsFileValues expected;
    };
    const auto with = [](auto change) {
        OptionsFileValues v;
        change(v);
        return v;
    };
    const QString d = QString(kOptionDelim);
    const std::vector<Case> cases = {
        {"missing file", {}, {}},
        {"single blank after the key still reads",
         {u("[MaxDiscount] 12,5"), u("[Email] shop@x.ru")},
         with([](auto& v) {
             v.maxDiscount = u("12.5");
             v.email = u("shop@x.ru");
         })},
        {"out-of-range discount is shown for the save to refuse",
         {u("[MaxDiscount]  150")},
         with([](auto& v) { v.maxDiscount = u("150"); })},
        {"max sum: a number >= 0 only",
         {u("[MaxSumPos]  1000,5")},
         with([](auto& v) { v.maxSumPos = u("1000.5"); })},
        {"negative max sum", {u("[MaxSumPos]  -5")}, {}},
        {"receipt kind ignoring case",
         {u("[OperDefault]  возврат ПРИХОДА")},
         with([](auto& v) { v.operDefaultIndex = 2; })},
        {"unknown receipt kind", {u("[OperDefault]  Продажа")}, {}},
        {"payment 2", {u("[PayTypeDefault]  2")}, with([](auto& v) { v.payTypeIndex = 2; })},
        {"payment 7", {u("[PayTypeDefault]  7")}, {}},
        {"payment x", {u("[PayTypeDefault]  x")}, {}},
        {"tobacco rule 0", {u("[TobaccoPriceRule]  0")}, with([](auto& v) { v.tobaccoRule = 0; })},
        {"tobacco percent",
         {u("[TobaccoPriceRule]  2") + d + u("10")},
         with([](auto& v) {
             v.tobaccoRule = 2;
             v.tobaccoPercent = u("10");
         })},
        {"tobacco roubles",
         {u("[TobaccoPriceRule]  3") + d + u("12.5")},
         with([](auto& v) {
             v.tobaccoRule = 3;
             v.tobaccoRoubles = u("12.5");
         })},
        {"rule 3 without amount", {u("[TobaccoPriceRule]  3")}, with([](auto& v) { v.tobaccoRule = 3; })},
        {"unknown rule", {u("[TobaccoPriceRule]  7") + d + u("1")}, {}},
        {"leading blank matches nothing", {u(" [Email]  a@b.ru"), u(" [PayTypeDefault]  1")}, {}},
    };
    for (const Case& c : cases) {
        const OptionsFileValues v = readOptionsFileValues(c.lines);
        EXPECT_EQ(v.email, c.expected.email) << c.what;
        EXPECT_EQ(v.maxDiscount, c.expected.maxDiscount) << c.what;
        EXPECT_EQ(v.maxSumPos, c.expected.maxSumPos) << c.what;
        EXPECT_EQ(v.operDefaultIndex, c.expected.operDefaultIndex) << c.what;
        EXPECT_EQ(v.payTypeIndex, c.expected.payTypeIndex) << c.what;
        EXPECT_EQ(v.tobaccoRule, c.expected.tobaccoRule) << c.what;
        EXPECT_EQ(v.tobaccoPercent, c.expected.tobaccoPercent) << c.what;
        EXPECT_EQ(v.tobaccoRoubles, c.expected.tobaccoRoubles) << c.what;
    }
}

TEST(OptionsTableValues, TaxSystemAndScaleFields) {
    const std::vector<std::pair<const char*, int>> tax = {{"", -1}, {"0", -1}, {"2", 0},  {"4", 1},
                                                          {"32", 2}, {"1", 3}, {"16", 4}, {"8", -1}, {"x", -1}};
    for (const auto& [stored, index] : tax) EXPECT_EQ(taxSystemIndexFor(u(stored)), index) << stored;

    const std::vector<std::tuple<const char*, int, int>> timeouts = {
        {"300", 25, 25}, {"10", 25, 25}, {"300", 40, 40}, {"25", 40, 25}, {"255", 25, 255},
        {"100", 25, 100}, {"", 25, 25}, {"abc", 25, 25}, {" 60 ", 25, 60}};
    for (const auto& [stored, position, expected] : timeouts)
        EXPECT_EQ(scaleTimeoutPosition(u(stored), position), expected) << stored;

    struct Case {
        ScaleParams params;
        int protocolIndex;
        int baudIndex;
        int timeout;
    };
    const std::vector<Case> cases = {{{2, "ttyUSB0", "9600", "50"}, 0, 1, 50},
                                     {{0, "", "", ""}, 1, -1, 25},
                                     {{5, "ttyS0", "1234", "300"}, -1, -1, 25},
                                     {{2, "/dev/ttyACM0", "115200", "255"}, 0, 6, 255}};
    for (const Case& c : cases) {
        const ScaleFields f = scaleFieldsFor(c.params);
        EXPECT_EQ(f.protocolIndex, c.protocolIndex) << c.params.port.toStdString();
        EXPECT_EQ(f.port, c.params.port);
        EXPECT_EQ(f.baudIndex, c.baudIndex) << c.params.baudRate.toStdString();
        EXPECT_EQ(f.timeout, c.timeout) << c.params.timeout.toStdString();
    }
    EXPECT_EQ(scaleProtocolCode(0), 2);
    EXPECT_EQ(scaleProtocolCode(1), 0);
    EXPECT_EQ(scaleProtocolCode(-1), 0);
}

TEST(OptionsUnits, AddSelectsExistingCodeAndDeleteSelectsThePreviousRow) {
    const QList<CodeItem> three{{u("шт"), 0}, {u("кг"), 11}, {u("л"), 41}};

    const UnitListChange again = addUnitToList(three, {u("кг"), 11});
    EXPECT_EQ(again.units, three);
    EXPECT_EQ(again.current, 1);
    const UnitListChange added = addUnitToList(three, {u("м"), 22});
    EXPECT_EQ(added.units, (QList<CodeItem>{{u("шт"), 0}, {u("кг"), 11}, {u("л"), 41}, {u("м"), 22}}));
    EXPECT_EQ(added.current, 3);
    EXPECT_EQ(addUnitToList({}, {u("шт"), 0}).current, 0);

    struct Case {
        int row;
        QList<CodeItem> units;
        int current;
    };
    const std::vector<Case> deletes = {{0, {{u("кг"), 11}, {u("л"), 41}}, 0},
                                       {1, {{u("шт"), 0}, {u("л"), 41}}, 0},
                                       {2, {{u("шт"), 0}, {u("кг"), 11}}, 1},
                                       {3, three, 2},
                                       {-1, three, 2}};
    for (const Case& c : deletes) {
        const UnitListChange change = deleteUnitFromList(three, c.row, 2);
        EXPECT_EQ(change.units, c.units) << c.row;
        EXPECT_EQ(change.current, c.current) << c.row;
    }
    const UnitListChange last = deleteUnitFromList({{u("шт"), 0}}, 0, 0);
    EXPECT_TRUE(last.units.isEmpty());
    EXPECT_EQ(last.current, -1);
}

TEST(OptionsMaxDiscount, StoredOnlyWhenEmptyOrFromZeroToBelowHundred) {
    for (const char* ok : {"", "  ", "0", "25", "12.5", "12,5", "99.99"})
        EXPECT_TRUE(checkMaxDiscount(u(ok)).isEmpty()) << ok;
    for (const char* refused : {"100", "150", "-1", "abc", "1e1", "12.5.1", "inf"})
        EXPECT_FALSE(checkMaxDiscount(u(refused)).isEmpty()) << refused;
}

// --------------------------------------------------------------- window

using coretest::ScaleRig;

class OptionsWindow : public testsupport::UpgradedDbTest {
protected:
    void TearDown() override {
        delete window.data();
        UpgradedDbTest::TearDown();
    }

    void open() {
        delete window.data();
        window = new TfmOptions(db(), *rig.scale, ports);
        window->show();
    }
    template <class T>
    T* find(const char* name) {
        return coretest::findNamed<T>(window, name);
    }
    QLineEdit* edit(const char* name) { return find<QLineEdit>(name); }
    QComboBox* combo(const char* name) { return find<QComboBox>(name); }
    QListWidget* list(const char* name) { return find<QListWidget>(name); }
    // Brings the button's page forward and clicks it as a person would.
    void press(const char* name) {
        QPushButton* b = find<QPushButton>(name);
        auto* pages = find<QTabWidget>("PageControl1");
        for (int i = 0; i < pages->count(); ++i)
            if (pages->widget(i)->isAncestorOf(b)) pages->setCurrentIndex(i);
        QTest::mouseClick(b, Qt::LeftButton);
    }

    void store(const SettingsInput& input) {
        const SettingsSaveResult r = saveSettings(input, programFolder(), db());
        ASSERT_TRUE(r.ok) << r.message.toStdString();
    }
    QByteArray fileBytes() { return coretest::optionsFileBytes(programFolder()); }
    QList<OptionRow> optionRows() { return coretest::readOptionRows(db()); }
    QString option(const char* name) { return ReadDbOption(db(), u(name)); }
    // The units table with each row's order number.
    QList<std::pair<int, CodeItem>> unitRows() {
        fb::Transaction tr(db());
        QList<std::pair<int, CodeItem>> rows;
        for (const fb::Row& r : fb::query(tr, u("SELECT * FROM QUANTITYMEASURESUSED ORDER BY QMU_ORDERNUMBER")))
            rows.append({static_cast<int>(r.integer(u("QMU_ORDERNUMBER"))),
                         {r.str(u("QMU_PRINTVALUE")), static_cast<int>(r.integer(u("QMU_FFDVALUE")))}});
        tr.commit();
        return rows;
    }

    static SettingsInput everyKey() { return coretest::everySettingsKey(u("Патент"), 1, u("7.25")); }

    testsupport::FakeMessages messages;
    serial::FakeSerialPortLister ports{{u("ttyUSB0"), u("ttyS0")}};
    ScaleRig rig;
    QPointer<TfmOptions> window;
};

TEST_F(OptionsWindow, OkWithoutChangesKeepsEveryKeyOfBothStores) {
    SettingsInput sparse;
    sparse.taxSystemText = u("ЕСХН");
    sparse.tobaccoRule = 2;
    sparse.tobaccoPercent = u("10");
    sparse.scaleProtocol = 0;
    sparse.scaleTimeout = u("25");

    for (const SettingsInput& stored : {everyKey(), sparse}) {
        store(stored);
        const QByteArray file = fileBytes();
        const QList<OptionRow> rows = optionRows();
        const auto units = unitRows();
        ASSERT_FALSE(option("TaxSystem").isEmpty());

        open();
        EXPECT_EQ(combo("cmbTaxSystem")->currentText(), stored.taxSystemText);
        QTest::mouseClick(find<QPushButton>("Button1"), Qt::LeftButton);
        EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
        EXPECT_EQ(window->result(), QDialog::Accepted);
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(fileBytes(), file) << stored.taxSystemText.toStdString();
        EXPECT_EQ(optionRows(), rows) << stored.taxSystemText.toStdString();
        EXPECT_EQ(unitRows(), units);
    }
}

TEST_F(OptionsWindow, ShowsWhatBothStoresHold) {
    store(everyKey());
    open();
    EXPECT_EQ(combo("ComboBox1")->currentText(), u("Возврат прихода"));
    EXPECT_EQ(combo("cmbPayTypeDefault")->currentIndex(), 1);
    EXPECT_EQ(edit("meMaxDisc")->text(), u("12.5"));
    EXPECT_EQ(edit("edEmail")->text(), u("o'neil@магазин.рф"));
    EXPECT_EQ(window->tobaccoRule(), 3);
    EXPECT_EQ(edit("edDiscountRUB")->text(), u("7.25"));
    EXPECT_EQ(combo("cmbScaleProtocol")->currentText(), u("POS2-M"));
    EXPECT_EQ(combo("cmbScalePort")->currentText(), u("ttyUSB0"));
    EXPECT_EQ(combo("cmbScalePort")->count(), 2);
    EXPECT_EQ(combo("cmbScaleBaudRate")->currentText(), u("9600"));
    EXPECT_EQ(edit("edScaleTimeout")->text(), u("50"));
    EXPECT_EQ(list("EdizmFFDList")->count(), 24);
    EXPECT_EQ(list("EdizmFFDList")->currentRow(), 0);
    ASSERT_EQ(list("EdizmUsedList")->count(), 3);
    EXPECT_EQ(list("EdizmUsedList")->item(1)->text(), u("кВт*ч"));
    EXPECT_EQ(list("EdizmUsedList")->currentRow(), 0);

    auto* pages = find<QTabWidget>("PageControl1");
    EXPECT_FALSE(pages->isTabVisible(pages->indexOf(find<QWidget>("TabSheetUsers"))));
    EXPECT_FALSE(find<QPushButton>("btnMoveUp")->isVisible());
}

TEST_F(OptionsWindow, ChoosingTheEmptyTaxSystemRemovesIt) {
    store(everyKey());
    open();
    combo("cmbTaxSystem")->setCurrentIndex(5);  // the empty item
    QTest::mouseClick(find<QPushButton>("Button1"), Qt::LeftButton);
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(option("TaxSystem"), QString());
    EXPECT_EQ(ReadFileOption(programFolder(), u("[TaxSystem]")), QString());
}

TEST_F(OptionsWindow, StoredTaxSystemTheListCannotShowIsKeptByOk) {
    store(everyKey());
    const QString fileText = ReadFileOption(programFolder(), u("[TaxSystem]"));
    exec(u("UPDATE OPTIONS SET OPTION_VALUE = '64' WHERE OPTION_NAME = 'TaxSystem'"));
    open();
    EXPECT_EQ(combo("cmbTaxSystem")->currentIndex(), -1);
    QTest::mouseClick(find<QPushButton>("Button1"), Qt::LeftButton);
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(option("TaxSystem"), u("64"));
    EXPECT_EQ(ReadFileOption(programFolder(), u("[TaxSystem]")), fileText);

    // A choice made in the list replaces it.
    open();
    combo("cmbTaxSystem")->setCurrentIndex(0);
    const QString chosen = combo("cmbTaxSystem")->currentText();
    QTest::mouseClick(find<QPushButton>("Button1"), Qt::LeftButton);
    EXPECT_EQ(option("TaxSystem"), QString::number(core::taxSystemCodeFromName(chosen)));
}

TEST_F(OptionsWindow, TobaccoAmountsAreCheckedWithFocusOnTheEdit) {
    struct Case {
        int rule;
        const char* typed;
        QString message;  // empty: accepted
        const char* stored;
    };
    const std::vector<Case> cases = {
        {2, "0", kPercentRange, nullptr},      {2, "26", kPercentRange, nullptr},
        {2, "5.5", kPercentFormat, nullptr},   {2, "abc", kPercentFormat, nullptr},
        {2, "", kPercentFormat, nullptr},      {2, "25", {}, "25"},
        {2, " 1 ", {}, "1"},                   {3, "0", kRoublesRange, nullptr},
        {3, "-1", kRoublesRange, nullptr},     {3, "x", kRoublesFormat, nullptr},
        {3, "12,5", {}, "12.5"},
    };
    for (const Case& c : cases) {
        store(everyKey());
        const QByteArray file = fileBytes();
        const QList<OptionRow> rows = optionRows();
        messages.clear();

        open();
        window->setTobaccoRule(c.rule);
        const char* editName = c.rule == 2 ? "edDiscountPercent" : "edDiscountRUB";
        edit(editName)->setText(u(c.typed));
        press("Button3");

        if (c.message.isEmpty()) {
            EXPECT_TRUE(messages.boxes.empty()) << c.typed << messages.last().toStdString();
            EXPECT_EQ(option("TobaccoPriceRule"), QString::number(c.rule)) << c.typed;
            EXPECT_EQ(option("TobaccoPriceRuleValue"), u(c.stored)) << c.typed;
            EXPECT_EQ(ReadFileOption(programFolder(), u("[TobaccoPriceRule]"), 2), u(c.stored)) << c.typed;
            EXPECT_EQ(edit(editName)->text().trimmed(), u(c.stored)) << c.typed;
        } else {
            ASSERT_EQ(messages.boxes.size(), 1u) << c.typed;
            EXPECT_EQ(messages.boxes[0].text, c.message) << c.typed;
            EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Error);
            EXPECT_EQ(window->focusWidget(), edit(editName)) << c.typed;
            EXPECT_EQ(find<QTabWidget>("PageControl1")->currentWidget(), find<QWidget>("TabSheetMarking"));
            EXPECT_EQ(fileBytes(), file) << c.typed;
            EXPECT_EQ(optionRows(), rows) << c.typed;
        }
        EXPECT_TRUE(window->isVisible()) << c.typed;
    }
}

TEST_F(OptionsWindow, ApplyStaysOpenOkClosesAndARefusalClosesNothing) {
    open();
    edit("edEmail")->setText(u(" shop@x.ru "));
    press("Button3");
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(ReadFileOption(programFolder(), u("[Email]")), u("shop@x.ru"));

    window->setTobaccoRule(2);
    edit("edDiscountPercent")->setText(u("30"));
    edit("edEmail")->setText(u("other@x.ru"));
    QTest::mouseClick(find<QPushButton>("Button1"), Qt::LeftButton);
    EXPECT_EQ(messages.last(), kPercentRange);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(ReadFileOption(programFolder(), u("[Email]")), u("shop@x.ru"));
    EXPECT_EQ(edit("edEmail")->text(), u("other@x.ru"));

    edit("edDiscountPercent")->setText(u("20"));
    messages.clear();
    QTest::mouseClick(find<QPushButton>("Button1"), Qt::LeftButton);
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_EQ(ReadFileOption(programFolder(), u("[Email]")), u("other@x.ru"));
    EXPECT_EQ(option("TobaccoPriceRuleValue"), u("20"));
}

TEST_F(OptionsWindow, CloseSavesNothing) {
    store(everyKey());
    const QByteArray file = fileBytes();
    open();
    edit("edEmail")->setText(u("changed@x.ru"));
    QTest::mouseClick(find<QPushButton>("Button2"), Qt::LeftButton);
    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_EQ(fileBytes(), file);
    EXPECT_EQ(option("Email"), u("o'neil@магазин.рф"));
}

TEST_F(OptionsWindow, LargestDiscountOffers25UntilOneIsSaved) {
    struct Case {
        const char* what;
        const char* fileText;  // nullptr: no options.sys
        const char* shown;
    };
    const Case cases[] = {
        {"no file", nullptr, "25"},
        {"file without the key", "Настройки\r\n[Email]  a@b.ru\r\n", "25"},
        {"key saved empty", "Настройки\r\n[MaxDiscount]  \r\n", ""},
        {"key saved", "Настройки\r\n[MaxDiscount]  7,5\r\n", "7.5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = optionsFilePath(programFolder());
        QFile::remove(path);
        if (c.fileText) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(c.fileText));
        }
        open();
        EXPECT_EQ(edit("meMaxDisc")->text(), u(c.shown));
    }

    QFile::remove(optionsFilePath(programFolder()));
    open();
    QTest::mouseClick(find<QPushButton>("Button1"), Qt::LeftButton);
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_EQ(readOptionFromLines(readOptionsFileLines(programFolder()), u("[MaxDiscount]")), u("25"));
}

TEST_F(OptionsWindow, HiddenControlsExistWithTheirDesignState) {
    open();
    for (const char* name : {"chListClear", "chPosDelete"}) {
        auto* box = find<QCheckBox>(name);
        EXPECT_TRUE(box->isChecked()) << name;
        EXPECT_FALSE(box->isVisible()) << name;
    }
    auto* mode = find<QGroupBox>("rgMode");
    EXPECT_FALSE(mode->isVisible());
    const QList<QRadioButton*> modes = mode->findChildren<QRadioButton*>();
    ASSERT_EQ(modes.size(), 2);
    EXPECT_EQ(modes[0]->text(), u("с БД"));
    EXPECT_EQ(modes[1]->text(), u("без БД"));
}

TEST_F(OptionsWindow, RegisterPortAndSpeedAreOfferedLikeTheScalesAndSaved) {
    store(everyKey());
    open();
    auto* kkt = find<QGroupBox>("GroupBoxKKT");
    EXPECT_EQ(kkt->title(), u("  Подключение ККТ  "));
    EXPECT_TRUE(kkt->isVisibleTo(find<QWidget>("TabSheetEquipment")));
    QComboBox* port = combo("ComboBox3");
    QComboBox* baud = combo("ComboBox4");
    EXPECT_TRUE(kkt->isAncestorOf(port));
    EXPECT_TRUE(kkt->isAncestorOf(baud));
    // What was saved, though the port is not among those the system lists.
    EXPECT_EQ(port->currentText(), u("ttyACM0"));
    EXPECT_EQ(baud->currentText(), u("115200"));
    EXPECT_EQ(port->count(), combo("cmbScalePort")->count());
    for (const char* listed : {"ttyUSB0", "ttyS0"}) EXPECT_GE(port->findText(u(listed)), 0) << listed;
    EXPECT_EQ(baud->count(), combo("cmbScaleBaudRate")->count());

    port->setEditText(QString());
    testsupport::typeText(port, u("tty S0!ж"));
    EXPECT_EQ(port->currentText(), u("ttyS0"));
    baud->setCurrentIndex(baud->findText(u("57600")));
    press("Button3");
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(option("KktPortName"), u("ttyS0"));
    EXPECT_EQ(option("KktBaudRate"), u("57600"));

    // Checked before anything is written, as the scale's values are.
    port->setEditText(u("/dev/serial/by-id/usb-ATOL-if00"));
    press("Button3");
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_TRUE(messages.last().contains(u("порт ККТ"))) << messages.last().toStdString();
    EXPECT_TRUE(window->focusWidget() == port || port->isAncestorOf(window->focusWidget()));
    EXPECT_EQ(option("KktPortName"), u("ttyS0"));
}

TEST_F(OptionsWindow, StoredMaxDiscountOutOfRangeIsRefusedNotDropped) {
    store(everyKey());
    QByteArray bytes = fileBytes();
    bytes.replace("[MaxDiscount]  12.5", "[MaxDiscount]  150");
    QFile f(optionsFilePath(programFolder()));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    const QList<OptionRow> rows = optionRows();

    open();
    EXPECT_EQ(edit("meMaxDisc")->text(), u("150"));
    QTest::mouseClick(find<QPushButton>("Button1"), Qt::LeftButton);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_TRUE(messages.last().contains(u("максимальной скидки"))) << messages.last().toStdString();
    EXPECT_EQ(window->focusWidget(), edit("meMaxDisc"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(fileBytes(), bytes);
    EXPECT_EQ(optionRows(), rows);

    edit("meMaxDisc")->setText(u("15"));
    messages.clear();
    QTest::mouseClick(find<QPushButton>("Button1"), Qt::LeftButton);
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(ReadFileOption(programFolder(), u("[MaxDiscount]")), u("15"));
}

TEST_F(OptionsWindow, DatabaseFailureRollsBackAndKeepsWhatWasTyped) {
    store(everyKey());
    const QByteArray file = fileBytes();
    open();
    edit("edEmail")->setText(u("new@x.ru"));
    exec(u("DROP TABLE QUANTITYMEASURESUSED"));
    QTest::mouseClick(find<QPushButton>("Button1"), Qt::LeftButton);
    ASSERT_EQ(messages.boxes.size(), 1u);
    // The window's sentence first, then the database's own message.
    const QString lead = u(" При сохранении данных 'единицы измерения' произошла ошибка.     \r\n\r\n"
                           " Перезапустите программу и повторите попытку.     ");
    EXPECT_TRUE(messages.last().startsWith(lead + u("\r\n\r\n "))) << messages.last().toStdString();
    EXPECT_TRUE(messages.last().contains(u("QUANTITYMEASURESUSED"))) << messages.last().toStdString();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(edit("edEmail")->text(), u("new@x.ru"));
    EXPECT_EQ(fileBytes(), file);
    EXPECT_EQ(option("Email"), u("o'neil@магазин.рф"));
}

TEST_F(OptionsWindow, UnitsAreAddedDeletedAndSavedInListOrder) {
    open();
    QListWidget* all = list("EdizmFFDList");
    QListWidget* used = list("EdizmUsedList");
    ASSERT_EQ(used->count(), 0);

    const auto add = [&](int row) {
        all->setCurrentRow(row);
        press("btnAddToList");
    };
    add(2);   // кг
    add(0);   // шт
    add(11);  // л
    add(2);   // кг again: only chosen
    ASSERT_EQ(used->count(), 3);
    EXPECT_EQ(used->currentRow(), 0);
    EXPECT_EQ(used->item(0)->text(), u("кг"));

    used->setCurrentRow(0);
    press("btnDeleteFromList");
    ASSERT_EQ(used->count(), 2);
    EXPECT_EQ(used->currentRow(), 0);
    EXPECT_EQ(used->item(0)->text(), u("шт"));
    add(23);  // иное

    press("Button3");
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    const QList<std::pair<int, CodeItem>> expected{{0, {u("шт"), 0}}, {1, {u("л"), 41}}, {2, {u("иное"), 255}}};
    EXPECT_EQ(unitRows(), expected);

    for (int i = 0; i < 3; ++i) press("btnDeleteFromList");
    EXPECT_EQ(used->count(), 0);
    EXPECT_EQ(used->currentRow(), -1);
    press("btnDeleteFromList");  // nothing left: nothing happens
    press("Button3");
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_TRUE(unitRows().isEmpty());
}

TEST_F(OptionsWindow, StoredTimeOutOutsideTheUpDownRangeIsIgnored) {
    for (const auto& [stored, shown] : std::vector<std::pair<const char*, const char*>>{
             {"300", "25"}, {"10", "25"}, {"255", "255"}, {"40", "40"}}) {
        SettingsInput in = everyKey();
        in.scaleTimeout = u(stored);
        store(in);
        open();
        EXPECT_EQ(edit("edScaleTimeout")->text(), u(shown)) << stored;
    }
}

TEST_F(OptionsWindow, ConnectedScaleFieldsComeFromTheConnection) {
    store(everyKey());
    rig.answer(100);
    ASSERT_TRUE(rig.scale->connectScale({2, u("ttyS0"), u("19200"), u("70")}).ok);
    open();
    EXPECT_EQ(combo("cmbScaleProtocol")->currentText(), u("POS2-M"));
    EXPECT_EQ(combo("cmbScalePort")->currentText(), u("ttyS0"));
    EXPECT_EQ(combo("cmbScaleBaudRate")->currentText(), u("19200"));
    EXPECT_EQ(edit("edScaleTimeout")->text(), u("70"));
}

TEST_F(OptionsWindow, LinuxPortNamesAreTypedAndSavedTrimmed) {
    open();
    QComboBox* port = combo("cmbScalePort");
    port->setEditText(QString());
    testsupport::typeText(port, u("tty USB0!ж"));
    EXPECT_EQ(port->currentText(), u("ttyUSB0"));

    QComboBox* baud = combo("cmbScaleBaudRate");
    baud->setEditText(QString());
    testsupport::typeText(baud, u("96x01"));
    QTest::keyClick(baud, Qt::Key_Backspace);
    testsupport::typeText(baud, u("0"));
    EXPECT_EQ(baud->currentText(), u("9600"));

    QLineEdit* timeout = edit("edScaleTimeout");
    timeout->clear();
    testsupport::typeText(timeout, u("4a5"));
    EXPECT_EQ(timeout->text(), u("45"));
    combo("cmbScaleProtocol")->setCurrentIndex(0);

    press("Button3");
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(option("ScalePort"), u("ttyUSB0"));
    EXPECT_EQ(option("ScaleBaudRate"), u("9600"));
    EXPECT_EQ(option("ScaleTimeout"), u("45"));
    EXPECT_EQ(option("ScaleProtocol"), u("2"));

    port->setEditText(u("  /dev/ttyACM0 "));
    press("Button3");
    EXPECT_EQ(option("ScalePort"), u("/dev/ttyACM0"));
}

TEST_F(OptionsWindow, ScaleTestReportsInTheResultFieldAndConnects) {
    open();
    combo("cmbScaleProtocol")->setCurrentIndex(0);
    combo("cmbScalePort")->setEditText(u("ttyUSB0"));
    combo("cmbScaleBaudRate")->setCurrentIndex(1);
    QLineEdit* result = edit("edScaleConnectResult");

    press("Button6");  // the scale stays silent
    EXPECT_EQ(result->text(), u(" Нет связи (тайм-аут)"));
    EXPECT_FALSE(rig.scale->isConnected());

    rig.answer(10000);
    press("Button6");
    EXPECT_EQ(result->text(), u(" Есть соединение. Вес 10.000 кг"));
    EXPECT_TRUE(rig.scale->isConnected());
    EXPECT_EQ(rig.port->openedName(), u("ttyUSB0"));
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(option("ScalePort"), QString());  // a test alone stores nothing

    combo("cmbScalePort")->setEditText(QString());
    press("Button6");
    EXPECT_EQ(messages.last(), u(" Не указан порт.     "));
    EXPECT_EQ(result->text(), QString());
    EXPECT_TRUE(rig.scale->isConnected());  // refused settings keep the working connection
}

}  // namespace
