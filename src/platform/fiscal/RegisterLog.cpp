#include "platform/fiscal/RegisterLog.h"

#include "platform/fiscal/AtomicFile.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fiscal {

namespace {

QString systemError(const QString& path) {
    return path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
}

}  // namespace

RegisterLog::RegisterLog(QString path) : path_(std::move(path)) {}

RegisterLog::~RegisterLog() { closeFile(); }

void RegisterLog::closeFile() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool RegisterLog::exists() const { return QFile::exists(path_); }

bool RegisterLog::openForAppend(QString* error) {
    const QByteArray name = QFile::encodeName(path_);
    struct stat st {};
    const bool existed = ::stat(name.constData(), &st) == 0;
    fd_ = ::open(name.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        if (error) *error = systemError(path_);
        return false;
    }
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    if (end < 0) {
        if (error) *error = systemError(path_);
        closeFile();
        return false;
    }
    size_ = end;
    // A log whose name a power cut could take back would lose its lines.
    if (!existed) syncFolderOf(path_);
    return true;
}

bool RegisterLog::append(const RegisterState& state, const ReceiptPosition& position, QString* error) {
    if (!usable_) {
        if (error) *error = path_ + QStringLiteral(": log not usable");
        return false;
    }
    if (!state.receipt) {
        if (error) *error = QStringLiteral("no open receipt");
        return false;
    }
    if (fd_ < 0 && !openForAppend(error)) return false;
    const QJsonObject line{{"generation", state.generation},
                           {"index", state.receipt->positions.size()},
                           {"position", positionToJson(position)}};
    const QByteArray bytes = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
    if (writeWhole(fd_, bytes) && ::fsync(fd_) == 0) {
        size_ += bytes.size();
        return true;
    }
    if (error) *error = systemError(path_);
    // Whatever part of the line reached the file goes, or a line after it
    // could never be read back.
    if (::ftruncate(fd_, size_) != 0) usable_ = false;
    return false;
}

int RegisterLog::replay(RegisterState& state) {
    wholeEnd_ = -1;
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) return 0;
    const QByteArray bytes = file.readAll();
    int applied = 0;
    qsizetype from = 0;
    for (;;) {
        const qsizetype end = bytes.indexOf('\n', from);
        if (end < 0) break;  // cut short by a kill: never applied
        QJsonParseError parseError;
        const QJsonDocument doc = QJsonDocument::fromJson(bytes.mid(from, end - from), &parseError);
        if (parseError.error != QJsonParseError::NoError || !doc.isObject()) break;
        const QJsonObject line = doc.object();
        // A line of an older state, or one already in the state, is skipped.
        if (state.receipt && line["generation"].toInteger(-1) == state.generation &&
            line["index"].toInteger(-1) == state.receipt->positions.size()) {
            state.receipt->positions.append(positionFromJson(line["position"].toObject()));
            ++applied;
        }
        from = end + 1;
    }
    wholeEnd_ = from;
    return applied;
}

void RegisterLog::dropTornTail() {
    if (wholeEnd_ < 0 || !exists()) return;
    closeFile();
    if (::truncate(QFile::encodeName(path_).constData(), wholeEnd_) != 0) usable_ = false;
}

void RegisterLog::discard() {
    closeFile();
    wholeEnd_ = -1;
    size_ = 0;
    const QByteArray name = QFile::encodeName(path_);
    // Its lines name an older state now and would be skipped; an emptied
    // log is only tidier. One that stays as it is must not grow further.
    usable_ = ::unlink(name.constData()) == 0 || errno == ENOENT || ::truncate(name.constData(), 0) == 0;
}

}  // namespace fiscal
