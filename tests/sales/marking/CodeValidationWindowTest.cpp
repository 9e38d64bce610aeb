// The waiting window of a marking-code check, driven by its component
// names while the check runs against the register emulator.
#include "sales/marking/MarkingCheck.h"
#include "sales/marking/uCodeValidationProcess.h"

#include "platform/fiscal/RegisterEmulator.h"
#include "sales/screen/MainScreenState.h"
#include "support/FakeMessages.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace fiscal;

const QString kCode = QStringLiteral("0104600000000017215abcdef\x1d" "93dGVz");

// Looks at the program's windows every few milliseconds while the check
// runs, and lets a step act on the waiting window once it is up.
class Watcher {
public:
    using Step = std::function<bool(QDialog& window)>;  // true: done

    Watcher(QWidget& owner, Step step) : owner_(owner), step_(std::move(step)) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* window = owner_.findChild<QDialog*>(QStringLiteral("fmCodeValidationProcess"));
            if (!window || !window->isVisible()) return;
            if (step_(*window)) timer_.stop();
        });
        timer_.start();
    }
    bool done() const { return !timer_.isActive(); }

private:
    QWidget& owner_;
    Step step_;
    QTimer timer_;
};

struct Fixture {
    Fixture() {
        kkt = std::make_unique<RegisterEmulator>(dir.path());
        EXPECT_EQ(kkt->open(), 0);
        owner.setObjectName(QStringLiteral("fmQuerySerialNumber"));
        owner.show();
    }
    ~Fixture() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete fmCodeValidationProcess.data();
    }
    QDialog* waitingWindow() { return owner.findChild<QDialog*>(QStringLiteral("fmCodeValidationProcess")); }
    int journalCount(const QString& method) const {
        int n = 0;
        for (const JournalEntry& e : kkt->journal()) n += e.method == method;
        return n;
    }

    QTemporaryDir dir;
    std::unique_ptr<RegisterEmulator> kkt;
    testsupport::FakeMessages boxes;
    QDialog owner;
};

TEST(CodeValidationWindow, StopEndsAWaitThatNeverGetsAnAnswer) {
    for (const bool byEscape : {false, true}) {
        SCOPED_TRACE(byEscape ? "escape" : "button");
        Fixture f;
        MarkingScript silent;
        silent.pollsUntilReady = MarkingScript::kNeverReady;
        f.kkt->scriptMarkingCode(kCode, silent);

        QSet<int> gaugeValues;
        bool sawWaiting = false;
        bool closeRefused = false;
        bool modalToOwner = false;
        bool onTop = false;
        QString caption;
        Watcher watcher(f.owner, [&](QDialog& w) {
            auto* label = w.findChild<QLabel*>(QStringLiteral("Label1"));
            auto* stop = w.findChild<QPushButton*>(QStringLiteral("btnStop"));
            auto* gauge = w.findChild<QProgressBar*>(QStringLiteral("Gauge1"));
            if (!label || !stop || !gauge || label->text() != QStringLiteral("Ожидаю ответ от ИСМ...")) return false;
            sawWaiting = stop->isEnabled() && stop->text() == QStringLiteral("ОСТАНОВИТЬ");
            gaugeValues.insert(gauge->value());
            EXPECT_GE(gauge->value(), gauge->minimum());
            EXPECT_LE(gauge->value(), 20);
            if (gaugeValues.size() < 3) return false;  // the gauge runs while the cashier waits
            modalToOwner = w.windowModality() == Qt::WindowModal && w.parentWidget() == &f.owner;
            onTop = w.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            caption = w.windowTitle();
            w.close();
            closeRefused = w.isVisible();
            if (byEscape)
                QTest::keyClick(&w, Qt::Key_Escape);
            else
                QTest::mouseClick(stop, Qt::LeftButton);
            return true;
        });

        const sales::MarkCheckResult r = sales::CheckMarkingCode(*f.kkt, {kCode, sales::KindSale}, &f.owner);

        EXPECT_TRUE(watcher.done());
        EXPECT_FALSE(r.accepted);
        EXPECT_TRUE(sawWaiting);
        EXPECT_TRUE(closeRefused);
        EXPECT_TRUE(modalToOwner);
        EXPECT_TRUE(onTop);
        EXPECT_EQ(caption, QStringLiteral("Проверка КМ"));
        EXPECT_EQ(f.journalCount(QStringLiteral("cancelMarkingCodeValidation")), 1);
        EXPECT_EQ(f.boxes.last(), QStringLiteral(" Проверка прервана пользователем.     "));
        // Closed and freed: the next check makes a new window.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(f.waitingWindow(), nullptr);
        EXPECT_TRUE(fmCodeValidationProcess.isNull());
    }
}

TEST(CodeValidationWindow, NothingToStopWhileTheStartRuns) {
    Fixture f;
    f.kkt->setValidationStartDelay(400);
    bool stopDisabled = false;
    bool escapeIgnored = false;
    Watcher watcher(f.owner, [&](QDialog& w) {
        auto* label = w.findChild<QLabel*>(QStringLiteral("Label1"));
        auto* stop = w.findChild<QPushButton*>(QStringLiteral("btnStop"));
        if (!label || label->text() != QStringLiteral("Запускаю проверку КМ. Ждите...")) return false;
        stopDisabled = !stop->isEnabled();
        QTest::keyClick(&w, Qt::Key_Escape);
        w.close();
        escapeIgnored = w.isVisible();
        return true;
    });

    const sales::MarkCheckResult r = sales::CheckMarkingCode(*f.kkt, {kCode, sales::KindSale}, &f.owner);

    EXPECT_TRUE(watcher.done());
    EXPECT_TRUE(r.accepted);
    EXPECT_TRUE(stopDisabled);
    EXPECT_TRUE(escapeIgnored);
    EXPECT_EQ(f.journalCount(QStringLiteral("cancelMarkingCodeValidation")), 0);
    EXPECT_TRUE(f.boxes.boxes.empty());
}

TEST(CodeValidationWindow, FailedStartHidesTheWindowForTheNextCheck) {
    Fixture f;
    f.kkt->failNext(QStringLiteral("beginMarkingCodeValidation"), 405, QStringLiteral("Неверный статус"));
    EXPECT_FALSE(sales::CheckMarkingCode(*f.kkt, {kCode, sales::KindSale}, &f.owner).accepted);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QPointer<QDialog> kept = f.waitingWindow();
    ASSERT_NE(kept, nullptr);
    EXPECT_FALSE(kept->isVisible());

    QPointer<QDialog> seen;
    Watcher watcher(f.owner, [&](QDialog& w) {
        seen = &w;
        return true;
    });
    EXPECT_TRUE(sales::CheckMarkingCode(*f.kkt, {kCode, sales::KindSale}, &f.owner).accepted);
    EXPECT_EQ(seen.data(), kept.data());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(kept.isNull());
}

}  // namespace
