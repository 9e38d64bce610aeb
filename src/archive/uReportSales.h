#pragma once
// "Отчет: продажи": the sales of a period for all goods or one group, on
// screen only.
#include "archive/SalesReport.h"
#include "platform/db/Connection.h"

#include <QDialog>

class QCheckBox;
class QDateEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;
class QTreeWidget;

class TfmReportSales : public QDialog {
    Q_OBJECT
public:
    explicit TfmReportSales(const fb::ConnectionParams& params, QWidget* parent = nullptr);
    ~TfmReportSales() override;

    QDateEdit* DateTimePicker1;
    QDateEdit* DateTimePicker2;
    QTreeWidget* TreeView1;
    QCheckBox* chSubGroupOn;
    QPushButton* Button2;
    QPushButton* btnClose;
    QTableView* DBGrid1;

    const std::vector<archive::SalesRow>& rows() const { return rows_; }

public slots:
    void Button2Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showRows(std::vector<archive::SalesRow> rows);

    fb::Connection db_;
    QStandardItemModel* model_;
    std::vector<archive::SalesRow> rows_;
};

extern TfmReportSales* fmReportSales;
