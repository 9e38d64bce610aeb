#pragma once
// The organisation's details. The fields are read when the window shows;
// OK stores them trimmed and closes with Accepted. A failed save rolls
// back, shows the database's message and keeps the window open with what
// was typed. OGRN and telephone are shown but not stored.
#include "CompanyRepository.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace core {

class TfmCompany : public QDialog {
    Q_OBJECT
public:
    explicit TfmCompany(fb::Connection& db, QWidget* parent = nullptr);
    ~TfmCompany() override;

    // What the fields hold now, untrimmed.
    CompanyInfo typed() const;
    // False when the stored row could not be read: ОК would then replace it
    // with whatever the empty fields hold, so it stays disabled.
    bool loaded() const { return loaded_; }

public slots:
    void FormShow();
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    CompanyRepository company_;
    bool loaded_ = false;

    QLineEdit* edCompanyName;
    QLineEdit* edCompanyFullName;
    QLineEdit* edCompanyINN;
    QLineEdit* edBossPost;
    QLineEdit* edBossFIO;
    QLineEdit* edSalesPointInfo;
    QLineEdit* edCompanyOGRN;
    QLineEdit* edCompanyTel;
    QPushButton* Button1;
    QPushButton* btnClose;
};

extern TfmCompany* fmCompany;

}  // namespace core
