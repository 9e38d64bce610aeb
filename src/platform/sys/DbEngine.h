#pragma once
#include <QString>

namespace sys {

// Which Firebird engine opens the database. A local server, when one
// listens, is used through "localhost:" as a shop with a server expects;
// otherwise the embedded engine opens the file in-process.
class DbEngine {
public:
    virtual ~DbEngine() = default;
    // The engine is installed: a server answers, or the embedded engine's
    // plugin is present.
    virtual bool exists() const;
    // A local server listens on its port.
    virtual bool serverRunning() const;
    // Nothing to start for the embedded engine; a stopped system server is
    // not ours to start (that needs root), so this only reports.
    virtual bool startIfStopped() const { return exists(); }
    // "localhost:" + path with a running server, the bare path otherwise.
    QString connectionString(const QString& path) const;
};

// The engine the program uses; tests may install their own.
DbEngine& dbEngine();
void setDbEngine(DbEngine* engine);  // nullptr restores the real one

}  // namespace sys
