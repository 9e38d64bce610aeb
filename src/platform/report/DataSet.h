#pragma once
#include <QString>
#include <QStringList>

#include <vector>

namespace report {

// Rows of named text fields that a data connection of a report is bound to:
// the caller reads its query or its list into one of these, and the data
// bands of the report repeat once per row.
class DataSet {
public:
    DataSet() = default;
    explicit DataSet(QStringList fields);

    // Values in the order of the fields; missing trailing values read empty.
    void addRow(QStringList values);
    void reserve(int rows) { rows_.reserve(rows); }

    const QStringList& fields() const { return fields_; }
    int rowCount() const { return static_cast<int>(rows_.size()); }
    // -1 when the field is unknown (matched without regard to case, as
    // field names of the database are).
    int fieldIndex(const QString& field) const;
    QString value(int row, int fieldIndex) const;
    QString value(int row, const QString& field) const { return value(row, fieldIndex(field)); }

private:
    QStringList fields_;
    std::vector<QStringList> rows_;
};

}  // namespace report
