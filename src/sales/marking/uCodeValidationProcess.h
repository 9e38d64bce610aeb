#pragma once
// The waiting window of a marking-code check: a running gauge, what the
// check waits for, and the Stop button once there is something to stop.
// It stays on top and is window-modal to its owner, so the scan window
// takes no keys while the register is asked; the cashier cannot close it.
#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

class TfmCodeValidationProcess : public QDialog {
    Q_OBJECT
public:
    static inline const QString kStarting = QStringLiteral("Запускаю проверку КМ. Ждите...");
    static inline const QString kWaiting = QStringLiteral("Ожидаю ответ от ИСМ...");

    explicit TfmCodeValidationProcess(QWidget* owner);
    ~TfmCodeValidationProcess() override;

    QProgressBar* Gauge1;
    QLabel* Label1;
    QPushButton* btnStop;
    QTimer* Timer1;

    // The start is on its way: Stop disabled, closing refused, shown.
    void showStarting();
    // Waiting for the marking system: Stop enabled and not yet pressed.
    void showWaiting();
    // Hidden and kept for the next check.
    void hideKept();
    // Closed and freed; the next check makes a new window.
    void finish();

    bool stopRequested() const { return stopRequested_; }
    bool closeAllowed() const { return closeAllowed_; }
    int Tag() const { return tag_; }

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void btnStopClick();
    void Timer1Timer();

    bool stopRequested_ = false;
    bool closeAllowed_ = false;
    bool freeOnClose_ = false;
    int tag_ = 0;
};

extern QPointer<TfmCodeValidationProcess> fmCodeValidationProcess;
