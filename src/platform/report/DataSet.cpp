#include "DataSet.h"

#include <utility>

namespace report {

DataSet::DataSet(QStringList fields) : fields_(std::move(fields)) {}

void DataSet::addRow(QStringList values) {
    rows_.push_back(std::move(values));
}

int DataSet::fieldIndex(const QString& field) const {
    for (int i = 0; i < fields_.size(); ++i)
        if (fields_[i].compare(field, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QString DataSet::value(int row, int fieldIndex) const {
    if (row < 0 || row >= rowCount() || fieldIndex < 0) return {};
    const QStringList& r = rows_[static_cast<size_t>(row)];
    return fieldIndex < r.size() ? r[fieldIndex] : QString();
}

}  // namespace report
