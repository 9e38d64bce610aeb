// The scale connection window: its fields, its key filters and the test
// over a scripted port that leaves the shared connection open.
#include "support/FakeMessages.h"
#include "support/TypeText.h"
#include "support/UpgradedDbFixture.h"

#include "core/ScaleConnection.h"
#include "core/Settings.h"
#include "core/uConnectScale.h"
#include "platform/serial/Clock.h"
#include "platform/serial/FakeSerialPort.h"
#include "platform/serial/SerialPortLister.h"

#include "ScaleFrames.h"
#include "SettingsTestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace core;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

class ConnectScaleWindow : public testsupport::UpgradedDbTest {
protected:
    void TearDown() override {
        delete window.data();
        rig.scale.reset();
        UpgradedDbTest::TearDown();
    }

    void open() {
        delete window.data();
        window = new TfmConnectScale(db(), *rig.scale, ports);
        window->show();
    }
    template <class T>
    T* find(const char* name) {
        return coretest::findNamed<T>(window, name);
    }
    QComboBox* combo(const char* name) { return find<QComboBox>(name); }
    QLineEdit* timeout() { return find<QLineEdit>("edScaleTimeout"); }
    void click(const char* name) { QTest::mouseClick(find<QPushButton>(name), Qt::LeftButton); }
    void answer(qint16 grams) { rig.answer(grams); }
    void storeScale(const char* protocol, const char* portName, const char* baud, const char* ms) {
        exec(u("DELETE FROM OPTIONS"));
        const std::vector<std::pair<const char*, const char*>> rows = {
            {"ScaleProtocol", protocol}, {"ScalePort", portName}, {"ScaleBaudRate", baud}, {"ScaleTimeout", ms}};
        for (const auto& [name, value] : rows)
            exec(u("INSERT INTO OPTIONS (OPTION_NAME, OPTION_VALUE) VALUES ('%1', '%2')").arg(u(name), u(value)));
    }

    testsupport::FakeMessages messages;
    serial::FakeSerialPortLister ports{{u("ttyS1"), u("ttyS0"), u("ttyACM0")}};
    coretest::ScaleRig rig;
    QPointer<TfmConnectScale> window;
};

TEST_F(ConnectScaleWindow, FieldsComeFromTheStoreOrFromTheConnectedScale) {
    struct Case {
        const char* protocol;
        const char* port;
        const char* baud;
        const char* timeout;
        const char* protocolShown;
        int protocolIndex;
        const char* baudShown;
        const char* timeoutShown;
    };
    const std::vector<Case> cases = {
        {"2", "ttyS1", "57600", "100", "POS2-M", 0, "57600", "100"},
        {"0", "/dev/ttyUSB3", "1234", "300", "", 1, "", "25"},
        {"", "", "", "10", "", 1, "", "25"},
        {"7", "ttyS0", "4800", "255", "", -1, "4800", "255"},
    };
    for (const Case& c : cases) {
        storeScale(c.protocol, c.port, c.baud, c.timeout);
        open();
        EXPECT_EQ(combo("cmbScaleProtocol")->currentIndex(), c.protocolIndex) << c.port;
        EXPECT_EQ(combo("cmbScaleProtocol")->currentText(), u(c.protocolShown)) << c.port;
        EXPECT_EQ(combo("cmbScalePort")->currentText(), u(c.port));
        EXPECT_EQ(combo("cmbScaleBaudRate")->currentText(), u(c.baudShown)) << c.port;
        EXPECT_EQ(timeout()->text(), u(c.timeoutShown)) << c.port;
    }
    EXPECT_EQ(combo("cmbScalePort")->count(), 3);
    EXPECT_EQ(combo("cmbScalePort")->itemText(0), u("ttyACM0"));
    EXPECT_EQ(combo("cmbScaleBaudRate")->count(), 7);

    answer(1);
    ASSERT_TRUE(rig.scale->connectScale({2, u("ttyACM0"), u("38400"), u("60")}).ok);
    storeScale("2", "ttyS1", "9600", "100");
    open();
    EXPECT_EQ(combo("cmbScalePort")->currentText(), u("ttyACM0"));
    EXPECT_EQ(combo("cmbScaleBaudRate")->currentText(), u("38400"));
    EXPECT_EQ(timeout()->text(), u("60"));
}

TEST_F(ConnectScaleWindow, SuccessfulTestConnectsTheSharedScaleAndCloses) {
    storeScale("2", "ttyS0", "9600", "25");
    QSignalSpy changed(rig.scale.get(), &ScaleConnection::connectionChanged);
    open();
    combo("cmbScalePort")->setEditText(u(" ttyUSB0 "));
    answer(1250);
    click("btnConnect");

    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(find<QLabel>("lblConnectResult")->text(), u(" Есть соединение. Вес 1.250 кг"));
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(rig.scale->isConnected());
    EXPECT_TRUE(rig.port->isOpen());
    EXPECT_EQ(rig.port->openedName(), u("ttyUSB0"));
    EXPECT_EQ(rig.port->baudRate(), 9600);
    EXPECT_EQ(rig.scale->current(), (ScaleParams{2, u("ttyUSB0"), u("9600"), u("25")}));
    ASSERT_EQ(changed.size(), 1);
    EXPECT_TRUE(changed.at(0).at(0).toBool());
    // A test alone stores nothing.
    EXPECT_EQ(ReadDbOption(db(), u("ScalePort")), u("ttyS0"));
}

TEST_F(ConnectScaleWindow, FailuresStayOpenWithTheResult) {
    struct Case {
        const char* what;
        QByteArray state;  // empty: the scale stays silent
        bool badCheck;
        QString result;
    };
    const std::vector<Case> cases = {
        {"silent scale", {}, false, u(" Нет связи (тайм-аут)")},
        {"busy scale", QByteArray(1, 0x06), false, u(" Нет связи (состояние 6)")},
        {"damaged weight", QByteArray(1, 0x15), true, u(" Нет связи (запрос веса)")},
    };
    storeScale("2", "ttyS0", "9600", "25");
    for (const Case& c : cases) {
        open();
        if (!c.state.isEmpty()) rig.port->addReply(c.state);
        if (c.badCheck) rig.port->addReply(scaletest::weightReply(0x10, 0x27, false));
        click("btnConnect");
        EXPECT_EQ(find<QLabel>("lblConnectResult")->text(), c.result) << c.what;
        EXPECT_TRUE(window->isVisible()) << c.what;
        EXPECT_FALSE(rig.scale->isConnected()) << c.what;
        EXPECT_FALSE(rig.port->isOpen()) << c.what;
    }
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();

    rig.port->setOpenError(u("Device or resource busy"));
    click("btnConnect");
    EXPECT_EQ(find<QLabel>("lblConnectResult")->text(), u(" Нет связи"));
    EXPECT_TRUE(messages.last().startsWith(u(" Указанный порт не открылся.")));
}

TEST_F(ConnectScaleWindow, RefusedSettingsTouchNothing) {
    struct Case {
        int protocolIndex;
        const char* port;
        const char* baud;
        const char* timeout;
        const char* message;
    };
    const std::vector<Case> cases = {
        {1, "ttyS0", "9600", "25", " Укажите протокол обмена.     "},
        {-1, "ttyS0", "9600", "25", " Укажите протокол обмена.     "},
        {0, "  ", "9600", "25", " Не указан порт.     "},
        {0, "ttyS0", "", "25", " Не указана скорость передачи данных.     "},
        {0, "ttyS0", "9600", "", " Не указано или указано некорректное значение тайм-аута.     "},
    };
    answer(5);
    ASSERT_TRUE(rig.scale->connectScale({2, u("ttyACM0"), u("9600"), u("25")}).ok);
    const int opened = rig.port->openCount();
    for (const Case& c : cases) {
        open();
        messages.clear();
        combo("cmbScaleProtocol")->setCurrentIndex(c.protocolIndex);
        combo("cmbScalePort")->setEditText(u(c.port));
        combo("cmbScaleBaudRate")->setEditText(u(c.baud));
        timeout()->setText(u(c.timeout));
        click("btnConnect");
        ASSERT_EQ(messages.boxes.size(), 1u) << c.message;
        EXPECT_EQ(messages.last(), u(c.message));
        EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Error);
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(rig.scale->isConnected()) << c.message;
        EXPECT_EQ(rig.port->openCount(), opened) << c.message;
    }

    click("btnCancel");
    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_TRUE(rig.scale->isConnected());
}

TEST_F(ConnectScaleWindow, KeyFiltersAndTheTimeOutUpDown) {
    open();
    struct Case {
        const char* field;
        const char* typed;
        const char* kept;
    };
    const std::vector<Case> cases = {
        {"cmbScalePort", "/dev/ttyACM0", "/dev/ttyACM0"},
        {"cmbScalePort", "tty S0,ж!", "ttyS0"},
        {"cmbScalePort", "rfcomm_0-a.1", "rfcomm_0-a.1"},
        {"cmbScaleBaudRate", "1a9/2 00", "19200"},
        {"edScaleTimeout", "1x0-0", "100"},
    };
    for (const Case& c : cases) {
        QWidget* field = window->findChild<QWidget*>(QLatin1String(c.field));
        ASSERT_NE(field, nullptr) << c.field;
        if (auto* cb = qobject_cast<QComboBox*>(field))
            cb->setEditText(QString());
        else
            static_cast<QLineEdit*>(field)->clear();
        testsupport::typeText(field, u(c.typed));
        const QString text = qobject_cast<QComboBox*>(field) ? static_cast<QComboBox*>(field)->currentText()
                                                             : static_cast<QLineEdit*>(field)->text();
        EXPECT_EQ(text, u(c.kept)) << c.field << " " << c.typed;
    }
    // Backspace works in every field, the baud rate's included.
    for (const char* name : {"cmbScalePort", "cmbScaleBaudRate", "edScaleTimeout"}) {
        QWidget* field = window->findChild<QWidget*>(QLatin1String(name));
        QTest::keyClick(field, Qt::Key_Backspace);
    }
    EXPECT_EQ(combo("cmbScalePort")->currentText(), u("rfcomm_0-a."));
    EXPECT_EQ(combo("cmbScaleBaudRate")->currentText(), u("1920"));
    EXPECT_EQ(timeout()->text(), u("10"));

    auto* upDown = find<UpDown>("UpDown1");
    timeout()->setText(u("100"));
    upDown->stepBy(1);  // from what was typed
    EXPECT_EQ(timeout()->text(), u("101"));
    timeout()->setText(u("300"));
    upDown->stepBy(-1);  // out of range: from the position
    EXPECT_EQ(timeout()->text(), u("100"));
    upDown->setPosition(255);
    upDown->stepBy(1);
    EXPECT_EQ(timeout()->text(), u("255"));
    upDown->setPosition(25);
    upDown->stepBy(-1);
    EXPECT_EQ(timeout()->text(), u("25"));
}

}  // namespace
