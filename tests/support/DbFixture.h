#pragma once
// A fresh, real embedded database for every test, in a temporary program
// folder. The database is created from sql/ once per test executable and
// copied for each test, which is much faster than building it each time.
#include "platform/db/Connection.h"

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace testsupport {

// Path of this process's template database (made on first use).
QString templateDatabase();

class DbTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    fb::Connection& db() { return *db_; }
    QString programFolder() const { return dir_->path(); }
    QString databasePath() const;
    // Parameters for another connection to the same database (windows that
    // keep their own connection).
    fb::ConnectionParams params() const;
    // Runs one statement and commits (test data).
    void exec(const QString& sql);

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<fb::Connection> db_;
};

}  // namespace testsupport
