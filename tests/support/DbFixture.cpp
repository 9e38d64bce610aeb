#include "DbFixture.h"

#include "core/FreshDatabase.h"
#include "platform/db/Transaction.h"
#include "platform/sys/DbEngine.h"
#include "platform/sys/ProgramFolder.h"

#include <QDir>
#include <QFile>

namespace testsupport {

QString templateDatabase() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = QDir(dir.path()).filePath(QStringLiteral("template.fdb"));
        fb::ConnectionParams params;
        params.database = p;
        fb::Connection c(params);
        core::createFreshDatabase(c, p);
        c.detach();
        return p;
    }();
    return path;
}

namespace {
// Tests open their databases in-process, even on a machine where a local
// server runs: the server could not read a test's private folder.
class EmbeddedOnly : public sys::DbEngine {
public:
    bool exists() const override { return true; }
    bool serverRunning() const override { return false; }
};
}  // namespace

void DbTest::SetUp() {
    static EmbeddedOnly embedded;
    sys::setDbEngine(&embedded);
    const QString tmpl = templateDatabase();
    dir_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(dir_->isValid());
    QDir(dir_->path()).mkpath(QStringLiteral("DB"));
    ASSERT_TRUE(QFile::copy(tmpl, databasePath()));
    QFile::setPermissions(databasePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    sys::setProgramFolder(dir_->path());
    db_ = std::make_unique<fb::Connection>(params());
    db_->attach();
}

void DbTest::TearDown() {
    db_.reset();
    sys::setDbEngine(nullptr);
    dir_.reset();
}

QString DbTest::databasePath() const { return QDir(dir_->path()).filePath(QStringLiteral("DB/TARVI_BASE.FDB")); }

fb::ConnectionParams DbTest::params() const {
    fb::ConnectionParams p;
    p.database = databasePath();
    return p;
}

void DbTest::exec(const QString& sql) {
    fb::Transaction tr(*db_);
    tr.executeImmediate(sql);
    tr.commit();
}

}  // namespace testsupport
