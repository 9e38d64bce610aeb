#include "WorkingList.h"

#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <ibase.h>

#include <mutex>
#include <thread>

namespace core {

namespace {

// One run at a time; the thread is joined before the next starts and when
// the program ends, so no attachment outlives the process's last word.
class Runner {
public:
    ~Runner() { wait(); }

    void start(fb::ConnectionParams params) {
        std::lock_guard lock(mutex_);
        if (thread_.joinable()) thread_.join();
        thread_ = std::thread([params = std::move(params)] { emptyRest(params); });
    }

    void wait() {
        std::lock_guard lock(mutex_);
        if (thread_.joinable()) thread_.join();
    }

private:
    static bool ok(const ISC_STATUS* st) { return !(st[0] == 1 && st[1]); }

    static void emptyRest(const fb::ConnectionParams& params) noexcept {
        try {
            fb::Connection c(params);
            c.attach();
            isc_db_handle* db = c.handle();
            ISC_STATUS_ARRAY st;
            // A snapshot: the rows committed when it starts are deleted,
            // whatever is added to the list meanwhile is not.
            static const char snapshot[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_concurrency, isc_tpb_nowait};
            isc_tr_handle tr = 0;
            isc_start_transaction(st, &tr, 1, db, short(sizeof snapshot), snapshot);
            if (!ok(st)) return;
            isc_dsql_execute_immediate(st, db, &tr, 0, "DELETE FROM GOODS_TEMP", SQL_DIALECT_V6, nullptr);
            if (!ok(st)) {
                ISC_STATUS_ARRAY ignored;
                isc_rollback_transaction(ignored, &tr);
                return;
            }
            isc_commit_transaction(st, &tr);
            if (!ok(st)) {
                ISC_STATUS_ARRAY ignored;
                isc_rollback_transaction(ignored, &tr);
                return;
            }
            // One reading of the table collects the deleted rows here.
            fb::Transaction reading(c, fb::Transaction::Access::ReadOnly);
            fb::queryOne(reading, QStringLiteral("SELECT COUNT(*) FROM GOODS_TEMP"));
            reading.commit();
        } catch (...) {
            // Not attached: the next showing tries again.
        }
    }

    std::mutex mutex_;
    std::thread thread_;
};

Runner& runner() {
    static Runner r;
    return r;
}

}  // namespace

bool emptyWorkingListBatch(fb::Connection& connection) {
    // Counting up to one row past a batch only reads. A longer list is left
    // whole to the background: deleting a part of it here made the showing
    // write and wait for the disk, which an empty list never does.
    std::int64_t rows = 0;
    {
        fb::Transaction tr(connection, fb::Transaction::Access::ReadOnly);
        const auto row =
            fb::queryOne(tr, QStringLiteral("SELECT COUNT(*) FROM (SELECT FIRST %1 1 AS ONE FROM GOODS_TEMP)")
                                 .arg(kWorkingListBatch + 1));
        tr.commit();
        if (row) rows = fb::toInt64(row->at(0)).value_or(0);
    }
    if (rows > kWorkingListBatch) return true;
    if (rows == 0) return false;
    fb::Transaction tr(connection);
    fb::execute(tr, QStringLiteral("DELETE FROM GOODS_TEMP"));
    tr.commit();
    return false;
}

void emptyWorkingListInBackground(const fb::Connection& connection) { runner().start(connection.params()); }

void waitForWorkingList() { runner().wait(); }

}  // namespace core
