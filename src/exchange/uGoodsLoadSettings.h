#pragma once
// "Параметры загрузки": loads a CSV goods file into the group chosen in the
// tree, or writes the goods of that group (the root: the whole catalogue) to
// a CSV file. Tag 1 load, Tag 2 unload.
#include "ExchangeCommands.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>

class QCheckBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

class TfmGoodsLoadSettings : public QDialog {
    Q_OBJECT
public:
    enum Mode { Load = 1, Unload = 2 };

    TfmGoodsLoadSettings(const exchange::ExchangeHost& host, int mode, QWidget* parent = nullptr);
    ~TfmGoodsLoadSettings() override;

    int Tag() const { return mode_; }

    QTreeWidget* TreeView1 = nullptr;
    QPushButton* btnLoad = nullptr;
    QPushButton* btnClose = nullptr;
    QLabel* lblReadCount = nullptr;
    QLabel* lblLoadCount = nullptr;
    QLabel* lblUpdateCount = nullptr;
    QLabel* lblUnloadCount = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* Label3 = nullptr;
    QGroupBox* grbResult = nullptr;
    QLabel* lblResult = nullptr;
    QCheckBox* chAddHead = nullptr;
    QCheckBox* chNumberToText = nullptr;

    void btnLoadClick();
    void btnCloseClick();
    // 0 success, 1 error, 2 stopped by the user.
    void ShowLoadResult(int result);

    // Escape while work runs does not close the window either.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormShow();
    void setWorking(bool working, const QString& status);
    void step();
    // Every line steps; the bar, the counters and the window's events (the
    // stop button) are looked at only when `due()`: repainting per line made
    // a file of a hundred thousand lines take many times its own work.
    bool due();
    void showProgress();
    bool stopConfirmed(const QString& question);
    void load();
    void unload();

    exchange::ExchangeHost host_;
    int mode_;
    QElapsedTimer shown_;
    int position_ = 0;
    bool pending_ = false;  // steps the bar does not show yet
};

extern QPointer<TfmGoodsLoadSettings> fmGoodsLoadSettings;

namespace exchange {
// "Формат  csv" under "Загрузить товары" (MLoadCSV) and "Выгрузить товары"
// (MUnloadCSV): the window, modal.
void openCsvGoodsWindow(const ExchangeHost& host, int mode);
}  // namespace exchange
