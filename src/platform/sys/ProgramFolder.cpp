#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace sys {

namespace {
QString& overrideFolder() {
    static QString folder;
    return folder;
}
}  // namespace

QString programFolder() {
    const QString& o = overrideFolder();
    if (!o.isEmpty()) return o;
    return QCoreApplication::applicationDirPath();
}

void setProgramFolder(const QString& folder) { overrideFolder() = QDir(folder).absolutePath(); }

QString databasePath() { return QDir(programFolder()).filePath(QStringLiteral("DB/TARVI_BASE.FDB")); }

}  // namespace sys
