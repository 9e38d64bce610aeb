// What a scanner's key presses leave in the two copies of a scan: the
// physical key decides where the platform names it, the active layout where
// it does not, and control characters such as GS always pass unchanged.
#include "platform/ui/KeyboardLayout.h"
#include "sales/marking/ScanCapture.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

using sales::marking::captureKey;

namespace {

struct KeyCase {
    const char* what;
    int key;
    Qt::KeyboardModifiers modifiers;
    quint32 scanCode;  // xkb key code; 0 when the platform names none
    QString text;
    int layout;
    bool used;
    QString typed;
    QString latin;
};

TEST(ScanCapture, EachKeyGivesTheCharacterTypedAndItsLatinKey) {
    const QString gs(QChar(29));
    const KeyCase cases[] = {
        // The physical key decides, whatever the layout says.
        {"Russian ю on the period key", 0x44E, Qt::NoModifier, 60, QStringLiteral("ю"), 1049, true,
         QStringLiteral("ю"), QStringLiteral(".")},
        {"Russian period on the slash key", Qt::Key_Period, Qt::NoModifier, 61, QStringLiteral("."), 1049, true,
         QStringLiteral("."), QStringLiteral("/")},
        {"Russian comma on Shift+slash", Qt::Key_Comma, Qt::ShiftModifier, 61, QStringLiteral(","), 1049, true,
         QStringLiteral(","), QStringLiteral("?")},
        {"Russian Ж on Shift+semicolon", 0x416, Qt::ShiftModifier, 47, QStringLiteral("Ж"), 1049, true,
         QStringLiteral("Ж"), QStringLiteral(":")},
        {"Russian quote on Shift+2", Qt::Key_QuoteDbl, Qt::ShiftModifier, 11, QStringLiteral("\""), 1049, true,
         QStringLiteral("\""), QStringLiteral("@")},
        {"Caps Lock letter keeps its case", 0x424, Qt::NoModifier, 38, QStringLiteral("Ф"), 0, true,
         QStringLiteral("Ф"), QStringLiteral("A")},
        {"unknown key falls back to the layout", Qt::Key_A, Qt::NoModifier, 200, QStringLiteral("a"), 1033, true,
         QStringLiteral("a"), QStringLiteral("a")},
        // Without a physical key, the layout.
        {"English layout keeps the character", Qt::Key_Slash, Qt::NoModifier, 0, QStringLiteral("/"), 1033, true,
         QStringLiteral("/"), QStringLiteral("/")},
        {"Russian layout, letter", 0x431, Qt::NoModifier, 0, QStringLiteral("б"), 1049, true, QStringLiteral("б"),
         QStringLiteral(",")},
        {"Russian layout, period", Qt::Key_Period, Qt::NoModifier, 0, QStringLiteral("."), 1049, true,
         QStringLiteral("."), QStringLiteral("/")},
        {"other layout gives no Latin copy", Qt::Key_A, Qt::NoModifier, 0, QStringLiteral("a"), 0, true,
         QStringLiteral("a"), QString()},
        // Control characters pass unchanged in every layout.
        {"GS as a character, Russian layout", 0, Qt::NoModifier, 0, gs, 1049, true, gs, gs},
        {"GS as Ctrl+]", Qt::Key_BracketRight, Qt::ControlModifier, 0, gs, 1033, true, gs, gs},
        {"GS as Ctrl+] without text", Qt::Key_BracketRight, Qt::ControlModifier, 0, QString(), 1049, true, gs, gs},
        {"GS as Ctrl+ъ", 0x42A, Qt::ControlModifier, 0, QString(), 1049, true, gs, gs},
        {"GS on the physical ] key", 0x44A, Qt::ControlModifier, 35, QString(), 0, true, gs, gs},
        {"record separator, Russian layout", 0, Qt::NoModifier, 0, QString(QChar(30)), 1049, true,
         QString(QChar(30)), QString(QChar(30))},
        // Keys that are not characters of a code.
        {"Backspace is taken and adds nothing", Qt::Key_Backspace, Qt::NoModifier, 22, QStringLiteral("\b"), 1033,
         true, QString(), QString()},
        {"Enter ends, not adds", Qt::Key_Return, Qt::NoModifier, 36, QStringLiteral("\r"), 1033, false, QString(),
         QString()},
        {"Ctrl+C is no character", Qt::Key_C, Qt::ControlModifier, 54, QString(QChar(3)), 1033, false, QString(),
         QString()},
        {"Shift alone", Qt::Key_Shift, Qt::ShiftModifier, 50, QString(), 1033, false, QString(), QString()},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.what);
        const QKeyEvent event(QEvent::KeyPress, c.key, c.modifiers, c.scanCode, 0, 0, c.text);
        const auto k = captureKey(event, c.layout);
        EXPECT_EQ(k.used, c.used);
        EXPECT_EQ(k.typed, c.typed);
        EXPECT_EQ(k.latin, c.latin);
    }
}

TEST(KeyboardLayout, InjectedLayoutWinsAndEmptyProviderRestoresTheDesktop) {
    const int desktop = ui::KeyboardLayout::currentLayoutId();
    ui::KeyboardLayout::setLayoutProvider([] { return 1049; });
    EXPECT_EQ(ui::KeyboardLayout::currentLayoutId(), 1049);
    ui::KeyboardLayout::setLayoutProvider([] { return 7; });
    EXPECT_EQ(ui::KeyboardLayout::currentLayoutId(), 7);
    ui::KeyboardLayout::setLayoutProvider({});
    EXPECT_EQ(ui::KeyboardLayout::currentLayoutId(), desktop);
}

TEST(KeyDrain, SwallowsQueuedKeysButNotOtherEvents) {
    QWidget target;
    struct Counter : QObject {
        int keys = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::KeyPress) ++keys;
            return false;
        }
    } counter;
    target.installEventFilter(&counter);
    for (int i = 0; i < 5; ++i)
        QCoreApplication::postEvent(&target, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
    bool timerRan = false;
    QTimer::singleShot(10, &target, [&] { timerRan = true; });
    ui::KeyDrain::drain(50);
    EXPECT_EQ(counter.keys, 0);
    EXPECT_TRUE(timerRan);
    // After the drain keys are delivered again.
    QCoreApplication::postEvent(&target, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.keys, 1);
}

}  // namespace
