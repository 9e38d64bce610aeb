#include "QueryData.h"

#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

namespace report {

DataSet queryData(fb::Transaction& transaction, const QString& sql, std::initializer_list<fb::Value> params) {
    fb::Statement statement(transaction, sql);
    statement.execute(transaction, params);
    DataSet data(statement.columnNames());
    while (statement.fetch()) {
        const fb::Row& row = statement.row();
        QStringList values;
        values.reserve(row.size());
        for (int i = 0; i < row.size(); ++i) values << fb::toString(row.at(i));
        data.addRow(std::move(values));
    }
    return data;
}

}  // namespace report
