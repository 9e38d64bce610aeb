#pragma once
// "Найти чек": stored sale receipts found by fiscal sign, dates and buyer,
// and the positions of the one selected. From here a goods check of the
// receipt is printed, and the receipt or one position is copied into the
// sale on the main screen for its return, once a refund handler is attached.
#include "platform/db/Connection.h"
#include "platform/db/Value.h"

#include <QDialog>

#include <functional>
#include <vector>

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTableView;

namespace ui {
class QueryTableModel;
}

class TfmFindCheck : public QDialog {
    Q_OBJECT
public:
    // `kindCaption` is the main screen's receipt kind (lblOperationType).
    TfmFindCheck(const fb::ConnectionParams& params, const QString& kindCaption, const QString& programFolder,
                 QWidget* parent = nullptr);
    ~TfmFindCheck() override;

    QLineEdit* edFPDFind;
    QCheckBox* CheckBox2;
    QDateEdit* DateTimePicker1;
    QDateEdit* DateTimePicker2;
    QCheckBox* CheckBox1;
    QLineEdit* LabeledEdit1;
    QLineEdit* LabeledEdit2;
    QPushButton* btnFind;
    QPushButton* btnClose;
    QPushButton* Button1;
    QGroupBox* GroupBox3;
    QPushButton* btnCheckOpen;
    QPushButton* btnPositionOpen;
    QTableView* DBGrid1;
    QTableView* DBGrid2;

    // DOC_ID of the current receipt; 0 when there is none.
    int currentDocId() const;

    // The current receipt row and the rows of its positions; nullptr / none
    // when the list is empty.
    const fb::Row* currentReceipt() const;
    std::vector<fb::Row> positionRows() const;
    int currentPositionRow() const;

    using RefundHandler = std::function<void(TfmFindCheck& window, int docId, int positionRow, bool wholeReceipt)>;
    // The copy commands: the whole receipt, or the current position (its row
    // in DBGrid2). They are enabled while a handler is attached, both lists
    // have a current row, the main screen builds a "ВОЗВРАТ ПРИХОДА" and the
    // current receipt is a stored sale.
    void setRefundHandler(RefundHandler handler);

public slots:
    void CheckBox1Click();
    void CheckBox2Click();
    void btnFindClick();
    void Button1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showPositions();
    void updateCopyCommands();
    bool copyAllowed() const;
    RefundHandler refund_;
    // After a goods check took its number: the list again, at the same receipt.
    void reopenAt(int docId);

    fb::Connection db_;
    QString kindCaption_;
    QString programFolder_;
    ui::QueryTableModel* receipts_;
    ui::QueryTableModel* positions_;
};

extern TfmFindCheck* fmFindCheck;
