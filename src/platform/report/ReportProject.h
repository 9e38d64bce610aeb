#pragma once
#include "Report.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace report {

// <program folder>/reports/reports.json: the one report project the program
// ships with its layouts of goods checks, price tags, labels and the
// inventory sheet.
QString projectPath(const QString& programFolder);

// The report project as callers use it: open the file, select a report by
// name, fill the selected report's components and data, then hand it to an
// output (preview, printer, PDF, image).
class ReportProject {
public:
    // False when the file is missing, unreadable or not a valid project;
    // the caller tells the user with its own text.
    bool open(const QString& filePath);
    void close();
    bool isOpen() const { return open_; }
    // Why the last open failed, for the developer.
    const QString& errorText() const { return error_; }

    QStringList reportNames() const;
    // False when the project has no report of that name. A successful
    // selection starts from the layout as the file holds it.
    bool selectReport(const QString& name);
    bool hasSelection() const { return selected_; }
    Report& report() { return current_; }
    const Report& report() const { return current_; }

    // Reads a project from its text; used by open().
    bool parse(const QByteArray& text);

private:
    bool open_ = false;
    bool selected_ = false;
    QString error_;
    std::vector<Report> reports_;
    Report current_;
};

}  // namespace report
