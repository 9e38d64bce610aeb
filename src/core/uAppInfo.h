#pragma once
// "О программе": a fixed description of the program and an OK button.
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace core {

class TfmAppInfo : public QDialog {
    Q_OBJECT
public:
    explicit TfmAppInfo(QWidget* parent = nullptr);
    ~TfmAppInfo() override;

    static QString description();

private:
    QPlainTextEdit* Memo1;
    QPushButton* Button1;
};

extern TfmAppInfo* fmAppInfo;

}  // namespace core
