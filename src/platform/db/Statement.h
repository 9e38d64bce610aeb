#pragma once
#include "Value.h"

#include <QString>

#include <initializer_list>
#include <memory>
#include <vector>

namespace fb {

class Connection;
class Transaction;

// A statement prepared once and executed many times, in any transaction of
// its connection. Parameters are positional "?" markers, bound by index
// from 0; every value from a person, a file or a device goes in this way.
class Statement {
public:
    Statement(Connection& connection, const QString& sql);
    // Prepares inside a running transaction (no extra transaction for it).
    Statement(Transaction& transaction, const QString& sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&&) = delete;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    int parameterCount() const;
    int columnCount() const;
    QStringList columnNames() const;

    void bind(int index, Value value);
    void bindAll(std::initializer_list<Value> values);
    void bindAll(const std::vector<Value>& values);
    void clearBindings();  // every parameter back to NULL

    // Runs with the current bindings. A select opens a cursor for fetch().
    void execute(Transaction& transaction);
    // Shortcut: bind all, run.
    void execute(Transaction& transaction, std::initializer_list<Value> values);

    // Next row of the open cursor; false (and the cursor closed) at the end.
    bool fetch();
    const Row& row() const;  // the current row
    // Reads every remaining row.
    std::vector<Row> fetchAll();
    // Rows changed by the last insert, update or delete.
    long affectedRows();
    void closeCursor();

    bool isSelect() const;
    // The access plan the engine chose ("PLAN ..."), to check that a
    // statement reads through the index meant for it.
    QString plan() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

// One-shot helpers for statements that run once per user action.
std::vector<Row> query(Transaction& tr, const QString& sql, std::initializer_list<Value> params = {});
std::optional<Row> queryOne(Transaction& tr, const QString& sql, std::initializer_list<Value> params = {});
long execute(Transaction& tr, const QString& sql, std::initializer_list<Value> params = {});

}  // namespace fb
