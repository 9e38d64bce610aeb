#pragma once
// The part of a pack sold of a marked item: asked while its marking code is
// scanned, for goods sold by the piece that may be sold by part of a pack.
// "ОК" with "продаю всю упаковку" ticked, or with the whole pack typed,
// sells a whole unit; otherwise "sold/pack" travels with the marking code to
// the register and into the receipt.
#include "sales/marking/FractionalCount.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TfmQueryFractionalCount : public QDialog {
    Q_OBJECT
public:
    explicit TfmQueryFractionalCount(QWidget* parent = nullptr);
    ~TfmQueryFractionalCount() override;

    // The answer after "ОК": a whole unit is 0, 0, "".
    const sales::Fraction& fraction() const { return fraction_; }

    QLabel* lblGoodName;
    QLabel* lblMarkingName;
    QLabel* Label1;  // "Продать"
    QLabel* Label2;  // "Всего в упаковке"
    QLineEdit* memCountSold;
    QLineEdit* memTotalPack;
    QCheckBox* chWholly;
    QPushButton* btnOK;
    QPushButton* btnCancel;

public slots:
    void btnOKClick();
    void chWhollyClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    sales::Fraction fraction_;
};

// The window while it is open (nullptr otherwise).
extern TfmQueryFractionalCount* fmQueryFractionalCount;

// The pack count the window is opened with: a count above 0 of at most six
// digits, else nothing (the cashier types it).
QString packCountText(int packCount);

// Asks the part of a pack sold of goods `goodsName` with the mark type
// caption `markingName`; `packCount` fills "Всего в упаковке". nullopt when
// the cashier cancelled; a whole unit is 0, 0, "".
std::optional<sales::Fraction> queryFractionalCount(QWidget* parent, const QString& goodsName,
                                                    const QString& markingName, int packCount);
