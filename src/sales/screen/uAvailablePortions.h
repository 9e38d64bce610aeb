#pragma once
// "Доступные партии": the lots of one goods item a receipt position is
// written off from. A click in the first column chooses or drops a lot; the
// quantity column takes typing on chosen lots only. OK checks the quantities
// against the lots and the position and keeps the choice on the main screen.
#include "sales/screen/PortionsLogic.h"

#include <QDialog>

#include <cstdint>

class QLabel;
class QPushButton;
class QTableWidget;
class TfmReg;

class TfmAvailablePortions : public QDialog {
    Q_OBJECT
public:
    // Grid columns.
    enum Column : int { ColChoice = 0, ColDocument, ColDeclaration, ColAvailable, ColQty, ColRecordId, ColumnCount };

    // For receipt row `row` of the screen, holding goods `goodsId`.
    TfmAvailablePortions(TfmReg& reg, sales::PortionsRepository& repository, std::int64_t goodsId, int row,
                         QWidget* parent = nullptr);
    ~TfmAvailablePortions() override;

    // Chooses or drops the lot in grid row `gridRow`.
    void toggleRow(int gridRow);

    QLabel* lblGoodName;
    QLabel* lblCountry;
    QTableWidget* PortionsGrid;
    QLabel* lblTotalCaption;
    QLabel* lblTotal;
    QPushButton* btnOK;
    QPushButton* btnClose;

public slots:
    void btnOKClick();

private:
    void fill(sales::PortionsRepository& repository);
    bool chosen(int gridRow) const;
    void setChosen(int gridRow, bool on);

    TfmReg& reg_;
    std::int64_t goodsId_;
    int row_;
    bool weighed_ = false;
    std::vector<sales::PortionLot> lots_;
};

// The window while it exists.
extern TfmAvailablePortions* fmAvailablePortions;
