#include "UpgradedDbFixture.h"

#include "core/SchemaUpgrade.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace testsupport {

QString upgradedTemplateDatabase() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = QDir(dir.path()).filePath(QStringLiteral("upgraded.fdb"));
        if (!QFile::copy(templateDatabase(), p)) return QString();
        QFile::setPermissions(p, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        fb::ConnectionParams params;
        params.database = p;
        fb::Connection c(params);
        c.attach();
        core::SchemaUpgrade(c);
        c.detach();
        return p;
    }();
    return path;
}

void UpgradedDbTest::SetUp() {
    const QString tmpl = upgradedTemplateDatabase();
    ASSERT_FALSE(tmpl.isEmpty()) << "the upgraded template database could not be made";
    DbTest::SetUp();
    if (HasFatalFailure()) return;
    // The base fixture attached to a copy of the old-layout template; put
    // the upgraded one in its place.
    db().detach();
    ASSERT_TRUE(QFile::remove(databasePath()));
    ASSERT_TRUE(QFile::copy(tmpl, databasePath()));
    QFile::setPermissions(databasePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    db().attach();
}

}  // namespace testsupport
