#pragma once
#include <QString>

namespace sys {

// The folder everything of the program lives in: the database under DB/,
// options.sys, the register's state, reports/. It is the folder of the
// executable; tests point it at a temporary folder.
QString programFolder();
void setProgramFolder(const QString& folder);

// <program folder>/DB/TARVI_BASE.FDB
QString databasePath();

}  // namespace sys
