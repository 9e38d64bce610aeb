#include "sales/marking/uCodeValidationProcess.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

QPointer<TfmCodeValidationProcess> fmCodeValidationProcess;

TfmCodeValidationProcess::TfmCodeValidationProcess(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("fmCodeValidationProcess"));
    setWindowTitle(QStringLiteral("Проверка КМ"));
    // Without an owner nothing else of the program may take input meanwhile.
    setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);

    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setRange(0, 20);
    Gauge1->setValue(0);
    Gauge1->setTextVisible(false);
    Gauge1->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: blue; }"));

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);

    btnStop = new QPushButton(QStringLiteral("ОСТАНОВИТЬ"), this);
    btnStop->setObjectName(QStringLiteral("btnStop"));
    btnStop->setAutoDefault(false);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Gauge1);
    layout->addWidget(Label1);
    layout->addWidget(btnStop, 0, Qt::AlignHCenter);
    setFixedSize(360, 130);

    connect(btnStop, &QPushButton::clicked, this, &TfmCodeValidationProcess::btnStopClick);
    connect(Timer1, &QTimer::timeout, this, &TfmCodeValidationProcess::Timer1Timer);
}

TfmCodeValidationProcess::~TfmCodeValidationProcess() = default;

void TfmCodeValidationProcess::showStarting() {
    btnStop->setEnabled(false);
    closeAllowed_ = false;
    freeOnClose_ = false;
    stopRequested_ = false;
    tag_ = 1;
    Label1->setText(kStarting);
    Timer1->start();
    show();
    raise();
    // The start has been asked for; showing the window again starts nothing.
    tag_ = 99;
}

void TfmCodeValidationProcess::showWaiting() {
    tag_ = 99;
    closeAllowed_ = false;
    btnStop->setEnabled(true);
    Label1->setText(kWaiting);
    stopRequested_ = false;
    if (!Timer1->isActive()) Timer1->start();
    show();
    raise();
}

void TfmCodeValidationProcess::hideKept() {
    closeAllowed_ = true;
    Timer1->stop();
    hide();
}

void TfmCodeValidationProcess::finish() {
    closeAllowed_ = true;
    freeOnClose_ = true;
    if (fmCodeValidationProcess == this) fmCodeValidationProcess = nullptr;
    if (!isVisible()) {
        Timer1->stop();
        deleteLater();
        return;
    }
    close();
}

void TfmCodeValidationProcess::reject() {
    // Escape stands for Stop, and only while there is something to stop.
    if (btnStop->isEnabled() && isVisible()) btnStop->click();
}

void TfmCodeValidationProcess::closeEvent(QCloseEvent* event) {
    if (!closeAllowed_) {
        event->ignore();
        return;
    }
    Timer1->stop();
    event->accept();
    if (freeOnClose_) deleteLater();
}

void TfmCodeValidationProcess::btnStopClick() {
    stopRequested_ = true;
}

void TfmCodeValidationProcess::Timer1Timer() {
    Gauge1->setValue(Gauge1->value() >= Gauge1->maximum() ? 0 : Gauge1->value() + 1);
}
