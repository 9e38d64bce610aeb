#include "uProcessMovement.h"

#include "platform/ui/MessageService.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

QPointer<TfmProcessMovement> fmProcessMovement;

namespace {
int tagOf(const QObject* o) {
    return o ? o->property("Tag").toInt() : 0;
}
void setTagOf(QObject* o, int tag) {
    if (o) o->setProperty("Tag", tag);
}
}  // namespace

TfmProcessMovement::TfmProcessMovement(QWidget* mainScreen, QList<QObject*> stopFlags, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      mainScreen_(mainScreen) {
    setObjectName(QStringLiteral("fmProcessMovement"));
    for (QObject* f : stopFlags) stopFlags_ << f;
    setFixedSize(437, 122);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    btnStop = new QPushButton(QStringLiteral("ОСТАНОВИТЬ"), this);
    btnStop->setObjectName(QStringLiteral("btnStop"));
    QFont bold = btnStop->font();
    bold.setBold(true);
    btnStop->setFont(bold);
    setTagOf(btnStop, 0);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ProgressBar1);
    layout->addWidget(btnStop, 0, Qt::AlignHCenter);
    connect(btnStop, &QPushButton::clicked, this, &TfmProcessMovement::btnStopClick);
    refresh_ = new QTimer(this);
    refresh_->setSingleShot(true);
    refresh_->setInterval(kRepaintIntervalMs);
    connect(refresh_, &QTimer::timeout, this, &TfmProcessMovement::showPosition);
    fmProcessMovement = this;
}

TfmProcessMovement::~TfmProcessMovement() {
    if (fmProcessMovement == this) fmProcessMovement = nullptr;
}

QString TfmProcessMovement::questionForMode(int mode) {
    if (mode == Load) return kStopLoad;
    if (mode == Unload) return kStopUnload;
    return {};
}

void TfmProcessMovement::step() {
    const int v = position() + 1;
    position_ = v >= ProgressBar1->maximum() ? 0 : v;
    pending_ = true;
    // A bar nobody sees costs nothing to set; a shown one repaints at once
    // on every change, so it is given the position only now and then.
    if (isVisible() && shown_.isValid() && shown_.elapsed() < kRepaintIntervalMs) {
        if (!refresh_->isActive()) refresh_->start();
        return;
    }
    showPosition();
}

int TfmProcessMovement::position() const { return pending_ ? position_ : ProgressBar1->value(); }

void TfmProcessMovement::showPosition() {
    if (!pending_) return;
    pending_ = false;
    shown_.start();
    ProgressBar1->setValue(position_);
}

void TfmProcessMovement::finish() {
    setTagOf(btnStop, 1);
    close();
}

void TfmProcessMovement::btnStopClick() {
    if (ui::messages().ask(this, questionForMode(mode_), ui::Icon::Question) == ui::Answer::Yes) {
        setTagOf(btnStop, 1);
        for (const auto& f : stopFlags_) setTagOf(f, 1);
    } else {
        setTagOf(btnStop, 0);
    }
}

void TfmProcessMovement::closeEvent(QCloseEvent* event) {
    if (tagOf(btnStop) == 0) btnStopClick();
    if (tagOf(btnStop) == 0) {
        event->ignore();
        return;
    }
    // The caller owns the window and ends its work at its next line; closing
    // only hides it, so the caller never touches a freed window.
    if (mainScreen_) mainScreen_->setEnabled(true);
    event->accept();
}
