// On-screen keypads: the Latin keypad types into a password field and
// presses the login button; the numeric keypad sends key events to the
// main screen.
#include "core/uNumKeyboard.h"
#include "core/uNumLatKeyBoard.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(LatinKeypad, EveryKeyTypesItsCharacterAndEditsClearAndDeleteTheLast) {
    QWidget login;
    login.setGeometry(100, 80, 400, 300);
    auto* password = new QLineEdit(&login);
    auto* ok = new QPushButton(&login);
    QSignalSpy pressed(ok, &QPushButton::clicked);
    QPointer<core::TfmNumLatKeyBoard> pad = new core::TfmNumLatKeyBoard(password, ok, &login);
    EXPECT_EQ(core::fmNumLatKeyBoard, pad.data());
    EXPECT_TRUE(pad->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(pad->y(), login.geometry().top() + login.height() / 2);

    const QString chars = core::TfmNumLatKeyBoard::keyCharacters();
    ASSERT_EQ(chars.size(), 36);
    for (int i = 1; i <= 36; ++i) {
        auto* key = pad->findChild<QPushButton*>(QStringLiteral("Button%1").arg(i));
        ASSERT_NE(key, nullptr) << i;
        EXPECT_EQ(key->text(), QString(chars.at(i - 1))) << i;
        QTest::mouseClick(key, Qt::LeftButton);
    }
    EXPECT_EQ(password->text(), "1234567890QWERTYUIOPASDFGHJKLZXCVBNM");

    QTest::mouseClick(pad->findChild<QPushButton*>("BitBtn2"), Qt::LeftButton);
    EXPECT_EQ(password->text(), "1234567890QWERTYUIOPASDFGHJKLZXCVBN");
    QTest::mouseClick(pad->findChild<QPushButton*>("BitBtn1"), Qt::LeftButton);
    EXPECT_EQ(password->text(), "");
    QTest::mouseClick(pad->findChild<QPushButton*>("BitBtn2"), Qt::LeftButton);
    EXPECT_EQ(password->text(), "");
    EXPECT_EQ(pressed.count(), 0);

    // OK presses the login button, also with an empty password: the login
    // window answers with its own message.
    QTest::mouseClick(pad->findChild<QPushButton*>("Button37"), Qt::LeftButton);
    EXPECT_EQ(pressed.count(), 1);

    pad->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(pad.isNull());
    EXPECT_EQ(core::fmNumLatKeyBoard, nullptr);
}

TEST(LatinKeypad, TypesAfterTheCursorWasMovedAndSurvivesALostField) {
    QWidget login;
    auto* password = new QLineEdit(&login);
    password->setText("AB");
    password->setCursorPosition(0);
    core::TfmNumLatKeyBoard pad(password, nullptr, &login);
    QTest::mouseClick(pad.findChild<QPushButton*>("Button11"), Qt::LeftButton);
    EXPECT_EQ(password->text(), "ABQ");
    delete password;
    QTest::mouseClick(pad.findChild<QPushButton*>("Button1"), Qt::LeftButton);
    QTest::mouseClick(pad.findChild<QPushButton*>("Button37"), Qt::LeftButton);
}

// Records the key events the main screen would see.
class KeyRecorder : public QWidget {
public:
    struct Key {
        QEvent::Type type;
        int key;
        QString text;
        Qt::KeyboardModifiers modifiers;
    };
    std::vector<Key> keys;
    QString typed() const {
        QString t;
        for (const Key& k : keys)
            if (k.type == QEvent::KeyPress) t += k.text;
        return t;
    }
    std::vector<Key> presses() const {
        std::vector<Key> p;
        for (const Key& k : keys)
            if (k.type == QEvent::KeyPress) p.push_back(k);
        return p;
    }

protected:
    void keyPressEvent(QKeyEvent* e) override { keys.push_back({e->type(), e->key(), e->text(), e->modifiers()}); }
    void keyReleaseEvent(QKeyEvent* e) override { keys.push_back({e->type(), e->key(), e->text(), e->modifiers()}); }
};

class NumericKeypad : public ::testing::Test {
protected:
    void SetUp() override {
        pad.setTarget(&screen);
        pad.show();
    }
    void click(const char* name) { QTest::mouseClick(pad.findChild<QPushButton*>(name), Qt::LeftButton); }

    KeyRecorder screen;
    core::TfmNumKeyboard pad;
};

TEST_F(NumericKeypad, DigitsPointAndTimesAreTypedWhateverTheTag) {
    for (int tag : {0, 1}) {
        screen.keys.clear();
        pad.setTag(tag);
        for (int i = 1; i <= 10; ++i) click(QStringLiteral("Button%1").arg(i).toLatin1().constData());
        click("BitBtn1");
        click("BitBtn4");
        EXPECT_EQ(screen.typed(), "1234567890.*") << "tag " << tag;
        const auto presses = screen.presses();
        ASSERT_EQ(presses.size(), 12u);
        EXPECT_EQ(presses[0].key, Qt::Key_1);
        EXPECT_EQ(presses[9].key, Qt::Key_0);
        EXPECT_EQ(presses[10].key, Qt::Key_Period);
        EXPECT_EQ(presses[11].key, Qt::Key_Asterisk);
        EXPECT_EQ(screen.keys.size(), 24u) << "each key is pressed and released";
    }
}

TEST_F(NumericKeypad, ClearAndBackspaceReachTheScreenOnlyWhileServingIt) {
    struct Case {
        int tag;
        const char* button;
        int expectedKey;  // 0: nothing
    };
    const Case cases[] = {
        {0, "BitBtn2", 0},
        {0, "BitBtn3", 0},
        {1, "BitBtn2", Qt::Key_Delete},
        {1, "BitBtn3", Qt::Key_Backspace},
    };
    for (const Case& c : cases) {
        screen.keys.clear();
        pad.setTag(c.tag);
        click(c.button);
        const auto presses = screen.presses();
        if (c.expectedKey == 0) {
            EXPECT_TRUE(presses.empty()) << c.button;
            continue;
        }
        ASSERT_EQ(presses.size(), 1u) << c.button;
        EXPECT_EQ(presses[0].key, c.expectedKey);
        EXPECT_EQ(presses[0].text, "");
        EXPECT_EQ(presses[0].modifiers, Qt::NoModifier);
    }
}

TEST_F(NumericKeypad, PhysicalKeysArePassedOnOnlyWhileServingTheScreen) {
    pad.setTag(1);
    QTest::keyClick(&pad, Qt::Key_7);
    QTest::keyClick(&pad, Qt::Key_N, Qt::ControlModifier);
    // A keyboard reports Ctrl itself before the N.
    const auto presses = screen.presses();
    ASSERT_EQ(presses.size(), 3u);
    EXPECT_EQ(presses[0].key, Qt::Key_7);
    EXPECT_EQ(presses[0].text, "7");
    EXPECT_EQ(presses[1].key, Qt::Key_Control);
    EXPECT_EQ(presses[2].key, Qt::Key_N);
    EXPECT_EQ(presses[2].modifiers, Qt::ControlModifier);
    EXPECT_EQ(screen.keys.size(), 6u) << "releases are passed on too";

    // "Esc" hides the keypad and it stops serving the screen; shown again
    // without the screen setting the Tag, typed keys reach nobody while the
    // on-screen digits still do.
    click("Button12");
    EXPECT_FALSE(pad.isVisible());
    EXPECT_EQ(pad.tag(), 0);
    pad.show();
    screen.keys.clear();
    QTest::keyClick(&pad, Qt::Key_5);
    EXPECT_TRUE(screen.keys.empty());
    click("Button5");
    EXPECT_EQ(screen.typed(), "5");
}

TEST_F(NumericKeypad, AGoneTargetIsNotAnError) {
    auto* other = new KeyRecorder;
    pad.setTarget(other);
    delete other;
    pad.setTag(1);
    click("Button1");
    click("BitBtn2");
    QTest::keyClick(&pad, Qt::Key_3);
    EXPECT_EQ(pad.target(), nullptr);
}

}  // namespace
