#pragma once
#include "Layout.h"
#include "PreviewService.h"
#include "Report.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;

namespace report {

// The preview of a filled report: one page at a time at the caller's zoom,
// page by page, and a print command that opens the print setup dialog.
class ReportPreview : public QDialog {
    Q_OBJECT
public:
    ReportPreview(const Report& report, const PreviewOptions& options, QWidget* parent = nullptr);
    ~ReportPreview() override;

    int pageCount() const { return layout_.pageCount(); }
    int currentPage() const { return page_; }  // 0-based
    int zoom() const { return zoom_; }
    void showPage(int page);
    void setZoom(int percent);

signals:
    void printSetupOpened();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void printCommand();
    void updateActions();

    Report report_;
    PreviewOptions options_;
    Layout layout_;
    int page_ = 0;
    int zoom_ = 100;

    QPushButton* btnPrint_;
    QPushButton* btnFirst_;
    QPushButton* btnPrior_;
    QPushButton* btnNext_;
    QPushButton* btnLast_;
    QComboBox* cbZoom_;
    QLabel* lblPage_;
    QLabel* pageImage_;
    QScrollArea* scroll_;
};

}  // namespace report
