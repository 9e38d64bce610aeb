#include "sales/closing/PrintJournal.h"

#include "platform/fiscal/AtomicFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <unistd.h>

namespace sales {

namespace {

const QString kOldUnresolvedFile = QStringLiteral("UnresolvedPrint.json");
const QString kOldUnsavedFolder = QStringLiteral("UnsavedReceipts");

QJsonObject recordToJson(const JournalRecord& r) {
    QJsonObject o{
        {QStringLiteral("id"), r.id},
        {QStringLiteral("documentBefore"), r.documentBefore},
        {QStringLiteral("closed"), r.closed},
        {QStringLiteral("document"), documentToJson(r.document)},
        {QStringLiteral("job"), printJobToJson(r.job)},
    };
    if (r.isCorrection()) o.insert(QStringLiteral("correction"), r.correction);
    return o;
}

JournalRecord recordFromJson(const QJsonObject& o) {
    JournalRecord r;
    r.id = o.value(QStringLiteral("id")).toString();
    r.documentBefore = o.value(QStringLiteral("documentBefore")).toInt(-1);
    r.closed = o.value(QStringLiteral("closed")).toBool();
    r.document = documentFromJson(o.value(QStringLiteral("document")).toObject());
    r.job = printJobFromJson(o.value(QStringLiteral("job")).toObject());
    r.correction = o.value(QStringLiteral("correction")).toObject();
    return r;
}

// Flushes what the kernel holds of a file or folder to the disk.
bool syncPath(const QString& path, bool directory) {
    const int fd = ::open(QFile::encodeName(path).constData(), directory ? O_RDONLY | O_DIRECTORY : O_RDONLY);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool removeDurably(const QString& path, QString* error) {
    if (!QFile::exists(path)) return true;
    if (!QFile::remove(path)) {
        *error = QStringLiteral("не удалось удалить ") + path;
        return false;
    }
    syncPath(QFileInfo(path).absolutePath(), true);
    return true;
}

struct Loaded {
    QList<JournalRecord> records;
    bool readable = true;
};

Loaded load(const QString& path, QString* error) {
    Loaded l;
    QFile file(path);
    if (!file.exists()) return l;
    if (!file.open(QIODevice::ReadOnly)) {
        l.readable = false;
        *error = file.errorString();
        return l;
    }
    QJsonParseError parse;
    const QJsonDocument json = QJsonDocument::fromJson(file.readAll(), &parse);
    if (!json.isObject() || !json.object().value(QStringLiteral("records")).isArray()) {
        l.readable = false;
        *error = parse.error != QJsonParseError::NoError ? parse.errorString() : QStringLiteral("неверный формат");
        return l;
    }
    for (const QJsonValue& v : json.object().value(QStringLiteral("records")).toArray())
        l.records.append(recordFromJson(v.toObject()));
    return l;
}

}  // namespace

bool JournalRecord::needsRegister() const {
    if (isCorrection()) return false;
    if (!closed) return true;
    return !documentKnown(document) && documentBefore >= 0;
}

PrintJournal::PrintJournal() : memory_(std::make_shared<QList<JournalRecord>>()) {}

PrintJournal::PrintJournal(const QString& folder) : folder_(folder) {}

QString PrintJournal::path() const {
    return inMemory() ? QString() : QDir(folder_).filePath(kFileName);
}

QList<JournalRecord> PrintJournal::records() const {
    if (inMemory()) return *memory_;
    QString error;
    Loaded l = load(path(), &error);
    if (!l.readable) error_ = error;
    return l.records;
}

QList<PrintJob> PrintJournal::jobs() const {
    QList<PrintJob> out;
    for (const JournalRecord& r : records()) out.append(r.job);
    return out;
}

std::optional<JournalRecord> PrintJournal::record(const QString& id) const {
    for (const JournalRecord& r : records())
        if (r.id == id) return r;
    return std::nullopt;
}

bool PrintJournal::readable() const {
    if (inMemory()) return true;
    QString error;
    if (load(path(), &error).readable) return true;
    error_ = error;
    return false;
}

bool PrintJournal::blocked() const {
    // A journal that cannot be read may hold a printed receipt: nothing
    // fiscal runs until a person has looked at it.
    if (!readable()) return true;
    for (const JournalRecord& r : records())
        if (r.needsRegister()) return true;
    return false;
}

bool PrintJournal::save(const QList<JournalRecord>& records) {
    if (inMemory()) {
        *memory_ = records;
        return true;
    }
    QString error;
    // Never write over a journal that could not be read: it is kept for
    // whoever resolves it.
    if (!load(path(), &error).readable) {
        error_ = error;
        return false;
    }
    if (records.isEmpty()) {
        if (!removeDurably(path(), &error)) {
            error_ = error;
            return false;
        }
        return true;
    }
    QJsonArray array;
    for (const JournalRecord& r : records) array.append(recordToJson(r));
    const QByteArray data = QJsonDocument(QJsonObject{{QStringLiteral("records"), array}}).toJson();
    if (!QDir().mkpath(folder_) || !fiscal::writeFileAtomically(path(), data, &error)) {
        error_ = error;
        return false;
    }
    return true;
}

bool PrintJournal::put(const JournalRecord& record) {
    QList<JournalRecord> all = records();
    bool replaced = false;
    for (JournalRecord& r : all) {
        if (r.id == record.id) {
            r = record;
            replaced = true;
        }
    }
    if (!replaced) all.append(record);
    return save(all);
}

bool PrintJournal::remove(const QString& id) {
    QList<JournalRecord> all = records();
    const qsizetype before = all.size();
    all.removeIf([&](const JournalRecord& r) { return r.id == id; });
    if (all.size() == before) return true;
    return save(all);
}

QString PrintJournal::newId() const {
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddhhmmsszzz"));
    QString latest;
    for (const JournalRecord& r : records()) latest = qMax(latest, r.id);
    if (stamp > latest) return stamp;
    // The clock went back or two records came in one millisecond.
    return latest + QStringLiteral("+");
}

int PrintJournal::adoptOldFiles() {
    if (inMemory()) return 0;
    // A write killed in its last instant may leave the new text under a
    // temporary name; the journal itself is whole either way.
    fiscal::removeStaleTemporaries(path());
    int adopted = 0;
    const QDir dir(folder_);

    const QString unresolved = dir.filePath(kOldUnresolvedFile);
    QFile pending(unresolved);
    if (pending.open(QIODevice::ReadOnly)) {
        const QJsonDocument json = QJsonDocument::fromJson(pending.readAll());
        pending.close();
        if (json.isObject()) {
            JournalRecord r;
            r.id = newId();
            r.documentBefore = json.object().value(QStringLiteral("documentBefore")).toInt(-1);
            r.job = printJobFromJson(json.object().value(QStringLiteral("job")).toObject());
            if (put(r) && QFile::remove(unresolved)) ++adopted;
        }
    }

    const QDir unsaved(dir.filePath(kOldUnsavedFolder));
    if (unsaved.exists()) {
        for (const QString& name : unsaved.entryList({QStringLiteral("receipt_*.json")}, QDir::Files, QDir::Name)) {
            QFile file(unsaved.filePath(name));
            if (!file.open(QIODevice::ReadOnly)) continue;
            const QJsonDocument json = QJsonDocument::fromJson(file.readAll());
            file.close();
            if (!json.isObject()) continue;
            JournalRecord r;
            r.id = newId();
            r.job = printJobFromJson(json.object());
            r.closed = true;
            r.document = documentFromJson(json.object());
            // These were printed long ago: the register's last document no
            // longer tells anything about them.
            r.documentBefore = -1;
            if (put(r) && QFile::remove(file.fileName())) ++adopted;
        }
        dir.rmdir(kOldUnsavedFolder);  // only when nothing is left in it
    }
    return adopted;
}

}  // namespace sales
