#pragma once
// While the register prints a long receipt the receipt window shows how far
// it got and goes on painting. The print stays on the window thread, where
// the register and the print journal live; between its steps the window
// system's and the paint's events are let through, but no key, click, timer
// or socket, so nothing of the program can start talking to the register
// in the middle of a receipt.
#include "sales/closing/ReceiptPrinter.h"

#include <QElapsedTimer>
#include <QPointer>

class QProgressBar;

namespace sales {

class PrintProgressView {
public:
    // Shows `bar` and follows `printer` until destroyed.
    PrintProgressView(QProgressBar* bar, ReceiptPrinter& printer);
    ~PrintProgressView();

    PrintProgressView(const PrintProgressView&) = delete;
    PrintProgressView& operator=(const PrintProgressView&) = delete;

private:
    void show(int done, int total);

    QPointer<QProgressBar> bar_;
    ReceiptPrinter& printer_;
    QElapsedTimer sincePaint_;
};

}  // namespace sales
