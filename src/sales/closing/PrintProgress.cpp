#include "sales/closing/PrintProgress.h"

#include <QCoreApplication>
#include <QProgressBar>

namespace sales {

namespace {

// Often enough to look smooth, rarely enough to cost the print nothing.
constexpr qint64 kPaintEveryMs = 40;

}  // namespace

PrintProgressView::PrintProgressView(QProgressBar* bar, ReceiptPrinter& printer) : bar_(bar), printer_(printer) {
    printer_.setProgress([this](int done, int total) { show(done, total); });
}

PrintProgressView::~PrintProgressView() {
    printer_.setProgress({});
    if (bar_) bar_->hide();
}

void PrintProgressView::show(int done, int total) {
    if (sincePaint_.isValid() && sincePaint_.elapsed() < kPaintEveryMs && done < total) return;
    sincePaint_.start();
    if (bar_) {
        bar_->setRange(0, qMax(total, 1));
        bar_->setValue(done);
        bar_->show();
    }
    // Input, timers and socket notifiers wait until the print is over.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers |
                                    QEventLoop::X11ExcludeTimers);
}

}  // namespace sales
