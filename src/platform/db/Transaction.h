#pragma once
#include <QString>

#include <ibase.h>

namespace fb {

class Connection;

// One unit of work: read committed, record versions, no wait; read-write
// unless asked to only read. Starts in the constructor; the destructor rolls
// back unless commit() ran, so leaving a scope by an exception never
// half-commits anything.
class Transaction {
public:
    enum class Access {
        ReadWrite,
        // Look-ups: the engine starts and ends such a transaction without a
        // write to the database, so a scan pays no disk flush for reading.
        ReadOnly,
    };

    explicit Transaction(Connection& connection, Access access = Access::ReadWrite);
    ~Transaction();
    Transaction(Transaction&& other) noexcept;
    Transaction& operator=(Transaction&&) = delete;
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();
    // Commits and keeps the same transaction open (its snapshot of read
    // committed data moves on).
    void commitRetaining();
    void rollback();
    bool isActive() const { return handle_ != 0; }

    // Sends DDL or a procedure text exactly as written: no parameters, no
    // parsing of ":name" inside bodies.
    void executeImmediate(const QString& sql);

    void savepoint(const QString& name);
    void rollbackToSavepoint(const QString& name);
    void releaseSavepoint(const QString& name);

    Connection& connection() { return *connection_; }
    isc_tr_handle* handle();

private:
    Connection* connection_;
    isc_tr_handle handle_ = 0;
};

}  // namespace fb
