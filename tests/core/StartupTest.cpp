// Start-up decisions, the one-copy rule and the server path of the database.
#include "core/FreshDatabase.h"
#include "core/DataModule.h"
#include "core/MainScreenPort.h"
#include "core/Startup.h"
#include "core/uAuthor.h"

#include "platform/db/Connection.h"
#include "platform/db/Metadata.h"
#include "platform/db/Transaction.h"
#include "platform/sys/DbEngine.h"
#include "platform/sys/ProgramFolder.h"
#include "platform/sys/SingleInstance.h"
#include "platform/ui/MessageService.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QLocalServer>
#include <QMenu>
#include <QPushButton>
#include <QTranslator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUuid>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

TEST(Startup, DecisionTable) {
    using core::StartupDecision;
    EXPECT_EQ(core::decideStartup(true, true), StartupDecision::ActivateOtherAndExit);
    EXPECT_EQ(core::decideStartup(true, false), StartupDecision::ActivateOtherAndExit);
    EXPECT_EQ(core::decideStartup(false, false), StartupDecision::EngineMissingAndExit);
    EXPECT_EQ(core::decideStartup(false, true), StartupDecision::Continue);
}

TEST(Startup, QtsOwnMenusAndButtonsSpeakRussian) {
    auto& app = *static_cast<QApplication*>(QCoreApplication::instance());
    ASSERT_TRUE(core::installQtTranslation(app)) << "Qt's translations are installed (qt6-translations-l10n)";
    // An edit field's context menu and the buttons of Qt's dialogs.
    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList actions;
    for (QAction* a : menu->actions())
        if (!a->isSeparator()) actions << a->text().section(u'\t', 0, 0).remove(u'&');
    QDialogButtonBox buttons(QDialogButtonBox::Save | QDialogButtonBox::Cancel | QDialogButtonBox::Open);
    for (auto [button, text] : {std::pair{QDialogButtonBox::Save, "Сохранить"}, {QDialogButtonBox::Cancel, "Отмена"},
                                {QDialogButtonBox::Open, "Открыть"}})
        EXPECT_EQ(buttons.button(button)->text().remove(u'&'), QString::fromUtf8(text));
    for (const char* text : {"Отменить действие", "Копировать", "Вставить", "Выделить всё"})
        EXPECT_TRUE(actions.contains(QString::fromUtf8(text))) << actions.join(u'|').toStdString();
    for (QTranslator* t : app.findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}

TEST(Startup, StatusLabelTextsAndColours) {
    EXPECT_EQ(core::statusView(core::DbStatus::Disconnected).text, QStringLiteral("Нет соединения с БД"));
    EXPECT_EQ(core::statusView(core::DbStatus::Disconnected).color, QColor(255, 0, 0));
    EXPECT_EQ(core::statusView(core::DbStatus::Connecting).color, QColor(0, 0, 255));
    EXPECT_EQ(core::statusView(core::DbStatus::Connected).text, QStringLiteral("Есть соединение с БД"));
    EXPECT_EQ(core::statusView(core::DbStatus::Connected).color, QColor(0, 128, 0));
}

QString uniqueKey() { return QStringLiteral("test-") + QUuid::createUuid().toString(); }

TEST(SingleInstance, SecondCopyEndsAndAsksTheFirstToComeForward) {
    const QString key = uniqueKey();
    sys::SingleInstance first(key);
    ASSERT_TRUE(first.tryBecomePrimary());
    QSignalSpy spy(&first, &sys::SingleInstance::activationRequested);
    sys::SingleInstance second(key);
    EXPECT_FALSE(second.tryBecomePrimary());
    EXPECT_TRUE(spy.wait(2000));
}

TEST(SingleInstance, StaleSocketOfACrashedCopyDoesNotBlockTheNextStart) {
    const QString key = uniqueKey();
    sys::SingleInstance probe(key);
    // A socket file nobody listens on, as a killed copy leaves it.
    const QString path = QDir::temp().filePath(probe.serverName());
    {
        QLocalServer dead;
        dead.setSocketOptions(QLocalServer::UserAccessOption);
        ASSERT_TRUE(dead.listen(probe.serverName()));
        dead.close();
    }
    QFile stale(path);
    stale.open(QIODevice::WriteOnly);
    stale.close();
    sys::SingleInstance next(key);
    EXPECT_TRUE(next.tryBecomePrimary());
}

TEST(Startup, SecondCopyEndsWithoutCreatingAnyWindow) {
    // The first copy of the program holds the marker: a marker of the
    // test's own, never that of a copy a person may be running.
    const QString key = uniqueKey();
    sys::SingleInstance first(key);
    ASSERT_TRUE(first.tryBecomePrimary());
    QSignalSpy activation(&first, &sys::SingleInstance::activationRequested);
    bool windowsMade = false;
    const auto windowsBefore = QApplication::topLevelWidgets().size();
    core::StartupOptions options;
    options.instanceKey = key;
    const int code = core::runStartup(*qApp, [&] { windowsMade = true; }, options);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(windowsMade);
    EXPECT_EQ(core::fmAuthor, nullptr);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windowsBefore);
    EXPECT_TRUE(activation.wait(2000));
}

TEST(Startup, EngineMissingEndsBeforeAnyDataModule) {
    class NoEngine : public sys::DbEngine {
    public:
        bool exists() const override { return false; }
        bool serverRunning() const override { return false; }
    } none;
    sys::setDbEngine(&none);
    struct Boxes : ui::MessageService {
        QStringList texts;
        void show(QWidget*, const QString& t, ui::Icon, const QString&) override { texts << t; }
    } boxes;
    ui::setMessageService(&boxes);
    core::TfmAuthor w;
    EXPECT_FALSE(w.FormCreate());
    ui::setMessageService(nullptr);
    sys::setDbEngine(nullptr);
    EXPECT_EQ(boxes.texts, QStringList{core::kEngineMissingAtStart});
    EXPECT_EQ(core::DataModule1, nullptr);
}

TEST(Startup, ReadOnlyProgramFolderAtTheFirstStartIsSaidInRussianAndEndsTheProgram) {
    // A folder on a read-only file system: nobody, root included, can make
    // a file there, as in a folder the cashier's account may not write to.
    const QString folder = QStringLiteral("/proc/self/fdinfo");
    ASSERT_FALSE(core::folderWritable(folder + QStringLiteral("/DB")));
    sys::setProgramFolder(folder);
    struct Boxes : ui::MessageService {
        QStringList texts;
        void show(QWidget*, const QString& t, ui::Icon, const QString&) override { texts << t; }
    } boxes;
    ui::setMessageService(&boxes);
    bool windowsMade = false;
    core::StartupOptions options;
    options.instanceKey = uniqueKey();
    // Should the program go on to its event loop, it is ended, not waited for.
    QTimer stop;
    stop.setSingleShot(true);
    QObject::connect(&stop, &QTimer::timeout, qApp, [] { QCoreApplication::exit(7); });
    stop.start(3000);
    const int code = core::runStartup(*qApp, [&] { windowsMade = true; }, options);
    stop.stop();
    delete core::fmAuthor;
    ui::setMessageService(nullptr);
    QTemporaryDir elsewhere;
    sys::setProgramFolder(elsewhere.path());

    EXPECT_EQ(code, 1);
    EXPECT_FALSE(windowsMade);
    EXPECT_EQ(core::fmAuthor, nullptr);
    EXPECT_EQ(core::DataModule1, nullptr);
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_EQ(boxes.texts.first(), core::kProgramFolderReadOnly.arg(folder));
    EXPECT_TRUE(boxes.texts.first().contains(QStringLiteral("недоступна для записи")));

    // With the database there already, the same folder is named, and the
    // cashier is not sent to look for a database server.
    const QString existing = core::programFolderRefusal(folder, true, false);
    EXPECT_EQ(existing, core::kProgramFolderNotWritable.arg(folder));
    EXPECT_TRUE(existing.contains(QStringLiteral("недоступна для записи")));
    EXPECT_TRUE(core::programFolderRefusal(folder, true, true).isEmpty());

    // A writable folder takes the probe and keeps nothing of it.
    QTemporaryDir writable;
    EXPECT_TRUE(core::folderWritable(writable.path() + QStringLiteral("/DB")));
    EXPECT_EQ(QDir(writable.path() + QStringLiteral("/DB")).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST(ServerPath, FreshDatabaseThroughTheLocalServer) {
    if (!sys::dbEngine().serverRunning())
        GTEST_SKIP() << "No Firebird server listens on localhost:3050; the embedded path is tested everywhere else.";
    // The server runs as its own user: the folder must be reachable for it.
    const QString folder = QDir::temp().filePath(QStringLiteral("tarvi-server-") + QUuid::createUuid().toString(QUuid::Id128));
    QDir().mkpath(folder + QStringLiteral("/DB"));
    QFile::setPermissions(folder, QFileDevice::Permissions(0x7777));
    QFile::setPermissions(folder + QStringLiteral("/DB"), QFileDevice::Permissions(0x7777));
    const QString file = folder + QStringLiteral("/DB/TARVI_BASE.FDB");
    {
        fb::ConnectionParams p;
        p.database = sys::dbEngine().connectionString(file);
        ASSERT_TRUE(p.database.startsWith(QStringLiteral("localhost:")));
        fb::Connection c(p);
        core::openOrCreateDatabase(c, file);
        fb::Transaction tr(c);
        EXPECT_TRUE(fb::meta::tableExists(tr, QStringLiteral("GOODS")));
        tr.commit();
        c.detach();
        // A second start attaches to what the first created.
        fb::Connection again(p);
        core::openOrCreateDatabase(again, file);
        EXPECT_TRUE(again.isConnected());
    }
    QDir(folder).removeRecursively();
}

}  // namespace

namespace {

// A main screen as the login window knows it.
class FakeMainScreen : public QWidget, public core::MainScreenPort {
public:
    void setUser(const core::SessionUser& u) override { user = u; }
    core::SessionUser currentUser() const override { return user; }
    void ApplyUserRights(int) override {}
    bool showMain() override {
        show();
        return true;
    }
    void SetWorkplaceLock(bool) override {}
    bool isWorkplaceLocked() const override { return false; }
    core::SessionUser user;
};

TEST(Startup, SecondStartBringsTheMainScreenForwardWhenTheLoginWindowIsHidden) {
    // Other windows of the session are open as well (the keypad, a report
    // preview): the main screen is the one asked for, not whichever comes
    // first in the list of windows.
    std::vector<std::unique_ptr<QWidget>> others;
    for (int i = 0; i < 30; ++i) {
        others.push_back(std::make_unique<QWidget>());
        others.back()->setWindowTitle(QStringLiteral("other %1").arg(i));
        others.back()->show();
    }
    core::TfmAuthor login;
    FakeMainScreen screen;
    core::setMainScreen(&screen);
    screen.showMain();
    login.hide();
    for (auto& w : others) {
        w->activateWindow();
        QApplication::processEvents();
    }

    core::bringRunningCopyForward();
    QApplication::processEvents();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&screen, 2000));
    EXPECT_EQ(QApplication::activeWindow(), &screen);
    EXPECT_FALSE(login.isVisible()) << "a hidden login window came up over the session";
    core::setMainScreen(nullptr);
}

}  // namespace
