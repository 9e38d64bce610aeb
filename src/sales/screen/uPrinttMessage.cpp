#include "sales/screen/uPrinttMessage.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

TfmPrinttMessage* fmPrinttMessage = nullptr;

TfmPrinttMessage::TfmPrinttMessage(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("fmPrinttMessage"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(320, 90);

    Label1 = new QLabel(kDesignText, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    QFont f = Label1->font();
    f.setPointSize(12);
    f.setBold(true);
    Label1->setFont(f);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);

    fmPrinttMessage = this;
}

TfmPrinttMessage::~TfmPrinttMessage() {
    if (fmPrinttMessage == this) fmPrinttMessage = nullptr;
}

QString TfmPrinttMessage::text() const { return Label1->text(); }

void TfmPrinttMessage::setText(const QString& text) { Label1->setText(text); }

void TfmPrinttMessage::centreOnScreen() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void TfmPrinttMessage::showEvent(QShowEvent* event) {
    if (tag_ == 1) Label1->setText(kXReportText);
    else if (tag_ == 2) Label1->setText(kZReportText);
    centreOnScreen();
    QWidget::showEvent(event);
}

void TfmPrinttMessage::closeEvent(QCloseEvent* event) {
    // Deleted later; from now on nobody should reach it.
    if (fmPrinttMessage == this) fmPrinttMessage = nullptr;
    QWidget::closeEvent(event);
}

TfmPrinttMessage* showPrintMessage(int tag, QWidget* parent) {
    if (!fmPrinttMessage) new TfmPrinttMessage(parent);
    TfmPrinttMessage* w = fmPrinttMessage;
    w->setTag(tag);
    w->show();
    w->raise();
    w->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return w;
}

void closePrintMessage() {
    if (fmPrinttMessage) fmPrinttMessage->close();
}
