#pragma once
// A per-test database that has already been through the schema upgrade, as
// the main screen leaves it after a login: every program-created table,
// column, sequence, trigger and procedure exists, the working goods list is
// empty and its numbering starts at 1. The upgrade runs once per process on
// a second template, which each test copies.
#include "DbFixture.h"

namespace testsupport {

// Path of this process's upgraded template database (made on first use).
QString upgradedTemplateDatabase();

class UpgradedDbTest : public DbTest {
protected:
    void SetUp() override;
};

}  // namespace testsupport
