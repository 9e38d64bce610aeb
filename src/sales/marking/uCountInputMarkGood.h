#pragma once
// "Изменить количество" for a marked position. A marked item leaves the
// receipt only with its own marking code, so the quantity can only go down,
// one item per scan of the code of the item taken out. The last item takes
// the position with it (modal result 10).
//
// The scanner types into the hidden Edit1 like a keyboard; Timer1 (100 ms,
// restarted by every key) ends a scan, and so does the scanner's Enter.
#include "sales/receipt/PositionEdits.h"

#include <QDialog>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class TfmReg;

namespace sales {

// How scanned text becomes a marking code: the format check of the mark
// type (separators normalised; nullopt when the text does not fit its
// layout) and the mark type's caption for messages.
struct MarkCodeFormat {
    std::function<std::optional<QString>(const QString& scan, int markType)> normalise;
    std::function<QString(int markType)> caption;
};
// The format check the lowering window uses: the scan dialog's, unless
// replaced (an incomplete replacement restores it).
const MarkCodeFormat& markCodeFormat();
void setMarkCodeFormat(MarkCodeFormat format);

}  // namespace sales

class TfmCountInputMarkGood : public QDialog {
    Q_OBJECT
public:
    // The position was removed with its last item.
    static constexpr int PositionRemoved = 10;

    TfmCountInputMarkGood(TfmReg& reg, const sales::MarkedQuantityRequest& request, QWidget* parent = nullptr);
    ~TfmCountInputMarkGood() override;

    // The mark type; the codes are checked against its layout.
    int Tag() const { return markType_; }
    // Which items the position holds: 1 only without serial, 2 only with, 3 both.
    int serialMode() const { return serialMode_; }
    // Items left in the position (lblCount's Tag).
    int count() const;

    QLabel* lblName;
    QLabel* lblMarkType;
    QLabel* lblCount;
    QLabel* lblCountMark;
    QLabel* lblCountNoMark;
    QLineEdit* Edit1;
    QTimer* Timer1;
    QPushButton* btnMinus;
    QPushButton* btnPlus;
    QPushButton* btnClose;

    // One typed character: `latin` is the same key in the US layout when
    // the key event told the physical key.
    void FormKeyPress(QChar typed, QChar latin = QChar());
    // The layout keys are read in (1033, 1049, other); by default guessed
    // from the characters typed.
    void setLayoutProvider(std::function<int()> provider) { layoutProvider_ = std::move(provider); }

public slots:
    // The end of a scan: the code is checked, found and taken out. The
    // key router runs it at the scanner's Enter.
    void Timer1Timer();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool takeKey(QKeyEvent* event);
    void evaluateScan();
    void showCount(int count);
    void takeOut(int index, int newCount);

    TfmReg& reg_;
    int row_;
    int markType_;
    int serialMode_;
    int layout_;
    std::function<int()> layoutProvider_;
};

// The window while it is open (nullptr otherwise).
extern TfmCountInputMarkGood* fmCountInputMarkGood;

// Opens the window for the checked request of the quantity command; returns
// its modal result.
int runCountInputMarkGood(TfmReg& reg, const sales::MarkedQuantityRequest& request);
