#pragma once
// A connection the server dropped: attached to its own copy of the upgraded
// database, killed from a second attachment and, when asked, with its
// database gone, so that it cannot attach again either.
#include "support/UpgradedDbFixture.h"

#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace testsupport {

struct DroppedConnection {
    explicit DroppedConnection(bool databaseGone) {
        path = QDir(dir.path()).filePath("SHOP.FDB");
        EXPECT_TRUE(QFile::copy(upgradedTemplateDatabase(), path));
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        fb::ConnectionParams p;
        p.database = path;
        connection = fb::Connection(p);
        connection.attach();
        std::int64_t id = 0;
        {
            fb::Transaction tr(connection);
            id = fb::toInt64(fb::queryOne(tr, "SELECT CURRENT_CONNECTION FROM RDB$DATABASE")->at(0)).value_or(0);
        }
        fb::Connection killer(p);
        killer.attach();
        {
            fb::Transaction tr(killer);
            fb::execute(tr, "DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = ?", {id});
            tr.commit();
        }
        killer.detach();
        if (databaseGone) {
            EXPECT_TRUE(QFile::remove(path));
        }
    }
    QTemporaryDir dir;
    QString path;
    fb::Connection connection;
};

}  // namespace testsupport
