#pragma once
// "Выбор типа операции": the receipt kind. OK or a double click answers
// 20 + the chosen kind (21..24) as the modal result, which the main screen
// applies; "ОТМЕНА" answers Rejected. A receipt holding marked goods keeps
// its kind: choosing another one is refused and the window stays open.
#include <QDialog>

class QListWidget;
class QPushButton;

class TfmOperationSelect : public QDialog {
    Q_OBJECT
public:
    TfmOperationSelect(int currentKind, bool receiptHasMarkedGoods, QWidget* parent = nullptr);
    ~TfmOperationSelect() override;

    // The kind selected in the list, 0 when none is.
    int selectedKind() const;
    // Moves the list's selection (the key router's Down and Up).
    void moveSelection(int step);

    QListWidget* ListBox1;
    QPushButton* btnOK;
    QPushButton* btnCancel;

public slots:
    void btnOKClick();
    void ListBox1DblClick();

private:
    int currentKind_;
    bool hasMarkedGoods_;
};

// The window while it exists.
extern TfmOperationSelect* fmOperationSelect;
