#pragma once
#include "Value.h"

#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace fb {

class Transaction;

// Named inputs of a stored procedure; names are matched without regard to
// case, and an input not given is NULL.
using ProcInputs = std::vector<std::pair<QString, Value>>;

// EXECUTE PROCEDURE: returns the output row when the procedure has outputs.
std::optional<Row> callProcedure(Transaction& tr, const QString& name, const ProcInputs& inputs = {});
// SELECT * FROM procedure(...): every row it suspends.
std::vector<Row> selectProcedure(Transaction& tr, const QString& name, const ProcInputs& inputs = {});

}  // namespace fb
