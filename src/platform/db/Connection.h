#pragma once
#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <ibase.h>

namespace fb {

// The one connection recipe of the program: the credentials are fixed and
// the character set is always WIN1251, dialect 3.
struct ConnectionParams {
    QString database;  // "localhost:/path/TARVI_BASE.FDB" or a plain path (embedded engine)
    QString user = QStringLiteral("SYSDBA");
    QString password = QStringLiteral("quillbend");
    QString charset = QStringLiteral("WIN1251");
};

struct ProcedureParam {
    QString name;
    int position = 0;
};

// Owns one attachment. Move-only; detaches in its destructor.
class Connection {
public:
    Connection() = default;
    explicit Connection(ConnectionParams params);
    ~Connection();
    Connection(Connection&& other) noexcept;
    Connection& operator=(Connection&& other) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const ConnectionParams& params() const { return params_; }
    void setDatabase(const QString& database);

    void attach();
    // Creates the database file (page size 8192, default character set
    // WIN1251) and leaves the connection attached to it.
    void create();
    void detach() noexcept;
    bool isConnected() const { return handle_ != 0; }
    // Attaches when not attached yet: connections open on demand.
    void ensureConnected();
    // Asks the engine whether the attachment is still alive.
    bool ping();

    isc_db_handle* handle();

    // Parameter lists of stored procedures, read once per attachment.
    const QList<ProcedureParam>& procedureInputs(const QString& procedure);
    const QList<ProcedureParam>& procedureOutputs(const QString& procedure);
    // After DDL that replaces procedures their parameter lists are read anew.
    void forgetProcedures() { procCache_.clear(); }

private:
    void loadProcedure(const QString& procedure);

    ConnectionParams params_;
    isc_db_handle handle_ = 0;
    QHash<QString, std::pair<QList<ProcedureParam>, QList<ProcedureParam>>> procCache_;
};

}  // namespace fb
