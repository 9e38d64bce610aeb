#pragma once
// Loading a CSV goods file into one group of the catalogue and writing the
// goods of a group (or of the whole catalogue) to such a file. A load is one
// transaction, committed at the end of the file.
#include "core/GoodsCodeHistory.h"

#include <QString>

#include <cstdint>
#include <functional>

class QIODevice;

namespace fb {
class Connection;
}

namespace exchange {

struct CsvCounters {
    int read = 0;     // every line, header and blank ones included
    int loaded = 0;   // goods inserted
    int updated = 0;  // goods updated
};

struct CsvLoadHooks {
    // Before each line: true ends the load as stopped (the user confirmed).
    std::function<bool(const CsvCounters&)> stop;
    // The ID of a line belongs to a group: true skips the line, false ends
    // the load as stopped by the user.
    std::function<bool(const QString& question)> skipGroupLine;
};

struct CsvLoadResult {
    enum class Outcome { Done, Refused, Failed, Stopped };
    Outcome outcome = Outcome::Done;
    CsvCounters counters;
    QString message;  // refusal or failure; for a stop at a group line the notice
};

// `group` 0 is the root: new goods go to the top level, and every existing
// goods item is updated; otherwise only the group's own goods are updated
// and goods of other groups are skipped.
CsvLoadResult loadCsvGoods(QIODevice& in, fb::Connection& db, std::int32_t group, const CsvLoadHooks& hooks = {});

struct CsvUnloadResult {
    int count = 0;
    bool stopped = false;
};

// Writes the goods of `group` (0: all goods) ordered by ID; with `header` the
// header line and an empty line first. `row` is asked before each row; false
// stops. Throws on a failure of the database or the device.
CsvUnloadResult unloadCsvGoods(fb::Connection& db, std::int32_t group, QIODevice& out, bool header, bool textMode,
                               const std::function<bool(int written)>& row = {});

namespace csvmsg {
QString groupQuestion(int line, std::int32_t id, const QString& groupName);
inline const QString kStoppedByUser = QStringLiteral("Операция загрузки прервана пользователем.     ");
// A new goods item on a code that history names.
QString codeKeptByHistory(int line, std::int32_t id, core::GoodsCodeUse use);
QString insertFailed(int line);
QString updateFailed(int line);
QString barcodesAfterInsert(int line, bool deleting);
QString barcodesAfterUpdate(int line, bool deleting);
}  // namespace csvmsg

}  // namespace exchange
