#pragma once
// Replacing a small file so that a crash, a kill or a power cut at any moment
// leaves either the old contents or the new ones, never a mix, and no
// half-written copy lying about.
#include <QByteArray>
#include <QString>

namespace fiscal {

// Writes `bytes` beside `path` into a file with no name yet, flushes it to
// the disk, gives it the name `path` in one step and flushes the folder.
// False (and `error` set) when any step fails; `path` is then untouched.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// The name a write may briefly give the new contents before the final
// rename: a kill in that instant leaves it behind, and the next start removes
// it (removeStaleTemporaries). Nobody else writes that name.
QString temporaryPathFor(const QString& path);

// Writes all of `bytes` to the descriptor, going on after a short write;
// false (errno set) on an error.
bool writeWhole(int fd, const QByteArray& bytes);
// Puts the names of the folder holding `path` on the disk: a file created
// there survives a power cut only once its name has.
void syncFolderOf(const QString& path);
void removeStaleTemporaries(const QString& path);

}  // namespace fiscal
