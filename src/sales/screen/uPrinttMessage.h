#pragma once
// The small wait window shown while the register prints a report (and while
// a correction receipt prints). Its Tag chooses the text when it is shown;
// it frees itself when closed and clears fmPrinttMessage.
#include "sales/screen/RegisterMenu.h"

#include <QWidget>

class QLabel;

class TfmPrinttMessage : public QWidget {
    Q_OBJECT
public:
    static inline const QString kDesignText = QStringLiteral("Идет печать...");
    static inline const QString kXReportText = QStringLiteral("Идет печать X-отчета...");
    static inline const QString kZReportText = QStringLiteral("Идет печать Z-отчета...");

    explicit TfmPrinttMessage(QWidget* parent = nullptr);
    ~TfmPrinttMessage() override;

    int Tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    QString text() const;
    // For callers that set their own text (any Tag other than 1 and 2).
    void setText(const QString& text);

    QLabel* Label1;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void centreOnScreen();

    int tag_ = 0;
};

extern TfmPrinttMessage* fmPrinttMessage;

// Shows the wait window (created when missing) with `tag` and paints it at
// once, since the caller blocks on the register right after.
TfmPrinttMessage* showPrintMessage(int tag, QWidget* parent = nullptr);
// Closes the wait window when it exists.
void closePrintMessage();

// The register menu's wait indicator through this window.
class PrintMessageWait : public sales::ReportWaitIndicator {
public:
    explicit PrintMessageWait(QWidget* parent = nullptr) : parent_(parent) {}
    void showWait(int tag) override { showPrintMessage(tag, parent_); }
    void closeWait() override { closePrintMessage(); }

private:
    QWidget* parent_;
};
