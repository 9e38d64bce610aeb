#pragma once
// The correction receipt window: a fiscal correction of income (Tag 1) or of
// expense (Tag 2) for the sum of the receipt in progress, printed through the
// register service and recorded as document type 31. Whoever opens it sets
// the Tag and the caption; it frees itself when closed.
#include "archive/CorrectionFlow.h"

#include <QDialog>

#include <functional>
#include <memory>

class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class TfmReg;

namespace archive {
class KktJsonChannel;
}

class TfmCorrectionCheck : public QDialog {
    Q_OBJECT
public:
    using Today = std::function<QDate()>;

    // `db` records the document; `programFolder` holds the print journal.
    TfmCorrectionCheck(TfmReg& screen, archive::KktJsonChannel& channel, fb::Connection& db,
                       const QString& programFolder, QWidget* parent = nullptr);
    ~TfmCorrectionCheck() override;

    int Tag() const { return tag_; }
    // Tag 1 or 2 with its caption.
    void setTag(int tag);
    // Today's date for the checks and the date picker (the computer's clock
    // unless a test sets one); takes effect at the next show.
    void setToday(Today today) { today_ = std::move(today); }
    const archive::CorrectionFlow& flow() const { return *flow_; }

    QLabel* lblProductType;
    QMenu* PM_ProductType;
    QGroupBox* GroupBox1;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QDateEdit* dtPicker;
    QLineEdit* edDoc;
    QLineEdit* edDocNum;
    QLineEdit* memSumma;
    QGroupBox* GroupBox2;
    QRadioButton* rbNal;
    QRadioButton* rbEl;
    QLineEdit* memNal;
    QLineEdit* memEl;
    QPushButton* btnOK;
    QPushButton* btnCancel;

public slots:
    void btnOKClick();
    void btnCancelClick();
    void RadioButton2Click();
    // Cancel, Esc and the window's close: a printed correction the database
    // has not taken yet is not left behind without a question.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void setProductType(const archive::ProductType& type);
    bool isMemo(QObject* o) const;
    QDate today() const;

    TfmReg& screen_;
    archive::KktJsonChannel& channel_;
    fb::Connection& db_;
    QString programFolder_;
    std::unique_ptr<archive::CorrectionWaitView> wait_;
    std::unique_ptr<archive::CorrectionFlow> flow_;
    Today today_;
    int tag_ = 1;
};

extern TfmCorrectionCheck* fmCorrectionCheck;

namespace archive {
// Opens the correction window over the main screen, modally, for Tag 1
// (income) or 2 (expense), with the register's port and speed as saved in
// the settings.
void openCorrectionCheck(TfmReg& screen, int tag);
}  // namespace archive
