#pragma once
#include "DataSet.h"

#include "platform/db/Value.h"

#include <QString>

#include <initializer_list>

namespace fb {
class Transaction;
}

namespace report {

// The rows of a select as report data: every column under its name, as the
// text the database layer gives it (NULL as empty, decimals with ".").
// Throws fb::Error as any query does.
DataSet queryData(fb::Transaction& transaction, const QString& sql, std::initializer_list<fb::Value> params = {});

}  // namespace report
