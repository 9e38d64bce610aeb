#pragma once
// "Настройки печатных форм": the header and the numbering of every goods
// check (the one row of GOODSCHECK_SETTINGS), with a preview of the header
// as the edits stand, before anything is saved.
#include "platform/report/Report.h"

#include <QDialog>

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;

namespace fb {
class Connection;
}

class TfmPrintFormsSettings : public QDialog {
    Q_OBJECT
public:
    TfmPrintFormsSettings(fb::Connection& db, const QString& programFolder, QWidget* parent = nullptr);
    ~TfmPrintFormsSettings() override;

    QLineEdit* ed1String;
    QLineEdit* ed2String;
    QLineEdit* ed3String;
    QLineEdit* edAddress;
    QLineEdit* edNumberPref;
    QLineEdit* edNumberBegin;
    QPushButton* Button1;  // preview
    QPushButton* Button2;  // close
    QPushButton* Button3;  // save
    QPushButton* Button4;  // save and close
    QScrollArea* ScrollBox1;
    QLabel* RvRenderPreview1;
    QLabel* Label1;

    // The header report as the last preview filled it; nullptr before one.
    const report::Report* previewReport() const { return preview_.get(); }

public slots:
    void Button1Click();
    // True when the row was saved; a failure is told and the window stays.
    bool Button3Click();
    void Button4Click();

private:
    void FormCreate();

    fb::Connection& db_;
    QString programFolder_;
    std::unique_ptr<report::Report> preview_;
};

extern TfmPrintFormsSettings* fmPrintFormsSettings;
