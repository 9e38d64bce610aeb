#include "Procedure.h"

#include "Connection.h"
#include "Error.h"
#include "Statement.h"
#include "Transaction.h"

namespace fb {

namespace {

QString checkedName(const QString& name) {
    const QString n = name.trimmed().toUpper();
    for (const QChar c : n)
        if (!(c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$')) || c.unicode() > 127)
            throwUsage(QStringLiteral("Недопустимое имя процедуры: %1").arg(name));
    return n;
}

std::vector<Value> orderInputs(Transaction& tr, const QString& name, const ProcInputs& inputs, QString& marks) {
    const auto& params = tr.connection().procedureInputs(name);
    std::vector<Value> values(static_cast<size_t>(params.size()), Null{});
    for (const auto& [key, value] : inputs) {
        const QString up = key.trimmed().toUpper();
        bool found = false;
        for (int i = 0; i < params.size(); ++i) {
            if (params[i].name.toUpper() == up) {
                values[static_cast<size_t>(i)] = value;
                found = true;
                break;
            }
        }
        if (!found) throwUsage(QStringLiteral("У процедуры %1 нет параметра %2").arg(name, key));
    }
    QStringList q;
    for (int i = 0; i < params.size(); ++i) q << QStringLiteral("?");
    marks = q.isEmpty() ? QString() : QLatin1Char('(') + q.join(QLatin1Char(',')) + QLatin1Char(')');
    return values;
}

// Prepares `verb` followed by the procedure's checked name and a mark for
// each of its inputs, binds the inputs in the procedure's order, executes
// it and gives the statement to `read`.
template <class Read>
auto runProcedure(Transaction& tr, const QString& verb, const QString& name, const ProcInputs& inputs, Read read) {
    const QString n = checkedName(name);
    QString marks;
    const std::vector<Value> values = orderInputs(tr, n, inputs, marks);
    Statement s(tr, verb + n + marks);
    s.bindAll(values);
    s.execute(tr);
    return read(s);
}

}  // namespace

std::optional<Row> callProcedure(Transaction& tr, const QString& name, const ProcInputs& inputs) {
    return runProcedure(tr, QStringLiteral("EXECUTE PROCEDURE "), name, inputs,
                        [](Statement& s) -> std::optional<Row> {
                            if (s.columnCount() == 0 || !s.fetch()) return std::nullopt;
                            return s.row();
                        });
}

std::vector<Row> selectProcedure(Transaction& tr, const QString& name, const ProcInputs& inputs) {
    return runProcedure(tr, QStringLiteral("SELECT * FROM "), name, inputs,
                        [](Statement& s) { return s.fetchAll(); });
}

}  // namespace fb
