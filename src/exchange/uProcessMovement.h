#pragma once
// The small window that stays on top while a goods file is loaded or
// written: a caption and a text line set by the caller, a progress bar and
// a stop button. It does no work itself; the caller polls the stop flags
// the window sets (the Tags of the main screen's menu items).
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

class TfmProcessMovement : public QDialog {
    Q_OBJECT
public:
    enum Mode { Load = 1, Unload = 2 };

    static inline const QString kStopLoad = QStringLiteral("Вы желаете остановить загрузку базы товаров?     ");
    static inline const QString kStopUnload = QStringLiteral("Вы желаете остановить выгрузку базы товаров?     ");

    // `mainScreen` is disabled by the caller while the work runs and enabled
    // here when the window closes; `stopFlags` get Tag 1 on a confirmed stop.
    TfmProcessMovement(QWidget* mainScreen, QList<QObject*> stopFlags, QWidget* parent = nullptr);
    ~TfmProcessMovement() override;

    // The window's Tag: 1 load, 2 unload.
    int Tag() const { return mode_; }
    void setTag(int mode) { mode_ = mode; }
    static QString questionForMode(int mode);

    QLabel* Label1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* btnStop = nullptr;

    // One step of the bar; back to 0 once it reaches its maximum. Callers
    // step once per line, tens of thousands of times a second: a shown bar
    // is repainted with the latest position at most every
    // kRepaintIntervalMs (a timer shows the last steps when the lines stop).
    void step();
    // Where the bar stands after every step so far, shown or not yet.
    int position() const;
    static constexpr int kRepaintIntervalMs = 40;
    // The caller has ended: the window closes without a question.
    void finish();

    void btnStopClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showPosition();

    QPointer<QWidget> mainScreen_;
    QTimer* refresh_ = nullptr;
    QElapsedTimer shown_;
    int position_ = 0;
    bool pending_ = false;  // steps taken that the bar does not show yet
    QList<QPointer<QObject>> stopFlags_;
    int mode_ = Load;
};

// The window while one exists.
extern QPointer<TfmProcessMovement> fmProcessMovement;
