#include "uLockedMessage.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QShowEvent>
#include <QTimer>

#include <algorithm>

namespace core {

TfmLockedMessage* fmLockedMessage = nullptr;

TfmLockedMessage::TfmLockedMessage(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                              Qt::WindowDoesNotAcceptFocus),
      main_(mainWindow) {
    setObjectName(QStringLiteral("fmLockedMessage"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(620, 140);
    fmLockedMessage = this;

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kBlinkMs);
    connect(Timer1, &QTimer::timeout, this, &TfmLockedMessage::Timer1Timer);
    // Windows come and go anywhere in the program while the screen is locked.
    qApp->installEventFilter(this);
}

TfmLockedMessage::~TfmLockedMessage() {
    qApp->removeEventFilter(this);
    if (fmLockedMessage == this) fmLockedMessage = nullptr;
}

bool TfmLockedMessage::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::Show || type == QEvent::Hide) && watched != this && watched->isWidgetType()) {
        const auto* w = static_cast<const QWidget*>(watched);
        if (w->isWindow()) {
            // A modal window is out of the way before it is drawn; whether
            // the banner may come back is known once the window is gone.
            if (type == QEvent::Show && w->isModal()) stepAside();
            else QTimer::singleShot(0, this, &TfmLockedMessage::followModalWindows);
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool TfmLockedMessage::modalWindowOpen() const {
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.cbegin(), windows.cend(),
                       [this](const QWidget* w) { return w != this && w->isVisible() && w->isModal(); });
}

void TfmLockedMessage::stepAside() {
    if (!isVisible()) return;
    steppedAside_ = true;
    hide();
}

void TfmLockedMessage::followModalWindows() {
    if (modalWindowOpen()) {
        stepAside();
    } else if (steppedAside_) {
        steppedAside_ = false;
        show();
    }
}

void TfmLockedMessage::centreOnMainWindow() {
    if (!main_) return;
    const QPoint centre = main_->mapToGlobal(main_->rect().center());
    move(centre - rect().center());
}

void TfmLockedMessage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    centreOnMainWindow();
    phase_ = 0;
    Timer1->start();
}

void TfmLockedMessage::Timer1Timer() {
    if (phase_ == 0) {
        fontSize_ = 22;
        text_ = russianText();
        phase_ = 1;
    } else {
        fontSize_ = 30;
        text_ = englishText();
        phase_ = 0;
    }
    update();
}

void TfmLockedMessage::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The banner never keeps the keyboard: the cashier's card reader types
    // into the main screen.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && main_) main_->activateWindow();
}

void TfmLockedMessage::closeEvent(QCloseEvent* event) {
    // Only the end of the lock takes the banner away, not the window
    // system's close.
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    Timer1->stop();
    QWidget::closeEvent(event);
}

void TfmLockedMessage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(3, 3, -3, -3);
    QPainterPath path;
    path.addRoundedRect(frame, 24, 24);
    // A pale fill keeps the red text readable over whatever lies beneath.
    p.fillPath(path, QColor(255, 255, 255, 215));
    p.setPen(QPen(Qt::red, 5));
    p.drawPath(path);

    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSize(fontSize_);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::red);
    p.drawText(frame, Qt::AlignCenter | Qt::TextWordWrap, text_);
}

}  // namespace core
