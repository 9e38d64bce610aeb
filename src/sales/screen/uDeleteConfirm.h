#pragma once
// The choice offered when the cashier annuls a position already excluded
// from a return receipt: take the exclusion back, or delete the position
// from the receipt for good. "ОК" answers with the chosen action as the
// modal result; "ЗАКРЫТЬ" changes nothing.
#include <QDialog>

class QGroupBox;
class QPushButton;
class QRadioButton;

class TfmDeleteConfirm : public QDialog {
    Q_OBJECT
public:
    // Modal results of "ОК".
    static constexpr int DeleteForGood = 1;
    static constexpr int UndoExclusion = 3;

    explicit TfmDeleteConfirm(QWidget* parent = nullptr);
    ~TfmDeleteConfirm() override;

    // The selected item of RadioGroup1: 0 take the exclusion back, 1 delete
    // for good.
    int itemIndex() const;
    void setItemIndex(int index);

    QGroupBox* RadioGroup1;
    QRadioButton* RadioUndo;    // "отменить аннулирование позиции"
    QRadioButton* RadioDelete;  // "удалить позицию из чека окончательно"
    QPushButton* btnOK;         // "ОК"
    QPushButton* btnClose;      // "ЗАКРЫТЬ"

public slots:
    void btnOKClick();
    void btnCloseClick();

protected:
    void showEvent(QShowEvent* event) override;
};

// The window made for one question (nullptr otherwise).
extern TfmDeleteConfirm* fmDeleteConfirm;

// Asks, modally: DeleteForGood, UndoExclusion, or 0 when closed.
int askExcludedPositionAction(QWidget* parent);
