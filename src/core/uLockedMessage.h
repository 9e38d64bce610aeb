#pragma once
// The banner shown over the main screen while the workplace is locked: a
// frameless, stay-on-top, see-through window with a red rounded frame and
// red text that alternates between Russian and English every 3 seconds. It
// never keeps the keyboard: should it be activated, the main screen gets
// the focus back. The main screen's lock creates and shows it; closing it
// stops the timer and frees it. While a modal window is open (the change of
// cashier, a message) the banner steps aside, so that nothing opened on a
// locked screen lies hidden under it, and it comes back when the last such
// window closes.
#include <QPointer>
#include <QString>
#include <QWidget>

class QTimer;

namespace core {

class TfmLockedMessage : public QWidget {
    Q_OBJECT
public:
    // `mainWindow`: the window the banner is centred on and hands the focus
    // back to.
    explicit TfmLockedMessage(QWidget* mainWindow = nullptr);
    ~TfmLockedMessage() override;

    static constexpr int kBlinkMs = 3000;
    static QString russianText() { return QStringLiteral("РАБОЧЕЕ МЕСТО ЗАБЛОКИРОВАНО"); }
    static QString englishText() { return QStringLiteral("WORKPLACE LOCKED"); }

    // 0 before the Russian text is due, 1 before the English one.
    int phase() const { return phase_; }
    QString text() const { return text_; }
    int fontPointSize() const { return fontSize_; }

    // The banner is out of the way of an open modal window.
    bool steppedAside() const { return steppedAside_; }

public slots:
    void Timer1Timer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void centreOnMainWindow();
    bool modalWindowOpen() const;
    void stepAside();
    void followModalWindows();

    QPointer<QWidget> main_;
    QTimer* Timer1;
    int phase_ = 0;
    QString text_ = englishText();
    int fontSize_ = 30;
    bool steppedAside_ = false;
};

extern TfmLockedMessage* fmLockedMessage;

}  // namespace core
